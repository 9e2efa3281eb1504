#pragma once

// A workstation running the board's controller headless on its own fake
// platform and Qel.ini, recording what its window, tree and dialogs are told;
// its wizard is the real wizard logic with a scripted folder dialog.

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
#include <memory>
#include <sstream>

namespace qel::test {

class TBoardComputer : public IMainView,
                       public IDepartmentTree,
                       public IMainDialogs,
                       public IMessageWindow,
                       public IFolderPicker,
                       public IDatabaseWizard {
public:
    explicit TBoardComputer(const std::string& computerName, const std::string& userName = "") : Platform(Root.Path()) {
        Platform.ComputerNameValue = computerName;
        Platform.UserNameValue = userName.empty() ? computerName + "_USER" : userName;
        MakeController();
    }

    // A fresh controller on the same platform, as when the program starts again.
    void MakeController() {
        Controller = std::make_unique<TMainController>(Platform, Ui, *this, Ui, Ui, Ui, Ui, *this, *this);
        Controller->SetWizard(this);
        Controller->SetDesktop(&Notifier, &Lock);
    }

    void JoinQuietly(const std::string& folder) {
        TIniFile ini(Platform, keys::ProfileFileName);
        ini.WriteString(keys::Locations, keys::DBaseLocation, folder);
        ini.WriteBool(keys::Qel, keys::FirstTimeRun, false);
    }

    bool Start() {
        if (!Controller->FormCreate())
            return false;
        Controller->FormShow();
        return true;
    }

    void Exit() {
        Controller->FileExit();
        Controller->FormClose();
        Controller->FormDestroy();
    }

    TDatabaseWizardLogic MakeWizard() {
        return TDatabaseWizardLogic(Platform, Controller->Settings(), Controller->Users(), Ui, *this,
                                    Controller->Context().App);
    }

    // "status|comments" of this computer's record as the users dataset holds it.
    std::string Stored() {
        Controller->Users().LoadCurrentUser();
        return Controller->Context().CurrentUser.Status + "|" + Controller->Context().CurrentUser.Comments;
    }

    std::string Signals() const {
        std::ostringstream out;
        out << "anim " << Animating << "/" << AnimationStarts << " beep " << Platform.BeepCount << " sound "
            << Platform.PlayedSounds.size() << " notice " << Notifier.Notices.size() << " attention "
            << AttentionRequests << " shown " << Shown.size() << " restore " << Restores << " poll " << MessageTimer;
        return out.str();
    }

    std::string Setting(const char* section, const char* key) {
        return TIniFile(Platform, keys::ProfileFileName).ReadString(section, key, keys::NotEntered);
    }

    void SetRefreshTimerEnabled(bool enabled) override { RefreshTimer = enabled; }
    bool RefreshTimerEnabled() const override { return RefreshTimer; }
    void SetMessageTimerEnabled(bool enabled) override { MessageTimer = enabled; }
    bool MessageTimerEnabled() const override { return MessageTimer; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void CloseWindow() override { ++CloseRequests; }
    void HideWindow() override { Hidden = true; }
    void SetStayOnTop(bool onTop) override { StayOnTop = onTop; }
    void ShowColumns(bool ext, bool department, bool comments) override { Columns = {ext, department, comments}; }
    void SetNewMailAnimation(bool on) override { AnimationStarts += (Animating = on); }
    void SetScreenLockTimerEnabled(bool enabled) override { LockTimer = enabled; }
    void RequestAttention() override { ++AttentionRequests; }
    void RestoreWindow() override { ++Restores; }

    void Clear() override { Nodes.clear(); }
    void AddRoot(const std::string& text) override { Nodes += text; }
    void AddChild(const std::string& text) override { Nodes += "|" + text; }

    bool Available(TMainDialog) const override { return AllDialogs; }
    void Show(TMainDialog dialog) override { Shown.push_back(dialog); }
    void ShowSendMessage(const TMessageWindowFields& fields, const std::string& to) override {
        Sent +=
            fields.Caption + "|" + fields.From + "|" + fields.To + "|" + to + (fields.Received.empty() ? "" : "|at");
    }
    bool MessageDialogOnScreen() const override { return MessageOnScreen; }
    IMessageWindow* MessageWindow() override { return AllDialogs ? this : nullptr; }
    void ShowModal(const TMessageWindowFields& fields) override { ReadWindows += fields.Subject + ";"; }

    // The folder dialog answers from a queue; an empty queue cancels.
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        FolderTitles += title + ";";
        if (Folders.empty())
            return std::nullopt;
        const std::string answer = Folders.front();
        Folders.pop_front();
        return answer;
    }

    // The real wizard, creating a database in the folder chosen.
    void Execute() override {
        ++WizardRuns;
        Ui.Log.push_back("wizard");
        TDatabaseWizardLogic wizard = MakeWizard();
        wizard.SelectCreate();
        wizard.Next();
        wizard.Next();
        if (!wizard.Finished())
            wizard.Cancel();
    }

    TScratchFolder Root;
    TFakePlatform Platform;
    TUiRecorder Ui;
    TFakeNotifier Notifier;
    TFakeScreenLock Lock;
    bool RefreshTimer = false, MessageTimer = false, LockTimer = false, Hidden = false, Animating = false;
    bool AllDialogs = true, MessageOnScreen = false;
    int CloseRequests = 0, AnimationStarts = 0, AttentionRequests = 0, Restores = 0, WizardRuns = 0;
    std::string Caption, Nodes, Sent, ReadWindows, FolderTitles;
    std::optional<bool> StayOnTop;
    std::vector<bool> Columns;
    std::vector<TMainDialog> Shown;
    std::deque<std::string> Folders;
    std::unique_ptr<TMainController> Controller;
};

// "user:status" of each board row, joined by "|".
inline std::string RowStatuses(const std::vector<TBoardRow>& rows) {
    std::string statuses;
    for (const TBoardRow& row : rows)
        statuses += (statuses.empty() ? "" : "|") + row.Caption + ":" + row.SubItems.at(0);
    return statuses;
}

} // namespace qel::test
