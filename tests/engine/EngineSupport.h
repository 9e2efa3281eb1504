#pragma once

// Helpers for calling the engine's C ABI from tests: owned texts, a scratch
// folder, and short wrappers that take and return std::string.

#include "engine/qelisam.h"

#include <sqlite3.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qel::test {

// An IsmStr owned by the test.
class TStr {
public:
    TStr() = default;
    explicit TStr(const std::string& text)
        : FText(SysAllocStringByteLen(text.data(), static_cast<uint32_t>(text.size()))) {}
    ~TStr() { SysFreeString(FText); }
    TStr(const TStr&) = delete;
    TStr& operator=(const TStr&) = delete;
    IsmStr* operator&() { return &FText; }
    IsmStr Get() const { return FText; }

private:
    IsmStr FText = nullptr;
};

// Takes a returned text, frees it and gives its bytes; NULL gives "(null)" so
// that tests can tell "empty" from "not set".
inline std::string Take(IsmStr text) {
    if (!text)
        return "(null)";
    uint32_t length = 0;
    std::memcpy(&length, text - 4, 4);
    std::string result(text, length);
    SysFreeString(text);
    return result;
}

// A fresh folder under the system's temporary folder, removed at the end.
class TTempDir {
public:
    TTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelisam-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        FPath = pattern;
        ::chmod(FPath.c_str(), 0755);
    }
    // Folders a test made read-only are made writable again first.
    ~TTempDir() {
        namespace fs = std::filesystem;
        std::error_code error;
        fs::permissions(FPath, fs::perms::owner_all, fs::perm_options::add, error);
        for (auto it = fs::recursive_directory_iterator(FPath, error); !error && it != fs::end(it); it.increment(error))
            if (it->is_directory(error))
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        fs::remove_all(FPath, error);
    }
    const std::string& Path() const { return FPath; }
    std::string operator/(const std::string& name) const { return FPath + "/" + name; }

private:
    std::string FPath;
};

inline int16_t Create(const std::string& name, const std::string& layout, int16_t keyLength = 10) {
    TStr nameText(name), layoutText(layout);
    int32_t r1 = 0;
    int16_t r2 = 0, r3 = 0;
    return IsmCreate(&nameText, &keyLength, &r1, &r2, &r3, &layoutText);
}

inline int16_t Open(const std::string& name, uint32_t* handle, int16_t mode = ISM_MODE_SHARED) {
    TStr nameText(name);
    int16_t r = 0;
    return IsmOpen(&nameText, &r, &mode, handle);
}

inline int16_t Close(uint32_t handle) {
    return IsmClose(&handle);
}

inline int16_t Put(uint32_t handle, const std::string& key, const std::string& record, int16_t mode = ISM_PUT_ADD) {
    TStr keyText(key);
    std::string bytes = record;
    return IsmPut(&handle, &keyText, bytes.data(), &mode);
}

inline int16_t Delete(uint32_t handle, const std::string& key) {
    TStr keyText(key);
    return IsmDelete(&handle, &keyText);
}

inline int16_t Bof(uint32_t handle, int16_t index = 0) {
    return IsmBOF(&handle, &index);
}
inline int16_t Eof(uint32_t handle, int16_t index = 0) {
    return IsmEOF(&handle, &index);
}

// One read: the code, the returned key and index value ("(null)" when not
// set) and the buffer after the call.
struct TRead {
    int16_t Code = -1;
    std::string Key;
    std::string Value;
    std::string Buffer;
};

inline TRead Get(uint32_t handle, int16_t index, int16_t mode, size_t recordSize, const std::string& search = "",
                 char fill = '\x5A') {
    TStr searchText(search);
    IsmStr value = reinterpret_cast<IsmStr>(1), key = reinterpret_cast<IsmStr>(1);
    TRead read;
    read.Buffer.assign(recordSize, fill);
    read.Code = IsmGet(&handle, &index, &mode, &searchText, &value, &key, read.Buffer.data());
    read.Key = Take(key);
    read.Value = Take(value);
    return read;
}

inline TRead Next(uint32_t handle, size_t recordSize, int16_t index = 0) {
    return Get(handle, index, ISM_READ_NEXT, recordSize);
}
inline TRead Previous(uint32_t handle, size_t recordSize, int16_t index = 0) {
    return Get(handle, index, ISM_READ_PREVIOUS, recordSize);
}

// Keys of the whole index in order, read with BOF and next.
inline std::vector<std::string> ScanKeys(uint32_t handle, size_t recordSize, int16_t index = 0) {
    std::vector<std::string> keys;
    if (Bof(handle, index) != ISM_OK)
        return {"(bof failed)"};
    for (;;) {
        TRead read = Next(handle, recordSize, index);
        if (read.Code != ISM_OK) {
            if (read.Code != ISM_NOT_FOUND)
                keys.push_back("(error " + std::to_string(read.Code) + ")");
            return keys;
        }
        keys.push_back(read.Key);
    }
}

// Every record of the dataset, read through a fresh handle: key -> bytes.
// `code` gets the first failure, or 0 when the scan reached the end.
inline std::map<std::string, std::string> Contents(const std::string& name, size_t recordSize, int16_t* code) {
    std::map<std::string, std::string> contents;
    uint32_t handle = 0;
    *code = Open(name, &handle);
    if (*code != ISM_OK)
        return contents;
    for (;;) {
        const TRead read = Next(handle, recordSize);
        if (read.Code != ISM_OK) {
            *code = read.Code == ISM_NOT_FOUND ? int16_t{ISM_OK} : read.Code;
            break;
        }
        contents[read.Key] = read.Buffer;
    }
    Close(handle);
    return contents;
}

// SQLite's own verdict on a file: "ok" or the first complaint.
inline std::string IntegrityCheck(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "cannot open";
    }
    sqlite3_busy_timeout(db, 5000);
    std::string verdict = "no answer";
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        verdict = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    else
        verdict = sqlite3_errmsg(db);
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return verdict;
}

inline std::string FileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteFile(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

} // namespace qel::test
