// The C ABI of libqelisam.so.

#include "EngineSupport.h"

#include <gtest/gtest.h>

using namespace qel::test;

namespace {

const std::string Layout = "%,$*8,X$*6,X$*4";
constexpr size_t RecordSize = 2 + 8 + 6 + 4;

std::string Record(const std::string& a, const std::string& b = "") {
    std::string record{1, 0};
    for (auto [text, size] : {std::pair{std::string("n"), 8}, {a, 6}, {b, 4}})
        record += (text + std::string(size, '\0')).substr(0, size);
    return record;
}

void ExpectCodes(const std::vector<std::pair<int, int>>& rows) {
    for (size_t row = 0; row < rows.size(); ++row)
        EXPECT_EQ(rows[row].first, rows[row].second) << "row " << row;
}

class EngineContract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Create(Name, Layout), ISM_OK);
        ASSERT_EQ(Open(Name, &Handle), ISM_OK);
    }
    void TearDown() override { Close(Handle); }
    // 'n' reads next, 'p' previous: the keys found, or the codes.
    std::string Moves(int16_t index, const std::string& moves) {
        std::string keys;
        for (char move : moves) {
            const TRead read = Get(Handle, index, move == 'n' ? ISM_READ_NEXT : ISM_READ_PREVIOUS, RecordSize);
            keys += (keys.empty() ? "" : " ") + (read.Code == ISM_OK ? read.Key : std::to_string(read.Code));
        }
        return keys;
    }
    int32_t Count() {
        IsmInfoRec info{};
        EXPECT_EQ(IsmInfo(&Handle, &info), ISM_OK);
        EXPECT_TRUE(info.infoText && !info.noteText && info.keyLength == 10);
        SysFreeString(info.infoText);
        return info.recordCount;
    }

    TTempDir Dir;
    std::string Name = Dir / "people";
    uint32_t Handle = 0;
};

// Texts keep their length prefix and NUL; bad arguments give their codes, make nothing and hand out nothing.
TEST(EngineArguments, AreCheckedBeforeAnythingIsMadeOrRead) {
    for (const char* bytes : {"abc\0def", static_cast<const char*>(nullptr)}) {
        IsmStr copy = SysAllocStringByteLen(bytes, 7);
        EXPECT_EQ(std::string(copy - 4, 12),
                  std::string("\7\0\0\0", 4) + (bytes ? std::string(bytes, 7) : std::string(7, '\0')) + '\0');
        SysFreeString(copy);
    }
    TTempDir dir;
    uint32_t handle = 77, bad = 999;
    int16_t index = 0, mode = ISM_PUT_ADD;
    IsmStr text = nullptr;
    IsmInfoRec info{};
    for (const char* layout : {"", "X", "$*0", "%,,$*3", "$*", "$*2 ", "#", "$*70000", "%,"})
        EXPECT_EQ(Create(dir / "d", layout), ISM_BAD_LAYOUT) << layout;
    const TRead read = Get(bad, 0, ISM_READ_NEXT, RecordSize);
    EXPECT_EQ(read.Key + read.Value, "(null)(null)");
    for (int16_t code : {IsmPut(nullptr, nullptr, nullptr, &mode), IsmBOF(nullptr, &index), IsmInfo(&bad, &info),
                         Put(bad, "0000000001", Record("b")), Delete(bad, "0000000001"), Bof(bad), Eof(bad)})
        EXPECT_EQ(code, ISM_BAD_HANDLE);
    for (int16_t code :
         {IsmLock(&bad), IsmUnlock(&bad), IsmKill(&text), IsmReadNote(&bad, &text), IsmWriteNote(&bad, &text)})
        EXPECT_EQ(code, ISM_NOT_AVAILABLE);
    for (int16_t length : {0, 65, -3})
        EXPECT_EQ(Create(dir / "d", Layout, length), ISM_BAD_PARAMETER) << length;
    ExpectCodes({
        {Create("", Layout), ISM_BAD_PARAMETER},
        {Create(dir / "no-such-folder/d", Layout), ISM_FOLDER},
        {Open(dir / "missing", &handle), ISM_NOT_FOUND},
        {Open(dir / "no-folder/missing", &handle), ISM_FOLDER},
        {std::filesystem::is_empty(dir.Path), true},
        {read.Code, ISM_BAD_HANDLE},
        {Create(dir / "one", "$*1", 1), ISM_OK},
        {Create(dir / "d", Layout, 64), ISM_OK},
        {Open(dir / "d", &handle, 2), ISM_BAD_PARAMETER},
        {Open(dir / "d", &handle, 0), ISM_BAD_PARAMETER},
        {handle, 77},
    });
    SysFreeString(info.infoText);
    uint32_t first = 0, second = 0;
    ASSERT_EQ(Open(dir / "d", &first) + Open(dir / "d", &second), ISM_OK);
    EXPECT_TRUE(first != 0 && first != second);
    ExpectCodes(
        {{Close(first), ISM_OK}, {Close(first), ISM_BAD_HANDLE}, {Close(0), ISM_BAD_HANDLE}, {Close(second), 0}});
}

// One dataset's life on the primary index: puts and deletes by their rules, exact bytes, walks and failed reads.
TEST_F(EngineContract, PutsDeletesAndReadsOnThePrimaryIndex) {
    EXPECT_EQ(Moves(0, "n"), "1") << "empty dataset";
    EXPECT_EQ(Get(Handle, 0, ISM_READ_PREV_KEY, 4).Code, ISM_NOT_FOUND);
    std::string bytes(RecordSize, '\0');
    for (size_t i = 0; i < RecordSize; ++i)
        bytes[i] = static_cast<char>(i * 37 + 1);
    bytes[2 + 8 + 3] = '\0'; // index 3's value: three bytes, then junk; index 4's fills its field
    ExpectCodes({
        {Put(Handle, "", bytes), ISM_BAD_KEY},
        {Put(Handle, "12345678901", bytes), ISM_BAD_KEY},
        {Put(Handle, "12\x01", bytes), ISM_BAD_KEY},
        {Put(Handle, "12\xC3\xA9", bytes), ISM_BAD_KEY},
        {Put(Handle, "k2", bytes, 3), ISM_BAD_PARAMETER},
        {Put(Handle, "k2", bytes, ISM_PUT_REPLACE), ISM_NOT_FOUND},
        {Put(Handle, "k2", Record("a")), ISM_OK},
        {Put(Handle, "k2", Record("a")), ISM_DUPLICATE},
        {Put(Handle, "k2", bytes, ISM_PUT_REPLACE), ISM_OK},
        {Put(Handle, "A b~", Record("a")), ISM_OK},
        {Put(Handle, "k3", Record("a")), ISM_OK},
        {Put(Handle, "k1", Record("a")), ISM_OK},
        {Delete(Handle, "k9"), ISM_NOT_FOUND},
        {Delete(Handle, ""), ISM_BAD_KEY},
        {Delete(Handle, "A b~"), ISM_OK},
        {Delete(Handle, "A b~"), ISM_NOT_FOUND},
        {Count(), 3},
    });
    for (auto [index, value] : {std::pair{0, std::string("k2")}, {3, bytes.substr(10, 3)}, {4, bytes.substr(16, 4)}}) {
        const TRead read = Get(Handle, static_cast<int16_t>(index), ISM_READ_EQUAL, RecordSize, value);
        EXPECT_EQ(read.Buffer + read.Key + "=" + read.Value, bytes + "k2=" + value) << index;
    }
    EXPECT_EQ(ScanKeys(Handle, RecordSize), (std::vector<std::string>{"k1", "k2", "k3"}));
    // A scan that reached its end holds no lock: another program commits at once.
    EXPECT_EQ(RawExec(Name + ".isd", "BEGIN IMMEDIATE; UPDATE records SET data = data; COMMIT"), SQLITE_OK);
    ASSERT_EQ(Eof(Handle), ISM_OK);
    EXPECT_EQ(Moves(0, "ppnnp"), "k3 k2 k3 1 k3");
    ASSERT_EQ(Bof(Handle), ISM_OK);
    EXPECT_EQ(Moves(0, "pnp"), "1 k1 1");
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "k2").Code, ISM_OK);
    EXPECT_EQ(RawExec(Name + ".isd", "BEGIN IMMEDIATE; DELETE FROM records; COMMIT"), SQLITE_BUSY) << "a run's lock";
    EXPECT_EQ(Moves(0, "n"), "k3");
    ASSERT_EQ(Eof(Handle), ISM_OK);
    const TRead last = Get(Handle, 0, ISM_READ_PREV_KEY, 4);
    EXPECT_EQ(std::to_string(last.Code) + last.Key + last.Buffer, "0k3ZZZZ");

    for (int16_t index : {1, 2, 5, -1, 300})
        EXPECT_EQ(Get(Handle, index, ISM_READ_NEXT, RecordSize).Code, ISM_BAD_PARAMETER) << index;
    ExpectCodes({
        {Get(Handle, 0, 0x1013, RecordSize).Code, ISM_BAD_PARAMETER},
        {Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "").Code, ISM_BAD_KEY},
        {Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "toolong").Code, ISM_NOT_FOUND},
        {Bof(Handle, 1), ISM_BAD_PARAMETER},
        {Eof(Handle, 1), ISM_BAD_PARAMETER},
    });
    const TRead missing = Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "zz");
    ASSERT_EQ(Eof(Handle), ISM_OK);
    for (const TRead& read : {missing, Get(Handle, 0, ISM_READ_NEXT, RecordSize)})
        EXPECT_EQ(std::to_string(read.Code) + read.Key + read.Value + read.Buffer,
                  "1(null)(null)" + std::string(RecordSize, '\x5A'));

    // A run of reads sees what other handles wrote meanwhile.
    uint32_t other = 0;
    ASSERT_EQ(Open(Name, &other) + Bof(Handle), ISM_OK);
    EXPECT_EQ(Moves(0, "n"), "k1");
    ExpectCodes({{Put(other, "k15", Record("v")), ISM_OK}, {Delete(other, "k2"), ISM_OK}, {Delete(other, "k1"), 0}});
    EXPECT_EQ(Moves(0, "nnpp"), "k15 k3 k15 1");
    EXPECT_EQ(Count(), 2);
    EXPECT_EQ(Close(other), ISM_OK);
}

// Secondary indexes order bytewise, then by key, and each index keeps its own position.
TEST_F(EngineContract, SecondaryIndexes) {
    for (auto [key, a, b] : {std::tuple{"k5", "b", "a"},
                             {"k1", "b", "z"},
                             {"k3", "B", "c"},
                             {"k2", "ab", "b"},
                             {"k4", "a", "e"},
                             {"k6", "\xC3\xA9", "f"},
                             {"k7", "", "g"},
                             {"k0", "abcdef", "h"}})
        ASSERT_EQ(Put(Handle, key, Record(a, b)), ISM_OK);
    EXPECT_EQ(ScanKeys(Handle, RecordSize, 3),
              (std::vector<std::string>{"k7", "k3", "k4", "k2", "k0", "k1", "k5", "k6"}));
    for (auto [value, found] : {std::pair{"b", "k1=b"}, {"abcdef", "k0=abcdef"}, {"abc", "=1"}}) {
        const TRead read = Get(Handle, 3, ISM_READ_EQUAL, RecordSize, value);
        EXPECT_EQ(read.Code ? "=" + std::to_string(read.Code) : read.Key + "=" + read.Value, found);
    }
    ASSERT_EQ(Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "b").Code, ISM_OK);
    EXPECT_EQ(Moves(3, "n"), "k5");
    ASSERT_EQ(Bof(Handle, 0) + Eof(Handle, 3) + Bof(Handle, 4), ISM_OK);
    for (const char* expected : {"k0 k6 k5", "k1 k5 k2", "k2 k1 k3"})
        EXPECT_EQ(Moves(0, "n") + " " + Moves(3, "p") + " " + Moves(4, "n"), expected);
    ASSERT_EQ(Put(Handle, "k6", Record("0"), ISM_PUT_REPLACE), ISM_OK);
    EXPECT_EQ(ScanKeys(Handle, RecordSize, 3).at(1), "k6");

    // An integer index orders by number and is searched with decimal text.
    ASSERT_EQ(Create(Dir / "numbers", "X%,$*2"), ISM_OK);
    uint32_t numbers = 0;
    ASSERT_EQ(Open(Dir / "numbers", &numbers), ISM_OK);
    for (int16_t number : {300, -5, 3, -300, 0})
        ASSERT_EQ(Put(numbers, "k" + std::to_string(number), {char(number & 0xFF), char(number >> 8), 'x', 0}), 0);
    EXPECT_EQ(ScanKeys(numbers, 4, 1), (std::vector<std::string>{"k-300", "k-5", "k0", "k3", "k300"}));
    for (auto [text, found] : {std::pair{"3", "k3=3"}, {"-300", "k-300=-300"}, {"three", "=1"}, {"70000", "=1"}}) {
        const TRead read = Get(numbers, 1, ISM_READ_EQUAL, 4, text);
        EXPECT_EQ(read.Code ? "=" + std::to_string(read.Code) : read.Key + "=" + read.Value, found) << text;
    }
    Close(numbers);
}

} // namespace
