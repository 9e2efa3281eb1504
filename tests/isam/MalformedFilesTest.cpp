// Files a peer or a damaged disk left in the shared folder, and places this computer may not write, opened and
// read through TIsamFile over the real engine: each ends in its exact code, with a detail that names the file.

#include "isam/IsamFile.h"
#include "tests/support/AsNobody.h"
#include "tests/support/CraftedFiles.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

using namespace qel::test;
using qel::TIsamFile;

namespace {

// A 16-bit number, an indexed text (index 2) and a plain text.
const std::string Layout = "%,X$*7,$*40";
constexpr size_t RecordSize = 2 + 7 + 40;

struct TFolder {
    TFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "qel-malformed-XXXXXX").string();
        Path = mkdtemp(pattern.data()) ? pattern : "";
        ::chmod(Path.c_str(), 0777);
    }
    ~TFolder() { std::filesystem::remove_all(Path); }
    std::string Path;
};

TEST(MalformedFiles, EachEndsInItsCodeAndNoReadOverrunsTheRecord) {
    TFolder folder;
    ASSERT_FALSE(folder.Path.empty());
    std::vector<std::string> records;
    for (const char* name : {"PC-1", "PC-22", "PC-333", "PC-4444"})
        records.push_back(std::string("\x01\x00", 2) + name + std::string(RecordSize - 2 - std::strlen(name), '\0'));
    for (const TCraftedFile& crafted : CraftedFiles()) {
        SCOPED_TRACE(crafted.Name);
        const std::string name = folder.Path + "/" + crafted.Name;
        ASSERT_EQ(Craft(name, Layout, records, crafted.Kind), "");
        TIsamFile file;
        EXPECT_EQ(file.OpenDataset(name, 3, Layout) ? 0 : file.LastError(), crafted.OpenCode);
        if (crafted.OpenCode != 0) {
            EXPECT_FALSE(file.IsOpen());
            EXPECT_NE(file.ErrorDetail().find(name + ".isd"), std::string::npos) << file.ErrorDetail();
            continue;
        }
        for (int16_t index : {0, 2}) {
            // The record followed by guard bytes that no read may touch.
            std::string buffer(RecordSize + 64, '\x5A');
            size_t read = 0;
            EXPECT_TRUE(file.GoTop(index));
            while (file.GetNextRecord(buffer.data(), index, "", 16))
                ++read;
            EXPECT_EQ(file.LastError(), crafted.ScanCode) << "index " << index;
            EXPECT_EQ(buffer.substr(RecordSize), std::string(64, '\x5A'));
            EXPECT_EQ(crafted.ScanCode == 1 ? std::to_string(read) : file.ErrorDetail(),
                      crafted.ScanCode == 1 ? std::to_string(records.size() + 1) : "Damaged: " + name + ".isd");
        }
        if (crafted.ScanCode == 1) {
            // The odd key neither blocks numbering nor its own deletion.
            EXPECT_TRUE(file.AddRecord(records[0].data(), "")) << file.ErrorText();
            EXPECT_EQ(file.CurrentKey(), CraftedKey(static_cast<int>(records.size()) + 1));
            EXPECT_TRUE(file.DeleteRecord(crafted.Kind == TCraft::TopKey ? "2147483647" : "ABCDEFGHIJ"));
        }
    }
}

TEST(MalformedFiles, PlacesThatCannotBeWrittenSayPermissionDeniedAndNameTheFile) {
    TFolder folder;
    const std::string locked = folder.Path + "/locked";
    std::filesystem::create_directory(locked);
    TIsamFile file;
    ASSERT_TRUE(file.CreateDataset(folder.Path + "/readonly", 10, Layout));
    ASSERT_EQ(::chmod((folder.Path + "/readonly.isd").c_str(), 0444), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);

    const std::string answer = RunAsNobody([&] {
        TIsamFile isam;
        std::string out = isam.CreateDataset(locked + "/new", 10, Layout) ? "created" : isam.ErrorDetail();
        const std::string record(RecordSize, '\0');
        if (isam.OpenDataset(folder.Path + "/readonly", 3, Layout) && !isam.AddRecord(record.data(), ""))
            out += "|" + isam.ErrorText() + "|" + isam.ErrorDetail();
        isam.CloseDataset();
        out += isam.OpenDataset(folder.Path + "/gone/x", 3, Layout) ? "" : "|" + isam.ErrorDetail();
        return out;
    });
    ::chmod(locked.c_str(), 0755);
    EXPECT_EQ(answer, "Permission denied: " + locked + "/new.isd|DOS function call failure|Permission denied: " +
                          folder.Path + "/readonly.isd|Folder not found: " + folder.Path + "/gone");
}

} // namespace
