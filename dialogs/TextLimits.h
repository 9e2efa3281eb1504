#pragma once

#include <cstddef>
#include <string>

namespace qel {

// The most an edit box accepts: its field's size in bytes of UTF-8 and, when
// the box is narrower than its field, a number of characters.
struct TTextLimit {
    size_t MaxBytes = 0;
    size_t MaxChars = 0; // 0: only the byte limit
};

// Number of characters (code points) in UTF-8 `text`; a byte that is not
// valid UTF-8 counts as one.
size_t Utf8Length(const std::string& text);

// Fits an edit into `limit`. `before` is the text in front of the cursor and
// `after` the text behind it, right after an edit that inserted text just
// before the cursor. When the whole fits it is returned unchanged; otherwise
// the end of `before` (the text just typed or pasted) is cut at a character
// boundary until it does. Returns the new `before`; `after` is kept, unless
// it alone is over the limit, when the result is the longest fitting prefix
// of the whole text and `after` must be dropped (*keepAfter false).
std::string FitEdit(const std::string& before, const std::string& after, TTextLimit limit, bool* keepAfter);

// The longest prefix of `text` within `limit`, cut at a character boundary.
std::string FitText(const std::string& text, TTextLimit limit);

// The field limits of the edit boxes.
namespace limits {
inline constexpr TTextLimit UserName{20, 0};
inline constexpr TTextLimit Extension{10, 0};
inline constexpr TTextLimit Department{20, 0};
inline constexpr TTextLimit Status{30, 0};
// The comment box takes 30 characters; its field holds 40 bytes.
inline constexpr TTextLimit Comments{40, 30};
inline constexpr TTextLimit Subject{30, 0};
inline constexpr TTextLimit MessageText{255, 0};
} // namespace limits

} // namespace qel
