#pragma once

#include "cli/EmbeddedFiles.h"
#include "cli/UserTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What `qelctl serve` sends: the board as an HTML page, as an event and the
// files compiled into the program. Plain functions of their arguments, no I/O.
namespace qel::cli {

// The users dataset as read after one change of its stamp, or why it could
// not be read. Shared read-only between the server's threads once made.
struct TBoardSnapshot {
    // 1 for the first read, one more for each later one.
    uint64_t Version = 0;
    // Every record in key order; empty when the read failed.
    std::optional<std::vector<TUserRow>> Rows;
    // Why the read failed (one line or more); empty when it did not.
    std::string Error;
    // Modification time of the users file in nanoseconds; -1 when unknown.
    int64_t ChangedNs = -1;
    // BoardJson of all rows, made once per read for the many requests that
    // ask for the whole board.
    std::string AllJson;
};

struct TPageOptions {
    // Only this department's users (exact comparison); all when empty.
    std::optional<std::string> Department;
    // Large type, the clock, no links.
    bool Kiosk = false;
    // Links to every department on the board (not in the kiosk).
    bool DepartmentLinks = true;
    // The time the page is made, shown by the kiosk's clock until the script
    // takes over ("HH:MM").
    std::string Clock;
};

// `text` for HTML text and quoted attribute values: & < > " ' as references.
std::string HtmlEscape(std::string_view text);
// Local time "YYYY-MM-DD HH:MM:SS" of a time in nanoseconds since the epoch;
// empty for a negative time.
std::string FormatLocalTime(int64_t ns);

// The whole page. A failed read gives a page that says what failed, with no
// rows (an error never looks like a shorter board).
std::string BoardPage(const TBoardSnapshot& snapshot, const TPageOptions& options);
// One event of the stream, a JSON object: "changed" (FormatLocalTime of the
// stamp), "error" (null or the text) and "users" (BoardJson of the
// department's rows, or null after a failed read).
std::string BoardEvent(const TBoardSnapshot& snapshot, const std::optional<std::string>& department);

// The compiled-in file called `name` (such as "board.js"); null if none.
const TEmbeddedFile* FindEmbeddedFile(std::string_view name);
// The image of status image index `index` (as StatusImageIndex gives it);
// null for an index no status has.
const TEmbeddedFile* StatusImage(int index);

} // namespace qel::cli
