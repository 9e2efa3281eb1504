// Desktop notices (new messages, followed colleagues) and "Away from desk"
// while the screen is locked, on two workstations sharing one folder.

#include "AppOffice.h"

namespace qel::test {
namespace {

class PresenceTest : public ::testing::Test {
protected:
    // A fresh office: Alpha (ANNA) and Beta (BEN) on a new folder.
    void SetUp() override {
        Database = std::make_unique<TScratchFolder>();
        A = std::make_unique<TBoardComputer>("ALPHA", "ANNA");
        B = std::make_unique<TBoardComputer>("BETA", "BEN");
        for (TBoardComputer* pc : {A.get(), B.get()}) {
            pc->JoinQuietly(Database->Path());
            ASSERT_TRUE(pc->Start());
        }
    }
    void SetOption(const char* key, const char* value) {
        A->Controller->Settings().WriteString(keys::Options, key, value);
        A->Controller->ShowDialog(TMainDialog::Settings);
    }
    std::vector<std::string> Notices() {
        std::vector<std::string> texts;
        for (const TDesktopNotice& notice : A->Notifier.Notices)
            texts.push_back(notice.Summary + "|" + notice.Body);
        return texts;
    }

    std::unique_ptr<TScratchFolder> Database;
    std::unique_ptr<TBoardComputer> A, B;
};

struct TLockCase {
    const char* Name;
    const char* Option;          // Away_When_Locked
    std::optional<bool> Answers; // what the desktop tells at lock time; empty: nothing answers
    const char* Chosen;          // the user's status before the lock
    const char* WhileLocked;     // a status set while locked, or nothing
    const char* Locked;          // the record while locked
    const char* Unlocked;        // and after the unlock
};

TEST_F(PresenceTest, ScreenLockTurnsOnlyAvailableIntoAwayAndBackOnce) {
    const TLockCase cases[] = {
        {"lock and unlock", "Yes", true, "Available", nullptr, "Away from desk", "Available"},
        {"own away", "Yes", true, "Away from desk", nullptr, "Away from desk", "Away from desk"},
        {"in meeting", "Yes", true, "In meeting", nullptr, "In meeting", "In meeting"},
        {"changed while locked", "Yes", true, "Available", "DND", "DND", "DND"},
        {"option off", "No", true, "Available", nullptr, "Available", "Available"},
        {"no service", "Yes", std::nullopt, "Available", nullptr, "Available", "Available"},
    };
    for (const TLockCase& c : cases) {
        SCOPED_TRACE(c.Name);
        SetUp();
        SetOption(keys::AwayWhenLocked, c.Option);
        EXPECT_EQ(A->View.LockTimer, std::string(c.Option) == "Yes");
        A->Lock.Locked = c.Answers;
        EXPECT_EQ(A->Controller->ScreenLockAvailable(), c.Answers.has_value());
        A->Controller->SetStatus(c.Chosen);
        // Each state is checked twice: the second check writes nothing.
        for (const std::optional<bool> locked : {c.Answers, c.Answers ? std::optional(false) : std::nullopt}) {
            A->Lock.Locked = locked;
            A->Controller->ScreenLockTick();
            if (c.WhileLocked && locked == true)
                A->Controller->SetStatus(c.WhileLocked);
            const TFileStamp stamp = A->Platform.FileStamp(Database->Path() + "QelDBase.isd");
            A->Controller->ScreenLockTick();
            EXPECT_EQ(A->Platform.FileStamp(Database->Path() + "QelDBase.isd"), stamp);
            EXPECT_EQ(A->StoredRecord().Status, locked == false ? c.Unlocked : c.Locked);
        }
        EXPECT_TRUE(A->Ui.Boxes.empty());
    }
}

TEST_F(PresenceTest, NewMessagesRaiseOneNoticePerTickThatOpensTheInBox) {
    B->Controller->Messages().Send("ALPHA", "BETA", "lunch?", "at 1");
    B->Controller->Messages().Send("ALPHA", "BETA", "<b>Fish & chips</b>", "at 1");
    A->Controller->MessageTick();
    EXPECT_EQ(Notices(), std::vector<std::string>{"New message from BEN|<b>Fish & chips</b>\n(2 new messages)"});
    // Still unread at the next tick: not announced again.
    B->Controller->Messages().Send("BETA", "ALPHA", "ok", "");
    A->Controller->MessageTick();
    EXPECT_EQ(A->Notifier.Notices.size(), 1u);
    A->Notifier.Notices[0].OnAction();
    EXPECT_EQ(A->Dialogs.Shown, std::vector<TMainDialog>{TMainDialog::InBox});
    EXPECT_EQ(A->View.Restores, 1);
}

TEST_F(PresenceTest, NoticesOffOrWithoutServiceTheWindowAsksForAttention) {
    for (const bool off : {true, false}) {
        SetUp();
        SetOption(keys::DesktopNotifications, off ? "No" : "Yes");
        A->Notifier.Answers = off;
        B->Controller->Messages().Send("ALPHA", "BETA", "lunch?", "at 1");
        A->Controller->MessageTick();
        EXPECT_TRUE(A->Notifier.Notices.empty());
        EXPECT_EQ(A->View.AttentionRequests, off ? 0 : 1);
        EXPECT_EQ(A->Ui.PanelTexts.back(), off ? "" : "New message from BEN (no desktop notification service answers)");
    }
}

TEST_F(PresenceTest, AWatchedColleaguesChangesRaiseOneNoticeEach) {
    A->Controller->ToggleWatch("BETA");
    EXPECT_EQ(A->Controller->Settings().ReadString(keys::Watch, keys::WatchComputers, ""), "BETA");
    B->Controller->SetStatus("DND");
    A->Controller->SetStatus("In meeting"); // not watched
    A->Controller->RefreshTick();
    B->Controller->Context().CurrentUser.Comments = "back at 3";
    B->Controller->Users().SaveUser();
    A->Controller->RefreshTick();
    A->Controller->RefillBoard();
    EXPECT_EQ(Notices(), (std::vector<std::string>{"BEN is now DND|", "BEN is now DND|back at 3"}));

    A->Controller->ToggleWatch("BETA");
    B->Controller->SetStatus("Available");
    A->Controller->RefreshTick();
    EXPECT_EQ(A->Notifier.Notices.size(), 2u);
}

} // namespace
} // namespace qel::test
