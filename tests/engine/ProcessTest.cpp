// Several processes on one dataset, and writers killed at random instants.

#include "EngineSupport.h"
#include "isam/IsamFile.h"
#include "tests/support/AsNobody.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <sstream>
#include <thread>

using namespace qel::test;

namespace {

const std::string Layout = "%,X$*12";
constexpr size_t RecordSize = 2 + 12;

std::string Record(int writer, const std::string& text) {
    return (std::string{static_cast<char>(writer), 0} + text.substr(0, 11)).append(12, '\0').substr(0, RecordSize);
}

// Four processes add records numbered by TIsamFile and read them back.
TEST(EngineProcesses, ConcurrentWritersLoseAndDuplicateNothing) {
    TTempDir dir;
    const std::string name = dir / "shared";
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    constexpr int Writers = 4, PerWriter = 30;
    std::vector<std::pair<pid_t, int>> children;
    for (int writer = 1; writer <= Writers; ++writer)
        children.push_back(Spawn([&](int fd) {
            qel::TIsamFile file;
            std::string read(RecordSize, '\0');
            if (!file.OpenDataset(name, ISM_MODE_SHARED))
                _exit(10);
            for (int i = 0; i < PerWriter; ++i) {
                const std::string text = "w" + std::to_string(writer) + "-" + std::to_string(i);
                const std::string record = Record(writer, text);
                if (!file.AddRecord(record.data(), "") && file.LastError() != ISM_DUPLICATE)
                    _exit(11);
                if (file.LastError() == ISM_DUPLICATE)
                    continue;
                const std::string key = file.CurrentKey();
                Report(fd, std::to_string(writer) + " " + key + "\n");
                if (!file.GetRecord(read.data(), 2, text) || read != record || file.CurrentKey() != key)
                    _exit(12);
            }
            _exit(file.CloseDataset() ? 0 : 15);
        }));
    std::string acknowledged;
    for (auto [pid, fd] : children) {
        acknowledged += ReadReport(fd);
        EXPECT_EQ(ExitCode(pid), 0);
    }
    int16_t code = -1;
    const auto contents = Contents(name, RecordSize, &code);
    ASSERT_EQ(code, ISM_OK);
    std::istringstream lines(acknowledged);
    int writer = 0, acks = 0;
    for (std::string key; lines >> writer >> key; ++acks)
        EXPECT_EQ(contents.count(key) ? contents.at(key)[0] : -1, writer) << key;
    ASSERT_GT(acks, Writers * PerWriter / 2);
    EXPECT_EQ(contents.size(), static_cast<size_t>(acks));
    EXPECT_EQ(contents.rbegin()->first, FormatKey(acks)) << "keys numbered without gaps";
    EXPECT_EQ(IntegrityCheck(name + ".isd"), "ok");
}

TEST(EngineProcesses, WriterThatCannotGetTheLockGivesBusy) {
    TTempDir dir;
    const std::string name = dir / "busy";
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    const auto [pid, fd] = Spawn([&](int fd) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((name + ".isd").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        Report(fd, sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) ? "failed\n" : "locked\n");
        pause();
    });
    ASSERT_EQ(ReadReport(fd, true), "locked\n");
    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK) << "reading goes on beside a writer";
    EXPECT_EQ(Get(handle, 0, ISM_READ_NEXT, RecordSize).Code, ISM_NOT_FOUND);
    EXPECT_EQ(Put(handle, FormatKey(1), Record(1, "before")), ISM_BUSY);
    kill(pid, SIGKILL);
    ExitCode(pid);
    ::close(fd);
    EXPECT_EQ(Put(handle, FormatKey(1), Record(1, "after")), ISM_OK);
    EXPECT_EQ(Get(handle, 0, ISM_READ_EQUAL, RecordSize, FormatKey(1)).Buffer, Record(1, "after"));
    Close(handle);
}

// Writers adding records and rewriting a counter, killed at random instants, leave every acknowledged write.
TEST(EngineProcesses, KilledWriterLeavesEveryAcknowledgedWrite) {
    TTempDir dir;
    const std::string name = dir / "killed";
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK);
    ASSERT_EQ(Put(handle, "counter", Record(2, "0")), ISM_OK);
    ASSERT_EQ(Close(handle), ISM_OK);
    std::mt19937 random(2026);
    std::map<std::string, std::string> acknowledged;
    long counter = 0, next = 1;
    for (int round = 0; round < 25; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const auto [pid, fd] = Spawn([&](int fd) {
            uint32_t handle = 0;
            for (long number = next; Open(name, &handle) == ISM_OK; ++number) {
                if (Put(handle, FormatKey(number), Record(1, "r" + std::to_string(number))) != ISM_OK)
                    _exit(11);
                Report(fd, "A " + FormatKey(number) + "\n");
                if (Put(handle, "counter", Record(2, std::to_string(number)), ISM_PUT_REPLACE) != ISM_OK)
                    _exit(12);
                Report(fd, "C " + std::to_string(number) + "\n");
            }
            _exit(10);
        });
        std::string reported = ReadReport(fd, true);
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        kill(pid, SIGKILL);
        ASSERT_EQ(ExitCode(pid), 128 + SIGKILL) << "the writer stopped by itself";
        std::istringstream lines(reported + ReadReport(fd));
        for (std::string kind, value; lines >> kind >> value;) {
            if (kind == "A")
                acknowledged[value] = Record(1, "r" + std::to_string(std::stol(value)));
            else
                counter = std::stol(value);
        }
        int16_t code = -1;
        auto contents = Contents(name, RecordSize, &code);
        ASSERT_EQ(code, ISM_OK);
        const long stored = std::stol(contents["counter"].substr(2));
        contents.erase("counter");
        next = contents.empty() ? 1 : std::stol(contents.rbegin()->first) + 1;
        EXPECT_TRUE(stored >= counter && stored < next) << stored;
        for (const auto& [key, bytes] : acknowledged)
            ASSERT_EQ(contents[key], bytes) << "acknowledged " << key;
        ASSERT_EQ(IntegrityCheck(name + ".isd"), "ok");
        counter = stored;
        acknowledged = contents;
    }
    EXPECT_GT(next, 25) << "every writer got at least one write done";
}

} // namespace
