#pragma once

#include "platform/Platform.h"

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace qel::cli {

// Exit codes of qelctl.
inline constexpr int ExitOk = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;
inline constexpr int ExitNotAdministrator = 3;

inline constexpr const char* AdministratorRequiredText = "Administrator rights required";

// Where one run of qelctl reads and writes.
struct TCliEnvironment {
    // The machine's platform; --computer and --user are laid over it.
    TPlatform& Platform;
    std::ostream& Out;
    std::ostream& Err;
    // Folder of the engine library; empty: beside the program, then the
    // library search (as the desktop program does).
    std::string EngineFolder;
    // Set (from a signal handler) to end `watch`; other commands ignore it.
    const std::atomic<bool>* Stop = nullptr;
    // Set by `watch` and `serve` while they honour Stop; until then a signal handler
    // should end the process at once.
    std::atomic<bool>* Stoppable = nullptr;
};

// Runs one qelctl command line (`args` without the program name) and returns
// its exit code: ExitOk, ExitFailure (what failed is on Err), ExitUsage (bad
// command line; usage on Err) or ExitNotAdministrator.
int RunQelCtl(const std::vector<std::string>& args, TCliEnvironment& environment);

// The usage text printed by "help" and after a usage error.
extern const char* const UsageText;

} // namespace qel::cli
