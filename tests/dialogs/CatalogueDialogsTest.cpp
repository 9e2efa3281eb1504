// The status and department maintenance dialogs: one behaviour, two
// configurations. Enabling rules, the exact delete questions, and the list
// always showing what the shared catalogue holds.

#include "DialogOffice.h"

#include "dialogs/CatalogueLogic.h"
#include "dialogs/ChoiceList.h"

namespace qel::test {
namespace {

class CatalogueDialogs : public TDialogOffice {
protected:
    void SetUp() override {
        Admin = &Join("PC-ADMIN", "ADMIN");
        Other = &Join("PC-OTHER", "OTHER");
    }

    // Clicks the entry `text` of `list`.
    static void Click(TCatalogueLogic& dialog, TChoiceItems& list, const std::string& text) {
        ASSERT_TRUE(list.SelectText(text)) << text;
        dialog.Click(list);
    }

    TDialogComputer* Admin = nullptr;
    TDialogComputer* Other = nullptr;
};

TEST_F(CatalogueDialogs, BuiltInStatusesCanBeSelectedButNeitherDeletedNorRenamed) {
    TCatalogueLogic dialog(*Admin->Services, TCatalogueDialogKind::Statuses);
    TChoiceItems list(true);
    dialog.Show(list);
    const std::vector<std::string> texts = Texts(list);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Offline"), 0);
    EXPECT_EQ(texts.front(), "At lunch");
    EXPECT_EQ(texts.size(), 9u);

    Click(dialog, list, "Available");
    EXPECT_EQ(dialog.SelectedItem, "Available");
    EXPECT_FALSE(dialog.DeleteEnabled(true));
    EXPECT_FALSE(dialog.UpdateEnabled(true, "Here"));

    dialog.Add("Training", list);
    EXPECT_EQ(list.SelectedIndex(), -1);
    Click(dialog, list, "Training");
    EXPECT_TRUE(dialog.DeleteEnabled(true));
    EXPECT_TRUE(dialog.UpdateEnabled(true, "Course"));
    EXPECT_FALSE(dialog.UpdateEnabled(true, "  "));
    EXPECT_FALSE(dialog.DeleteEnabled(false));
    EXPECT_FALSE(TCatalogueLogic::AddEnabled(" \t "));
    EXPECT_TRUE(TCatalogueLogic::AddEnabled(" x "));
}

TEST_F(CatalogueDialogs, DeleteQuestionsQuoteTheNameWithoutAQuestionMark) {
    TCatalogueLogic statuses(*Admin->Services, TCatalogueDialogKind::Statuses);
    TChoiceItems list(true);
    statuses.Show(list);
    statuses.Add("Training", list);
    Click(statuses, list, "Training");
    Admin->Ui.QueueAnswer(TBoxAnswer::No);
    statuses.Delete(list);
    // No still refills the list, which leaves nothing selected.
    EXPECT_EQ(list.SelectedIndex(), -1);
    EXPECT_EQ(std::count(list.Items.begin(), list.Items.end(), TNumberedItems::TItem{"Training", 11}), 1);

    TCatalogueLogic departments(*Admin->Services, TCatalogueDialogKind::Departments);
    TChoiceItems deps(true);
    departments.Show(deps);
    departments.Add("Sales & Marketing", deps);
    Click(departments, deps, "Sales & Marketing");
    Admin->Ui.QueueAnswer(TBoxAnswer::Yes);
    departments.Delete(deps);
    EXPECT_TRUE(deps.Items.empty());

    EXPECT_EQ(Admin->Ui.Boxes, (std::vector<TShownBox>{
                                   Question("Are you sure you want to delete the Status \"Training\""),
                                   Question("Are you sure you want to delete the Department \"Sales & Marketing\"")}));
}

TEST_F(CatalogueDialogs, ChangesReachEveryComputerAndTheListShowsTheSharedCatalogue) {
    TCatalogueLogic adminDialog(*Admin->Services, TCatalogueDialogKind::Departments);
    TChoiceItems adminList(true);
    adminDialog.Show(adminList);
    adminDialog.Add("Sales", adminList);
    adminDialog.Add("Accounts", adminList);
    EXPECT_EQ(Texts(adminList), (std::vector<std::string>{"Accounts", "Sales"}));

    // A second administrator renames and deletes in the same catalogue.
    TCatalogueLogic otherDialog(*Other->Services, TCatalogueDialogKind::Departments);
    TChoiceItems otherList(true);
    otherDialog.Show(otherList);
    Click(otherDialog, otherList, "Sales");
    EXPECT_TRUE(otherDialog.DeleteEnabled(true));
    otherDialog.Update("Export", otherList);
    EXPECT_EQ(Texts(otherList), (std::vector<std::string>{"Accounts", "Export"}));

    // The first dialog's next refill shows the other's change; a name it
    // holds already is refused with the catalogue's warning.
    adminDialog.Add("Export", adminList);
    EXPECT_EQ(Texts(adminList), (std::vector<std::string>{"Accounts", "Export"}));
    ASSERT_EQ(Admin->Ui.Boxes.size(), 1u);
    EXPECT_EQ(Admin->Ui.Boxes[0].Text, "Department \"Export\" already exists");
}

TEST_F(CatalogueDialogs, SelectedItemIsKeptAcrossShowings) {
    TCatalogueLogic dialog(*Admin->Services, TCatalogueDialogKind::Statuses);
    TChoiceItems list(true);
    dialog.Show(list);
    dialog.Add("Visiting", list);
    Click(dialog, list, "Visiting");
    dialog.Show(list);
    EXPECT_EQ(dialog.SelectedItem, "Visiting");
    // Renaming to an existing name is not checked: two entries remain.
    Click(dialog, list, "Visiting");
    dialog.Update("DND", list);
    const std::vector<std::string> texts = Texts(list);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "DND"), 2);
}

TEST_F(CatalogueDialogs, TheTwoConfigurations) {
    const TCatalogueDialogTexts& statuses = CatalogueTexts(TCatalogueDialogKind::Statuses);
    const TCatalogueDialogTexts& departments = CatalogueTexts(TCatalogueDialogKind::Departments);
    EXPECT_STREQ(statuses.Prompt, "Type Status...");
    EXPECT_STREQ(departments.Prompt, "Type Department...");
    EXPECT_EQ(statuses.EditLimit.MaxBytes, 30u);
    EXPECT_EQ(departments.EditLimit.MaxBytes, 20u);

    TCatalogueLogic dialog(*Admin->Services, TCatalogueDialogKind::Departments);
    dialog.Help();
    TCatalogueLogic(*Admin->Services, TCatalogueDialogKind::Statuses).Help();
    EXPECT_EQ(Admin->Platform.HelpTopics, (std::vector<std::string>{"Adding_Departments", "Adding_Statuses"}));
}

} // namespace
} // namespace qel::test
