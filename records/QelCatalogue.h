#pragma once

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelContext.h"
#include "records/UiPorts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qel {

// What tells one catalogue of names apart from another.
struct TCatalogueKind {
    const char* DatasetName; // in the database folder, without extension: "QelStats"
    const char* Layout;      // one indexed text field: "X$*31"
    const char* Noun;        // first word of the duplicate warning: "Status"
};

// A shared pick list of names: one dataset in the database folder, one indexed
// text field per record, records numbered in the order they were added.
//
// Every operation reads the database folder from the settings file, opens the
// dataset, works and closes it again; nothing stays open between calls. An
// engine failure is shown in an error box (ErrorText, CR, ErrorDetail) and the
// operation carries on as far as it can; nothing is raised. Every box is shown
// after the dataset is closed again.
class TQelCatalogue {
public:
    TQelCatalogue(const TQelCatalogue&) = delete;
    TQelCatalogue& operator=(const TQelCatalogue&) = delete;

    // Longest name the catalogue stores, in bytes (field size less the NUL).
    size_t MaxNameLength() const;

protected:
    // Makes the dataset handle; a missing engine shows its box and asks the
    // application to end (the object is still made).
    TQelCatalogue(TQelContext& context, const TCatalogueKind& kind);
    ~TQelCatalogue() = default;

    // Database folder + dataset name, read from the settings file now.
    std::string DatasetPath() const;
    // The dataset's file exists in the database folder.
    bool DatasetFileExists() const;
    // Creates the empty dataset (left closed). Returns the engine's verdict.
    bool CreateEmptyDataset();
    // Creates the dataset with `names` in it from the start (see
    // CreateSeededDataset); a dataset another copy made first is left as it
    // is. False when it failed, with the reason in *error; nothing is shown
    // and nothing is made.
    bool CreateWithNames(const std::vector<std::string>& names, std::string* error);

    // Adds `name` unless the name index already holds it (warning box,
    // `Noun "name" already exists`). A name too long for the field is
    // refused with an error box; nothing is written.
    void AddName(const std::string& name);
    // Deletes the record numbered `recordNumber`.
    void DeleteNumber(int32_t recordNumber);
    // Finds `oldName` on the name index and writes `newName` under the same
    // key. A failed lookup writes nothing.
    void RenameName(const std::string& oldName, const std::string& newName);
    // The name of record `recordNumber`; empty when it cannot be read.
    std::string NameOf(int32_t recordNumber);
    // One record: its name and its record number.
    struct TEntry {
        std::string Name;
        int32_t Number;
    };
    // Every record in key order into *entries. A missing dataset has none.
    // When the dataset cannot be opened or a read fails (anything but the end
    // of the records), shows the engine error and returns false.
    bool ReadEntries(std::vector<TEntry>* entries);
    // ReadEntries, then, only when it succeeded, `items` refilled with every
    // entry but one named *except (when given), inside an update bracket when
    // `bracket`. A failed read leaves `items` as it was.
    bool LoadEntries(INumberedList& items, bool bracket, const std::string* except = nullptr);

    TQelContext& FContext;

private:
    bool OpenDataset();
    // True when `name` fits the field; otherwise shows the refusal box.
    bool CheckLength(const std::string& name);

    TCatalogueKind FKind;
    TFieldLayout FLayout;
    TIsamFile FIsam;
};

} // namespace qel
