#pragma once

// What the benchmarks share: wall-clock medians, fatal exits and a scratch folder.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <type_traits>
#include <unistd.h>
#include <vector>

namespace qel::bench {

using Clock = std::chrono::steady_clock;

inline double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

[[noreturn]] inline void Die(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, what.c_str());
    std::exit(1);
}

inline double MedianOf(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The median of `runs` timings of `action(run)` (run 1 to runs), in ms; 0 when an action returning bool fails.
template <class F> double Median(int runs, F action) {
    std::vector<double> times;
    for (int run = 1; run <= runs; ++run) {
        const auto start = Clock::now();
        if constexpr (std::is_same_v<decltype(action(run)), bool>) {
            if (!action(run))
                return 0;
        } else {
            action(run);
        }
        times.push_back(MsSince(start));
    }
    return MedianOf(times);
}

inline const char* Verdict(bool measured, double value, double target) {
    return !measured ? "not measured" : value <= target ? "met" : "MISSED";
}

// A new folder, in memory when asked and the machine offers it (building is then not bound by the disk's flushes).
inline std::string ScratchFolder(bool inMemory = true) {
    const bool shm = inMemory && std::filesystem::is_directory("/dev/shm");
    std::string folder = (shm ? "/dev/shm" : std::filesystem::temp_directory_path()).string() + "/qel-bench-XXXXXX";
    if (!mkdtemp(folder.data()))
        Die("cannot create a scratch folder");
    return folder + "/";
}

} // namespace qel::bench
