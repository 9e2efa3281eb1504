#pragma once

#include "settings/IniFile.h"

#include <optional>
#include <string>

namespace qel {

// Where a window was and how it was shown, as the form-state store keeps it:
// "Flags", "ShowCmd" and "Color" as decimal integers and the restored
// rectangle as "NormalPos" = "left,top,right,bottom".
struct TWindowPlacement {
    int Flags = 0;
    int ShowCmd = 1;
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Color = 0;
    bool operator==(const TWindowPlacement&) const = default;
};

// The saved state of chosen controls and the placement of a window, kept in
// the profile file in a section named after the owning window ("TfrmMain").
// Each property has its own key, "Component.Property"
// ("chkPlayWavFile.Checked"). Texts are stored as they are, booleans as "1" or
// "0", integers in decimal. Reads never fail: a missing or unreadable value
// gives the default. Writes throw EIniFileError like the profile file.
class TFormStateStore {
public:
    explicit TFormStateStore(TIniFile& file) : FFile(file) {}

    std::string ReadText(const std::string& owner, const std::string& property, const std::string& defaultValue) const;
    void WriteText(const std::string& owner, const std::string& property, const std::string& value);
    bool ReadBool(const std::string& owner, const std::string& property, bool defaultValue) const;
    void WriteBool(const std::string& owner, const std::string& property, bool value);
    int ReadInt(const std::string& owner, const std::string& property, int defaultValue) const;
    void WriteInt(const std::string& owner, const std::string& property, int value);

    // The owner's saved placement; nullopt when any of its keys is missing or
    // garbled (the window then keeps its own placement).
    std::optional<TWindowPlacement> ReadPlacement(const std::string& owner) const;
    void WritePlacement(const std::string& owner, const TWindowPlacement& placement);

private:
    TIniFile& FFile;
};

} // namespace qel
