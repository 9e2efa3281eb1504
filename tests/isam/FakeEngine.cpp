// The fake engine library. Built twice: complete, and with QEL_FAKE_WITHOUT_FETCHFIELD to lack one entry point.

#include "FakeEngine.h"

#include "engine/qelisam.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

TFakeEngine State;
std::set<char*> Allocated;

std::string Text(const IsmStr* text) {
    uint32_t length = 0;
    if (text && *text)
        std::memcpy(&length, *text - sizeof length, sizeof length);
    State.MalformedTexts += text && *text && length != std::strlen(*text);
    return text && *text ? *text : "";
}

int16_t Call(const char* name, const uint32_t* handle, int32_t mode = 0, const IsmStr* text = nullptr,
             const void* buffer = nullptr) {
    State.Calls.push_back({name, handle ? *handle : 0, mode, Text(text), buffer});
    std::deque<int16_t>& queue = State.Codes[name];
    const int16_t code = queue.empty() ? 0 : queue.front();
    if (!queue.empty())
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
    std::memcpy(block + sizeof length, text, length);
    ++State.LiveTexts;
    return *Allocated.insert(block + sizeof length).first;
}

ISMAPI void SysFreeString(IsmStr text) {
    if (text && Allocated.erase(text) == 0)
        ++State.ForeignFrees;
    else if (text) {
        --State.LiveTexts;
        std::free(text - sizeof(uint32_t));
    }
}

ISMAPI int16_t IsmOpen(IsmStr* name, int16_t*, int16_t* mode, uint32_t* handle) {
    const int16_t code = Call("IsmOpen", nullptr, *mode, name);
    *handle = code ? *handle : State.OpenHandle;
    return code;
}

ISMAPI int16_t IsmGet(uint32_t* handle, int16_t*, int16_t* mode, IsmStr* search, IsmStr* value, IsmStr* key,
                      void* buffer) {
    Call("IsmGet", handle, *mode, search, buffer);
    const TFakeRead read = State.Reads.empty() ? TFakeRead{1, "", "", ""} : State.Reads.front();
    if (!State.Reads.empty())
        State.Reads.pop_front();
    *key = SysAllocStringByteLen(read.Key.data(), static_cast<uint32_t>(read.Key.size()));
    *value = SysAllocStringByteLen(read.IndexValue.data(), static_cast<uint32_t>(read.IndexValue.size()));
    if (read.Code == 0 && !read.Record.empty())
        std::memcpy(buffer, read.Record.c_str(), read.Record.size() + 1);
    return read.Code;
}

ISMAPI int16_t IsmInfo(uint32_t* handle, IsmInfoRec* info) {
    State.NoteSlotNotEmpty += info->noteText != nullptr;
    const int16_t code = Call("IsmInfo", handle);
    info->infoText = SysAllocStringByteLen("fake engine", 11);
    info->noteText = SysAllocStringByteLen("note", 4);
    info->recordCount = code ? info->recordCount : State.InfoRecordCount;
    info->keyLength = code ? info->keyLength : State.InfoKeyLength;
    return code;
}

#define QEL_FAKE_ENTRY(name, parameters, ...)                                                                          \
    ISMAPI int16_t name parameters {                                                                                   \
        return Call(#name, __VA_ARGS__);                                                                               \
    }
QEL_FAKE_ENTRY(IsmCreate, (IsmStr * name, int16_t*, int32_t*, int16_t*, int16_t*, IsmStr*), nullptr, 0, name)
QEL_FAKE_ENTRY(IsmPut, (uint32_t * handle, IsmStr* key, void* buffer, int16_t* mode), handle, *mode, key, buffer)
QEL_FAKE_ENTRY(IsmDelete, (uint32_t * handle, IsmStr* key), handle, 0, key)
QEL_FAKE_ENTRY(IsmClose, (uint32_t * handle), handle)
QEL_FAKE_ENTRY(IsmBOF, (uint32_t * handle, int16_t*), handle)
QEL_FAKE_ENTRY(IsmEOF, (uint32_t * handle, int16_t*), handle)
QEL_FAKE_ENTRY(IsmLock, (uint32_t * handle), handle)
QEL_FAKE_ENTRY(IsmUnlock, (uint32_t * handle), handle)
QEL_FAKE_ENTRY(IsmKill, (IsmStr * name), nullptr, 0, name)
QEL_FAKE_ENTRY(IsmReadNote, (uint32_t * handle, IsmStr*), handle)
QEL_FAKE_ENTRY(IsmWriteNote, (uint32_t * handle, IsmStr*), handle)
#ifndef QEL_FAKE_WITHOUT_FETCHFIELD
QEL_FAKE_ENTRY(IsmFetchField, (uint32_t * handle, int16_t*, IsmStr*), handle)
#endif

} // extern "C"
