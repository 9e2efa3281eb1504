// The message store's reads through the recipient index against the plain pass
// over every record, timed in the same run on 100,000 messages, 1,000 of them
// for this computer. Usage: bench_records_messages [RUNS] (default 20).

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

namespace {

using namespace qel;
using namespace qel::test;

constexpr int TotalMessages = 100000;
constexpr int NewForUs = 10; // the latest ones; the rest of ours are old
const std::string OwnComputer = "PC042";

// The median of `runs` timings of `action`, in microseconds.
double MedianUs(int runs, const std::function<void()>& action) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        action();
        times.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

int Run(int runs, const std::string& folder) {
    {
        std::mt19937 random(42);
        TDatasetWriter writer(folder);
        for (int i = 0, ours = 0; i < TotalMessages; ++i) {
            // 100 computers, so 1,000 messages each, spread over the whole key range.
            const std::string to = "PC" + std::to_string(1000 + i % 100).substr(1);
            const std::string from = "PC" + std::to_string(1000 + random() % 100).substr(1);
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
                return 2;
        }
    }

    TStation station(OwnComputer, folder);
    TQelMessage messages(station.Context, folder);
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
    const double full = MedianUs(runs, [&] { ReferenceInBox(folder, OwnComputer); });
    std::printf("Recipient index against the full pass (%d messages, 1000 for this computer, median of %d runs; "
                "target 20x):\n",
                TotalMessages, runs);
    for (const auto& [name, operation] : std::initializer_list<std::pair<const char*, std::function<void()>>>{
             {"HasNewMessages", [&] { messages.HasNewMessages(); }},
             {"LoadInBox", [&] { messages.LoadInBox(inBox, inBox); }},
             {"ShowNewMessages", [&] { messages.ShowNewMessages(window); }}}) {
        const double fast = MedianUs(runs, operation);
        std::printf("  %-16s full pass %9.1f us, recipient index %8.1f us, %6.1fx faster\n", name, full, fast,
                    full / fast);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // In memory when the machine offers it, so that building is not bound by the disk's flushes.
    std::string folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm/qel-bench-XXXXXX" : "/tmp/qel-bench-XXXXXX";
    if (!mkdtemp(folder.data()))
        return 1;
    const int code = Run(argc > 1 ? std::max(1, std::atoi(argv[1])) : 20, folder + "/");
    std::filesystem::remove_all(folder);
    return code;
}
