#include "isam/IsamFile.h"

#include "engine/qelisam.h"
#include "util/StringUtils.h"

#include <dlfcn.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <vector>

namespace qel {

const char* const EngineMissingText =
    "Unable to find ISAM engine library, please make sure that libqelisam.so is in path!";

namespace {

constexpr const char* EngineFileName = "libqelisam.so";

// Codes the wrapper sets itself.
constexpr int16_t CodeNoDataset = 4;    // the object has no open dataset
constexpr int16_t CodeBadParameter = 7; // read mode out of range, no next key to form
constexpr int16_t CodeNoEngine = 21;    // no complete engine loaded in this process
constexpr int16_t CodeAlreadyOpen = 23; // the object already has a dataset open

constexpr int16_t CodeKeyTaken = 2;
constexpr int16_t PutAdd = 1;
constexpr int16_t PutReplace = 2;
constexpr int ReadEqual = 0x1011;
constexpr int ReadNextBase = 0x1002;
constexpr int ReadPriorBase = 0x1004;
constexpr int16_t ReadLastKeyOnly = 0x2004;

// An add that numbered its own record and lost the key to another copy is
// tried this many times in all.
constexpr int AddTries = 5;

// The resolved entry points. Only a table with every entry is ever published.
struct TEngineTable {
    decltype(&::IsmCreate) Create = nullptr;
    decltype(&::IsmOpen) Open = nullptr;
    decltype(&::IsmClose) Close = nullptr;
    decltype(&::IsmGet) Get = nullptr;
    decltype(&::IsmPut) Put = nullptr;
    decltype(&::IsmDelete) Delete = nullptr;
    decltype(&::IsmBOF) Bof = nullptr;
    decltype(&::IsmEOF) Eof = nullptr;
    decltype(&::IsmInfo) Info = nullptr;
    decltype(&::IsmLock) Lock = nullptr;
    decltype(&::IsmUnlock) Unlock = nullptr;
    decltype(&::IsmKill) Kill = nullptr;
    decltype(&::IsmReadNote) ReadNote = nullptr;
    decltype(&::IsmWriteNote) WriteNote = nullptr;
    decltype(&::IsmFetchField) FetchField = nullptr;
    decltype(&::SysFreeString) FreeString = nullptr;
    bool Complete = false;
};

// One table for the whole process, filled again by every object that loads a
// complete library. Calls take a copy so that a constructor on another thread
// never changes a table in use.
std::mutex TableMutex;
TEngineTable Table;

TEngineTable CurrentTable() {
    std::lock_guard lock(TableMutex);
    return Table;
}

// A copy of the shared table for one operation; when no complete library was
// ever loaded in this process the operation fails with 21 instead.
bool LoadedEngine(TEngineTable& engine, int16_t& lastError) {
    engine = CurrentTable();
    if (!engine.Complete)
        lastError = CodeNoEngine;
    return engine.Complete;
}

// The same for an operation that needs the object open (`wantOpen`) or
// closed: it fails first with 4 or 23 when the object is not.
bool EngineFor(bool isOpen, bool wantOpen, TEngineTable& engine, int16_t& lastError) {
    if (isOpen != wantOpen) {
        lastError = wantOpen ? CodeNoDataset : CodeAlreadyOpen;
        return false;
    }
    return LoadedEngine(engine, lastError);
}

template <typename F> bool Resolve(void* library, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(library, name));
    return slot != nullptr;
}

// Looks up the entry points by name, in this order. All of them must be there;
// SysFreeString too, as every text the engine returns is freed with it.
bool ResolveAll(void* library, TEngineTable& t) {
    bool all = true;
    all &= Resolve(library, "IsmCreate", t.Create);
    all &= Resolve(library, "IsmOpen", t.Open);
    all &= Resolve(library, "IsmClose", t.Close);
    all &= Resolve(library, "IsmGet", t.Get);
    all &= Resolve(library, "IsmPut", t.Put);
    all &= Resolve(library, "IsmDelete", t.Delete);
    all &= Resolve(library, "IsmBOF", t.Bof);
    all &= Resolve(library, "IsmEOF", t.Eof);
    all &= Resolve(library, "IsmInfo", t.Info);
    all &= Resolve(library, "IsmLock", t.Lock);
    all &= Resolve(library, "IsmUnlock", t.Unlock);
    all &= Resolve(library, "IsmKill", t.Kill);
    all &= Resolve(library, "IsmReadNote", t.ReadNote);
    all &= Resolve(library, "IsmWriteNote", t.WriteNote);
    all &= Resolve(library, "IsmFetchField", t.FetchField);
    all &= Resolve(library, "SysFreeString", t.FreeString);
    t.Complete = all;
    return all;
}

// The folder of the running program, with a trailing "/"; empty if unknown.
std::string ProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !program.has_parent_path())
        return {};
    return AddBackslash(program.parent_path().string());
}

// The library is never closed: it stays loaded for the life of the process.
void* LoadEngine(const std::string& engineFolder) {
    if (!engineFolder.empty())
        return dlopen((AddBackslash(engineFolder) + EngineFileName).c_str(), RTLD_NOW);
    void* library = nullptr;
    const std::string folder = ProgramFolder();
    if (!folder.empty())
        library = dlopen((folder + EngineFileName).c_str(), RTLD_NOW);
    if (!library)
        library = dlopen(EngineFileName, RTLD_NOW);
    return library;
}

// A text argument in the engine's layout, owned here: the byte length in the
// four bytes before the text and a NUL after it. The empty text is NULL.
class TIsmText {
public:
    explicit TIsmText(const std::string& text) {
        if (text.empty())
            return;
        const uint32_t length = static_cast<uint32_t>(text.size());
        FStorage.resize(sizeof length + text.size() + 1, '\0');
        std::memcpy(FStorage.data(), &length, sizeof length);
        std::memcpy(FStorage.data() + sizeof length, text.data(), text.size());
        FText = FStorage.data() + sizeof length;
    }
    TIsmText(const TIsmText&) = delete;
    TIsmText& operator=(const TIsmText&) = delete;

    IsmStr* Ref() { return &FText; }

private:
    std::vector<char> FStorage;
    IsmStr FText = nullptr;
};

// Copies a text the engine returned and frees it with the engine's SysFreeString.
std::string TakeText(const TEngineTable& engine, IsmStr& text) {
    if (!text)
        return {};
    std::string copy(text);
    engine.FreeString(text);
    text = nullptr;
    return copy;
}

// IsmInfo on `handle`. The engine's info text is freed unread; the note slot is
// handed in empty and whatever comes back in it is freed.
int16_t Info(const TEngineTable& engine, uint32_t handle, int32_t& recordCount, int16_t& keyLength) {
    IsmInfoRec info{};
    info.infoText = nullptr;
    info.noteText = nullptr;
    const int16_t code = engine.Info(&handle, &info);
    TakeText(engine, info.infoText);
    TakeText(engine, info.noteText);
    recordCount = info.recordCount;
    keyLength = info.keyLength;
    return code;
}

int16_t Put(const TEngineTable& engine, uint32_t handle, const std::string& key, const void* buffer, int16_t putMode) {
    TIsmText keyText(key);
    return engine.Put(&handle, keyText.Ref(), const_cast<void*>(buffer), &putMode);
}

// The integer value of a key of decimal digits; false for any other text or a
// value above the signed 32-bit range.
bool KeyValue(const std::string& key, int64_t& value) {
    if (key.empty())
        return false;
    value = 0;
    for (const char c : key) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return false;
    }
    return true;
}

const char* const ErrorTexts[] = {
    "No error",
    "Object not found",
    "Update mode violation",
    "Multi-user access",
    "Invalid dataset reference",
    "Invalid format string",
    "Illegal character in key",
    "Invalid parameter value",
    "File is not isam format",
    "Dataset name in use",
    "No note space available",
    "No disk space available",
    "Windows memory allocation failure",
    "DOS function call failure",
    "Disk read / write error",
    "Corrupted dataset",
    "Secondary index field too large",
    "Record are out of sort order",
    "Insufficient system file handles",
    "Multi-user locks encountered",
    nullptr, // 20 has no text of its own
    "Function no available",
    "Asynchronous operation interrupted",
    "A dataset is already open",
};
constexpr int ErrorTextCount = static_cast<int>(sizeof ErrorTexts / sizeof ErrorTexts[0]);

} // namespace

std::string IsamErrorText(int16_t code) {
    if (code >= 0 && code < ErrorTextCount && ErrorTexts[code])
        return ErrorTexts[code];
    return "Unknown error";
}

std::string IsamErrorDetail(int16_t code) {
    if (code == 0)
        return "No error has occured";
    if (code >= 1 && code <= 23)
        return {};
    return "There is no further information for this error";
}

TIsamFile::TIsamFile(const std::string& EngineFolder) : FVersion("1.00") {
    void* library = LoadEngine(EngineFolder);
    if (!library)
        return;
    TEngineTable found;
    if (!ResolveAll(library, found))
        return;
    std::lock_guard lock(TableMutex);
    Table = found;
    FEngineLoaded = true;
}

TIsamFile::~TIsamFile() {
    CloseDataset();
}

bool TIsamFile::OpenDataset(const std::string& Name, int16_t Mode) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, false, engine, FLastError))
        return false;
    TIsmText name(Name);
    int16_t reserved = 0;
    uint32_t handle = 0;
    FLastError = engine.Open(name.Ref(), &reserved, &Mode, &handle);
    if (FLastError != 0)
        return false;
    FHandle = handle;
    FIsOpen = true;
    FDatasetName = Name;
    return true;
}

bool TIsamFile::CloseDataset() {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    uint32_t handle = FHandle;
    FLastError = engine.Close(&handle);
    if (FLastError != 0)
        return false;
    FHandle = 0;
    FIsOpen = false;
    FDatasetName.clear();
    return true;
}

bool TIsamFile::CreateDataset(const std::string& Name, int16_t KeySize, const std::string& Layout) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, false, engine, FLastError))
        return false;
    TIsmText name(Name);
    TIsmText layout(Layout);
    int32_t reserved1 = 0;
    int16_t reserved2 = 0;
    int16_t reserved3 = 0;
    FLastError = engine.Create(name.Ref(), &KeySize, &reserved1, &reserved2, &reserved3, layout.Ref());
    return FLastError == 0;
}

bool TIsamFile::AddRecord(const void* Buffer, const std::string& Key) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    if (!Key.empty()) {
        FCurrentKey = Key;
        FLastError = Put(engine, FHandle, Key, Buffer, PutAdd);
        return FLastError == 0;
    }
    for (int attempt = 1;; ++attempt) {
        FCurrentKey = NextKey();
        if (FCurrentKey.empty())
            return false; // NextKey left its own code in LastError
        FLastError = Put(engine, FHandle, FCurrentKey, Buffer, PutAdd);
        if (FLastError != CodeKeyTaken || attempt == AddTries)
            return FLastError == 0;
    }
}

bool TIsamFile::UpdateRecord(const void* Buffer, const std::string& Key) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    FCurrentKey = Key;
    FLastError = Put(engine, FHandle, Key, Buffer, PutReplace);
    return FLastError == 0;
}

bool TIsamFile::DeleteRecord(const std::string& Key) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    uint32_t handle = FHandle;
    TIsmText key(Key);
    FLastError = engine.Delete(&handle, key.Ref());
    return FLastError == 0;
}

bool TIsamFile::GetRecord(void* Buffer, int16_t Index, const std::string& Key) {
    return Read(Buffer, Index, ReadEqual, Key);
}

bool TIsamFile::GetNextRecord(void* Buffer, int16_t Index, const std::string& Key, int16_t Options) {
    return Read(Buffer, Index, ReadNextBase + Options, Key);
}

bool TIsamFile::GetPriorRecord(void* Buffer, int16_t Index, const std::string& Key, int16_t Options) {
    return Read(Buffer, Index, ReadPriorBase + Options, Key);
}

bool TIsamFile::Read(void* Buffer, int16_t Index, int ReadMode, const std::string& Key) {
    if (FIsOpen && (ReadMode < INT16_MIN || ReadMode > INT16_MAX)) {
        FCurrentKey.clear();
        FIndexValue.clear();
        FLastError = CodeBadParameter;
        return false;
    }
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    uint32_t handle = FHandle;
    int16_t mode = static_cast<int16_t>(ReadMode);
    TIsmText search(Key);
    IsmStr indexValue = nullptr;
    IsmStr key = nullptr;
    FLastError = engine.Get(&handle, &Index, &mode, search.Ref(), &indexValue, &key, Buffer);
    FCurrentKey = TakeText(engine, key);
    FIndexValue = TakeText(engine, indexValue);
    return FLastError == 0;
}

bool TIsamFile::GoTop(int16_t Index) {
    return ToEnd(Index, true);
}

bool TIsamFile::GoBottom(int16_t Index) {
    return ToEnd(Index, false);
}

bool TIsamFile::ToEnd(int16_t Index, bool First) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    uint32_t handle = FHandle;
    FLastError = (First ? engine.Bof : engine.Eof)(&handle, &Index);
    return FLastError == 0;
}

int32_t TIsamFile::RecordCount() {
    int32_t recordCount = 0;
    int16_t keyLength = 0;
    return ReadInfo(recordCount, keyLength) ? recordCount : -1;
}

int16_t TIsamFile::KeyLength() {
    int32_t recordCount = 0;
    int16_t keyLength = 0;
    return ReadInfo(recordCount, keyLength) ? keyLength : -1;
}

bool TIsamFile::ReadInfo(int32_t& RecordCount, int16_t& KeyLength) {
    TEngineTable engine;
    if (!LoadedEngine(engine, FLastError))
        return false;
    FLastError = Info(engine, FHandle, RecordCount, KeyLength);
    return FLastError == 0;
}

std::string TIsamFile::NextKey() {
    TEngineTable engine;
    if (!LoadedEngine(engine, FLastError))
        return {};
    uint32_t handle = FHandle;
    int16_t index = 0;
    FLastError = engine.Eof(&handle, &index);
    if (FLastError != 0)
        return {};

    const int16_t length = KeyLength();
    if (length < 1) {
        if (FLastError == 0)
            FLastError = CodeBadParameter;
        return {};
    }

    // The previous record from the end is the one with the highest key; only
    // its key is read, so four bytes of scratch are enough.
    char scratch[4] = {};
    int16_t mode = ReadLastKeyOnly;
    IsmStr search = nullptr;
    IsmStr indexValue = nullptr;
    IsmStr key = nullptr;
    handle = FHandle;
    index = 0;
    const int16_t code = engine.Get(&handle, &index, &mode, &search, &indexValue, &key, scratch);
    const std::string lastKey = TakeText(engine, key);
    TakeText(engine, indexValue);

    // Keys are signed 32-bit numbers: past 2147483647, or after a key that is
    // not a number, no key can be formed and the result stays empty.
    int64_t next = 1;
    if (code == 0) {
        int64_t last = 0;
        if (!KeyValue(lastKey, last) || last >= INT32_MAX) {
            FLastError = CodeBadParameter;
            return {};
        }
        next = last + 1;
    }
    std::string result = std::to_string(next);
    if (result.size() > static_cast<size_t>(length)) {
        FLastError = CodeBadParameter;
        return {};
    }
    result.insert(0, static_cast<size_t>(length) - result.size(), '0');
    return result;
}

std::string TIsamFile::ErrorText() const {
    return IsamErrorText(FLastError);
}

std::string TIsamFile::ErrorDetail() const {
    return IsamErrorDetail(FLastError);
}

} // namespace qel
