#pragma once

#include "records/QelFile.h"
#include "records/UiPorts.h"
#include "settings/IniFile.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qel {

// "Away from desk" while the screen is locked. The check acts only when the
// lock state changes, and reads this computer's record afresh each time:
// - locked, and the record says "Available": writes "Away from desk" and
//   remembers that it did;
// - unlocked, the check wrote "Away from desk", and the record still says
//   so: writes "Available".
// Any status the user (or anyone) chose is left alone in both directions.
class TScreenLockCheck {
public:
    TScreenLockCheck(TQelFile& users, TQelUser& currentUser) : FUsers(users), FCurrentUser(currentUser) {}
    // One check with the current lock state. True when it wrote this
    // computer's status (the board then wants a refill).
    bool Check(bool locked);

private:
    // The record's status; empty when it could not be read.
    std::optional<std::string> StoredStatus();
    bool Write(const char* status);

    TQelFile& FUsers;
    TQelUser& FCurrentUser;
    std::optional<bool> FLastLocked;
    bool FAwaySetByCheck = false;
};

// The colleagues this computer follows: [Watch] Computers in the settings
// file (computer names separated by commas), and what their rows said at the
// last refill. Nothing of it is in the shared folder.
class TWatchList {
public:
    // Reads the list once; this object is its only writer afterwards.
    explicit TWatchList(TIniFile& settings);

    bool Contains(const std::string& computer) const { return FComputers.count(computer) != 0; }
    // Adds or removes `computer` and stores the list; raises EIniFileError
    // (the list in memory unchanged) when the file cannot be written.
    void Toggle(const std::string& computer);

    // The rows of a refill whose watched computer's status or comment differs
    // from the last refill that showed it. A computer seen for the first time
    // is only remembered.
    std::vector<TBoardRow> Changes(const std::vector<TBoardRow>& rows);

private:
    TIniFile& FSettings;
    std::set<std::string> FComputers;
    // Status and comments by computer, as last seen.
    std::map<std::string, std::pair<std::string, std::string>> FLastSeen;
};

// Forwards a board fill to `target` and hands the rows to `filled` at its
// end, so a refill's rows can be compared.
class TBoardTap : public IBoardList {
public:
    TBoardTap(IBoardList& target, std::function<void(const std::vector<TBoardRow>&)> filled)
        : FTarget(target), FFilled(std::move(filled)) {}
    void BeginUpdate() override { FTarget.BeginUpdate(); }
    void Clear() override {
        FRows.clear();
        FTarget.Clear();
    }
    void AddRow(const TBoardRow& row) override {
        FRows.push_back(row);
        FTarget.AddRow(row);
    }
    void EndUpdate() override {
        FTarget.EndUpdate();
        FFilled(FRows);
    }

private:
    IBoardList& FTarget;
    std::function<void(const std::vector<TBoardRow>&)> FFilled;
    std::vector<TBoardRow> FRows;
};

} // namespace qel
