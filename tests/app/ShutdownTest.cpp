// Leaving the board: the exit question, the confirmation option, the close
// caused by the shutdown marker.

#include "AppOffice.h"

#include <fstream>

namespace qel::test {
namespace {

class ShutdownTest : public ::testing::Test {
protected:
    void SetUp() override { Begin(Pc); }

    // Starts `pc` "In meeting", commented "till 4".
    void Begin(TBoardComputer& pc) {
        pc.JoinQuietly(Database.Path());
        ASSERT_TRUE(pc.Start());
        pc.Controller->Context().CurrentUser.Comments = "till 4";
        pc.Controller->Users().SaveUser();
        pc.Controller->SetStatus("In meeting");
        pc.Ui.Reset();
    }

    // The record of `pc` as the program finds it at its next start.
    static TQelUser RecordAfterExit(TBoardComputer& pc) {
        pc.MakeController();
        pc.Controller->FormCreate();
        pc.Controller->Users().LoadLocation();
        return pc.StoredRecord();
    }

    TScratchFolder Database;
    TBoardComputer Pc{"ALPHA"};
};

// Whatever the way out, the record is left as the question's answer says.
TEST_F(ShutdownTest, ExitKeepsOrClearsTheStatusAsAnswered) {
    const TShownBox question = Question("Would you like to retain your current Status?\r\rNote : If you choose "
                                        "\"No\" your status will be changed to \"Offline\"");
    struct TCase {
        const char* Name;
        bool Confirm;
        TBoxAnswer Answer;
        const char* Status;
        const char* Comments;
    };
    const TCase cases[] = {{"yes", true, TBoxAnswer::Yes, "In meeting", "till 4"},
                           {"no", true, TBoxAnswer::No, "Offline", ""},
                           {"not asked", false, TBoxAnswer::Yes, "Offline", ""}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TBoardComputer pc(std::string("PC-") + c.Name);
        Begin(pc);
        TFormStateStore(pc.Controller->Settings()).WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", c.Confirm);
        pc.Ui.QueueAnswer(c.Answer);
        pc.Exit();
        EXPECT_EQ(pc.Ui.Boxes, c.Confirm ? std::vector<TShownBox>{question} : std::vector<TShownBox>{});
        const TQelUser stored = RecordAfterExit(pc);
        EXPECT_EQ(stored.Status, c.Status);
        EXPECT_EQ(stored.Comments, c.Comments);
    }
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
    const TQelUser stored = RecordAfterExit(Pc);
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
