// The C ABI of libqelisam.so, entry point by entry point: results, codes,
// index order and positions.

#include "EngineSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

using namespace qel::test;

namespace {

// Fields: 1 "%", 2 "$*8", 3 "X$*6", 4 "X$*4": indexes 0, 3 and 4.
const std::string Layout = "%,$*8,X$*6,X$*4";
constexpr size_t RecordSize = 2 + 8 + 6 + 4;

std::string Field(const std::string& text, size_t size) {
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    return field;
}

std::string Record(int16_t number, const std::string& name, const std::string& a, const std::string& b) {
    std::string record;
    record += static_cast<char>(number & 0xFF);
    record += static_cast<char>((number >> 8) & 0xFF);
    record += Field(name, 8) + Field(a, 6) + Field(b, 4);
    return record;
}

class EngineContract : public ::testing::Test {
protected:
    void SetUp() override {
        Name = Dir / "people";
        ASSERT_EQ(Create(Name, Layout), ISM_OK);
        ASSERT_EQ(Open(Name, &Handle), ISM_OK);
    }
    void TearDown() override {
        if (Handle)
            Close(Handle);
    }
    void Add(const std::string& key, const std::string& a, const std::string& b = "") {
        ASSERT_EQ(Put(Handle, key, Record(1, "n" + key, a, b)), ISM_OK) << key;
    }

    TTempDir Dir;
    std::string Name;
    uint32_t Handle = 0;
};

TEST(EngineStrings, AllocateKeepsLengthPrefixAndNul) {
    IsmStr text = SysAllocStringByteLen("abc\0def", 7);
    ASSERT_NE(text, nullptr);
    uint32_t length = 0;
    std::memcpy(&length, text - 4, 4);
    EXPECT_EQ(length, 7u);
    EXPECT_EQ(std::string(text, 8), std::string("abc\0def\0", 8));
    SysFreeString(text);

    IsmStr zeros = SysAllocStringByteLen(nullptr, 3);
    ASSERT_NE(zeros, nullptr);
    EXPECT_EQ(std::string(zeros, 4), std::string(4, '\0'));
    SysFreeString(zeros);
    SysFreeString(nullptr);
}

TEST(EngineStrings, UnusedEntryPointsReportNotAvailable) {
    uint32_t handle = 1;
    IsmStr text = nullptr;
    EXPECT_EQ(IsmLock(&handle), ISM_NOT_AVAILABLE);
    EXPECT_EQ(IsmUnlock(&handle), ISM_NOT_AVAILABLE);
    EXPECT_EQ(IsmKill(&text), ISM_NOT_AVAILABLE);
    EXPECT_EQ(IsmReadNote(&handle, &text), ISM_NOT_AVAILABLE);
    EXPECT_EQ(IsmWriteNote(&handle, &text), ISM_NOT_AVAILABLE);
}

TEST(EngineCreate, RejectsBadArguments) {
    TTempDir dir;
    const std::string name = dir / "d";
    EXPECT_EQ(Create(name, Layout, 0), ISM_BAD_PARAMETER);
    EXPECT_EQ(Create(name, Layout, 65), ISM_BAD_PARAMETER);
    EXPECT_EQ(Create(name, Layout, -3), ISM_BAD_PARAMETER);
    for (const char* layout : {"", "X", "$*0", "%,,$*3", "$*", "$*2 ", "#", "$*70000", "%,"})
        EXPECT_EQ(Create(name, layout), ISM_BAD_LAYOUT) << layout;
    EXPECT_EQ(Create("", Layout), ISM_BAD_PARAMETER);
    EXPECT_EQ(Create(dir / "no-such-folder/d", Layout), ISM_FOLDER);
    EXPECT_FALSE(std::filesystem::exists(name + ".isd"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 0) << "nothing left behind";

    EXPECT_EQ(Create(name, Layout, 64), ISM_OK);
    EXPECT_EQ(Create(dir / "one", "$*1", 1), ISM_OK);
}

TEST(EngineOpen, CodesForMissingAndBadArguments) {
    TTempDir dir;
    uint32_t handle = 77;
    EXPECT_EQ(Open(dir / "missing", &handle), ISM_NOT_FOUND);
    EXPECT_EQ(Open(dir / "no-folder/missing", &handle), ISM_FOLDER);
    ASSERT_EQ(Create(dir / "d", Layout), ISM_OK);
    EXPECT_EQ(Open(dir / "d", &handle, 2), ISM_BAD_PARAMETER);
    EXPECT_EQ(Open(dir / "d", &handle, 0), ISM_BAD_PARAMETER);
    EXPECT_EQ(handle, 77u) << "a failed open hands out no handle";

    uint32_t first = 0, second = 0;
    ASSERT_EQ(Open(dir / "d", &first), ISM_OK);
    ASSERT_EQ(Open(dir / "d", &second), ISM_OK);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_EQ(Close(first), ISM_OK);
    EXPECT_EQ(Close(first), ISM_BAD_HANDLE);
    EXPECT_EQ(Close(0), ISM_BAD_HANDLE);
    EXPECT_EQ(Close(second), ISM_OK);
}

TEST_F(EngineContract, EveryCallOnABadHandleGives4) {
    uint32_t bad = Handle + 1000;
    int16_t index = 0, mode = ISM_PUT_ADD;
    IsmInfoRec info{};
    EXPECT_EQ(Put(bad, "0000000001", Record(1, "a", "b", "c")), ISM_BAD_HANDLE);
    EXPECT_EQ(Delete(bad, "0000000001"), ISM_BAD_HANDLE);
    EXPECT_EQ(Bof(bad), ISM_BAD_HANDLE);
    EXPECT_EQ(Eof(bad), ISM_BAD_HANDLE);
    EXPECT_EQ(IsmInfo(&bad, &info), ISM_BAD_HANDLE);
    const TRead read = Next(bad, RecordSize);
    EXPECT_EQ(read.Code, ISM_BAD_HANDLE);
    EXPECT_EQ(read.Key, "(null)");
    EXPECT_EQ(read.Value, "(null)");
    EXPECT_EQ(IsmPut(nullptr, nullptr, nullptr, &mode), ISM_BAD_HANDLE);
    EXPECT_EQ(IsmBOF(nullptr, &index), ISM_BAD_HANDLE);
}

TEST_F(EngineContract, PutChecksKeysModesAndPresence) {
    const std::string record = Record(5, "x", "y", "z");
    EXPECT_EQ(Put(Handle, "", record), ISM_BAD_KEY);
    EXPECT_EQ(Put(Handle, "12345678901", record), ISM_BAD_KEY) << "longer than the key length";
    EXPECT_EQ(Put(Handle, std::string("12\x01"), record), ISM_BAD_KEY);
    EXPECT_EQ(Put(Handle, "12\xC3\xA9", record), ISM_BAD_KEY);
    EXPECT_EQ(Put(Handle, "0000000001", record, 3), ISM_BAD_PARAMETER);
    EXPECT_EQ(Put(Handle, "0000000001", record, ISM_PUT_REPLACE), ISM_NOT_FOUND);

    EXPECT_EQ(Put(Handle, "0000000001", record), ISM_OK);
    EXPECT_EQ(Put(Handle, "0000000001", record), ISM_DUPLICATE);
    EXPECT_EQ(Put(Handle, "A b~", record), ISM_OK) << "any printable ASCII";
    EXPECT_EQ(Put(Handle, "0000000001", Record(6, "new", "y", "z"), ISM_PUT_REPLACE), ISM_OK);
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "0000000001").Buffer, Record(6, "new", "y", "z"));

    EXPECT_EQ(Delete(Handle, "0000000002"), ISM_NOT_FOUND);
    EXPECT_EQ(Delete(Handle, ""), ISM_BAD_KEY);
    EXPECT_EQ(Delete(Handle, "0000000001"), ISM_OK);
    EXPECT_EQ(Delete(Handle, "0000000001"), ISM_NOT_FOUND);

    IsmInfoRec info{};
    info.noteText = nullptr;
    ASSERT_EQ(IsmInfo(&Handle, &info), ISM_OK);
    EXPECT_EQ(info.recordCount, 1);
    EXPECT_EQ(info.keyLength, 10);
    EXPECT_NE(info.infoText, nullptr);
    EXPECT_EQ(info.noteText, nullptr);
    SysFreeString(info.infoText);
}

TEST_F(EngineContract, RecordBytesComeBackExactly) {
    // Bytes after a text's NUL are kept, and a text filling its field has no NUL.
    std::string record(RecordSize, '\0');
    for (size_t i = 0; i < RecordSize; ++i)
        record[i] = static_cast<char>(i * 37 + 1);
    record[2 + 8 + 3] = '\0'; // index 3 value: three bytes, then junk
    ASSERT_EQ(Put(Handle, "k", record), ISM_OK);
    const TRead read = Get(Handle, 3, ISM_READ_EQUAL, RecordSize, record.substr(10, 3));
    ASSERT_EQ(read.Code, ISM_OK);
    EXPECT_EQ(read.Buffer, record);
    EXPECT_EQ(read.Key, "k");
    EXPECT_EQ(read.Value, record.substr(10, 3));

    const TRead full = Get(Handle, 4, ISM_READ_EQUAL, RecordSize, record.substr(16, 4));
    ASSERT_EQ(full.Code, ISM_OK) << "a field without NUL is all of its bytes";
    EXPECT_EQ(full.Value, record.substr(16, 4));
}

TEST_F(EngineContract, ReadArgumentsAreCheckedAndFailedReadsChangeNothing) {
    Add("k1", "a");
    for (int16_t index : {1, 2, 5, -1, 300})
        EXPECT_EQ(Next(Handle, RecordSize, index).Code, ISM_BAD_PARAMETER) << index;
    EXPECT_EQ(Get(Handle, 0, 0x1013, RecordSize).Code, ISM_BAD_PARAMETER);
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "").Code, ISM_BAD_KEY);
    EXPECT_EQ(Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "toolong").Code, ISM_NOT_FOUND);
    int16_t index = 1;
    EXPECT_EQ(IsmBOF(&Handle, &index), ISM_BAD_PARAMETER);
    EXPECT_EQ(IsmEOF(&Handle, &index), ISM_BAD_PARAMETER);

    // Failed reads leave the buffer alone and hand back no texts.
    const TRead missing = Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "zz");
    EXPECT_EQ(missing.Code, ISM_NOT_FOUND);
    EXPECT_EQ(missing.Key, "(null)");
    EXPECT_EQ(missing.Value, "(null)");
    EXPECT_EQ(missing.Buffer, std::string(RecordSize, '\x5A'));

    ASSERT_EQ(Eof(Handle), ISM_OK);
    const TRead after = Next(Handle, RecordSize);
    EXPECT_EQ(after.Code, ISM_NOT_FOUND);
    EXPECT_EQ(after.Buffer, std::string(RecordSize, '\x5A'));
    EXPECT_EQ(after.Key, "(null)");
}

TEST_F(EngineContract, PrimaryIndexWalksBothWaysAndStopsAtTheEnds) {
    EXPECT_EQ(Next(Handle, RecordSize).Code, ISM_NOT_FOUND) << "empty dataset";
    for (const char* key : {"0000000003", "0000000001", "0000000002"})
        Add(key, "v");
    EXPECT_EQ(ScanKeys(Handle, RecordSize), (std::vector<std::string>{"0000000001", "0000000002", "0000000003"}));

    ASSERT_EQ(Eof(Handle), ISM_OK);
    EXPECT_EQ(Previous(Handle, RecordSize).Key, "0000000003");
    EXPECT_EQ(Previous(Handle, RecordSize).Key, "0000000002");
    EXPECT_EQ(Next(Handle, RecordSize).Key, "0000000003");
    EXPECT_EQ(Next(Handle, RecordSize).Code, ISM_NOT_FOUND);
    EXPECT_EQ(Previous(Handle, RecordSize).Key, "0000000003") << "a failed next leaves us after the last";

    ASSERT_EQ(Bof(Handle), ISM_OK);
    EXPECT_EQ(Previous(Handle, RecordSize).Code, ISM_NOT_FOUND);
    EXPECT_EQ(Next(Handle, RecordSize).Key, "0000000001") << "a failed previous leaves us before the first";
    EXPECT_EQ(Previous(Handle, RecordSize).Code, ISM_NOT_FOUND);

    // An exact read positions the index on that record.
    EXPECT_EQ(Get(Handle, 0, ISM_READ_EQUAL, RecordSize, "0000000002").Code, ISM_OK);
    EXPECT_EQ(Next(Handle, RecordSize).Key, "0000000003");
}

TEST_F(EngineContract, PreviousKeyModeFillsOnlyTheKey) {
    TRead empty = Get(Handle, 0, ISM_READ_PREV_KEY, 4);
    EXPECT_EQ(empty.Code, ISM_NOT_FOUND);
    Add("0000000007", "a");
    Add("0000000009", "b");
    ASSERT_EQ(Eof(Handle), ISM_OK);
    const TRead last = Get(Handle, 0, ISM_READ_PREV_KEY, 4);
    EXPECT_EQ(last.Code, ISM_OK);
    EXPECT_EQ(last.Key, "0000000009");
    EXPECT_EQ(last.Buffer, std::string(4, '\x5A')) << "a four-byte scratch buffer is not written";
}

TEST_F(EngineContract, SecondaryIndexOrdersBytewiseThenByKeyWithDuplicates) {
    Add("k5", "b");
    Add("k1", "b");
    Add("k3", "B");
    Add("k2", "ab");
    Add("k4", "a");
    Add("k6", "\xC3\xA9");
    Add("k7", "");
    Add("k0", "abcdef"); // fills the field: no NUL
    EXPECT_EQ(ScanKeys(Handle, RecordSize, 3),
              (std::vector<std::string>{"k7", "k3", "k4", "k2", "k0", "k1", "k5", "k6"}));

    const TRead first = Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "b");
    EXPECT_EQ(first.Key, "k1") << "equal read finds the lowest key of a duplicate value";
    EXPECT_EQ(first.Value, "b");
    EXPECT_EQ(Next(Handle, RecordSize, 3).Key, "k5");
    const TRead full = Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "abcdef");
    EXPECT_EQ(full.Key, "k0");
    EXPECT_EQ(full.Value, "abcdef");
    EXPECT_EQ(Get(Handle, 3, ISM_READ_EQUAL, RecordSize, "abc").Code, ISM_NOT_FOUND);

    ASSERT_EQ(Eof(Handle, 3), ISM_OK);
    EXPECT_EQ(Previous(Handle, RecordSize, 3).Key, "k6");
    EXPECT_EQ(Previous(Handle, RecordSize, 3).Key, "k5");

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
    const TRead three = Get(handle, 1, ISM_READ_EQUAL, 4, "3");
    EXPECT_EQ(three.Key, "k3");
    EXPECT_EQ(three.Value, "3");
    EXPECT_EQ(Get(handle, 1, ISM_READ_EQUAL, 4, "-300").Key, "k-300");
    EXPECT_EQ(Get(handle, 1, ISM_READ_EQUAL, 4, "three").Code, ISM_NOT_FOUND);
    EXPECT_EQ(Get(handle, 1, ISM_READ_EQUAL, 4, "70000").Code, ISM_NOT_FOUND);
    Close(handle);
}

TEST_F(EngineContract, EachIndexKeepsItsOwnPosition) {
    Add("k1", "c", "z");
    Add("k2", "b", "y");
    Add("k3", "a", "x");
    ASSERT_EQ(Bof(Handle, 0), ISM_OK);
    ASSERT_EQ(Bof(Handle, 3), ISM_OK);
    ASSERT_EQ(Eof(Handle, 4), ISM_OK);
    EXPECT_EQ(Next(Handle, RecordSize, 0).Key, "k1");
    EXPECT_EQ(Next(Handle, RecordSize, 3).Key, "k3");
    EXPECT_EQ(Previous(Handle, RecordSize, 4).Key, "k1");
    EXPECT_EQ(Next(Handle, RecordSize, 0).Key, "k2");
    EXPECT_EQ(Next(Handle, RecordSize, 3).Key, "k2");
    EXPECT_EQ(Previous(Handle, RecordSize, 4).Key, "k2");
}

TEST_F(EngineContract, PositionsSeeChangesMadeThroughOtherHandles) {
    for (const char* key : {"k1", "k3", "k5", "k7"})
        Add(key, "v");
    uint32_t other = 0;
    ASSERT_EQ(Open(Name, &other), ISM_OK);

    ASSERT_EQ(Bof(Handle), ISM_OK);
    EXPECT_EQ(Next(Handle, RecordSize).Key, "k1");
    EXPECT_EQ(Next(Handle, RecordSize).Key, "k3");
    // While this handle is in the middle of a run of reads.
    EXPECT_EQ(Put(other, "k4", Record(1, "", "v", "")), ISM_OK);
    EXPECT_EQ(Delete(other, "k5"), ISM_OK);
    EXPECT_EQ(Delete(other, "k3"), ISM_OK) << "the record we stand on";
    EXPECT_EQ(Next(Handle, RecordSize).Key, "k4");
    EXPECT_EQ(Next(Handle, RecordSize).Key, "k7");
    EXPECT_EQ(Previous(Handle, RecordSize).Key, "k4");
    EXPECT_EQ(Previous(Handle, RecordSize).Key, "k1");

    IsmInfoRec info{};
    ASSERT_EQ(IsmInfo(&Handle, &info), ISM_OK);
    EXPECT_EQ(info.recordCount, 3);
    SysFreeString(info.infoText);
    EXPECT_EQ(Close(other), ISM_OK);
}

TEST_F(EngineContract, OnlyWritesChangeTheModificationTime) {
    Add("k1", "a");
    const std::string file = Name + ".isd";
    const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
    auto mtime = [&] {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return info.st_mtim.tv_sec;
    };

    uint32_t other = 0;
    ASSERT_EQ(Open(Name, &other), ISM_OK);
    ScanKeys(other, RecordSize, 3);
    Get(other, 0, ISM_READ_EQUAL, RecordSize, "k1");
    IsmInfoRec info{};
    ASSERT_EQ(IsmInfo(&other, &info), ISM_OK);
    SysFreeString(info.infoText);
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
