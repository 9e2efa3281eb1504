#include "app/Presence.h"

#include "settings/SettingsKeys.h"
#include "util/StringUtils.h"

namespace qel {

namespace {
constexpr const char* Available = "Available";
constexpr const char* AwayFromDesk = "Away from desk";
// Row sub-items: Status, Ext, Department, Comments, PC Name.
constexpr size_t StatusItem = 0;
constexpr size_t CommentsItem = 3;
constexpr size_t ComputerItem = 4;
} // namespace

std::optional<std::string> TScreenLockCheck::StoredStatus() {
    FUsers.StoredStatus.clear();
    FUsers.LoadCurrentUser();
    if (FUsers.StoredStatus.empty())
        return std::nullopt;
    return FUsers.StoredStatus;
}

bool TScreenLockCheck::Write(const char* status) {
    FCurrentUser.Status = status;
    FUsers.SaveStatus();
    return true;
}

bool TScreenLockCheck::Check(bool locked) {
    if (FLastLocked == locked)
        return false;
    const std::optional<std::string> status = StoredStatus();
    // Unreadable record: try again at the next check.
    if (!status)
        return false;
    FLastLocked = locked;
    if (locked) {
        if (*status != Available)
            return false;
        FAwaySetByCheck = true;
        return Write(AwayFromDesk);
    }
    const bool ours = FAwaySetByCheck;
    FAwaySetByCheck = false;
    return ours && *status == AwayFromDesk && Write(Available);
}

TWatchList::TWatchList(TIniFile& settings) : FSettings(settings) {
    const std::string list = settings.ReadString(keys::Watch, keys::WatchComputers, "");
    for (std::string name : SplitList(list, ',')) {
        name.erase(0, name.find_first_not_of(' '));
        name.erase(name.find_last_not_of(' ') + 1);
        if (!name.empty())
            FComputers.insert(name);
    }
}

void TWatchList::Toggle(const std::string& computer) {
    std::set<std::string> computers = FComputers;
    if (!computers.erase(computer))
        computers.insert(computer);
    std::string list;
    for (const std::string& name : computers)
        list += (list.empty() ? "" : ",") + name;
    FSettings.WriteString(keys::Watch, keys::WatchComputers, list);
    FComputers = std::move(computers);
}

std::vector<TBoardRow> TWatchList::Changes(const std::vector<TBoardRow>& rows) {
    std::vector<TBoardRow> changed;
    for (const TBoardRow& row : rows) {
        if (row.SubItems.size() <= ComputerItem || !Contains(row.SubItems[ComputerItem]))
            continue;
        const std::pair<std::string, std::string> now{row.SubItems[StatusItem], row.SubItems[CommentsItem]};
        const auto [seen, first] = FLastSeen.try_emplace(row.SubItems[ComputerItem], now);
        if (!first && seen->second != now) {
            seen->second = now;
            changed.push_back(row);
        }
    }
    return changed;
}

} // namespace qel
