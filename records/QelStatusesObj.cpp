#include "records/QelStatusesObj.h"

#include <algorithm>

namespace qel {

namespace {
const TCatalogueKind StatusCatalogue{"QelStats", "X$*31", "Status"};
// Never offered for selection.
const std::string OfflineStatus = "Offline";

} // namespace

TQelStatus::TQelStatus(TQelContext& context) : TQelCatalogue(context, StatusCatalogue) {}

void TQelStatus::CreateStatusDataset() {
    std::string error;
    if (!CreateIfMissing(&error))
        FContext.Boxes.ShowError(error);
}

bool TQelStatus::CreateIfMissing(std::string* error) {
    return DatasetFileExists() || CreateWithNames({BuiltInStatuses.begin(), BuiltInStatuses.end()}, error);
}

void TQelStatus::AddStatus(const std::string& Name) {
    AddName(Name);
}

void TQelStatus::DeleteStatus(int32_t RecordNumber) {
    DeleteNumber(RecordNumber);
}

void TQelStatus::RenameStatus(const std::string& OldName, const std::string& NewName) {
    RenameName(OldName, NewName);
}

bool TQelStatus::LoadStatuses(INumberedList& Items) {
    return LoadEntries(Items, false);
}

bool TQelStatus::LoadSelectableStatuses(INumberedList& Items) {
    const std::string offline = OfflineStatus;
    return LoadEntries(Items, true, &offline);
}

std::string TQelStatus::GetStatusName(int32_t RecordNumber) {
    return NameOf(RecordNumber);
}

bool TQelStatus::IsBuiltInStatus(const std::string& Name) {
    return std::any_of(BuiltInStatuses.begin(), BuiltInStatuses.end(),
                       [&](const char* builtIn) { return Name == builtIn; });
}

} // namespace qel
