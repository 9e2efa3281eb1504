#pragma once

#include "dialogs/ChoiceList.h"
#include "dialogs/MainWindowHooks.h"

#include <string>

namespace qel {

class IMessageBoxes;

inline constexpr const char* SettingsCaption = "Qel - Settings";
inline constexpr const char* SettingsHelpTopic = "Settings";
// Shown in the location box when the settings file names no folder.
inline constexpr const char* UnknownLocation = "Unknown";
// Beside the greyed screen-lock option when no service tells the lock state.
inline constexpr const char* NoScreenLockServiceText =
    "Not available: neither the login manager nor a screen saver reports the screen lock on this desktop.";

// The settings dialog's check boxes and sound file on the Options and
// Messages pages, as the form-state store keeps them (section
// "TfrmSettings"). The members' defaults are those of a first run.
struct TSettingsOptions {
    bool ConfirmStatusExit = true;
    bool DisplayExt = true;
    bool DisplayDepartments = true;
    bool DisplayComments = true;
    bool CheckForMessagesOnStart = false;
    bool PlayWavFile = false;
    std::string WavFileSelected;
    // Kept in the settings file's [Options] as "Yes" or "No".
    bool DesktopNotifications = true;
    bool AwayWhenLocked = false;
    bool operator==(const TSettingsOptions&) const = default;
};

// Reads the stored options; anything missing keeps its default.
TSettingsOptions LoadSettingsOptions(TIniFile& settings);
// Stores every option. When the settings file cannot be written, shows the
// file's error in an error box; nothing is raised.
void SaveSettingsOptions(TIniFile& settings, const TSettingsOptions& options, IMessageBoxes& boxes);

// What the "Settings" page shows when the dialog opens.
struct TSettingsPage {
    std::string Name;       // txtName
    std::string Extension;  // txtExtension
    std::string Department; // txtDepartment (hidden): the stored department
    std::string Location;   // txtLocationOfQelDBase
};

// The settings dialog's behaviour. The dialog passes its controls' contents
// in and shows what comes back.
class TSettingsLogic {
public:
    explicit TSettingsLogic(TDialogServices& services) : FServices(services) {}

    // On show: stops the board refresh, fills `departments` with every
    // department, reads this computer's record (which also keeps its status
    // for OK) and selects the stored department in `departments` by exact
    // text, or nothing. Returns the page's texts.
    TSettingsPage Show(IChoiceList& departments);

    // OK: writes name, extension, the selected department (empty when none)
    // and the status read on show over this computer's record; stores
    // `location` as the database folder; shows or hides the three board
    // columns; refills the board with every user and widens the main window
    // by a pixel. The dialog then closes.
    void Ok(const std::string& name, const std::string& extension, const IChoiceList& departments,
            const std::string& location, const TSettingsOptions& options);

    // Every close (OK, Cancel, close box): stores the options as they are
    // and starts the board refresh again.
    void Close(const TSettingsOptions& options);

    // The text for the location box once the user picked `folder`.
    static std::string FolderChosen(const std::string& folder);
    // "Launch Qel at startup!": makes the autostart entry and confirms it.
    void LaunchAtStartup();
    // A click on "Mini View": reshapes the main window at once.
    void MiniViewClicked(bool ticked);
    void Help();

private:
    TDialogServices& FServices;
};

} // namespace qel
