#pragma once

#include "tests/support/FileProbes.h"

#include <fstream>
#include <string>
#include <sys/stat.h>

namespace qel::test {

inline void Spit(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ::chmod(path.c_str(), mode);
}

} // namespace qel::test
