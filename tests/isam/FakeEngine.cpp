// The fake engine library. Built twice: complete, and with QEL_FAKE_WITHOUT_FETCHFIELD to lack one entry point.

#include "FakeEngine.h"

#include "engine/qelisam.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

TFakeEngine State;
std::set<char*> Allocated;

std::string ArgText(const IsmStr* text) {
    if (!text || !*text)
        return {};
    uint32_t length = 0;
    std::memcpy(&length, *text - sizeof length, sizeof length);
    State.MalformedTexts += length != std::strlen(*text);
    return *text;
}

// Records the call and gives the next scripted code for it.
int16_t Call(const char* name, const uint32_t* handle, std::vector<int32_t> numbers = {}, const IsmStr* text = nullptr,
             const void* buffer = nullptr) {
    State.Calls.push_back({name, handle ? *handle : 0, std::move(numbers), ArgText(text), buffer});
    std::deque<int16_t>& queue = State.Codes[name];
    if (queue.empty())
        return 0;
    const int16_t code = queue.front();
    queue.pop_front();
    return code;
}

} // namespace

extern "C" {

ISMAPI TFakeEngine* FakeEngineState() {
    return &State;
}

ISMAPI IsmStr SysAllocStringByteLen(const char* text, uint32_t length) {
    char* block = static_cast<char*>(std::calloc(sizeof length + length + 1, 1));
    std::memcpy(block, &length, sizeof length);
    if (text)
        std::memcpy(block + sizeof length, text, length);
    ++State.LiveTexts;
    return *Allocated.insert(block + sizeof length).first;
}

ISMAPI void SysFreeString(IsmStr text) {
    if (!text)
        return;
    if (Allocated.erase(text) == 0)
        return void(++State.ForeignFrees);
    --State.LiveTexts;
    std::free(text - sizeof(uint32_t));
}

ISMAPI int16_t IsmCreate(IsmStr* name, int16_t*, int32_t*, int16_t*, int16_t*, IsmStr* layout) {
    ArgText(layout);
    return Call("IsmCreate", nullptr, {}, name);
}

ISMAPI int16_t IsmOpen(IsmStr* name, int16_t* r, int16_t* mode, uint32_t* handle) {
    const int16_t code = Call("IsmOpen", nullptr, {*r, *mode}, name);
    if (code == 0)
        *handle = State.OpenHandle;
    return code;
}

ISMAPI int16_t IsmGet(uint32_t* handle, int16_t* index, int16_t* mode, IsmStr* search, IsmStr* value, IsmStr* key,
                      void* buffer) {
    Call("IsmGet", handle, {*index, *mode}, search, buffer);
    TFakeRead read{1, "", "", ""};
    if (!State.Reads.empty()) {
        read = State.Reads.front();
        State.Reads.pop_front();
    }
    *key = SysAllocStringByteLen(read.Key.data(), static_cast<uint32_t>(read.Key.size()));
    *value = SysAllocStringByteLen(read.IndexValue.data(), static_cast<uint32_t>(read.IndexValue.size()));
    if (read.Code == 0 && !read.Record.empty())
        std::memcpy(buffer, read.Record.c_str(), read.Record.size() + 1);
    return read.Code;
}

ISMAPI int16_t IsmInfo(uint32_t* handle, IsmInfoRec* info) {
    State.NoteSlotNotEmpty += info->noteText != nullptr;
    const int16_t code = Call("IsmInfo", handle);
    // Both text slots come back filled, failure or not: the caller owns them.
    info->infoText = SysAllocStringByteLen("fake engine", 11);
    info->noteText = SysAllocStringByteLen("note", 4);
    if (code == 0) {
        info->recordCount = State.InfoRecordCount;
        info->keyLength = State.InfoKeyLength;
    }
    return code;
}

// The entry points that only record the call and answer the scripted code.
#define QEL_FAKE_ENTRY(name, parameters, ...)                                                                          \
    ISMAPI int16_t name parameters {                                                                                   \
        return Call(#name, __VA_ARGS__);                                                                               \
    }
QEL_FAKE_ENTRY(IsmPut, (uint32_t * handle, IsmStr* key, void* buffer, int16_t* mode), handle, {*mode}, key, buffer)
QEL_FAKE_ENTRY(IsmDelete, (uint32_t * handle, IsmStr* key), handle, {}, key)
QEL_FAKE_ENTRY(IsmClose, (uint32_t * handle), handle)
QEL_FAKE_ENTRY(IsmBOF, (uint32_t * handle, int16_t* index), handle, {*index})
QEL_FAKE_ENTRY(IsmEOF, (uint32_t * handle, int16_t* index), handle, {*index})
QEL_FAKE_ENTRY(IsmLock, (uint32_t * handle), handle)
QEL_FAKE_ENTRY(IsmUnlock, (uint32_t * handle), handle)
QEL_FAKE_ENTRY(IsmKill, (IsmStr * name), nullptr, {}, name)
QEL_FAKE_ENTRY(IsmReadNote, (uint32_t * handle, IsmStr*), handle)
QEL_FAKE_ENTRY(IsmWriteNote, (uint32_t * handle, IsmStr*), handle)
#ifndef QEL_FAKE_WITHOUT_FETCHFIELD
QEL_FAKE_ENTRY(IsmFetchField, (uint32_t * handle, int16_t*, IsmStr*), handle)
#endif

} // extern "C"
