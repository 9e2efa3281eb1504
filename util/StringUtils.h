#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// Folder text with the path separator appended unless it already ends in one.
// An empty folder stays empty; the root "/" stays "/".
std::string AddBackslash(std::string_view folder);

// The ten-digit primary-key form of a record number ("%10.10d": 7 -> "0000000007").
std::string FormatKey(int32_t recordNumber);

// The integer value of a primary key ("0000000007" -> 7). Text that is not a
// decimal number, or one outside the signed 32-bit range, gives 0.
int32_t KeyToNumber(std::string_view key);

// The longest prefix of `text` that is at most `maxBytes` bytes long and does
// not end inside a UTF-8 sequence. Bytes that are not valid UTF-8 count as one
// character each, so arbitrary data is cut safely too.
std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);

// Upper-case ASCII copy; bytes outside A-Z/a-z are kept as they are.
std::string UpperAscii(std::string_view text);

// Case-insensitive ASCII comparison for equality.
bool EqualsNoCase(std::string_view a, std::string_view b);
// `text` with "&", "<" and ">" (and, with `quotes`, '"' and "'") written as
// entities, so that markup readers show it as text.
std::string EscapeMarkup(std::string_view text, bool quotes = false);

// `text` for a URL: every byte but A-Z a-z 0-9 - . _ ~ (and, with
// `keepSlash`, "/") as %XX.
std::string PercentEncode(std::string_view text, bool keepSlash = false);

// The items of `text` between `separator`s, empty ones included ("a,,b" ->
// "a", "", "b"; "" -> one empty item).
std::vector<std::string> SplitList(std::string_view text, char separator);

} // namespace qel
