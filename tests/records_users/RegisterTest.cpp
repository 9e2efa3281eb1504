// Registering computers, reading and writing this computer's record, with
// several computers sharing one database folder.

#include "Office.h"

#include <filesystem>

namespace qel::test {
namespace {

class UserRegisterTest : public ::testing::Test {
protected:
    TTempFolder Database;
};

TEST_F(UserRegisterTest, FirstRunCreatesTheDatasetAndMakesThisComputerItsAdministrator) {
    TComputer a("PC-A", "ALICE", Database.Path());
    a.Users->LoadLocation();
    EXPECT_EQ(a.Users->Location, Database.Path());
    a.Users->RegisterComputer();

    EXPECT_TRUE(std::filesystem::exists(Database.Path() + "QelDBase.isd"));
    EXPECT_TRUE(a.Context.IsAdministrator);
    EXPECT_TRUE(a.Ui.Boxes.empty());
    EXPECT_EQ(a.Ui.TerminateRequests, 0);

    a.Users->LoadCurrentUser();
    const TQelUser expected = UserRecord("ALICE", "Available", "", "", "", "PC-A", 1);
    EXPECT_EQ(a.Current(), expected);
    EXPECT_EQ(a.Users->StoredStatus, "Available");
    EXPECT_EQ(a.Ui.PanelTexts, std::vector<std::string>{""});

    // Registering again finds the record instead of adding a second one.
    a.Users->RegisterComputer();
    EXPECT_EQ(a.Board(), std::vector<TBoardRow>{FreshRow("ALICE", "PC-A")});
    EXPECT_FALSE(a.Users->Isam.IsOpen());
}

TEST_F(UserRegisterTest, LaterComputersJoinAsPlainUsersInKeyOrderOnEveryBoard) {
    TComputer a("PC-A", "ALICE", Database.Path());
    a.Start();
    TComputer b("PC-B", "BOB", Database.Path());
    b.Start();
    // Names from the platform are stored in upper case whatever it reports.
    TComputer c("pc-c", "carol", Database.Path());
    c.Start();

    EXPECT_FALSE(b.Context.IsAdministrator);
    EXPECT_FALSE(c.Context.IsAdministrator);
    EXPECT_TRUE(a.Context.IsAdministrator);
    for (TComputer* computer : {&a, &b, &c}) {
        EXPECT_TRUE(computer->Ui.Boxes.empty());
        EXPECT_EQ(computer->Ui.TrayImages, std::vector<int>{1});
    }

    b.Users->LoadCurrentUser();
    EXPECT_EQ(b.Current(), UserRecord("BOB", "Available", "", "", "", "PC-B", 0));

    const std::vector<TBoardRow> expected{FreshRow("ALICE", "PC-A"), FreshRow("BOB", "PC-B"),
                                          FreshRow("CAROL", "PC-C")};
    for (TComputer* computer : {&a, &b, &c})
        EXPECT_EQ(computer->Board(), expected);

    // A status change rewrites the record in place: the order stays.
    c.Current().Status = "Gone home";
    c.Users->SaveStatus();
    EXPECT_EQ(c.Ui.TrayImages.back(), 4);
    const std::vector<TBoardRow> rows = a.Board();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2], (TBoardRow{"CAROL", {"Gone home", "", "", "", "PC-C"}, 4}));
}

TEST_F(UserRegisterTest, SaveStatusKeepsWhatAnAdministratorChangedMeanwhile) {
    TComputer admin("PC-A", "ALICE", Database.Path());
    admin.Start();
    TComputer b("PC-B", "BOB", Database.Path());
    b.Start();
    b.Users->LoadCurrentUser();
    b.Current().Comments = "typed but not saved";

    // The administrator edits B's record through the shared working copy.
    admin.Current() = UserRecord("ROBERT", "Available", "4711", "Sales", "back at 3", "PC-B", 1);
    admin.Users->SaveUser();
    EXPECT_TRUE(admin.Ui.Boxes.empty());

    b.Current().Status = "In meeting";
    b.Users->SaveStatus();

    EXPECT_EQ(b.Current(), UserRecord("ROBERT", "In meeting", "4711", "Sales", "back at 3", "PC-B", 1));
    EXPECT_TRUE(b.Context.IsAdministrator);
    EXPECT_EQ(b.Ui.TrayImages.back(), 5);
    EXPECT_FALSE(b.Users->Isam.IsOpen());
    EXPECT_EQ(admin.Board()[1], (TBoardRow{"ROBERT", {"In meeting", "4711", "Sales", "back at 3", "PC-B"}, 5}));

    // Taking the flag away takes effect at B's next status change.
    admin.Current() = b.Current();
    admin.Current().Administrator = 0;
    admin.Users->SaveUser();
    b.Current().Status = "My own words";
    b.Users->SaveStatus();
    EXPECT_FALSE(b.Context.IsAdministrator);
    EXPECT_EQ(b.Ui.TrayImages.back(), 9);

    // The administrator's own identity is untouched by editing someone else.
    admin.Users->LoadCurrentUser();
    EXPECT_EQ(admin.Current(), UserRecord("ALICE", "Available", "", "", "", "PC-A", 1));
}

TEST_F(UserRegisterTest, ADeletedRecordIsReportedAndNothingIsWrittenForIt) {
    TComputer admin("PC-A", "ALICE", Database.Path());
    admin.Start();
    TComputer b("PC-B", "BOB", Database.Path());
    b.Start();
    b.Users->LoadCurrentUser();
    b.Current().Comments = "in the lab";
    b.Users->SaveUser();

    TNumberedItems list;
    admin.Users->FillUserList(list);
    list.Selected = 1;
    admin.Users->DeleteUser(list);
    EXPECT_TRUE(admin.Ui.Boxes.empty());

    // The refresh reads the record: the engine's words go to panel 0 and B
    // keeps working with what it had.
    const TQelUser before = b.Current();
    b.Ui.Reset();
    b.Users->LoadCurrentUser();
    EXPECT_EQ(b.Ui.PanelTexts, std::vector<std::string>{"Object not found "});
    EXPECT_TRUE(b.Ui.Boxes.empty());
    EXPECT_EQ(b.Current(), before);
    EXPECT_FALSE(b.Users->Isam.IsOpen());

    // A status change or a save cannot find the record: one error box each,
    // nothing copied, nothing written, the tray left alone.
    b.Current().Status = "DND";
    b.Users->SaveStatus();
    EXPECT_FALSE(b.Users->Isam.IsOpen());
    b.Current().Comments = "";
    b.Users->SaveUser();
    EXPECT_EQ(b.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Object not found\r"), ErrorBox("Object not found\r")}));
    EXPECT_TRUE(b.Ui.TrayImages.empty());
    TQelUser expected = before;
    expected.Status = "DND";
    expected.Comments = "";
    EXPECT_EQ(b.Current(), expected);
    EXPECT_EQ(admin.Board(), std::vector<TBoardRow>{FreshRow("ALICE", "PC-A")});
    EXPECT_FALSE(b.Users->Isam.IsOpen());

    // The next start registers B again, as a plain user at the end.
    b.Ui.Reset();
    b.Start();
    b.Users->LoadCurrentUser();
    EXPECT_EQ(b.Ui.PanelTexts, std::vector<std::string>{""});
    EXPECT_EQ(b.Current(), UserRecord("BOB", "Available", "", "", "", "PC-B", 0));
    EXPECT_EQ(admin.Board(), (std::vector<TBoardRow>{FreshRow("ALICE", "PC-A"), FreshRow("BOB", "PC-B")}));
}

} // namespace
} // namespace qel::test
