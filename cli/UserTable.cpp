#include "cli/UserTable.h"

#include "cli/CliText.h"
#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelFile.h"
#include "records/RecordsCommon.h"

#include <algorithm>

namespace qel::cli {

std::optional<std::vector<TUserRow>> ReadUsers(const std::string& datasetPath, const std::string& engineFolder,
                                               std::string* error) {
    TIsamFile isam(engineFolder);
    if (!isam.EngineLoaded()) {
        *error = EngineMissingText;
        return std::nullopt;
    }
    std::vector<TUserRow> rows;
    TRecordBuffer buffer(UsersLayout());
    if (!ReadInKeyOrder(isam, datasetPath, UsersLayoutText, buffer, false, error, [&](const std::string& key) {
            rows.push_back({key, ReadUserRecord(buffer)});
        })) {
        std::replace(error->begin(), error->end(), '\r', '\n');
        return std::nullopt;
    }
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
