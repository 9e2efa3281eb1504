// TIsamFile over the real engine, loaded from beside the test program: key numbering, reads in index order
// and result texts.

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

using qel::TFieldLayout;
using qel::TIsamFile;
using qel::TRecordBuffer;
using Keys = std::vector<std::string>;

namespace {

// A name field and an indexed computer-name field (index 2).
constexpr const char* LayoutText = "$*21,X$*21";

class IsamFileEngine : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "qel-isam-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        Folder = pattern;
        Dataset = Folder + "/Users";
        ASSERT_TRUE(File.EngineLoaded()) << "libqelisam.so not found beside the test program";
        ASSERT_TRUE(File.CreateDataset(Dataset, 10, LayoutText)) << File.ErrorText();
        ASSERT_TRUE(File.OpenDataset(Dataset, 3)) << File.ErrorText();
    }
    void TearDown() override {
        File.CloseDataset();
        std::filesystem::remove_all(Folder);
    }

    // Adds a record numbered by the wrapper and returns the key it got.
    std::string Add(const std::string& name = "user", const std::string& computer = "PC") {
        TRecordBuffer record(Layout);
        record.SetText(1, name);
        record.SetText(2, computer);
        EXPECT_TRUE(File.AddRecord(record.Data(), "")) << File.ErrorText();
        return File.CurrentKey();
    }

    // The primary keys in index order, read with GoTop and GetNextRecord.
    Keys Scan(int16_t index) {
        Keys keys;
        TRecordBuffer record(Layout);
        EXPECT_TRUE(File.GoTop(index));
        while (File.GetNextRecord(record.Data(), index, "", 16))
            keys.push_back(File.CurrentKey());
        EXPECT_EQ(File.LastError(), 1);
        return keys;
    }

    const TFieldLayout Layout = *TFieldLayout::Parse(LayoutText);
    std::string Folder;
    std::string Dataset;
    TIsamFile File;
};

TEST_F(IsamFileEngine, KeysGrowFromTheHighestKeyPresent) {
    EXPECT_EQ(File.NextKey(), "0000000001");
    EXPECT_EQ(Add(), "0000000001");
    for (int i = 2; i <= 7; ++i)
        Add();
    EXPECT_EQ(File.NextKey(), "0000000008");

    // A gap lower down is never filled...
    ASSERT_TRUE(File.DeleteRecord("0000000003"));
    EXPECT_EQ(Add(), "0000000008");
    // ...but the highest key is taken again once it is free.
    ASSERT_TRUE(File.DeleteRecord("0000000008"));
    EXPECT_EQ(Add(), "0000000008");

    EXPECT_EQ(Scan(0),
              (Keys{"0000000001", "0000000002", "0000000004", "0000000005", "0000000006", "0000000007", "0000000008"}));
    EXPECT_EQ(File.RecordCount(), 7);
    EXPECT_EQ(File.KeyLength(), 10);
}

TEST_F(IsamFileEngine, NextKeyEdgeCases) {
    struct TCase {
        int16_t KeyLength;
        const char* Highest;
        const char* Next; // empty: no key can be formed (7)
    };
    const TCase cases[] = {
        {10, "2147483646", "2147483647"},
        {10, "2147483647", "0000000001"}, // no room after it: passed over
        {10, "9999999999", "0000000001"},
        {10, "PC-0000001", "0000000001"}, // not a number
        {6, "7", "000001"},               // not of the key length
        {6, "000007", "000008"},
        {3, "099", "100"},
        {3, "999", ""}, // longer than the key length
    };
    int dataset = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Highest);
        const std::string name = Folder + "/Keys" + std::to_string(++dataset);
        TIsamFile file;
        ASSERT_TRUE(file.CreateDataset(name, c.KeyLength, LayoutText));
        ASSERT_TRUE(file.OpenDataset(name, 3));
        TRecordBuffer record(Layout);
        ASSERT_TRUE(file.AddRecord(record.Data(), c.Highest)) << file.ErrorText();
        EXPECT_EQ(file.NextKey(), c.Next);
        EXPECT_EQ(file.LastError(), *c.Next ? 0 : 7);
    }
}

TEST_F(IsamFileEngine, ReadsFollowTheIndexAndKeepTheReturnedKey) {
    const std::string carol = Add("Carol", "PC3"), alice = Add("alice", "PC1"), bob = Add("Bob", "PC2");
    EXPECT_EQ(Scan(0), (Keys{carol, alice, bob}));
    EXPECT_EQ(Scan(2), (Keys{alice, bob, carol}));

    TRecordBuffer record(Layout);
    ASSERT_TRUE(File.GetRecord(record.Data(), 2, "PC2"));
    EXPECT_EQ(File.CurrentKey(), bob);
    EXPECT_EQ(File.IndexValue(), "PC2");
    EXPECT_EQ(record.GetText(1), "Bob");

    ASSERT_TRUE(File.GoBottom(0));
    ASSERT_TRUE(File.GetPriorRecord(record.Data(), 0, "", 16));
    EXPECT_EQ(File.CurrentKey(), bob);

    record.SetText(1, "Robert");
    ASSERT_TRUE(File.UpdateRecord(record.Data(), bob));
    record.Clear();
    ASSERT_TRUE(File.GetRecord(record.Data(), 0, bob));
    EXPECT_EQ(record.GetText(1), "Robert");
}

TEST_F(IsamFileEngine, ResultCodesTurnIntoTexts) {
    EXPECT_EQ(File.ErrorText() + "|" + File.ErrorDetail(), "No error|No error has occured");
    TIsamFile other;
    EXPECT_FALSE(other.CreateDataset(Folder + "/Bad", 10, "$21"));
    EXPECT_EQ(other.LastError(), 5);
    EXPECT_EQ(other.ErrorText() + "|" + other.ErrorDetail(), "Invalid format string|");
    EXPECT_FALSE(other.CreateDataset(Dataset, 10, LayoutText));
    EXPECT_EQ(other.ErrorText(), "Dataset name in use");
    EXPECT_FALSE(other.OpenDataset(Folder + "/Missing", 3));
    EXPECT_EQ(other.ErrorText(), "Object not found");

    EXPECT_EQ(qel::IsamErrorText(24), "Unknown error");
    EXPECT_EQ(qel::IsamErrorText(-1), "Unknown error");
    EXPECT_EQ(qel::IsamErrorDetail(24), "There is no further information for this error");
    EXPECT_EQ(qel::IsamErrorDetail(23), "");
}

} // namespace
