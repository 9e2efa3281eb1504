#pragma once

// A stand-in for libqelisam.so that records every call and answers from a script; the tests reach its
// state through FakeEngineState(), exported beside the engine's entry points.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

struct TFakeCall {
    std::string Name;
    uint32_t Handle = 0;
    std::vector<int32_t> Numbers; // the numeric arguments after the handle, in order
    std::string Text;             // the first text argument: name, key or search key
    const void* Buffer = nullptr;
};

// What the next IsmGet answers; the record is copied with its NUL into the buffer when the code is 0.
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
    int LiveTexts = 0;        // allocated here and not yet freed
    int ForeignFrees = 0;     // SysFreeString of a text not allocated here
    int MalformedTexts = 0;   // text arguments whose length prefix does not match
    int NoteSlotNotEmpty = 0; // IsmInfo calls whose note slot came in non-empty

    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const TFakeCall& call : Calls)
            names.push_back(call.Name);
        return names;
    }
};

extern "C" TFakeEngine* FakeEngineState();
