// The message store's reads of this computer's messages through the
// recipient index, against the plain pass over every record, on one dataset
// of 100,000 messages of which 1,000 are for this computer. Prints the
// ratios at the end.

#include "records/MessageObj.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <unistd.h>

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

// A temporary folder, in memory when the machine offers one, so that building
// the dataset is not bound by the disk's flushes.
std::string MakeFolder() {
    for (const char* base : std::array<const char*, 3>{"/dev/shm", std::getenv("TMPDIR"), "/tmp"}) {
        if (!base || !std::filesystem::is_directory(base))
            continue;
        std::string pattern = std::string(base) + "/qel-bench-XXXXXX";
        if (mkdtemp(pattern.data()))
            return pattern + "/";
    }
    std::fprintf(stderr, "no temporary folder\n");
    std::exit(1);
}

// The shared dataset, built once per run.
struct TBenchData {
    std::string Folder;
    double BuildSeconds = 0;

    TBenchData() : Folder(MakeFolder()) {
        const auto start = std::chrono::steady_clock::now();
        std::mt19937 random(42);
        TDatasetWriter writer(Folder);
        int ours = 0;
        for (int i = 0; i < TotalMessages; ++i) {
            // Round robin: every computer's messages are spread over the whole key range.
            const std::string to = ComputerName(i % Computers);
            TMessageDraft draft{.To = to,
                                .From = ComputerName(static_cast<int>(random() % Computers)),
                                .Subject = "Subject " + std::to_string(i),
                                .Text = "Message text number " + std::to_string(i) +
                                        ", long enough to look like a real one.",
                                .ToName = "User " + to};
            draft.FromName = "User " + draft.From;
            if (to == OwnComputer)
                draft.State = ++ours > 1000 - NewForUs ? MessageStateNew : MessageStateOld;
            else
                draft.State = random() % 4 == 0 ? MessageStateNew : MessageStateOld;
            if (writer.AddMessage(draft).empty()) {
                std::fprintf(stderr, "could not store message %d\n", i);
                std::exit(1);
            }
        }
        BuildSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::fprintf(stderr, "Built %d messages (%d for %s) in %.1f s in %s\n", TotalMessages, ours,
                     OwnComputer.c_str(), BuildSeconds, Folder.c_str());
    }
    ~TBenchData() {
        std::error_code ec;
        std::filesystem::remove_all(Folder, ec);
    }
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

void BM_HasNewMessages_RecipientIndex(benchmark::State& state) {
    TOwnStation station;
    for (auto _ : state)
        benchmark::DoNotOptimize(station.Messages->HasNewMessages());
}

void BM_HasNewMessages_FullPass(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReferenceHasNewMessages(Data().Folder, OwnComputer));
}

void BM_LoadInBox_RecipientIndex(benchmark::State& state) {
    TOwnStation station;
    TInBoxRecorder inBox;
    for (auto _ : state) {
        station.Messages->LoadInBox(inBox, inBox);
        benchmark::DoNotOptimize(inBox.Rows.data());
    }
}

void BM_LoadInBox_FullPass(benchmark::State& state) {
    for (auto _ : state) {
        TReferenceInBox inBox = ReferenceInBox(Data().Folder, OwnComputer);
        benchmark::DoNotOptimize(inBox.Rows.data());
    }
}

void BM_ShowNewMessages_RecipientIndex(benchmark::State& state) {
    TOwnStation station;
    TNoWindow window;
    for (auto _ : state)
        station.Messages->ShowNewMessages(window);
}

void BM_ShowNewMessages_FullPass(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReferenceShownMessages(Data().Folder, OwnComputer));
}

BENCHMARK(BM_HasNewMessages_FullPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HasNewMessages_RecipientIndex)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadInBox_FullPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadInBox_RecipientIndex)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowNewMessages_FullPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowNewMessages_RecipientIndex)->Unit(benchmark::kMicrosecond);

// Prints as usual and keeps each benchmark's real and CPU time per iteration.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        for (const Run& run : reports)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                Times[run.benchmark_name()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
        ConsoleReporter::ReportRuns(reports);
    }

    void PrintRatios() const {
        std::printf("\nRecipient index against the full pass (%d messages, 1000 for this computer; target 20x):\n",
                    TotalMessages);
        for (const char* operation : {"HasNewMessages", "LoadInBox", "ShowNewMessages"}) {
            const auto full = Times.find(std::string("BM_") + operation + "_FullPass");
            const auto fast = Times.find(std::string("BM_") + operation + "_RecipientIndex");
            if (full == Times.end() || fast == Times.end() || fast->second.first <= 0 || fast->second.second <= 0)
                continue;
            std::printf("  %-16s real: full pass %9.1f us, recipient index %8.1f us, %6.1fx faster;"
                        " CPU: %6.1fx faster\n",
                        operation, full->second.first, fast->second.first, full->second.first / fast->second.first,
                        full->second.second / fast->second.second);
        }
    }

    // Real and CPU time per iteration, in microseconds.
    std::map<std::string, std::pair<double, double>> Times;
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
    qel::bench::TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
