// Leaving the board: the exit question, the confirmation option, the close
// caused by the shutdown marker.

#include "AppOffice.h"

#include <fstream>

namespace qel::test {
namespace {

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        Pc.JoinQuietly(Database.Path());
        ASSERT_TRUE(Pc.Start());
        Pc.Controller->Context().CurrentUser.Comments = "till 4";
        Pc.Controller->Users().SaveUser();
        Pc.Controller->SetStatus("In meeting");
        Pc.Ui.Reset();
    }

    // Another computer's view of this one after the program has gone.
    TQelUser RecordAfterExit() {
        Pc.MakeController();
        Pc.Controller->FormCreate();
        Pc.Controller->Users().LoadLocation();
        return Pc.StoredRecord();
    }

    TScratchFolder Database;
    TBoardComputer Pc{"ALPHA"};
};

TEST_F(ShutdownTest, ExitAnsweredYesKeepsStatusAndComments) {
    Pc.Ui.QueueAnswer(TBoxAnswer::Yes);
    Pc.Exit();
    EXPECT_EQ(Pc.Ui.Boxes, std::vector<TShownBox>{Question(RetainStatusQuestionText)});
    EXPECT_EQ(Pc.Ui.Boxes[0].Text, "Would you like to retain your current Status?\r\rNote : If you choose \"No\" "
                                   "your status will be changed to \"Offline\"");
    const TQelUser stored = RecordAfterExit();
    EXPECT_EQ(stored.Status, "In meeting");
    EXPECT_EQ(stored.Comments, "till 4");
}

TEST_F(ShutdownTest, ExitAnsweredNoGoesOfflineWithEmptyComments) {
    Pc.Ui.QueueAnswer(TBoxAnswer::No);
    Pc.Exit();
    EXPECT_EQ(Pc.Ui.Boxes, std::vector<TShownBox>{Question(RetainStatusQuestionText)});
    const TQelUser stored = RecordAfterExit();
    EXPECT_EQ(stored.Status, "Offline");
    EXPECT_EQ(stored.Comments, "");
}

TEST_F(ShutdownTest, ExitWithConfirmationUntickedAsksNothingAndGoesOffline) {
    TFormStateStore(Pc.Controller->Settings()).WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", false);
    Pc.Exit();
    EXPECT_TRUE(Pc.Ui.Boxes.empty());
    const TQelUser stored = RecordAfterExit();
    EXPECT_EQ(stored.Status, "Offline");
    EXPECT_EQ(stored.Comments, "");
}

TEST_F(ShutdownTest, ShutdownMarkerClosesAtNextTickWithoutQuestion) {
    std::ofstream(Database.Path() + "QelDBase.smd") << "";
    EXPECT_EQ(Pc.View.CloseRequests, 0);
    Pc.Controller->RefreshTick();
    EXPECT_EQ(Pc.View.CloseRequests, 1);
    EXPECT_TRUE(Pc.Controller->ShutdownSeen());

    Pc.Controller->FormClose();
    Pc.Controller->FormDestroy();
    EXPECT_TRUE(Pc.Ui.Boxes.empty());
    std::filesystem::remove(Database.Path() + "QelDBase.smd");
    const TQelUser stored = RecordAfterExit();
    EXPECT_EQ(stored.Status, "Offline");
    EXPECT_EQ(stored.Comments, "");
}

TEST_F(ShutdownTest, ClosingStopsTheTimersAndLaterTicksDoNothing) {
    Pc.Ui.QueueAnswer(TBoxAnswer::Yes);
    Pc.Controller->FileExit();
    Pc.Controller->FormClose();
    EXPECT_FALSE(Pc.View.RefreshTimer);
    EXPECT_FALSE(Pc.View.MessageTimer);
    std::ofstream(Database.Path() + "QelDBase.smd") << "";
    Pc.Controller->RefreshTick();
    EXPECT_EQ(Pc.View.CloseRequests, 1);
}

} // namespace
} // namespace qel::test
