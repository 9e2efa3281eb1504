#pragma once

#include <cstdint>
#include <string>

namespace qel {

// One dataset handle of the ISAM engine (libqelisam.so), with Boolean
// operations and the engine's result code kept in LastError().
//
// Two states: Closed (initial) and Open. OpenDataset and CreateDataset on an
// open object fail with 23; record operations, GoTop, GoBottom and
// CloseDataset on a closed object fail with 4 without calling the engine.
// Every other operation stores the code of its own engine call. Nothing is
// raised: callers test the result and show ErrorText() and ErrorDetail().
//
// The engine is loaded once per process and never unloaded. The table of its
// entry points is shared by all objects.
class TIsamFile {
public:
    // Loads the engine from `EngineFolder` (when not empty) or else from
    // beside the program, then through the normal library search.
    // EngineLoaded() tells whether all fifteen entry points were found.
    explicit TIsamFile(const std::string& EngineFolder = {});
    // Closes an open dataset, ignoring the result.
    ~TIsamFile();
    TIsamFile(const TIsamFile&) = delete;
    TIsamFile& operator=(const TIsamFile&) = delete;

    // `Name` is the dataset's full path without extension.
    bool OpenDataset(const std::string& Name, int16_t Mode);
    bool CloseDataset();
    // The new dataset is left closed.
    bool CreateDataset(const std::string& Name, int16_t KeySize, const std::string& Layout);

    // `Buffer` must hold a whole record of the dataset's layout.
    // An empty `Key` numbers the record with NextKey(); if another copy took
    // that key meanwhile (code 2) a fresh key is tried, a few times at most.
    // CurrentKey() is the key used by the last try, whether it succeeded or not.
    bool AddRecord(const void* Buffer, const std::string& Key);
    bool UpdateRecord(const void* Buffer, const std::string& Key);
    bool DeleteRecord(const std::string& Key);

    // Reads fill `Buffer` with the whole record on success and leave it
    // untouched on failure; CurrentKey() and IndexValue() get the returned
    // texts whatever the code.
    bool GetRecord(void* Buffer, int16_t Index, const std::string& Key);
    bool GetNextRecord(void* Buffer, int16_t Index, const std::string& Key, int16_t Options);
    bool GetPriorRecord(void* Buffer, int16_t Index, const std::string& Key, int16_t Options);
    bool GoTop(int16_t Index);
    bool GoBottom(int16_t Index);

    // -1 when the engine call fails.
    int32_t RecordCount();
    int16_t KeyLength();
    // One above the highest key present, zero-padded to the key length
    // ("0000000001" for an empty dataset); empty when it cannot be read.
    std::string NextKey();

    std::string ErrorText() const;
    std::string ErrorDetail() const;

    bool IsOpen() const { return FIsOpen; }
    uint32_t Handle() const { return FHandle; }
    const std::string& DatasetName() const { return FDatasetName; }
    const std::string& Version() const { return FVersion; }
    const std::string& CurrentKey() const { return FCurrentKey; }
    const std::string& IndexValue() const { return FIndexValue; }
    int16_t LastError() const { return FLastError; }
    bool EngineLoaded() const { return FEngineLoaded; }

private:
    bool Read(void* Buffer, int16_t Index, int16_t ReadMode, const std::string& Key);

    bool FIsOpen = false;
    uint32_t FHandle = 0;
    std::string FDatasetName;
    std::string FVersion;
    std::string FCurrentKey;
    std::string FIndexValue;
    int16_t FLastError = 0;
    bool FEngineLoaded = false;
};

// Texts of a result code, as ErrorText()/ErrorDetail() give them.
std::string IsamErrorText(int16_t code);
std::string IsamErrorDetail(int16_t code);

// Message for a missing engine library on this platform.
extern const char* const EngineMissingText;

} // namespace qel
