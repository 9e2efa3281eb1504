// The settings dialog: this user's entry, the folder, the columns and the options.

#include "DialogOffice.h"

#include "dialogs/ChoiceList.h"
#include "dialogs/SettingsLogic.h"

namespace qel::test {
namespace {

class SettingsDialog : public TDialogOffice {
protected:
    void SetUp() override {
        Me = &Join("PC-ME", "ME");
        Me->Departments->AddDepartment("Sales");
        Me->Departments->AddDepartment("Accounts");
    }
    TDialogComputer* Me = nullptr;
};

TEST_F(SettingsDialog, ShowFillsThePageWithWhatTheCatalogueHoldsAndOkStoresIt) {
    Me->Context.CurrentUser.Department = "Sales";
    Me->Context.CurrentUser.Extension = "214";
    Me->Users->SaveUser();
    TSettingsLogic dialog(*Me->Services);
    TChoiceItems departments;
    const TSettingsPage page = dialog.Show(departments);

    EXPECT_FALSE(Me->Hooks.RefreshTimer);
    EXPECT_EQ((std::vector<std::string>{page.Name, page.Extension, page.Department, page.Location}),
              (std::vector<std::string>{"ME", "214", "Sales", Database.Path()}));
    EXPECT_EQ(Texts(departments), (std::vector<std::string>{"Sales", "Accounts"}));
    EXPECT_EQ(departments.SelectedText(), "Sales");

    dialog.Close(TSettingsOptions());
    EXPECT_TRUE(Me->Hooks.RefreshTimer);

    // A department no longer in the catalogue shows blank and Ok stores it empty.
    Me->Context.CurrentUser.Department = "Purchasing";
    Me->Users->SaveUser();
    dialog.Show(departments);
    EXPECT_EQ(departments.SelectedIndex(), -1);
    // Letter case counts.
    Me->Context.CurrentUser.Department = "sales";
    Me->Users->SaveUser();
    dialog.Show(departments);
    EXPECT_EQ(departments.SelectedIndex(), -1);

    dialog.Ok("Me Myself", "9", departments, Database.Path(), TSettingsOptions());
    const TQelUser record = Me->Record();
    EXPECT_EQ(record.Department, "");
    EXPECT_EQ(record.UserName, "Me Myself");
    EXPECT_EQ(record.Extension, "9");
}

TEST_F(SettingsDialog, OkKeepsTheStatusReadOnShowAndUpdatesTheBoard) {
    TSettingsLogic dialog(*Me->Services);
    TChoiceItems departments;
    dialog.Show(departments);
    // Meanwhile the status changes elsewhere (another copy, a tray command).
    TDialogComputer& admin = Join("PC-ADMIN", "ADMIN");
    admin.Context.CurrentUser = Me->Record();
    admin.Context.CurrentUser.Status = "DND";
    admin.Users->SaveUser();

    departments.SelectText("Accounts");
    TSettingsOptions options;
    options.DisplayExt = false;
    options.DisplayComments = false;
    Me->Hooks.Log.clear();
    dialog.Ok("ME", "", departments, "/elsewhere/", options);

    const TQelUser record = Me->Record();
    EXPECT_EQ(record.Status, "Available");
    EXPECT_EQ(record.Department, "Accounts");
    EXPECT_EQ(Me->Settings.ReadString(keys::Locations, keys::DBaseLocation, ""), "/elsewhere/");
    EXPECT_EQ(Me->Hooks.Columns, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(Me->Hooks.Log, (std::vector<std::string>{"columns", "widen"}));
    // The board was refilled from the folder the register already knew.
    ASSERT_EQ(Me->Ui.Rows.size(), 2u);
    EXPECT_EQ(Me->Ui.Rows[0].SubItems[2], "Accounts");
}

TEST_F(SettingsDialog, EveryCloseKeepsTheOptionsCancelToo) {
    EXPECT_EQ(LoadSettingsOptions(Me->Settings), TSettingsOptions());
    TSettingsLogic dialog(*Me->Services);
    TChoiceItems departments;
    dialog.Show(departments);
    TSettingsOptions options;
    options.ConfirmStatusExit = false;
    options.DisplayDepartments = false;
    options.CheckForMessagesOnStart = true;
    options.PlayWavFile = true;
    options.WavFileSelected = "/sounds/ding.wav";
    // Cancel: nothing but the close.
    dialog.Close(options);
    EXPECT_EQ(LoadSettingsOptions(Me->Settings), options);
    EXPECT_EQ(Me->Settings.ReadString(keys::FrmSettings, "chkConfirmStatusExit.Checked", ""), "0");
    EXPECT_EQ(Me->Settings.ReadString(keys::FrmSettings, "edtWavFileSelected.Text", ""), "/sounds/ding.wav");
    EXPECT_EQ(Me->Settings.ReadString(keys::Locations, keys::DBaseLocation, ""), Database.Path());
}

TEST_F(SettingsDialog, AnUnwritableSettingsFileIsReportedAndTheDialogGoesOn) {
    TSettingsLogic dialog(*Me->Services);
    TChoiceItems departments;
    dialog.Show(departments);
    Me->Platform.FailWrites = true;
    dialog.Close(TSettingsOptions());
    EXPECT_EQ(Me->Ui.Boxes, (std::vector<TShownBox>{
                                {TBoxKind::Error, "Unable to write to " + Me->Settings.FileName(), TBoxButtons::Ok}}));
    EXPECT_TRUE(Me->Hooks.RefreshTimer);
}

TEST_F(SettingsDialog, MiniViewReshapesTheMainWindowAtOnce) {
    TSettingsLogic dialog(*Me->Services);
    dialog.MiniViewClicked(true);
    dialog.MiniViewClicked(false);
    ASSERT_EQ(Me->Hooks.Shapes.size(), 2u);
    EXPECT_EQ(Me->Hooks.Shapes[0], (TMainShape{false, false, false, false, {1, 2, 3}, 50, 50}));
    EXPECT_EQ(Me->Hooks.Shapes[1], TMainShape());
    // Nothing of it is stored.
    EXPECT_FALSE(Me->Settings.ValueExists(keys::FrmSettings, "CheckBoxMiniView.Checked"));
}

TEST_F(SettingsDialog, FolderAutostartAndHelp) {
    EXPECT_EQ(TSettingsLogic::FolderChosen("/srv/qel"), "/srv/qel/");
    EXPECT_EQ(TSettingsLogic::FolderChosen("/srv/qel/"), "/srv/qel/");
    TSettingsLogic dialog(*Me->Services);
    Me->Settings.WriteString(keys::Locations, keys::FileLocation, Me->Platform.ProgramPathValue);
    Me->Platform.WriteFileAtomic(Me->Platform.ProgramPathValue, "#!/bin/sh\n", nullptr);
    dialog.LaunchAtStartup();
    EXPECT_EQ(Me->Ui.Boxes, (std::vector<TShownBox>{{TBoxKind::Information,
                                                     "Qel will now start automatically on startup", TBoxButtons::Ok}}));
    dialog.Help();
    EXPECT_EQ(Me->Platform.HelpTopics, (std::vector<std::string>{"Settings"}));
}

} // namespace
} // namespace qel::test
