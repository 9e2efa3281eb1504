#pragma once

#include <string>
#include <string_view>
#include <vector>

// How qelctl writes data for people and for other programs.
namespace qel::cli {

// `text` as a JSON string literal, quotes included. Quotes, backslashes and
// control characters are escaped (\n, \t, \r, \b, \f, else \u00XX); valid
// UTF-8 passes through unchanged; a byte that is not part of a valid UTF-8
// sequence becomes \ufffd, so the output is always valid JSON whatever a
// record holds.
std::string JsonString(std::string_view text);

// `text` as one field of a tab-separated line: a backslash becomes "\\", a
// tab "\t", a line feed "\n", a carriage return "\r", any other control
// character "\xHH" (two lower-case hexadecimal digits; a C1 control written
// as UTF-8 one per byte). Every other byte is kept, so a field never splits a
// row or a line.
std::string TsvField(std::string_view text);

// `text` for a person at a terminal: line feeds and tabs stay, every other
// control character (C0, DEL, and C1 written as UTF-8) becomes "\xHH" per
// byte, so nothing from the shared folder can steer the terminal. Other
// bytes are kept.
std::string TerminalText(std::string_view text);

// The fields escaped with TsvField, joined with tabs, ending in a line feed.
std::string TsvLine(const std::vector<std::string>& fields);

} // namespace qel::cli
