#include "app/MainController.h"

#include "records/RecordsCommon.h"
#include "settings/Autostart.h"
#include "settings/SettingsKeys.h"

#include <ctime>
#include <exception>
#include <utility>

namespace qel {

const TStatusCommand BuiltInStatusCommands[BuiltInStatusCount] = {
    {"actAtLunch", "At Lunch", "I've gone to lunch", "Ctrl+L", 0, "At lunch"},
    {"actAvailable", "Available", "I'm available", "Ctrl+A", 1, "Available"},
    {"actAwayFromDesk", "Away From Desk", "I'm away from my desk", "Ctrl+W", 2, "Away from desk"},
    {"actDND", "Do Not Disturb!", "Do Not Disturb!", "Ctrl+D", 3, "DND"},
    {"actGoneHome", "Gone Home", "I've gone home!", "Ctrl+G", 4, "Gone home"},
    {"actInMeeting", "In Meeting", "I'm in a meeting", "Ctrl+M", 5, "In meeting"},
    {"actOnHoliday", "On Holiday", "I'm on holiday", "Ctrl+H", 6, "On holiday"},
    {"actOutOfOffice", "Out Of Office", "I'm out", "Ctrl+O", 7, "Out of office"},
    {"actSick", "Sick", "I'm off sick", "Ctrl+K", 10, "Off sick"},
};

namespace {

// The current local date and time in the platform's default form.
std::string NowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[64];
    const size_t length = std::strftime(text, sizeof text, "%x %X", &local);
    return std::string(text, length);
}

// The worker's ports: nothing is shown from the worker; the panel texts are
// kept and replayed on the GUI thread.
class TWorkerPorts : public IMessageBoxes, public IStatusPanel, public ITrayImage, public IAppControl {
public:
    TBoxAnswer Show(TBoxKind, const std::string&, TBoxButtons) override { return TBoxAnswer::No; }
    void SetStatusText(const std::string& text) override { PanelTexts.push_back(text); }
    void SetTrayImage(int) override {}
    void RequestTerminate() override {}
    std::vector<std::string> PanelTexts;
};

} // namespace

struct TMainController::TWorkerSide {
    TWorkerSide(TPlatform& platform, TIniFile& settings, const std::string& engineFolder, const std::string& location)
        : Context{platform, settings, Ports, Ports, Ports, Ports, nullptr, engineFolder, TQelUser(platform), false},
          Users(Context), Messages(Context, Users.Location) {
        Users.Location = location;
    }
    TWorkerPorts Ports;
    TQelContext Context;
    TQelFile Users;
    TQelMessage Messages;
};

void TMainController::TCountedBoard::BeginUpdate() {
    ++Fills;
    FTarget.BeginUpdate();
}

void TMainController::TCountedBoard::Clear() {
    Rows.clear();
    FTarget.Clear();
}

void TMainController::TCountedBoard::AddRow(const TBoardRow& row) {
    Rows.push_back(row);
    FTarget.AddRow(row);
}

void TMainController::TAppControlGuard::RequestTerminate() {
    FOwner.FTerminateRequested = true;
    FTarget.RequestTerminate();
}

TMainController::TMainController(TPlatform& platform, IMessageBoxes& boxes, IMainView& view, IStatusPanel& panel,
                                 ITrayImage& tray, IAppControl& app, IBoardList& board, IDepartmentTree& tree,
                                 IMainDialogs& dialogs)
    : FPlatform(platform), FBoxes(boxes), FView(view), FPanel(panel), FTray(tray),
      FBoardTap(board, [this](const std::vector<TBoardRow>& rows) { BoardFilled(rows); }), FCountedBoard(FBoardTap),
      FBoard(FCountedBoard), FTree(tree), FDialogs(dialogs), FApp(*this, app), FFaults(boxes, panel),
      FSettings(platform, keys::ProfileFileName), FStoredOptions(MakeStoredMainOptions(FSettings)) {}

TMainController::~TMainController() = default;

void TMainController::SetWizard(IDatabaseWizard* wizard) {
    FWizard = wizard;
    if (FContext)
        FContext->Wizard = wizard;
}

const IMainOptions& TMainController::Options() const {
    return FOptionsOverride ? *FOptionsOverride : *FStoredOptions;
}

std::string TMainController::UsersFilePath() const {
    return FUsers->Location + UsersDatasetName + ".isd";
}

std::string TMainController::MessagesFilePath() const {
    return FUsers->Location + MessagesDatasetName + ".isd";
}

bool TMainController::FormCreate() {
    FInstanceLock = FPlatform.AcquireInstanceLock(InstanceLockName);
    if (!FInstanceLock) {
        // Another copy runs on this computer: leave its record alone.
        FView.HideWindow();
        FBoxes.ShowInformation(AlreadyRunningText);
        FAlreadyRunning = true;
        FApp.RequestTerminate();
        return false;
    }

    FContext.reset(
        new TQelContext{FPlatform, FSettings, FFaults, FFaults, FTray, FApp, FWizard, {}, TQelUser(FPlatform), false});
    FUsers = std::make_unique<TQelFile>(*FContext);
    // A missing engine has been reported once; make nothing more.
    if (FTerminateRequested)
        return false;
    FStatuses = std::make_unique<TQelStatus>(*FContext);
    FMessages = std::make_unique<TQelMessage>(*FContext, FUsers->Location);
    FDepartments = std::make_unique<TQelDepartment>(*FContext);
    FWatch = std::make_unique<TWatchList>(FSettings);
    FCreated = true;
    FGoOfflineOnExit = true;

    WriteProgramLocation();
    FView.SetStayOnTop(FSettings.ReadString(keys::Options, keys::StayOnTop, "No") == "Yes");

    const std::string folder = DatabaseFolder(FSettings);
    FUsersFileAge = FPlatform.FileStamp(folder + UsersDatasetName + ".isd");
    FMessagesFileAge = FPlatform.FileStamp(folder + MessagesDatasetName + ".isd");
    FFirstShow = true;
    FShutdownSeen = false;
    return true;
}

void TMainController::WriteProgramLocation() {
    try {
        FSettings.WriteString(keys::Locations, keys::FileLocation, FPlatform.ProgramPath());
    } catch (const EIniFileError& error) {
        FBoxes.ShowError(error.what());
    }
}

void TMainController::FormShow() {
    if (!FCreated || !FFirstShow)
        return;
    FFirstShow = false;

    FUsers->LoadLocation();
    if (FTerminateRequested)
        return;
    if (FUsers->Location.empty()) {
        // The wizard was left without a folder: going on would create the
        // datasets in a folder named "Not_Entered".
        FApp.RequestTerminate();
        return;
    }

    if (FSettings.ReadBool(keys::Qel, keys::FirstTimeRun, true)) {
        if (FBoxes.AskYesNo(AutostartQuestionText))
            CreateAutostartShortcut(FSettings, FPlatform, FBoxes);
        try {
            FSettings.WriteBool(keys::Qel, keys::FirstTimeRun, false);
        } catch (const EIniFileError& error) {
            FBoxes.ShowError(error.what());
        }
    }

    FUsers->RegisterComputer();
    if (FTerminateRequested)
        return;
    FRegistered = true;

    FContext->CurrentUser.Status = "Available";
    FUsers->SaveStatus();
    NoteOwnWrite();
    FUsers->ListUsers(FBoard);

    FView.SetRefreshTimerEnabled(true);
    FView.SetMessageTimerEnabled(true);

    if (Options().CheckForMessagesOnStart() && FMessages->HasNewMessages()) {
        StartNewMailState();
        if (IMessageWindow* window = FDialogs.MessageWindow())
            FMessages->ShowNewMessages(*window);
    }

    ApplyColumns();
    FDepartments->FillDepartmentTree(FTree);
    FShown = true;
    ApplyScreenLockOption();
}

void TMainController::ApplyColumns() {
    const IMainOptions& options = Options();
    FView.ShowColumns(options.DisplayExt(), options.DisplayDepartments(), options.DisplayComments());
}

void TMainController::FileExit() {
    FView.CloseWindow();
}

void TMainController::FormClose() {
    if (!FShown || FClosed)
        return;
    FClosed = true;
    // The board stands still while the window closes.
    FView.SetRefreshTimerEnabled(false);
    FView.SetMessageTimerEnabled(false);
    FView.SetScreenLockTimerEnabled(false);
    if (FShutdownSeen)
        return;
    if (!Options().ConfirmStatusOnExit())
        return;
    if (!FBoxes.AskYesNo(RetainStatusQuestionText))
        GoOffline();
    FGoOfflineOnExit = false;
}

void TMainController::FormDestroy() {
    if (FAlreadyRunning || !FCreated || FDestroyed)
        return;
    FDestroyed = true;
    // Nothing was registered (wizard left, dataset not created): nothing to
    // write.
    if (FGoOfflineOnExit && FRegistered)
        GoOffline();
}

void TMainController::GoOffline() {
    TQelUser& user = FContext->CurrentUser;
    user.Comments.clear();
    FUsers->SaveUser();
    user.Status = "Offline";
    FUsers->SaveStatus();
}

TBoxAnswer TMainController::TFaultFilter::Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) {
    if (!HoldBack)
        return FBoxes.Show(kind, text, buttons);
    Held = text;
    return TBoxAnswer::Ok;
}

void TMainController::TFaultFilter::SetStatusText(const std::string& text) {
    FPanel.SetStatusText(text.empty() ? OnOneLine(Fault) : text);
}

bool TMainController::RefillBoard() {
    if (FDepartments->Filtered)
        return FUsers->ListDepartmentUsers(FBoard, FDepartments->FilterName);
    return FUsers->ListUsers(FBoard);
}

void TMainController::NoteOwnWrite() {
    // The refill that follows reads this write; the next tick need not. A
    // stamp that cannot be taken leaves the next tick to refill.
    try {
        FUsersFileAge = FPlatform.FileStamp(UsersFilePath());
    } catch (const std::exception&) {
    }
}

void TMainController::Post(std::function<std::function<void()>()> work) {
    // The ticks' own handles, made at the first tick (start-up does not wait
    // for them), on the folder the first show settled on.
    if (!FWorker)
        FWorker = std::make_unique<TWorkerSide>(FPlatform, FSettings, FContext->EngineFolder, FUsers->Location);
    if (FWork)
        FWork->Post(std::move(work));
    else
        work()();
}

void TMainController::RefreshTick() {
    if (!FShown || FClosed)
        return;
    if (FPlatform.FileExists(FUsers->Location + ShutdownMarkerName)) {
        FShutdownSeen = true;
        FView.CloseWindow();
        return;
    }
    // The read that is out shows the board; a change after it is seen by the
    // next tick, as its stamp differs from the one stored now.
    if (FBoardReadOut)
        return;
    try {
        const TFileStamp stamp = FPlatform.FileStamp(UsersFilePath());
        if (stamp == FUsersFileAge)
            return;
        FUsersFileAge = stamp;
        StartBoardRead();
    } catch (const std::exception&) {
        FPanel.SetStatusText(RefreshErrorText);
    }
}

void TMainController::StartBoardRead() {
    std::optional<std::string> department;
    if (FDepartments->Filtered)
        department = FDepartments->FilterName;
    const unsigned fills = FCountedBoard.Fills;
    FBoardReadOut = true;
    Post([this, department, fills, location = FUsers->Location]() -> std::function<void()> {
        // Worker thread: only the worker's objects.
        auto snapshot = std::make_shared<TBoardSnapshot>();
        bool failed = false;
        try {
            FWorker->Users.Location = location;
            *snapshot = FWorker->Users.ReadBoard(department ? &*department : nullptr);
        } catch (const std::exception&) {
            failed = true;
        }
        return [this, snapshot, failed, fills] {
            FBoardReadOut = false;
            if (failed) {
                FPanel.SetStatusText(RefreshErrorText);
                return;
            }
            // A fill since the read began showed newer rows than these.
            if (FClosed || fills != FCountedBoard.Fills)
                return;
            try {
                ShowTickBoard(*snapshot);
            } catch (const std::exception&) {
                FPanel.SetStatusText(RefreshErrorText);
            }
        };
    });
}

void TMainController::ShowTickBoard(const TBoardSnapshot& snapshot) {
    // A board that cannot be read is shown in a box once per fault, and
    // panel 0 says so until a refill succeeds again.
    const std::string previousFault = std::exchange(FFaults.Fault, {});
    FUsers->TakeOwnRecord(snapshot);
    FTray.SetTrayImage(StatusImageIndex(FContext->CurrentUser.Status));
    FContext->IsAdministrator = FContext->CurrentUser.Administrator == 1;
    if (!snapshot.Error) {
        TQelFile::ShowBoard(FBoard, snapshot);
        return;
    }
    FFaults.Fault = snapshot.ErrorText;
    if (FFaults.Fault != previousFault)
        FBoxes.ShowError(FFaults.Fault);
    FPanel.SetStatusText(OnOneLine(FFaults.Fault));
}

void TMainController::MessageTick() {
    if (!FShown || FClosed || FMessageReadOut)
        return;
    try {
        const TFileStamp stamp = FPlatform.FileStamp(MessagesFilePath());
        if (stamp == FMessagesFileAge)
            return;
        FMessagesFileAge = stamp;
    } catch (const std::exception&) {
        FPanel.SetStatusText(MessageCheckErrorText);
        return;
    }
    FMessageReadOut = true;
    // The notes for the notice are read with the check, so the GUI never
    // waits on the share for them.
    const bool announce = FSettings.ReadYesNo(keys::Options, keys::DesktopNotifications, true);
    Post([this, announce]() -> std::function<void()> {
        // Worker thread: only the worker's objects.
        TMessageCheck check;
        try {
            FWorker->Ports.PanelTexts.clear();
            check.Found = FWorker->Messages.HasNewMessages();
            check.PanelTexts = FWorker->Ports.PanelTexts;
            if (check.Found && announce)
                check.NotesRead = FWorker->Messages.ReadNewMessages(&check.Notes);
        } catch (const std::exception&) {
            check.Failed = true;
        }
        return [this, check = std::move(check)] {
            FMessageReadOut = false;
            if (check.Failed)
                FPanel.SetStatusText(MessageCheckErrorText);
            else if (!FClosed)
                ShowMessageCheck(check);
        };
    });
}

void TMainController::ShowMessageCheck(const TMessageCheck& check) {
    try {
        for (const std::string& text : check.PanelTexts)
            FFaults.SetStatusText(text);
        if (check.Found) {
            // The sound marks the start of the new-mail state only.
            if (!FNewMail)
                FMessages->PlayNewMessageSound(Options());
            StartNewMailState();
            FView.SetMessageTimerEnabled(false);
            FPanel.SetStatusText("");
            if (check.NotesRead)
                AnnounceNewMessages(check.Notes);
            return;
        }
        FFaults.SetStatusText("");
    } catch (const std::exception&) {
        FPanel.SetStatusText(MessageCheckErrorText);
    }
}

void TMainController::StartNewMailState() {
    FNewMail = true;
    FView.SetNewMailAnimation(true);
}

void TMainController::ClearNewMailState() {
    FNewMail = false;
    FView.SetNewMailAnimation(false);
}

void TMainController::TreeClick(const std::optional<std::string>& nodeText) {
    if (!nodeText || !FShown)
        return;
    if (*nodeText == DepartmentsRootText) {
        FDepartments->Filtered = false;
        FUsers->ListUsers(FBoard);
        FView.SetCaption(AllDepartmentsCaption);
    } else {
        FDepartments->Filtered = true;
        FDepartments->FilterName = *nodeText;
        FUsers->ListDepartmentUsers(FBoard, FDepartments->FilterName);
        FView.SetCaption("Qel - Filtered on " + *nodeText);
    }
}

void TMainController::SetStatus(const std::string& status) {
    if (!FShown)
        return;
    FContext->CurrentUser.Status = status;
    FUsers->SaveStatus();
    NoteOwnWrite();
    RefillBoard();
}

void TMainController::SendMessage(const std::string& toComputerName) {
    if (!FShown || !FDialogs.Available(TMainDialog::SendMessage))
        return;
    // No refill may clear the selection while the message is prepared.
    FView.SetRefreshTimerEnabled(false);
    TMessageWindowFields fields;
    fields.Caption = SendMessageCaption;
    fields.From = FMessages->GetUserNameForComputer(FPlatform.ComputerName());
    fields.To = FMessages->GetUserNameForComputer(toComputerName);
    fields.Received = NowText();
    FView.SetRefreshTimerEnabled(true);
    FDialogs.ShowSendMessage(fields, toComputerName);
}

void TMainController::ViewInBox() {
    if (!FShown || !FDialogs.Available(TMainDialog::InBox))
        return;
    FPanel.SetStatusText(LocatingMessagesText);
    FDialogs.Show(TMainDialog::InBox);
}

void TMainController::ShowDialog(TMainDialog dialog) {
    if (!FShown || !FDialogs.Available(dialog))
        return;
    FDialogs.Show(dialog);
    if (dialog == TMainDialog::Settings)
        ApplyScreenLockOption();
}

void TMainController::ApplyScreenLockOption() {
    const bool on = FShown && !FClosed && FSettings.ReadYesNo(keys::Options, keys::AwayWhenLocked, false);
    // A fresh check: what an earlier run of it set is no longer its own.
    if (on && !FLockCheck)
        FLockCheck = std::make_unique<TScreenLockCheck>(*FUsers, FContext->CurrentUser);
    else if (!on)
        FLockCheck.reset();
    FView.SetScreenLockTimerEnabled(on);
}

bool TMainController::ScreenLockAvailable() {
    return FLockProbe && FLockProbe->ScreenLocked().has_value();
}

void TMainController::ScreenLockTick() {
    if (!FShown || FClosed || !FLockCheck || !FLockProbe)
        return;
    const std::optional<bool> locked = FLockProbe->ScreenLocked();
    if (locked && FLockCheck->Check(*locked))
        RefillBoard();
}

void TMainController::ToggleWatch(const std::string& computer) {
    if (!FWatch || computer.empty())
        return;
    try {
        FWatch->Toggle(computer);
    } catch (const EIniFileError& error) {
        FBoxes.ShowError(error.what());
    }
    if (FShown)
        RefillBoard();
}

void TMainController::BoardFilled(const std::vector<TBoardRow>& rows) {
    if (!FWatch)
        return;
    for (const TBoardRow& row : FWatch->Changes(rows)) {
        const std::string& status = row.SubItems[0];
        Announce({row.Caption + " is now " + status, row.SubItems[3], ShowBoardActionText,
                  [this] { FView.RestoreWindow(); }});
    }
}

void TMainController::AnnounceNewMessages(const std::vector<TNewMessageNote>& notes) {
    std::vector<TNewMessageNote> fresh;
    for (const TNewMessageNote& note : notes)
        if (FAnnouncedMessages.insert(note.Key).second)
            fresh.push_back(note);
    if (fresh.empty())
        return;
    // The latest names the notice; the others are counted.
    std::string body = fresh.back().Subject;
    if (fresh.size() > 1)
        body += "\n(" + std::to_string(fresh.size()) + " new messages)";
    Announce({NewMessageFromText + fresh.back().FromName, body, ViewInBoxActionText, [this] {
                  TrayDoubleClick();
                  FView.RestoreWindow();
              }});
}

void TMainController::Announce(const TDesktopNotice& notice) {
    if (FNotifier && FNotifier->Notify(notice))
        return;
    FView.RequestAttention();
    FPanel.SetStatusText(notice.Summary + NoNotificationServiceText);
}

void TMainController::TrayDoubleClick() {
    if (!FShown || !FNewMail || FDialogs.MessageDialogOnScreen() || !FDialogs.Available(TMainDialog::InBox))
        return;
    FDialogs.Show(TMainDialog::InBox);
}

TCommandStates TMainController::CommandStates(bool rowSelected) const {
    TCommandStates states;
    const bool live = FShown && !FClosed;
    const bool admin = live && FContext && FContext->IsAdministrator;
    auto available = [&](TMainDialog dialog) { return live && FDialogs.Available(dialog); };
    states.StatusCommands = live;
    states.CustomStatus = available(TMainDialog::CustomStatus);
    states.Comments = available(TMainDialog::Comments);
    states.Settings = available(TMainDialog::Settings);
    states.Users = admin && available(TMainDialog::Users);
    states.Departments = admin && available(TMainDialog::Departments);
    states.Statuses = admin && available(TMainDialog::Statuses);
    states.SendMessage = rowSelected && FSendAllowed && available(TMainDialog::SendMessage);
    states.ViewInBox = available(TMainDialog::InBox);
    states.FilterOnDepartment = available(TMainDialog::SelectDepartment);
    return states;
}

void TMainController::HelpOnQel() {
    if (std::string error; !FPlatform.OpenHelp("Contents", &error))
        FBoxes.ShowError(error);
}

std::string TMainController::AboutText() {
    return std::string("Qel\r\rVersion: ") + QelVersion +
           "\r\rAn office presence board: who is in, who is out, and a short message to any desk."
           "\rWritten by the Qel team.";
}

void TMainController::HelpAbout() {
    FBoxes.ShowInformation(AboutText());
}

} // namespace qel
