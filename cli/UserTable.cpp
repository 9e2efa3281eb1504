#include "cli/UserTable.h"

#include "cli/CliText.h"
#include "engine/qelisam.h"

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelFile.h"
#include "records/RecordsCommon.h"

namespace qel::cli {

std::optional<std::vector<TUserRow>> ReadUsers(const std::string& datasetPath, const std::string& engineFolder,
                                               std::string* error) {
    TIsamFile isam(engineFolder);
    if (!isam.EngineLoaded()) {
        *error = EngineMissingText;
        return std::nullopt;
    }
    if (!isam.OpenDataset(datasetPath, DatasetOpenMode)) {
        *error = isam.ErrorText() + "\n" + isam.ErrorDetail();
        return std::nullopt;
    }
    std::vector<TUserRow> rows;
    TRecordBuffer buffer(UsersLayout());
    isam.GoTop(0);
    while (isam.GetNextRecord(buffer.Data(), 0, "", ReadOptions)) {
        TUserRow row;
        row.Key = isam.CurrentKey();
        row.User.Administrator = buffer.GetInt(userfield::Administrator);
        row.User.UserName = buffer.GetText(userfield::UserName);
        row.User.Status = buffer.GetText(userfield::Status);
        row.User.Extension = buffer.GetText(userfield::Extension);
        row.User.Department = buffer.GetText(userfield::Department);
        row.User.Comments = buffer.GetText(userfield::Comments);
        row.User.ComputerName = buffer.GetText(userfield::ComputerName);
        rows.push_back(std::move(row));
    }
    // The scan ends with "not found"; any other code is a failed read, and
    // the rows so far are not the board.
    if (isam.LastError() != ISM_NOT_FOUND) {
        *error = isam.ErrorText() + "\n" + isam.ErrorDetail();
        isam.CloseDataset();
        return std::nullopt;
    }
    isam.CloseDataset();
    return rows;
}

std::string UserJsonMembers(const TQelUser& user) {
    return "\"user\":" + JsonString(user.UserName) + ",\"status\":" + JsonString(user.Status) +
           ",\"extension\":" + JsonString(user.Extension) + ",\"department\":" + JsonString(user.Department) +
           ",\"comments\":" + JsonString(user.Comments) + ",\"computer\":" + JsonString(user.ComputerName);
}

std::string AdministratorJsonMember(const TQelUser& user) {
    return std::string(",\"administrator\":") + (user.Administrator == 1 ? "true" : "false");
}

std::string BoardJson(const std::vector<TUserRow>& rows, const std::optional<std::string>& department) {
    std::string text = "[";
    for (const TUserRow& row : rows) {
        const TQelUser& user = row.User;
        if (department && user.Department != *department)
            continue;
        text += text.size() == 1 ? "{" : ",{";
        text += UserJsonMembers(user) + ",\"image\":" + std::to_string(StatusImageIndex(user.Status)) +
                AdministratorJsonMember(user) + "}";
    }
    return text + "]";
}

const TUserRow* FindComputer(const std::vector<TUserRow>& rows, const std::string& computerName) {
    for (const TUserRow& row : rows)
        if (row.User.ComputerName == computerName)
            return &row;
    return nullptr;
}

} // namespace qel::cli
