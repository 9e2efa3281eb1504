#pragma once

// Files seen from outside the code under test: written by hand, their bytes, and how many descriptors of this
// process are open on one (an open dataset keeps its file open). Linux only.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

namespace qel::test {

inline void Spit(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ::chmod(path.c_str(), mode);
}

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline int OpenDescriptors(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec))
        count += std::filesystem::read_symlink(entry.path(), ec) == target;
    return count;
}

} // namespace qel::test
