#pragma once

// A small simulated office: several computers, each with its own platform
// (computer and login name), its own Qel.ini in its own folder and its own
// screen recorder, all sharing one temporary database folder.

#include "platform/FakePlatform.h"
#include "records/QelFile.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace qel {

inline void PrintTo(const TQelUser& user, std::ostream* out) {
    *out << "{\"" << user.UserName << "\", \"" << user.Status << "\", \"" << user.Extension << "\", \""
         << user.Department << "\", \"" << user.Comments << "\", \"" << user.ComputerName << "\", "
         << user.Administrator << "}";
}

} // namespace qel

namespace qel::test {

// Scratch folders remove themselves with everything in them.
using TTempFolder = TScratchFolder;

// One workstation running the program.
class TComputer {
public:
    // `databaseFolder` is written to the settings as given; `engineFolder`
    // empty finds the engine beside the test program.
    TComputer(const std::string& computerName, const std::string& userName, const std::string& databaseFolder,
              const std::string& engineFolder = {})
        : Platform(Root.Path()),
          Settings(Platform, keys::ProfileFileName), Context{Platform, Settings, Ui,           Ui, Ui,
                                                             Ui,       nullptr,  engineFolder, {}, false} {
        Platform.ComputerNameValue = computerName;
        Platform.UserNameValue = userName;
        Settings.WriteString(keys::Locations, keys::DBaseLocation, databaseFolder);
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

    // The board as this computer's refresh would fill it.
    std::vector<TBoardRow> Board() {
        Users->ListUsers(Ui);
        return Ui.Rows;
    }

    TQelUser& Current() { return Context.CurrentUser; }

    // This computer's own folders (its Qel.ini lies in Root/config/).
    TTempFolder Root;
    TFakePlatform Platform;
    TIniFile Settings;
    TUiRecorder Ui;
    TQelContext Context;
    std::unique_ptr<TQelFile> Users;
};

// A row as the board shows a user who has just started the program.
inline TBoardRow FreshRow(const std::string& userName, const std::string& computerName) {
    return {userName, {"Available", "", "", "", computerName}, 1};
}

// A user record with every field given, in record order but Administrator last.
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

inline TShownBox ErrorBox(const std::string& text) {
    return {TBoxKind::Error, text, TBoxButtons::Ok};
}

} // namespace qel::test
