// Taken names, leftovers of killed creates, folders the engine may not write, and hot journals.

#include "EngineSupport.h"
#include "isam/IsamFile.h"
#include "tests/support/AsNobody.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <set>

using namespace qel::test;

namespace {

const std::string Layout = "%,$*21,X$*21,$*3000";
constexpr size_t RecordSize = 2 + 21 + 21 + 3000;

std::string Record(int number) {
    std::string record(RecordSize, static_cast<char>('a' + number % 26));
    const std::string name = "name " + std::to_string(number);
    record.replace(0, 2, {static_cast<char>(number), 0});
    return record.replace(2, 21, name + std::string(21 - name.size(), '\0'));
}

void Fill(const std::string& name, int count) {
    ASSERT_EQ(Create(name, Layout), ISM_OK);
    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK);
    for (int i = 1; i <= count; ++i)
        ASSERT_EQ(Put(handle, FormatKey(i), Record(i)), ISM_OK);
    ASSERT_EQ(Close(handle), ISM_OK);
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Of racing creates one makes the dataset; later creates and opens leave it and clear this computer's leftovers.
TEST(EngineFiles, CreateIsExclusiveAndLeftoversOfKilledCreatesGo) {
    TTempDir dir;
    const std::string name = dir / "users";
    std::vector<pid_t> children;
    for (int i = 0; i < 6; ++i) {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(Create(name, i % 2 ? Layout : "X$*31"));
        children.push_back(pid);
    }
    std::multiset<int> codes;
    for (pid_t pid : children)
        codes.insert(ExitCode(pid));
    EXPECT_EQ(codes, (std::multiset<int>{ISM_OK, ISM_EXISTS, ISM_EXISTS, ISM_EXISTS, ISM_EXISTS, ISM_EXISTS}));
    char buffer[256] = {};
    ASSERT_EQ(gethostname(buffer, sizeof buffer - 1), 0);
    std::string host = buffer;
    host.erase(std::remove_if(host.begin(), host.end(), [](char c) { return !std::isalnum(c) && c != '.'; }),
               host.end());
    const std::string mine = ".isd.new-" + host + "-", gone = std::to_string(children[0]);
    std::set<std::string> kept = {"stats" + mine + gone + "-1", "users" + mine + std::to_string(getpid()) + "-2",
                                  "users.isd.new-" + host + "x-" + gone + "-3", "users.isd.new-" + gone + "-4"};
    for (const std::string& file : kept)
        std::ofstream(dir / file) << "half made";
    kept.insert("users.isd");
    const auto old = std::filesystem::last_write_time(name + ".isd") - std::chrono::hours(1000);
    std::filesystem::last_write_time(name + ".isd", old);
    for (bool open : {false, true}) {
        for (const char* end : {"-5", "-5-journal"})
            std::ofstream(dir / "users" + mine + gone + end) << "half made";
        uint32_t handle = 0;
        EXPECT_EQ(open ? Open(name, &handle) : Create(name, Layout), open ? ISM_OK : ISM_EXISTS);
        EXPECT_TRUE(!open || ScanKeys(handle, RecordSize).empty());
        Close(handle);
        EXPECT_EQ(Entries(dir.Path), kept) << (open ? "open" : "create");
    }
    EXPECT_EQ(std::filesystem::last_write_time(name + ".isd"), old) << "the existing file is not touched";
}

// Unwritable places give 13 to writes and reads go on; a hot journal nobody may roll back gives 14.
TEST(EngineFiles, ReadOnlyPlacesGiveFolderCodeAndHotJournalsIoCode) {
    TTempDir dir;
    const std::string locked = dir / "locked", shared = dir / "shared", crashed = locked + "/crashed";
    for (const std::string& folder : {locked, shared})
        std::filesystem::create_directory(folder);
    Fill(locked + "/users", 5);
    Fill(shared + "/readonly", 3);
    Fill(shared + "/secret", 3);
    Fill(crashed, 40);
    const std::string before = FileBytes(locked + "/users.isd"), whole = FileBytes(crashed + ".isd");
    const pid_t pid = fork();
    if (pid == 0) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((crashed + ".isd").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN IMMEDIATE; UPDATE records SET data=zeroblob(length(data))",
                     nullptr, nullptr, nullptr);
        _exit(0); // dies with half its pages written
    }
    waitpid(pid, nullptr, 0);
    ASSERT_NE(FileBytes(crashed + ".isd"), whole) << "the dying writer changed the file";
    ASSERT_EQ(::chmod(locked.c_str(), 0555) + ::chmod((shared + "/readonly.isd").c_str(), 0444) +
                  ::chmod((shared + "/secret.isd").c_str(), 0) + ::chmod(shared.c_str(), 0777),
              0);
    const std::string answer = RunAsNobody([&] {
        qel::TIsamFile isam;
        std::string out = isam.CreateDataset(locked + "/new", 10, Layout) ? "created" : isam.ErrorDetail();
        if (isam.OpenDataset(shared + "/readonly", 3, Layout) && !isam.AddRecord(Record(9).data(), ""))
            out += "|" + isam.ErrorText() + "|" + isam.ErrorDetail();
        isam.CloseDataset();
        out += isam.OpenDataset(dir / "gone/x", 3) ? "|" : "|" + isam.ErrorDetail() + "|";
        uint32_t handle = 0, secret = 0, hot = 0;
        for (int16_t code :
             {Open(locked + "/users", &handle), static_cast<int16_t>(ScanKeys(handle, RecordSize).size()),
              Put(handle, FormatKey(9), Record(9)), Put(handle, FormatKey(1), Record(9), ISM_PUT_REPLACE),
              Delete(handle, FormatKey(1)), Close(handle), Open(shared + "/secret", &secret),
              Create(shared + "/mine", Layout), Open(crashed, &hot)})
            out += std::to_string(code) + " ";
        return out;
    });
    EXPECT_EQ(answer, "Permission denied: " + locked + "/new.isd|DOS function call failure|Permission denied: " +
                          shared + "/readonly.isd|Folder not found: " + dir / "gone|0 5 13 13 13 0 13 0 14 ");
    EXPECT_EQ(FileBytes(locked + "/users.isd"), before);
    EXPECT_EQ(Entries(locked), (std::set<std::string>{"users.isd", "crashed.isd", "crashed.isd-journal"}));
    ASSERT_EQ(::chmod(locked.c_str(), 0755), 0);
    uint32_t handle = 0;
    ASSERT_EQ(Open(crashed, &handle), ISM_OK);
    EXPECT_EQ(Get(handle, 0, ISM_READ_EQUAL, RecordSize, FormatKey(1)).Buffer, Record(1));
    EXPECT_EQ(ScanKeys(handle, RecordSize).size(), 40u);
    Close(handle);
    EXPECT_EQ(IntegrityCheck(crashed + ".isd"), "ok");
}

} // namespace
