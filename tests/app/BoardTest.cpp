// The board between computers: the refresh tick, the department filter, the
// status commands and the administrator commands.

#include "AppOffice.h"

#include "isam/IsamFile.h"
#include "records/RecordsCommon.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace qel::test {
namespace {

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override {
        Alpha.Folders.Answers.push_back(Database.Path());
        Alpha.Ui.QueueAnswer(TBoxAnswer::No); // no autostart
        ASSERT_TRUE(Alpha.Start());
        Beta.JoinQuietly(Database.Path());
        ASSERT_TRUE(Beta.Start());
    }

    TScratchFolder Database;
    TBoardComputer Alpha{"ALPHA", "ANNA"};
    TBoardComputer Beta{"BETA", "BEN"};
};

TEST_F(BoardTest, StatusChangeOnAnotherComputerReachesTheBoardAtTheNextTick) {
    Alpha.Controller->RefreshTick();
    EXPECT_EQ(RowStatuses(Alpha.Ui.Rows), (std::vector<std::string>{"ANNA:Available", "BEN:Available"}));

    Beta.Controller->SetStatus("Gone home");
    // Beta's own board follows at once.
    EXPECT_EQ(RowStatuses(Beta.Ui.Rows), (std::vector<std::string>{"ANNA:Available", "BEN:Gone home"}));
    // Alpha's board waits for its tick.
    EXPECT_EQ(RowStatuses(Alpha.Ui.Rows), (std::vector<std::string>{"ANNA:Available", "BEN:Available"}));
    Alpha.Controller->RefreshTick();
    ASSERT_EQ(Alpha.Ui.Rows.size(), 2u);
    EXPECT_EQ(Alpha.Ui.Rows[1], (TBoardRow{"BEN", {"Gone home", "", "", "", "BETA"}, 4}));
}

TEST_F(BoardTest, OwnStatusChangeFillsOnceAndTheNextTickReadsNothing) {
    Beta.Ui.Reset();
    Beta.Controller->SetStatus("DND");
    EXPECT_EQ(std::count(Beta.Ui.Log.begin(), Beta.Ui.Log.end(), "board begin"), 1);
    Beta.Ui.Reset();
    Beta.Controller->RefreshTick();
    EXPECT_TRUE(Beta.Ui.Log.empty());
}

// Jobs wait until the test runs them, as on a slow share.
struct TQueuedWork : IBackgroundWork {
    void Post(std::function<std::function<void()>()> work) override { Jobs.push_back(std::move(work)); }
    // Runs the oldest job's read; returns what it would show.
    std::function<void()> Read() {
        auto job = std::move(Jobs.front());
        Jobs.erase(Jobs.begin());
        return job();
    }
    std::vector<std::function<std::function<void()>()>> Jobs;
};

TEST_F(BoardTest, TickReadRunsAsOneJobAndIsDroppedWhenAnotherFillOvertookIt) {
    TQueuedWork work;
    Alpha.Controller->SetBackgroundWork(&work);
    Beta.Controller->SetStatus("Gone home");
    Alpha.Ui.Reset();
    Alpha.Controller->RefreshTick();
    Alpha.Controller->RefreshTick(); // the read is still out: nothing more
    ASSERT_EQ(work.Jobs.size(), 1u);
    EXPECT_TRUE(Alpha.Ui.Log.empty());
    work.Read()();
    EXPECT_EQ(RowStatuses(Alpha.Ui.Rows), (std::vector<std::string>{"ANNA:Available", "BEN:Gone home"}));
    EXPECT_EQ(Alpha.Controller->BoardRows(), Alpha.Ui.Rows);

    Beta.Controller->SetStatus("DND");
    Alpha.Controller->RefreshTick();
    const std::function<void()> show = work.Read();
    Beta.Controller->SetStatus("Off sick");
    Alpha.Controller->TreeClick(std::string(DepartmentsRootText));
    show();
    EXPECT_EQ(RowStatuses(Alpha.Ui.Rows), (std::vector<std::string>{"ANNA:Available", "BEN:Off sick"}));
}

TEST_F(BoardTest, TickWithoutChangeReadsNothing) {
    Alpha.Controller->RefreshTick();
    Alpha.Ui.Reset();
    Alpha.Controller->RefreshTick();
    EXPECT_TRUE(Alpha.Ui.Log.empty());
}

TEST_F(BoardTest, TickTakesOwnStatusIntoTrayAndPanel) {
    Alpha.Controller->RefreshTick();
    Alpha.Ui.Reset();
    Beta.Controller->SetStatus("DND");
    Alpha.Controller->RefreshTick();
    // Alpha's own record is loaded (panel cleared) and its image shown.
    EXPECT_EQ(Alpha.Ui.TrayImages, std::vector<int>{1});
    EXPECT_EQ(Alpha.Ui.PanelTexts, std::vector<std::string>{""});
    EXPECT_EQ(Alpha.Ui.RowsOutsideUpdate, 0);
}

TEST_F(BoardTest, BuiltInStatusCommandsWriteTheirTexts) {
    for (const TStatusCommand& command : BuiltInStatusCommands) {
        Beta.Controller->SetStatus(command.Status);
        const TQelUser stored = Beta.StoredRecord();
        EXPECT_EQ(stored.Status, command.Status);
        ASSERT_EQ(Beta.Ui.Rows.size(), 2u);
        EXPECT_EQ(Beta.Ui.Rows[1].ImageIndex, command.Image) << command.Caption;
        EXPECT_EQ(Beta.Ui.TrayImages.back(), command.Image) << command.Caption;
    }
    EXPECT_STREQ(BuiltInStatusCommands[3].Caption, "Do Not Disturb!");
    EXPECT_STREQ(BuiltInStatusCommands[3].Status, "DND");
}

TEST_F(BoardTest, FilteredBoardShowsOneDepartmentUntilTheRootIsClicked) {
    // Departments exist before the board starts; Beta works in Sales.
    TBoardComputer gamma("GAMMA", "GUS");
    gamma.JoinQuietly(Database.Path());
    gamma.Controller->FormCreate();
    gamma.Controller->Departments().CreateDepartmentDataset();
    gamma.Controller->Departments().AddDepartment("Sales");
    gamma.Controller->Departments().AddDepartment("sales team");
    gamma.Controller->FormShow();
    Beta.Controller->Context().CurrentUser.Department = "Sales";
    Beta.Controller->Users().SaveUser();
    EXPECT_EQ(gamma.Tree.Nodes, (std::vector<std::string>{"Departments", "  Sales", "  sales team"}));

    gamma.Controller->TreeClick(std::string("Sales"));
    EXPECT_EQ(gamma.View.Caption, "Qel - Filtered on Sales");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), std::vector<std::string>{"BEN:Available"});

    // The filter survives the refresh and status commands.
    Beta.Controller->SetStatus("At lunch");
    gamma.Controller->RefreshTick();
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), std::vector<std::string>{"BEN:At lunch"});
    gamma.Controller->SetStatus("Away from desk");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows), std::vector<std::string>{"BEN:At lunch"});

    gamma.Controller->TreeClick(std::string("sales team"));
    EXPECT_TRUE(gamma.Ui.Rows.empty());

    gamma.Controller->TreeClick(std::nullopt);
    EXPECT_EQ(gamma.View.Caption, "Qel - Filtered on sales team");

    gamma.Controller->TreeClick(std::string("Departments"));
    EXPECT_EQ(gamma.View.Caption, "Qel - All Departments");
    EXPECT_EQ(RowStatuses(gamma.Ui.Rows),
              (std::vector<std::string>{"ANNA:Available", "BEN:At lunch", "GUS:Away from desk"}));
}

TEST_F(BoardTest, AdministratorCommandsFollowTheFlagAtTheNextRefresh) {
    EXPECT_TRUE(Alpha.Controller->CommandStates(false).Users);
    TCommandStates beta = Beta.Controller->CommandStates(false);
    EXPECT_FALSE(beta.Users);
    EXPECT_FALSE(beta.Departments);
    EXPECT_FALSE(beta.Statuses);

    // Alpha, the administrator, grants Beta the right.
    TQelUser& edited = Alpha.Controller->Context().CurrentUser;
    const TQelUser alphaOwn = edited;
    edited = Beta.StoredRecord();
    edited.Administrator = 1;
    Alpha.Controller->Users().SaveUser();
    edited = alphaOwn;

    EXPECT_FALSE(Beta.Controller->CommandStates(false).Users);
    Beta.Controller->RefreshTick();
    beta = Beta.Controller->CommandStates(false);
    EXPECT_TRUE(beta.Users);
    EXPECT_TRUE(beta.Departments);
    EXPECT_TRUE(beta.Statuses);
}

TEST_F(BoardTest, CommandsNeedTheirDialogsAndSendNeedsASelectedRow) {
    TCommandStates states = Beta.Controller->CommandStates(false);
    EXPECT_TRUE(states.StatusCommands);
    EXPECT_FALSE(states.SendMessage);
    EXPECT_TRUE(Beta.Controller->CommandStates(true).SendMessage);

    // The open message window holds the command off.
    Beta.Controller->SetSendMessageAllowed(false);
    EXPECT_FALSE(Beta.Controller->CommandStates(true).SendMessage);
    Beta.Controller->SetSendMessageAllowed(true);

    Beta.Dialogs.AllAvailable = false;
    states = Beta.Controller->CommandStates(true);
    EXPECT_TRUE(states.StatusCommands);
    EXPECT_FALSE(states.SendMessage);
    EXPECT_FALSE(states.CustomStatus);
    EXPECT_FALSE(states.Comments);
    EXPECT_FALSE(states.Settings);
    EXPECT_FALSE(states.ViewInBox);
    Beta.Controller->ShowDialog(TMainDialog::Settings);
    EXPECT_TRUE(Beta.Dialogs.Shown.empty());
}

TEST_F(BoardTest, AnUnreadableBoardIsShownOnceAndThePanelSaysSoUntilItClears) {
    Alpha.Controller->RefreshTick();
    const std::string users = Database.Path() + "QelDBase.isd";
    std::filesystem::rename(users, Database.Path() + "kept.isd");
    Alpha.Ui.Reset();
    // A peer overwrites the users dataset twice; the fault stays the same.
    for (const char* junk : {"junk", "more junk"}) {
        { std::ofstream(users, std::ios::binary) << junk; }
        Alpha.Controller->RefreshTick();
    }
    ASSERT_EQ(Alpha.Ui.Boxes.size(), 1u);
    const std::string fault = OnOneLine(Alpha.Ui.Boxes[0].Text);
    EXPECT_NE(fault.find(IsamErrorText(8)), std::string::npos);
    EXPECT_EQ(Alpha.Ui.PanelTexts.back(), fault);
    EXPECT_TRUE(Alpha.Ui.Rows.empty());
    // The message poll clears the panel: the fault stays in it.
    { std::ofstream(Database.Path() + "QelMesg.isd") << "junk"; }
    Alpha.Controller->MessageTick();
    EXPECT_EQ(Alpha.Ui.PanelTexts.back(), fault);
    std::filesystem::rename(Database.Path() + "kept.isd", users);
    Alpha.Controller->RefreshTick();
    EXPECT_EQ(Alpha.Ui.Rows.size(), 2u);
    EXPECT_EQ(Alpha.Ui.PanelTexts.back(), "");
}

TEST_F(BoardTest, HelpOpensContentsAndAboutNamesTheVersion) {
    Alpha.Ui.Reset();
    Alpha.Controller->HelpOnQel();
    EXPECT_EQ(Alpha.Platform.HelpTopics, std::vector<std::string>{"Contents"});
    EXPECT_TRUE(Alpha.Ui.Boxes.empty());
    Alpha.Platform.HelpAvailable = false;
    Alpha.Controller->HelpOnQel();
    ASSERT_EQ(Alpha.Ui.Boxes.size(), 1u);
    EXPECT_EQ(Alpha.Ui.Boxes[0].Kind, TBoxKind::Error);

    Alpha.Ui.Reset();
    Alpha.Controller->HelpAbout();
    ASSERT_EQ(Alpha.Ui.Boxes.size(), 1u);
    EXPECT_EQ(Alpha.Ui.Boxes[0].Kind, TBoxKind::Information);
    EXPECT_EQ(Alpha.Ui.Boxes[0].Text.rfind("Qel\r\rVersion: 2.10\r", 0), 0u) << Alpha.Ui.Boxes[0].Text;
}

} // namespace
} // namespace qel::test
