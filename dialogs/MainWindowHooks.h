#pragma once

#include "records/UiPorts.h"

#include <functional>
#include <string>
#include <vector>

class QObject;

namespace qel {

class TIniFile;
class TQelDepartment;
class TQelFile;
class TQelMessage;
class TQelStatus;
struct TQelContext;

// How the main window looks in mini view or normal view. The settings dialog
// asks for one or the other the moment its "Mini View" box is clicked.
struct TMainShape {
    // Border icons: system menu, minimise and maximise; none at all in mini view.
    bool BorderIcons = true;
    // The tool bar area (menu bar and tool bars).
    bool ToolBarsVisible = true;
    // The board list's column headers.
    bool ColumnHeadersVisible = true;
    // Whether the first four board columns size themselves to their contents.
    bool AutoWidthFirstFour = true;
    // Board columns given a width of 0 (0-based: 1 "Status", 2 "Ext", 3 "Department").
    std::vector<int> ZeroWidthColumns;
    int MinimumWidth = 400;
    int Width = 400;
    bool operator==(const TMainShape&) const = default;
};

// The shape for mini view (`mini` true) or normal view.
TMainShape MainShapeFor(bool mini);

// What the dialogs do to the main window. The main window implements it.
class IMainWindowHooks {
public:
    virtual ~IMainWindowHooks() = default;

    // tmrUpdateListView, the 5000 ms board refresh.
    virtual void SetRefreshTimerEnabled(bool enabled) = 0;
    // tmrCheckForMessages, the 10000 ms message poll.
    virtual void SetMessageTimerEnabled(bool enabled) = 0;
    // The send-message command (actSendMessage).
    virtual void SetSendMessageEnabled(bool enabled) = 0;
    // Ends the new-message state: the tray icon shows the normal images again
    // and its animation stops.
    virtual void ClearNewMailState() = 0;
    // The board list, for the refill a dialog makes right after its own
    // write or filter change: the tick that follows need not read again.
    virtual IBoardList& Board() = 0;
    // The main window's caption.
    virtual void SetCaption(const std::string& caption) = 0;
    // Board columns "Ext" (2), "Department" (3) and "Comments..." (4): each
    // shown one sizes itself to its contents, each hidden one gets width 0.
    virtual void ShowColumns(bool ext, bool department, bool comments) = 0;
    // Makes the main window one pixel wider, so the list lays out its
    // auto-width columns afresh.
    virtual void WidenByOnePixel() = 0;
    // Reshapes the main window at once (mini or normal view).
    virtual void ApplyShape(const TMainShape& shape) = 0;
};

// Registers an enabling ("update") handler that runs whenever the
// application is idle, for as long as `owner` lives.
using TIdleRegistrar = std::function<void(QObject* owner, std::function<void()> handler)>;

// The program-wide objects the dialogs work on. Every reference must outlive
// the dialogs.
struct TDialogServices {
    TQelContext& Context;
    TIniFile& Settings;
    TQelFile& Users;
    TQelStatus& Statuses;
    TQelDepartment& Departments;
    TQelMessage& Messages;
    IMainWindowHooks& Main;
    // Empty: each dialog runs its handlers itself whenever the event loop is
    // about to wait.
    TIdleRegistrar IdleRegistrar = {};
    // Whether some desktop service tells when the screen is locked; empty:
    // none does.
    std::function<bool()> ScreenLockAvailable = {};
};

} // namespace qel
