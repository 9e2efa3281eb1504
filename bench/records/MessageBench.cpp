// The message store's reads of this computer's messages through the
// recipient index, against the plain pass over every record timed in the
// same run, on 100,000 messages of which 1,000 are for this computer.
// Usage: bench_records_messages [RUNS] (default 20); prints medians and ratios.

#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <unistd.h>

namespace qel::bench {
namespace {

using namespace qel::test;
using Clock = std::chrono::steady_clock;

constexpr int TotalMessages = 100000;
constexpr int Computers = 100; // so 1,000 messages each
constexpr int NewForUs = 10;   // the latest ones; the rest of ours are old
const std::string OwnComputer = "PC042";

std::string ComputerName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "PC%03d", i);
    return name;
}

// In memory when the machine offers it, so that building is not bound by the disk's flushes.
std::string BuildDataset() {
    std::string folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm/qel-bench-XXXXXX" : "/tmp/qel-bench-XXXXXX";
    if (!mkdtemp(folder.data()))
        std::exit(1);
    folder += "/";
    std::mt19937 random(42);
    TDatasetWriter writer(folder);
    for (int i = 0, ours = 0; i < TotalMessages; ++i) {
        // Round robin: every computer's messages are spread over the whole key range.
        const std::string to = ComputerName(i % Computers), from = ComputerName(int(random() % Computers));
        const bool fresh = to == OwnComputer ? ++ours > 1000 - NewForUs : random() % 4 == 0;
        if (writer
                .AddMessage(
                    {.To = to,
                     .From = from,
                     .State = fresh ? MessageStateNew : MessageStateOld,
                     .Subject = "Subject " + std::to_string(i),
                     .Text = "Message text number " + std::to_string(i) + ", long enough to look like a real one.",
                     .ToName = "User " + to,
                     .FromName = "User " + from})
                .empty())
            std::exit(2);
    }
    return folder;
}

// The median of `runs` timings of `action`, in microseconds.
double MedianUs(int runs, const std::function<void()>& action) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        action();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int Run(int runs, const std::string& folder) {
    TStation station(OwnComputer, folder);
    const std::string location = folder;
    TQelMessage messages(station.Context, location);
    TInBoxRecorder inBox;
    TMessageWindowRecorder window;
    messages.LoadInBox(inBox, inBox);
    messages.ShowNewMessages(window);
    const TReferenceInBox reference = ReferenceInBox(folder, OwnComputer);
    // The two readers must agree before their speed means anything.
    if (inBox.Rows != reference.Rows || inBox.Rows.size() != 1000u || window.Shown != reference.Shown ||
        window.Shown.size() != size_t(NewForUs) || !messages.HasNewMessages() || !station.Ui.Boxes.empty()) {
        std::fprintf(stderr, "The recipient-index reads and the full pass disagree; no timings taken.\n");
        return 1;
    }
    window.OnShow = [&](const TMessageWindowFields&) { window.Shown.clear(); };
    const double full = MedianUs(runs, [&] { ReferenceInBox(folder, OwnComputer); });
    const std::pair<const char*, std::function<void()>> operations[] = {
        {"HasNewMessages", [&] { messages.HasNewMessages(); }},
        {"LoadInBox", [&] { messages.LoadInBox(inBox, inBox); }},
        {"ShowNewMessages", [&] { messages.ShowNewMessages(window); }},
    };
    std::printf("Recipient index against the full pass (%d messages, 1000 for this computer, median of %d; "
                "target 20x):\n",
                TotalMessages, runs);
    for (const auto& [name, operation] : operations) {
        const double fast = MedianUs(runs, operation);
        std::printf("  %-16s full pass %9.1f us, recipient index %8.1f us, %6.1fx faster\n", name, full, fast,
                    full / fast);
    }
    return 0;
}

} // namespace
} // namespace qel::bench

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const auto start = qel::bench::Clock::now();
    const std::string folder = qel::bench::BuildDataset();
    std::fprintf(stderr, "Built %d messages in %.1f s in %s\n", qel::bench::TotalMessages,
                 std::chrono::duration<double>(qel::bench::Clock::now() - start).count(), folder.c_str());
    const int code = qel::bench::Run(runs, folder);
    std::filesystem::remove_all(folder);
    return code;
}
