// The message store's reads of this computer's messages through the
// recipient index, against the plain pass over every record, on one dataset
// of 100,000 messages of which 1,000 are for this computer. Prints the
// ratios at the end.

#include "records/MessageObj.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace qel::bench {
namespace {

using namespace qel::test;

constexpr int TotalMessages = 100000;
constexpr int Computers = 100; // so 1,000 messages each
constexpr int NewForUs = 10;   // the latest ones; the rest of ours are old
const std::string OwnComputer = "PC042";

std::string ComputerName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "PC%03d", i);
    return name;
}

// The shared dataset, built once per run in memory when the machine offers it, so that building is not bound by
// the disk's flushes.
struct TBenchData {
    std::string Folder =
        std::filesystem::is_directory("/dev/shm") ? "/dev/shm/qel-bench-XXXXXX" : "/tmp/qel-bench-XXXXXX";
    TBenchData() {
        const auto start = std::chrono::steady_clock::now();
        if (!mkdtemp(Folder.data()))
            std::exit(1);
        Folder += "/";
        std::mt19937 random(42);
        TDatasetWriter writer(Folder);
        for (int i = 0, ours = 0; i < TotalMessages; ++i) {
            // Round robin: every computer's messages are spread over the whole key range.
            const std::string to = ComputerName(i % Computers), from = ComputerName(int(random() % Computers));
            const bool fresh = to == OwnComputer ? ++ours > 1000 - NewForUs : random() % 4 == 0;
            const TMessageDraft draft{.To = to,
                                      .From = from,
                                      .State = fresh ? MessageStateNew : MessageStateOld,
                                      .Subject = "Subject " + std::to_string(i),
                                      .Text = "Message text number " + std::to_string(i) +
                                              ", long enough to look like a real one.",
                                      .ToName = "User " + to,
                                      .FromName = "User " + from};
            if (writer.AddMessage(draft).empty())
                std::exit(2);
        }
        std::fprintf(stderr, "Built %d messages in %.1f s in %s\n", TotalMessages,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), Folder.c_str());
    }
    ~TBenchData() { std::filesystem::remove_all(Folder); }
};

TBenchData& Data() {
    static TBenchData data;
    return data;
}

// This computer running the program over the shared folder.
struct TOwnStation : TStation {
    TOwnStation() : TStation(OwnComputer, Data().Folder), Location(Data().Folder) {}
    std::string Location;
    std::unique_ptr<TQelMessage> Messages = std::make_unique<TQelMessage>(Context, Location);
};

class TNoWindow : public IMessageWindow {
public:
    void ShowModal(const TMessageWindowFields&) override { ++Shown; }
    int Shown = 0;
};

// The two readers must agree before their speed means anything.
bool ResultsAgree() {
    TOwnStation station;
    TInBoxRecorder inBox;
    station.Messages->LoadInBox(inBox, inBox);
    const TReferenceInBox reference = ReferenceInBox(Data().Folder, OwnComputer);
    TMessageWindowRecorder window;
    station.Messages->ShowNewMessages(window);
    return station.Messages->HasNewMessages() == ReferenceHasNewMessages(Data().Folder, OwnComputer) &&
           inBox.Rows == reference.Rows && inBox.Rows.size() == 1000u &&
           inBox.Panels[0] == "New messages = " + std::to_string(reference.NewCount) &&
           inBox.Panels[1] == "Old messages = " + std::to_string(reference.OldCount) &&
           window.Shown == ReferenceShownMessages(Data().Folder, OwnComputer) && station.Ui.Boxes.empty();
}

// Each operation through the recipient index and as the full pass over every record.
void RegisterBenchmarks() {
    using Run = std::function<void(TOwnStation&)>;
    const std::vector<std::tuple<const char*, Run, std::function<void()>>> operations = {
        {"HasNewMessages", [](TOwnStation& s) { benchmark::DoNotOptimize(s.Messages->HasNewMessages()); },
         [] { benchmark::DoNotOptimize(ReferenceHasNewMessages(Data().Folder, OwnComputer)); }},
        {"LoadInBox",
         [inBox = std::make_shared<TInBoxRecorder>()](TOwnStation& s) { s.Messages->LoadInBox(*inBox, *inBox); },
         [] { benchmark::DoNotOptimize(ReferenceInBox(Data().Folder, OwnComputer).Rows.data()); }},
        {"ShowNewMessages",
         [window = std::make_shared<TNoWindow>()](TOwnStation& s) { s.Messages->ShowNewMessages(*window); },
         [] { benchmark::DoNotOptimize(ReferenceShownMessages(Data().Folder, OwnComputer)); }},
    };
    for (const auto& [operation, fast, full] : operations) {
        benchmark::RegisterBenchmark((std::string("BM_") + operation + "_FullPass").c_str(),
                                     [full](benchmark::State& state) {
                                         for (auto _ : state)
                                             full();
                                     })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("BM_") + operation + "_RecipientIndex").c_str(),
                                     [fast](benchmark::State& state) {
                                         TOwnStation station;
                                         for (auto _ : state)
                                             fast(station);
                                     })
            ->Unit(benchmark::kMicrosecond);
    }
}

// Prints as usual and keeps each benchmark's real and CPU time per iteration.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                Times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(reports);
    }

    void PrintRatios() {
        std::printf("\nRecipient index against the full pass (%d messages, 1000 for this computer; target 20x):\n",
                    TotalMessages);
        for (const char* operation : {"HasNewMessages", "LoadInBox", "ShowNewMessages"}) {
            const auto [fullReal, fullCpu] = Times[std::string("BM_") + operation + "_FullPass"];
            const auto [fastReal, fastCpu] = Times[std::string("BM_") + operation + "_RecipientIndex"];
            if (fastReal > 0 && fastCpu > 0)
                std::printf("  %-16s real: full pass %9.1f us, recipient index %8.1f us, %6.1fx faster;"
                            " CPU: %6.1fx faster\n",
                            operation, fullReal, fastReal, fullReal / fastReal, fullCpu / fastCpu);
        }
    }

    std::map<std::string, std::pair<double, double>> Times; // real and CPU microseconds per iteration
};

} // namespace
} // namespace qel::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!qel::bench::ResultsAgree()) {
        std::fprintf(stderr, "The recipient-index reads and the full pass disagree; no timings taken.\n");
        return 1;
    }
    std::fprintf(stderr, "Results of both readers identical.\n");
    qel::bench::RegisterBenchmarks();
    qel::bench::TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
