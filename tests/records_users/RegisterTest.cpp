// Registering computers, reading and writing this computer's record with
// several computers sharing one database folder, and the start-up failures.

#include "Office.h"

#include "isam/IsamFile.h"

#include <filesystem>

namespace qel::test {
namespace {

class UserRegisterTest : public ::testing::Test {
protected:
    TScratchFolder Database;
};

// The administrator and one user, both started; the user has read its record.
class AdminAndUserTest : public UserRegisterTest {
protected:
    void SetUp() override {
        Admin.Start();
        B.Start();
        B.Users->LoadCurrentUser();
    }
    TComputer Admin{"PC-A", "ALICE", Database.Path()};
    TComputer B{"PC-B", "BOB", Database.Path()};
};

TEST_F(UserRegisterTest, FirstRunCreatesTheDatasetAndMakesThisComputerItsAdministrator) {
    TComputer a("PC-A", "ALICE", Database.Path());
    a.Users->LoadLocation();
    EXPECT_EQ(a.Users->Location, Database.Path());
    a.Users->RegisterComputer();
    EXPECT_TRUE(a.Context.IsAdministrator);
    EXPECT_TRUE(a.Ui.Log.empty());

    a.Users->LoadCurrentUser();
    EXPECT_EQ(a.Current(), UserRecord("ALICE", "Available", "", "", "", "PC-A", 1));
    EXPECT_EQ(a.Users->StoredStatus, "Available");
    EXPECT_EQ(a.Ui.PanelTexts, std::vector<std::string>{""});

    // Registering again finds the record instead of adding a second one.
    a.Users->RegisterComputer();
    EXPECT_EQ(a.Board(), std::vector<TBoardRow>{FreshRow("ALICE", "PC-A")});
    EXPECT_FALSE(a.Users->Isam.IsOpen());
}

TEST_F(UserRegisterTest, LaterComputersJoinAsPlainUsersInKeyOrderOnEveryBoard) {
    TComputer a("PC-A", "ALICE", Database.Path());
    TComputer b("PC-B", "BOB", Database.Path());
    // Names from the platform are stored in upper case whatever it reports.
    TComputer c("pc-c", "carol", Database.Path());
    for (TComputer* computer : {&a, &b, &c})
        computer->Start();

    EXPECT_TRUE(a.Context.IsAdministrator);
    EXPECT_FALSE(b.Context.IsAdministrator);
    EXPECT_FALSE(c.Context.IsAdministrator);
    b.Users->LoadCurrentUser();
    EXPECT_EQ(b.Current(), UserRecord("BOB", "Available", "", "", "", "PC-B", 0));
    for (TComputer* computer : {&a, &b, &c}) {
        EXPECT_TRUE(computer->Ui.Boxes.empty());
        EXPECT_EQ(computer->Ui.TrayImages, std::vector<int>{1});
        EXPECT_EQ(computer->Board(), (std::vector<TBoardRow>{FreshRow("ALICE", "PC-A"), FreshRow("BOB", "PC-B"),
                                                             FreshRow("CAROL", "PC-C")}));
    }

    // A status change rewrites the record in place: the order stays.
    c.Current().Status = "Gone home";
    c.Users->SaveStatus();
    EXPECT_EQ(c.Ui.TrayImages.back(), 4);
    EXPECT_EQ(a.Board().back(), (TBoardRow{"CAROL", {"Gone home", "", "", "", "PC-C"}, 4}));
    // Images follow the exact text: another case is a custom status.
    c.Current().Status = "gone home";
    c.Users->SaveStatus();
    EXPECT_EQ(c.Ui.TrayImages.back(), 9);
}

TEST_F(AdminAndUserTest, SaveStatusKeepsWhatAnAdministratorChangedMeanwhile) {
    B.Current().Comments = "typed but not saved";

    // The administrator edits B's record through the shared working copy.
    Admin.Current() = UserRecord("ROBERT", "Available", "4711", "Sales", "back at 3", "PC-B", 1);
    Admin.Users->SaveUser();
    EXPECT_TRUE(Admin.Ui.Boxes.empty());

    B.Current().Status = "In meeting";
    B.Users->SaveStatus();
    EXPECT_EQ(B.Current(), UserRecord("ROBERT", "In meeting", "4711", "Sales", "back at 3", "PC-B", 1));
    EXPECT_TRUE(B.Context.IsAdministrator);
    EXPECT_EQ(B.Ui.TrayImages.back(), 5);
    EXPECT_FALSE(B.Users->Isam.IsOpen());
    EXPECT_EQ(Admin.Board()[1], (TBoardRow{"ROBERT", {"In meeting", "4711", "Sales", "back at 3", "PC-B"}, 5}));

    // Taking the flag away takes effect at B's next status change; a custom
    // status shows the image of custom statuses.
    Admin.Current() = B.Current();
    Admin.Current().Administrator = 0;
    Admin.Users->SaveUser();
    B.Current().Status = "My own words";
    B.Users->SaveStatus();
    EXPECT_FALSE(B.Context.IsAdministrator);
    EXPECT_EQ(B.Ui.TrayImages.back(), 9);

    // The administrator's own identity is untouched by editing someone else.
    Admin.Users->LoadCurrentUser();
    EXPECT_EQ(Admin.Current(), UserRecord("ALICE", "Available", "", "", "", "PC-A", 1));
}

TEST_F(AdminAndUserTest, ADeletedRecordIsReportedAndNothingIsWrittenForIt) {
    B.Current().Comments = "in the lab";
    B.Users->SaveUser();

    TNumberedItems list;
    Admin.Users->FillUserList(list);
    list.Selected = 1;
    Admin.Users->DeleteUser(list);
    EXPECT_TRUE(Admin.Ui.Boxes.empty());

    // The refresh reads the record: the engine's words go to panel 0 and B
    // keeps working with what it had.
    const TQelUser before = B.Current();
    B.Ui.Reset();
    B.Users->LoadCurrentUser();
    EXPECT_EQ(B.Ui.Log, std::vector<std::string>{"panel: Object not found "});
    EXPECT_EQ(B.Current(), before);

    // A status change or a save cannot find the record: one error box each,
    // nothing copied, nothing written, the tray left alone.
    B.Current().Status = "DND";
    B.Users->SaveStatus();
    B.Current().Comments = "";
    B.Users->SaveUser();
    EXPECT_EQ(B.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Object not found\r"), ErrorBox("Object not found\r")}));
    EXPECT_TRUE(B.Ui.TrayImages.empty());
    TQelUser expected = before;
    expected.Status = "DND";
    expected.Comments = "";
    EXPECT_EQ(B.Current(), expected);
    EXPECT_EQ(Admin.Board(), std::vector<TBoardRow>{FreshRow("ALICE", "PC-A")});
    EXPECT_FALSE(B.Users->Isam.IsOpen());
}

TEST_F(UserRegisterTest, MissingEngineIsReportedOnceAndEndsTheProgram) {
    TScratchFolder noEngine;
    TComputer a("PC-A", "ALICE", Database.Path(), noEngine.Path());
    EXPECT_EQ(a.Ui.Log, (std::vector<std::string>{std::string("box Error: ") + EngineMissingText, "terminate"}));
    EXPECT_EQ(a.Ui.Boxes, std::vector<TShownBox>{ErrorBox(EngineMissingText)});
    EXPECT_NE(std::string(EngineMissingText).find("libqelisam.so"), std::string::npos);
}

TEST_F(UserRegisterTest, AFolderThatCannotHoldTheDatasetEndsTheProgram) {
    const std::string missing = Database.Path() + "not-there/";
    TComputer a("PC-A", "ALICE", missing);
    a.Users->LoadLocation();
    a.Users->RegisterComputer();
    ASSERT_EQ(a.Ui.Log.size(), 2u);
    EXPECT_EQ(a.Ui.Log[0].rfind("box Error: Unable to create QelDBase!\r" + IsamErrorText(13) + "\r", 0), 0u);
    EXPECT_EQ(a.Ui.Log[1], "terminate");
    EXPECT_FALSE(a.Context.IsAdministrator);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST_F(UserRegisterTest, ALookupThatFailsForAnotherReasonAddsNothing) {
    // A "QelDBase" that is some other dataset, without a computer-name index.
    TIsamFile isam;
    ASSERT_TRUE(isam.CreateDataset(Database.Path() + "QelDBase", 10, "X$*21"));
    TComputer a("PC-A", "ALICE", Database.Path());
    a.Users->LoadLocation();
    a.Users->RegisterComputer();
    // Refused at open for its layout, said so, and there is no creating over it.
    ASSERT_EQ(a.Ui.Boxes.size(), 1u);
    EXPECT_EQ(a.Ui.Boxes[0].Text.rfind(IsamErrorText(5) + "\r", 0), 0u);
    ASSERT_TRUE(isam.OpenDataset(Database.Path() + "QelDBase", 3));
    EXPECT_EQ(isam.RecordCount(), 0);
}

TEST_F(UserRegisterTest, LoadLocationAsksTheWizardOnlyWhenNoFolderIsSet) {
    struct TWizard : IDatabaseWizard {
        void Execute() override { ++Runs; }
        int Runs = 0;
    } wizard;
    TComputer a("PC-A", "ALICE", "Not_Entered");
    a.Context.Wizard = &wizard;
    a.Users->LoadLocation();
    EXPECT_EQ(wizard.Runs, 1);
    EXPECT_EQ(a.Users->Location, "");

    // A folder written by hand without the trailing separator still works.
    std::string bare = Database.Path();
    bare.pop_back();
    a.Settings.WriteString("Locations", "Qel_DBaseLocation", bare);
    a.Users->LoadLocation();
    EXPECT_EQ(wizard.Runs, 1);
    EXPECT_EQ(a.Users->Location, Database.Path());
    a.Users->RegisterComputer();
    EXPECT_EQ(a.Board(), std::vector<TBoardRow>{FreshRow("ALICE", "PC-A")});
}

} // namespace
} // namespace qel::test
