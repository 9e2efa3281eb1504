#pragma once

// A stand-in for libqelisam.so that records every call and answers from a script (FakeEngineState()).

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

struct TFakeCall {
    std::string Name;
    uint32_t Handle = 0;
    int32_t Mode = 0;             // the open, read or put mode
    std::string Text;             // the first text argument: name, key or search key
    const void* Buffer = nullptr; // of a read or put
};

struct TFakeRead {
    int16_t Code = 0;
    std::string Key, IndexValue, Record;
};

struct TFakeEngine {
    std::vector<TFakeCall> Calls;
    std::map<std::string, std::deque<int16_t>> Codes; // next result codes per entry point; then 0
    std::deque<TFakeRead> Reads;                      // IsmGet's answers in turn; then 1 with empty texts
    uint32_t OpenHandle = 42;
    int32_t InfoRecordCount = 0;
    int16_t InfoKeyLength = 10;
    // Texts not freed, frees of foreign texts, texts with a wrong length prefix, IsmInfo with a filled note slot.
    int LiveTexts = 0, ForeignFrees = 0, MalformedTexts = 0, NoteSlotNotEmpty = 0;
};

extern "C" TFakeEngine* FakeEngineState();
