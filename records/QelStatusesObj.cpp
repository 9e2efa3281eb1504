#include "records/QelStatusesObj.h"

#include <algorithm>

namespace qel {

namespace {
const TCatalogueKind StatusCatalogue{"QelStats", "X$*31", "Status"};
// Never offered for selection.
const std::string OfflineStatus = "Offline";

struct TUpdateBracket {
    INumberedList& Items;
    explicit TUpdateBracket(INumberedList& items) : Items(items) { Items.BeginUpdate(); }
    ~TUpdateBracket() { Items.EndUpdate(); }
};
} // namespace

TQelStatus::TQelStatus(TQelContext& context) : TQelCatalogue(context, StatusCatalogue) {}

void TQelStatus::CreateStatusDataset() {
    if (DatasetFileExists())
        return;
    CreateEmptyDataset();
    SeedNames({BuiltInStatuses.begin(), BuiltInStatuses.end()});
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

void TQelStatus::LoadStatuses(INumberedList& Items) {
    ScanInKeyOrder([&] { Items.Clear(); }, [&](const std::string& name, int32_t number) { Items.Add(name, number); });
}

void TQelStatus::LoadSelectableStatuses(INumberedList& Items) {
    TUpdateBracket bracket(Items);
    ScanInKeyOrder([&] { Items.Clear(); },
                   [&](const std::string& name, int32_t number) {
                       if (name != OfflineStatus)
                           Items.Add(name, number);
                   });
}

std::string TQelStatus::GetStatusName(int32_t RecordNumber) {
    return NameOf(RecordNumber);
}

bool TQelStatus::IsBuiltInStatus(const std::string& Name) {
    return std::any_of(BuiltInStatuses.begin(), BuiltInStatuses.end(),
                       [&](const char* builtIn) { return Name == builtIn; });
}

} // namespace qel
