#pragma once

// Datasets that a careless peer, a hostile program or a damaged disk could leave in the shared folder: each is
// made whole through TIsamFile, then altered with SQLite directly, as another program could. The user links
// qel_isam and SQLite::SQLite3 and has the engine loadable.

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace qel::test {

enum class TCraft {
    LongerLayout,    // a valid dataset whose layout has one more field
    ShorterLayout,   // ... one field less (or a shorter single field)
    Truncated,       // the file cut to half its size
    ZeroedPage,      // the page holding the records overwritten with zeros
    ShortRecord,     // the last record one byte short
    WrongColumnType, // the last record's first index value stored as text
    OversizeKey,     // the last record's key longer than the key length
    MismatchedIndex, // the last record's first index value unlike its data
    NonNumericKey,   // one more, intact, record under the key "ABCDEFGHIJ"
    TopKey,          // one more, intact, record under the key "2147483647"
    Garbage,         // not a dataset at all: 8 KB of text
};

// What opening a crafted file with the program's own layout gives and, when that is 0, the code that ends a
// scan of every record in index 0 and in the first "X" index (1: every record was read).
struct TCraftedFile {
    TCraft Kind;
    const char* Name;
    int16_t OpenCode;
    int16_t ScanCode;
};

inline const std::vector<TCraftedFile>& CraftedFiles() {
    static const std::vector<TCraftedFile> files = {
        {TCraft::LongerLayout, "longer layout", 5, 0},
        {TCraft::ShorterLayout, "shorter layout", 5, 0},
        {TCraft::Truncated, "truncated", 15, 0},
        {TCraft::ZeroedPage, "zeroed page", 0, 15},
        {TCraft::ShortRecord, "short record", 0, 15},
        {TCraft::WrongColumnType, "wrong column type", 0, 15},
        {TCraft::OversizeKey, "oversize key", 0, 15},
        {TCraft::MismatchedIndex, "mismatched index", 0, 15},
        {TCraft::NonNumericKey, "non-numeric key", 0, 1},
        {TCraft::TopKey, "top key", 0, 1},
        {TCraft::Garbage, "garbage", 8, 0},
    };
    return files;
}

// The key of the n-th record a crafted dataset is made with (1-based).
inline std::string CraftedKey(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "%010d", n);
    return key;
}

namespace crafted {

// Runs `sql` on the file, or with `value` set gives the first column of its first row: "" or what went wrong.
inline std::string Sql(const std::string& file, const std::string& sql, sqlite3_int64* value = nullptr) {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::string error;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK ||
        sqlite3_step(statement) != (value ? SQLITE_ROW : SQLITE_DONE))
        error = sql + ": " + sqlite3_errmsg(db);
    else if (value)
        *value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return error;
}

// Writes `bytes` over the file from `offset` on (a new file from 0).
inline std::string Overwrite(const std::string& file, long offset, const std::string& bytes) {
    std::FILE* out = std::fopen(file.c_str(), offset ? "r+b" : "wb");
    const bool written = out && std::fseek(out, offset, SEEK_SET) == 0 &&
                         std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    return out && std::fclose(out) == 0 && written ? std::string() : "cannot write " + file;
}

} // namespace crafted

// Makes the dataset `name` (a path without ".isd") with `layout` holding
// `records` (each the layout's record size) under CraftedKey(1), (2)...,
// then alters it as `kind` says. Returns an empty text, or what went wrong.
inline std::string Craft(const std::string& name, const std::string& layout, const std::vector<std::string>& records,
                         TCraft kind) {
    // One more field, or the last one gone (a single text field one byte shorter instead).
    const size_t comma = layout.rfind(','), star = layout.find("$*");
    std::string madeLayout = layout;
    if (kind == TCraft::LongerLayout)
        madeLayout += ",$*8";
    else if (kind == TCraft::ShorterLayout)
        madeLayout = comma != std::string::npos
                         ? layout.substr(0, comma)
                         : layout.substr(0, star + 2) + std::to_string(std::stoi(layout.substr(star + 2)) - 1);
    const auto parsed = TFieldLayout::Parse(madeLayout);
    if (!parsed || records.empty())
        return "bad layout or no records";
    TIsamFile isam;
    if (!isam.CreateDataset(name, 10, madeLayout) || !isam.OpenDataset(name, 3))
        return "create: " + isam.ErrorText();
    std::vector<std::string> rows = records;
    if (kind == TCraft::NonNumericKey || kind == TCraft::TopKey)
        rows.push_back(records.front());
    for (size_t i = 0; i < rows.size(); ++i) {
        std::string bytes = rows[i];
        bytes.resize(parsed->RecordSize(), '\0');
        std::string key = CraftedKey(static_cast<int>(i) + 1);
        if (i == records.size())
            key = kind == TCraft::TopKey ? "2147483647" : "ABCDEFGHIJ";
        if (!isam.AddRecord(bytes.data(), key))
            return "add: " + isam.ErrorText();
    }
    if (!isam.CloseDataset())
        return "close: " + isam.ErrorText();

    const std::string file = name + ".isd";
    std::string column;
    for (int position = 1; position <= parsed->FieldCount() && column.empty(); ++position)
        if (parsed->IsIndex(position))
            column = "f" + std::to_string(position);
    const std::string last = " WHERE key = (SELECT max(key) FROM records)";
    sqlite3_int64 page = 0, pageSize = 0;
    std::string error;
    switch (kind) {
    case TCraft::Garbage: {
        std::string text;
        while (text.size() < 8192)
            text += "This is no dataset, just a file that a peer left here.\n";
        return crafted::Overwrite(file, 0, text);
    }
    case TCraft::Truncated:
        std::filesystem::resize_file(file, std::filesystem::file_size(file) / 2);
        return {};
    case TCraft::ZeroedPage:
        error = crafted::Sql(file, "SELECT rootpage FROM sqlite_master WHERE name = 'records'", &page) +
                crafted::Sql(file, "PRAGMA page_size", &pageSize);
        return error.empty() ? crafted::Overwrite(file, static_cast<long>((page - 1) * pageSize),
                                                  std::string(static_cast<size_t>(pageSize), '\0'))
                             : error;
    case TCraft::ShortRecord:
        return crafted::Sql(file, "UPDATE records SET data = substr(data, 1, length(data) - 1)" + last);
    case TCraft::WrongColumnType:
        return crafted::Sql(file, "UPDATE records SET " + column + " = CAST(" + column + " AS TEXT)" + last);
    case TCraft::OversizeKey:
        return crafted::Sql(file, "UPDATE records SET key = key || 'XXXXXXXXXX'" + last);
    case TCraft::MismatchedIndex:
        return crafted::Sql(file, "UPDATE records SET " + column + " = CAST('zz~' AS BLOB)" + last);
    default:
        return {};
    }
}

} // namespace qel::test
