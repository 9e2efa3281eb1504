// The C ABI of libqelisam.so, entry point by entry point: results, codes, index order and positions.

#include "EngineSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>

using namespace qel::test;

namespace {

// Fields: 1 "%", 2 "$*8", 3 "X$*6", 4 "X$*4": indexes 0, 3 and 4.
const std::string Layout = "%,$*8,X$*6,X$*4";
constexpr size_t RecordSize = 2 + 8 + 6 + 4;

std::string Record(int16_t number, const std::string& name, const std::string& a, const std::string& b) {
    std::string record{static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF)};
    for (auto [text, size] : {std::pair{name, 8}, {a, 6}, {b, 4}})
        record += (text + std::string(size, '\0')).substr(0, size);
    return record;
}

IsmInfoRec Info(uint32_t handle, int16_t expected = ISM_OK) {
    IsmInfoRec info{};
    EXPECT_EQ(IsmInfo(&handle, &info), expected);
    SysFreeString(info.infoText);
    return info;
}

class EngineContract : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(Create(Name, Layout), ISM_OK);
        ASSERT_EQ(Open(Name, &Handle), ISM_OK);
    }
    void TearDown() override { Close(Handle); }
    void Add(const std::string& key, const std::string& a, const std::string& b = "") {
        ASSERT_EQ(Put(Handle, key, Record(1, "n" + key, a, b)), ISM_OK) << key;
    }
    // Reads in turn on `index`, 'n' next and 'p' previous: the keys found, "-" for not found.
    std::string Moves(int16_t index, const std::string& moves) {
        std::string keys;
        for (char move : moves) {
            const TRead read = Get(Handle, index, move == 'n' ? ISM_READ_NEXT : ISM_READ_PREVIOUS, RecordSize);
            keys += (keys.empty() ? "" : " ") + (read.Code == ISM_OK ? read.Key : std::to_string(read.Code));
        }
        return keys;
    }

    TTempDir Dir;
    std::string Name = Dir / "people";
    uint32_t Handle = 0;
};

TEST(EngineStrings, AllocateKeepsLengthPrefixAndNulAndUnusedEntryPointsSayNotAvailable) {
    for (const char* bytes : {"abc\0def", static_cast<const char*>(nullptr)}) {
        IsmStr text = SysAllocStringByteLen(bytes, 7);
        ASSERT_NE(text, nullptr);
        uint32_t length = 0;
        std::memcpy(&length, text - 4, 4);
        EXPECT_EQ(length, 7u);
        EXPECT_EQ(std::string(text, 8), std::string(bytes ? "abc\0def\0" : "\0\0\0\0\0\0\0\0", 8));
        SysFreeString(text);
    }
    SysFreeString(nullptr);
    uint32_t handle = 1;
    IsmStr text = nullptr;
    for (int16_t code : {IsmLock(&handle), IsmUnlock(&handle), IsmKill(&text), IsmReadNote(&handle, &text),
                         IsmWriteNote(&handle, &text)})
        EXPECT_EQ(code, ISM_NOT_AVAILABLE);
}

TEST(EngineCreate, RejectsBadArgumentsAndLeavesNothingBehind) {
    TTempDir dir;
    const std::string name = dir / "d";
    for (int16_t length : {0, 65, -3})
        EXPECT_EQ(Create(name, Layout, length), ISM_BAD_PARAMETER) << length;
    for (const char* layout : {"", "X", "$*0", "%,,$*3", "$*", "$*2 ", "#", "$*70000", "%,"})
        EXPECT_EQ(Create(name, layout), ISM_BAD_LAYOUT) << layout;
    EXPECT_EQ(Create("", Layout), ISM_BAD_PARAMETER);
    EXPECT_EQ(Create(dir / "no-such-folder/d", Layout), ISM_FOLDER);
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path));
    EXPECT_EQ(Create(name, Layout, 64), ISM_OK);
    EXPECT_EQ(Create(dir / "one", "$*1", 1), ISM_OK);
}

TEST(EngineOpen, CodesForMissingAndBadArguments) {
    TTempDir dir;
    uint32_t handle = 77, first = 0, second = 0;
    EXPECT_EQ(Open(dir / "missing", &handle), ISM_NOT_FOUND);
    EXPECT_EQ(Open(dir / "no-folder/missing", &handle), ISM_FOLDER);
    ASSERT_EQ(Create(dir / "d", Layout), ISM_OK);
    EXPECT_EQ(Open(dir / "d", &handle, 2), ISM_BAD_PARAMETER);
    EXPECT_EQ(Open(dir / "d", &handle, 0), ISM_BAD_PARAMETER);
    EXPECT_EQ(handle, 77u) << "a failed open hands out no handle";

    ASSERT_EQ(Open(dir / "d", &first), ISM_OK);
    ASSERT_EQ(Open(dir / "d", &second), ISM_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    for (auto [closed, code] :
         {std::pair{first, ISM_OK}, {first, ISM_BAD_HANDLE}, {0u, ISM_BAD_HANDLE}, {second, ISM_OK}})
        EXPECT_EQ(Close(closed), code);
}

TEST_F(EngineContract, EveryCallOnABadHandleGives4) {
    uint32_t bad = Handle + 1000;
    int16_t index = 0, mode = ISM_PUT_ADD;
    for (int16_t code : {Put(bad, "0000000001", Record(1, "a", "b", "c")), Delete(bad, "0000000001"), Bof(bad),
                         Eof(bad), IsmPut(nullptr, nullptr, nullptr, &mode), IsmBOF(nullptr, &index)})
        EXPECT_EQ(code, ISM_BAD_HANDLE);
    Info(bad, ISM_BAD_HANDLE);
    const TRead read = Next(bad, RecordSize);
    EXPECT_EQ(read.Code, ISM_BAD_HANDLE);
    EXPECT_EQ(read.Key + read.Value, "(null)(null)");
}

TEST_F(EngineContract, PutAndDeleteCheckKeysModesAndPresence) {
    const std::string record = Record(5, "x", "y", "z");
    for (const char* key : {"", "12345678901", "12\x01", "12\xC3\xA9"})
        EXPECT_EQ(Put(Handle, key, record), ISM_BAD_KEY) << key;
    EXPECT_EQ(Put(Handle, "0000000001", record, 3), ISM_BAD_PARAMETER);
    EXPECT_EQ(Put(Handle, "0000000001", record, ISM_PUT_REPLACE), ISM_NOT_FOUND);
    EXPECT_EQ(Put(Handle, "0000000001", record), ISM_OK);
    EXPECT_EQ(Put(Handle, "0000000001", record), ISM_DUPLICATE);
    EXPECT_EQ(Put(Handle, "A b~", record), ISM_OK) << "any printable ASCII";
    EXPECT_EQ(Put(Handle, "0000000001", Record(6, "new", "y", "z"), ISM_PUT_REPLACE), ISM_OK);
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "0000000001").Buffer, Record(6, "new", "y", "z"));

    for (auto [key, code] : {std::pair{"0000000002", ISM_NOT_FOUND},
                             {"", ISM_BAD_KEY},
                             {"0000000001", ISM_OK},
                             {"0000000001", ISM_NOT_FOUND}})
        EXPECT_EQ(Delete(Handle, key), code) << key;

    const IsmInfoRec info = Info(Handle);
    EXPECT_EQ(std::pair(info.recordCount, int32_t{info.keyLength}), std::pair(1, 10));
    EXPECT_TRUE(info.infoText && !info.noteText);
}

TEST_F(EngineContract, RecordBytesComeBackExactly) {
    // Bytes after a text's NUL are kept, and a text filling its field has no NUL.
    std::string record(RecordSize, '\0');
    for (size_t i = 0; i < RecordSize; ++i)
        record[i] = static_cast<char>(i * 37 + 1);
    record[2 + 8 + 3] = '\0'; // index 3 value: three bytes, then junk
    ASSERT_EQ(Put(Handle, "k", record), ISM_OK);
    for (auto [index, value] : {std::pair{int16_t{3}, record.substr(10, 3)}, {int16_t{4}, record.substr(16, 4)}}) {
        const TRead read = Get(Handle, index, ISM_READ_EQUAL, RecordSize, value);
        ASSERT_EQ(read.Code, ISM_OK) << index;
        EXPECT_EQ(read.Buffer, record);
        EXPECT_EQ(read.Key, "k");
        EXPECT_EQ(read.Value, value);
    }
}

TEST_F(EngineContract, ReadArgumentsAreCheckedAndFailedReadsChangeNothing) {
    Add("k1", "a");
    for (int16_t index : {1, 2, 5, -1, 300})
        EXPECT_EQ(Next(Handle, RecordSize, index).Code, ISM_BAD_PARAMETER) << index;
    EXPECT_EQ(Get(Handle, 0, 0x1013, RecordSize).Code, ISM_BAD_PARAMETER);
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "").Code, ISM_BAD_KEY);
    EXPECT_EQ(Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "toolong").Code, ISM_NOT_FOUND);
    EXPECT_EQ(Bof(Handle, 1), ISM_BAD_PARAMETER);
    EXPECT_EQ(Eof(Handle, 1), ISM_BAD_PARAMETER);

    // Failed reads leave the buffer alone and hand back no texts.
    const TRead missing = Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "zz");
    ASSERT_EQ(Eof(Handle), ISM_OK);
    for (const TRead& read : {missing, Next(Handle, RecordSize)}) {
        EXPECT_EQ(read.Code, ISM_NOT_FOUND);
        EXPECT_EQ(read.Key + read.Value, "(null)(null)");
        EXPECT_EQ(read.Buffer, std::string(RecordSize, '\x5A'));
    }
}

TEST_F(EngineContract, PrimaryIndexWalksBothWaysAndStopsAtTheEnds) {
    EXPECT_EQ(Moves(0, "n"), "1") << "empty dataset";
    EXPECT_EQ(Get(Handle, 0, ISM_READ_PREV_KEY, 4).Code, ISM_NOT_FOUND);
    for (const char* key : {"k3", "k1", "k2"})
        Add(key, "v");
    EXPECT_EQ(ScanKeys(Handle, RecordSize), (std::vector<std::string>{"k1", "k2", "k3"}));
    ASSERT_EQ(Eof(Handle), ISM_OK);
    // A failed next leaves us after the last; a failed previous before the first.
    EXPECT_EQ(Moves(0, "ppnnp"), "k3 k2 k3 1 k3");
    ASSERT_EQ(Bof(Handle), ISM_OK);
    EXPECT_EQ(Moves(0, "pnp"), "1 k1 1");
    // An exact read positions the index on that record.
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "k2").Code, ISM_OK);
    EXPECT_EQ(Moves(0, "n"), "k3");

    // The previous-key mode fills only the key: a four-byte scratch buffer is not written.
    ASSERT_EQ(Eof(Handle), ISM_OK);
    const TRead last = Get(Handle, 0, ISM_READ_PREV_KEY, 4);
    EXPECT_EQ(last.Code, ISM_OK);
    EXPECT_EQ(last.Key, "k3");
    EXPECT_EQ(last.Buffer, std::string(4, '\x5A'));
}

TEST_F(EngineContract, SecondaryIndexOrdersBytewiseThenByKeyAndEachIndexKeepsItsPosition) {
    for (auto [key, a, b] : {std::tuple{"k5", "b", "a"},
                             {"k1", "b", "z"},
                             {"k3", "B", "c"},
                             {"k2", "ab", "b"},
                             {"k4", "a", "e"},
                             {"k6", "\xC3\xA9", "f"},
                             {"k7", "", "g"},
                             {"k0", "abcdef", "h"}})
        Add(key, a, b); // "abcdef" fills the field: no NUL
    EXPECT_EQ(ScanKeys(Handle, RecordSize, 3),
              (std::vector<std::string>{"k7", "k3", "k4", "k2", "k0", "k1", "k5", "k6"}));

    const TRead first = Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "b");
    EXPECT_EQ(first.Key + "=" + first.Value, "k1=b") << "equal read finds the lowest key of a duplicate value";
    EXPECT_EQ(Moves(3, "n"), "k5");
    const TRead full = Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "abcdef");
    EXPECT_EQ(full.Key + "=" + full.Value, "k0=abcdef");
    EXPECT_EQ(Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "abc").Code, ISM_NOT_FOUND);

    // Each index keeps its own position.
    ASSERT_EQ(Bof(Handle, 0), ISM_OK);
    ASSERT_EQ(Eof(Handle, 3), ISM_OK);
    ASSERT_EQ(Bof(Handle, 4), ISM_OK);
    for (const char* expected : {"k0 k6 k5", "k1 k5 k2", "k2 k1 k3"})
        EXPECT_EQ(Moves(0, "n") + " " + Moves(3, "p") + " " + Moves(4, "n"), expected);

    // Replacing a record moves it in the index.
    ASSERT_EQ(Put(Handle, "k6", Record(1, "x", "0", ""), ISM_PUT_REPLACE), ISM_OK);
    EXPECT_EQ(ScanKeys(Handle, RecordSize, 3).at(1), "k6");
}

TEST(EngineIntegerIndex, OrdersByNumberAndReadsDecimalText) {
    TTempDir dir;
    ASSERT_EQ(Create(dir / "numbers", "X%,$*2"), ISM_OK);
    uint32_t handle = 0;
    ASSERT_EQ(Open(dir / "numbers", &handle), ISM_OK);
    for (int16_t number : {300, -5, 3, -300, 0}) {
        std::string record{static_cast<char>(number & 0xFF), static_cast<char>((number >> 8) & 0xFF), 'x', '\0'};
        ASSERT_EQ(Put(handle, "k" + std::to_string(number), record), ISM_OK);
    }
    EXPECT_EQ(ScanKeys(handle, 4, 1), (std::vector<std::string>{"k-300", "k-5", "k0", "k3", "k300"}));
    for (auto [text, found] : {std::pair{"3", "k3=3"}, {"-300", "k-300=-300"}, {"three", "1"}, {"70000", "1"}}) {
        const TRead read = Get(handle, 1, ISM_READ_EQUAL, 4, text);
        EXPECT_EQ(read.Code ? std::to_string(read.Code) : read.Key + "=" + read.Value, found) << text;
    }
    Close(handle);
}

TEST_F(EngineContract, PositionsSeeChangesMadeThroughOtherHandles) {
    for (const char* key : {"k1", "k3", "k5", "k7"})
        Add(key, "v");
    uint32_t other = 0;
    ASSERT_EQ(Open(Name, &other), ISM_OK);
    ASSERT_EQ(Bof(Handle), ISM_OK);
    EXPECT_EQ(Moves(0, "nn"), "k1 k3");
    // While this handle is in the middle of a run of reads, k3 being the record it stands on.
    EXPECT_EQ(Put(other, "k4", Record(1, "", "v", "")), ISM_OK);
    EXPECT_EQ(Delete(other, "k5"), ISM_OK);
    EXPECT_EQ(Delete(other, "k3"), ISM_OK);
    EXPECT_EQ(Moves(0, "nnpp"), "k4 k7 k4 k1");
    EXPECT_EQ(Info(Handle).recordCount, 3);
    EXPECT_EQ(Close(other), ISM_OK);
}

TEST_F(EngineContract, OnlyWritesChangeTheModificationTime) {
    Add("k1", "a");
    const std::string file = Name + ".isd";
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    auto mtime = [&] {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return info.st_mtim.tv_sec;
    };
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    uint32_t other = 0;
    ASSERT_EQ(Open(Name, &other), ISM_OK);
    ScanKeys(other, RecordSize, 3);
    Get(other, 0, ISM_READ_EQUAL, RecordSize, "k1");
    Info(other);
    EXPECT_EQ(Put(other, "k1", Record(1, "", "", "")), ISM_DUPLICATE);
    EXPECT_EQ(Delete(other, "nope"), ISM_NOT_FOUND);
    ASSERT_EQ(Close(other), ISM_OK);
    EXPECT_EQ(mtime(), 1000000000) << "reads, failed writes, opens and closes";

    EXPECT_EQ(Put(Handle, "k1", Record(2, "", "", ""), ISM_PUT_REPLACE), ISM_OK);
    EXPECT_GT(mtime(), 1000000000);
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    EXPECT_EQ(Delete(Handle, "k1"), ISM_OK);
    EXPECT_GT(mtime(), 1000000000);
}

} // namespace
