// TIsamFile against the recording fake engine: what reaches the engine, with
// which arguments, and what the wrapper makes of the answers.

#include "FakeEngine.h"
#include "isam/IsamFile.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using qel::TIsamFile;
using Names = std::vector<std::string>;

namespace {

TFakeEngine& Fake() {
    // The wrapper loaded this library first; the same path gives the same module.
    void* library = dlopen(FAKE_ENGINE_DIR "/libqelisam.so", RTLD_NOW);
    EXPECT_NE(library, nullptr) << dlerror();
    auto state = reinterpret_cast<TFakeEngine* (*)()>(dlsym(library, "FakeEngineState"));
    EXPECT_NE(state, nullptr);
    return *state();
}

class IsamFileFake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(File.EngineLoaded());
        Fake().Reset();
    }
    void TearDown() override {
        // Every text the engine handed out was freed, each once, and every
        // text argument carried its length in front of it.
        EXPECT_EQ(Fake().LiveTexts, 0);
        EXPECT_EQ(Fake().ForeignFrees, 0);
        EXPECT_EQ(Fake().MalformedTexts, 0);
    }
    void Open() {
        ASSERT_TRUE(File.OpenDataset("/db/QelDBase", 3));
        Fake().Calls.clear();
    }
    // What the next NextKey finds: the highest key present, or none.
    void HighestKey(const std::string& key) { Fake().Reads.push_back({0, key, "", ""}); }

    TIsamFile File{FAKE_ENGINE_DIR};
    char Record[8] = "record";
};

TEST(IsamFileLoading, FolderIsUsedWithOrWithoutTrailingSeparator) {
    EXPECT_TRUE(TIsamFile(FAKE_ENGINE_DIR).EngineLoaded());
    EXPECT_TRUE(TIsamFile(FAKE_ENGINE_DIR "/").EngineLoaded());
}

TEST(IsamFileLoading, IncompleteLibraryDoesNotReplaceTheSharedTable) {
    TIsamFile good(FAKE_ENGINE_DIR);
    ASSERT_TRUE(good.EngineLoaded());
    Fake().Reset();
    const TIsamFile partial(FAKE_PARTIAL_ENGINE_DIR);
    ASSERT_FALSE(partial.EngineLoaded());
    EXPECT_TRUE(good.OpenDataset("/db/QelStats", 3));
    EXPECT_EQ(Fake().CallNames(), Names{"IsmOpen"});
}

TEST_F(IsamFileFake, ClosedObjectRefusesWithoutCallingTheEngine) {
    const std::vector<std::pair<const char*, std::function<bool()>>> operations = {
        {"CloseDataset", [&] { return File.CloseDataset(); }},
        {"AddRecord", [&] { return File.AddRecord(Record, ""); }},
        {"AddRecord with key", [&] { return File.AddRecord(Record, "0000000005"); }},
        {"UpdateRecord", [&] { return File.UpdateRecord(Record, "0000000005"); }},
        {"DeleteRecord", [&] { return File.DeleteRecord("0000000005"); }},
        {"GetRecord", [&] { return File.GetRecord(Record, 0, "0000000005"); }},
        {"GetNextRecord", [&] { return File.GetNextRecord(Record, 0, "", 16); }},
        {"GetPriorRecord", [&] { return File.GetPriorRecord(Record, 0, "", 16); }},
        {"GoTop", [&] { return File.GoTop(0); }},
        {"GoBottom", [&] { return File.GoBottom(0); }},
    };
    for (const auto& [name, operation] : operations) {
        File.RecordCount(); // asks the engine even when closed: LastError 0
        ASSERT_EQ(File.LastError(), 0);
        Fake().Calls.clear();
        EXPECT_FALSE(operation()) << name;
        EXPECT_EQ(File.LastError(), 4) << name;
        EXPECT_TRUE(Fake().Calls.empty()) << name;
    }
    EXPECT_EQ(File.ErrorText(), "Invalid dataset reference");
    EXPECT_EQ(File.CurrentKey(), "");
}

TEST_F(IsamFileFake, OpenPassesModeAndKeepsTheEnginesHandleOnlyOnSuccess) {
    Fake().Codes["IsmOpen"] = {1};
    EXPECT_FALSE(File.OpenDataset("/db/Missing", 3));
    EXPECT_EQ(File.LastError(), 1);
    EXPECT_FALSE(File.IsOpen());
    EXPECT_EQ(File.Handle(), 0u);
    EXPECT_EQ(File.DatasetName(), "");

    Fake().Calls.clear();
    Fake().OpenHandle = 9001;
    ASSERT_TRUE(File.OpenDataset("/db/QelDBase", 3));
    ASSERT_EQ(Fake().Calls.size(), 1u);
    EXPECT_EQ(Fake().Calls[0].Text, "/db/QelDBase");
    EXPECT_TRUE(File.IsOpen());
    EXPECT_EQ(File.Handle(), 9001u);
    EXPECT_EQ(File.DatasetName(), "/db/QelDBase");

    ASSERT_TRUE(File.GoTop(2));
    EXPECT_EQ(Fake().Calls.back().Handle, 9001u);
}

TEST_F(IsamFileFake, OpenOrCreateOnAnOpenObjectFailsWith23AndChangesNothing) {
    Open();
    EXPECT_FALSE(File.OpenDataset("/db/QelMesg", 3));
    EXPECT_EQ(File.LastError(), 23);
    EXPECT_EQ(File.ErrorText(), "A dataset is already open");
    EXPECT_FALSE(File.CreateDataset("/db/QelMesg", 10, "X$*21"));
    EXPECT_EQ(File.LastError(), 23);
    EXPECT_TRUE(Fake().Calls.empty());
    EXPECT_TRUE(File.IsOpen());
    EXPECT_EQ(File.DatasetName(), "/db/QelDBase");
    EXPECT_EQ(File.Handle(), 42u);
}

TEST_F(IsamFileFake, CloseKeepsTheObjectOpenUntilTheEngineAgrees) {
    Open();
    Fake().Codes["IsmClose"] = {14, 0};
    EXPECT_FALSE(File.CloseDataset());
    EXPECT_EQ(File.LastError(), 14);
    EXPECT_TRUE(File.IsOpen());
    EXPECT_EQ(File.DatasetName(), "/db/QelDBase");
    EXPECT_TRUE(File.CloseDataset());
    EXPECT_EQ(Fake().Calls.back().Handle, 42u);
    EXPECT_FALSE(File.IsOpen());
    EXPECT_EQ(File.Handle(), 0u);
    EXPECT_EQ(File.DatasetName(), "");
}

TEST_F(IsamFileFake, DestructorClosesAnOpenDataset) {
    {
        TIsamFile other(FAKE_ENGINE_DIR);
        ASSERT_TRUE(other.OpenDataset("/db/QelDeps", 3));
    }
    EXPECT_EQ(Fake().CallNames(), (Names{"IsmOpen", "IsmClose"}));
}

TEST_F(IsamFileFake, ReadsUseTheirModesAndTakeTheReturnedTexts) {
    Open();
    Fake().Reads = {{0, "0000000003", "PC3", "rec-3"},
                    {0, "0000000004", "PC4", "rec-4"},
                    {0, "0000000002", "PC2", ""},
                    {1, "", "", "untouched"}};
    ASSERT_TRUE(File.GetRecord(Record, 6, "PC3"));
    EXPECT_STREQ(Record, "rec-3");
    EXPECT_EQ(File.CurrentKey(), "0000000003");
    EXPECT_EQ(File.IndexValue(), "PC3");
    ASSERT_TRUE(File.GetNextRecord(Record, 6, "", 16));
    EXPECT_EQ(File.CurrentKey(), "0000000004");
    ASSERT_TRUE(File.GetPriorRecord(Record, 0, "", 16));
    EXPECT_EQ(File.IndexValue(), "PC2");


    // A failed read empties both texts and leaves the buffer alone.
    EXPECT_FALSE(File.GetNextRecord(Record, 6, "", 16));
    EXPECT_EQ(File.LastError(), 1);
    EXPECT_EQ(File.CurrentKey(), "");
    EXPECT_EQ(File.IndexValue(), "");
    EXPECT_STREQ(Record, "rec-4");
}

TEST_F(IsamFileFake, ReadModeOutsideSixteenBitsIsRefusedBeforeTheEngine) {
    Open();
    EXPECT_FALSE(File.GetNextRecord(Record, 0, "", 0x7FFE));
    EXPECT_EQ(File.LastError(), 7);
    EXPECT_TRUE(Fake().Calls.empty());
    Fake().Reads = {{0, "0000000001", "", ""}};
    ASSERT_TRUE(File.GetPriorRecord(Record, 0, "", 0x6FFB)); // 0x7FFF still fits
    EXPECT_EQ(Fake().Calls.back().Numbers, (std::vector<int32_t>{0, 0x7FFF}));
}

TEST_F(IsamFileFake, InfoRecordGivesCountAndKeyLengthAndItsTextsAreFreed) {
    Open();
    Fake().InfoRecordCount = 12;
    Fake().InfoKeyLength = 10;
    EXPECT_EQ(File.RecordCount(), 12);
    EXPECT_EQ(File.KeyLength(), 10);
    EXPECT_EQ(File.LastError(), 0);
    EXPECT_EQ(Fake().NoteSlotNotEmpty, 0);
    EXPECT_EQ(Fake().Calls[0].Handle, 42u);

    Fake().Codes["IsmInfo"] = {15, 15};
    EXPECT_EQ(File.RecordCount(), -1);
    EXPECT_EQ(File.LastError(), 15);
    EXPECT_EQ(File.KeyLength(), -1);
}

TEST_F(IsamFileFake, NextKeyIsEmptyWhenItCannotReadTheEnd) {
    Open();
    Fake().Codes["IsmEOF"] = {3};
    EXPECT_EQ(File.NextKey(), "");
    EXPECT_EQ(File.LastError(), 3);
    EXPECT_EQ(Fake().CallNames(), Names{"IsmEOF"});

    Fake().Codes["IsmInfo"] = {14};
    HighestKey("0000000041");
    EXPECT_EQ(File.NextKey(), "");
    EXPECT_EQ(File.LastError(), 14);
}

// AddRecord numbers the record from the highest key when given none, and
// tries a fresh number (five tries in all) only when its own number was taken.
TEST_F(IsamFileFake, AddNumbersTheRecordAndRetriesOnlyALostNumber) {
    struct TCase {
        const char* Name;
        std::string Key; // the key given to AddRecord
        Names Highest;   // what each NextKey finds
        std::deque<int16_t> PutCodes;
        int16_t Error; // LastError after the add; it succeeds when 0
        std::string CurrentKey;
        Names PutKeys; // the keys of the puts, in order
    };
    const TCase cases[] = {
        {"numbered", "", {"0000000007"}, {}, 0, "0000000008", {"0000000008"}},
        {"put fails", "", {"0000000008"}, {11}, 11, "0000000009", {"0000000009"}},
        {"number lost", "", {"0000000004", "0000000005"}, {2, 0}, 0, "0000000006", {"0000000005", "0000000006"}},
        {"five lost",
         "",
         {"0000000010", "0000000011", "0000000012", "0000000013", "0000000014", "0000000015"},
         {2, 2, 2, 2, 2, 2},
         2,
         "0000000015",
         {"0000000011", "0000000012", "0000000013", "0000000014", "0000000015"}},
        {"given key taken", "0000000005", {}, {2}, 2, "0000000005", {"0000000005"}},
        {"other failure", "", {"0000000005", "0000000006"}, {3, 0}, 3, "0000000006", {"0000000006"}},
        {"top key passed over", "", {"2147483647"}, {}, 0, "0000000001", {"0000000001"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Open();
        for (const std::string& key : c.Highest)
            HighestKey(key);
        Fake().Codes["IsmPut"] = c.PutCodes;
        EXPECT_EQ(File.AddRecord(Record, c.Key), c.Error == 0);
        EXPECT_EQ(File.LastError(), c.Error);
        EXPECT_EQ(File.CurrentKey(), c.CurrentKey);
        Names keys;
        for (const TFakeCall& call : Fake().Calls) {
            if (call.Name != "IsmPut")
                continue;
            keys.push_back(call.Text);
            EXPECT_EQ(call.Buffer, Record);
        }
        EXPECT_EQ(keys, c.PutKeys);
        ASSERT_TRUE(File.CloseDataset());
        Fake().Reads.clear();
    }
}

TEST_F(IsamFileFake, UpdateAndDeleteUseTheGivenKey) {
    Open();
    ASSERT_TRUE(File.UpdateRecord(Record, "0000000003"));
    EXPECT_EQ(File.CurrentKey(), "0000000003");
    ASSERT_EQ(Fake().CallNames(), Names{"IsmPut"});
    EXPECT_EQ(Fake().Calls[0].Text, "0000000003");

    Fake().Codes["IsmDelete"] = {1};
    EXPECT_FALSE(File.DeleteRecord("0000000004"));
    EXPECT_EQ(File.LastError(), 1);
    EXPECT_EQ(Fake().Calls.back().Name, "IsmDelete");
    EXPECT_EQ(Fake().Calls.back().Text, "0000000004");
    EXPECT_EQ(Fake().Calls.back().Handle, 42u);
}

} // namespace
