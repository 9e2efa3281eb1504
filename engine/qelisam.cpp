// The C entry points: argument checks, the process-wide handle table and the
// texts handed across the boundary. Every call runs under one mutex, so
// handles may be used from any thread, one call at a time.

#include "engine/qelisam.h"

#include "engine/Dataset.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>

using qel::engine::TDataset;
using qel::engine::TRecord;

namespace {

constexpr int MaxKeyLength = 64;

std::mutex gMutex;
std::map<uint32_t, std::unique_ptr<TDataset>> gHandles;
uint32_t gLastHandle = 0;

uint32_t StoredLength(IsmStr text) {
    uint32_t length = 0;
    std::memcpy(&length, text - sizeof(uint32_t), sizeof(length));
    return length;
}

// The bytes of *text: up to its stored length, never past its NUL.
std::string TextOf(const IsmStr* text) {
    if (!text || !*text)
        return {};
    return std::string(*text, strnlen(*text, StoredLength(*text)));
}

TDataset* Find(const uint32_t* handle) {
    if (!handle)
        return nullptr;
    const auto found = gHandles.find(*handle);
    return found == gHandles.end() ? nullptr : found->second.get();
}

bool ValidKey(const std::string& key, int keyLength) {
    if (key.empty() || key.size() > static_cast<size_t>(keyLength))
        return false;
    for (char c : key)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

// A writer needs every shared lock on the file gone, including those of
// read runs on other handles of this process; their positions survive.
void EndReadsOfOthers(TDataset* writer) {
    for (auto& [id, dataset] : gHandles)
        if (dataset.get() != writer)
            dataset->EndRead();
}

// IsmBOF (`first`) and IsmEOF.
int16_t ToEnd(const uint32_t* handle, const int16_t* index, bool first) {
    const std::lock_guard lock(gMutex);
    TDataset* dataset = Find(handle);
    if (!dataset)
        return ISM_BAD_HANDLE;
    if (!index || !dataset->ValidIndex(*index))
        return ISM_BAD_PARAMETER;
    if (first)
        dataset->ToFirst(*index);
    else
        dataset->ToLast(*index);
    return ISM_OK;
}

} // namespace

extern "C" {

ISMAPI IsmStr ISMCALL SysAllocStringByteLen(const char* text, uint32_t length) {
    if (length > UINT32_MAX - sizeof(uint32_t) - 1)
        return nullptr;
    auto* block = static_cast<char*>(std::malloc(sizeof(uint32_t) + size_t{length} + 1));
    if (!block)
        return nullptr;
    std::memcpy(block, &length, sizeof(length));
    char* bytes = block + sizeof(uint32_t);
    if (text)
        std::memcpy(bytes, text, length);
    else
        std::memset(bytes, 0, length);
    bytes[length] = '\0';
    return bytes;
}

ISMAPI void ISMCALL SysFreeString(IsmStr text) {
    if (text)
        std::free(text - sizeof(uint32_t));
}

ISMAPI int16_t ISMCALL IsmCreate(IsmStr* name, int16_t* keyLength, int32_t* r1, int16_t* r2, int16_t* r3,
                                 IsmStr* layout) {
    (void)r1;
    (void)r2;
    (void)r3;
    const std::lock_guard lock(gMutex);
    const std::string base = TextOf(name);
    if (base.empty() || !keyLength)
        return ISM_BAD_PARAMETER;
    if (*keyLength < 1 || *keyLength > MaxKeyLength)
        return ISM_BAD_PARAMETER;
    const std::string layoutText = TextOf(layout);
    const auto parsed = qel::TFieldLayout::Parse(layoutText);
    if (!parsed)
        return ISM_BAD_LAYOUT;
    return qel::engine::CreateDataset(base + ".isd", *keyLength, *parsed, layoutText);
}

ISMAPI int16_t ISMCALL IsmOpen(IsmStr* name, int16_t* r, int16_t* mode, uint32_t* handle) {
    (void)r;
    const std::lock_guard lock(gMutex);
    const std::string base = TextOf(name);
    if (base.empty() || !mode || !handle || *mode != ISM_MODE_SHARED)
        return ISM_BAD_PARAMETER;
    std::unique_ptr<TDataset> dataset;
    const int16_t code = TDataset::Open(base + ".isd", &dataset);
    if (code != ISM_OK)
        return code;
    do
        ++gLastHandle;
    while (gLastHandle == 0 || gHandles.count(gLastHandle));
    gHandles.emplace(gLastHandle, std::move(dataset));
    *handle = gLastHandle;
    return ISM_OK;
}

ISMAPI int16_t ISMCALL IsmClose(uint32_t* handle) {
    const std::lock_guard lock(gMutex);
    if (!Find(handle))
        return ISM_BAD_HANDLE;
    gHandles.erase(*handle);
    return ISM_OK;
}

ISMAPI int16_t ISMCALL IsmGet(uint32_t* handle, int16_t* index, int16_t* readMode, IsmStr* searchKey,
                              IsmStr* indexValueOut, IsmStr* keyOut, void* buffer) {
    const std::lock_guard lock(gMutex);
    if (indexValueOut)
        *indexValueOut = nullptr;
    if (keyOut)
        *keyOut = nullptr;
    TDataset* dataset = Find(handle);
    if (!dataset)
        return ISM_BAD_HANDLE;
    if (!index || !readMode || !indexValueOut || !keyOut)
        return ISM_BAD_PARAMETER;

    // Reused by every read (calls are serialized), so a scan does not
    // allocate a record per read.
    static TRecord record;
    int16_t code = ISM_OK;
    const int which = *index;
    if (*readMode == ISM_READ_PREV_KEY) {
        code = dataset->ReadPrevious(0, &record);
        if (code != ISM_OK)
            return code;
        *keyOut = SysAllocStringByteLen(record.Key.data(), static_cast<uint32_t>(record.Key.size()));
        return *keyOut ? ISM_OK : ISM_NO_MEMORY;
    }
    if (!dataset->ValidIndex(which) || !buffer)
        return ISM_BAD_PARAMETER;
    switch (*readMode) {
    case ISM_READ_EQUAL: {
        const std::string search = TextOf(searchKey);
        if (which == 0 && !ValidKey(search, dataset->KeyLength()))
            return ISM_BAD_KEY;
        code = dataset->ReadEqual(which, search, &record);
        break;
    }
    case ISM_READ_NEXT:
        code = dataset->ReadNext(which, &record);
        break;
    case ISM_READ_PREVIOUS:
        code = dataset->ReadPrevious(which, &record);
        break;
    default:
        return ISM_BAD_PARAMETER;
    }
    if (code != ISM_OK)
        return code;

    const std::string value = dataset->ValueText(which, record.Value);
    IsmStr key = SysAllocStringByteLen(record.Key.data(), static_cast<uint32_t>(record.Key.size()));
    IsmStr valueText = SysAllocStringByteLen(value.data(), static_cast<uint32_t>(value.size()));
    if (!key || !valueText) {
        SysFreeString(key);
        SysFreeString(valueText);
        return ISM_NO_MEMORY;
    }
    std::memcpy(buffer, record.Data.data(), record.Data.size());
    *keyOut = key;
    *indexValueOut = valueText;
    return ISM_OK;
}

ISMAPI int16_t ISMCALL IsmPut(uint32_t* handle, IsmStr* key, void* buffer, int16_t* putMode) {
    const std::lock_guard lock(gMutex);
    TDataset* dataset = Find(handle);
    if (!dataset)
        return ISM_BAD_HANDLE;
    if (!buffer || !putMode || (*putMode != ISM_PUT_ADD && *putMode != ISM_PUT_REPLACE))
        return ISM_BAD_PARAMETER;
    const std::string text = TextOf(key);
    if (!ValidKey(text, dataset->KeyLength()))
        return ISM_BAD_KEY;
    EndReadsOfOthers(dataset);
    return dataset->Put(text, static_cast<const unsigned char*>(buffer), *putMode == ISM_PUT_REPLACE);
}

ISMAPI int16_t ISMCALL IsmDelete(uint32_t* handle, IsmStr* key) {
    const std::lock_guard lock(gMutex);
    TDataset* dataset = Find(handle);
    if (!dataset)
        return ISM_BAD_HANDLE;
    const std::string text = TextOf(key);
    if (!ValidKey(text, dataset->KeyLength()))
        return ISM_BAD_KEY;
    EndReadsOfOthers(dataset);
    return dataset->Delete(text);
}

ISMAPI int16_t ISMCALL IsmBOF(uint32_t* handle, int16_t* index) {
    return ToEnd(handle, index, true);
}

ISMAPI int16_t ISMCALL IsmEOF(uint32_t* handle, int16_t* index) {
    return ToEnd(handle, index, false);
}

ISMAPI int16_t ISMCALL IsmInfo(uint32_t* handle, IsmInfoRec* info) {
    const std::lock_guard lock(gMutex);
    TDataset* dataset = Find(handle);
    if (!dataset)
        return ISM_BAD_HANDLE;
    if (!info)
        return ISM_BAD_PARAMETER;
    int32_t count = -1;
    const int16_t code = (info->flags & ISM_INFO_NO_COUNT) ? int16_t{ISM_OK} : dataset->Count(&count);
    if (code != ISM_OK)
        return code;
    const std::string text = std::string("qelisam 1.0, SQLite ") + sqlite3_libversion();
    IsmStr infoText = SysAllocStringByteLen(text.data(), static_cast<uint32_t>(text.size()));
    if (!infoText)
        return ISM_NO_MEMORY;
    info->recordCount = count;
    info->keyLength = static_cast<int16_t>(dataset->KeyLength());
    info->infoText = infoText;
    return ISM_OK;
}

ISMAPI int16_t ISMCALL IsmLock(uint32_t*) {
    return ISM_NOT_AVAILABLE;
}
ISMAPI int16_t ISMCALL IsmUnlock(uint32_t*) {
    return ISM_NOT_AVAILABLE;
}
ISMAPI int16_t ISMCALL IsmKill(IsmStr*) {
    return ISM_NOT_AVAILABLE;
}
ISMAPI int16_t ISMCALL IsmReadNote(uint32_t*, IsmStr*) {
    return ISM_NOT_AVAILABLE;
}
ISMAPI int16_t ISMCALL IsmWriteNote(uint32_t*, IsmStr*) {
    return ISM_NOT_AVAILABLE;
}
ISMAPI int16_t ISMCALL IsmFetchField(uint32_t* handle, int16_t* field, IsmStr* value) {
    const std::lock_guard lock(gMutex);
    if (value)
        *value = nullptr;
    TDataset* dataset = Find(handle);
    if (!dataset)
        return ISM_BAD_HANDLE;
    if (!field || !value || *field != 0)
        return ISM_BAD_PARAMETER;
    const std::string& text = dataset->LayoutText();
    *value = SysAllocStringByteLen(text.data(), static_cast<uint32_t>(text.size()));
    return *value ? ISM_OK : ISM_NO_MEMORY;
}

} // extern "C"
