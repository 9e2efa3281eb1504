// The board's controller headless: workstations on fake platforms sharing one database folder.

#include "app/DatabaseWizardLogic.h"
#include "app/MainController.h"
#include "isam/IsamFile.h"
#include "platform/FakeDesktop.h"
#include "platform/FakePlatform.h"
#include "records/RecordsCommon.h"
#include "settings/FormState.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"
#include "tests/support/FileProbes.h"
#include "tests/support/Recorders.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>

namespace qel::test {
namespace {
struct TBoardComputer : IMainView, IDepartmentTree, IMainDialogs, IMessageWindow, IFolderPicker, IDatabaseWizard {
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

    void Start() {
        ASSERT_TRUE(Controller->FormCreate());
        Controller->FormShow();
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
    void SetStayOnTop(bool on) override { StayOnTop = on; }
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

    // The folder dialog answers Folder; none cancels.
    std::optional<std::string> ChooseFolder(const std::string& title) override {
        FolderTitles += title + ";";
        return Folder.empty() ? std::nullopt : std::optional(Folder);
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
    bool AllDialogs = true, MessageOnScreen = false, StayOnTop = false;
    int CloseRequests = 0, AnimationStarts = 0, AttentionRequests = 0, Restores = 0, WizardRuns = 0;
    std::string Caption, Nodes, Sent, ReadWindows, FolderTitles, Folder;
    std::vector<bool> Columns;
    std::vector<TMainDialog> Shown;
    std::unique_ptr<TMainController> Controller;
};

// "user:status" of each board row, joined by "|".
inline std::string RowStatuses(const std::vector<TBoardRow>& rows) {
    std::string statuses;
    for (const TBoardRow& row : rows)
        statuses += (statuses.empty() ? "" : "|") + row.Caption + ":" + row.SubItems.at(0);
    return statuses;
}

const TShownBox AutostartQuestion{TBoxKind::Information,
                                  "Thankyou for using Qel.\r\rWould you like Qel to start automatically on startup?",
                                  TBoxButtons::YesNo};
const TShownBox AutostartDone{TBoxKind::Information, "Qel will now start automatically on startup", TBoxButtons::Ok};
const TShownBox ExitQuestion{TBoxKind::Information,
                             "Would you like to retain your current Status?\r\rNote : If you choose \"No\" your status "
                             "will be changed to \"Offline\"",
                             TBoxButtons::YesNo};

// The autostart question is asked once whatever the answer; a wizard cancelled or refused stores nothing.
TEST(StartupTest, FirstRunTheNextStartAndTheWizardLeft) {
    for (const bool yes : {true, false}) {
        TScratchFolder database;
        TBoardComputer pc("ALPHA", "ANNA");
        pc.Platform.WriteFileAtomic(pc.Platform.ProgramPathValue, "#!/bin/sh\n", nullptr);
        pc.Folder = database.Path();
        pc.Ui.QueueAnswer(yes ? TBoxAnswer::Yes : TBoxAnswer::No);
        pc.Start();
        EXPECT_EQ(pc.Ui.Boxes, (yes ? std::vector{AutostartQuestion, AutostartDone} : std::vector{AutostartQuestion}));
        EXPECT_EQ(pc.Ui.Log.front() + " " + pc.FolderTitles, "wizard Create DBase;");
        EXPECT_EQ(pc.Platform.FileExists(pc.Platform.AutostartFolderValue + "Qel.desktop"), yes);
        EXPECT_EQ(pc.Setting(keys::Locations, keys::DBaseLocation), database.Path());
        EXPECT_EQ(pc.Ui.Rows, (std::vector<TBoardRow>{{"ANNA", {"Available", "", "", "", "ALPHA"}, 1}}));
        EXPECT_TRUE(pc.Controller->Context().IsAdministrator && pc.RefreshTimer && pc.MessageTimer);

        pc.Controller->Context().CurrentUser.Comments = "back at 3";
        pc.Controller->Users().SaveUser();
        pc.Controller->SetStatus("Gone home");
        TFormStateStore(pc.Controller->Settings()).WriteBool("TfrmSettings", "CheckBoxDisplayExt.Checked", false);
        pc.Controller->Settings().WriteString(keys::Options, keys::StayOnTop, yes ? "Yes" : "yes");
        pc.Ui.QueueAnswer(TBoxAnswer::Yes);
        pc.Exit();
        pc.Ui.Reset();
        pc.MakeController();
        pc.Start();
        EXPECT_TRUE(pc.WizardRuns == 1 && pc.Ui.Boxes.empty() && pc.StayOnTop == yes);
        EXPECT_EQ(pc.Columns, (std::vector<bool>{false, true, true}));
        EXPECT_EQ(pc.Stored(), "Available|back at 3");
    }

    TScratchFolder database;
    TBoardComputer pc("ALPHA");
    pc.Start();
    pc.Exit();
    EXPECT_TRUE(pc.WizardRuns == 1 && pc.Ui.TerminateRequests >= 1 && pc.Ui.Boxes.empty() && !pc.RefreshTimer);
    EXPECT_EQ(pc.Setting(keys::Qel, keys::FirstTimeRun), keys::NotEntered);
    pc.Ui.Reset();
    pc.MakeController();
    EXPECT_TRUE(pc.Controller->FormCreate());
    pc.Platform.FailWrites = true;
    pc.Folder = database.Path();
    TDatabaseWizardLogic wizard = pc.MakeWizard();
    wizard.Next(); // nothing chosen: stays
    wizard.SelectCreate();
    wizard.Next();
    wizard.Previous();
    wizard.Next();
    wizard.Next();
    ASSERT_EQ(pc.Ui.Boxes.size(), 1u);
    EXPECT_EQ(pc.Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_FALSE(wizard.Finished() || pc.Platform.FileExists(database.Path() + "QelDBase.isd"));
    EXPECT_EQ(pc.Setting(keys::Locations, keys::DBaseLocation), keys::NotEntered);
    wizard.Help();
    wizard.Cancel();
    EXPECT_TRUE(wizard.Cancelled() && pc.Controller->TerminateRequested() && pc.Ui.TerminateRequests == 1);
    EXPECT_EQ(pc.Platform.HelpTopics, std::vector<std::string>{"Installation"});
    wizard.Next();
    EXPECT_FALSE(wizard.Finished());
}

// ALPHA (ANNA, the creator and administrator) and BETA (BEN) on a fresh folder.
struct BoardTest : ::testing::Test {
    void SetUp() override {
        Database = std::make_unique<TScratchFolder>();
        A = std::make_unique<TBoardComputer>("ALPHA", "ANNA");
        B = std::make_unique<TBoardComputer>("BETA", "BEN");
        for (TBoardComputer* pc : {A.get(), B.get()}) {
            pc->JoinQuietly(Database->Path());
            pc->Start();
        }
        A->Ui.Reset();
    }
    std::string Path(const char* name) const { return Database->Path() + name; }
    std::string Notices() const {
        std::string texts;
        for (const TDesktopNotice& notice : A->Notifier.Notices)
            texts += notice.Summary + "|" + notice.Body + ";";
        return texts;
    }
    // The commands enabled, in the order of TCommandStates.
    static std::string Enabled(TBoardComputer& pc, bool rowSelected) {
        const TCommandStates s = pc.Controller->CommandStates(rowSelected);
        std::string on;
        for (bool state : {s.StatusCommands, s.CustomStatus, s.Comments, s.Settings, s.Users, s.Departments, s.Statuses,
                           s.SendMessage, s.ViewInBox, s.FilterOnDepartment})
            on += state ? '1' : '0';
        return on;
    }

    std::unique_ptr<TScratchFolder> Database;
    std::unique_ptr<TBoardComputer> A, B;
};

// A second copy on the same computer is refused and writes nothing; a peer's garbage is shown once, then in the panel.
TEST_F(BoardTest, SecondCopyIsRefusedAndAnUnreadableBoardIsShownOnce) {
    TBoardComputer &first = *A, second("ALPHA");
    first.Controller->SetStatus("In meeting");
    const std::string ini = first.Platform.ConfigFolder() + keys::ProfileFileName, before = FileBytes(ini);
    TMainController copy(first.Platform, second.Ui, second, second.Ui, second.Ui, second.Ui, second.Ui, second, second);
    EXPECT_FALSE(copy.FormCreate());
    copy.FormShow();
    copy.FormClose();
    copy.FormDestroy();
    EXPECT_EQ(second.Ui.Log, (std::vector<std::string>{"box Information: Qel is already running!", "terminate"}));
    EXPECT_TRUE(second.Hidden && copy.AlreadyRunning());
    EXPECT_EQ(FileBytes(ini) + first.Stored(), before + "In meeting|");
    EXPECT_EQ(first.Platform.LockRequests, (std::vector<std::string>{"TVK - Qel", "TVK - Qel"}));

    A->Ui.Reset();
    std::filesystem::rename(Path("QelDBase.isd"), Path("kept.isd"));
    for (const char* junk : {"junk", "more junk"}) {
        std::ofstream(Path("QelDBase.isd"), std::ios::binary) << junk;
        A->Controller->RefreshTick();
    }
    ASSERT_EQ(A->Ui.Boxes.size(), 1u);
    const std::string fault = OnOneLine(A->Ui.Boxes[0].Text);
    EXPECT_NE(fault.find(IsamErrorText(8)), std::string::npos);
    EXPECT_EQ(A->Ui.PanelTexts.back() + "|" + std::to_string(A->Ui.Rows.size()), fault + "|0");
    std::ofstream(Path("QelMesg.isd")) << "junk";
    A->Controller->MessageTick();
    EXPECT_EQ(A->Ui.PanelTexts.back(), fault);
    std::filesystem::rename(Path("kept.isd"), Path("QelDBase.isd"));
    A->Controller->RefreshTick();
    EXPECT_EQ(A->Ui.PanelTexts.back() + "|" + std::to_string(A->Ui.Rows.size()), "|2");
}

// Exit by the menu or the shutdown marker; ticks after the close do nothing.
TEST_F(BoardTest, ExitKeepsOrClearsTheStatusAsAnswered) {
    const std::tuple<const char*, bool, TBoxAnswer, bool, const char*> cases[] = {
        {"yes", true, TBoxAnswer::Yes, false, "In meeting|till 4"},
        {"no", true, TBoxAnswer::No, false, "Offline|"},
        {"not asked", false, TBoxAnswer::Yes, false, "Offline|"},
        {"marker", true, TBoxAnswer::Yes, true, "Offline|"}};
    for (const auto& [name, confirm, answer, marker, stored] : cases) {
        SCOPED_TRACE(name);
        SetUp();
        TBoardComputer& pc = *A;
        const std::string shutdownFile = Path("QelDBase.smd");
        pc.Controller->Context().CurrentUser.Comments = "till 4";
        pc.Controller->Users().SaveUser();
        pc.Controller->SetStatus("In meeting");
        TFormStateStore(pc.Controller->Settings()).WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", confirm);
        pc.Ui.QueueAnswer(answer);
        if (marker) {
            std::ofstream(shutdownFile) << "";
            pc.Controller->RefreshTick();
            EXPECT_TRUE(pc.CloseRequests == 1 && pc.Controller->ShutdownSeen());
        } else {
            pc.Controller->FileExit();
        }
        pc.Controller->FormClose();
        std::ofstream(shutdownFile) << "";
        pc.Controller->RefreshTick();
        EXPECT_TRUE(pc.CloseRequests == 1 && !pc.RefreshTimer && !pc.MessageTimer);
        pc.Controller->FormDestroy();
        EXPECT_EQ(pc.Ui.Boxes, confirm && !marker ? std::vector{ExitQuestion} : std::vector<TShownBox>{});
        pc.MakeController();
        pc.Controller->FormCreate();
        pc.Controller->Users().LoadLocation();
        EXPECT_EQ(pc.Stored(), stored);
    }
}

// Jobs wait as on a slow share; Read runs the oldest job's read and returns what it would show.
struct TQueuedWork : IBackgroundWork {
    void Post(std::function<std::function<void()>()> work) override { Jobs.push_back(std::move(work)); }
    std::function<void()> Read() {
        auto job = std::move(Jobs.front());
        Jobs.pop_front();
        return job();
    }
    std::deque<std::function<std::function<void()>()>> Jobs;
};

// A tick without a change reads nothing; a slow read is dropped when another fill overtook it.
TEST_F(BoardTest, ChangesReachTheBoardsByTheTick) {
    for (const TStatusCommand& command : BuiltInStatusCommands) {
        B->Controller->SetStatus(command.Status);
        EXPECT_EQ(B->Stored(), std::string(command.Status) + "|");
        EXPECT_EQ(B->Ui.Rows.at(1).ImageIndex, command.Image) << command.Caption;
        EXPECT_EQ(B->Ui.TrayImages.back(), command.Image) << command.Caption;
    }
    B->Ui.Reset();
    B->Controller->SetStatus("Gone home");
    EXPECT_EQ(std::count(B->Ui.Log.begin(), B->Ui.Log.end(), "board begin"), 1);
    EXPECT_EQ(RowStatuses(B->Ui.Rows), "ANNA:Available|BEN:Gone home");
    B->Ui.Reset();
    B->Controller->RefreshTick();
    EXPECT_TRUE(B->Ui.Log.empty() && A->Ui.Rows.empty());
    B->Controller->Users().SaveUser();
    B->Controller->Users().ListUsers(B->Controller->BoardAfterOwnWrite());
    B->Ui.Reset();
    B->Controller->RefreshTick();
    EXPECT_TRUE(B->Ui.Log.empty());
    A->Controller->RefreshTick();
    EXPECT_EQ(A->Ui.Log, (std::vector<std::string>{"panel: ", "tray 1", "board begin", "board clear", "row ANNA",
                                                   "row BEN", "board end"}));
    EXPECT_EQ(A->Ui.Rows.at(1), (TBoardRow{"BEN", {"Gone home", "", "", "", "BETA"}, 4}));

    TQueuedWork work;
    A->Controller->SetBackgroundWork(&work);
    A->Ui.Reset();
    B->Controller->SetStatus("At lunch");
    A->Controller->RefreshTick();
    A->Controller->RefreshTick();
    ASSERT_TRUE(work.Jobs.size() == 1 && A->Ui.Log.empty());
    work.Read()();
    EXPECT_EQ(RowStatuses(A->Ui.Rows), "ANNA:Available|BEN:At lunch");
    EXPECT_EQ(A->Controller->BoardRows(), A->Ui.Rows);
    B->Controller->SetStatus("DND");
    A->Controller->RefreshTick();
    const std::function<void()> show = work.Read();
    B->Controller->SetStatus("Off sick");
    A->Controller->TreeClick(std::string(DepartmentsRootText));
    show();
    EXPECT_EQ(RowStatuses(A->Ui.Rows), "ANNA:Available|BEN:Off sick");
}

// The filter lasts until the root is clicked; the administrator flag counts from the next refresh.
TEST_F(BoardTest, DepartmentFilterAndCommandStates) {
    TBoardComputer gamma("GAMMA", "GUS");
    gamma.JoinQuietly(Database->Path());
    gamma.Controller->FormCreate();
    gamma.Controller->Departments().CreateDepartmentDataset();
    gamma.Controller->Departments().AddDepartment("Sales");
    gamma.Controller->Departments().AddDepartment("sales team");
    gamma.Controller->FormShow();
    B->Controller->Context().CurrentUser.Department = "Sales";
    B->Controller->Users().SaveUser();
    EXPECT_EQ(gamma.Nodes, "Departments|Sales|sales team");
    gamma.Controller->TreeClick(std::string("Sales"));
    EXPECT_EQ(gamma.Caption + "|" + RowStatuses(gamma.Ui.Rows), "Qel - Filtered on Sales|BEN:Available");
    B->Controller->SetStatus("At lunch");
    gamma.Controller->RefreshTick();
    gamma.Controller->SetStatus("Away from desk");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), "BEN:At lunch");
    gamma.Controller->TreeClick(std::string("sales team"));
    gamma.Controller->TreeClick(std::nullopt);
    EXPECT_EQ(gamma.Caption + "|" + RowStatuses(gamma.Ui.Rows), "Qel - Filtered on sales team|");
    gamma.Controller->TreeClick(std::string("Departments"));
    EXPECT_EQ(gamma.Caption, "Qel - All Departments");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), "ANNA:Available|BEN:At lunch|GUS:Away from desk");

    EXPECT_EQ(Enabled(*B, false), "1111000011");
    TQelUser& edited = A->Controller->Context().CurrentUser;
    edited = B->Controller->Context().CurrentUser;
    edited.Administrator = 1;
    A->Controller->Users().SaveUser();
    EXPECT_EQ(Enabled(*B, true), "1111000111");
    B->Controller->RefreshTick();
    EXPECT_EQ(Enabled(*B, true), "1111111111");
    B->AllDialogs = false;
    B->Controller->ShowDialog(TMainDialog::Settings);
    EXPECT_TRUE(B->Shown.empty());
}

// Without notices (turned off, or no service) the window asks for attention.
TEST_F(BoardTest, NewMailIsAnnouncedOnce) {
    A->Controller->TrayDoubleClick();
    A->Controller->ViewInBox();
    B->Controller->Settings().WriteString(keys::Options, keys::DesktopNotifications, "No");
    TFormStateStore store(B->Controller->Settings());
    store.WriteBool("TfrmSettings", "chkPlayWavFile.Checked", true);
    store.WriteText("TfrmSettings", "edtWavFileSelected.Text", "/sounds/ding.wav");
    A->Controller->Messages().Send("BETA", "ALPHA", "hello", "text");
    A->Controller->MessageTick();
    B->Controller->MessageTick();
    EXPECT_EQ(A->Signals(), "anim 0/0 beep 0 sound 0 notice 0 attention 0 shown 1 restore 0 poll 1");
    EXPECT_EQ(B->Signals(), "anim 1/1 beep 0 sound 1 notice 0 attention 0 shown 0 restore 0 poll 0");
    EXPECT_EQ(B->Platform.PlayedSounds, std::vector<std::string>{"/sounds/ding.wav"});

    B->Controller->Messages().Send("ALPHA", "BETA", "lunch?", "at 1");
    B->Controller->Messages().Send("ALPHA", "BETA", "<b>Fish & chips</b>", "at 1");
    A->Controller->MessageTick();
    EXPECT_EQ(Notices(), "New message from BEN|<b>Fish & chips</b>\n(2 new messages);");
    EXPECT_EQ(A->Signals(), "anim 1/1 beep 1 sound 0 notice 1 attention 0 shown 1 restore 0 poll 0");
    EXPECT_EQ(A->Ui.PanelTexts.front() + "|" + A->Ui.PanelTexts.back(), "Locating messages...|");
    EXPECT_TRUE(A->Controller->NewMailState());
    A->Notifier.Answers = false;
    B->Controller->Messages().Send("ALPHA", "BETA", "again", "");
    A->MessageTimer = true;
    A->Controller->MessageTick();
    EXPECT_EQ(A->Signals(), "anim 1/2 beep 1 sound 0 notice 1 attention 1 shown 1 restore 0 poll 0");
    EXPECT_EQ(A->Ui.PanelTexts.back(), "New message from BEN (no desktop notification service answers)");
    A->Notifier.Answers = true;
    A->MessageTimer = true;
    A->Controller->Messages().Send("BETA", "ALPHA", "ok", "");
    A->Controller->MessageTick();
    A->Notifier.Notices[0].OnAction();
    EXPECT_EQ(A->Signals(), "anim 1/3 beep 1 sound 0 notice 1 attention 1 shown 2 restore 1 poll 0");
    A->MessageOnScreen = true;
    A->Controller->TrayDoubleClick();
    A->MessageOnScreen = false;
    A->Controller->TrayDoubleClick();
    A->Controller->ClearNewMailState();
    EXPECT_EQ(A->Signals(), "anim 0/3 beep 1 sound 0 notice 1 attention 1 shown 3 restore 1 poll 0");
    EXPECT_EQ(A->Shown, std::vector<TMainDialog>(3, TMainDialog::InBox));

    for (const bool asked : {false, true}) {
        B->Ui.QueueAnswer(TBoxAnswer::Yes);
        B->Exit();
        TFormStateStore(B->Controller->Settings())
            .WriteBool("TfrmSettings", "chkCheckForMessagesOnStart.Checked", asked);
        B->MakeController();
        B->Animating = false;
        B->Start();
        EXPECT_EQ(B->Animating, asked);
        EXPECT_EQ(B->ReadWindows, asked ? "hello;ok;" : "");
    }
    EXPECT_EQ(B->Signals(), "anim 1/2 beep 0 sound 1 notice 0 attention 0 shown 0 restore 0 poll 1");
}

TEST_F(BoardTest, ScreenLockTurnsOnlyAvailableIntoAwayAndBackOnce) {
    // Option, lock answer (none: no service), status before, one set while locked, stored locked, unlocked.
    const std::tuple<const char*, std::optional<bool>, const char*, const char*, const char*, const char*> cases[] = {
        {"Yes", true, "Available", nullptr, "Away from desk", "Available"},
        {"Yes", true, "Away from desk", nullptr, "Away from desk", "Away from desk"},
        {"Yes", true, "In meeting", nullptr, "In meeting", "In meeting"},
        {"Yes", true, "Available", "DND", "DND", "DND"},
        {"No", true, "Available", nullptr, "Available", "Available"},
        {"Yes", std::nullopt, "Available", nullptr, "Available", "Available"},
    };
    for (const auto& [option, answers, chosen, whileLocked, lockedStatus, unlockedStatus] : cases) {
        SCOPED_TRACE(testing::Message() << option << answers.has_value() << chosen << (whileLocked != nullptr));
        SetUp();
        A->Controller->Settings().WriteString(keys::Options, keys::AwayWhenLocked, option);
        A->Controller->ShowDialog(TMainDialog::Settings);
        EXPECT_EQ(A->LockTimer, std::string(option) == "Yes");
        A->Lock.Locked = answers;
        EXPECT_EQ(A->Controller->ScreenLockAvailable(), answers.has_value());
        A->Controller->SetStatus(chosen);
        for (const std::optional<bool> state : {answers, answers ? std::optional(false) : std::nullopt}) {
            A->Lock.Locked = state;
            A->Controller->ScreenLockTick();
            if (whileLocked && state == true)
                A->Controller->SetStatus(whileLocked);
            const TFileStamp stamp = A->Platform.FileStamp(Path("QelDBase.isd"));
            A->Controller->ScreenLockTick();
            EXPECT_EQ(A->Platform.FileStamp(Path("QelDBase.isd")), stamp);
            EXPECT_EQ(A->Stored(), std::string(state == false ? unlockedStatus : lockedStatus) + "|");
        }
        EXPECT_TRUE(A->Ui.Boxes.empty());
    }
}

// Send is addressed from the users dataset and the refresh runs on.
TEST_F(BoardTest, SendAndAWatchedColleaguesChangesRaiseOneNoticeEach) {
    A->Controller->SendMessage("BETA");
    EXPECT_EQ(A->Sent + (A->RefreshTimer ? "" : " (refresh off)"), "Send Message...|ANNA|BEN|BETA|at");
    A->Platform.HelpAvailable = false;
    A->Controller->HelpOnQel();
    A->Controller->HelpAbout();
    EXPECT_EQ(A->Platform.HelpTopics.at(0) + "|" + OnOneLine(A->Ui.Log.at(0) + "|" + A->Ui.Log.at(1)).substr(0, 76),
              "Contents|box Error: Unable to open the help file.|box Information: Qel  Version: 2.10");
    A->Controller->ToggleWatch("BETA");
    EXPECT_EQ(A->Controller->Settings().ReadString(keys::Watch, keys::WatchComputers, ""), "BETA");
    B->Controller->SetStatus("DND");
    A->Controller->SetStatus("In meeting");
    A->Controller->RefreshTick();
    B->Controller->Context().CurrentUser.Comments = "back at 3";
    B->Controller->Users().SaveUser();
    A->Controller->RefreshTick();
    A->Controller->RefillBoard();
    EXPECT_EQ(Notices(), "BEN is now DND|;BEN is now DND|back at 3;");
    A->Controller->ToggleWatch("BETA");
    B->Controller->SetStatus("Available");
    A->Controller->RefreshTick();
    EXPECT_EQ(A->Notifier.Notices.size(), 2u);
}

} // namespace
} // namespace qel::test
