#include "isam/IsamFile.h"

#include "engine/qelisam.h"
#include "isam/FieldLayout.h"
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

constexpr int16_t CodeNotFound = 1;
constexpr int16_t CodeKeyTaken = 2;
constexpr int16_t CodeOtherLayout = 5;
constexpr int16_t CodeNotDataset = 8;
constexpr int16_t CodeFolder = 13;
constexpr int16_t CodeReadWrite = 14;
constexpr int16_t CodeDamaged = 15;
// IsmFetchField's field 0 is the dataset's layout text.
constexpr int16_t LayoutField = 0;
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

// Copies a text the engine returned into `into`, reusing its storage, and frees
// it with the engine's SysFreeString.
void TakeText(const TEngineTable& engine, IsmStr& text, std::string& into) {
    if (!text) {
        into.clear();
        return;
    }
    into.assign(text);
    engine.FreeString(text);
    text = nullptr;
}

std::string TakeText(const TEngineTable& engine, IsmStr& text) {
    std::string copy;
    TakeText(engine, text, copy);
    return copy;
}

// IsmInfo on `handle`. The engine's info text is freed unread; the note slot is
// handed in empty and whatever comes back in it is freed. Without `count` the
// engine skips counting the records (a pass over the whole dataset).
int16_t Info(const TEngineTable& engine, uint32_t handle, int32_t& recordCount, int16_t& keyLength, bool count) {
    IsmInfoRec info{};
    info.flags = count ? 0 : ISM_INFO_NO_COUNT;
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

// The integer value of a key of `length` decimal digits; false for any other
// text or a value that leaves no room for a next key in signed 32 bits.
bool KeyValue(const std::string& key, size_t length, int64_t& value) {
    if (key.size() != length)
        return false;
    value = 0;
    for (const char c : key) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value >= INT32_MAX)
            return false;
    }
    return true;
}

bool SameLayout(const std::string& a, const std::string& b) {
    const auto first = TFieldLayout::Parse(a);
    const auto second = TFieldLayout::Parse(b);
    if (!first || !second || first->FieldCount() != second->FieldCount())
        return false;
    for (int position = 1; position <= first->FieldCount(); ++position) {
        const TFieldDesc& x = first->Field(position);
        const TFieldDesc& y = second->Field(position);
        if (x.Kind != y.Kind || x.Size != y.Size || x.Indexed != y.Indexed)
            return false;
    }
    return true;
}

// What a failure about the file of dataset `name` means, naming the file;
// empty for codes that are not about the file.
std::string FileDetail(int16_t code, const std::string& name) {
    const std::string file = name + ".isd";
    switch (code) {
    case CodeFolder: {
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::path(name).parent_path();
        if (!folder.empty() && !std::filesystem::is_directory(folder, error))
            return "Folder not found: " + folder.string();
        return "Permission denied: " + file;
    }
    case CodeNotDataset:
        return "Not a dataset: " + file;
    case CodeReadWrite:
        return "Read / write error on " + file;
    case CodeDamaged:
        return "Damaged: " + file;
    default:
        return {};
    }
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

bool TIsamFile::Result(int16_t Code, const std::string& Name) {
    FLastError = Code;
    FFileDetailCode = Code;
    // A scan succeeds once per record: no detail text is made for that.
    if (Code == 0)
        FFileDetail.clear();
    else
        FFileDetail = FileDetail(Code, Name);
    return Code == 0;
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
    if (!Result(engine.Open(name.Ref(), &reserved, &Mode, &handle), Name))
        return false;
    FHandle = handle;
    FIsOpen = true;
    FDatasetName = Name;
    return true;
}

bool TIsamFile::OpenDataset(const std::string& Name, int16_t Mode, const std::string& Layout) {
    if (!OpenDataset(Name, Mode))
        return false;
    TEngineTable engine;
    LoadedEngine(engine, FLastError);
    uint32_t handle = FHandle;
    int16_t field = LayoutField;
    IsmStr stored = nullptr;
    const int16_t code = engine.FetchField(&handle, &field, &stored);
    const std::string storedLayout = TakeText(engine, stored);
    if (code == 0 && SameLayout(storedLayout, Layout))
        return true;
    CloseDataset();
    Result(code == 0 ? CodeOtherLayout : code, Name);
    if (code == 0)
        FFileDetail = Name + ".isd does not hold records of the layout this program uses";
    return false;
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
    return Result(engine.Create(name.Ref(), &KeySize, &reserved1, &reserved2, &reserved3, layout.Ref()), Name);
}

bool TIsamFile::AddRecord(const void* Buffer, const std::string& Key) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    if (!Key.empty()) {
        FCurrentKey = Key;
        return Result(Put(engine, FHandle, Key, Buffer, PutAdd), FDatasetName);
    }
    for (int attempt = 1;; ++attempt) {
        FCurrentKey = NextKey();
        if (FCurrentKey.empty())
            return false; // NextKey left its own code in LastError
        Result(Put(engine, FHandle, FCurrentKey, Buffer, PutAdd), FDatasetName);
        if (FLastError != CodeKeyTaken || attempt == AddTries)
            return FLastError == 0;
    }
}

bool TIsamFile::UpdateRecord(const void* Buffer, const std::string& Key) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    FCurrentKey = Key;
    return Result(Put(engine, FHandle, Key, Buffer, PutReplace), FDatasetName);
}

bool TIsamFile::DeleteRecord(const std::string& Key) {
    TEngineTable engine;
    if (!EngineFor(FIsOpen, true, engine, FLastError))
        return false;
    uint32_t handle = FHandle;
    TIsmText key(Key);
    return Result(engine.Delete(&handle, key.Ref()), FDatasetName);
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
    Result(engine.Get(&handle, &Index, &mode, search.Ref(), &indexValue, &key, Buffer), FDatasetName);
    TakeText(engine, key, FCurrentKey);
    TakeText(engine, indexValue, FIndexValue);
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
    return Result((First ? engine.Bof : engine.Eof)(&handle, &Index), FDatasetName);
}

int32_t TIsamFile::RecordCount() {
    int32_t recordCount = 0;
    int16_t keyLength = 0;
    return ReadInfo(recordCount, keyLength, true) ? recordCount : -1;
}

int16_t TIsamFile::KeyLength() {
    int32_t recordCount = 0;
    int16_t keyLength = 0;
    return ReadInfo(recordCount, keyLength, false) ? keyLength : -1;
}

bool TIsamFile::ReadInfo(int32_t& RecordCount, int16_t& KeyLength, bool Count) {
    TEngineTable engine;
    if (!LoadedEngine(engine, FLastError))
        return false;
    return Result(Info(engine, FHandle, RecordCount, KeyLength, Count), FDatasetName);
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

    // Keys of the key length's digits sort as their numbers do, so reading
    // back from the end, the first such key is the highest; the keys that sort
    // after it (letters, 2147483647 and above) are passed over. Only keys are
    // read, so four bytes of scratch are enough.
    int64_t next = 1;
    for (;;) {
        char scratch[4] = {};
        int16_t mode = ReadLastKeyOnly;
        IsmStr search = nullptr;
        IsmStr indexValue = nullptr;
        IsmStr key = nullptr;
        handle = FHandle;
        index = 0;
        const int16_t code = engine.Get(&handle, &index, &mode, &search, &indexValue, &key, scratch);
        const std::string previousKey = TakeText(engine, key);
        TakeText(engine, indexValue);
        if (code == CodeNotFound)
            break;
        if (!Result(code, FDatasetName))
            return {};
        int64_t last = 0;
        if (KeyValue(previousKey, static_cast<size_t>(length), last)) {
            next = last + 1;
            break;
        }
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
    return FFileDetail.empty() || FFileDetailCode != FLastError ? IsamErrorDetail(FLastError) : FFileDetail;
}

} // namespace qel
