#pragma once

// Datasets a peer, a hostile program or a damaged disk could leave: made through TIsamFile, then altered.

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "util/StringUtils.h"

#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace qel::test {

// OpenCode with the program's layout; when 0, the code ending a scan of index 0 and the first X index.
struct TCraftedFile {
    const char* Name;
    int16_t OpenCode, ScanCode;
    const char* Sql = nullptr; // run on the file; LAST picks the last record, COLUMN is the first index's column
    const char* Key = nullptr; // the key of one more, intact, copy of the first record
};

inline const std::vector<TCraftedFile>& CraftedFiles() {
    static const std::vector<TCraftedFile> files = {
        {"longer layout", 5, 0},  // a valid dataset whose layout has one more field
        {"shorter layout", 5, 0}, // ... one field less (or a shorter single field)
        {"truncated", 15, 0},     // cut to half its size
        {"stub", 15, 0},          // cut to 60 bytes
        {"empty", 8, 0},
        {"folder", 8, 0},       // a folder in the file's place
        {"garbage", 8, 0},      // 8 KB of text
        {"trampled", 15, 0},    // noise after the first page
        {"zeroed page", 0, 15}, // the page holding the records overwritten with zeros
        {"not ours", 8, 0, "PRAGMA application_id = 0"},
        {"no description", 15, 0, "DROP TABLE qelisam_meta"},
        {"bad description", 15, 0, "UPDATE qelisam_meta SET layout = layout || ',X$*5'"},
        {"short record", 0, 15, "UPDATE records SET data = substr(data, 1, length(data) - 1) WHERE LAST"},
        {"wrong column type", 0, 15, "UPDATE records SET COLUMN = CAST(COLUMN AS TEXT) WHERE LAST"},
        {"oversize key", 0, 15, "UPDATE records SET key = key || 'XXXXXXXXXX' WHERE LAST"},
        {"mismatched index", 0, 15, "UPDATE records SET COLUMN = CAST('zz~' AS BLOB) WHERE LAST"},
        {"non-numeric key", 0, 1, nullptr, "ABCDEFGHIJ"},
        {"top key", 0, 1, nullptr, "2147483647"},
    };
    return files;
}

// Runs `sql`; with `value`, gives the first column of its first row. Returns "" or what went wrong.
inline std::string CraftSql(const std::string& file, const std::string& sql, sqlite3_int64* value = nullptr) {
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

// Makes `name` with `records` under FormatKey(1), (2)..., then alters it as `craft` says: "" or what went wrong.
inline std::string Craft(const std::string& name, const std::string& layout, const std::vector<std::string>& records,
                         const TCraftedFile& craft) {
    namespace fs = std::filesystem;
    const std::string kind = craft.Name, file = name + ".isd";
    const size_t comma = layout.rfind(','), star = layout.find("$*");
    std::string made = layout;
    if (kind == "longer layout")
        made += ",$*8";
    else if (kind == "shorter layout")
        made = comma != std::string::npos
                   ? layout.substr(0, comma)
                   : layout.substr(0, star + 2) + std::to_string(std::stoi(layout.substr(star + 2)) - 1);
    const auto parsed = TFieldLayout::Parse(made);
    TIsamFile isam;
    if (!parsed || records.empty() || !isam.CreateDataset(name, 10, made) || !isam.OpenDataset(name, 3))
        return "create: " + isam.ErrorText();
    for (size_t i = 0; i < records.size() + (craft.Key ? 1 : 0); ++i) {
        std::string bytes = records[i % records.size()];
        bytes.resize(parsed->RecordSize(), '\0');
        if (!isam.AddRecord(bytes.data(), i < records.size() ? FormatKey(static_cast<int>(i) + 1) : craft.Key))
            return "add: " + isam.ErrorText();
    }
    if (!isam.CloseDataset())
        return "close: " + isam.ErrorText();
    std::string sql = craft.Sql ? craft.Sql : "";
    int column = 1;
    while (column < parsed->FieldCount() && !parsed->IsIndex(column))
        ++column;
    for (size_t at; (at = sql.find("COLUMN")) != std::string::npos;)
        sql.replace(at, 6, "f" + std::to_string(column));
    if (size_t at = sql.find("LAST"); at != std::string::npos)
        sql.replace(at, 4, "key = (SELECT max(key) FROM records)");
    if (craft.Sql)
        return CraftSql(file, sql);
    sqlite3_int64 page = kind == "trampled" ? 2 : 1, pageSize = 0;
    std::string text = CraftSql(file, "PRAGMA page_size", &pageSize);
    if (kind == "zeroed page")
        text += CraftSql(file, "SELECT rootpage FROM sqlite_master WHERE name = 'records'", &page);
    if (!text.empty())
        return text;
    if (kind == "zeroed page")
        text.assign(static_cast<size_t>(pageSize), '\0');
    std::mt19937 random(7);
    while (kind == "trampled" && text.size() + static_cast<size_t>(pageSize) < fs::file_size(file))
        text += static_cast<char>(random());
    if (kind == "truncated" || kind == "stub" || kind == "empty")
        fs::resize_file(file, kind == "empty" ? 0 : kind == "stub" ? 60 : fs::file_size(file) / 2);
    if (kind == "folder" && (!fs::remove(file) || !fs::create_directory(file)))
        return "cannot make a folder of " + file;
    while (kind == "garbage" && text.size() < 8192)
        text += "This is no dataset, just a file that a peer left here.\n";
    if (text.empty())
        return {};
    std::FILE* out = std::fopen(file.c_str(), kind == "garbage" ? "wb" : "r+b");
    const bool written = out && std::fseek(out, static_cast<long>((page - 1) * pageSize), SEEK_SET) == 0 &&
                         std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return out && std::fclose(out) == 0 && written ? "" : "cannot write " + file;
}

} // namespace qel::test
