// The database wizard's rules: pages, enabling, join and create checks.

#include "AppOffice.h"

namespace qel::test {
namespace {

class WizardTest : public ::testing::Test {
protected:
    WizardTest() { EXPECT_TRUE(Pc.Controller->FormCreate()); }

    static TDatabaseWizardLogic MakeWizard(TBoardComputer& pc) {
        return TDatabaseWizardLogic(pc.Platform, pc.Controller->Settings(), pc.Controller->Users(), pc.Ui, pc.Folders,
                                    pc.Controller->Context().App);
    }
    std::string StoredLocation() {
        return Pc.Controller->Settings().ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered);
    }

    TScratchFolder Database;
    TBoardComputer Pc{"ALPHA"};
};

TEST_F(WizardTest, NextNeedsAChoiceAndPreviousReturnsToTheFirstPage) {
    TDatabaseWizardLogic wizard = MakeWizard(Pc);
    EXPECT_FALSE(wizard.NextEnabled());
    EXPECT_FALSE(wizard.PreviousEnabled());
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 0);

    wizard.SelectCreate();
    EXPECT_TRUE(wizard.NextEnabled());
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 2);
    EXPECT_TRUE(wizard.PreviousEnabled());
    wizard.Previous();
    EXPECT_EQ(wizard.Page(), 0);

    wizard.SelectJoin();
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 1);
    // A cancelled folder dialog stays on the page and stores nothing.
    wizard.Next();
    EXPECT_EQ(wizard.Page(), 1);
    EXPECT_FALSE(wizard.Finished());
    EXPECT_EQ(Pc.Folders.Titles, std::vector<std::string>{"Join DBase"});
    EXPECT_EQ(StoredLocation(), keys::NotEntered);
}

TEST_F(WizardTest, JoinRefusesAFolderWithoutDatabase) {
    TDatabaseWizardLogic wizard = MakeWizard(Pc);
    wizard.SelectJoin();
    wizard.Next();
    std::string withoutSlash = Database.Path();
    withoutSlash.pop_back();
    Pc.Folders.Answers.push_back(withoutSlash);
    wizard.Next();
    EXPECT_EQ(Pc.Ui.Boxes, std::vector<TShownBox>{InfoBox("Qel was unable to find an QelDBase")});
    EXPECT_FALSE(wizard.Finished());
    EXPECT_EQ(wizard.Page(), 1);
    EXPECT_EQ(StoredLocation(), keys::NotEntered);

    // Once another computer has created it, the same folder is accepted,
    // with the separator added.
    TBoardComputer other("BETA");
    other.Folders.Answers.push_back(Database.Path());
    other.Ui.QueueAnswer(TBoxAnswer::No);
    ASSERT_TRUE(other.Start());
    Pc.Folders.Answers.push_back(withoutSlash);
    wizard.Next();
    EXPECT_TRUE(wizard.Finished());
    EXPECT_EQ(StoredLocation(), Database.Path());
    EXPECT_EQ(Pc.Controller->Users().Location, Database.Path());
}

TEST_F(WizardTest, CreateRefusesAFolderThatHoldsADatabase) {
    TDatabaseWizardLogic wizard = MakeWizard(Pc);
    wizard.SelectCreate();
    wizard.Next();
    Pc.Folders.Answers.push_back(Database.Path());
    wizard.Next();
    EXPECT_TRUE(wizard.Finished());
    EXPECT_TRUE(Pc.Platform.FileExists(Database.Path() + "QelDBase.isd"));
    EXPECT_TRUE(Pc.Controller->Context().IsAdministrator);

    TBoardComputer other("BETA");
    ASSERT_TRUE(other.Controller->FormCreate());
    TDatabaseWizardLogic second = MakeWizard(other);
    second.SelectCreate();
    second.Next();
    other.Folders.Answers.push_back(Database.Path());
    second.Next();
    EXPECT_EQ(other.Ui.Boxes, std::vector<TShownBox>{InfoBox("An QelDBase already exists in this folder")});
    EXPECT_FALSE(second.Finished());
    EXPECT_EQ(second.Page(), 2);
}

TEST_F(WizardTest, CancelEndsTheProgramAndStoresNothing) {
    TDatabaseWizardLogic wizard = MakeWizard(Pc);
    wizard.SelectCreate();
    wizard.Next();
    wizard.Cancel();
    EXPECT_TRUE(wizard.Cancelled());
    EXPECT_EQ(Pc.Ui.TerminateRequests, 1);
    EXPECT_TRUE(Pc.Controller->TerminateRequested());
    EXPECT_EQ(StoredLocation(), keys::NotEntered);
    wizard.Help();
    EXPECT_EQ(Pc.Platform.HelpTopics, std::vector<std::string>{"Installation"});
}

TEST_F(WizardTest, UnwritableSettingsShowAnErrorAndKeepTheWizardOpen) {
    TDatabaseWizardLogic wizard = MakeWizard(Pc);
    wizard.SelectCreate();
    wizard.Next();
    Pc.Platform.FailWrites = true;
    Pc.Folders.Answers.push_back(Database.Path());
    wizard.Next();
    ASSERT_EQ(Pc.Ui.Boxes.size(), 1u);
    EXPECT_EQ(Pc.Ui.Boxes[0].Kind, TBoxKind::Error);
    EXPECT_FALSE(wizard.Finished());
    EXPECT_FALSE(Pc.Platform.FileExists(Database.Path() + "QelDBase.isd"));
}

} // namespace
} // namespace qel::test
