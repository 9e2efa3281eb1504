#include "dialogs/TextLimits.h"

#include "util/StringUtils.h"

#include <string_view>

namespace qel {

namespace {

// Length in bytes of the character at `text[at]`, as Utf8Prefix reads UTF-8:
// the fewest bytes from there that it keeps whole.
size_t CharacterLength(std::string_view text, size_t at) {
    size_t length = 1;
    while (Utf8Prefix(text.substr(at), length).empty())
        ++length;
    return length;
}

// Byte length of the first `chars` characters of `text` (all of it when shorter).
size_t BytesOfChars(const std::string& text, size_t chars) {
    size_t i = 0;
    for (size_t n = 0; n < chars && i < text.size(); ++n)
        i += CharacterLength(text, i);
    return i;
}

} // namespace

size_t Utf8Length(const std::string& text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i += CharacterLength(text, i))
        ++count;
    return count;
}

std::string FitText(const std::string& text, TTextLimit limit) {
    std::string fitted(Utf8Prefix(text, limit.MaxBytes));
    if (limit.MaxChars > 0)
        fitted.resize(BytesOfChars(fitted, limit.MaxChars));
    return fitted;
}

std::string FitEdit(const std::string& before, const std::string& after, TTextLimit limit, bool* keepAfter) {
    *keepAfter = true;
    const auto fits = [&](size_t bytes, size_t chars) {
        return bytes <= limit.MaxBytes && (limit.MaxChars == 0 || chars <= limit.MaxChars);
    };
    const size_t afterChars = Utf8Length(after);
    if (fits(before.size() + after.size(), Utf8Length(before) + afterChars))
        return before;
    if (!fits(after.size(), afterChars)) {
        *keepAfter = false;
        return FitText(before + after, limit);
    }
    TTextLimit room{limit.MaxBytes - after.size(), limit.MaxChars == 0 ? 0 : limit.MaxChars - afterChars};
    if (limit.MaxChars != 0 && room.MaxChars == 0)
        return std::string();
    return FitText(before, room);
}

} // namespace qel
