// qelctl: Qel from the command line.
#include "cli/QelCtl.h"
#include "platform/Platform.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <unistd.h>

namespace {
std::atomic<bool> StopRequested{false};
std::atomic<bool> WatchRunning{false};

// SIGINT and SIGTERM end every command at once with 128 + the signal, also
// while it is blocked on a hung share or a FIFO; the engine's journal keeps
// the datasets whole. `watch` and `serve` instead end cleanly.
extern "C" void OnStopSignal(int signal) {
    if (WatchRunning.load())
        StopRequested.store(true);
    else
        ::_exit(128 + signal);
}
} // namespace

int main(int argc, char** argv) {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::vector<std::string> args(argv + 1, argv + argc);
    qel::cli::TCliEnvironment environment{qel::DefaultPlatform(), std::cout,    std::cerr, {},
                                          &StopRequested,         &WatchRunning};
    const int code = qel::cli::RunQelCtl(args, environment);
    std::cout.flush();
    return code;
}
