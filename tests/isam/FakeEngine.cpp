// The fake engine library. Built twice: complete, and with
// QEL_FAKE_WITHOUT_FETCHFIELD to lack one entry point.

#include "FakeEngine.h"

#include "engine/qelisam.h"

#include <cstdlib>
#include <cstring>
#include <set>

namespace {

TFakeEngine State;
std::set<const char*> Allocated;

int16_t NextCode(const char* name) {
    std::deque<int16_t>& queue = State.Codes[name];
    if (queue.empty())
        return 0;
    const int16_t code = queue.front();
    queue.pop_front();
    return code;
}

std::string ArgText(const IsmStr* text) {
    if (!text || !*text)
        return {};
    uint32_t length = 0;
    std::memcpy(&length, *text - sizeof length, sizeof length);
    if (length != std::strlen(*text))
        ++State.MalformedTexts;
    return *text;
}

IsmStr NewText(const std::string& text) {
    return SysAllocStringByteLen(text.data(), static_cast<uint32_t>(text.size()));
}

TFakeCall& Record(const char* name, const uint32_t* handle) {
    TFakeCall call;
    call.Name = name;
    call.Handle = handle ? *handle : 0;
    State.Calls.push_back(call);
    return State.Calls.back();
}

int16_t Simple(const char* name, const uint32_t* handle, const int16_t* index = nullptr) {
    TFakeCall& call = Record(name, handle);
    if (index)
        call.Numbers.push_back(*index);
    return NextCode(name);
}

} // namespace

extern "C" {

ISMAPI TFakeEngine* FakeEngineState() {
    return &State;
}

ISMAPI IsmStr SysAllocStringByteLen(const char* text, uint32_t length) {
    char* block = static_cast<char*>(std::calloc(sizeof length + length + 1, 1));
    if (!block)
        return nullptr;
    std::memcpy(block, &length, sizeof length);
    if (text)
        std::memcpy(block + sizeof length, text, length);
    IsmStr result = block + sizeof length;
    Allocated.insert(result);
    ++State.LiveTexts;
    return result;
}

ISMAPI void SysFreeString(IsmStr text) {
    if (!text)
        return;
    if (Allocated.erase(text) == 0) {
        ++State.ForeignFrees;
        return;
    }
    --State.LiveTexts;
    std::free(text - sizeof(uint32_t));
}

ISMAPI int16_t IsmCreate(IsmStr* name, int16_t*, int32_t*, int16_t*, int16_t*, IsmStr* layout) {
    Record("IsmCreate", nullptr).Text = ArgText(name);
    ArgText(layout);
    return NextCode("IsmCreate");
}

ISMAPI int16_t IsmOpen(IsmStr* name, int16_t* r, int16_t* mode, uint32_t* handle) {
    TFakeCall& call = Record("IsmOpen", nullptr);
    call.Text = ArgText(name);
    call.Numbers = {*r, *mode};
    const int16_t code = NextCode("IsmOpen");
    if (code == 0)
        *handle = State.OpenHandle;
    return code;
}

ISMAPI int16_t IsmClose(uint32_t* handle) {
    return Simple("IsmClose", handle);
}

ISMAPI int16_t IsmGet(uint32_t* handle, int16_t* index, int16_t* readMode, IsmStr* searchKey, IsmStr* indexValueOut,
                      IsmStr* keyOut, void* buffer) {
    TFakeCall& call = Record("IsmGet", handle);
    call.Numbers = {*index, *readMode};
    call.Text = ArgText(searchKey);
    call.Buffer = buffer;
    TFakeRead read;
    read.Code = 1;
    if (!State.Reads.empty()) {
        read = State.Reads.front();
        State.Reads.pop_front();
    }
    *keyOut = NewText(read.Key);
    *indexValueOut = NewText(read.IndexValue);
    if (read.Code == 0 && !read.Record.empty())
        std::memcpy(buffer, read.Record.c_str(), read.Record.size() + 1);
    return read.Code;
}

ISMAPI int16_t IsmPut(uint32_t* handle, IsmStr* key, void* buffer, int16_t* putMode) {
    TFakeCall& call = Record("IsmPut", handle);
    call.Text = ArgText(key);
    call.Numbers = {*putMode};
    call.Buffer = buffer;
    return NextCode("IsmPut");
}

ISMAPI int16_t IsmDelete(uint32_t* handle, IsmStr* key) {
    Record("IsmDelete", handle).Text = ArgText(key);
    return NextCode("IsmDelete");
}

ISMAPI int16_t IsmBOF(uint32_t* handle, int16_t* index) {
    return Simple("IsmBOF", handle, index);
}
ISMAPI int16_t IsmEOF(uint32_t* handle, int16_t* index) {
    return Simple("IsmEOF", handle, index);
}

ISMAPI int16_t IsmInfo(uint32_t* handle, IsmInfoRec* info) {
    Record("IsmInfo", handle);
    if (info->noteText)
        ++State.NoteSlotNotEmpty;
    const int16_t code = NextCode("IsmInfo");
    // Both text slots come back filled, failure or not: the caller owns them.
    info->infoText = NewText("fake engine");
    info->noteText = NewText("note");
    if (code == 0) {
        info->recordCount = State.InfoRecordCount;
        info->keyLength = State.InfoKeyLength;
    }
    return code;
}

ISMAPI int16_t IsmLock(uint32_t* handle) {
    return Simple("IsmLock", handle);
}
ISMAPI int16_t IsmUnlock(uint32_t* handle) {
    return Simple("IsmUnlock", handle);
}
ISMAPI int16_t IsmKill(IsmStr* name) {
    Record("IsmKill", nullptr).Text = ArgText(name);
    return NextCode("IsmKill");
}
ISMAPI int16_t IsmReadNote(uint32_t* handle, IsmStr*) {
    return Simple("IsmReadNote", handle);
}
ISMAPI int16_t IsmWriteNote(uint32_t* handle, IsmStr*) {
    return Simple("IsmWriteNote", handle);
}
#ifndef QEL_FAKE_WITHOUT_FETCHFIELD
ISMAPI int16_t IsmFetchField(uint32_t* handle, int16_t*, IsmStr*) {
    return Simple("IsmFetchField", handle);
}
#endif

} // extern "C"
