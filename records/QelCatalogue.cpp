#include "records/QelCatalogue.h"

#include "platform/Platform.h"
#include "records/RecordsCommon.h"

namespace qel {

namespace {
// The one field of a catalogue record, also its name index.
constexpr int NameField = 1;
constexpr int16_t NameIndex = 1;
constexpr int16_t PrimaryIndex = 0;

// Closes the dataset when the scope ends, also when a list callback throws.
struct TCloseOnExit {
    TIsamFile& Isam;
    ~TCloseOnExit() { Isam.CloseDataset(); }
};

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

void TQelCatalogue::ShowEngineError() {
    FContext.Boxes.ShowError(EngineErrorText(FIsam));
}

bool TQelCatalogue::CheckLength(const std::string& name) {
    if (name.size() <= MaxNameLength())
        return true;
    FContext.Boxes.ShowError(std::string(FKind.Noun) + " \"" + name + "\" is too long: at most " +
                             std::to_string(MaxNameLength()) + " characters");
    return false;
}

void TQelCatalogue::SeedNames(const std::vector<std::string>& names) {
    OpenDataset();
    TRecordBuffer buffer(FLayout);
    for (const std::string& name : names) {
        buffer.SetText(NameField, name);
        if (!FIsam.AddRecord(buffer.Data(), {}))
            ShowEngineError();
    }
    FIsam.CloseDataset();
}

void TQelCatalogue::AddName(const std::string& name) {
    if (!CheckLength(name))
        return;
    OpenDataset();
    TRecordBuffer buffer(FLayout);
    if (FIsam.GetRecord(buffer.Data(), NameIndex, name)) {
        FContext.Boxes.ShowWarning(std::string(FKind.Noun) + " \"" + name + "\" already exists");
    } else {
        buffer.SetText(NameField, name);
        if (!FIsam.AddRecord(buffer.Data(), {}))
            ShowEngineError();
    }
    FIsam.CloseDataset();
}

void TQelCatalogue::DeleteNumber(int32_t recordNumber) {
    OpenDataset();
    if (!FIsam.DeleteRecord(FormatKey(recordNumber)))
        ShowEngineError();
    FIsam.CloseDataset();
}

void TQelCatalogue::RenameName(const std::string& oldName, const std::string& newName) {
    if (!CheckLength(newName))
        return;
    OpenDataset();
    TRecordBuffer buffer(FLayout);
    if (!FIsam.GetRecord(buffer.Data(), NameIndex, oldName)) {
        ShowEngineError();
    } else {
        // The key just read: the entry keeps its number and its place.
        const std::string key = FIsam.CurrentKey();
        buffer.SetText(NameField, newName);
        if (!FIsam.UpdateRecord(buffer.Data(), key))
            ShowEngineError();
    }
    FIsam.CloseDataset();
}

std::string TQelCatalogue::NameOf(int32_t recordNumber) {
    OpenDataset();
    TRecordBuffer buffer(FLayout);
    std::string name;
    if (FIsam.GetRecord(buffer.Data(), PrimaryIndex, FormatKey(recordNumber)))
        name = buffer.GetText(NameField);
    else
        ShowEngineError();
    FIsam.CloseDataset();
    return name;
}

void TQelCatalogue::ScanInKeyOrder(const std::function<void()>& start,
                                   const std::function<void(const std::string& name, int32_t number)>& each) {
    OpenDataset();
    TCloseOnExit closer{FIsam};
    FIsam.GoTop(PrimaryIndex);
    start();
    TRecordBuffer buffer(FLayout);
    while (FIsam.GetNextRecord(buffer.Data(), PrimaryIndex, {}, ReadOptions))
        each(buffer.GetText(NameField), KeyToNumber(FIsam.CurrentKey()));
}

} // namespace qel
