// qelctl: Qel from the command line.
#include "cli/QelCtl.h"
#include "platform/Platform.h"

#include <atomic>
#include <csignal>
#include <iostream>

namespace {
std::atomic<bool> StopRequested{false};
extern "C" void RequestStop(int) {
    StopRequested.store(true);
}
} // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::vector<std::string> args(argv + 1, argv + argc);
    qel::cli::TCliEnvironment environment{qel::DefaultPlatform(), std::cout, std::cerr, {}, &StopRequested};
    const int code = qel::cli::RunQelCtl(args, environment);
    std::cout.flush();
    return code;
}
