// Scans a dataset once through the engine, between two marker lines on
// stderr, so that a tracer can count the lock calls of the scan alone.
// Usage: engine_scan_locks DATASET (a path without ".isd"). Prints the number
// of records read on stdout; exit status 0 on success.

#include "engine/qelisam.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
void Mark(const char* text) {
    if (write(2, text, std::strlen(text)) < 0)
        _exit(3);
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const std::string name = argv[1];
    IsmStr nameText = SysAllocStringByteLen(name.data(), static_cast<uint32_t>(name.size()));
    int16_t reserved = 0, mode = ISM_MODE_SHARED, index = 0, next = ISM_READ_NEXT;
    uint32_t handle = 0;
    if (IsmOpen(&nameText, &reserved, &mode, &handle) != ISM_OK)
        return 1;
    SysFreeString(nameText);
    std::vector<char> buffer(64 * 1024);
    int records = 0;
    Mark("scan-begin\n");
    IsmBOF(&handle, &index);
    for (;;) {
        IsmStr value = nullptr, key = nullptr;
        const int16_t code = IsmGet(&handle, &index, &next, nullptr, &value, &key, buffer.data());
        SysFreeString(value);
        SysFreeString(key);
        if (code != ISM_OK)
            break;
        ++records;
    }
    Mark("scan-end\n");
    IsmClose(&handle);
    std::printf("%d\n", records);
    return 0;
}
