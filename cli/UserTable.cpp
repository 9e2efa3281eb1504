#include "cli/UserTable.h"

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
    isam.CloseDataset();
    return rows;
}

const TUserRow* FindComputer(const std::vector<TUserRow>& rows, const std::string& computerName) {
    for (const TUserRow& row : rows)
        if (row.User.ComputerName == computerName)
            return &row;
    return nullptr;
}

} // namespace qel::cli
