#pragma once

#include "app/MainView.h"
#include "app/Presence.h"
#include "platform/Desktop.h"
#include "platform/Platform.h"
#include "qel/Version.h"
#include "records/MessageObj.h"
#include "records/QelContext.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"
#include "records/UiPorts.h"
#include "settings/IniFile.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qel {

// Name of the single-instance lock, one per computer.
inline constexpr const char* InstanceLockName = "TVK - Qel";
inline constexpr const char* AlreadyRunningText = "Qel is already running!";
inline constexpr const char* AutostartQuestionText =
    "Thankyou for using Qel.\r\rWould you like Qel to start automatically on startup?";
inline constexpr const char* RetainStatusQuestionText =
    "Would you like to retain your current Status?\r\rNote : If you choose \"No\" your status will be changed to "
    "\"Offline\"";
inline constexpr const char* QelVersion = QEL_VERSION;
inline constexpr const char* ShutdownMarkerName = "QelDBase.smd";
inline constexpr const char* AllDepartmentsCaption = "Qel - All Departments";
inline constexpr const char* RefreshErrorText = "Attempting to update Qel...";
inline constexpr const char* MessageCheckErrorText = "Attempting to check for messages...";
inline constexpr const char* LocatingMessagesText = "Locating messages...";
inline constexpr const char* SendMessageCaption = "Send Message...";
// Desktop notices; the panel text follows the summary when no service answers.
inline constexpr const char* NewMessageFromText = "New message from ";
inline constexpr const char* ViewInBoxActionText = "View My InBox";
inline constexpr const char* ShowBoardActionText = "Show Qel";
inline constexpr const char* NoNotificationServiceText = " (no desktop notification service answers)";

// The options of the settings dialog that the main window reads, as the
// form-state store keeps them (section "TfrmSettings").
class IMainOptions : public ISoundOptions {
public:
    // chkConfirmStatusExit (ticked by default).
    virtual bool ConfirmStatusOnExit() const = 0;
    // chkCheckForMessagesOnStart (unticked by default).
    virtual bool CheckForMessagesOnStart() const = 0;
    // CheckBoxDisplayExt, CheckBoxDisplayDepartments, CheckBoxDisplayComments
    // (each ticked by default).
    virtual bool DisplayExt() const = 0;
    virtual bool DisplayDepartments() const = 0;
    virtual bool DisplayComments() const = 0;
};

// Which commands the window offers at the moment (the "update" rules).
struct TCommandStates {
    bool StatusCommands = true; // the nine built-in statuses
    bool CustomStatus = false;
    bool Comments = false;
    bool Settings = false;
    bool Users = false;
    bool Departments = false;
    bool Statuses = false;
    bool SendMessage = false;
    bool ViewInBox = false;
    bool FilterOnDepartment = false;
    bool operator==(const TCommandStates&) const = default;
};

// Runs the ticks' reads away from the GUI thread. Called on the GUI thread.
class IBackgroundWork {
public:
    virtual ~IBackgroundWork() = default;
    // Runs `work` on the worker thread, one job at a time in the order posted;
    // the function it returns then runs on the GUI thread. Jobs not finished
    // when the implementation is destroyed are dropped, continuation and all.
    virtual void Post(std::function<std::function<void()>()> work) = 0;
};

// One built-in status command: the command's caption, hint, key and image,
// and the status text it writes.
struct TStatusCommand {
    const char* Name;    // "actAtLunch"
    const char* Caption; // "At Lunch"
    const char* Hint;
    const char* Key; // "Ctrl+L"
    int Image;
    const char* Status; // "At lunch"
};
inline constexpr int BuiltInStatusCount = 9;
extern const TStatusCommand BuiltInStatusCommands[BuiltInStatusCount];

// The behaviour of the main window: start-up and shutdown, the board refresh
// with the shutdown marker, the department filter, the status commands, the
// message poll with its sound and tray animation, and the enabling rules.
// It owns the program-wide objects and knows the window only through
// IMainView and the other small interfaces, so tests drive it headless and
// call the timer handlers directly.
//
// The window calls, in order: FormCreate (stop when it returns false),
// FormShow, then the handlers, FormClose when the window really closes,
// FormDestroy when it is destroyed.
class TMainController {
public:
    // Every reference must outlive the controller.
    TMainController(TPlatform& platform, IMessageBoxes& boxes, IMainView& view, IStatusPanel& panel, ITrayImage& tray,
                    IAppControl& app, IBoardList& board, IDepartmentTree& tree, IMainDialogs& dialogs);
    ~TMainController();
    TMainController(const TMainController&) = delete;
    TMainController& operator=(const TMainController&) = delete;

    // Where the ticks read (GUI thread only); not owned, and it must stop its
    // worker before the controller goes. Without one the reads run inline.
    void SetBackgroundWork(IBackgroundWork* work) { FWork = work; }
    // Replaces the options read from the settings file (tests); not owned.
    void SetOptions(IMainOptions* options) { FOptionsOverride = options; }
    // The desktop services (not owned; null: no service answers). Set before
    // FormShow.
    void SetDesktop(IDesktopNotifier* notifier, IScreenLockProbe* lockProbe) {
        FNotifier = notifier;
        FLockProbe = lockProbe;
    }
    // The database wizard, shown by the first show when no folder is set.
    void SetWizard(IDatabaseWizard* wizard);

    // Creation: the single-instance lock, the program-wide objects, the
    // program's path in the settings, the stay-on-top option and the two
    // stamps. False when the program must end at once: another copy runs
    // ("Qel is already running!", nothing written) or the engine is missing.
    bool FormCreate();
    // First show (later calls do nothing): the database folder (wizard), the
    // one-time autostart offer, registration, "Available", the board, the
    // timers, new messages at start, the columns and the department tree.
    // Stops at the first step that asked the program to end.
    void FormShow();
    // The window really closes: asks whether to keep the status unless the
    // shutdown marker closed it or the confirmation is unticked.
    void FormClose();
    // Destruction: "Offline" with empty comments unless the user chose
    // otherwise at close.
    void FormDestroy();

    // File > Exit: closes the window for good.
    void FileExit();
    // tmrUpdateListViewTimer, every 5000 ms. The stamp checks run here; the
    // read of the users dataset (this computer's record and the board in one
    // open) runs on the background work, and its result is shown when it
    // comes back unless the board was filled meanwhile. A tick while a read
    // is out does nothing more than the marker check.
    void RefreshTick();
    // tmrCheckForMessagesTimer, every 10000 ms; the new-message test runs on
    // the background work, the sound and the notice follow on return.
    void MessageTick();
    // TreeViewMainClick; `nodeText` is the selected node's text, or empty
    // optional when no node is selected.
    void TreeClick(const std::optional<std::string>& nodeText);
    // tmrCheckScreenSaverTimer, every 5000 ms while "Away_When_Locked" is on.
    void ScreenLockTick();
    // Some service tells whether the screen is locked.
    bool ScreenLockAvailable();
    // "Notify Me When Status Changes" for the row of `computer`.
    void ToggleWatch(const std::string& computer);
    bool Watched(const std::string& computer) const { return FWatch && FWatch->Contains(computer); }
    // A built-in status command: writes `status`, refills the board.
    void SetStatus(const std::string& status);
    // actSendMessageExecute for the selected row's "PC Name" text.
    void SendMessage(const std::string& toComputerName);
    // actVeiwInBoxExecute.
    void ViewInBox();
    // Opens a dialog that needs nothing prepared (settings, custom status,
    // comments, maintenance), if it exists.
    void ShowDialog(TMainDialog dialog);
    // TrayIconDblClick: opens the in-box when new messages are flagged and no
    // message dialog is on screen. The window restores itself afterwards.
    void TrayDoubleClick();
    // Ends the new-mail state (the message dialogs call it once the new
    // messages have been read).
    void ClearNewMailState();
    // The message window holds "Send Message..." disabled while it is open.
    void SetSendMessageAllowed(bool allowed) { FSendAllowed = allowed; }
    // The enabling rules; `rowSelected`: the board has a selected row.
    TCommandStates CommandStates(bool rowSelected) const;
    // actHelpOnQelExecute and the About box.
    void HelpOnQel();
    void HelpAbout();
    static std::string AboutText();

    // Board refill: the department's users when filtered, else everyone.
    // False (after the error box) when the users dataset cannot be read.
    bool RefillBoard();
    // The board every fill goes through (the dialogs' too), so that a tick's
    // read that comes back after another fill is dropped.
    IBoardList& Board() { return FCountedBoard; }
    // The board for the refill that follows one of this computer's own
    // writes (the dialogs'): the users file is marked seen first, so the
    // next tick does not read it again.
    IBoardList& BoardAfterOwnWrite() {
        NoteOwnWrite();
        return FCountedBoard;
    }
    // The rows the board shows since its last fill.
    const std::vector<TBoardRow>& BoardRows() const { return FCountedBoard.Rows; }

    bool AlreadyRunning() const { return FAlreadyRunning; }
    // The first show has completed: the board runs.
    bool Shown() const { return FShown; }
    bool NewMailState() const { return FNewMail; }
    bool ShutdownSeen() const { return FShutdownSeen; }
    bool GoOfflineOnExit() const { return FGoOfflineOnExit; }
    // Asked to end (a second copy, a missing engine, a cancelled wizard...).
    bool TerminateRequested() const { return FTerminateRequested; }

    // The program-wide objects; valid after a successful FormCreate.
    TIniFile& Settings() { return FSettings; }
    TQelContext& Context() { return *FContext; }
    TQelFile& Users() { return *FUsers; }
    TQelStatus& Statuses() { return *FStatuses; }
    TQelMessage& Messages() { return *FMessages; }
    TQelDepartment& Departments() { return *FDepartments; }
    const IMainOptions& Options() const;

private:
    // Forwards termination requests and remembers them, so that start-up
    // stops at the first step that asked for it.
    class TAppControlGuard : public IAppControl {
    public:
        TAppControlGuard(TMainController& owner, IAppControl& target) : FOwner(owner), FTarget(target) {}
        void RequestTerminate() override;

    private:
        TMainController& FOwner;
        IAppControl& FTarget;
    };

    // Message boxes and panel 0 as the record objects see them. While
    // HoldBack is set a box is not shown but kept in Held; while Fault is
    // set (the board cannot be read) a cleared panel shows it instead.
    class TFaultFilter : public IMessageBoxes, public IStatusPanel {
    public:
        TFaultFilter(IMessageBoxes& boxes, IStatusPanel& panel) : FBoxes(boxes), FPanel(panel) {}
        TBoxAnswer Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) override;
        void SetStatusText(const std::string& text) override;
        bool HoldBack = false;
        std::string Held;
        std::string Fault;

    private:
        IMessageBoxes& FBoxes;
        IStatusPanel& FPanel;
    };

    // Counts the fills of the board and keeps the rows shown.
    class TCountedBoard : public IBoardList {
    public:
        explicit TCountedBoard(IBoardList& target) : FTarget(target) {}
        void BeginUpdate() override;
        void Clear() override;
        void AddRow(const TBoardRow& row) override;
        void EndUpdate() override { FTarget.EndUpdate(); }
        unsigned Fills = 0;
        std::vector<TBoardRow> Rows;

    private:
        IBoardList& FTarget;
    };
    // The worker's own record objects (their own engine handles) and the
    // ports they report to; made on the GUI thread, used only by jobs.
    struct TWorkerSide;

    void Post(std::function<std::function<void()>()> work);
    void StartBoardRead();
    void ShowTickBoard(const TBoardSnapshot& snapshot);
    // What a message tick's read found: whether a new message waits, the
    // panel texts of the check, and the new messages' notes (NotesRead is
    // false when notices are off or the notes could not be read).
    struct TMessageCheck {
        bool Found = false;
        bool Failed = false;
        bool NotesRead = false;
        std::vector<std::string> PanelTexts;
        std::vector<TNewMessageNote> Notes;
    };
    void ShowMessageCheck(const TMessageCheck& check);
    // Marks the users file as seen right after this computer wrote it.
    void NoteOwnWrite();
    void GoOffline();
    // Starts or stops the screen-lock check as the settings say.
    void ApplyScreenLockOption();
    // One notice for those of `notes` not yet announced in this run.
    void AnnounceNewMessages(const std::vector<TNewMessageNote>& notes);
    void BoardFilled(const std::vector<TBoardRow>& rows);
    // Shows `notice`; without a notification service the window asks for
    // attention and panel 0 shows the summary.
    void Announce(const TDesktopNotice& notice);
    void StartNewMailState();
    void ApplyColumns();
    void WriteProgramLocation();
    std::string UsersFilePath() const;
    std::string MessagesFilePath() const;

    TPlatform& FPlatform;
    IMessageBoxes& FBoxes;
    IMainView& FView;
    IStatusPanel& FPanel;
    ITrayImage& FTray;
    // Every board fill of the controller passes the rows to the watch list.
    TBoardTap FBoardTap;
    TCountedBoard FCountedBoard;
    IBoardList& FBoard;
    IDepartmentTree& FTree;
    IMainDialogs& FDialogs;
    TAppControlGuard FApp;
    TFaultFilter FFaults;

    TIniFile FSettings;
    std::unique_ptr<IMainOptions> FStoredOptions;
    IMainOptions* FOptionsOverride = nullptr;
    IDatabaseWizard* FWizard = nullptr;
    IDesktopNotifier* FNotifier = nullptr;
    IScreenLockProbe* FLockProbe = nullptr;

    std::unique_ptr<TInstanceLock> FInstanceLock;
    std::unique_ptr<TQelContext> FContext;
    std::unique_ptr<TQelFile> FUsers;
    std::unique_ptr<TQelStatus> FStatuses;
    std::unique_ptr<TQelMessage> FMessages;
    std::unique_ptr<TQelDepartment> FDepartments;
    std::unique_ptr<TWatchList> FWatch;
    std::unique_ptr<TScreenLockCheck> FLockCheck;
    std::unique_ptr<TWorkerSide> FWorker;
    IBackgroundWork* FWork = nullptr;
    bool FBoardReadOut = false;
    bool FMessageReadOut = false;
    // Keys of the messages a notice has named.
    std::set<std::string> FAnnouncedMessages;

    bool FCreated = false;
    bool FAlreadyRunning = false;
    bool FFirstShow = true;
    bool FShown = false;
    bool FRegistered = false;
    bool FClosed = false;
    bool FShutdownSeen = false;
    bool FGoOfflineOnExit = true;
    bool FNewMail = false;
    bool FSendAllowed = true;
    bool FTerminateRequested = false;
    bool FDestroyed = false;
    TFileStamp FUsersFileAge;
    TFileStamp FMessagesFileAge;
};

// The options as the form-state store keeps them in the settings file.
std::unique_ptr<IMainOptions> MakeStoredMainOptions(TIniFile& settings);

} // namespace qel
