// The engine, through TIsamFile, against raw SQLite on the same dataset file:
// a scan of 10,000 records in key order and single-record updates. Prints the
// ratios after the runs, then the fcntl lock calls of one 1,000-record scan
// counted with strace.

#include "isam/IsamFile.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// The users dataset's layout; field 7 is its secondary index.
const std::string Layout = "%,$*21,$*31,$*11,$*21,$*41,X$*21";
constexpr size_t RecordSize = 2 + 21 + 31 + 11 + 21 + 41 + 21;
constexpr size_t IndexOffset = RecordSize - 21;
constexpr int ScanRecords = 10000;
constexpr int LockScanRecords = 1000;

std::string Key(int number) {
    char key[24];
    std::snprintf(key, sizeof key, "%010d", number);
    return key;
}

std::vector<unsigned char> Record(int number, int version) {
    std::vector<unsigned char> record(RecordSize, 0);
    const std::string name = "USER" + std::to_string(number) + "/" + std::to_string(version);
    const std::string computer = "PC" + std::to_string(number);
    std::memcpy(record.data() + 2, name.data(), name.size());
    std::memcpy(record.data() + IndexOffset, computer.data(), computer.size());
    return record;
}

std::string IndexValue(const std::vector<unsigned char>& record) {
    return reinterpret_cast<const char*>(record.data() + IndexOffset);
}

sqlite3* RawConnection(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        std::abort();
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return db;
}

// Creates `name` through the engine and fills it in one raw transaction
// (one engine put per record would mean one synced commit each).
void MakeDataset(const std::string& name, int records) {
    qel::TIsamFile file;
    if (!file.EngineLoaded() || !file.CreateDataset(name, 10, Layout)) {
        std::fprintf(stderr, "cannot create %s: %s\n", name.c_str(), file.ErrorText().c_str());
        std::exit(1);
    }
    sqlite3* db = RawConnection(name + ".isd");
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO records(key, data, f7) VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
    for (int i = 1; i <= records; ++i) {
        const std::string key = Key(i);
        const auto record = Record(i, 0);
        const std::string value = IndexValue(record);
        sqlite3_bind_text(insert, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 2, record.data(), static_cast<int>(record.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(insert, 3, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(insert) != SQLITE_DONE)
            std::abort();
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

struct TFixture {
    std::string Folder;
    std::string Name;
    TFixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qelbench-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            std::abort();
        Folder = pattern;
        Name = Folder + "/QelDBase";
        MakeDataset(Name, ScanRecords);
    }
    ~TFixture() { std::filesystem::remove_all(Folder); }
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

void EngineScan(benchmark::State& state) {
    qel::TIsamFile file;
    if (!file.OpenDataset(Fixture().Name, 3)) {
        state.SkipWithError("open failed");
        return;
    }
    std::vector<unsigned char> buffer(RecordSize);
    for (auto _ : state) {
        int records = 0;
        file.GoTop(0);
        while (file.GetNextRecord(buffer.data(), 0, "", 16))
            ++records;
        if (records != ScanRecords || file.LastError() != 1)
            state.SkipWithError("scan incomplete");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(state.iterations() * ScanRecords);
}

void SqliteScan(benchmark::State& state) {
    sqlite3* db = RawConnection(Fixture().Name + ".isd");
    sqlite3_stmt* select = nullptr;
    sqlite3_prepare_v2(db, "SELECT key, data FROM records ORDER BY key", -1, &select, nullptr);
    std::vector<unsigned char> buffer(RecordSize);
    std::string key;
    for (auto _ : state) {
        int records = 0;
        while (sqlite3_step(select) == SQLITE_ROW) {
            key.assign(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)),
                       static_cast<size_t>(sqlite3_column_bytes(select, 0)));
            std::memcpy(buffer.data(), sqlite3_column_blob(select, 1), RecordSize);
            ++records;
        }
        sqlite3_reset(select);
        if (records != ScanRecords)
            state.SkipWithError("scan incomplete");
        benchmark::DoNotOptimize(buffer.data());
    }
    sqlite3_finalize(select);
    sqlite3_close(db);
    state.SetItemsProcessed(state.iterations() * ScanRecords);
}

void EngineUpdate(benchmark::State& state) {
    qel::TIsamFile file;
    if (!file.OpenDataset(Fixture().Name, 3)) {
        state.SkipWithError("open failed");
        return;
    }
    int version = 0;
    for (auto _ : state) {
        ++version;
        const int number = 1 + version % 100;
        const auto record = Record(number, version);
        if (!file.UpdateRecord(record.data(), Key(number)))
            state.SkipWithError("update failed");
    }
}

void SqliteUpdate(benchmark::State& state) {
    sqlite3* db = RawConnection(Fixture().Name + ".isd");
    sqlite3_stmt *begin = nullptr, *update = nullptr, *commit = nullptr;
    sqlite3_prepare_v2(db, "BEGIN IMMEDIATE", -1, &begin, nullptr);
    sqlite3_prepare_v2(db, "UPDATE records SET data=?2, f7=?3 WHERE key=?1", -1, &update, nullptr);
    sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
    int version = 0;
    for (auto _ : state) {
        ++version;
        const int number = 1 + version % 100;
        const std::string key = Key(number);
        const auto record = Record(number, version);
        const std::string value = IndexValue(record);
        sqlite3_step(begin);
        sqlite3_reset(begin);
        sqlite3_bind_text(update, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(update, 2, record.data(), static_cast<int>(record.size()), SQLITE_TRANSIENT);
        sqlite3_bind_blob(update, 3, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
        const bool updated = sqlite3_step(update) == SQLITE_DONE && sqlite3_changes(db) == 1;
        sqlite3_reset(update);
        if (sqlite3_step(commit) != SQLITE_DONE || !updated)
            state.SkipWithError("update failed");
        sqlite3_reset(commit);
    }
    for (sqlite3_stmt* statement : {begin, update, commit})
        sqlite3_finalize(statement);
    sqlite3_close(db);
}

// Wall time, since updates wait for the disk; medians of a few repetitions,
// since other programs share the machine.
BENCHMARK(EngineScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(SqliteScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(EngineUpdate)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(SqliteUpdate)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(3)->ReportAggregatesOnly(true);

// Keeps the median real time per iteration of each benchmark, by name,
// besides printing.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                Times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> Times;
};

void PrintRatio(const TRatioReporter& reporter, const char* engine, const char* raw, double target) {
    const auto e = reporter.Times.find(engine);
    const auto r = reporter.Times.find(raw);
    if (e == reporter.Times.end() || r == reporter.Times.end() || r->second <= 0) {
        std::printf("%s / %s: not measured\n", engine, raw);
        return;
    }
    const double ratio = e->second / r->second;
    std::printf("%s / %s = %.2fx (target <= %.1fx): %s\n", engine, raw, ratio, target,
                ratio <= target ? "met" : "MISSED");
}

// Counts F_SETLK/F_SETLKW calls between the helper's markers in a strace log.
void PrintScanLocks() {
    const std::filesystem::path helper =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "engine_scan_locks";
    const std::string name = Fixture().Folder + "/LockScan";
    MakeDataset(name, LockScanRecords);
    const std::string log = Fixture().Folder + "/strace.log";
    const std::string command =
        "strace -f -e trace=fcntl,write -o '" + log + "' '" + helper.string() + "' '" + name + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::printf("lock calls of a %d-record scan: not measured (strace or %s failed)\n", LockScanRecords,
                    helper.c_str());
        return;
    }
    std::ifstream lines(log);
    std::string line;
    int inScan = 0, total = 0;
    bool scanning = false;
    while (std::getline(lines, line)) {
        if (line.find("scan-begin") != std::string::npos)
            scanning = true;
        else if (line.find("scan-end") != std::string::npos)
            scanning = false;
        else if (line.find("F_SETLK") != std::string::npos) {
            ++total;
            inScan += scanning;
        }
    }
    std::printf("fcntl lock calls of one %d-record scan: %d (target <= 4): %s; whole run with open and close: %d\n",
                LockScanRecords, inScan, inScan <= 4 ? "met" : "MISSED", total);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Fixture();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    PrintRatio(reporter, "EngineScan", "SqliteScan", 3.0);
    PrintRatio(reporter, "EngineUpdate", "SqliteUpdate", 1.5);
    PrintScanLocks();
    benchmark::Shutdown();
    return 0;
}
