#pragma once

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelContext.h"
#include "records/UiPorts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

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
// operation carries on as far as it can; nothing is raised.
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
    // Opens the dataset and adds `names` in order, one error box per failed
    // add; closes it again.
    void SeedNames(const std::vector<std::string>& names);

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
    // Opens the dataset, positions before the first key, calls `start`, then
    // `each` for every record in key order with its name and record number.
    void ScanInKeyOrder(const std::function<void()>& start,
                        const std::function<void(const std::string& name, int32_t number)>& each);

    TQelContext& FContext;

private:
    bool OpenDataset();
    void ShowEngineError();
    // True when `name` fits the field; otherwise shows the refusal box.
    bool CheckLength(const std::string& name);

    TCatalogueKind FKind;
    TFieldLayout FLayout;
    TIsamFile FIsam;
};

} // namespace qel
