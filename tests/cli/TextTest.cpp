#include "cli/CliText.h"

#include <gtest/gtest.h>

#include <string>

namespace qel::cli {
namespace {

TEST(JsonString, EscapesQuotesBackslashesAndNamedControls) {
    EXPECT_EQ(JsonString(""), "\"\"");
    EXPECT_EQ(JsonString("plain text"), "\"plain text\"");
    EXPECT_EQ(JsonString("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(JsonString("C:\\Qel\\"), "\"C:\\\\Qel\\\\\"");
    EXPECT_EQ(JsonString("a\nb\tc\rd\be\ff"), "\"a\\nb\\tc\\rd\\be\\ff\"");
    EXPECT_EQ(JsonString("/"), "\"/\"");
}

TEST(JsonString, EscapesOtherControlCharactersAsUnicode) {
    EXPECT_EQ(JsonString(std::string("\x01\x1f", 2)), "\"\\u0001\\u001f\"");
    EXPECT_EQ(JsonString(std::string("a\0b", 3)), "\"a\\u0000b\"");
    // DEL is not a control character for JSON.
    EXPECT_EQ(JsonString("\x7f"), "\"\x7f\"");
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
    EXPECT_EQ(JsonString("a\x80z"), "\"a\\ufffdz\"");
    EXPECT_EQ(JsonString("a\xC3z"), "\"a\\ufffdz\"");
    EXPECT_EQ(JsonString("ab\xE2\x82"), "\"ab\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonString("\xF4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(JsonString("\xFF\xC3\xBC"), "\"\\ufffd\xC3\xBC\"");
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
