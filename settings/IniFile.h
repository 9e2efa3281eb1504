#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qel {

class TPlatform;

// Raised when the platform refuses a write to the profile file; its text is
// "Unable to write to " followed by the file name.
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An integer as the profile file stores it: decimal with an optional sign, or
// "0x" and up to eight hexadecimal digits (taken as 32 bits, so "0xFFFFFFFF"
// is -1); blanks around it are allowed. False, with *value untouched, for
// anything else.
bool ParseProfileInteger(std::string_view text, int* value);

// The machine's profile file (Qel.ini): "[Section]" headers and "Key=Value"
// lines. Section and key names are compared without regard to case. Nothing
// is cached: every read asks the file again. A missing file, section or key
// gives the caller's default. Writes create the file, section and key as
// needed, keep every other line as it was, and replace the file atomically.
class TIniFile {
public:
    // A bare `fileName` (no "/") lies in the platform's configuration folder.
    TIniFile(TPlatform& platform, const std::string& fileName);

    // The full path of the file.
    const std::string& FileName() const { return FFileName; }

    // The value comes back without the blanks around it, and without one pair
    // of matching quotes ("..." or '...') around the whole value.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Throws EIniFileError "Unable to write to <FileName()>" when the file
    // exists but cannot be read, or cannot be written; the file is then as it
    // was. Also throws, writing nothing, for a name or value holding a line
    // break or NUL, an empty name, a section name with "]", or a key name with
    // "=" or starting with ";" or "[" (none of them could be read back).
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Decimal or "0x" hexadecimal; a value that is not a number gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& key, int value);

    // Read as an integer, any non-zero value is true; written as "1" or "0".
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);

    // "Yes" is true, "No" false, anything else (or nothing) `defaultValue`.
    bool ReadYesNo(const std::string& section, const std::string& key, bool defaultValue) const {
        const std::string value = ReadString(section, key, "");
        return value == "Yes" ? true : value == "No" ? false : defaultValue;
    }

    // True when the file has a header for `section`, keys or not.
    bool SectionExists(const std::string& section) const;
    // Removes every section called `section` with all its lines.
    void EraseSection(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& key) const;

private:
    TPlatform& FPlatform;
    std::string FFileName;
};

} // namespace qel
