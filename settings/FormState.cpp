#include "settings/FormState.h"

#include "settings/SettingsKeys.h"

#include <charconv>
#include <string_view>

namespace qel {

namespace {

// "l,t,r,b": four decimal integers, blanks around each allowed, nothing else.
bool ParseRectangle(std::string_view text, TWindowPlacement* placement) {
    int* fields[] = {&placement->Left, &placement->Top, &placement->Right, &placement->Bottom};
    for (size_t i = 0; i < 4; ++i) {
        const auto comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == 3))
            return false;
        std::string_view field = text.substr(0, comma);
        const auto first = field.find_first_not_of(" \t");
        const auto last = field.find_last_not_of(" \t");
        if (first == std::string_view::npos)
            return false;
        field = field.substr(first, last - first + 1);
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), *fields[i]);
        if (error != std::errc() || end != field.data() + field.size())
            return false;
        if (comma != std::string_view::npos)
            text.remove_prefix(comma + 1);
    }
    return placement->Right >= placement->Left && placement->Bottom >= placement->Top;
}

} // namespace

std::string TFormStateStore::ReadText(const std::string& owner, const std::string& property,
                                      const std::string& defaultValue) const {
    return FFile.ReadString(owner, property, defaultValue);
}

void TFormStateStore::WriteText(const std::string& owner, const std::string& property, const std::string& value) {
    FFile.WriteString(owner, property, value);
}

bool TFormStateStore::ReadBool(const std::string& owner, const std::string& property, bool defaultValue) const {
    return FFile.ReadBool(owner, property, defaultValue);
}

void TFormStateStore::WriteBool(const std::string& owner, const std::string& property, bool value) {
    FFile.WriteBool(owner, property, value);
}

int TFormStateStore::ReadInt(const std::string& owner, const std::string& property, int defaultValue) const {
    return FFile.ReadInteger(owner, property, defaultValue);
}

void TFormStateStore::WriteInt(const std::string& owner, const std::string& property, int value) {
    FFile.WriteInteger(owner, property, value);
}

std::optional<TWindowPlacement> TFormStateStore::ReadPlacement(const std::string& owner) const {
    auto readInt = [&](const char* key, int* value) {
        return ParseProfileInteger(FFile.ReadString(owner, key, ""), value);
    };
    TWindowPlacement placement;
    if (!readInt(keys::PlacementFlags, &placement.Flags) || !readInt(keys::PlacementShowCmd, &placement.ShowCmd) ||
        !readInt(keys::PlacementColor, &placement.Color))
        return std::nullopt;
    if (!ParseRectangle(FFile.ReadString(owner, keys::PlacementNormalPos, ""), &placement))
        return std::nullopt;
    return placement;
}

void TFormStateStore::WritePlacement(const std::string& owner, const TWindowPlacement& placement) {
    FFile.WriteInteger(owner, keys::PlacementFlags, placement.Flags);
    FFile.WriteInteger(owner, keys::PlacementShowCmd, placement.ShowCmd);
    FFile.WriteString(owner, keys::PlacementNormalPos,
                      std::to_string(placement.Left) + "," + std::to_string(placement.Top) + "," +
                          std::to_string(placement.Right) + "," + std::to_string(placement.Bottom));
    FFile.WriteInteger(owner, keys::PlacementColor, placement.Color);
}

} // namespace qel
