// TIsamFile over the real engine: crafted files end in their exact codes, and the result texts.

#include "isam/IsamFile.h"
#include "tests/engine/EngineSupport.h"
#include "tests/support/CraftedFiles.h"

#include <gtest/gtest.h>

using namespace qel::test;
using qel::TIsamFile;
using Keys = std::vector<std::string>;

namespace {

const std::string Layout = "%,X$*7,$*40";
constexpr size_t RecordSize = 2 + 7 + 40;

std::string Record(const std::string& computer) {
    return std::string("\x01\x00", 2) + computer + std::string(RecordSize - 2 - computer.size(), '\0');
}

// A read must not touch the guard bytes after the record.
Keys Scan(TIsamFile& file, int16_t index) {
    Keys keys;
    std::string buffer(RecordSize + 64, '\x5A');
    EXPECT_TRUE(file.GoTop(index));
    while (file.GetNextRecord(buffer.data(), index, "", 16))
        keys.push_back(file.CurrentKey());
    if (file.LastError() != ISM_NOT_FOUND)
        keys.push_back("(error " + std::to_string(file.LastError()) + ")");
    EXPECT_EQ(buffer.substr(RecordSize), std::string(64, '\x5A'));
    return keys;
}

// Each crafted file ends in its code, with a detail that names the file; odd keys are read like any other.
TEST(IsamFileEngine, MalformedFilesEndInTheirCodeAndNoReadOverrunsTheRecord) {
    TTempDir dir;
    const std::vector<std::string> records = {Record("PC-1"), Record("PC-22"), Record("PC-333"), Record("PC-4444")};
    for (const TCraftedFile& crafted : CraftedFiles()) {
        SCOPED_TRACE(crafted.Name);
        const std::string name = dir / crafted.Name;
        ASSERT_EQ(Craft(name, Layout, records, crafted), "");
        const std::string before = FileBytes(name + ".isd");
        TIsamFile file;
        EXPECT_EQ(file.OpenDataset(name, 3, Layout) ? 0 : file.LastError(), crafted.OpenCode);
        EXPECT_TRUE(crafted.OpenCode != ISM_NOT_ISAM || FileBytes(name + ".isd") == before)
            << "a refused file is changed";
        if (crafted.OpenCode != 0) {
            EXPECT_FALSE(file.IsOpen());
            EXPECT_NE(file.ErrorDetail().find(name + ".isd"), std::string::npos) << file.ErrorDetail();
            continue;
        }
        for (int16_t index : {0, 2}) {
            const Keys keys = Scan(file, index);
            EXPECT_EQ(keys.back().rfind("(error ", 0) ? std::to_string(keys.size()) : keys.back() + file.ErrorDetail(),
                      crafted.ScanCode == ISM_NOT_FOUND ? "5" : "(error 15)Damaged: " + name + ".isd")
                << index;
        }
        if (crafted.Key) {
            EXPECT_TRUE(file.AddRecord(records[0].data(), "")) << file.ErrorText();
            EXPECT_EQ(file.CurrentKey(), CraftedKey(static_cast<int>(records.size()) + 1));
            std::string buffer(RecordSize, '\0');
            EXPECT_TRUE(file.GoBottom(0) && file.GetPriorRecord(buffer.data(), 0, "", 16));
            EXPECT_EQ(file.CurrentKey(), crafted.Key) << "the odd key sorts last";
            EXPECT_TRUE(file.DeleteRecord(crafted.Key));
        }
    }
}

TEST(IsamFileEngine, ResultsTurnIntoTextsThatNameTheFile) {
    TTempDir dir;
    TIsamFile file;
    EXPECT_EQ(file.ErrorText() + "|" + file.ErrorDetail(), "No error|No error has occured");
    EXPECT_FALSE(file.CreateDataset(dir / "Bad", 10, "$21"));
    EXPECT_EQ(std::to_string(file.LastError()) + file.ErrorText() + "|" + file.ErrorDetail(),
              "5Invalid format string|");
    EXPECT_EQ(qel::IsamErrorText(24) + qel::IsamErrorText(-1), "Unknown errorUnknown error");
    EXPECT_EQ(qel::IsamErrorDetail(24) + "|" + qel::IsamErrorDetail(23),
              "There is no further information for this error|");

    ASSERT_TRUE(file.CreateDataset(dir / "Users", 10, Layout));
    EXPECT_FALSE(file.CreateDataset(dir / "Users", 10, Layout));
    EXPECT_EQ(file.ErrorText(), "Dataset name in use");
}

} // namespace
