#include "cli/CliText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qel::cli {
namespace {

// Each input with the JSON literal expected for it, as it reads in the output.
void ExpectJson(const std::vector<std::pair<std::string, std::string>>& cases) {
    for (const auto& [text, json] : cases)
        EXPECT_EQ(JsonString(text), json) << "for the input " << ::testing::PrintToString(text);
}

TEST(JsonString, EscapesQuotesBackslashesAndNamedControls) {
    ExpectJson({{"", R"("")"},
                {"plain text", R"("plain text")"},
                {"say \"hi\"", R"("say \"hi\"")"},
                {"C:\\Qel\\", R"("C:\\Qel\\")"},
                {"a\nb\tc\rd\be\ff", R"("a\nb\tc\rd\be\ff")"},
                {"/", R"("/")"}});
}

TEST(JsonString, EscapesOtherControlCharactersAsUnicode) {
    ExpectJson({{std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
                {std::string("a\0b", 3), R"("a\u0000b")"},
                // DEL is not a control character for JSON.
                {"\x7f", "\"\x7f\""}});
}

TEST(JsonString, PassesValidUtf8Through) {
    const std::string text = "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80 \xE4\xB8\xAD";
    EXPECT_EQ(JsonString(text), "\"" + text + "\"");
    // The largest code point and the last one before the surrogates.
    EXPECT_EQ(JsonString("\xF4\x8F\xBF\xBF\xED\x9F\xBF"), "\"\xF4\x8F\xBF\xBF\xED\x9F\xBF\"");
}

TEST(JsonString, ReplacesBytesThatAreNotUtf8) {
    // A stray continuation byte, a lone lead byte, a sequence cut off at the
    // end of a field, an overlong slash, a surrogate and a value above
    // U+10FFFF: each bad byte becomes one replacement character and the
    // text around it survives.
    ExpectJson({{"a\x80z", R"("a\ufffdz")"},
                {"a\xC3z", R"("a\ufffdz")"},
                {"ab\xE2\x82", R"("ab\ufffd\ufffd")"},
                {"\xC0\xAF", R"("\ufffd\ufffd")"},
                {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")"},
                {"\xF4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},
                {"\xFF\xC3\xBC", "\"\\ufffd\xC3\xBC\""}});
}

TEST(TsvField, KeepsRowsAndColumnsWhole) {
    EXPECT_EQ(TsvField("In meeting"), "In meeting");
    EXPECT_EQ(TsvField("a\tb"), "a\\tb");
    EXPECT_EQ(TsvField("line1\nline2\r\n"), "line1\\nline2\\r\\n");
    EXPECT_EQ(TsvField(std::string("\x01\x1f\x7f\0", 4)), "\\x01\\x1f\\x7f\\x00");
}

TEST(TsvField, EscapesBackslashSoEscapesReadBackUnambiguously) {
    // A literal backslash-t in the data must not look like an escaped tab.
    EXPECT_EQ(TsvField("\\t"), "\\\\t");
    EXPECT_NE(TsvField("\\t"), TsvField("\t"));
    EXPECT_EQ(TsvField("C:\\"), "C:\\\\");
}

TEST(TsvField, PassesNonAsciiAndQuotesThrough) {
    EXPECT_EQ(TsvField("\"M\xC3\xBCller\" 'x'"), "\"M\xC3\xBCller\" 'x'");
    EXPECT_EQ(TsvField("\x80\xFF"), "\x80\xFF");
}

TEST(TsvLine, JoinsEscapedFieldsWithTabs) {
    EXPECT_EQ(TsvLine({"User", "Status"}), "User\tStatus\n");
    EXPECT_EQ(TsvLine({"a\tb", "", "c\nd"}), "a\\tb\t\tc\\nd\n");
    EXPECT_EQ(TsvLine({}), "\n");
}

} // namespace
} // namespace qel::cli
