#pragma once

// A small simulated office for the user register: each computer a station
// with its own login name and register, all sharing one database folder.

#include "records/QelFile.h"
#include "tests/support/Station.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace qel {

inline void PrintTo(const TQelUser& user, std::ostream* out) {
    *out << "{\"" << user.UserName << "\", \"" << user.Status << "\", \"" << user.Extension << "\", \""
         << user.Department << "\", \"" << user.Comments << "\", \"" << user.ComputerName << "\", "
         << user.Administrator << "}";
}

} // namespace qel

namespace qel::test {

class TComputer : public TStation {
public:
    TComputer(const std::string& computerName, const std::string& userName, const std::string& databaseFolder,
              const std::string& engineFolder = {})
        : TStation(computerName, databaseFolder, engineFolder) {
        Platform.UserNameValue = userName;
        Users = std::make_unique<TQelFile>(Context);
    }

    // What start-up does with the register: locate the folder, register
    // this computer, announce it "Available".
    void Start() {
        Users->LoadLocation();
        Users->RegisterComputer();
        Context.CurrentUser.Status = "Available";
        Users->SaveStatus();
    }

    std::vector<TBoardRow> Board() {
        Users->ListUsers(Ui);
        return Ui.Rows;
    }

    TQelUser& Current() { return Context.CurrentUser; }

    std::unique_ptr<TQelFile> Users;
};

// A row as the board shows a user who has just started the program.
inline TBoardRow FreshRow(const std::string& userName, const std::string& computerName) {
    return {userName, {"Available", "", "", "", computerName}, 1};
}

// A user record with every field given, Administrator last.
inline TQelUser UserRecord(const std::string& userName, const std::string& status, const std::string& extension,
                           const std::string& department, const std::string& comments, const std::string& computerName,
                           int16_t administrator) {
    TQelUser user;
    user.UserName = userName;
    user.Status = status;
    user.Extension = extension;
    user.Department = department;
    user.Comments = comments;
    user.ComputerName = computerName;
    user.Administrator = administrator;
    return user;
}

} // namespace qel::test
