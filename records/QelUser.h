#pragma once

#include <cstdint>
#include <string>

namespace qel {

class TPlatform;

// A user record held in memory. A user is a computer: ComputerName is the
// identity, UserName only a display name.
class TQelUser {
public:
    // Status "Available", UserName the login name and ComputerName the
    // computer name (both upper case), the other texts empty, Administrator 0.
    explicit TQelUser(TPlatform& platform);
    TQelUser() = default;

    std::string UserName;
    std::string Status = "Available";
    std::string Extension;
    std::string Department;
    std::string Comments;
    std::string ComputerName;
    int16_t Administrator = 0;

    bool operator==(const TQelUser&) const = default;
};

} // namespace qel
