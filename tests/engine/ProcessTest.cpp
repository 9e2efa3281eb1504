// Several processes on one dataset, and writers killed at random instants.

#include "EngineSupport.h"
#include "isam/IsamFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using namespace qel::test;

namespace {

// Field 1: the writer's number, field 2 ("X$*12"): a text naming the record.
const std::string Layout = "%,X$*12";
constexpr size_t RecordSize = 2 + 12;

std::string Record(int writer, const std::string& text) {
    return (std::string(1, static_cast<char>(writer)) + '\0' + text.substr(0, 11))
        .append(RecordSize, '\0')
        .substr(0, 14);
}

std::string Key(long number) {
    char key[24];
    std::snprintf(key, sizeof key, "%010ld", number);
    return key;
}

void WriteLine(int fd, const std::string& line) {
    const std::string text = line + "\n";
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        _exit(3);
}

std::string ReadAll(int fd) {
    std::string text;
    char chunk[4096];
    ssize_t got;
    while ((got = read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, static_cast<size_t>(got));
    return text;
}

// A child that adds `count` records numbered by TIsamFile, as the record classes do, and checks what it reads
// meanwhile; reports each acknowledged key as "writer key" (an add that lost its number on every try is not
// acknowledged). Exit status 0 when all held.
[[noreturn]] void AddAndRead(const std::string& name, int writer, int count, int fd) {
    qel::TIsamFile file;
    if (!file.OpenDataset(name, ISM_MODE_SHARED))
        _exit(10);
    std::string read(RecordSize, '\0');
    for (int i = 0; i < count; ++i) {
        const std::string text = "w" + std::to_string(writer) + "-" + std::to_string(i);
        const std::string record = Record(writer, text);
        if (!file.AddRecord(record.data(), "")) {
            if (file.LastError() == ISM_DUPLICATE)
                continue;
            _exit(11);
        }
        const std::string key = file.CurrentKey();
        WriteLine(fd, std::to_string(writer) + " " + key);
        if (!file.GetRecord(read.data(), 0, key) || read != record || !file.GetRecord(read.data(), 2, text) ||
            file.CurrentKey() != key)
            _exit(12);
        if (i % 8 == 0) {
            std::vector<std::string> keys;
            for (file.GoTop(0); file.GetNextRecord(read.data(), 0, "", 16);)
                keys.push_back(file.CurrentKey());
            if (file.LastError() != ISM_NOT_FOUND || keys.empty() || !std::is_sorted(keys.begin(), keys.end()) ||
                std::adjacent_find(keys.begin(), keys.end()) != keys.end())
                _exit(14);
        }
    }
    _exit(file.CloseDataset() ? 0 : 15);
}

TEST(EngineProcesses, ConcurrentWritersLoseAndDuplicateNothing) {
    TTempDir dir;
    const std::string name = dir / "shared";
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    constexpr int Writers = 4, PerWriter = 30;
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<pid_t> children;
    for (int writer = 1; writer <= Writers; ++writer) {
        const pid_t pid = fork();
        if (pid == 0) {
            ::close(fds[0]);
            AddAndRead(name, writer, PerWriter, fds[1]);
        }
        children.push_back(pid);
    }
    ::close(fds[1]);
    const std::string acknowledged = ReadAll(fds[0]);
    ::close(fds[0]);
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child exit status " << status;
    }

    int16_t code = -1;
    const auto contents = Contents(name, RecordSize, &code);
    ASSERT_EQ(code, ISM_OK);
    std::istringstream lines(acknowledged);
    int writer = 0, acks = 0;
    std::string key;
    while (lines >> writer >> key) {
        ++acks;
        ASSERT_TRUE(contents.count(key)) << key;
        EXPECT_EQ(contents.at(key)[0], writer) << key;
    }
    ASSERT_GT(acks, Writers * PerWriter / 2);
    EXPECT_EQ(contents.size(), static_cast<size_t>(acks));
    EXPECT_EQ(contents.rbegin()->first, Key(acks)) << "keys numbered without gaps";
    EXPECT_EQ(IntegrityCheck(name + ".isd"), "ok");
}

TEST(EngineProcesses, WriterThatCannotGetTheLockGivesBusy) {
    TTempDir dir;
    const std::string name = dir / "busy";
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    int ready[2], release[2];
    ASSERT_EQ(pipe(ready) | pipe(release), 0);
    // Another program holds the write lock until told to let go.
    const pid_t pid = fork();
    if (pid == 0) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((name + ".isd").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        WriteLine(ready[1], sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) ? "failed" : "locked");
        char byte;
        _exit(read(release[0], &byte, 1) == 1 && sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr) == 0 ? 0 : 2);
    }
    char answer[7] = {};
    ASSERT_EQ(read(ready[0], answer, 7), 7);
    ASSERT_EQ(std::string(answer, 6), "locked");

    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK) << "reading goes on beside a writer";
    EXPECT_EQ(Next(handle, RecordSize).Code, ISM_NOT_FOUND);
    EXPECT_EQ(Put(handle, Key(1), Record(1, "before")), ISM_BUSY);
    WriteLine(release[1], "go");
    waitpid(pid, nullptr, 0);
    EXPECT_EQ(Put(handle, Key(1), Record(1, "after")), ISM_OK);
    EXPECT_EQ(Get(handle, 0, ISM_READ_EQUAL, RecordSize, Key(1)).Buffer, Record(1, "after"));
    Close(handle);
    for (int fd : {ready[0], ready[1], release[0], release[1]})
        ::close(fd);
}

// Adds records from `first` on and rewrites the counter record after each;
// reports "A key" for each add and "C n" for each counter value once written.
[[noreturn]] void WriteUntilKilled(const std::string& name, long first, int fd) {
    uint32_t handle = 0;
    if (Open(name, &handle) != ISM_OK)
        _exit(10);
    for (long number = first;; ++number) {
        if (Put(handle, Key(number), Record(1, "r" + std::to_string(number))) != ISM_OK)
            _exit(11);
        WriteLine(fd, "A " + Key(number));
        if (Put(handle, "counter", Record(2, std::to_string(number)), ISM_PUT_REPLACE) != ISM_OK)
            _exit(12);
        WriteLine(fd, "C " + std::to_string(number));
    }
}

TEST(EngineProcesses, KilledWriterLeavesEveryAcknowledgedWrite) {
    TTempDir dir;
    const std::string name = dir / "killed";
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK);
    ASSERT_EQ(Put(handle, "counter", Record(2, "0")), ISM_OK);
    ASSERT_EQ(Close(handle), ISM_OK);

    std::mt19937 random(2026);
    std::set<std::string> added;
    long counter = 0, next = 1;
    for (int round = 0; round < 25; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            ::close(fds[0]);
            WriteUntilKilled(name, next, fds[1]);
        }
        ::close(fds[1]);
        // Let the writer get one write acknowledged, then kill it at a random
        // instant of the writes that follow.
        std::string reported;
        char byte = 0;
        while (reported.find('\n') == std::string::npos && read(fds[0], &byte, 1) == 1)
            reported += byte;
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 30000));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << status;
        std::istringstream lines(reported + ReadAll(fds[0]));
        ::close(fds[0]);
        std::string kind, value;
        while (lines >> kind >> value) {
            if (kind == "A")
                added.insert(value);
            else
                counter = std::stol(value);
        }

        int16_t code = -1;
        const auto contents = Contents(name, RecordSize, &code);
        ASSERT_EQ(code, ISM_OK) << "round " << round;
        for (const std::string& key : added) {
            ASSERT_TRUE(contents.count(key)) << "acknowledged " << key << " lost in round " << round;
            EXPECT_EQ(contents.at(key), Record(1, "r" + std::to_string(std::stol(key))));
        }
        // The counter holds at least the last acknowledged value, and at most
        // the number of the last record added (its rewrite may have been
        // committed without being reported).
        const long stored = std::stol(contents.at("counter").substr(2));
        const long highest = contents.size() >= 2 ? std::stol(std::prev(contents.end(), 2)->first) : 0;
        EXPECT_GE(stored, counter) << "round " << round;
        EXPECT_LE(stored, highest) << "round " << round;
        ASSERT_EQ(IntegrityCheck(name + ".isd"), "ok") << "round " << round;
        counter = stored;
        next = highest + 1;
        added.clear();
        for (const auto& [key, bytes] : contents)
            if (key != "counter")
                added.insert(key);
    }
    EXPECT_GT(next, 25) << "every writer got at least one write done";
}

} // namespace
