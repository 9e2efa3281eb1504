#pragma once

// Simulated workstations running the board's controller headless: each has
// its own fake platform, Qel.ini and screen recorders; all share one database
// folder. The wizard is the real wizard logic with a scripted folder dialog.

#include "app/DatabaseWizardLogic.h"
#include "app/MainController.h"
#include "platform/FakeDesktop.h"
#include "platform/FakePlatform.h"
#include "settings/FormState.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel::test {

// The window as the controller sees it.
class TViewRecorder : public IMainView {
public:
    void SetRefreshTimerEnabled(bool enabled) override { RefreshTimer = enabled; }
    bool RefreshTimerEnabled() const override { return RefreshTimer; }
    void SetMessageTimerEnabled(bool enabled) override { MessageTimer = enabled; }
    bool MessageTimerEnabled() const override { return MessageTimer; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void CloseWindow() override { ++CloseRequests; }
    void HideWindow() override { Hidden = true; }
    void SetStayOnTop(bool onTop) override { StayOnTop = onTop; }
    void ShowColumns(bool ext, bool department, bool comments) override {
        Columns = std::vector<bool>{ext, department, comments};
    }
    void SetNewMailAnimation(bool on) override {
        Animating = on;
        if (on)
            ++AnimationStarts;
    }
    void SetScreenLockTimerEnabled(bool enabled) override { LockTimer = enabled; }
    void RequestAttention() override { ++AttentionRequests; }
    void RestoreWindow() override { ++Restores; }

    bool RefreshTimer = false;
    bool MessageTimer = false;
    std::string Caption = AllDepartmentsCaption;
    int CloseRequests = 0;
    bool Hidden = false;
    std::optional<bool> StayOnTop;
    std::vector<bool> Columns;
    bool Animating = false;
    int AnimationStarts = 0;
    bool LockTimer = false;
    int AttentionRequests = 0;
    int Restores = 0;
};

class TTreeRecorder : public IDepartmentTree {
public:
    void Clear() override { Nodes.clear(); }
    void AddRoot(const std::string& text) override { Nodes.push_back(text); }
    void AddChild(const std::string& text) override { Nodes.push_back("  " + text); }
    std::vector<std::string> Nodes;
};

// Dialogs that all exist (or none, with AllAvailable false) and record what
// was opened.
class TDialogsRecorder : public IMainDialogs, public IMessageWindow {
public:
    bool Available(TMainDialog) const override { return AllAvailable; }
    void Show(TMainDialog dialog) override { Shown.push_back(dialog); }
    void ShowSendMessage(const TMessageWindowFields& fields, const std::string& toComputerName) override {
        SendFields.push_back(fields);
        SendAddresses.push_back(toComputerName);
    }
    bool MessageDialogOnScreen() const override { return OnScreen; }
    IMessageWindow* MessageWindow() override { return AllAvailable ? this : nullptr; }
    void ShowModal(const TMessageWindowFields& fields) override { ReadWindows.push_back(fields); }

    bool AllAvailable = true;
    bool OnScreen = false;
    std::vector<TMainDialog> Shown;
    std::vector<TMessageWindowFields> SendFields;
    std::vector<std::string> SendAddresses;
    std::vector<TMessageWindowFields> ReadWindows;
};

// The folder dialog answers from a queue; an empty queue cancels.
class TScriptedFolders : public IFolderPicker {
public:
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        Titles.push_back(title);
        if (Answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    std::deque<std::optional<std::string>> Answers;
    std::vector<std::string> Titles;
};

// One workstation. Several may share a platform's lock set to act as copies
// on the same computer.
class TBoardComputer : public IDatabaseWizard {
public:
    explicit TBoardComputer(const std::string& computerName, const std::string& userName = "") : Platform(Root.Path()) {
        Platform.ComputerNameValue = computerName;
        Platform.UserNameValue = userName.empty() ? computerName + "_USER" : userName;
        MakeController();
    }

    // A fresh controller on the same platform, as when the program starts again.
    void MakeController() {
        Controller = std::make_unique<TMainController>(Platform, Ui, View, Ui, Ui, Ui, Ui, Tree, Dialogs);
        Controller->SetWizard(this);
        Controller->SetDesktop(&Notifier, &Lock);
    }

    // Points the settings at `folder` and marks the autostart offer as made.
    void JoinQuietly(const std::string& folder) {
        TIniFile ini(Platform, keys::ProfileFileName);
        ini.WriteString(keys::Locations, keys::DBaseLocation, folder);
        ini.WriteBool(keys::Qel, keys::FirstTimeRun, false);
    }

    // FormCreate and FormShow, as the window runs them.
    bool Start() {
        if (!Controller->FormCreate())
            return false;
        Controller->FormShow();
        return true;
    }

    // The window closes for good: FormClose, then FormDestroy.
    void Exit() {
        Controller->FileExit();
        Controller->FormClose();
        Controller->FormDestroy();
    }

    // IDatabaseWizard: the wizard run with WizardChoice through the real rules.
    void Execute() override {
        ++WizardRuns;
        Ui.Log.push_back("wizard");
        TDatabaseWizardLogic wizard(Platform, Controller->Settings(), Controller->Users(), Ui, Folders,
                                    Controller->Context().App);
        if (WizardCreates)
            wizard.SelectCreate();
        else
            wizard.SelectJoin();
        wizard.Next();
        wizard.Next();
        if (!wizard.Finished())
            wizard.Cancel();
    }

    // This computer's record as the users dataset holds it now.
    TQelUser StoredRecord() {
        Controller->Users().LoadCurrentUser();
        return Controller->Context().CurrentUser;
    }

    std::string IniText() {
        std::string text;
        Platform.ReadFile(Platform.ConfigFolder() + keys::ProfileFileName, &text);
        return text;
    }

    TScratchFolder Root;
    TFakePlatform Platform;
    TUiRecorder Ui;
    TViewRecorder View;
    TTreeRecorder Tree;
    TDialogsRecorder Dialogs;
    TScriptedFolders Folders;
    TFakeNotifier Notifier;
    TFakeScreenLock Lock;
    bool WizardCreates = true;
    int WizardRuns = 0;
    std::unique_ptr<TMainController> Controller;
};

inline TShownBox InfoBox(const std::string& text) {
    return {TBoxKind::Information, text, TBoxButtons::Ok};
}
inline TShownBox Question(const std::string& text) {
    return {TBoxKind::Information, text, TBoxButtons::YesNo};
}

// The status texts of the board's rows, by user.
inline std::vector<std::string> RowStatuses(const std::vector<TBoardRow>& rows) {
    std::vector<std::string> statuses;
    for (const TBoardRow& row : rows)
        statuses.push_back(row.Caption + ":" + (row.SubItems.empty() ? "" : row.SubItems[0]));
    return statuses;
}

} // namespace qel::test
