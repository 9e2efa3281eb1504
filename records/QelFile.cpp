#include "records/QelFile.h"

#include "records/RecordsCommon.h"

namespace qel {

namespace {

constexpr int16_t PrimaryIndex = 0;
constexpr int16_t NotFound = 1;

const char* const UnableToCreate = "Unable to create QelDBase!";
const char* const UnableToOpenAfterCreate = "Unable to open QelDBase after create!";
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

void TQelFile::AddThisComputer(int16_t administrator) {
    TQelUser record;
    record.UserName = User.UserName;
    record.Status = "Available";
    record.ComputerName = User.ComputerName;
    record.Administrator = administrator;
    TRecordBuffer buffer(UsersLayout());
    WriteUserRecord(buffer, record);
    if (!Isam.AddRecord(buffer.Data(), ""))
        FContext.Boxes.ShowPlain(UnableToAdd);
}

void TQelFile::RegisterComputer() {
    const std::string path = DatasetPath();
    if (Isam.OpenDataset(path, DatasetOpenMode, UsersLayoutText)) {
        TRecordBuffer buffer(UsersLayout());
        if (!Isam.GetRecord(buffer.Data(), ComputerNameIndex, User.ComputerName)) {
            // Only a missing record means a new computer; a busy or damaged
            // dataset must not earn this computer a second record.
            if (Isam.LastError() == NotFound)
                AddThisComputer(0);
            else
                FContext.Boxes.ShowError(EngineErrorText(Isam));
        }
        Isam.CloseDataset();
        return;
    }

    if (!Isam.CreateDataset(path, DatasetKeyLength, UsersLayoutText)) {
        FContext.Boxes.ShowError(UnableToCreate);
        FContext.App.RequestTerminate();
        return;
    }
    if (!Isam.OpenDataset(path, DatasetOpenMode, UsersLayoutText))
        FContext.Boxes.ShowError(UnableToOpenAfterCreate);
    FContext.IsAdministrator = true;
    AddThisComputer(1);
    Isam.CloseDataset();
}

void TQelFile::LoadCurrentUser() {
    Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    TRecordBuffer buffer(UsersLayout());
    if (Isam.GetRecord(buffer.Data(), ComputerNameIndex, User.ComputerName)) {
        FContext.StatusPanel.SetStatusText("");
        FContext.CurrentUser = ReadUserRecord(buffer);
        StoredStatus = FContext.CurrentUser.Status;
    } else {
        FContext.StatusPanel.SetStatusText(EngineErrorLine(Isam));
    }
    Isam.CloseDataset();
}

void TQelFile::SaveUser() {
    Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    TRecordBuffer buffer(UsersLayout());
    if (!Isam.GetRecord(buffer.Data(), ComputerNameIndex, FContext.CurrentUser.ComputerName)) {
        // No record was read, so there is no key to write under.
        FContext.Boxes.ShowError(EngineErrorText(Isam));
        Isam.CloseDataset();
        return;
    }
    WriteUserRecord(buffer, FContext.CurrentUser);
    if (!Isam.UpdateRecord(buffer.Data(), Isam.CurrentKey()))
        FContext.Boxes.ShowError(EngineErrorText(Isam));
    Isam.CloseDataset();
}

void TQelFile::SaveStatus() {
    Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    TRecordBuffer buffer(UsersLayout());
    if (!Isam.GetRecord(buffer.Data(), ComputerNameIndex, User.ComputerName)) {
        FContext.Boxes.ShowError(EngineErrorText(Isam));
        Isam.CloseDataset();
        return;
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
        FContext.Boxes.ShowError(EngineErrorText(Isam));
    Isam.CloseDataset();
}

void TQelFile::ListBoard(IBoardList& board, const std::string* department) {
    // An open that fails leaves every read below failing, so the board ends up empty.
    Isam.OpenDataset(Location + UsersDatasetName, DatasetOpenMode, UsersLayoutText);
    Isam.GoTop(PrimaryIndex);
    board.BeginUpdate();
    board.Clear();
    TRecordBuffer buffer(UsersLayout());
    while (Isam.GetNextRecord(buffer.Data(), PrimaryIndex, "", ReadOptions)) {
        if (department && buffer.GetText(userfield::Department) != *department)
            continue;
        board.AddRow(BoardRow(buffer));
    }
    board.EndUpdate();
    Isam.CloseDataset();
}

void TQelFile::ListUsers(IBoardList& board) {
    ListBoard(board, nullptr);
}

void TQelFile::ListDepartmentUsers(IBoardList& board, const std::string& department) {
    ListBoard(board, &department);
}

void TQelFile::FillUserList(INumberedList& list) {
    Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    Isam.GoTop(PrimaryIndex);
    list.BeginUpdate();
    list.Clear();
    TRecordBuffer buffer(UsersLayout());
    while (Isam.GetNextRecord(buffer.Data(), PrimaryIndex, "", ReadOptions))
        list.Add(buffer.GetText(userfield::UserName), KeyToNumber(Isam.CurrentKey()));
    list.EndUpdate();
    Isam.CloseDataset();
}

void TQelFile::ShowUser(const INumberedList& list, IUserDetailsView& view) {
    const int selected = list.SelectedIndex();
    if (selected < 0)
        return;
    Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    Isam.GoTop(PrimaryIndex);
    const std::string key = FormatKey(list.NumberAt(selected));
    TRecordBuffer buffer(UsersLayout());
    if (!Isam.GetRecord(buffer.Data(), PrimaryIndex, key)) {
        FContext.Boxes.ShowError(EngineErrorText(Isam));
        Isam.CloseDataset();
        return;
    }
    const TQelUser user = ReadUserRecord(buffer);
    view.SetTxtName(user.UserName);
    view.SetTxtStatus(user.Status);
    view.SetTxtComments(user.Comments);
    view.SetTxtExtension(user.Extension);
    view.SetTxtDepartment(user.Department);
    view.SetTxtComputerName(user.ComputerName);
    view.SetChkboxAdministrator(user.Administrator == 1);
    Isam.CloseDataset();
}

void TQelFile::DeleteUser(const INumberedList& list) {
    const int selected = list.SelectedIndex();
    if (selected < 0)
        return;
    Isam.OpenDataset(DatasetPath(), DatasetOpenMode, UsersLayoutText);
    if (!Isam.DeleteRecord(FormatKey(list.NumberAt(selected))))
        FContext.Boxes.ShowError(EngineErrorText(Isam));
    Isam.CloseDataset();
}

} // namespace qel
