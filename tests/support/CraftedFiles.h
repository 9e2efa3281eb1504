#pragma once

// Datasets that a careless peer, a hostile program or a damaged disk could
// leave in the shared folder. Each is made whole through TIsamFile first and
// then altered with SQLite directly, as another program could. Header-only;
// the user links qel_isam and SQLite::SQLite3 and has the engine loadable.

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

// What opening a crafted file with the program's own layout gives and, when
// that is 0, the code that ends a scan of every record in index 0 and in the
// first "X" index (1: every record was read).
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

inline std::string Exec(const std::string& file, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string error;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        error = "cannot open " + file;
    else if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        error = sql + ": " + sqlite3_errmsg(db);
    sqlite3_close(db);
    return error;
}

inline std::string Query(const std::string& file, const std::string& sql, sqlite3_int64* value) {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::string error;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK ||
        sqlite3_step(statement) != SQLITE_ROW)
        error = sql + ": " + sqlite3_errmsg(db);
    else
        *value = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return error;
}

// The layout text with one more field, or with the last one gone (a single
// text field gets one byte shorter instead).
inline std::string OtherLayout(const std::string& layout, bool longer) {
    if (longer)
        return layout + ",$*8";
    const size_t comma = layout.rfind(',');
    if (comma != std::string::npos)
        return layout.substr(0, comma);
    const size_t star = layout.find("$*");
    return layout.substr(0, star + 2) + std::to_string(std::stoi(layout.substr(star + 2)) - 1);
}

} // namespace crafted

// Makes the dataset `name` (a path without ".isd") with `layout` holding
// `records` (each the layout's record size) under CraftedKey(1), (2)...,
// then alters it as `kind` says. Returns an empty text, or what went wrong.
inline std::string Craft(const std::string& name, const std::string& layout, const std::vector<std::string>& records,
                         TCraft kind) {
    const bool otherLayout = kind == TCraft::LongerLayout || kind == TCraft::ShorterLayout;
    const std::string madeLayout = otherLayout ? crafted::OtherLayout(layout, kind == TCraft::LongerLayout) : layout;
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
    if (kind == TCraft::Garbage) {
        std::string text;
        while (text.size() < 8192)
            text += "This is no dataset, just a file that a peer left here.\n";
        std::FILE* out = std::fopen(file.c_str(), "wb");
        const bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
        return out && std::fclose(out) == 0 && written ? std::string() : "cannot write " + file;
    }
    std::string column;
    for (int position = 1; position <= parsed->FieldCount() && column.empty(); ++position)
        if (parsed->IsIndex(position))
            column = "f" + std::to_string(position);
    const std::string last = " WHERE key = (SELECT max(key) FROM records)";
    switch (kind) {
    case TCraft::Truncated: {
        const auto size = std::filesystem::file_size(file);
        std::filesystem::resize_file(file, size / 2);
        return {};
    }
    case TCraft::ZeroedPage: {
        sqlite3_int64 page = 0, pageSize = 0;
        std::string error = crafted::Query(file, "SELECT rootpage FROM sqlite_master WHERE name = 'records'", &page);
        if (error.empty())
            error = crafted::Query(file, "PRAGMA page_size", &pageSize);
        if (!error.empty())
            return error;
        std::FILE* out = std::fopen(file.c_str(), "r+b");
        if (!out)
            return "cannot write " + file;
        const std::vector<char> zeros(static_cast<size_t>(pageSize), '\0');
        std::fseek(out, static_cast<long>((page - 1) * pageSize), SEEK_SET);
        const bool written = std::fwrite(zeros.data(), 1, zeros.size(), out) == zeros.size();
        return std::fclose(out) == 0 && written ? std::string() : "cannot write " + file;
    }
    case TCraft::ShortRecord:
        return crafted::Exec(file, "UPDATE records SET data = substr(data, 1, length(data) - 1)" + last);
    case TCraft::WrongColumnType:
        return crafted::Exec(file, "UPDATE records SET " + column + " = CAST(" + column + " AS TEXT)" + last);
    case TCraft::OversizeKey:
        return crafted::Exec(file, "UPDATE records SET key = key || 'XXXXXXXXXX'" + last);
    case TCraft::MismatchedIndex:
        return crafted::Exec(file, "UPDATE records SET " + column + " = CAST('zz~' AS BLOB)" + last);
    default:
        return {};
    }
}

} // namespace qel::test
