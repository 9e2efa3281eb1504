// What the engine does with files it did not make, files that are damaged,
// names that are taken, and folders it may not write or that disappear.

#include "EngineSupport.h"
#include "tests/support/AsNobody.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fcntl.h>
#include <random>
#include <set>
#include <sys/wait.h>

using namespace qel::test;

namespace {

const std::string Layout = "%,$*21,X$*21";
constexpr size_t RecordSize = 2 + 21 + 21;
// Records of a few kilobytes, so that a small dataset spans many pages.
const std::string BigLayout = Layout + ",$*3000";
constexpr size_t BigRecordSize = RecordSize + 3000;

std::string Record(int number) {
    std::string record(RecordSize, '\0');
    record[0] = static_cast<char>(number & 0xFF);
    const std::string name = "name " + std::to_string(number), group = "group " + std::to_string(number % 7);
    return record.replace(2, name.size(), name).replace(23, group.size(), group);
}

std::string Key(int number) {
    char key[16];
    std::snprintf(key, sizeof key, "%010d", number);
    return key;
}

void Fill(const std::string& name, int count, bool big = false) {
    ASSERT_EQ(Create(name, big ? BigLayout : Layout), ISM_OK);
    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK);
    for (int i = 1; i <= count; ++i)
        ASSERT_EQ(Put(handle, Key(i), Record(i) + std::string(big ? 3000 : 0, static_cast<char>('a' + i % 26))), 0);
    ASSERT_EQ(Close(handle), ISM_OK);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Opens `name` and reads every record in both indexes: the first code that is neither 0 nor 1, else 0.
int16_t OpenAndScan(const std::string& name, size_t recordSize = RecordSize) {
    uint32_t handle = 0;
    int16_t code = Open(name, &handle);
    for (int16_t index : {0, 3})
        for (const std::string& key : code ? std::vector<std::string>{} : ScanKeys(handle, recordSize, index))
            if (key.rfind("(error ", 0) == 0 && code == ISM_OK)
                code = static_cast<int16_t>(std::stoi(key.substr(7)));
    Close(handle);
    return code;
}

TEST(EngineFiles, CreateNeverTouchesAnExistingFile) {
    TTempDir dir;
    const std::string name = dir / "users";
    Fill(name, 20);
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (name + ".isd").c_str(), old, 0), 0);
    const std::string before = FileBytes(name + ".isd");

    EXPECT_EQ(Create(name, "X$*31"), ISM_EXISTS);
    EXPECT_EQ(Create(name, Layout), ISM_EXISTS);
    EXPECT_EQ(FileBytes(name + ".isd"), before);
    struct stat info {};
    ASSERT_EQ(::stat((name + ".isd").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);

    // Not even a file of someone else's is replaced.
    WriteFile(dir / "other.isd", "not ours");
    EXPECT_EQ(Create(dir / "other", Layout), ISM_EXISTS);
    EXPECT_EQ(FileBytes(dir / "other.isd"), "not ours");
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"other.isd", "users.isd"}));
    EXPECT_EQ(OpenAndScan(name), ISM_OK);
}

// A killed create leaves N.isd.new-HOST-PID-COUNT (and its "-journal"); the
// next create or open of N removes those of this computer whose process is
// gone, and nothing else.
TEST(EngineFiles, LeftoversOfKilledCreatesGoAtTheNextCreateOrOpen) {
    TTempDir dir;
    char name[256] = {};
    ASSERT_EQ(gethostname(name, sizeof name - 1), 0);
    std::string host;
    for (const char* c = name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '.')
            host += *c;
    const pid_t dead = fork();
    if (dead == 0)
        _exit(0);
    ASSERT_EQ(waitpid(dead, nullptr, 0), dead);
    const std::string mine = ".isd.new-" + host + "-", gone = std::to_string(dead), live = std::to_string(getpid());
    std::vector<std::string> kept = {"stats" + mine + gone + "-1", "users" + mine + live + "-2",
                                     "users.isd.new-" + host + "x-" + gone + "-3", "users.isd.new-" + gone + "-4"};
    for (const std::string& file : kept)
        WriteFile(dir / file, "half made");
    kept.push_back("users.isd");
    std::sort(kept.begin(), kept.end());
    for (bool open : {false, true}) {
        for (const char* end : {"-5", "-5-journal"})
            WriteFile(dir / "users" + mine + gone + end, "half made");
        uint32_t handle = 0;
        EXPECT_EQ(open ? Open(dir / "users", &handle) : Create(dir / "users", Layout), ISM_OK);
        Close(handle);
        EXPECT_EQ(FolderEntries(dir.Path), kept) << (open ? "open" : "create");
    }
}

TEST(EngineFiles, RacingCreatesMakeExactlyOneDataset) {
    TTempDir dir;
    const std::string name = dir / "race";
    std::vector<pid_t> children;
    for (int i = 0; i < 6; ++i) {
        const pid_t pid = fork();
        if (pid == 0)
            _exit(Create(name, i % 2 ? Layout : "X$*31"));
        children.push_back(pid);
    }
    std::multiset<int> codes;
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        codes.insert(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    EXPECT_EQ(codes, (std::multiset<int>{ISM_OK, ISM_EXISTS, ISM_EXISTS, ISM_EXISTS, ISM_EXISTS, ISM_EXISTS}));
    EXPECT_EQ(FolderEntries(dir.Path), (std::vector<std::string>{"race.isd"}));
    uint32_t handle = 0;
    EXPECT_EQ(Open(name, &handle), ISM_OK);
    Close(handle);
}

// Files that are not datasets, or damaged ones: a code, never a crash, and a
// refused file is not changed.
TEST(EngineFiles, ForeignAndDamagedFilesGiveCodes) {
    TTempDir dir;
    Fill(dir / "good", 40, true);
    const std::string good = FileBytes(dir / "good.isd");
    ASSERT_GT(good.size(), 8 * 4096u);
    std::mt19937 random(7);
    auto noise = [&](std::string bytes, size_t from) {
        for (size_t i = from; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(random());
        return bytes;
    };
    const std::string garbage = noise(std::string(8192, '\0'), 0), trampled = noise(good, 2 * 4096);
    std::filesystem::create_directory(dir / "folder.isd");

    struct TCase {
        const char* Name;
        std::string Bytes;
        const char* Sql; // run on the bytes before the open
        int16_t Code, OrCode = -1;
    };
    const std::vector<TCase> cases = {
        {"garbage", garbage, nullptr, ISM_NOT_ISAM},
        {"text", "hello, world\n", nullptr, ISM_NOT_ISAM},
        {"empty", "", nullptr, ISM_NOT_ISAM},
        {"folder", "", nullptr, ISM_NOT_ISAM},
        {"plain", "", "CREATE TABLE records(key TEXT PRIMARY KEY, data BLOB); INSERT INTO records VALUES('a', x'00')",
         ISM_NOT_ISAM},
        {"half", good.substr(0, good.size() / 2), nullptr, ISM_CORRUPT},
        {"stub", good.substr(0, 60), nullptr, ISM_NOT_ISAM, ISM_CORRUPT},
        {"trampled", trampled, nullptr, ISM_CORRUPT},
        {"nometa", good, "DROP TABLE qelisam_meta", ISM_CORRUPT},
        {"badlayout", good, "UPDATE qelisam_meta SET layout='%,$*21,X$*21,$*3000,X$*5'", ISM_CORRUPT},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string file = dir / c.Name + ".isd";
        if (std::string(c.Name) != "folder")
            WriteFile(file, c.Bytes);
        if (c.Sql) {
            sqlite3* db = nullptr;
            EXPECT_EQ(sqlite3_open(file.c_str(), &db), SQLITE_OK);
            EXPECT_EQ(sqlite3_exec(db, c.Sql, nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_close(db);
        }
        const std::string before = std::filesystem::is_regular_file(file) ? FileBytes(file) : "";
        const int16_t code = OpenAndScan(dir / c.Name, BigRecordSize);
        EXPECT_TRUE(code == c.Code || code == c.OrCode) << code;
        if (code == ISM_NOT_ISAM) {
            EXPECT_EQ(std::filesystem::is_regular_file(file) ? FileBytes(file) : "", before);
        }
    }
}

TEST(EngineFiles, ReadOnlyPlacesGiveFolderCode) {
    TTempDir dir;
    const std::string locked = dir / "locked";
    std::filesystem::create_directory(locked);
    Fill(locked + "/users", 5);
    const std::string before = FileBytes(locked + "/users.isd");
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);

    const std::string shared = dir / "shared";
    std::filesystem::create_directory(shared);
    Fill(shared + "/readonly", 3);
    Fill(shared + "/secret", 3);
    ASSERT_EQ(::chmod((shared + "/readonly.isd").c_str(), 0444), 0);
    ASSERT_EQ(::chmod((shared + "/secret.isd").c_str(), 0), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);

    const std::string answer = RunAsNobody([&] {
        uint32_t handle = 0, other = 0, secret = 0;
        std::string out;
        for (int16_t code : {Create(locked + "/new", Layout), Open(locked + "/users", &handle),
                             static_cast<int16_t>(ScanKeys(handle, RecordSize).size()), Put(handle, Key(9), Record(9)),
                             Put(handle, Key(1), Record(9), ISM_PUT_REPLACE), Delete(handle, Key(1)), Close(handle),
                             Open(shared + "/readonly", &other), Put(other, Key(9), Record(9)), Close(other),
                             Open(shared + "/secret", &secret), Create(shared + "/mine", Layout)})
            out += std::to_string(code) + " ";
        return out;
    });
    // Create, open, scan (records), put, replace, delete, close | open, put, close | open | create.
    EXPECT_EQ(answer, "13 0 5 13 13 13 0 0 13 0 13 0 ");
    EXPECT_EQ(FileBytes(locked + "/users.isd"), before);
    EXPECT_EQ(FolderEntries(locked), (std::vector<std::string>{"users.isd"}));
}

TEST(EngineFiles, HotJournalThatCannotBeRolledBackGivesIoCode) {
    TTempDir dir;
    const std::string folder = dir / "crashed";
    std::filesystem::create_directory(folder);
    const std::string name = folder + "/users";
    Fill(name, 40, true);
    const std::string before = FileBytes(name + ".isd");

    // A writer that dies with half its pages written leaves a hot journal.
    const pid_t pid = fork();
    if (pid == 0) {
        sqlite3* db = nullptr;
        sqlite3_open_v2((name + ".isd").c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA cache_size=1; BEGIN IMMEDIATE; UPDATE records SET data=zeroblob(length(data))",
                     nullptr, nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(std::filesystem::exists(name + ".isd-journal"));
    ASSERT_NE(FileBytes(name + ".isd"), before) << "the dying writer changed the file";
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);

    const std::string answer = RunAsNobody([&] {
        uint32_t handle = 0;
        return "open=" + std::to_string(Open(name, &handle));
    });
    EXPECT_EQ(answer, "open=14");
    ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);

    // Whoever may write rolls the journal back and finds every record whole.
    uint32_t handle = 0;
    ASSERT_EQ(Open(name, &handle), ISM_OK);
    const TRead first = Get(handle, 0, ISM_READ_EQUAL, BigRecordSize, Key(1));
    ASSERT_EQ(first.Code, ISM_OK);
    EXPECT_EQ(first.Buffer.substr(0, RecordSize), Record(1));
    EXPECT_EQ(ScanKeys(handle, BigRecordSize).size(), 40u);
    Close(handle);
    EXPECT_EQ(IntegrityCheck(name + ".isd"), "ok");
}

TEST(EngineFiles, VanishedFolderGivesFolderCode) {
    TTempDir dir;
    const std::string share = dir / "share";
    std::filesystem::create_directory(share);
    Fill(share + "/users", 4);
    uint32_t handle = 0;
    ASSERT_EQ(Open(share + "/users", &handle), ISM_OK);
    ASSERT_EQ(ScanKeys(handle, RecordSize).size(), 4u);

    std::filesystem::remove_all(share);
    EXPECT_EQ(Put(handle, Key(5), Record(5)), ISM_FOLDER);
    EXPECT_EQ(Delete(handle, Key(1)), ISM_FOLDER);
    EXPECT_EQ(Close(handle), ISM_OK);
    EXPECT_EQ(Open(share + "/users", &handle), ISM_FOLDER);
    EXPECT_EQ(Create(share + "/users", Layout), ISM_FOLDER);
    EXPECT_FALSE(std::filesystem::exists(share));
}

} // namespace
