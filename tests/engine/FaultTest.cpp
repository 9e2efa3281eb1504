// I/O faults under the engine: a SQLite VFS wrapping the default one, made
// the default for this test program, fails the Nth write, sync or lock (once
// or from then on) or reports a full disk. After each run the dataset must
// pass the integrity check and hold exactly the writes that returned 0.

#include "EngineSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>
#include <map>

using namespace qel::test;

namespace {

enum class TFault { None, Write, Sync, Lock, Full };

// The armed fault strikes the Nth call of its kind (and every later one when persistent).
struct TFaultPlan {
    TFault Kind = TFault::None;
    int Nth = INT_MAX;
    bool Persistent = false;
    int Calls = 0, Injected = 0;
} gPlan;

bool Strike(TFault kind) {
    if (gPlan.Kind != kind || (++gPlan.Calls != gPlan.Nth && !(gPlan.Persistent && gPlan.Calls > gPlan.Nth)))
        return false;
    return ++gPlan.Injected;
}

// The fault VFS opens files with the default VFS and gives them a copy of
// their methods in which write, sync and lock can fail first.
sqlite3_vfs* gRealVfs = nullptr;
sqlite3_vfs gFaultVfs;
struct TMethods {
    const sqlite3_io_methods* Real;
    sqlite3_io_methods Fault;
};
std::deque<TMethods> gMethods; // one per kind of file the default VFS opens

const sqlite3_io_methods* Real(sqlite3_file* file) {
    for (const TMethods& methods : gMethods)
        if (&methods.Fault == file->pMethods)
            return methods.Real;
    std::abort();
}

int FaultWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    if (Strike(TFault::Write))
        return SQLITE_IOERR_WRITE;
    if (Strike(TFault::Full))
        return SQLITE_FULL;
    return Real(file)->xWrite(file, data, amount, offset);
}
int FaultSync(sqlite3_file* file, int flags) {
    return Strike(TFault::Sync) ? SQLITE_IOERR_FSYNC : Real(file)->xSync(file, flags);
}
int FaultLock(sqlite3_file* file, int level) {
    return Strike(TFault::Lock) ? SQLITE_IOERR_LOCK : Real(file)->xLock(file, level);
}

int FaultOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    const int rc = gRealVfs->xOpen(gRealVfs, name, file, flags, outFlags);
    if (!file->pMethods)
        return rc;
    auto methods = std::find_if(gMethods.begin(), gMethods.end(),
                                [&](const TMethods& known) { return known.Real == file->pMethods; });
    if (methods == gMethods.end()) {
        methods = gMethods.insert(gMethods.end(), {file->pMethods, *file->pMethods});
        methods->Fault.xWrite = FaultWrite;
        methods->Fault.xSync = FaultSync;
        methods->Fault.xLock = FaultLock;
    }
    file->pMethods = &methods->Fault;
    return rc;
}

// Makes the fault VFS the default one, once, before the engine opens a file.
void InstallFaultVfs() {
    if (gRealVfs)
        return;
    gRealVfs = sqlite3_vfs_find(nullptr);
    ASSERT_NE(gRealVfs, nullptr);
    gFaultVfs = *gRealVfs;
    gFaultVfs.pNext = nullptr;
    gFaultVfs.zName = "qel-fault";
    gFaultVfs.xOpen = FaultOpen;
    ASSERT_EQ(sqlite3_vfs_register(&gFaultVfs, 1), SQLITE_OK);
}

const std::string Layout = "%,X$*10,$*20";
constexpr size_t RecordSize = 2 + 10 + 20;

std::string Record(int version, const std::string& key) {
    std::string record(RecordSize, '\0');
    record[0] = static_cast<char>(version);
    const std::string text = key + "/" + std::to_string(version);
    record.replace(2, std::min<size_t>(text.size(), 9), text.substr(0, 9));
    record.replace(12, text.size(), text);
    return record;
}

struct TOutcome {
    int Injected = 0, Calls = 0;
    std::map<int16_t, int> Codes; // result codes of the writes, counted
};

// Runs a fixed mix of adds, replaces, deletes, reads and opens with the plan
// armed, then checks the dataset against the writes that returned 0.
TOutcome RunWithFault(TFault kind, int nth, bool persistent) {
    TOutcome outcome;
    TTempDir dir;
    const std::string name = dir / "faulty";
    EXPECT_EQ(Create(name, Layout), ISM_OK);
    uint32_t handle = 0;
    EXPECT_EQ(Open(name, &handle), ISM_OK);
    std::map<std::string, std::string> model;
    for (int i = 0; i < 5; ++i) {
        const std::string key = "base" + std::to_string(i);
        EXPECT_EQ(Put(handle, key, Record(0, key)), ISM_OK);
        model[key] = Record(0, key);
    }

    gPlan = TFaultPlan{kind, nth, persistent, 0, 0};
    for (int step = 1; step <= 12; ++step) {
        const int what = step % 4; // 0, 3: add; 1: replace; 2: delete
        const bool existing = what == 1 || what == 2;
        const std::string key = existing ? "base" + std::to_string(step % 5) : "new" + std::to_string(step);
        if (what == 3) {
            // Reads and an open of a second handle, under the same faults.
            ScanKeys(handle, RecordSize, 2);
            uint32_t other = 0;
            if (Open(name, &other) == ISM_OK) {
                Get(other, 0, ISM_READ_EQUAL, RecordSize, "base1");
                Close(other);
            }
        }
        int16_t code = what == 2  ? Delete(handle, key)
                       : existing ? Put(handle, key, Record(step, key), ISM_PUT_REPLACE)
                                  : Put(handle, key, Record(step, key));
        if (code == ISM_OK && what == 2)
            model.erase(key);
        else if (code == ISM_OK)
            model[key] = Record(step, key);
        else if (code == ISM_NOT_FOUND && existing && !model.count(key))
            code = ISM_OK; // removed by an earlier step
        ++outcome.Codes[code];
    }
    outcome = {gPlan.Injected, gPlan.Calls, outcome.Codes};
    gPlan.Kind = TFault::None;
    EXPECT_EQ(Close(handle), ISM_OK);

    // A fresh handle, no faults: exactly the acknowledged writes.
    int16_t code = -1;
    EXPECT_EQ(Contents(name, RecordSize, &code), model);
    EXPECT_EQ(code, ISM_OK);
    EXPECT_EQ(IntegrityCheck(name + ".isd"), "ok");
    return outcome;
}

class EngineFaults : public ::testing::TestWithParam<std::tuple<TFault, bool>> {
protected:
    void SetUp() override { InstallFaultVfs(); }
};

TEST_P(EngineFaults, DatasetHoldsExactlyTheAcknowledgedWrites) {
    const auto [kind, persistent] = GetParam();
    // A dry run counts the calls a fault can strike; then strike a spread of them.
    const TOutcome dry = RunWithFault(kind, INT_MAX, false);
    ASSERT_EQ(dry.Codes.size(), 1u) << "no fault, no failure";
    ASSERT_GT(dry.Calls, 3);
    const int stride = std::max(1, dry.Calls / 16);
    std::map<int16_t, int> failed;
    for (int nth = 1; nth <= dry.Calls; nth += stride) {
        SCOPED_TRACE("fault at call " + std::to_string(nth) + " of " + std::to_string(dry.Calls));
        const TOutcome outcome = RunWithFault(kind, nth, persistent);
        EXPECT_GE(outcome.Injected, 1);
        for (const auto& [code, count] : outcome.Codes)
            if (code != ISM_OK)
                failed[code] += count;
        if (HasFailure())
            return; // one failing fault point is enough to read
    }
    // The faults reached the writes, which said I/O error; a full disk (also) as such.
    EXPECT_GT(failed[kind == TFault::Full ? ISM_DISK_FULL : ISM_IO], 0);
    failed.erase(ISM_IO);
    failed.erase(kind == TFault::Full ? ISM_DISK_FULL : ISM_IO);
    EXPECT_EQ(failed, (std::map<int16_t, int>{}));
}

std::string FaultName(const ::testing::TestParamInfo<std::tuple<TFault, bool>>& info) {
    const char* kinds[] = {"None", "Write", "Sync", "Lock", "Full"};
    return kinds[static_cast<int>(std::get<0>(info.param))] +
           std::string(std::get<1>(info.param) ? "FromThenOn" : "Once");
}

INSTANTIATE_TEST_SUITE_P(AllFaults, EngineFaults,
                         ::testing::Combine(::testing::Values(TFault::Write, TFault::Sync, TFault::Lock, TFault::Full),
                                            ::testing::Bool()),
                         FaultName);

} // namespace
