#include "records/QelCatalogue.h"

#include "platform/Platform.h"
#include "records/RecordsCommon.h"

namespace qel {

namespace {
// The one field of a catalogue record, also its name index.
constexpr int NameField = 1;
constexpr int16_t NameIndex = 1;
constexpr int16_t PrimaryIndex = 0;

TFieldLayout ParseLayout(const char* text) {
    auto layout = TFieldLayout::Parse(text);
    return layout ? *layout : TFieldLayout{};
}
} // namespace

TQelCatalogue::TQelCatalogue(TQelContext& context, const TCatalogueKind& kind)
    : FContext(context), FKind(kind), FLayout(ParseLayout(kind.Layout)), FIsam(context.EngineFolder) {
    CheckEngineLoaded(FIsam, FContext);
}

size_t TQelCatalogue::MaxNameLength() const {
    return FLayout.Field(NameField).Size - 1;
}

std::string TQelCatalogue::DatasetPath() const {
    return DatabaseFolder(FContext.Settings) + FKind.DatasetName;
}

bool TQelCatalogue::DatasetFileExists() const {
    return FContext.Platform.FileExists(DatasetPath() + ".isd");
}

bool TQelCatalogue::CreateEmptyDataset() {
    return FIsam.CreateDataset(DatasetPath(), DatasetKeyLength, FKind.Layout);
}

bool TQelCatalogue::OpenDataset() {
    return FIsam.OpenDataset(DatasetPath(), DatasetOpenMode, FKind.Layout);
}

bool TQelCatalogue::CheckLength(const std::string& name) {
    if (name.size() <= MaxNameLength())
        return true;
    FContext.Boxes.ShowError(std::string(FKind.Noun) + " \"" + name + "\" is too long: at most " +
                             std::to_string(MaxNameLength()) + " characters");
    return false;
}

bool TQelCatalogue::CreateWithNames(const std::vector<std::string>& names, std::string* error) {
    std::vector<TRecordBuffer> records;
    for (const std::string& name : names) {
        records.emplace_back(FLayout);
        records.back().SetText(NameField, name);
    }
    return CreateSeededDataset(FContext.Platform, FIsam, DatasetPath(), FKind.Layout, records, error) !=
           TSeededCreate::Failed;
}

void TQelCatalogue::AddName(const std::string& name) {
    if (!CheckLength(name))
        return;
    TDeferredBoxes boxes(FContext.Boxes);
    if (!OpenDataset()) {
        boxes.Error(EngineErrorText(FIsam));
        return;
    }
    TCloseOnExit closer{FIsam};
    TRecordBuffer buffer(FLayout);
    if (FIsam.GetRecord(buffer.Data(), NameIndex, name)) {
        boxes.Warning(std::string(FKind.Noun) + " \"" + name + "\" already exists");
        return;
    }
    // Only a name that is not there is added; a lookup that failed for any
    // other reason (a damaged or unopened dataset) is reported instead.
    if (FIsam.LastError() != IsamNotFound) {
        boxes.Error(EngineErrorText(FIsam));
        return;
    }
    buffer.SetText(NameField, name);
    if (!FIsam.AddRecord(buffer.Data(), {}))
        boxes.Error(EngineErrorText(FIsam));
}

void TQelCatalogue::DeleteNumber(int32_t recordNumber) {
    TDeferredBoxes boxes(FContext.Boxes);
    if (!OpenDataset()) {
        boxes.Error(EngineErrorText(FIsam));
        return;
    }
    TCloseOnExit closer{FIsam};
    if (!FIsam.DeleteRecord(FormatKey(recordNumber)))
        boxes.Error(EngineErrorText(FIsam));
}

void TQelCatalogue::RenameName(const std::string& oldName, const std::string& newName) {
    if (!CheckLength(newName))
        return;
    TDeferredBoxes boxes(FContext.Boxes);
    if (!OpenDataset()) {
        boxes.Error(EngineErrorText(FIsam));
        return;
    }
    TCloseOnExit closer{FIsam};
    TRecordBuffer buffer(FLayout);
    if (!FIsam.GetRecord(buffer.Data(), NameIndex, oldName)) {
        boxes.Error(EngineErrorText(FIsam));
        return;
    }
    // The key just read: the entry keeps its number and its place.
    const std::string key = FIsam.CurrentKey();
    buffer.SetText(NameField, newName);
    if (!FIsam.UpdateRecord(buffer.Data(), key))
        boxes.Error(EngineErrorText(FIsam));
}

std::string TQelCatalogue::NameOf(int32_t recordNumber) {
    TDeferredBoxes boxes(FContext.Boxes);
    if (!OpenDataset()) {
        boxes.Error(EngineErrorText(FIsam));
        return {};
    }
    TCloseOnExit closer{FIsam};
    TRecordBuffer buffer(FLayout);
    if (!FIsam.GetRecord(buffer.Data(), PrimaryIndex, FormatKey(recordNumber))) {
        boxes.Error(EngineErrorText(FIsam));
        return {};
    }
    return buffer.GetText(NameField);
}

bool TQelCatalogue::ReadEntries(std::vector<TEntry>* entries) {
    TRecordBuffer buffer(FLayout);
    std::string error;
    if (ReadInKeyOrder(FIsam, DatasetPath(), FKind.Layout, buffer, true, &error, [&](const std::string& key) {
            entries->push_back({buffer.GetText(NameField), KeyToNumber(key)});
        }))
        return true;
    FContext.Boxes.ShowError(error);
    return false;
}

bool TQelCatalogue::LoadEntries(INumberedList& items, bool bracket, const std::string* except) {
    std::vector<TEntry> entries;
    if (!ReadEntries(&entries))
        return false;
    if (bracket)
        items.BeginUpdate();
    items.Clear();
    for (const TEntry& entry : entries)
        if (!except || entry.Name != *except)
            items.Add(entry.Name, entry.Number);
    if (bracket)
        items.EndUpdate();
    return true;
}

} // namespace qel
