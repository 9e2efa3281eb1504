#pragma once

// Sections and keys of the profile file written by the settings object.
namespace qel::keys {

inline constexpr const char* ProfileFileName = "Qel.ini";

inline constexpr const char* Locations = "Locations";
inline constexpr const char* DBaseLocation = "Qel_DBaseLocation";
inline constexpr const char* FileLocation = "Qel_File_Location";
inline constexpr const char* NotEntered = "Not_Entered";

inline constexpr const char* Options = "Options";
inline constexpr const char* StayOnTop = "Stay_On_Top";
// "Yes" or "No": a desktop notification for new messages (default "Yes");
// "Away from desk" while the screen is locked (default "No").
inline constexpr const char* DesktopNotifications = "Desktop_Notifications";
inline constexpr const char* AwayWhenLocked = "Away_When_Locked";

// Computers whose status changes are announced here, separated by commas.
inline constexpr const char* Watch = "Watch";
inline constexpr const char* WatchComputers = "Computers";

inline constexpr const char* Qel = "Qel";
inline constexpr const char* FirstTimeRun = "First_Time_Run";

} // namespace qel::keys

// Sections and keys of the form-state store: one section per owning window,
// the placement keys, and one "Component.Property" key per stored property.
namespace qel::keys {

inline constexpr const char* FrmMain = "TfrmMain";
inline constexpr const char* FrmSelectStatus = "TfrmSelectStatus";
inline constexpr const char* FrmSettings = "TfrmSettings";

inline constexpr const char* PlacementFlags = "Flags";
inline constexpr const char* PlacementShowCmd = "ShowCmd";
inline constexpr const char* PlacementNormalPos = "NormalPos";
inline constexpr const char* PlacementColor = "Color";

inline constexpr const char* SavePositionChecked = "mnuToolsSavePosition.Checked";
inline constexpr const char* SplitterMainPosition = "SplitterMain.Position";

inline constexpr const char* DisplayCommentsChecked = "CheckBoxDisplayComments.Checked";
inline constexpr const char* DisplayDepartmentsChecked = "CheckBoxDisplayDepartments.Checked";
inline constexpr const char* DisplayExtChecked = "CheckBoxDisplayExt.Checked";
inline constexpr const char* ConfirmStatusExitChecked = "chkConfirmStatusExit.Checked";
inline constexpr const char* PlayWavFileChecked = "chkPlayWavFile.Checked";
inline constexpr const char* WavFileSelectedText = "edtWavFileSelected.Text";
inline constexpr const char* CheckForMessagesOnStartChecked = "chkCheckForMessagesOnStart.Checked";

// Description of the autostart entry and the box shown once it is made.
inline constexpr const char* AutostartDescription = "Qel";
inline constexpr const char* AutostartConfirmation = "Qel will now start automatically on startup";

} // namespace qel::keys
