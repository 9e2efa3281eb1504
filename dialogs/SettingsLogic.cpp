#include "dialogs/SettingsLogic.h"

#include "platform/Platform.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "settings/Autostart.h"
#include "settings/FormState.h"
#include "settings/SettingsKeys.h"
#include "util/StringUtils.h"

namespace qel {

TMainShape MainShapeFor(bool mini) {
    TMainShape shape;
    if (mini) {
        shape.BorderIcons = false;
        shape.ToolBarsVisible = false;
        shape.ColumnHeadersVisible = false;
        shape.AutoWidthFirstFour = false;
        shape.ZeroWidthColumns = {1, 2, 3};
        shape.MinimumWidth = 50;
        shape.Width = 50;
    }
    return shape;
}

TSettingsOptions LoadSettingsOptions(TIniFile& settings) {
    const TFormStateStore store(settings);
    const char* section = keys::FrmSettings;
    TSettingsOptions defaults;
    TSettingsOptions options;
    options.ConfirmStatusExit = store.ReadBool(section, keys::ConfirmStatusExitChecked, defaults.ConfirmStatusExit);
    options.DisplayExt = store.ReadBool(section, keys::DisplayExtChecked, defaults.DisplayExt);
    options.DisplayDepartments = store.ReadBool(section, keys::DisplayDepartmentsChecked, defaults.DisplayDepartments);
    options.DisplayComments = store.ReadBool(section, keys::DisplayCommentsChecked, defaults.DisplayComments);
    options.CheckForMessagesOnStart =
        store.ReadBool(section, keys::CheckForMessagesOnStartChecked, defaults.CheckForMessagesOnStart);
    options.PlayWavFile = store.ReadBool(section, keys::PlayWavFileChecked, defaults.PlayWavFile);
    options.WavFileSelected = store.ReadText(section, keys::WavFileSelectedText, defaults.WavFileSelected);
    options.DesktopNotifications =
        settings.ReadYesNo(keys::Options, keys::DesktopNotifications, defaults.DesktopNotifications);
    options.AwayWhenLocked = settings.ReadYesNo(keys::Options, keys::AwayWhenLocked, defaults.AwayWhenLocked);
    return options;
}

void SaveSettingsOptions(TIniFile& settings, const TSettingsOptions& options, IMessageBoxes& boxes) {
    TFormStateStore store(settings);
    const char* section = keys::FrmSettings;
    try {
        store.WriteBool(section, keys::ConfirmStatusExitChecked, options.ConfirmStatusExit);
        store.WriteBool(section, keys::DisplayExtChecked, options.DisplayExt);
        store.WriteBool(section, keys::DisplayDepartmentsChecked, options.DisplayDepartments);
        store.WriteBool(section, keys::DisplayCommentsChecked, options.DisplayComments);
        store.WriteBool(section, keys::CheckForMessagesOnStartChecked, options.CheckForMessagesOnStart);
        store.WriteBool(section, keys::PlayWavFileChecked, options.PlayWavFile);
        store.WriteText(section, keys::WavFileSelectedText, options.WavFileSelected);
        settings.WriteString(keys::Options, keys::DesktopNotifications, options.DesktopNotifications ? "Yes" : "No");
        settings.WriteString(keys::Options, keys::AwayWhenLocked, options.AwayWhenLocked ? "Yes" : "No");
    } catch (const EIniFileError& error) {
        boxes.ShowError(error.what());
    }
}

TSettingsPage TSettingsLogic::Show(IChoiceList& departments) {
    FServices.Main.SetRefreshTimerEnabled(false);
    FServices.Departments.LoadDepartments(departments);
    FServices.Users.LoadCurrentUser();
    const TQelUser& user = FServices.Context.CurrentUser;
    TSettingsPage page{user.UserName, user.Extension, user.Department, {}};
    SelectExactText(departments, page.Department);
    page.Location = FServices.Settings.ReadString(keys::Locations, keys::DBaseLocation, UnknownLocation);
    return page;
}

void TSettingsLogic::Ok(const std::string& name, const std::string& extension, const IChoiceList& departments,
                        const std::string& location, const TSettingsOptions& options) {
    TQelUser& user = FServices.Context.CurrentUser;
    user.UserName = name;
    user.Extension = extension;
    user.Department = departments.SelectedText();
    user.Status = FServices.Users.StoredStatus;
    FServices.Users.SaveUser();
    try {
        FServices.Settings.WriteString(keys::Locations, keys::DBaseLocation, location);
    } catch (const EIniFileError& error) {
        FServices.Context.Boxes.ShowError(error.what());
    }
    FServices.Main.ShowColumns(options.DisplayExt, options.DisplayDepartments, options.DisplayComments);
    FServices.Users.ListUsers(FServices.Main.Board());
    FServices.Main.WidenByOnePixel();
}

void TSettingsLogic::Close(const TSettingsOptions& options) {
    SaveSettingsOptions(FServices.Settings, options, FServices.Context.Boxes);
    FServices.Main.SetRefreshTimerEnabled(true);
}

std::string TSettingsLogic::FolderChosen(const std::string& folder) {
    return AddBackslash(folder);
}

void TSettingsLogic::LaunchAtStartup() {
    CreateAutostartShortcut(FServices.Settings, FServices.Context.Platform, FServices.Context.Boxes);
}

void TSettingsLogic::MiniViewClicked(bool ticked) {
    FServices.Main.ApplyShape(MainShapeFor(ticked));
}

void TSettingsLogic::Help() {
    if (std::string error; !FServices.Context.Platform.OpenHelp(SettingsHelpTopic, &error))
        FServices.Context.Boxes.ShowError(error);
}

} // namespace qel
