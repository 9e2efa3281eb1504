#include "dialogs/TextLimits.h"

#include "util/StringUtils.h"

namespace qel {

namespace {

// Length in bytes of the UTF-8 sequence starting at `text[i]`, 1 for a byte
// that does not start a complete, valid sequence.
size_t SequenceLength(const std::string& text, size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (i + length > text.size())
        return 1;
    for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 1;
    return length;
}

// Byte length of the first `chars` characters of `text` (all of it when shorter).
size_t BytesOfChars(const std::string& text, size_t chars) {
    size_t i = 0;
    for (size_t n = 0; n < chars && i < text.size(); ++n)
        i += SequenceLength(text, i);
    return i;
}

} // namespace

size_t Utf8Length(const std::string& text) {
    size_t count = 0;
    for (size_t i = 0; i < text.size(); i += SequenceLength(text, i))
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
