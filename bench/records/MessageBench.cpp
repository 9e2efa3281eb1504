// The message store's reads through the recipient index against the plain pass over every record, timed in the same run
// on 100,000 messages, 1,000 of them for this computer. Usage: bench_records_messages [RUNS] (default 20).

#include "bench/BenchSupport.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <functional>
#include <random>

namespace {

using namespace qel;
using namespace qel::test;

constexpr int TotalMessages = 100000;
constexpr int NewForUs = 10; // the latest ones; the rest of ours are old
const std::string OwnComputer = "PC042";

int Run(int runs, const std::string& folder) {
    {
        std::mt19937 random(42);
        TDatasetWriter writer(folder);
        for (int i = 0, ours = 0; i < TotalMessages; ++i) {
            // 100 computers, so 1,000 messages each, spread over the whole key range.
            const std::string to = "PC" + std::to_string(1000 + i % 100).substr(1);
            const std::string from = "PC" + std::to_string(1000 + random() % 100).substr(1);
            const bool fresh = to == OwnComputer ? ++ours > 1000 - NewForUs : random() % 4 == 0;
            const std::string n = std::to_string(i);
            const TMessageDraft draft{.To = to,
                                      .From = from,
                                      .State = fresh ? MessageStateNew : MessageStateOld,
                                      .Subject = "Subject " + n,
                                      .Text = "Message text number " + n + ", long enough to look like a real one.",
                                      .ToName = "User " + to,
                                      .FromName = "User " + from};
            if (writer.AddMessage(draft).empty())
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
        window.Shown.size() != size_t(NewForUs) || !messages.HasNewMessages() || !station.Ui.Boxes.empty())
        bench::Die("the recipient-index reads and the full pass disagree; no timings taken");
    const double full = bench::Median(runs, [&](int) { ReferenceInBox(folder, OwnComputer); });
    std::printf("Recipient index against the full pass (%d messages, 1000 for this computer, median of %d runs; "
                "target 20x):\n",
                TotalMessages, runs);
    for (const auto& [name, operation] : std::initializer_list<std::pair<const char*, std::function<void(int)>>>{
             {"HasNewMessages", [&](int) { messages.HasNewMessages(); }},
             {"LoadInBox", [&](int) { messages.LoadInBox(inBox, inBox); }},
             {"ShowNewMessages", [&](int) { messages.ShowNewMessages(window); }}}) {
        const double fast = bench::Median(runs, operation);
        std::printf("  %-16s full pass %9.1f us, recipient index %8.1f us, %6.1fx faster\n", name, full * 1000,
                    fast * 1000, full / fast);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = bench::ScratchFolder();
    const int code = Run(argc > 1 ? std::max(1, std::atoi(argv[1])) : 20, folder);
    std::filesystem::remove_all(folder);
    return code;
}
