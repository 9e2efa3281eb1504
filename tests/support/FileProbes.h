#pragma once

// Looks at files from outside the code under test: their bytes, and whether
// this process holds them open (an open dataset keeps its file open, a closed
// one does not). Linux only; header-only.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qel::test {

inline std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// How many descriptors of this process are open on `path`.
inline int OpenDescriptors(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(path, ec);
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkError;
        const fs::path link = fs::read_symlink(entry.path(), linkError);
        if (!linkError && link == target)
            ++count;
    }
    return count;
}

} // namespace qel::test
