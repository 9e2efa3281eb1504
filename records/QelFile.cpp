#include "records/QelFile.h"

#include "records/QelStatusesObj.h"
#include "records/RecordsCommon.h"

namespace qel {

namespace {

constexpr int16_t PrimaryIndex = 0;

const char* const UnableToCreate = "Unable to create QelDBase!";
const char* const UnableToAdd = "Unable to Add";

constexpr TRecordFields<TQelUser, 6> UserFields{userfield::Administrator,
                                                &TQelUser::Administrator,
                                                {{{userfield::UserName, &TQelUser::UserName},
                                                  {userfield::Status, &TQelUser::Status},
                                                  {userfield::Extension, &TQelUser::Extension},
                                                  {userfield::Department, &TQelUser::Department},
                                                  {userfield::Comments, &TQelUser::Comments},
                                                  {userfield::ComputerName, &TQelUser::ComputerName}}}};

TBoardRow BoardRow(const TRecordBuffer& buffer) {
    const TQelUser user = ReadUserRecord(buffer);
    return {user.UserName,
            {user.Status, user.Extension, user.Department, user.Comments, user.ComputerName},
            StatusImageIndex(user.Status)};
}

} // namespace

TQelUser ReadUserRecord(const TRecordBuffer& buffer) {
    return ReadFields(buffer, UserFields);
}

void WriteUserRecord(TRecordBuffer& buffer, const TQelUser& user) {
    WriteFields(buffer, user, UserFields);
}

const TFieldLayout& UsersLayout() {
    static const TFieldLayout layout = *TFieldLayout::Parse(UsersLayoutText);
    return layout;
}

int StatusImageIndex(const std::string& status) {
    struct TEntry {
        const char* Status;
        int Image;
    };
    static constexpr TEntry images[] = {
        {"At lunch", 0},   {"Available", 1},  {"Away from desk", 2}, {"DND", 3},       {"Gone home", 4},
        {"In meeting", 5}, {"On holiday", 6}, {"Out of office", 7},  {"Off sick", 10}, {"Offline", 11},
    };
    for (const TEntry& entry : images)
        if (status == entry.Status)
            return entry.Image;
    return 9;
}

TQelFile::TQelFile(TQelContext& context) : User(context.Platform), Isam(context.EngineFolder), FContext(context) {
    CheckEngineLoaded(Isam, FContext);
}

std::string TQelFile::DatasetPath() const {
    return DatabaseFolder(FContext.Settings) + UsersDatasetName;
}

void TQelFile::LoadLocation() {
    const std::string value = FContext.Settings.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered);
    if (value == keys::NotEntered) {
        if (FContext.Wizard)
            FContext.Wizard->Execute();
    } else {
        Location = AddBackslash(value);
    }
}

TQelUser TQelFile::NewRecord(int16_t administrator) const {
    TQelUser record;
    record.UserName = User.UserName;
    record.Status = "Available";
    record.ComputerName = User.ComputerName;
    record.Administrator = administrator;
    return record;
}

void TQelFile::RegisterComputer() {
    const std::string path = DatasetPath();
    TDeferredBoxes boxes(FContext.Boxes);
    if (!Isam.OpenDataset(path, DatasetOpenMode, UsersLayoutText)) {
        // A new database. Its status catalogue comes first, so that a folder
        // with a users dataset always has one; the users dataset then appears
        // with its first administrator already in it.
        TRecordBuffer first(UsersLayout());
        WriteUserRecord(first, NewRecord(1));
        std::string error;
        const TSeededCreate created =
            TQelStatus(FContext).CreateIfMissing(&error)
                ? CreateSeededDataset(FContext.Platform, Isam, path, UsersLayoutText, {first}, &error)
                : TSeededCreate::Failed;
        switch (created) {
        case TSeededCreate::Created:
            FContext.IsAdministrator = true;
            return;
        case TSeededCreate::Failed:
            // Nothing is open here: the box comes before the request to end.
            FContext.Boxes.ShowError(std::string(UnableToCreate) + "\r" + error);
            FContext.App.RequestTerminate();
            return;
        case TSeededCreate::Exists:
            // Another computer created it first (this one joins it), or the
            // file is there but cannot be opened.
            if (!Isam.OpenDataset(path, DatasetOpenMode, UsersLayoutText)) {
                FContext.Boxes.ShowError(EngineErrorText(Isam));
                FContext.App.RequestTerminate();
                return;
            }
            break;
        }
    }
    TCloseOnExit closer{Isam};
    TRecordBuffer buffer(UsersLayout());
    if (Isam.GetRecord(buffer.Data(), ComputerNameIndex, User.ComputerName))
        return;
    // Only a missing record means a new computer; a busy or damaged dataset
    // must not earn this computer a second record.
    if (Isam.LastError() != IsamNotFound) {
        boxes.Error(EngineErrorText(Isam));
        return;
    }
    WriteUserRecord(buffer, NewRecord(0));
    if (!Isam.AddRecord(buffer.Data(), ""))
        boxes.Plain(UnableToAdd);
}

int16_t TQelFile::LoadCurrentUser() {
    // A dataset that cannot be opened says why; the read would only say that nothing is open.
    const bool opened = Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    TCloseOnExit closer{Isam};
    TRecordBuffer buffer(UsersLayout());
    if (!opened || !Isam.GetRecord(buffer.Data(), ComputerNameIndex, User.ComputerName)) {
        FContext.StatusPanel.SetStatusText(EngineErrorLine(Isam));
        return Isam.LastError();
    }
    FContext.StatusPanel.SetStatusText("");
    FContext.CurrentUser = ReadUserRecord(buffer);
    StoredStatus = FContext.CurrentUser.Status;
    return 0;
}

void TQelFile::SaveUser() {
    TDeferredBoxes boxes(FContext.Boxes);
    if (!Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText)) {
        boxes.Error(EngineErrorText(Isam));
        return;
    }
    TCloseOnExit closer{Isam};
    TRecordBuffer buffer(UsersLayout());
    if (!Isam.GetRecord(buffer.Data(), ComputerNameIndex, FContext.CurrentUser.ComputerName)) {
        // No record was read, so there is no key to write under.
        boxes.Error(EngineErrorText(Isam));
        return;
    }
    WriteUserRecord(buffer, FContext.CurrentUser);
    if (!Isam.UpdateRecord(buffer.Data(), Isam.CurrentKey()))
        boxes.Error(EngineErrorText(Isam));
}

bool TQelFile::SaveStatus() {
    TDeferredBoxes boxes(FContext.Boxes);
    if (!Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText)) {
        boxes.Error(EngineErrorText(Isam));
        return false;
    }
    TCloseOnExit closer{Isam};
    TRecordBuffer buffer(UsersLayout());
    if (!Isam.GetRecord(buffer.Data(), ComputerNameIndex, User.ComputerName)) {
        boxes.Error(EngineErrorText(Isam));
        return false;
    }
    // Everything but the status comes from the record, so an administrator's
    // changes made meanwhile are kept.
    TQelUser& user = FContext.CurrentUser;
    const std::string status = user.Status;
    user = ReadUserRecord(buffer);
    user.Status = status;

    WriteUserRecord(buffer, user);
    FContext.IsAdministrator = user.Administrator == 1;
    FContext.Tray.SetTrayImage(StatusImageIndex(user.Status));
    if (!Isam.UpdateRecord(buffer.Data(), Isam.CurrentKey()))
        boxes.Error(EngineErrorText(Isam));
    return true;
}

TBoardSnapshot TQelFile::ReadBoard(const std::string* department) {
    TBoardSnapshot snapshot;
    if (!Isam.OpenDataset(Location + UsersDatasetName, DatasetOpenMode, UsersLayoutText)) {
        snapshot.Error = Isam.LastError();
        snapshot.ErrorText = EngineErrorText(Isam);
        snapshot.OwnError = EngineErrorLine(Isam);
        return snapshot;
    }
    TCloseOnExit closer{Isam};
    TRecordBuffer buffer(UsersLayout());
    if (Isam.GoTop(PrimaryIndex))
        while (Isam.GetNextRecord(buffer.Data(), PrimaryIndex, {}, ReadOptions)) {
            // The lowest key with this computer's name, as a lookup by name finds it.
            if (!snapshot.Own && buffer.GetText(userfield::ComputerName) == User.ComputerName)
                snapshot.Own = ReadUserRecord(buffer);
            if (!department || buffer.GetText(userfield::Department) == *department)
                snapshot.Rows.push_back(BoardRow(buffer));
        }
    if (Isam.LastError() != IsamNotFound) {
        snapshot.Error = Isam.LastError();
        snapshot.ErrorText = Isam.ErrorText() + "\r" + Isam.ErrorDetail();
        snapshot.Rows.clear();
    }
    if (!snapshot.Own)
        snapshot.OwnError = EngineErrorLine(Isam);
    return snapshot;
}

void TQelFile::ShowBoard(IBoardList& board, const TBoardSnapshot& snapshot) {
    board.BeginUpdate();
    board.Clear();
    for (const TBoardRow& row : snapshot.Rows)
        board.AddRow(row);
    board.EndUpdate();
}

void TQelFile::TakeOwnRecord(const TBoardSnapshot& snapshot) {
    if (!snapshot.Own) {
        FContext.StatusPanel.SetStatusText(snapshot.OwnError);
        return;
    }
    FContext.StatusPanel.SetStatusText("");
    FContext.CurrentUser = *snapshot.Own;
    StoredStatus = snapshot.Own->Status;
}

bool TQelFile::ShowOrReport(IBoardList& board, const TBoardSnapshot& snapshot) {
    if (snapshot.Error) {
        FContext.Boxes.ShowError(snapshot.ErrorText);
        return false;
    }
    // Filled after the dataset is closed: the board's drawing never holds the file's lock.
    ShowBoard(board, snapshot);
    return true;
}

bool TQelFile::ListUsers(IBoardList& board) {
    return ShowOrReport(board, ReadBoard(nullptr));
}

bool TQelFile::ListDepartmentUsers(IBoardList& board, const std::string& department) {
    return ShowOrReport(board, ReadBoard(&department));
}

bool TQelFile::FillUserList(INumberedList& list) {
    std::vector<std::pair<std::string, int>> users;
    TRecordBuffer buffer(UsersLayout());
    std::string error;
    if (!ReadInKeyOrder(Isam, DatasetPath(), UsersLayoutText, buffer, false, &error, [&](const std::string& key) {
            users.emplace_back(buffer.GetText(userfield::UserName), KeyToNumber(key));
        })) {
        FContext.Boxes.ShowError(error);
        return false;
    }
    list.BeginUpdate();
    list.Clear();
    for (const auto& [name, number] : users)
        list.Add(name, number);
    list.EndUpdate();
    return true;
}

void TQelFile::ShowUser(const INumberedList& list, IUserDetailsView& view) {
    const int selected = list.SelectedIndex();
    if (selected < 0)
        return;
    TRecordBuffer buffer(UsersLayout());
    {
        TDeferredBoxes boxes(FContext.Boxes);
        if (!Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText)) {
            boxes.Error(EngineErrorText(Isam));
            return;
        }
        TCloseOnExit closer{Isam};
        if (!Isam.GetRecord(buffer.Data(), PrimaryIndex, FormatKey(list.NumberAt(selected)))) {
            boxes.Error(EngineErrorText(Isam));
            return;
        }
    }
    const TQelUser user = ReadUserRecord(buffer);
    view.SetTxtName(user.UserName);
    view.SetTxtStatus(user.Status);
    view.SetTxtComments(user.Comments);
    view.SetTxtExtension(user.Extension);
    view.SetTxtDepartment(user.Department);
    view.SetTxtComputerName(user.ComputerName);
    view.SetChkboxAdministrator(user.Administrator == 1);
}

void TQelFile::DeleteUser(const INumberedList& list) {
    const int selected = list.SelectedIndex();
    if (selected < 0)
        return;
    TDeferredBoxes boxes(FContext.Boxes);
    if (!Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText)) {
        boxes.Error(EngineErrorText(Isam));
        return;
    }
    TCloseOnExit closer{Isam};
    if (!Isam.DeleteRecord(FormatKey(list.NumberAt(selected))))
        boxes.Error(EngineErrorText(Isam));
}

} // namespace qel
