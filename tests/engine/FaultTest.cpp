// I/O faults under the engine: a SQLite VFS wrapping the default one, made
// the default for this test program, fails the Nth write, sync or lock (once
// or from then on) or reports a full disk. After each run the dataset must
// pass the integrity check and hold exactly the writes that returned 0.

#include "EngineSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <ostream>

using namespace qel::test;

namespace {

enum class TFault { None, Write, Sync, Lock, Full };

void PrintTo(TFault kind, std::ostream* out) {
    const char* names[] = {"None", "Write", "Sync", "Lock", "Full"};
    *out << names[static_cast<int>(kind)];
}

struct TFaultPlan {
    TFault Kind = TFault::None;
    int Nth = INT_MAX;
    bool Persistent = false;
    int Calls = 0;    // calls of the armed kind since arming
    int Injected = 0; // faults reported
} gPlan;

bool Strike(TFault kind) {
    if (gPlan.Kind != kind)
        return false;
    ++gPlan.Calls;
    if (gPlan.Calls == gPlan.Nth || (gPlan.Persistent && gPlan.Calls > gPlan.Nth)) {
        ++gPlan.Injected;
        return true;
    }
    return false;
}

struct TFaultFile {
    sqlite3_file Base;
    sqlite3_file* Real;
};

sqlite3_vfs* gRealVfs = nullptr;
sqlite3_vfs gFaultVfs;
sqlite3_io_methods gMethods;

sqlite3_file* RealOf(sqlite3_file* file) {
    return reinterpret_cast<TFaultFile*>(file)->Real;
}

int FaultClose(sqlite3_file* file) {
    sqlite3_file* real = RealOf(file);
    return real->pMethods ? real->pMethods->xClose(real) : SQLITE_OK;
}
int FaultRead(sqlite3_file* file, void* data, int amount, sqlite3_int64 offset) {
    return RealOf(file)->pMethods->xRead(RealOf(file), data, amount, offset);
}
int FaultWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    if (Strike(TFault::Write))
        return SQLITE_IOERR_WRITE;
    if (Strike(TFault::Full))
        return SQLITE_FULL;
    return RealOf(file)->pMethods->xWrite(RealOf(file), data, amount, offset);
}
int FaultTruncate(sqlite3_file* file, sqlite3_int64 size) {
    return RealOf(file)->pMethods->xTruncate(RealOf(file), size);
}
int FaultSync(sqlite3_file* file, int flags) {
    if (Strike(TFault::Sync))
        return SQLITE_IOERR_FSYNC;
    return RealOf(file)->pMethods->xSync(RealOf(file), flags);
}
int FaultFileSize(sqlite3_file* file, sqlite3_int64* size) {
    return RealOf(file)->pMethods->xFileSize(RealOf(file), size);
}
int FaultLock(sqlite3_file* file, int level) {
    if (Strike(TFault::Lock))
        return SQLITE_IOERR_LOCK;
    return RealOf(file)->pMethods->xLock(RealOf(file), level);
}
int FaultUnlock(sqlite3_file* file, int level) {
    return RealOf(file)->pMethods->xUnlock(RealOf(file), level);
}
int FaultCheckReservedLock(sqlite3_file* file, int* result) {
    return RealOf(file)->pMethods->xCheckReservedLock(RealOf(file), result);
}
int FaultFileControl(sqlite3_file* file, int op, void* arg) {
    return RealOf(file)->pMethods->xFileControl(RealOf(file), op, arg);
}
int FaultSectorSize(sqlite3_file* file) {
    return RealOf(file)->pMethods->xSectorSize(RealOf(file));
}
int FaultDeviceCharacteristics(sqlite3_file* file) {
    return RealOf(file)->pMethods->xDeviceCharacteristics(RealOf(file));
}
int FaultShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** map) {
    return RealOf(file)->pMethods->xShmMap(RealOf(file), page, size, extend, map);
}
int FaultShmLock(sqlite3_file* file, int offset, int n, int flags) {
    return RealOf(file)->pMethods->xShmLock(RealOf(file), offset, n, flags);
}
void FaultShmBarrier(sqlite3_file* file) {
    RealOf(file)->pMethods->xShmBarrier(RealOf(file));
}
int FaultShmUnmap(sqlite3_file* file, int deleteFlag) {
    return RealOf(file)->pMethods->xShmUnmap(RealOf(file), deleteFlag);
}
int FaultFetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** pointer) {
    return RealOf(file)->pMethods->xFetch(RealOf(file), offset, amount, pointer);
}
int FaultUnfetch(sqlite3_file* file, sqlite3_int64 offset, void* pointer) {
    return RealOf(file)->pMethods->xUnfetch(RealOf(file), offset, pointer);
}

int FaultOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* wrapper = reinterpret_cast<TFaultFile*>(file);
    wrapper->Real = reinterpret_cast<sqlite3_file*>(wrapper + 1);
    wrapper->Real->pMethods = nullptr;
    const int rc = gRealVfs->xOpen(gRealVfs, name, wrapper->Real, flags, outFlags);
    file->pMethods = wrapper->Real->pMethods ? &gMethods : nullptr;
    return rc;
}

// Makes the fault VFS the default one, once, before the engine opens a file.
void InstallFaultVfs() {
    if (gRealVfs)
        return;
    gRealVfs = sqlite3_vfs_find(nullptr);
    ASSERT_NE(gRealVfs, nullptr);
    gMethods = sqlite3_io_methods{3,
                                  FaultClose,
                                  FaultRead,
                                  FaultWrite,
                                  FaultTruncate,
                                  FaultSync,
                                  FaultFileSize,
                                  FaultLock,
                                  FaultUnlock,
                                  FaultCheckReservedLock,
                                  FaultFileControl,
                                  FaultSectorSize,
                                  FaultDeviceCharacteristics,
                                  FaultShmMap,
                                  FaultShmLock,
                                  FaultShmBarrier,
                                  FaultShmUnmap,
                                  FaultFetch,
                                  FaultUnfetch};
    gFaultVfs = *gRealVfs;
    gFaultVfs.pNext = nullptr;
    gFaultVfs.zName = "qel-fault";
    gFaultVfs.szOsFile = static_cast<int>(sizeof(TFaultFile)) + gRealVfs->szOsFile;
    gFaultVfs.xOpen = FaultOpen;
    ASSERT_EQ(sqlite3_vfs_register(&gFaultVfs, 1), SQLITE_OK);
    ASSERT_EQ(sqlite3_vfs_find(nullptr), &gFaultVfs);
}

void Arm(TFault kind, int nth, bool persistent) {
    gPlan = TFaultPlan{kind, nth, persistent, 0, 0};
}
void Disarm() {
    gPlan.Kind = TFault::None;
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
    int Injected = 0;
    int Calls = 0;
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

    Arm(kind, nth, persistent);
    for (int step = 1; step <= 12; ++step) {
        const std::string added = "new" + std::to_string(step);
        const std::string changed = "base" + std::to_string(step % 5);
        int16_t code = ISM_OK;
        switch (step % 4) {
        case 0:
            code = Put(handle, added, Record(step, added));
            if (code == ISM_OK)
                model[added] = Record(step, added);
            break;
        case 1:
            code = Put(handle, changed, Record(step, changed), ISM_PUT_REPLACE);
            if (code == ISM_OK)
                model[changed] = Record(step, changed);
            else if (code == ISM_NOT_FOUND && !model.count(changed))
                code = ISM_OK;
            break;
        case 2:
            code = Delete(handle, changed);
            if (code == ISM_OK)
                model.erase(changed);
            else if (code == ISM_NOT_FOUND && !model.count(changed))
                code = ISM_OK;
            break;
        case 3: {
            // Reads and an open of a second handle, under the same faults.
            ScanKeys(handle, RecordSize, 2);
            uint32_t other = 0;
            if (Open(name, &other) == ISM_OK) {
                Get(other, 0, ISM_READ_EQUAL, RecordSize, "base1");
                Close(other);
            }
            code = Put(handle, added, Record(step, added));
            if (code == ISM_OK)
                model[added] = Record(step, added);
            break;
        }
        }
        ++outcome.Codes[code];
    }
    Disarm();
    outcome.Injected = gPlan.Injected;
    outcome.Calls = gPlan.Calls;
    EXPECT_EQ(Close(handle), ISM_OK);

    // A fresh handle, no faults: exactly the acknowledged writes.
    uint32_t check = 0;
    EXPECT_EQ(Open(name, &check), ISM_OK);
    std::map<std::string, std::string> stored;
    for (;;) {
        const TRead read = Next(check, RecordSize);
        if (read.Code != ISM_OK) {
            EXPECT_EQ(read.Code, ISM_NOT_FOUND);
            break;
        }
        stored[read.Key] = read.Buffer;
    }
    Close(check);
    EXPECT_EQ(stored, model);
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
    int failedWrites = 0;
    for (int nth = 1; nth <= dry.Calls; nth += stride) {
        SCOPED_TRACE("fault at call " + std::to_string(nth) + " of " + std::to_string(dry.Calls));
        const TOutcome outcome = RunWithFault(kind, nth, persistent);
        EXPECT_GE(outcome.Injected, 1);
        for (const auto& [code, count] : outcome.Codes) {
            if (code == ISM_OK)
                continue;
            failedWrites += count;
            if (kind == TFault::Full)
                EXPECT_TRUE(code == ISM_DISK_FULL || code == ISM_IO) << code;
            else
                EXPECT_EQ(code, ISM_IO);
        }
        if (HasFailure())
            return; // one failing fault point is enough to read
    }
    EXPECT_GT(failedWrites, 0) << "the faults reached the writes";
}

TEST_F(EngineFaults, FullDiskIsReportedAsSuch) {
    TOutcome outcome = RunWithFault(TFault::Full, 1, true);
    EXPECT_GT(outcome.Codes[ISM_DISK_FULL], 0);
}

std::string FaultName(const ::testing::TestParamInfo<std::tuple<TFault, bool>>& info) {
    return ::testing::PrintToString(std::get<0>(info.param)) + (std::get<1>(info.param) ? "FromThenOn" : "Once");
}

INSTANTIATE_TEST_SUITE_P(AllFaults, EngineFaults,
                         ::testing::Combine(::testing::Values(TFault::Write, TFault::Sync, TFault::Lock, TFault::Full),
                                            ::testing::Bool()),
                         FaultName);

} // namespace
