// Start-up and exit of the board: the database wizard, the one-time autostart
// offer, "Available", the single-instance guard and the exit question.

#include "AppOffice.h"

#include <filesystem>
#include <fstream>

namespace qel::test {
namespace {

const TShownBox AutostartQuestion{TBoxKind::Information,
                                  "Thankyou for using Qel.\r\rWould you like Qel to start automatically on startup?",
                                  TBoxButtons::YesNo};
const TShownBox AutostartDone{TBoxKind::Information, "Qel will now start automatically on startup", TBoxButtons::Ok};
const TShownBox ExitQuestion{TBoxKind::Information,
                             "Would you like to retain your current Status?\r\rNote : If you choose \"No\" your status "
                             "will be changed to \"Offline\"",
                             TBoxButtons::YesNo};

// First run: the wizard, then the autostart question, asked once whatever the
// answer; the next start writes "Available", keeps the comments and shows the
// columns chosen. Stay on top only for exactly "Yes".
TEST(StartupTest, FirstRunThenTheNextStart) {
    for (const bool yes : {true, false}) {
        TScratchFolder database;
        TBoardComputer pc("ALPHA", "ANNA");
        pc.Platform.WriteFileAtomic(pc.Platform.ProgramPathValue, "#!/bin/sh\n", nullptr);
        pc.Folders.push_back(database.Path());
        pc.Ui.QueueAnswer(yes ? TBoxAnswer::Yes : TBoxAnswer::No);
        ASSERT_TRUE(pc.Start());
        EXPECT_EQ(pc.Ui.Boxes, (yes ? std::vector{AutostartQuestion, AutostartDone} : std::vector{AutostartQuestion}));
        EXPECT_EQ(pc.Ui.Log.front(), "wizard");
        EXPECT_EQ(pc.FolderTitles, "Create DBase;");
        EXPECT_EQ(pc.Platform.FileExists(pc.Platform.AutostartFolderValue + "Qel.desktop"), yes);
        EXPECT_EQ(pc.Setting(keys::Locations, keys::DBaseLocation), database.Path());
        EXPECT_EQ(pc.Setting(keys::Locations, keys::FileLocation), pc.Platform.ProgramPathValue);
        EXPECT_EQ(pc.Ui.Rows, (std::vector<TBoardRow>{{"ANNA", {"Available", "", "", "", "ALPHA"}, 1}}));
        EXPECT_TRUE(pc.Controller->Context().IsAdministrator && pc.RefreshTimer && pc.MessageTimer);

        pc.Controller->Context().CurrentUser.Comments = "back at 3";
        pc.Controller->Users().SaveUser();
        pc.Controller->SetStatus("Gone home");
        TFormStateStore(pc.Controller->Settings()).WriteBool("TfrmSettings", "CheckBoxDisplayExt.Checked", false);
        pc.Ui.QueueAnswer(TBoxAnswer::Yes);
        pc.Exit();
        EXPECT_EQ(pc.Stored(), "Gone home|back at 3");
        pc.Ui.Reset();
        pc.MakeController();
        ASSERT_TRUE(pc.Start());
        EXPECT_EQ(pc.WizardRuns, 1);
        EXPECT_TRUE(pc.Ui.Boxes.empty());
        EXPECT_EQ(pc.Columns, (std::vector<bool>{false, true, true}));
        EXPECT_EQ(pc.Stored(), "Available|back at 3");
    }
    for (const auto& [value, onTop] : {std::pair{"Yes", true}, {"yes", false}, {"No", false}}) {
        TBoardComputer pc("ALPHA");
        TIniFile(pc.Platform, keys::ProfileFileName).WriteString(keys::Options, keys::StayOnTop, value);
        ASSERT_TRUE(pc.Controller->FormCreate());
        EXPECT_EQ(pc.StayOnTop, std::optional<bool>(onTop)) << value;
    }
}

// A second copy on the same computer (same platform, same locks) is refused
// and writes nothing.
TEST(StartupTest, SecondCopyIsRefusedAndWritesNothing) {
    TScratchFolder database;
    TBoardComputer first("ALPHA"), second("ALPHA");
    first.JoinQuietly(database.Path());
    ASSERT_TRUE(first.Start());
    first.Controller->SetStatus("In meeting");
    const std::string ini = first.Platform.ConfigFolder() + keys::ProfileFileName;
    std::string before, after;
    first.Platform.ReadFile(ini, &before);
    TMainController copy(first.Platform, second.Ui, second, second.Ui, second.Ui, second.Ui, second.Ui, second, second);
    EXPECT_FALSE(copy.FormCreate());
    copy.FormShow();
    copy.FormClose();
    copy.FormDestroy();
    EXPECT_EQ(second.Ui.Log, (std::vector<std::string>{"box Information: Qel is already running!", "terminate"}));
    EXPECT_TRUE(second.Hidden && copy.AlreadyRunning());
    first.Platform.ReadFile(ini, &after);
    EXPECT_EQ(after, before);
    EXPECT_EQ(first.Stored(), "In meeting|");
    EXPECT_EQ(first.Platform.LockRequests, (std::vector<std::string>{"TVK - Qel", "TVK - Qel"}));
}

// The pages; a cancelled folder dialog or unwritable settings keep the wizard
// open and store nothing; Help opens its topic and Cancel ends the program.
// Cancelled at start, it ends the program without writing.
TEST(StartupTest, WizardPagesAndChecks) {
    TScratchFolder database;
    TBoardComputer pc("ALPHA");
    ASSERT_TRUE(pc.Start());
    pc.Exit();
    EXPECT_EQ(pc.WizardRuns, 1);
    EXPECT_GE(pc.Ui.TerminateRequests, 1);
    EXPECT_TRUE(pc.Ui.Boxes.empty());
    EXPECT_FALSE(pc.RefreshTimer);
    EXPECT_EQ(pc.Setting(keys::Qel, keys::FirstTimeRun), keys::NotEntered);
    pc.Ui.Reset();
    pc.FolderTitles.clear();
    pc.MakeController();
    EXPECT_TRUE(pc.Controller->FormCreate());
    TDatabaseWizardLogic wizard = pc.MakeWizard();
    EXPECT_FALSE(wizard.NextEnabled() || wizard.PreviousEnabled());
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 0);
    wizard.SelectJoin();
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 1);
    EXPECT_TRUE(wizard.PreviousEnabled());
    wizard.Previous();
    EXPECT_EQ(wizard.Page(), 0);
    wizard.SelectCreate();
    EXPECT_TRUE(wizard.NextEnabled());
    wizard.Next();
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_EQ(pc.FolderTitles, "Create DBase;");
    pc.Platform.FailWrites = true;
    pc.Folders = {database.Path(), database.Path()};
    wizard.Next();
    ASSERT_EQ(pc.Ui.Boxes.size(), 1u);
    EXPECT_EQ(pc.Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_FALSE(wizard.Finished());
    EXPECT_FALSE(pc.Platform.FileExists(database.Path() + "QelDBase.isd"));
    pc.Platform.FailWrites = false;
    EXPECT_EQ(pc.Setting(keys::Locations, keys::DBaseLocation), keys::NotEntered);
    wizard.Help();
    EXPECT_EQ(pc.Platform.HelpTopics, std::vector<std::string>{"Installation"});
    wizard.Cancel();
    EXPECT_TRUE(wizard.Cancelled() && pc.Controller->TerminateRequested());
    EXPECT_EQ(pc.Ui.TerminateRequests, 1);
    wizard.Next();
    EXPECT_FALSE(wizard.Finished());
}

// Exit by the menu or by the shutdown marker: the record is kept or cleared as
// the question's answer says, and ticks after the close do nothing.
TEST(StartupTest, ExitKeepsOrClearsTheStatusAsAnswered) {
    const struct {
        const char* Name;
        bool Confirm;
        TBoxAnswer Answer;
        bool Marker;
        const char* Stored;
    } cases[] = {{"yes", true, TBoxAnswer::Yes, false, "In meeting|till 4"},
                 {"no", true, TBoxAnswer::No, false, "Offline|"},
                 {"not asked", false, TBoxAnswer::Yes, false, "Offline|"},
                 {"marker", true, TBoxAnswer::Yes, true, "Offline|"}};
    TScratchFolder database;
    const std::string marker = database.Path() + "QelDBase.smd";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TBoardComputer pc(std::string("PC-") + c.Name);
        pc.JoinQuietly(database.Path());
        ASSERT_TRUE(pc.Start());
        pc.Controller->Context().CurrentUser.Comments = "till 4";
        pc.Controller->Users().SaveUser();
        pc.Controller->SetStatus("In meeting");
        TFormStateStore(pc.Controller->Settings()).WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", c.Confirm);
        pc.Ui.QueueAnswer(c.Answer);
        if (c.Marker) {
            std::ofstream(marker) << "";
            pc.Controller->RefreshTick();
            EXPECT_TRUE(pc.CloseRequests == 1 && pc.Controller->ShutdownSeen());
        } else {
            pc.Controller->FileExit();
        }
        pc.Controller->FormClose();
        EXPECT_FALSE(pc.RefreshTimer || pc.MessageTimer);
        std::ofstream(marker) << "";
        pc.Controller->RefreshTick();
        EXPECT_EQ(pc.CloseRequests, 1);
        pc.Controller->FormDestroy();
        std::filesystem::remove(marker);
        EXPECT_EQ(pc.Ui.Boxes, c.Confirm && !c.Marker ? std::vector{ExitQuestion} : std::vector<TShownBox>{});
        pc.MakeController();
        pc.Controller->FormCreate();
        pc.Controller->Users().LoadLocation();
        EXPECT_EQ(pc.Stored(), c.Stored);
    }
}

} // namespace
} // namespace qel::test
