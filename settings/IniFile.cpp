#include "settings/IniFile.h"

#include "platform/Platform.h"
#include "util/StringUtils.h"

#include <charconv>
#include <cstdint>
#include <string_view>
#include <vector>

namespace qel {

namespace {

constexpr std::string_view Blanks = " \t\r\f\v";
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

// The file as lines, each kept byte for byte (a "\r" of a CRLF file stays at
// the end of its line), so that a write changes only the line it means to.
class TProfileText {
public:
    static constexpr size_t None = static_cast<size_t>(-1);

    explicit TProfileText(std::string_view text) {
        if (text.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
            FPrefix = ByteOrderMark;
            text.remove_prefix(ByteOrderMark.size());
        }
        FEndsWithNewline = !text.empty() && text.back() == '\n';
        if (FEndsWithNewline)
            text.remove_suffix(1);
        if (!text.empty() || FEndsWithNewline) {
            size_t start = 0;
            for (;;) {
                const auto end = text.find('\n', start);
                FLines.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
                if (end == std::string_view::npos)
                    break;
                start = end + 1;
            }
        }
        if (!FLines.empty() && !FLines.front().empty() && FLines.front().back() == '\r')
            FLineEnd = "\r";
    }

    std::string Compose() const {
        std::string text = FPrefix;
        for (size_t i = 0; i < FLines.size(); ++i) {
            text += FLines[i];
            if (i + 1 < FLines.size() || FEndsWithNewline)
                text += '\n';
        }
        return text;
    }

    // The header line of the first section called `section`, or None.
    size_t FindSection(std::string_view section, size_t from = 0) const {
        for (size_t i = from; i < FLines.size(); ++i) {
            std::string_view name;
            if (SectionName(FLines[i], &name) && EqualsNoCase(name, section))
                return i;
        }
        return None;
    }

    // One past the last line of the section whose header is at `header`.
    size_t SectionEnd(size_t header) const {
        size_t i = header + 1;
        std::string_view ignored;
        while (i < FLines.size() && !SectionName(FLines[i], &ignored))
            ++i;
        return i;
    }

    // The line of `key` in the section whose header is at `header`, or None.
    size_t FindKey(size_t header, std::string_view key, std::string_view* value = nullptr) const {
        const size_t end = SectionEnd(header);
        for (size_t i = header + 1; i < end; ++i) {
            std::string_view name, text;
            if (KeyLine(FLines[i], &name, &text) && EqualsNoCase(name, key)) {
                if (value)
                    *value = text;
                return i;
            }
        }
        return None;
    }

    void Set(std::string_view section, std::string_view key, std::string_view value) {
        const size_t header = FindSection(section);
        if (header == None) {
            Append("[" + std::string(section) + "]");
            Append(std::string(key) + "=" + std::string(value));
            return;
        }
        if (const size_t line = FindKey(header, key); line != None) {
            // Keep the key as the file spells it; only the value changes.
            std::string_view name, oldValue;
            KeyLine(FLines[line], &name, &oldValue);
            const bool carriageReturn = !FLines[line].empty() && FLines[line].back() == '\r';
            FLines[line] = std::string(name) + "=" + std::string(value) + (carriageReturn ? "\r" : "");
            return;
        }
        // After the section's last key, so comments and blank lines that
        // lead into the next section stay where they are.
        size_t insertAt = header + 1;
        const size_t end = SectionEnd(header);
        for (size_t i = header + 1; i < end; ++i) {
            std::string_view name, text;
            if (KeyLine(FLines[i], &name, &text))
                insertAt = i + 1;
        }
        if (insertAt == FLines.size())
            TerminateLastLine();
        FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                      std::string(key) + "=" + std::string(value) + FLineEnd);
    }

    // Removes every section called `section` with all its lines; false when
    // there was none.
    bool Erase(std::string_view section) {
        bool erased = false;
        for (size_t header = FindSection(section); header != None; header = FindSection(section, header)) {
            FLines.erase(FLines.begin() + static_cast<std::ptrdiff_t>(header),
                         FLines.begin() + static_cast<std::ptrdiff_t>(SectionEnd(header)));
            erased = true;
        }
        return erased;
    }

private:
    static bool SectionName(std::string_view line, std::string_view* name) {
        line = Trim(line);
        if (line.empty() || line.front() != '[')
            return false;
        const auto close = line.find(']');
        *name = Trim(line.substr(1, close == std::string_view::npos ? close : close - 1));
        return true;
    }

    static bool KeyLine(std::string_view line, std::string_view* key, std::string_view* value) {
        const std::string_view trimmed = Trim(line);
        if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[')
            return false;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos)
            return false;
        *key = Trim(line.substr(0, equals));
        *value = Trim(line.substr(equals + 1));
        return !key->empty();
    }

    // Gives the last line its line end before another line follows it.
    void TerminateLastLine() {
        if (!FEndsWithNewline && !FLines.empty() && !FLineEnd.empty() &&
            (FLines.back().empty() || FLines.back().back() != '\r'))
            FLines.back() += FLineEnd;
        FEndsWithNewline = true;
    }

    void Append(const std::string& line) {
        TerminateLastLine();
        FLines.push_back(line + FLineEnd);
    }

    std::string FPrefix;
    std::vector<std::string> FLines;
    bool FEndsWithNewline = false;
    std::string FLineEnd;
};

// Values written in quotes come back without them, as from the Windows
// profile functions.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

bool ParseProfileInteger(std::string_view text, int* result) {
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        // Hexadecimal takes the full 32 bits, so "0xFFFFFFFF" is -1.
        uint32_t value = 0;
        const auto [end, error] = std::from_chars(text.data() + 2, text.data() + text.size(), value, 16);
        if (error != std::errc() || end != text.data() + text.size())
            return false;
        *result = static_cast<int>(value);
        return true;
    }
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return false;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return false;
    *result = value;
    return true;
}

TIniFile::TIniFile(TPlatform& platform, const std::string& fileName)
    : FPlatform(platform),
      FFileName(fileName.find('/') == std::string::npos ? platform.ConfigFolder() + fileName : fileName) {}

namespace {

std::string Contents(TPlatform& platform, const std::string& fileName) {
    std::string text;
    if (!platform.ReadFile(fileName, &text))
        return {};
    return text;
}

} // namespace

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
    const TProfileText text(Contents(FPlatform, FFileName));
    const size_t header = text.FindSection(Trim(section));
    if (header == TProfileText::None)
        return defaultValue;
    std::string_view value;
    if (text.FindKey(header, Trim(key), &value) == TProfileText::None)
        return defaultValue;
    return std::string(Unquote(value));
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string where = "[" + section + "] " + key;
    auto refuse = [&](const std::string& why) {
        throw EIniFileError("Cannot write " + where + " to " + FFileName + ": " + why);
    };
    const std::string_view sectionName = Trim(section), keyName = Trim(key);
    constexpr std::string_view LineBreaks("\n\r\0", 3);
    if (section.find_first_of(LineBreaks) != std::string::npos || key.find_first_of(LineBreaks) != std::string::npos ||
        value.find_first_of(LineBreaks) != std::string::npos)
        refuse("a section name, key name or value must not hold a line break or NUL character");
    if (sectionName.empty() || sectionName.find(']') != std::string_view::npos)
        refuse("the section name must not be empty or hold \"]\"");
    if (keyName.empty() || keyName.find('=') != std::string_view::npos || keyName.front() == ';' ||
        keyName.front() == '[')
        refuse("the key name must not be empty, hold \"=\" or start with \";\" or \"[\"");

    // A file that exists but cannot be read is never replaced: its other
    // lines would be lost.
    std::string contents;
    if (!FPlatform.ReadFile(FFileName, &contents)) {
        if (FPlatform.FileExists(FFileName))
            throw EIniFileError("Unable to write to " + FFileName);
        contents.clear();
    }
    TProfileText text(contents);
    text.Set(sectionName, keyName, value);
    std::string error;
    if (!FPlatform.WriteFileAtomic(FFileName, text.Compose(), &error))
        throw EIniFileError("Unable to write to " + FFileName);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const {
    int value = 0;
    return ParseProfileInteger(ReadString(section, key, ""), &value) ? value : defaultValue;
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string& section) const {
    return TProfileText(Contents(FPlatform, FFileName)).FindSection(Trim(section)) != TProfileText::None;
}

void TIniFile::EraseSection(const std::string& section) {
    std::string contents;
    if (!FPlatform.ReadFile(FFileName, &contents)) {
        if (FPlatform.FileExists(FFileName))
            throw EIniFileError("Unable to write to " + FFileName);
        return;
    }
    TProfileText text(contents);
    if (!text.Erase(Trim(section)))
        return;
    std::string error;
    if (!FPlatform.WriteFileAtomic(FFileName, text.Compose(), &error))
        throw EIniFileError("Unable to write to " + FFileName);
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
    const TProfileText text(Contents(FPlatform, FFileName));
    const size_t header = text.FindSection(Trim(section));
    return header != TProfileText::None && text.FindKey(header, Trim(key)) != TProfileText::None;
}

} // namespace qel
