// The Nth write, sync or lock fails (once or from then on), or the disk is full: only acknowledged writes stay.

#include "EngineSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <deque>

using namespace qel::test;

namespace {

enum TFault { Write, Sync, Lock, Full, None };

struct TFaultPlan {
    TFault Kind = None;
    int Nth = INT_MAX;
    bool Persistent = false;
    int Calls = 0, Injected = 0;
} gPlan;

bool Strike(std::initializer_list<TFault> kinds) {
    if (std::find(kinds.begin(), kinds.end(), gPlan.Kind) == kinds.end())
        return false;
    ++gPlan.Calls;
    const bool strike = gPlan.Calls == gPlan.Nth || (gPlan.Persistent && gPlan.Calls > gPlan.Nth);
    gPlan.Injected += strike;
    return strike;
}

sqlite3_vfs* gRealVfs = nullptr;
sqlite3_vfs gFaultVfs;
std::deque<std::pair<const sqlite3_io_methods*, sqlite3_io_methods>> gMethods; // real, with faults

const sqlite3_io_methods* Real(sqlite3_file* file) {
    return std::find_if(gMethods.begin(), gMethods.end(), [&](auto& m) { return &m.second == file->pMethods; })->first;
}

int FaultWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    if (Strike({Write, Full}))
        return gPlan.Kind == Full ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    return Real(file)->xWrite(file, data, amount, offset);
}
int FaultSync(sqlite3_file* file, int flags) {
    return Strike({Sync}) ? SQLITE_IOERR_FSYNC : Real(file)->xSync(file, flags);
}
int FaultLock(sqlite3_file* file, int level) {
    return Strike({Lock}) ? SQLITE_IOERR_LOCK : Real(file)->xLock(file, level);
}

int FaultOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    const int rc = gRealVfs->xOpen(gRealVfs, name, file, flags, outFlags);
    if (!file->pMethods)
        return rc;
    auto methods = std::find_if(gMethods.begin(), gMethods.end(), [&](auto& m) { return m.first == file->pMethods; });
    if (methods == gMethods.end()) {
        methods = gMethods.insert(gMethods.end(), {file->pMethods, *file->pMethods});
        methods->second.xWrite = FaultWrite;
        methods->second.xSync = FaultSync;
        methods->second.xLock = FaultLock;
    }
    file->pMethods = &methods->second;
    return rc;
}

const std::string Layout = "%,X$*10,$*20";
constexpr size_t RecordSize = 2 + 10 + 20;

std::string Record(int version, const std::string& key) {
    const std::string text = key + "/" + std::to_string(version);
    std::string record(RecordSize, '\0');
    record[0] = static_cast<char>(version);
    return record.replace(2, std::min<size_t>(text.size(), 9), text.substr(0, 9)).replace(12, text.size(), text);
}

std::map<int, int> RunWithFault(TFault kind, int nth, bool persistent) {
    TTempDir dir;
    const std::string name = dir / "faulty";
    EXPECT_EQ(Create(name, Layout), ISM_OK);
    uint32_t handle = 0;
    EXPECT_EQ(Open(name, &handle), ISM_OK);
    std::map<std::string, std::string> model;
    for (int i = 0; i < 5; ++i) {
        const std::string key = "base" + std::to_string(i);
        EXPECT_EQ(Put(handle, key, model[key] = Record(0, key)), ISM_OK);
    }
    gPlan = TFaultPlan{kind, nth, persistent, 0, 0};
    std::map<int, int> codes;
    for (int step = 1; step <= 12; ++step) {
        const int what = step % 4; // 0, 3: add; 1: replace; 2: delete
        const std::string key = what % 3 ? "base" + std::to_string(step % 5) : "new" + std::to_string(step);
        uint32_t other = 0;
        if (what == 3) {
            ScanKeys(handle, RecordSize, 2);
            if (Open(name, &other) == ISM_OK)
                Get(other, 0, ISM_READ_EQUAL, RecordSize, "base1");
            Close(other);
        }
        int16_t code = what == 2   ? Delete(handle, key)
                       : what == 1 ? Put(handle, key, Record(step, key), ISM_PUT_REPLACE)
                                   : Put(handle, key, Record(step, key));
        if (code == ISM_OK && what == 2)
            model.erase(key);
        else if (code == ISM_OK)
            model[key] = Record(step, key);
        else if (code == ISM_NOT_FOUND && what % 3 && !model.count(key))
            code = ISM_OK; // removed by an earlier step
        ++codes[code];
    }
    gPlan.Kind = None;
    EXPECT_EQ(Close(handle), ISM_OK);
    int16_t code = -1;
    EXPECT_EQ(Contents(name, RecordSize, &code), model);
    EXPECT_EQ(code, ISM_OK);
    EXPECT_EQ(IntegrityCheck(name + ".isd"), "ok");
    return codes;
}

class EngineFaults : public ::testing::TestWithParam<int> {};

TEST_P(EngineFaults, DatasetHoldsExactlyTheAcknowledgedWrites) {
    if (!gRealVfs) {
        gRealVfs = sqlite3_vfs_find(nullptr);
        gFaultVfs = *gRealVfs;
        gFaultVfs.zName = "qel-fault";
        gFaultVfs.xOpen = FaultOpen;
        ASSERT_EQ(sqlite3_vfs_register(&gFaultVfs, 1), SQLITE_OK);
    }
    const TFault kind = static_cast<TFault>(GetParam() / 2);
    const bool persistent = GetParam() % 2;
    ASSERT_EQ(RunWithFault(kind, INT_MAX, false).size(), 1u) << "no fault, no failure";
    const int calls = gPlan.Calls;
    ASSERT_GT(calls, 3);
    std::map<int, int> failed;
    for (int nth = 1; nth <= calls && !HasFailure(); nth += std::max(1, calls / 16)) {
        SCOPED_TRACE("fault at call " + std::to_string(nth) + " of " + std::to_string(calls));
        for (const auto& [code, count] : RunWithFault(kind, nth, persistent))
            failed[code] += code ? count : 0;
        EXPECT_GE(gPlan.Injected, 1);
    }
    const int said = kind == Full ? ISM_DISK_FULL : ISM_IO;
    EXPECT_GT(failed[said], 0);
    failed.erase(ISM_IO);
    failed.erase(said);
    failed.erase(ISM_OK);
    EXPECT_EQ(failed, (std::map<int, int>{}));
}

INSTANTIATE_TEST_SUITE_P(AllFaults, EngineFaults, ::testing::Range(0, 8), [](const auto& info) {
    return std::string(std::vector{"Write", "Sync", "Lock", "Full"}[info.param / 2]) +
           (info.param % 2 ? "FromThenOn" : "Once");
});

} // namespace
