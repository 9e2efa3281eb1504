// The message poll, the new-mail state with its sound and animation, the
// send and in-box commands and the tray double-click.

#include "AppOffice.h"

namespace qel::test {
namespace {

class MessagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        Alpha.JoinQuietly(Database.Path());
        Alpha.WizardCreates = true;
        Alpha.Folders.Answers.push_back(Database.Path());
        // Alpha creates the database through the wizard; Beta joins.
        TIniFile(Alpha.Platform, keys::ProfileFileName)
            .WriteString(keys::Locations, keys::DBaseLocation, keys::NotEntered);
        ASSERT_TRUE(Alpha.Start());
        Beta.JoinQuietly(Database.Path());
        ASSERT_TRUE(Beta.Start());
        Alpha.Ui.Reset();
    }

    void BetaSendsToAlpha(const std::string& subject) {
        Beta.Controller->Messages().Send("ALPHA", "BETA", subject, "see you at 3");
    }

    TScratchFolder Database;
    TBoardComputer Alpha{"ALPHA", "ANNA"};
    TBoardComputer Beta{"BETA", "BEN"};
};

TEST_F(MessagesTest, NewMessageStartsAnimationAndSoundOnce) {
    Alpha.Controller->Messages().Send("BETA", "ALPHA", "hello", "text");
    Alpha.Controller->MessageTick();
    EXPECT_FALSE(Alpha.View.Animating) << "the message is for another computer";
    EXPECT_TRUE(Alpha.View.MessageTimer);

    BetaSendsToAlpha("lunch?");
    Alpha.Controller->MessageTick();
    EXPECT_TRUE(Alpha.View.Animating);
    EXPECT_TRUE(Alpha.Controller->NewMailState());
    EXPECT_EQ(Alpha.Platform.BeepCount, 1);
    // Polling stops until a message dialog takes over.
    EXPECT_FALSE(Alpha.View.MessageTimer);
    EXPECT_EQ(Alpha.Ui.PanelTexts.back(), "");

    // A second message while the first is unread: no second sound.
    BetaSendsToAlpha("again");
    Alpha.View.MessageTimer = true;
    Alpha.Controller->MessageTick();
    EXPECT_EQ(Alpha.Platform.BeepCount, 1);
    EXPECT_EQ(Alpha.View.AnimationStarts, 2);
    EXPECT_TRUE(Alpha.Platform.PlayedSounds.empty());
}

TEST_F(MessagesTest, ChosenSoundFileIsPlayedInsteadOfTheBeep) {
    TFormStateStore store(Alpha.Controller->Settings());
    store.WriteBool("TfrmSettings", "chkPlayWavFile.Checked", true);
    store.WriteText("TfrmSettings", "edtWavFileSelected.Text", "/sounds/ding.wav");
    BetaSendsToAlpha("lunch?");
    Alpha.Controller->MessageTick();
    EXPECT_EQ(Alpha.Platform.PlayedSounds, std::vector<std::string>{"/sounds/ding.wav"});
    EXPECT_EQ(Alpha.Platform.BeepCount, 0);
}

TEST_F(MessagesTest, TrayDoubleClickOpensInBoxOnlyWhileNewMailIsFlagged) {
    Alpha.Controller->TrayDoubleClick();
    EXPECT_TRUE(Alpha.Dialogs.Shown.empty());
    Alpha.Controller->ViewInBox();
    EXPECT_EQ(Alpha.Ui.PanelTexts, std::vector<std::string>{"Locating messages..."});
    EXPECT_EQ(Alpha.Dialogs.Shown, std::vector<TMainDialog>{TMainDialog::InBox});
    Alpha.Dialogs.Shown.clear();

    BetaSendsToAlpha("lunch?");
    Alpha.Controller->MessageTick();
    Alpha.Dialogs.OnScreen = true;
    Alpha.Controller->TrayDoubleClick();
    EXPECT_TRUE(Alpha.Dialogs.Shown.empty());
    Alpha.Dialogs.OnScreen = false;
    Alpha.Controller->TrayDoubleClick();
    EXPECT_EQ(Alpha.Dialogs.Shown, std::vector<TMainDialog>{TMainDialog::InBox});

    Alpha.Controller->ClearNewMailState();
    EXPECT_FALSE(Alpha.View.Animating);
}

TEST_F(MessagesTest, NewMessagesAtStartAreShownOnlyWhenAsked) {
    BetaSendsToAlpha("while you were out");
    Alpha.Ui.QueueAnswer(TBoxAnswer::Yes);
    Alpha.Exit();

    Alpha.MakeController();
    ASSERT_TRUE(Alpha.Start());
    EXPECT_FALSE(Alpha.View.Animating);
    EXPECT_TRUE(Alpha.Dialogs.ReadWindows.empty());
    Alpha.Ui.QueueAnswer(TBoxAnswer::Yes);
    Alpha.Exit();

    TFormStateStore(Alpha.Controller->Settings()).WriteBool("TfrmSettings", "chkCheckForMessagesOnStart.Checked", true);
    Alpha.MakeController();
    Alpha.View = TViewRecorder();
    ASSERT_TRUE(Alpha.Start());
    EXPECT_TRUE(Alpha.View.Animating);
    ASSERT_EQ(Alpha.Dialogs.ReadWindows.size(), 1u);
    EXPECT_EQ(Alpha.Dialogs.ReadWindows[0].Subject, "while you were out");
    // No sound at start, and the poll goes on.
    EXPECT_EQ(Alpha.Platform.BeepCount, 0);
    EXPECT_TRUE(Alpha.View.MessageTimer);
}

TEST_F(MessagesTest, SendPreparesTheMessageWindowFromTheUsersDataset) {
    Alpha.Controller->SendMessage("BETA");
    ASSERT_EQ(Alpha.Dialogs.SendFields.size(), 1u);
    const TMessageWindowFields& fields = Alpha.Dialogs.SendFields[0];
    EXPECT_EQ(fields.Caption, "Send Message...");
    EXPECT_EQ(fields.From, "ANNA");
    EXPECT_EQ(fields.To, "BEN");
    EXPECT_FALSE(fields.Received.empty());
    EXPECT_EQ(Alpha.Dialogs.SendAddresses, std::vector<std::string>{"BETA"});
    // The refresh runs again while the window is open.
    EXPECT_TRUE(Alpha.View.RefreshTimer);
}

} // namespace
} // namespace qel::test
