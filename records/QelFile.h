#pragma once

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelContext.h"
#include "records/QelUser.h"
#include "records/UiPorts.h"

#include <optional>
#include <string>
#include <vector>

namespace qel {

// The users dataset: one record per computer, found by its computer name.
inline constexpr const char* UsersDatasetName = "QelDBase";
// Administrator, UserName, Status, Extension, Department, Comments, ComputerName
// (the last also secondary index 7). 148 bytes.
inline constexpr const char* UsersLayoutText = "%,$*21,$*31,$*11,$*21,$*41,X$*21";

// Field positions in a users record.
namespace userfield {
inline constexpr int Administrator = 1;
inline constexpr int UserName = 2;
inline constexpr int Status = 3;
inline constexpr int Extension = 4;
inline constexpr int Department = 5;
inline constexpr int Comments = 6;
inline constexpr int ComputerName = 7;
} // namespace userfield

// The secondary index on the computer name.
inline constexpr int16_t ComputerNameIndex = 7;

// The parsed users layout, shared by every users record buffer.
const TFieldLayout& UsersLayout();

// The seven fields of a users record buffer as a TQelUser.
TQelUser ReadUserRecord(const TRecordBuffer& buffer);
// Clears `buffer` and writes every field of `user` into it, each text cut to
// its field.
void WriteUserRecord(TRecordBuffer& buffer, const TQelUser& user);

// Image of a status on the board and in the tray. Exact, case-sensitive match:
// "At lunch" 0, "Available" 1, "Away from desk" 2, "DND" 3, "Gone home" 4,
// "In meeting" 5, "On holiday" 6, "Out of office" 7, "Off sick" 10,
// "Offline" 11; any other text (custom statuses) 9.
int StatusImageIndex(const std::string& status);

// What one read of the users dataset gives the board: the rows in key order
// (only one department's when filtered) and this computer's record.
struct TBoardSnapshot {
    std::vector<TBoardRow> Rows;
    // This computer's record, empty when it could not be read.
    std::optional<TQelUser> Own;
    // When Own is empty: the engine's error as panel 0 shows it.
    std::string OwnError;
    // 0 when every record was read; else the engine code that stopped the
    // read (the open or a read). Rows are then not to be shown.
    int16_t Error = 0;
    // With Error: the engine's error box text.
    std::string ErrorText;
};

// The edit boxes of the user-maintenance dialog that ShowUser fills, called in
// this order: name, status, comments, extension, department, computer name,
// then the administrator check box.
class IUserDetailsView {
public:
    virtual ~IUserDetailsView() = default;
    virtual void SetTxtName(const std::string& text) = 0;
    virtual void SetTxtStatus(const std::string& text) = 0;
    virtual void SetTxtComments(const std::string& text) = 0;
    virtual void SetTxtExtension(const std::string& text) = 0;
    virtual void SetTxtDepartment(const std::string& text) = 0;
    virtual void SetTxtComputerName(const std::string& text) = 0;
    virtual void SetChkboxAdministrator(bool checked) = 0;
};

// The user register. Every operation that opens the users dataset opens it,
// works and closes it again before it returns, on every path; no record is
// locked. Failures are shown through the context's message boxes (error box,
// OK button, ErrorText + "\r" + ErrorDetail) unless said otherwise, always
// after the dataset is closed again; nothing is raised. Texts longer than a field are cut at a character boundary
// (UserName 20, Status 30, Extension 10, Department 20, Comments 40,
// ComputerName 20 bytes).
//
// Most operations read the dataset folder afresh from the settings
// (Locations/Qel_DBaseLocation); ListUsers and ListDepartmentUsers use Location.
class TQelFile {
public:
    // Makes User (this computer's identity, from the platform) and Isam (with
    // the context's engine folder). When the engine cannot be used, shows
    // EngineMissingText in an error box and asks the application to end; the
    // object is made either way. `context` must outlive the object.
    explicit TQelFile(TQelContext& context);
    TQelFile(const TQelFile&) = delete;
    TQelFile& operator=(const TQelFile&) = delete;

    // Reads the database folder from the settings. "Not_Entered" shows the
    // database wizard (which sets Location and the setting itself; nothing
    // happens without a wizard); any other value becomes Location with a
    // trailing separator.
    void LoadLocation();

    // Makes sure the dataset and this computer's record exist. An existing
    // dataset without this computer gets a record with Administrator 0. A
    // missing dataset is created, after the status catalogue (seeded, when
    // missing too), with this computer's record in it from the start: this
    // computer becomes its first administrator (record Administrator 1,
    // IsAdministrator true). When another computer creates it first, this one
    // joins that dataset as a plain user. New records: login name,
    // "Available", empty extension, department and comments, computer name.
    // Failures: "Unable to create QelDBase!" + CR + why, or the engine error
    // of a dataset that exists but cannot be opened (both ask the application
    // to end; nothing else happens); the plain box "Unable to Add"; the
    // engine error when the lookup fails for a reason other than a missing
    // record (nothing is added).
    void RegisterComputer();

    // Reads this computer's record into CurrentUser (all seven fields) and
    // StoredStatus, and clears panel 0; returns 0. When the read fails, panel
    // 0 gets ErrorText + " " + ErrorDetail, CurrentUser stays as it was and
    // the engine's code is returned (1: this computer has no record).
    int16_t LoadCurrentUser();

    // Writes every field of CurrentUser over the record whose computer name
    // equals CurrentUser.ComputerName. When that record cannot be read, shows
    // the engine error and writes nothing.
    void SaveUser();

    // Writes CurrentUser.Status into this computer's record. The record's other
    // fields are first copied into CurrentUser, so changes an administrator
    // made meanwhile survive; IsAdministrator follows the record's flag and
    // the tray shows the image of the status. When the record cannot be read,
    // shows the engine error and changes nothing, and returns false; true
    // once the record was read (a failed write still shows its error).
    bool SaveStatus();

    // Fills the board with every user in key order: caption UserName,
    // sub-items Status, Extension, Department, Comments, ComputerName, image
    // StatusImageIndex(Status), inside one update bracket, after the dataset
    // (Location + "QelDBase") is closed again. When it cannot be opened or a
    // read fails (anything but the end of the records), shows the engine
    // error, leaves the board as it was and returns false.
    bool ListUsers(IBoardList& board);
    // The same, only users whose Department equals `department` exactly.
    bool ListDepartmentUsers(IBoardList& board, const std::string& department);

    // The board's rows (every user, or those of `department` when given) and
    // this computer's record, in one open and one pass of Location +
    // "QelDBase"; the dataset is closed when it returns. Uses only Isam,
    // Location and User, and shows nothing, so an object that only one
    // thread uses may call it off the GUI thread.
    TBoardSnapshot ReadBoard(const std::string* department);
    // Fills the board with the snapshot's rows inside one update bracket.
    static void ShowBoard(IBoardList& board, const TBoardSnapshot& snapshot);
    // What LoadCurrentUser does with the record it read: the snapshot's own
    // record into CurrentUser and StoredStatus with panel 0 cleared, or its
    // OwnError in panel 0.
    void TakeOwnRecord(const TBoardSnapshot& snapshot);

    // Fills `list` with every UserName in key order, each carrying its record
    // number (the integer value of its primary key). Failures as ListUsers.
    bool FillUserList(INumberedList& list);

    // Shows the record of the entry selected in `list` in the dialog's boxes.
    // No selection: nothing happens. A failed read shows the engine error and
    // leaves the boxes as they were.
    void ShowUser(const INumberedList& list, IUserDetailsView& view);

    // Deletes the record of the entry selected in `list`; shows the engine
    // error when the delete fails. No selection: nothing happens.
    void DeleteUser(const INumberedList& list);

    // See the free function of the same name.
    static int StatusImageIndex(const std::string& status) { return qel::StatusImageIndex(status); }

    // Full path (without extension) of the users dataset in the folder the
    // settings name now.
    std::string DatasetPath() const;

    // This computer's identity; only ComputerName and (for new records)
    // UserName are used.
    TQelUser User;
    TIsamFile Isam;
    // This computer's status as last read by LoadCurrentUser.
    std::string StoredStatus;
    // The database folder, ending with a separator once set; empty until
    // LoadLocation or the database wizard sets it.
    std::string Location;

private:
    // This computer's record as registering makes it.
    TQelUser NewRecord(int16_t administrator) const;
    bool ShowOrReport(IBoardList& board, const TBoardSnapshot& snapshot);

    TQelContext& FContext;
};

} // namespace qel
