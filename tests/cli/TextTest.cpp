#include "cli/CliText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qel::cli {
namespace {

// Quotes, backslashes and controls escaped; valid UTF-8 (up to the largest
// code point) passed through; each byte that is not UTF-8 (a stray
// continuation byte, a lone lead byte, a cut sequence, an overlong slash, a
// surrogate, a value above U+10FFFF) one replacement character.
TEST(JsonString, EscapesControlsAndReplacesBytesThatAreNotUtf8) {
    const std::string utf8 = "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x98\x80 \xE4\xB8\xAD\xF4\x8F\xBF\xBF\xED\x9F\xBF";
    const std::pair<std::string, std::string> cases[] = {
        {"", R"("")"},
        {"say \"hi\"", R"("say \"hi\"")"},
        {"C:\\Qel\\", R"("C:\\Qel\\")"},
        {"a\nb\tc\rd\be\ff/", R"("a\nb\tc\rd\be\ff/")"},
        {std::string("\x01\x1f", 2), R"("\u0001\u001f")"},
        {std::string("a\0b", 3), R"("a\u0000b")"},
        {"\x7f", "\"\x7f\""}, // DEL is not a control character for JSON
        {utf8, "\"" + utf8 + "\""},
        {"a\x80z", R"("a\ufffdz")"},
        {"a\xC3z", R"("a\ufffdz")"},
        {"ab\xE2\x82", R"("ab\ufffd\ufffd")"},
        {"\xC0\xAF", R"("\ufffd\ufffd")"},
        {"\xED\xA0\x80", R"("\ufffd\ufffd\ufffd")"},
        {"\xF4\x90\x80\x80", R"("\ufffd\ufffd\ufffd\ufffd")"},
        {"\xFF\xC3\xBC", "\"\\ufffd\xC3\xBC\""},
    };
    for (const auto& [text, json] : cases)
        EXPECT_EQ(JsonString(text), json) << "for the input " << ::testing::PrintToString(text);
}

// Rows and columns stay whole; a literal backslash-t must not read back as
// an escaped tab.
TEST(TsvField, EscapesSeparatorsControlsAndBackslashes) {
    const std::pair<std::string, std::string> cases[] = {
        {"In meeting", "In meeting"},
        {"a\tb", "a\\tb"},
        {"line1\nline2\r\n", "line1\\nline2\\r\\n"},
        {std::string("\x01\x1f\x7f\0", 4), "\\x01\\x1f\\x7f\\x00"},
        {"\\t", "\\\\t"},
        {"C:\\", "C:\\\\"},
        {"\"M\xC3\xBCller\" 'x'", "\"M\xC3\xBCller\" 'x'"},
        {"\x80\xFF", "\x80\xFF"},
        {"\xC2\x9B", "\\xc2\\x9b"}, // a C1 control (CSI) written as UTF-8
    };
    for (const auto& [text, tsv] : cases)
        EXPECT_EQ(TsvField(text), tsv) << "for the input " << ::testing::PrintToString(text);
    EXPECT_EQ(TsvLine({"a\tb", "", "c\nd"}), "a\\tb\t\tc\\nd\n");
    EXPECT_EQ(TsvLine({}), "\n");
}

TEST(TerminalText, KeepsLinesAndTabsAndShowsEveryOtherControlVisibly) {
    EXPECT_EQ(TerminalText("line one\nline\ttwo"), "line one\nline\ttwo");
    EXPECT_EQ(TerminalText("\x1b[31mred\r\a"), "\\x1b[31mred\\x0d\\x07");
    // DEL and C1 controls (CSI written as UTF-8) too; other UTF-8 passes.
    EXPECT_EQ(TerminalText("\x7f \xC2\x9B"
                           "2J M\xC3\xBCller"),
              "\\x7f \\xc2\\x9b2J M\xC3\xBCller");
}

} // namespace
} // namespace qel::cli
