#pragma once

#include <cstddef>

namespace qel::cli {

// A file compiled into the program (see cmake/EmbedFiles.cmake).
struct TEmbeddedFile {
    const char* Name; // file name without its folder
    const unsigned char* Data;
    size_t Size;
};

extern const TEmbeddedFile EmbeddedFiles[];
extern const size_t EmbeddedFileCount;

} // namespace qel::cli
