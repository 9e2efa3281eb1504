// The engine, through TIsamFile, against raw SQLite on the same dataset file: a scan of 10,000 records in key
// order and single-record updates. Prints the ratios after the runs, then the fcntl lock calls of one
// 1,000-record scan counted with strace (this program, run as "--scan-locks DATASET", is the traced scanner).

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

std::string Record(int number, int version) {
    std::string record(RecordSize, '\0');
    const std::string name = "USER" + std::to_string(number) + "/" + std::to_string(version);
    const std::string computer = "PC" + std::to_string(number);
    return record.replace(2, name.size(), name).replace(IndexOffset, computer.size(), computer);
}

// Binds the key, the record and its index value to ?1, ?2 and ?3 and runs the statement.
bool StepWith(sqlite3_stmt* statement, int number, int version) {
    const std::string key = Key(number), record = Record(number, version);
    const std::string value = record.c_str() + IndexOffset;
    sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(statement, 2, record.data(), static_cast<int>(record.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(statement, 3, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_reset(statement);
    return done;
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
    for (int i = 1; i <= records; ++i)
        if (!StepWith(insert, i, 0))
            std::abort();
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

struct TFixture {
    std::string Folder = (std::filesystem::temp_directory_path() / "qelbench-XXXXXX").string();
    std::string Name = (mkdtemp(Folder.data()) ? Folder : std::string("/nonexistent")) + "/QelDBase";
    TFixture() { MakeDataset(Name, ScanRecords); }
    ~TFixture() { std::filesystem::remove_all(Folder); }
};

TFixture& Fixture() {
    static TFixture fixture;
    return fixture;
}

// Scans through the engine between two marker lines on stderr, so that a tracer can tell the scan's lock calls.
int ScanBetweenMarkers(const std::string& name) {
    qel::TIsamFile file;
    std::vector<unsigned char> buffer(RecordSize);
    if (!file.OpenDataset(name, 3))
        return 1;
    std::fputs("scan-begin\n", stderr);
    std::fflush(stderr);
    for (file.GoTop(0); file.GetNextRecord(buffer.data(), 0, "", 16);)
        ;
    std::fputs("scan-end\n", stderr);
    std::fflush(stderr);
    return file.LastError() == 1 && file.CloseDataset() ? 0 : 1;
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
    for (int version = 1; auto _ : state) {
        const int number = 1 + ++version % 100;
        if (!file.UpdateRecord(Record(number, version).data(), Key(number)))
            state.SkipWithError("update failed");
    }
}

void SqliteUpdate(benchmark::State& state) {
    sqlite3* db = RawConnection(Fixture().Name + ".isd");
    sqlite3_stmt *begin = nullptr, *update = nullptr, *commit = nullptr;
    sqlite3_prepare_v2(db, "BEGIN IMMEDIATE", -1, &begin, nullptr);
    sqlite3_prepare_v2(db, "UPDATE records SET data=?2, f7=?3 WHERE key=?1", -1, &update, nullptr);
    sqlite3_prepare_v2(db, "COMMIT", -1, &commit, nullptr);
    for (int version = 1; auto _ : state) {
        sqlite3_step(begin);
        sqlite3_reset(begin);
        ++version;
        const bool updated = StepWith(update, 1 + version % 100, version) && sqlite3_changes(db) == 1;
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

// Keeps the median real time per iteration of each benchmark, by name, besides printing.
class TRatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median" && !run.error_occurred)
                Times[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const std::string& engine, const std::string& raw, double target) {
        const double ratio = Times[raw] > 0 ? Times[engine] / Times[raw] : 0;
        std::printf("%s / %s = %.2fx (target <= %.1fx): %s\n", engine.c_str(), raw.c_str(), ratio, target,
                    ratio <= 0        ? "not measured"
                    : ratio <= target ? "met"
                                      : "MISSED");
    }
    std::map<std::string, double> Times;
};

// Counts F_SETLK/F_SETLKW calls between the scanner's markers in a strace log.
void PrintScanLocks() {
    const std::string name = Fixture().Folder + "/LockScan", log = Fixture().Folder + "/strace.log";
    MakeDataset(name, LockScanRecords);
    const std::string command = "strace -f -e trace=fcntl,write -o '" + log + "' '" +
                                std::filesystem::read_symlink("/proc/self/exe").string() + "' --scan-locks '" + name +
                                "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        std::printf("lock calls of a %d-record scan: not measured (strace or the scan failed)\n", LockScanRecords);
        return;
    }
    std::ifstream lines(log);
    int inScan = 0, total = 0;
    bool scanning = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("scan-") != std::string::npos)
            scanning = line.find("scan-begin") != std::string::npos;
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
    if (argc == 3 && std::string(argv[1]) == "--scan-locks")
        return ScanBetweenMarkers(argv[2]);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    Fixture();
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    reporter.PrintRatio("EngineScan", "SqliteScan", 3.0);
    reporter.PrintRatio("EngineUpdate", "SqliteUpdate", 1.5);
    PrintScanLocks();
    benchmark::Shutdown();
    return 0;
}
