#pragma once

#include "records/QelCatalogue.h"

#include <array>

namespace qel {

// The ten statuses written into a new catalogue, in this order (keys
// 0000000001 to 0000000010).
inline const std::array<const char*, 10> BuiltInStatuses = {
    "At lunch",   "Available", "Away from desk", "DND",           "Gone home",
    "In meeting", "Offline",   "On holiday",     "Out of office", "Off sick"};

// The status catalogue: the shared dataset QelStats (one name of at most 30
// characters per record) in the database folder named by the settings file.
// Engine failures are shown in error boxes; see TQelCatalogue.
class TQelStatus : public TQelCatalogue {
public:
    // A missing engine shows its error box and asks the application to end.
    explicit TQelStatus(TQelContext& context);

    // When QelStats.isd is missing: creates it with the ten built-in statuses
    // in it from the start (a failure shows one error box and makes nothing;
    // one another copy made first is kept). When it exists: does nothing.
    void CreateStatusDataset();
    // The same without a box: false, with the reason in *error, when the
    // catalogue was missing and could not be made.
    bool CreateIfMissing(std::string* error);
    // Adds `Name` with the next key. An existing name gives the warning
    // `Status "Name" already exists` and adds nothing; a name longer than
    // 30 characters is refused with an error box.
    void AddStatus(const std::string& Name);
    // Deletes the status numbered `RecordNumber`; built-ins are not refused.
    void DeleteStatus(int32_t RecordNumber);
    // Gives the status named `OldName` the name `NewName`, keeping its key.
    // A missing `OldName` shows the engine's error and writes nothing.
    void RenameStatus(const std::string& OldName, const std::string& NewName);
    // Clears `Items` and fills it with every status in key order, each with
    // its record number. No update bracket. A missing catalogue has none.
    // When the catalogue cannot be read, shows the engine error, leaves
    // `Items` as they were and returns false.
    bool LoadStatuses(INumberedList& Items);
    // As LoadStatuses, inside one update bracket, without "Offline".
    bool LoadSelectableStatuses(INumberedList& Items);
    // The name of status `RecordNumber`; empty (after the error box) when it
    // cannot be read.
    std::string GetStatusName(int32_t RecordNumber);
    // `Name` is exactly one of the ten built-in names. Reads nothing.
    static bool IsBuiltInStatus(const std::string& Name);
};

} // namespace qel
