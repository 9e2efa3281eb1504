#pragma once

#include <stdexcept>
#include <string>

namespace qel {

class TPlatform;

// Raised when the platform refuses a write to the profile file; its text is
// "Unable to write to " followed by the file name.
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The machine's profile file (Qel.ini): "[Section]" headers and "Key=Value"
// lines. Section and key names are compared without regard to case. Nothing
// is cached: every read asks the file again. A missing file, section or key
// gives the caller's default. Writes create the file, section and key as
// needed, keep every other line as it was, and replace the file atomically.
class TIniFile {
public:
    // A bare `fileName` (no "/") lies in the platform's configuration folder.
    TIniFile(TPlatform& platform, const std::string& fileName);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Throws EIniFileError when the file cannot be written.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);

    // Decimal or "0x" hexadecimal; a value that is not a number gives the default.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& key, int value);

    // Read as an integer, any non-zero value is true; written as "1" or "0".
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool SectionExists(const std::string& section) const;
    void EraseSection(const std::string& section);
    bool ValueExists(const std::string& section, const std::string& key) const;

private:
    TPlatform& FPlatform;
    std::string FFileName;
};

} // namespace qel
