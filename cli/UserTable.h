#pragma once

#include "records/QelUser.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qel::cli {

// One users record with its primary key, as the board and the user
// commands show it.
struct TUserRow {
    std::string Key;
    TQelUser User;
};

// Every record of the users dataset `datasetPath` (full path without
// extension) in key order, read in one open-read-close pass with an engine
// handle from `engineFolder` (empty: beside the program, then the library
// search). Nullopt when the dataset cannot be opened or a read fails for any
// reason but the end of the records; *error then holds the engine's text and
// detail on two lines.
std::optional<std::vector<TUserRow>> ReadUsers(const std::string& datasetPath, const std::string& engineFolder,
                                               std::string* error);

// The board as `board --json` prints it, without the line feed: an array of
// objects with "user", "status", "extension", "department", "comments",
// "computer", "image" and "administrator", in key order; only the rows of
// `department` (exact comparison) when it is given.
std::string BoardJson(const std::vector<TUserRow>& rows, const std::optional<std::string>& department);
// The members "user" to "computer" of such an object, and ",\"administrator\":
// true/false".
std::string UserJsonMembers(const TQelUser& user);
std::string AdministratorJsonMember(const TQelUser& user);

// The row whose computer name equals `computerName` exactly; null if none.
const TUserRow* FindComputer(const std::vector<TUserRow>& rows, const std::string& computerName);

} // namespace qel::cli
