#pragma once

// Simulated computers sharing one temporary database folder.

#include "dialogs/MainWindowHooks.h"
#include "platform/FakePlatform.h"
#include "records/MessageObj.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace qel::test {

// Records what the dialogs ask of the main window.
class THooksRecorder : public IMainWindowHooks {
public:
    explicit THooksRecorder(IBoardList& board) : FBoard(board) {}
    void SetRefreshTimerEnabled(bool on) override { RefreshTimer = on; }
    void SetMessageTimerEnabled(bool on) override { MessageTimer = on; }
    void SetSendMessageEnabled(bool on) override { SendMessage = on; }
    void ClearNewMailState() override { ++NewMailCleared; }
    IBoardList& Board() override { return FBoard; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void ShowColumns(bool ext, bool department, bool comments) override {
        Columns = {ext, department, comments};
        Log += "columns ";
    }
    void WidenByOnePixel() override { Log += "widen"; }
    void ApplyShape(const TMainShape& shape) override { Shapes.push_back(shape); }

    bool RefreshTimer = true, MessageTimer = true, SendMessage = true;
    int NewMailCleared = 0;
    std::string Caption, Log;
    std::vector<bool> Columns;
    std::vector<TMainShape> Shapes;

private:
    IBoardList& FBoard;
};

// One workstation running the program.
class TDialogComputer {
public:
    TDialogComputer(const std::string& computerName, const std::string& userName, const std::string& databaseFolder)
        : Platform(Root.Path()), Settings(Platform, keys::ProfileFileName), Context{Platform, Settings, Ui, Ui, Ui,
                                                                                    Ui,       nullptr,  {}, {}, false},
          Hooks(Ui) {
        Platform.ComputerNameValue = computerName;
        Platform.UserNameValue = userName;
        Settings.WriteString(keys::Locations, keys::DBaseLocation, databaseFolder);
        Users = std::make_unique<TQelFile>(Context);
        Statuses = std::make_unique<TQelStatus>(Context);
        Departments = std::make_unique<TQelDepartment>(Context);
        Messages = std::make_unique<TQelMessage>(Context, Users->Location);
        Services = std::make_unique<TDialogServices>(
            TDialogServices{Context, Settings, *Users, *Statuses, *Departments, *Messages, Hooks, {}});
    }

    // As start-up does: locate, register, "Available".
    void Start() {
        Users->LoadLocation();
        Users->RegisterComputer();
        Context.CurrentUser.Status = "Available";
        Users->SaveStatus();
        Statuses->CreateStatusDataset();
        Departments->CreateDepartmentDataset();
    }

    TQelUser Record() {
        const TQelUser saved = Context.CurrentUser;
        Users->LoadCurrentUser();
        TQelUser record = Context.CurrentUser;
        Context.CurrentUser = saved;
        return record;
    }

    TScratchFolder Root;
    TFakePlatform Platform;
    TIniFile Settings;
    TUiRecorder Ui;
    TQelContext Context;
    THooksRecorder Hooks;
    std::unique_ptr<TQelFile> Users;
    std::unique_ptr<TQelStatus> Statuses;
    std::unique_ptr<TQelDepartment> Departments;
    std::unique_ptr<TQelMessage> Messages;
    std::unique_ptr<TDialogServices> Services;
};

class TDialogOffice : public ::testing::Test {
protected:
    TDialogComputer& Join(const std::string& computerName, const std::string& userName) {
        Computers.push_back(std::make_unique<TDialogComputer>(computerName, userName, Database.Path()));
        Computers.back()->Start();
        return *Computers.back();
    }

    TScratchFolder Database;
    std::vector<std::unique_ptr<TDialogComputer>> Computers;
};

inline TShownBox Question(const std::string& text) {
    return {TBoxKind::Information, text, TBoxButtons::YesNo};
}

} // namespace qel::test
