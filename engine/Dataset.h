#pragma once

// One open dataset: a SQLite connection on N.isd with its layout, its cached
// statements and the handle's read position in every index. Used only by the
// C entry points in qelisam.cpp, which serialize every call.
//
// Locking. A run of reads (the reads after a positioning call) runs in one
// read transaction, so it takes the file's shared lock once; the sequential
// reads of a run keep stepping one statement instead of seeking per record.
// The run ends, and the lock goes, when the handle writes, positions, closes,
// reads past an end, or when any handle of the process writes. The open's
// check of the file is the first run: a positioning call that comes first
// continues it instead of ending it. While a run
// lasts no other program can commit, so what it reads is the dataset as it is.

#include "isam/FieldLayout.h"

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qel::engine {

// The engine's result code for a SQLite result code. The only place where
// SQLite codes become engine codes.
int16_t EngineCode(int sqliteCode);

// Creates the empty dataset file `path` (N.isd) exclusively. Returns 0, or 9
// when the file exists (it is never opened or changed), 13 when the folder is
// missing or not writable, or another engine code.
int16_t CreateDataset(const std::string& path, int keyLength, const TFieldLayout& layout,
                      const std::string& layoutText);

// A record as read: the primary key, its stored value in the index read (for
// index 0 the key) and the record's bytes.
struct TRecord {
    std::string Key;
    std::string Value;
    std::string Data;
};

class TDataset {
public:
    // Opens `path` (N.isd). On 0, *dataset holds the new dataset; otherwise it
    // is left empty. Missing file 1, missing folder 13, not ours 8, damaged 15.
    static int16_t Open(const std::string& path, std::unique_ptr<TDataset>* dataset);
    ~TDataset();
    TDataset(const TDataset&) = delete;
    TDataset& operator=(const TDataset&) = delete;

    const TFieldLayout& Layout() const { return FLayout; }
    // The layout text the dataset was created with.
    const std::string& LayoutText() const { return FLayoutText; }
    int KeyLength() const { return FKeyLength; }
    // True when `index` is 0 or the position of an "X" field.
    bool ValidIndex(int index) const;
    // The text form of a stored index value (a 16-bit field gives decimal).
    std::string ValueText(int index, const std::string& value) const;

    // Positioning before the first / after the last record of `index`; ends
    // the run of reads.
    void ToFirst(int index);
    void ToLast(int index);
    // Reads relative to the index position and moves it (see qelisam.h).
    int16_t ReadEqual(int index, const std::string& value, TRecord* record);
    int16_t ReadNext(int index, TRecord* record);
    int16_t ReadPrevious(int index, TRecord* record);

    // mode 1 adds, mode 2 replaces; `data` holds the record length's bytes.
    int16_t Put(const std::string& key, const unsigned char* data, bool replace);
    int16_t Delete(const std::string& key);
    int16_t Count(int32_t* count);

    // Ends the read transaction that a run of reads keeps, if there is one.
    void EndRead();

private:
    // The statements are prepared on first use: an open that only reads by
    // one index prepares just what it steps.
    enum class TReadKind { Equal, First, Last, After, Before, Kinds };
    enum class TRecordKind { Insert, Update, Delete, Count, Kinds };
    // Statements of one index, by TReadKind.
    struct TIndexStatements {
        std::array<sqlite3_stmt*, static_cast<size_t>(TReadKind::Kinds)> Reads{};
        // The sequential statement a run of reads is stepping, if any.
        sqlite3_stmt* Cursor = nullptr;
        bool CursorForward = true;
    };
    // Where a handle stands in one index.
    struct TPosition {
        enum class TWhere { BeforeFirst, On, AfterLast };
        TWhere Where = TWhere::BeforeFirst;
        std::string Value;
        std::string Key;
        // On `record`, reusing the strings' storage.
        void Set(const TRecord& record) {
            Where = TWhere::On;
            Value.assign(record.Value);
            Key.assign(record.Key);
        }
    };

    TDataset(sqlite3* db, std::string path, TFieldLayout layout, int keyLength);
    int16_t Verify();
    int16_t Prepare(const std::string& sql, sqlite3_stmt** statement);
    int16_t IndexStatement(int index, TReadKind kind, sqlite3_stmt** statement);
    int16_t RecordStatement(TRecordKind kind, sqlite3_stmt** statement);
    int16_t BeginRead();
    // The statement cache of `index`, inside the handle's read transaction.
    int16_t StartRead(int index, TIndexStatements** statements);
    int16_t Exec(sqlite3_stmt* statement);
    void Rollback();
    // Steps `statement` once: 0 with the row in *record (its value in
    // `index`), 1 when done, 15 for a row that is not whole and consistent.
    int16_t Fetch(sqlite3_stmt* statement, int index, TRecord* record);
    // Whether result column `column` is the blob that index `position` holds
    // for the record `data`.
    bool IndexValueMatches(int position, const unsigned char* data, sqlite3_stmt* statement, int column) const;
    void DropCursor(TIndexStatements& statements);
    int16_t ReadStep(int index, TRecord* record, bool forward);
    // Runs one change in its own write transaction; with `mustChange` a
    // statement that touched no row gives 1 and is rolled back.
    int16_t Write(sqlite3_stmt* statement, bool mustChange);
    std::string ColumnName(int index) const;
    // "SELECT key, data" and every index column, then " FROM records ".
    std::string SelectAll() const;
    static void BindValue(sqlite3_stmt* statement, int parameter, int index, const std::string& value);
    // The bytes a record stores in index column `position`.
    std::string IndexValueOf(int position, const unsigned char* data) const;
    // The stored form of a search text; false when no record can hold it.
    bool SearchValue(int index, const std::string& text, std::string* value) const;

    sqlite3* FDb;
    std::string FPath;
    TFieldLayout FLayout;
    std::string FLayoutText;
    int FKeyLength;
    bool FInRead = false;
    // The run is the open's check and the handle has not been called since.
    bool FOpenRun = false;
    std::vector<TIndexStatements> FIndexStatements;
    std::vector<TPosition> FPositions;
    sqlite3_stmt* FBegin = nullptr;
    sqlite3_stmt* FBeginWrite = nullptr;
    sqlite3_stmt* FCommit = nullptr;
    sqlite3_stmt* FRollback = nullptr;
    std::array<sqlite3_stmt*, static_cast<size_t>(TRecordKind::Kinds)> FRecordStatements{};
};

} // namespace qel::engine
