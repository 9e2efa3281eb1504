// The engine, through TIsamFile, against raw SQLite on the same dataset file: a scan of 10,000 records in key order and
// single-record updates, as ratios of median wall times; then the fcntl lock calls of one 1,000-record scan counted
// with strace (this program, run as "--scan-locks DATASET", is the traced scanner).

#include "bench/BenchSupport.h"
#include "isam/IsamFile.h"

#include <sqlite3.h>

#include <cstring>
#include <fstream>

namespace {

using qel::bench::Median;
using qel::bench::Verdict;

// The users dataset's layout; field 7 is its secondary index.
const std::string Layout = "%,$*21,$*31,$*11,$*21,$*41,X$*21";
constexpr size_t RecordSize = 2 + 21 + 31 + 11 + 21 + 41 + 21, IndexOffset = RecordSize - 21;
constexpr int ScanRecords = 10000, LockScanRecords = 1000;

std::string Key(int number) {
    return std::to_string(10000000000LL + number).substr(1);
}

sqlite3* Raw(const std::string& name) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2((name + ".isd").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        qel::bench::Die("cannot open " + name);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
    return db;
}

std::string Record(int number, int version) {
    const std::string name = "USER" + std::to_string(number) + "/" + std::to_string(version);
    const std::string computer = "PC" + std::to_string(number);
    return std::string(RecordSize, '\0').replace(2, name.size(), name).replace(IndexOffset, computer.size(), computer);
}

// Runs the statement with record `number`'s key, bytes and index value bound to ?1, ?2 and ?3.
bool StepWith(sqlite3_stmt* statement, int number, int version) {
    const std::string key = Key(number), record = Record(number, version), value = record.c_str() + IndexOffset;
    sqlite3_bind_text(statement, 1, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(statement, 2, record.data(), static_cast<int>(record.size()), SQLITE_TRANSIENT);
    sqlite3_bind_blob(statement, 3, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
    const bool done = sqlite3_step(statement) == SQLITE_DONE;
    sqlite3_reset(statement);
    return done;
}

// Creates `name` through the engine and fills it in one raw transaction (one put each would commit each).
void MakeDataset(const std::string& name, int records) {
    qel::TIsamFile file;
    if (!file.CreateDataset(name, 10, Layout))
        qel::bench::Die("cannot create " + name + ": " + file.ErrorText());
    sqlite3* db = Raw(name);
    sqlite3_stmt* insert = nullptr;
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO records(key, data, f7) VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
    for (int i = 1; i <= records; ++i)
        if (!StepWith(insert, i, 0))
            std::abort();
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Every record through the engine in key order: how many were read, or -1 when the scan ended in an error.
int EngineScan(qel::TIsamFile& file) {
    std::vector<unsigned char> buffer(RecordSize);
    int records = 0;
    for (file.GoTop(0); file.GetNextRecord(buffer.data(), 0, "", 16);)
        ++records;
    return file.LastError() == 1 ? records : -1;
}

void PrintRatio(const char* what, double engine, double raw, double target) {
    const double ratio = engine > 0 && raw > 0 ? engine / raw : 0;
    std::printf("%s: engine %.3f ms, SQLite %.3f ms, ratio %.2fx (target <= %.1fx): %s\n", what, engine, raw, ratio,
                target, Verdict(ratio > 0, ratio, target));
}

// Counts the F_SETLK/F_SETLKW calls between the traced scanner's markers.
void PrintScanLocks(const std::string& folder) {
    const std::string name = folder + "LockScan", log = folder + "strace.log";
    MakeDataset(name, LockScanRecords);
    const std::string command = "strace -f -e trace=fcntl,write -o '" + log + "' '" +
                                std::filesystem::read_symlink("/proc/self/exe").string() + "' --scan-locks '" + name +
                                "' >/dev/null 2>&1";
    int inScan = 0, total = 0;
    bool scanning = false;
    std::ifstream lines(std::system(command.c_str()) == 0 ? log : "");
    for (std::string line; std::getline(lines, line);) {
        scanning = line.find("scan-") == std::string::npos ? scanning : line.find("scan-begin") != std::string::npos;
        total += line.find("F_SETLK") != std::string::npos;
        inScan += scanning && line.find("F_SETLK") != std::string::npos;
    }
    std::printf("fcntl lock calls of one %d-record scan: %d (target <= 4): %s; whole run with open and close: %d\n",
                LockScanRecords, inScan, Verdict(total > 0, inScan, 4), total);
}

} // namespace

int main(int argc, char** argv) {
    qel::TIsamFile file;
    if (argc == 3 && std::string(argv[1]) == "--scan-locks") {
        if (!file.OpenDataset(argv[2], 3))
            return 1;
        std::fputs("scan-begin\n", stderr);
        const int records = EngineScan(file);
        std::fputs("scan-end\n", stderr);
        return records == LockScanRecords && file.CloseDataset() ? 0 : 1;
    }
    const std::string folder = qel::bench::ScratchFolder(false), name = folder + "QelDBase";
    MakeDataset(name, ScanRecords);
    sqlite3* db = Raw(name);
    sqlite3_stmt *select = nullptr, *update = nullptr;
    sqlite3_prepare_v2(db, "SELECT key, data FROM records ORDER BY key", -1, &select, nullptr);
    sqlite3_prepare_v2(db, "UPDATE records SET data=?2, f7=?3 WHERE key=?1", -1, &update, nullptr);
    if (!file.OpenDataset(name, 3))
        return 1;
    std::string buffer(RecordSize, '\0');
    const double engineScan = Median(21, [&](int) { return EngineScan(file) == ScanRecords; });
    const double rawScan = Median(21, [&](int) {
        int records = 0;
        for (std::string key; sqlite3_step(select) == SQLITE_ROW; ++records) {
            key.assign(reinterpret_cast<const char*>(sqlite3_column_text(select, 0)),
                       static_cast<size_t>(sqlite3_column_bytes(select, 0)));
            std::memcpy(buffer.data(), sqlite3_column_blob(select, 1), RecordSize);
        }
        return sqlite3_reset(select) == SQLITE_OK && records == ScanRecords;
    });
    PrintRatio("scan of 10,000 records", engineScan, rawScan, 3.0);
    // Each update is one durable commit: wall time, other programs sharing the machine.
    const double engineUpdate =
        Median(31, [&](int run) { return file.UpdateRecord(Record(1 + run % 100, run).data(), Key(1 + run % 100)); });
    const double rawUpdate = Median(31, [&](int run) {
        return sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK &&
               StepWith(update, 1 + run % 100, run) && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == 0;
    });
    PrintRatio("one update", engineUpdate, rawUpdate, 1.5);
    sqlite3_finalize(select);
    sqlite3_finalize(update);
    sqlite3_close(db);
    file.CloseDataset();
    PrintScanLocks(folder);
    std::filesystem::remove_all(folder);
}
