#pragma once

// std::string wrappers over the engine's C ABI for tests, and a scratch folder.

#include "engine/qelisam.h"
#include "tests/support/FileProbes.h"
#include "util/StringUtils.h"

#include <sqlite3.h>

#include <cstring>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace qel::test {

using qel::FormatKey;

struct TStr {
    explicit TStr(const std::string& text)
        : Text(SysAllocStringByteLen(text.data(), static_cast<uint32_t>(text.size()))) {}
    ~TStr() { SysFreeString(Text); }
    IsmStr Text;
};

// Others may enter it; removed at the end with whatever a test made read-only in it.
struct TTempDir {
    TTempDir() { ::chmod(mkdtemp(Path.data()), 0755); }
    ~TTempDir() { std::system(("chmod -R u+rwx " + Path + " && rm -rf " + Path).c_str()); }
    std::string operator/(const std::string& name) const { return Path + "/" + name; }
    std::string Path = std::filesystem::temp_directory_path() / "qelisam-XXXXXX";
};

inline int16_t Create(const std::string& name, const std::string& layout, int16_t keyLength = 10) {
    TStr nameText(name), layoutText(layout);
    int32_t r1 = 0;
    int16_t r2 = 0, r3 = 0;
    return IsmCreate(&nameText.Text, &keyLength, &r1, &r2, &r3, &layoutText.Text);
}

inline int16_t Open(const std::string& name, uint32_t* handle, int16_t mode = ISM_MODE_SHARED) {
    TStr nameText(name);
    int16_t r = 0;
    return IsmOpen(&nameText.Text, &r, &mode, handle);
}

inline int16_t Close(uint32_t handle) {
    return IsmClose(&handle);
}

inline int16_t Put(uint32_t handle, const std::string& key, std::string record, int16_t mode = ISM_PUT_ADD) {
    TStr keyText(key);
    return IsmPut(&handle, &keyText.Text, record.data(), &mode);
}

inline int16_t Delete(uint32_t handle, const std::string& key) {
    TStr keyText(key);
    return IsmDelete(&handle, &keyText.Text);
}

inline int16_t Bof(uint32_t handle, int16_t index = 0) {
    return IsmBOF(&handle, &index);
}

inline int16_t Eof(uint32_t handle, int16_t index = 0) {
    return IsmEOF(&handle, &index);
}

// The child's exit code, or 128 and the signal that killed it.
inline int ExitCode(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Texts that were not set read "(null)"; the buffer starts as 'Z's.
struct TRead {
    int16_t Code = -1;
    std::string Key, Value, Buffer;
};

inline TRead Get(uint32_t handle, int16_t index, int16_t mode, size_t recordSize, const std::string& search = "") {
    TStr searchText(search);
    IsmStr value = reinterpret_cast<IsmStr>(1), key = value;
    TRead read{-1, "", "", std::string(recordSize, '\x5A')};
    read.Code = IsmGet(&handle, &index, &mode, &searchText.Text, &value, &key, read.Buffer.data());
    for (auto [text, out] : {std::pair{key, &read.Key}, {value, &read.Value}}) {
        uint32_t length = 0;
        if (text)
            std::memcpy(&length, text - 4, 4);
        *out = text ? std::string(text, length) : "(null)";
        SysFreeString(text);
    }
    return read;
}

// The index's keys in order; a failure ends the list as "(error N)".
inline std::vector<std::string> ScanKeys(uint32_t handle, size_t recordSize, int16_t index = 0) {
    std::vector<std::string> keys;
    int16_t code = IsmBOF(&handle, &index);
    for (TRead read; !code && !(code = (read = Get(handle, index, ISM_READ_NEXT, recordSize)).Code);)
        keys.push_back(read.Key);
    if (code != ISM_NOT_FOUND)
        keys.push_back("(error " + std::to_string(code) + ")");
    return keys;
}

// Key -> bytes through a fresh handle; `code` gets the first failure, else 0.
inline std::map<std::string, std::string> Contents(const std::string& name, size_t recordSize, int16_t* code) {
    std::map<std::string, std::string> contents;
    uint32_t handle = 0;
    if ((*code = Open(name, &handle)) != ISM_OK)
        return contents;
    TRead read;
    while ((read = Get(handle, 0, ISM_READ_NEXT, recordSize)).Code == ISM_OK)
        contents[read.Key] = read.Buffer;
    *code = read.Code == ISM_NOT_FOUND ? int16_t{ISM_OK} : read.Code;
    Close(handle);
    return contents;
}

// `sql` run by another program on `file`, which waits for no lock: SQLite's code.
inline int RawExec(const std::string& file, const char* sql) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    rc = rc == SQLITE_OK ? sqlite3_exec(db, sql, nullptr, nullptr, nullptr) : rc;
    sqlite3_close(db);
    return rc;
}

// SQLite's verdict: "ok" or the first complaint.
inline std::string IntegrityCheck(const std::string& file) {
    sqlite3* db = nullptr;
    sqlite3_stmt* check = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr);
    const unsigned char* verdict = sqlite3_step(check) == SQLITE_ROW ? sqlite3_column_text(check, 0) : nullptr;
    const std::string text = verdict ? reinterpret_cast<const char*>(verdict) : "no verdict";
    sqlite3_finalize(check);
    sqlite3_close(db);
    return text;
}

} // namespace qel::test
