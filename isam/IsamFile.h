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
// entry points is shared by all objects: each object that finds a complete
// library fills it again. While no complete library has been loaded in the
// process, every operation that would call the engine fails with 21.
// One object is used from one thread at a time; objects on different threads
// are independent.
class TIsamFile {
public:
    // Loads the engine from `EngineFolder` (when not empty) only, or else from
    // beside the program, then through the normal library search.
    // EngineLoaded() tells whether all fifteen entry points (and SysFreeString)
    // were found; a library that lacks one leaves the shared table as it was.
    explicit TIsamFile(const std::string& EngineFolder = {});
    // Closes an open dataset, ignoring the result.
    ~TIsamFile();
    TIsamFile(const TIsamFile&) = delete;
    TIsamFile& operator=(const TIsamFile&) = delete;

    // `Name` is the dataset's full path without extension. On success the
    // object is Open and DatasetName() is `Name`; on failure nothing changes.
    bool OpenDataset(const std::string& Name, int16_t Mode);
    // The same for a caller whose record buffers are of `Layout`: a dataset
    // that stores another layout is closed again and refused with 5 before
    // any record is read, so no read can fill more than such a buffer holds.
    // An engine that cannot report the stored layout refuses with its code.
    bool OpenDataset(const std::string& Name, int16_t Mode, const std::string& Layout);
    // On success Handle() is 0 and DatasetName() empty; on failure the object
    // stays open.
    bool CloseDataset();
    // The new dataset is left closed.
    bool CreateDataset(const std::string& Name, int16_t KeySize, const std::string& Layout);

    // `Buffer` must hold a whole record of the dataset's layout.
    // An empty `Key` numbers the record with NextKey(); if another copy took
    // that key meanwhile (code 2) a fresh key is tried, a few times at most.
    // CurrentKey() is the key used by the last try, whether it succeeded or not.
    // When NextKey() cannot form a key the add fails without a put, with
    // NextKey's code and an empty CurrentKey(). An explicit `Key` is tried once.
    bool AddRecord(const void* Buffer, const std::string& Key);
    // Replaces the record with `Key`; CurrentKey() becomes `Key`.
    bool UpdateRecord(const void* Buffer, const std::string& Key);
    bool DeleteRecord(const std::string& Key);

    // A read that fails with 1 is the end (or, for GetRecord, no such
    // record); any other code is an error, never a shorter list: a damaged
    // record (cut short, of the wrong type, oversize, or with index values
    // unlike its data) gives 15, a failing disk 14.
    // Reads fill `Buffer` with the whole record on success and leave it
    // untouched on failure; CurrentKey() and IndexValue() get the returned
    // texts whatever the code (empty on failure). The sequential reads use mode
    // 0x1002 + Options (next) and 0x1004 + Options (previous); a sum outside
    // the 16-bit range fails with 7 without calling the engine.
    bool GetRecord(void* Buffer, int16_t Index, const std::string& Key);
    bool GetNextRecord(void* Buffer, int16_t Index, const std::string& Key, int16_t Options);
    bool GetPriorRecord(void* Buffer, int16_t Index, const std::string& Key, int16_t Options);
    bool GoTop(int16_t Index);
    bool GoBottom(int16_t Index);

    // From the engine's info record, open or not; -1 when the engine call fails.
    // Only RecordCount makes the engine count the records.
    int32_t RecordCount();
    int16_t KeyLength();
    // One above the highest numeric key present, zero-padded to the key
    // length ("0000000001" when there is none). Keys that are not all digits,
    // not of the key length, or not below 2147483647 are passed over. Empty
    // when the position, the key length or a key cannot be read (LastError()
    // holds that code), and with 7 when the next key would be longer than the
    // key length.
    std::string NextKey();

    std::string ErrorText() const;
    // IsamErrorDetail(LastError()), except that a failure about the dataset's
    // file (permission denied, missing folder, not a dataset, damaged, a
    // read/write error, another layout) says so and names the file.
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
    // `ReadMode` is checked against the 16-bit range before the engine sees it.
    bool Read(void* Buffer, int16_t Index, int ReadMode, const std::string& Key);
    // BOF (`First`) or EOF on the open dataset.
    bool ToEnd(int16_t Index, bool First);
    // IsmInfo on the handle (counting the records only with `Count`); false
    // with LastError() set when it fails.
    bool ReadInfo(int32_t& RecordCount, int16_t& KeyLength, bool Count);
    // Sets LastError() to `Code` from an operation on the file of dataset
    // `Name`, with the detail that names the file when there is one.
    bool Result(int16_t Code, const std::string& Name);

    bool FIsOpen = false;
    uint32_t FHandle = 0;
    std::string FDatasetName;
    std::string FVersion;
    std::string FCurrentKey;
    std::string FIndexValue;
    int16_t FLastError = 0;
    std::string FFileDetail; // the detail of code FFileDetailCode, naming a file
    int16_t FFileDetailCode = 0;
    bool FEngineLoaded = false;
};

// Texts of a result code, as ErrorText()/ErrorDetail() give them.
std::string IsamErrorText(int16_t code);
std::string IsamErrorDetail(int16_t code);

// Message for a missing engine library on this platform.
extern const char* const EngineMissingText;

} // namespace qel
