// Two workstations on one folder: the refresh tick, the department filter, the
// commands, new mail with its notices, and "Away from desk" while locked.

#include "AppOffice.h"

#include "isam/IsamFile.h"
#include "records/RecordsCommon.h"

#include <filesystem>
#include <fstream>

namespace qel::test {
namespace {

// ALPHA (ANNA, the creator and administrator) and BETA (BEN) on a fresh folder.
class BoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        Database = std::make_unique<TScratchFolder>();
        A = std::make_unique<TBoardComputer>("ALPHA", "ANNA");
        B = std::make_unique<TBoardComputer>("BETA", "BEN");
        for (TBoardComputer* pc : {A.get(), B.get()}) {
            pc->JoinQuietly(Database->Path());
            ASSERT_TRUE(pc->Start());
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

// Jobs wait until the test runs them, as on a slow share; Read runs the oldest
// job's read and returns what it would show.
struct TQueuedWork : IBackgroundWork {
    void Post(std::function<std::function<void()>()> work) override { Jobs.push_back(std::move(work)); }
    std::function<void()> Read() {
        auto job = std::move(Jobs.front());
        Jobs.pop_front();
        return job();
    }
    std::deque<std::function<std::function<void()>()>> Jobs;
};

// A change shows at once on its own board (each status command with its image),
// elsewhere at the next tick; a tick without a change, or after this computer's
// own write, reads nothing. A slow read runs as one job and is dropped when
// another fill overtook it.
TEST_F(BoardTest, ChangesReachTheBoardsByTheTick) {
    A->Controller->RefreshTick();
    A->Ui.Reset();
    A->Controller->RefreshTick();
    EXPECT_TRUE(A->Ui.Log.empty());
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
    ASSERT_EQ(A->Ui.Rows.size(), 2u);
    EXPECT_EQ(A->Ui.Rows[1], (TBoardRow{"BEN", {"Gone home", "", "", "", "BETA"}, 4}));
    // Its own record is loaded (panel cleared) and its image shown.
    EXPECT_EQ(A->Ui.TrayImages, std::vector<int>{1});
    EXPECT_EQ(A->Ui.PanelTexts, std::vector<std::string>{""});
    EXPECT_EQ(A->Ui.RowsOutsideUpdate, 0);

    TQueuedWork work;
    A->Controller->SetBackgroundWork(&work);
    A->Ui.Reset();
    B->Controller->SetStatus("At lunch");
    A->Controller->RefreshTick();
    A->Controller->RefreshTick();
    ASSERT_EQ(work.Jobs.size(), 1u);
    EXPECT_TRUE(A->Ui.Log.empty());
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

// A department filter survives the refresh and the status commands until the
// root is clicked; administrator commands follow the flag at the next refresh,
// the others need their dialogs, and Send a selected row and no open message window.
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
    EXPECT_EQ(gamma.Caption, "Qel - Filtered on Sales");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), "BEN:Available");
    B->Controller->SetStatus("At lunch");
    gamma.Controller->RefreshTick();
    gamma.Controller->SetStatus("Away from desk");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), "BEN:At lunch");
    gamma.Controller->TreeClick(std::string("sales team"));
    EXPECT_TRUE(gamma.Ui.Rows.empty());
    gamma.Controller->TreeClick(std::nullopt);
    EXPECT_EQ(gamma.Caption, "Qel - Filtered on sales team");
    gamma.Controller->TreeClick(std::string("Departments"));
    EXPECT_EQ(gamma.Caption, "Qel - All Departments");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), "ANNA:Available|BEN:At lunch|GUS:Away from desk");

    EXPECT_EQ(Enabled(*A, false), "1111111011");
    EXPECT_EQ(Enabled(*B, false), "1111000011");
    TQelUser& edited = A->Controller->Context().CurrentUser;
    const TQelUser own = edited;
    edited = B->Controller->Context().CurrentUser;
    edited.Administrator = 1;
    A->Controller->Users().SaveUser();
    edited = own;
    EXPECT_EQ(Enabled(*B, true), "1111000111");
    B->Controller->RefreshTick();
    EXPECT_EQ(Enabled(*B, true), "1111111111");
    B->Controller->SetSendMessageAllowed(false);
    EXPECT_EQ(Enabled(*B, true), "1111111011");
    B->Controller->SetSendMessageAllowed(true);
    B->AllDialogs = false;
    EXPECT_EQ(Enabled(*B, true), "1000000000");
    B->Controller->ShowDialog(TMainDialog::Settings);
    EXPECT_TRUE(B->Shown.empty());
}

// A peer's garbage in the users dataset: one box, the fault kept in the panel
// (even past the message poll) until the board reads again.
TEST_F(BoardTest, AnUnreadableBoardIsShownOnceAndThePanelSaysSoUntilItClears) {
    std::filesystem::rename(Path("QelDBase.isd"), Path("kept.isd"));
    for (const char* junk : {"junk", "more junk"}) {
        std::ofstream(Path("QelDBase.isd"), std::ios::binary) << junk;
        A->Controller->RefreshTick();
    }
    ASSERT_EQ(A->Ui.Boxes.size(), 1u);
    const std::string fault = OnOneLine(A->Ui.Boxes[0].Text);
    EXPECT_NE(fault.find(IsamErrorText(8)), std::string::npos);
    EXPECT_EQ(A->Ui.PanelTexts.back(), fault);
    EXPECT_TRUE(A->Ui.Rows.empty());
    std::ofstream(Path("QelMesg.isd")) << "junk";
    A->Controller->MessageTick();
    EXPECT_EQ(A->Ui.PanelTexts.back(), fault);
    std::filesystem::rename(Path("kept.isd"), Path("QelDBase.isd"));
    A->Controller->RefreshTick();
    EXPECT_EQ(A->Ui.Rows.size(), 2u);
    EXPECT_EQ(A->Ui.PanelTexts.back(), "");
}

// New mail: one sound (or the chosen sound file), one notice per tick that
// opens the in-box, the animation, and the tray double-click while flagged;
// without notices (turned off, or no service) the window asks for attention.
// At start, waiting messages are shown only when asked, without a sound.
TEST_F(BoardTest, NewMailIsAnnouncedOnce) {
    A->Controller->TrayDoubleClick();
    A->Controller->ViewInBox();
    EXPECT_EQ(A->Ui.PanelTexts.back(), "Locating messages...");
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
    // Polling stops until a message dialog takes over.
    EXPECT_EQ(A->Signals(), "anim 1/1 beep 1 sound 0 notice 1 attention 0 shown 1 restore 0 poll 0");
    EXPECT_EQ(A->Ui.PanelTexts.back(), "");
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
        ASSERT_TRUE(B->Start());
        EXPECT_EQ(B->Animating, asked);
        EXPECT_EQ(B->ReadWindows, asked ? "hello;ok;" : "");
    }
    EXPECT_EQ(B->Signals(), "anim 1/2 beep 0 sound 1 notice 0 attention 0 shown 0 restore 0 poll 1");
}

// Send fills the message window from the users dataset and the refresh runs
// on; Help opens its topic or says why not; About names the version.
TEST_F(BoardTest, SendHelpAndAbout) {
    A->Controller->SendMessage("BETA");
    EXPECT_EQ(A->Sent, "Send Message...|ANNA|BEN|BETA|at");
    EXPECT_TRUE(A->RefreshTimer);
    A->Controller->HelpOnQel();
    EXPECT_EQ(A->Platform.HelpTopics, std::vector<std::string>{"Contents"});
    A->Platform.HelpAvailable = false;
    A->Controller->HelpOnQel();
    A->Controller->HelpAbout();
    ASSERT_EQ(A->Ui.Log.size(), 2u);
    EXPECT_EQ(A->Ui.Log[0].rfind("box Error: ", 0), 0u);
    EXPECT_EQ(A->Ui.Log[1].rfind("box Information: Qel\r\rVersion: 2.10\r", 0), 0u) << A->Ui.Log[1];
}

TEST_F(BoardTest, ScreenLockTurnsOnlyAvailableIntoAwayAndBackOnce) {
    // Away_When_Locked, the desktop's answer at lock time (none: no service), the
    // status before the lock, one set while locked, the record locked and unlocked.
    const struct {
        const char* Option;
        std::optional<bool> Answers;
        const char *Chosen, *WhileLocked, *Locked, *Unlocked;
    } cases[] = {
        {"Yes", true, "Available", nullptr, "Away from desk", "Available"},
        {"Yes", true, "Away from desk", nullptr, "Away from desk", "Away from desk"},
        {"Yes", true, "In meeting", nullptr, "In meeting", "In meeting"},
        {"Yes", true, "Available", "DND", "DND", "DND"},
        {"No", true, "Available", nullptr, "Available", "Available"},
        {"Yes", std::nullopt, "Available", nullptr, "Available", "Available"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.Option << c.Answers.has_value() << c.Chosen << (c.WhileLocked != nullptr));
        SetUp();
        A->Controller->Settings().WriteString(keys::Options, keys::AwayWhenLocked, c.Option);
        A->Controller->ShowDialog(TMainDialog::Settings);
        EXPECT_EQ(A->LockTimer, std::string(c.Option) == "Yes");
        A->Lock.Locked = c.Answers;
        EXPECT_EQ(A->Controller->ScreenLockAvailable(), c.Answers.has_value());
        A->Controller->SetStatus(c.Chosen);
        // Each state is checked twice: the second check writes nothing.
        for (const std::optional<bool> locked : {c.Answers, c.Answers ? std::optional(false) : std::nullopt}) {
            A->Lock.Locked = locked;
            A->Controller->ScreenLockTick();
            if (c.WhileLocked && locked == true)
                A->Controller->SetStatus(c.WhileLocked);
            const TFileStamp stamp = A->Platform.FileStamp(Path("QelDBase.isd"));
            A->Controller->ScreenLockTick();
            EXPECT_EQ(A->Platform.FileStamp(Path("QelDBase.isd")), stamp);
            EXPECT_EQ(A->Stored(), std::string(locked == false ? c.Unlocked : c.Locked) + "|");
        }
        EXPECT_TRUE(A->Ui.Boxes.empty());
    }
}

TEST_F(BoardTest, AWatchedColleaguesChangesRaiseOneNoticeEach) {
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
