// The status picker, the department picker and the comments dialog.

#include "DialogOffice.h"

#include "dialogs/ChoiceList.h"
#include "dialogs/PickerLogic.h"

namespace qel::test {
namespace {

class Pickers : public TDialogOffice {
protected:
    void SetUp() override {
        Me = &Join("PC-ME", "ME");
        Colleague = &Join("PC-YOU", "YOU");
    }
    TDialogComputer* Me = nullptr;
    TDialogComputer* Colleague = nullptr;
};

TEST_F(Pickers, StatusPickerSetsACatalogueStatusButNeverOffline) {
    Me->Statuses->AddStatus("Training");
    TSelectStatusLogic picker(*Me->Services);
    TChoiceItems list(true);
    picker.Show(list);
    EXPECT_FALSE(list.SelectText("Offline"));
    picker.Click(list); // nothing selected: nothing happens
    EXPECT_TRUE(Me->Ui.Rows.empty());

    ASSERT_TRUE(list.SelectText("Training"));
    picker.Click(list);
    EXPECT_EQ(picker.SelectedStatus, "Training");
    EXPECT_EQ(Me->Record().Status, "Training");
    // Custom statuses show image 9 on the board and in the tray.
    ASSERT_EQ(Me->Ui.Rows.size(), 2u);
    EXPECT_EQ(Me->Ui.Rows[0].ImageIndex, 9);
    EXPECT_EQ(Me->Ui.TrayImages.back(), 9);
}

TEST_F(Pickers, StatusPickerKeepsChangesAnAdministratorMadeMeanwhile) {
    TSelectStatusLogic picker(*Me->Services);
    TChoiceItems list(true);
    picker.Show(list);
    Colleague->Context.CurrentUser = Me->Record();
    Colleague->Context.CurrentUser.Extension = "77";
    Colleague->Users->SaveUser();
    ASSERT_TRUE(list.SelectText("At lunch"));
    picker.Click(list);
    const TQelUser record = Me->Record();
    EXPECT_EQ(record.Status, "At lunch");
    EXPECT_EQ(record.Extension, "77");
}

TEST_F(Pickers, DepartmentPickerFiltersTheBoardAndCloseClearsTheFilter) {
    Me->Departments->AddDepartment("Sales");
    Me->Departments->AddDepartment("Empty");
    Colleague->Context.CurrentUser.Department = "Sales";
    Colleague->Users->SaveUser();

    TSelectDepartmentLogic picker(*Me->Services);
    TChoiceItems list(true);
    picker.Show(list);
    ASSERT_TRUE(list.SelectText("Sales"));
    picker.Click(list);
    EXPECT_EQ(Me->Hooks.Caption, "Qel - Filtered on Sales");
    EXPECT_TRUE(Me->Departments->Filtered);
    EXPECT_EQ(Me->Departments->FilterName, "Sales");
    ASSERT_EQ(Me->Ui.Rows.size(), 1u);
    EXPECT_EQ(Me->Ui.Rows[0].Caption, "YOU");

    picker.Show(list);
    ASSERT_TRUE(list.SelectText("Empty"));
    picker.Click(list);
    EXPECT_EQ(Me->Hooks.Caption, "Qel - Filtered on Empty");
    EXPECT_TRUE(Me->Ui.Rows.empty());

    // Close with a selection leaves the filter alone; without one it clears it.
    picker.CloseClicked(list);
    EXPECT_TRUE(Me->Departments->Filtered);
    picker.Show(list);
    picker.CloseClicked(list);
    EXPECT_FALSE(Me->Departments->Filtered);
    EXPECT_EQ(Me->Departments->FilterName, "");
    EXPECT_EQ(Me->Hooks.Caption, "Qel - All Departments");
    EXPECT_EQ(Me->Ui.Rows.size(), 2u);
}

TEST_F(Pickers, CommentsAreReadAfreshAndAnEmptyCommentIsSaved) {
    Me->Context.CurrentUser.Comments = "Back at 3";
    Me->Users->SaveUser();
    // The shared working user may hold another user's values (user maintenance).
    Me->Context.CurrentUser = Colleague->Record();
    TCommentsLogic dialog(*Me->Services);
    EXPECT_EQ(dialog.Show(), "Back at 3");
    dialog.Ok("");
    EXPECT_EQ(Me->Record().Comments, "");
    EXPECT_EQ(Colleague->Record().Comments, "");
    ASSERT_EQ(Me->Ui.Rows.size(), 2u);
    EXPECT_EQ(Me->Ui.Rows[0].SubItems[3], "");
}

TEST(BannerZoom, GrowsFromTenToTwentyFourAndRestartsOnEachShow) {
    TBannerZoom zoom;
    zoom.Restart();
    std::vector<int> sizes{zoom.Size()};
    while (zoom.Running())
        sizes.push_back(zoom.Step());
    EXPECT_EQ(sizes, (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}));
    EXPECT_EQ(zoom.Step(), 24);
    zoom.Restart();
    EXPECT_EQ(zoom.Size(), 10);
    EXPECT_TRUE(zoom.Running());
}

} // namespace
} // namespace qel::test
