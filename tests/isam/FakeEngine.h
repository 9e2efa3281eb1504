#pragma once

// A stand-in for libqelisam.so that records every call and answers from a
// script. The tests reach its state through FakeEngineState(), which the
// library exports beside the engine's entry points.

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

// What the next IsmGet answers.
struct TFakeRead {
    int16_t Code = 0;
    std::string Key;
    std::string IndexValue;
    std::string Record; // copied with its NUL into the caller's buffer when the code is 0
};

struct TFakeEngine {
    std::vector<TFakeCall> Calls;
    // Next result codes per entry point name; 0 once a queue is empty.
    std::map<std::string, std::deque<int16_t>> Codes;
    // Answers of IsmGet in turn; once empty it answers 1 with empty texts.
    std::deque<TFakeRead> Reads;
    uint32_t OpenHandle = 42;
    int32_t InfoRecordCount = 0;
    int16_t InfoKeyLength = 10;

    int LiveTexts = 0;        // allocated here and not yet freed
    int ForeignFrees = 0;     // SysFreeString of a text not allocated here
    int MalformedTexts = 0;   // text arguments whose length prefix does not match
    int NoteSlotNotEmpty = 0; // IsmInfo calls whose note slot came in non-empty

    void Reset() { *this = TFakeEngine(); }
    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const TFakeCall& call : Calls)
            names.push_back(call.Name);
        return names;
    }
};

extern "C" TFakeEngine* FakeEngineState();
