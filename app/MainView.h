#pragma once

#include "records/UiPorts.h"

#include <string>

// What the main window's controller needs from the window and the dialogs.
// The window implements these with widgets; tests with recorders.
namespace qel {

class IMainView {
public:
    virtual ~IMainView() = default;

    // tmrUpdateListView (5000 ms) and tmrCheckForMessages (10000 ms).
    virtual void SetRefreshTimerEnabled(bool enabled) = 0;
    virtual bool RefreshTimerEnabled() const = 0;
    virtual void SetMessageTimerEnabled(bool enabled) = 0;
    virtual bool MessageTimerEnabled() const = 0;

    virtual void SetCaption(const std::string& caption) = 0;
    // Closes the main window for good (not to the tray); the window then
    // calls FormClose and, when it is destroyed, FormDestroy.
    virtual void CloseWindow() = 0;
    // Hides the window at once (a second copy is ending).
    virtual void HideWindow() = 0;
    virtual void SetStayOnTop(bool onTop) = 0;
    // Columns "Ext", "Department" and "Comments..." sized to their contents
    // when shown, width 0 when not; then the window is made a pixel wider.
    virtual void ShowColumns(bool ext, bool department, bool comments) = 0;
    // The two-frame new-mail animation of the tray icon; off shows the status
    // image again.
    virtual void SetNewMailAnimation(bool on) = 0;
    // tmrCheckScreenSaver (5000 ms).
    virtual void SetScreenLockTimerEnabled(bool enabled) = 0;
    // Asks the desktop to draw the user's eye to the window (a blinking task
    // bar entry) without taking the focus.
    virtual void RequestAttention() = 0;
    // Shows the window restored, raised and active (as the tray's double-click).
    virtual void RestoreWindow() = 0;
};

// The windows the main window opens. A dialog that does not exist yet
// reports itself unavailable; its command is then disabled.
enum class TMainDialog {
    Settings,
    CustomStatus,
    Comments,
    Users,
    Departments,
    Statuses,
    InBox,
    SendMessage,
    SelectDepartment
};

class IMainDialogs {
public:
    virtual ~IMainDialogs() = default;
    virtual bool Available(TMainDialog dialog) const = 0;
    // Shows the dialog modally; returns when it has closed.
    virtual void Show(TMainDialog dialog) = 0;
    // Opens the message window to send a message: `fields` fills its labels,
    // `toComputerName` is the address (lblToComputerName).
    virtual void ShowSendMessage(const TMessageWindowFields& fields, const std::string& toComputerName) = 0;
    // The message window or the in-box is on screen.
    virtual bool MessageDialogOnScreen() const = 0;
    // The message window that shows received messages; null while it does
    // not exist.
    virtual IMessageWindow* MessageWindow() = 0;
};

} // namespace qel
