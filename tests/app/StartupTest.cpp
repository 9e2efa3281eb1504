// Start-up of the board: the database wizard, the one-time autostart offer,
// "Available", the timers, and the single-instance guard.

#include "AppOffice.h"

#include <filesystem>

namespace qel::test {
namespace {

class StartupTest : public ::testing::Test {
protected:
    TScratchFolder Database;
};

TEST_F(StartupTest, FirstRunShowsWizardThenAutostartQuestionThenGoesAvailable) {
    TBoardComputer pc("ALPHA", "ANNA");
    // The autostart entry needs an existing program file.
    pc.Platform.WriteFileAtomic(pc.Platform.ProgramPathValue, "#!/bin/sh\n", nullptr);
    pc.Folders.Answers.push_back(Database.Path());
    pc.Ui.QueueAnswer(TBoxAnswer::Yes);

    ASSERT_TRUE(pc.Start());

    EXPECT_EQ(pc.WizardRuns, 1);
    EXPECT_EQ(pc.Folders.Titles, std::vector<std::string>{"Create DBase"});
    EXPECT_EQ(pc.Ui.Boxes, (std::vector<TShownBox>{Question(AutostartQuestionText),
                                                   InfoBox("Qel will now start automatically on startup")}));
    // The wizard came before the question.
    EXPECT_EQ(pc.Ui.Log.front(), "wizard");
    EXPECT_TRUE(pc.Platform.FileExists(pc.Platform.AutostartFolderValue + "Qel.desktop"));

    TIniFile ini(pc.Platform, keys::ProfileFileName);
    EXPECT_EQ(ini.ReadString(keys::Locations, keys::DBaseLocation, ""), Database.Path());
    EXPECT_EQ(ini.ReadString(keys::Locations, keys::FileLocation, ""), pc.Platform.ProgramPathValue);
    EXPECT_FALSE(ini.ReadBool(keys::Qel, keys::FirstTimeRun, true));

    // The creator is the first administrator and shows as "Available".
    ASSERT_EQ(pc.Ui.Rows.size(), 1u);
    EXPECT_EQ(pc.Ui.Rows[0], (TBoardRow{"ANNA", {"Available", "", "", "", "ALPHA"}, 1}));
    EXPECT_TRUE(pc.Controller->Context().IsAdministrator);
    EXPECT_TRUE(pc.View.RefreshTimer);
    EXPECT_TRUE(pc.View.MessageTimer);
    EXPECT_EQ(pc.View.Columns, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(pc.Tree.Nodes, std::vector<std::string>{"Departments"});
    EXPECT_EQ(pc.Ui.TerminateRequests, 0);
}

TEST_F(StartupTest, AutostartQuestionIsNeverAskedAgainWhateverTheAnswer) {
    TBoardComputer pc("ALPHA");
    pc.Folders.Answers.push_back(Database.Path());
    pc.Ui.QueueAnswer(TBoxAnswer::No);
    ASSERT_TRUE(pc.Start());
    EXPECT_EQ(pc.Ui.Boxes, std::vector<TShownBox>{Question(AutostartQuestionText)});
    EXPECT_FALSE(pc.Platform.FileExists(pc.Platform.AutostartFolderValue + "Qel.desktop"));
    pc.Ui.QueueAnswer(TBoxAnswer::Yes); // keep the status at exit
    pc.Exit();

    pc.Ui.Reset();
    pc.MakeController();
    ASSERT_TRUE(pc.Start());
    EXPECT_EQ(pc.WizardRuns, 1);
    EXPECT_TRUE(pc.Ui.Boxes.empty());
}

TEST_F(StartupTest, StartingShowsTheChosenColumnsAlwaysWritesAvailableAndKeepsComments) {
    TBoardComputer pc("ALPHA");
    pc.JoinQuietly(Database.Path());
    pc.WizardCreates = false;
    TFormStateStore(pc.Controller->Settings()).WriteBool("TfrmSettings", "CheckBoxDisplayExt.Checked", false);
    ASSERT_TRUE(pc.Start());
    EXPECT_EQ(pc.View.Columns, (std::vector<bool>{false, true, true}));
    pc.Controller->Context().CurrentUser.Comments = "back at 3";
    pc.Controller->Users().SaveUser();
    pc.Controller->SetStatus("Gone home");
    pc.Ui.QueueAnswer(TBoxAnswer::Yes); // retain "Gone home"
    pc.Exit();
    EXPECT_EQ(pc.StoredRecord().Status, "Gone home");

    pc.MakeController();
    ASSERT_TRUE(pc.Start());
    const TQelUser stored = pc.StoredRecord();
    EXPECT_EQ(stored.Status, "Available");
    EXPECT_EQ(stored.Comments, "back at 3");
    EXPECT_EQ(pc.WizardRuns, 0);
}

TEST_F(StartupTest, SecondCopyIsRefusedAndWritesNothing) {
    TBoardComputer first("ALPHA");
    first.JoinQuietly(Database.Path());
    ASSERT_TRUE(first.Start());
    first.Controller->SetStatus("In meeting");
    const std::string iniBefore = first.IniText();

    // A second copy on the same computer: same platform, same lock set.
    TUiRecorder ui;
    TViewRecorder view;
    TTreeRecorder tree;
    TDialogsRecorder dialogs;
    TMainController second(first.Platform, ui, view, ui, ui, ui, ui, tree, dialogs);
    EXPECT_FALSE(second.FormCreate());
    second.FormShow();
    second.FormClose();
    second.FormDestroy();

    EXPECT_EQ(ui.Boxes, std::vector<TShownBox>{InfoBox("Qel is already running!")});
    EXPECT_TRUE(view.Hidden);
    EXPECT_EQ(ui.TerminateRequests, 1);
    EXPECT_TRUE(second.AlreadyRunning());
    EXPECT_EQ(first.IniText(), iniBefore);
    EXPECT_EQ(first.StoredRecord().Status, "In meeting");
    EXPECT_EQ(first.Platform.LockRequests, (std::vector<std::string>{"TVK - Qel", "TVK - Qel"}));
}

TEST_F(StartupTest, CancelledWizardEndsTheProgramWithoutWriting) {
    TBoardComputer pc("ALPHA");
    // No folder chosen: the scripted dialog cancels, the wizard is left.
    ASSERT_TRUE(pc.Controller->FormCreate());
    pc.Controller->FormShow();
    pc.Controller->FormClose();
    pc.Controller->FormDestroy();

    EXPECT_EQ(pc.WizardRuns, 1);
    EXPECT_GE(pc.Ui.TerminateRequests, 1);
    EXPECT_TRUE(pc.Ui.Boxes.empty());
    EXPECT_FALSE(pc.View.RefreshTimer);
    TIniFile ini(pc.Platform, keys::ProfileFileName);
    EXPECT_EQ(ini.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered), keys::NotEntered);
    EXPECT_TRUE(ini.ReadBool(keys::Qel, keys::FirstTimeRun, true));
    EXPECT_FALSE(std::filesystem::exists(Database.Path() + "QelDBase.isd"));
}

TEST_F(StartupTest, StayOnTopOnlyForExactlyYes) {
    for (const auto& [value, onTop] :
         std::vector<std::pair<std::string, bool>>{{"Yes", true}, {"yes", false}, {"No", false}}) {
        TBoardComputer pc("ALPHA");
        TIniFile(pc.Platform, keys::ProfileFileName).WriteString(keys::Options, keys::StayOnTop, value);
        ASSERT_TRUE(pc.Controller->FormCreate());
        EXPECT_EQ(pc.View.StayOnTop, std::optional<bool>(onTop)) << value;
    }
}

} // namespace
} // namespace qel::test
