#pragma once

#include "tests/support/FileProbes.h"

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace qel::test {

// Sets (or with nullptr, removes) an environment variable for the life of
// the object, then puts the old value back.
class TEnvironmentOverride {
public:
    TEnvironmentOverride(const char* name, const char* value) : FName(name) {
        if (const char* old = std::getenv(name))
            FOld = old;
        Set(value);
    }
    ~TEnvironmentOverride() { Set(FOld ? FOld->c_str() : nullptr); }
    TEnvironmentOverride(const TEnvironmentOverride&) = delete;

private:
    void Set(const char* value) { value ? ::setenv(FName.c_str(), value, 1) : ::unsetenv(FName.c_str()); }
    std::string FName;
    std::optional<std::string> FOld;
};

inline void Spit(const std::string& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ::chmod(path.c_str(), mode);
}

} // namespace qel::test
