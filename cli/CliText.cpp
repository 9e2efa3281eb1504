#include "cli/CliText.h"

#include <cstdint>

namespace qel::cli {

namespace {

const char* const HexDigits = "0123456789abcdef";

// Length of the valid UTF-8 sequence at the start of `text`, or 0 when it
// does not start with one (stray continuation byte, overlong form,
// surrogate, value above U+10FFFF, cut-off sequence).
size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    size_t length = 0;
    uint32_t value = 0;
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i) & 0x3F);
    }
    if ((length == 3 && value < 0x800) || (length == 4 && value < 0x10000) || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

// A C1 control character (U+0080 to U+009F) in UTF-8 starts at text[i]:
// terminals act on these as they do on ESC sequences.
bool C1ControlAt(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xC2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 && static_cast<unsigned char>(text[i + 1]) <= 0x9F;
}

void AppendHex(std::string& out, unsigned char c) {
    out += "\\x";
    out += HexDigits[c >> 4];
    out += HexDigits[c & 0x0F];
}

} // namespace

std::string JsonString(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += HexDigits[c >> 4];
                out += HexDigits[c & 0x0F];
            } else if (c < 0x80) {
                out += static_cast<char>(c);
            } else {
                const size_t length = Utf8SequenceLength(text.substr(i));
                if (length == 0) {
                    out += "\\ufffd";
                } else {
                    out.append(text.substr(i, length));
                    i += length;
                    continue;
                }
            }
        }
        ++i;
    }
    out += '"';
    return out;
}

std::string TsvField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                AppendHex(out, c);
            } else if (C1ControlAt(text, i)) {
                AppendHex(out, c);
                AppendHex(out, static_cast<unsigned char>(text[++i]));
            } else {
                out += ch;
            }
        }
    }
    return out;
}

std::string TerminalText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n' || c == '\t') {
            out += text[i];
        } else if (c < 0x20 || c == 0x7F) {
            AppendHex(out, c);
        } else if (C1ControlAt(text, i)) {
            AppendHex(out, c);
            AppendHex(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string TsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += '\t';
        line += TsvField(fields[i]);
    }
    line += '\n';
    return line;
}

} // namespace qel::cli
