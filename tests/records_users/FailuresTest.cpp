// Start-up failures of the register: no engine, no database folder, no
// location set yet.

#include "Office.h"

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"

#include <filesystem>

namespace qel::test {
namespace {

TEST(UserRegisterStartTest, MissingEngineIsReportedOnceAndEndsTheProgram) {
    TTempFolder database;
    TTempFolder noEngine;
    TComputer a("PC-A", "ALICE", database.Path(), noEngine.Path());

    EXPECT_EQ(a.Ui.Log, (std::vector<std::string>{std::string("box Error: ") + EngineMissingText, "terminate"}));
    EXPECT_EQ(a.Ui.Boxes, std::vector<TShownBox>{ErrorBox(EngineMissingText)});
    EXPECT_NE(std::string(EngineMissingText).find("libqelisam.so"), std::string::npos);
}

TEST(UserRegisterStartTest, AFolderThatCannotHoldTheDatasetEndsTheProgram) {
    TTempFolder parent;
    const std::string missing = parent.Path() + "not-there/";
    TComputer a("PC-A", "ALICE", missing);
    a.Users->LoadLocation();
    a.Users->RegisterComputer();

    EXPECT_EQ(a.Ui.Log, (std::vector<std::string>{"box Error: Unable to create QelDBase!", "terminate"}));
    EXPECT_FALSE(a.Context.IsAdministrator);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_FALSE(a.Users->Isam.IsOpen());
}

TEST(UserRegisterStartTest, AComputerThatCannotBeAddedGoesOnWithoutARecord) {
    TTempFolder database;
    TComputer a("PC-A", "ALICE", database.Path());
    a.Start();
    // A record at the highest key there can be: no key is left for the next add.
    TRecordBuffer last(UsersLayout());
    last.SetText(userfield::UserName, "LAST");
    last.SetText(userfield::ComputerName, "PC-Z");
    TIsamFile isam;
    ASSERT_TRUE(isam.OpenDataset(database.Path() + "QelDBase", 3));
    ASSERT_TRUE(isam.AddRecord(last.Data(), "2147483647"));
    isam.CloseDataset();

    TComputer b("PC-B", "BOB", database.Path());
    b.Users->LoadLocation();
    b.Users->RegisterComputer();
    EXPECT_EQ(b.Ui.Log, std::vector<std::string>{"box Plain: Unable to Add"});
    EXPECT_FALSE(b.Context.IsAdministrator);
    EXPECT_FALSE(b.Users->Isam.IsOpen());
    b.Users->LoadCurrentUser();
    EXPECT_EQ(b.Ui.PanelTexts, std::vector<std::string>{"Object not found "});
    EXPECT_EQ(a.Board().size(), 2u);
}

TEST(UserRegisterStartTest, ALookupThatFailsForAnotherReasonAddsNothing) {
    // A "QelDBase" that is some other dataset, without a computer-name index.
    TTempFolder database;
    TIsamFile isam;
    ASSERT_TRUE(isam.CreateDataset(database.Path() + "QelDBase", 10, "X$*21"));

    TComputer a("PC-A", "ALICE", database.Path());
    a.Users->LoadLocation();
    a.Users->RegisterComputer();
    EXPECT_EQ(a.Ui.Boxes, std::vector<TShownBox>{ErrorBox("Invalid parameter value\r")});
    ASSERT_TRUE(isam.OpenDataset(database.Path() + "QelDBase", 3));
    EXPECT_EQ(isam.RecordCount(), 0);
}

class TWizardRecorder : public IDatabaseWizard {
public:
    explicit TWizardRecorder(TQelFile*& users, std::string folder) : FUsers(users), FFolder(std::move(folder)) {}
    void Execute() override {
        ++Runs;
        FUsers->Location = FFolder;
    }
    int Runs = 0;

private:
    TQelFile*& FUsers;
    std::string FFolder;
};

TEST(UserRegisterStartTest, LoadLocationAsksTheWizardOnlyWhenNoFolderIsSet) {
    TTempFolder database;
    TComputer a("PC-A", "ALICE", "Not_Entered");
    TQelFile* users = a.Users.get();
    TWizardRecorder wizard(users, database.Path());
    a.Context.Wizard = &wizard;

    a.Users->LoadLocation();
    EXPECT_EQ(wizard.Runs, 1);
    EXPECT_EQ(a.Users->Location, database.Path());

    // A folder written by hand without the trailing separator still works.
    std::string bare = database.Path();
    bare.pop_back();
    a.Settings.WriteString("Locations", "Qel_DBaseLocation", bare);
    a.Users->LoadLocation();
    EXPECT_EQ(wizard.Runs, 1);
    EXPECT_EQ(a.Users->Location, database.Path());
    a.Users->RegisterComputer();
    EXPECT_TRUE(std::filesystem::exists(database.Path() + "QelDBase.isd"));
    EXPECT_EQ(a.Board(), std::vector<TBoardRow>{FreshRow("ALICE", "PC-A")});
}

} // namespace
} // namespace qel::test
