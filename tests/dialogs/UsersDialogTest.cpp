// User maintenance: an administrator edits and deletes any user's entry.

#include "DialogOffice.h"

#include "dialogs/ChoiceList.h"
#include "dialogs/UsersLogic.h"

namespace qel::test {
namespace {

// The dialog's visible boxes as ShowUser fills them.
struct TUserBoxes : IUserDetailsView {
    void SetTxtName(const std::string& text) override { Name = text; }
    void SetTxtStatus(const std::string&) override {}
    void SetTxtComments(const std::string& text) override { Comments = text; }
    void SetTxtExtension(const std::string& text) override { Extension = text; }
    void SetTxtDepartment(const std::string&) override {}
    void SetTxtComputerName(const std::string& text) override { ComputerName = text; }
    void SetChkboxAdministrator(bool checked) override { Administrator = checked; }

    TUserEdits Edits() const { return {Name, Comments, Extension, ComputerName, Administrator}; }

    std::string Name, Comments, Extension, ComputerName;
    bool Administrator = false;
};

class UsersDialog : public TDialogOffice {
protected:
    void SetUp() override { Admin = &Join("PC-ADMIN", "ADMIN"); }

    void Open() {
        Users = TChoiceItems();
        Statuses = TChoiceItems(true);
        Departments = TChoiceItems(true);
        Dialog = std::make_unique<TUsersLogic>(*Admin->Services);
        Dialog->Show(Users, Statuses, Departments);
    }
    void Select(const std::string& name) {
        ASSERT_TRUE(Users.SelectText(name)) << name;
        Dialog->Select(Users, Boxes, Statuses, Departments);
    }

    TDialogComputer* Admin = nullptr;
    std::unique_ptr<TUsersLogic> Dialog;
    TChoiceItems Users, Statuses, Departments;
    TUserBoxes Boxes;
};

TEST_F(UsersDialog, SelectingShowsTheRecordAndUpdateStoresWhatTheCataloguesHold) {
    Admin->Departments->AddDepartment("Sales");
    TDialogComputer& two = Join("PC-TWO", "TWO");
    two.Context.CurrentUser.Status = "In meeting";
    two.Users->SaveStatus();
    two.Context.CurrentUser.Department = "Sales";
    two.Context.CurrentUser.Extension = "42";
    two.Users->SaveUser();

    Open();
    // Every status, "Offline" too, sorted.
    EXPECT_EQ(Statuses.Count(), 10);
    EXPECT_EQ(Statuses.TextAt(0), "At lunch");
    Select("TWO");
    EXPECT_EQ(Boxes.ComputerName, "PC-TWO");
    EXPECT_EQ(Boxes.Extension, "42");
    EXPECT_EQ(Statuses.SelectedText(), "In meeting");
    EXPECT_EQ(Departments.SelectedText(), "Sales");
    EXPECT_EQ(Dialog->StoredStatus, "In meeting");

    // A status or department no longer in the catalogue shows blank, and Update stores it empty.
    two.Context.CurrentUser.Status = "Abroad";
    two.Users->SaveStatus();
    TChoiceItems deps;
    Admin->Departments->LoadDepartments(deps);
    Admin->Departments->DeleteDepartment(deps.Items.at(0).Number);
    Open();
    Select("TWO");
    EXPECT_EQ(Statuses.SelectedIndex(), -1);
    EXPECT_EQ(Departments.SelectedIndex(), -1);
    Boxes.Comments = "back monday";
    Boxes.Administrator = true;
    Dialog->Update(Boxes.Edits(), Statuses, Departments, Users);

    const TQelUser record = two.Record();
    EXPECT_EQ(record.Status, "");
    EXPECT_EQ(record.Department, "");
    EXPECT_EQ(record.Comments, "back monday");
    EXPECT_EQ(record.Administrator, 1);
    // The shared working user now holds the edited user, and the board was refilled.
    EXPECT_EQ(Admin->Context.CurrentUser.ComputerName, "PC-TWO");
    ASSERT_EQ(Admin->Ui.Rows.size(), 2u);
    EXPECT_EQ(Admin->Ui.Rows[1].SubItems[3], "back monday");
    EXPECT_EQ(Users.SelectedIndex(), -1);
}

TEST_F(UsersDialog, DeleteAsksAboutTheNameBoxAndRemovesTheRecordOnYes) {
    Join("PC-TWO", "TWO");
    Open();
    Select("TWO");
    EXPECT_TRUE(TUsersLogic::DeleteEnabled(Users)) << "two users";
    Admin->Ui.QueueAnswer(TBoxAnswer::No);
    EXPECT_FALSE(Dialog->Delete("TWO edited", Users));
    EXPECT_EQ(Users.Count(), 2);
    Admin->Ui.QueueAnswer(TBoxAnswer::Yes);
    EXPECT_TRUE(Dialog->Delete(Boxes.Name, Users));
    EXPECT_EQ(Texts(Users), (std::vector<std::string>{"ADMIN"}));
    EXPECT_EQ(Admin->Ui.Boxes, (std::vector<TShownBox>{Question("Are you sure you want to delete \"TWO edited \""),
                                                       Question("Are you sure you want to delete \"TWO \"")}));
    // The board waits for its next refresh.
    EXPECT_TRUE(Admin->Ui.Rows.empty());
    Dialog->Help();
    EXPECT_EQ(Admin->Platform.HelpTopics, (std::vector<std::string>{"Editing_Deleting_Users"}));
}

} // namespace
} // namespace qel::test
