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
// search). Nullopt when the dataset cannot be opened; *error then holds the
// engine's text and detail.
std::optional<std::vector<TUserRow>> ReadUsers(const std::string& datasetPath, const std::string& engineFolder,
                                               std::string* error);

// The row whose computer name equals `computerName` exactly; null if none.
const TUserRow* FindComputer(const std::vector<TUserRow>& rows, const std::string& computerName);

} // namespace qel::cli
