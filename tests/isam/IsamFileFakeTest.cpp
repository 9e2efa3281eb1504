// TIsamFile against the recording fake engine: what reaches the engine, with which arguments, and what the
// wrapper makes of the answers.

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
    return *reinterpret_cast<TFakeEngine* (*)()>(dlsym(library, "FakeEngineState"))();
}

class IsamFileFake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(File.EngineLoaded());
        Fake() = TFakeEngine();
    }
    // Every text the engine handed out was freed, each once, and every text argument carried its length.
    void TearDown() override {
        EXPECT_EQ(Fake().LiveTexts, 0);
        EXPECT_EQ(Fake().ForeignFrees, 0);
        EXPECT_EQ(Fake().MalformedTexts, 0);
    }
    void Open() {
        ASSERT_TRUE(File.OpenDataset("/db/QelDBase", 3));
        Fake().Calls.clear();
    }
    // The object's state: open or not, its handle and its dataset's name.
    std::string State() {
        return (File.IsOpen() ? "open " : "closed ") + std::to_string(File.Handle()) + " " + File.DatasetName();
    }

    TIsamFile File{FAKE_ENGINE_DIR};
    char Record[8] = "record";
};

TEST(IsamFileLoading, FolderWithOrWithoutSeparatorAndAnIncompleteLibraryDoesNotReplaceTheSharedTable) {
    EXPECT_TRUE(TIsamFile(FAKE_ENGINE_DIR "/").EngineLoaded());
    TIsamFile good(FAKE_ENGINE_DIR);
    ASSERT_TRUE(good.EngineLoaded());
    Fake() = TFakeEngine();
    ASSERT_FALSE(TIsamFile(FAKE_PARTIAL_ENGINE_DIR).EngineLoaded());
    EXPECT_TRUE(good.OpenDataset("/db/QelStats", 3));
    EXPECT_EQ(Fake().CallNames(), Names{"IsmOpen"});
}

TEST_F(IsamFileFake, ClosedObjectRefusesWithoutCallingTheEngine) {
    const std::vector<std::function<bool()>> operations = {
        [&] { return File.CloseDataset(); },
        [&] { return File.AddRecord(Record, ""); },
        [&] { return File.AddRecord(Record, "0000000005"); },
        [&] { return File.UpdateRecord(Record, "0000000005"); },
        [&] { return File.DeleteRecord("0000000005"); },
        [&] { return File.GetRecord(Record, 0, "0000000005"); },
        [&] { return File.GetNextRecord(Record, 0, "", 16); },
        [&] { return File.GetPriorRecord(Record, 0, "", 16); },
        [&] { return File.GoTop(0); },
        [&] { return File.GoBottom(0); },
    };
    for (size_t i = 0; i < operations.size(); ++i) {
        File.RecordCount(); // asks the engine even when closed: LastError 0
        ASSERT_EQ(File.LastError(), 0);
        Fake().Calls.clear();
        EXPECT_FALSE(operations[i]()) << i;
        EXPECT_EQ(File.LastError(), 4) << i;
        EXPECT_TRUE(Fake().Calls.empty()) << i;
    }
    EXPECT_EQ(File.ErrorText(), "Invalid dataset reference");
    EXPECT_EQ(File.CurrentKey(), "");
}

TEST_F(IsamFileFake, OpenAndCloseKeepTheEnginesHandleOnlyWhileTheEngineAgrees) {
    Fake().Codes["IsmOpen"] = {1};
    EXPECT_FALSE(File.OpenDataset("/db/Missing", 3));
    EXPECT_EQ(File.LastError(), 1);
    EXPECT_EQ(State(), "closed 0 ");

    Fake().OpenHandle = 9001;
    Fake().Calls.clear();
    ASSERT_TRUE(File.OpenDataset("/db/QelDBase", 3));
    EXPECT_EQ(Fake().Calls.at(0).Text, "/db/QelDBase");
    EXPECT_EQ(State(), "open 9001 /db/QelDBase");
    ASSERT_TRUE(File.GoTop(2));
    EXPECT_EQ(Fake().Calls.back().Handle, 9001u);

    // Opening or creating on an open object fails with 23 and changes nothing.
    Fake().Calls.clear();
    EXPECT_FALSE(File.OpenDataset("/db/QelMesg", 3));
    EXPECT_EQ(File.ErrorText(), "A dataset is already open");
    EXPECT_FALSE(File.CreateDataset("/db/QelMesg", 10, "X$*21"));
    EXPECT_EQ(File.LastError(), 23);
    EXPECT_TRUE(Fake().Calls.empty());
    EXPECT_EQ(State(), "open 9001 /db/QelDBase");

    Fake().Codes["IsmClose"] = {14, 0};
    EXPECT_FALSE(File.CloseDataset());
    EXPECT_EQ(File.LastError(), 14);
    EXPECT_EQ(State(), "open 9001 /db/QelDBase");
    EXPECT_TRUE(File.CloseDataset());
    EXPECT_EQ(Fake().Calls.back().Handle, 9001u);
    EXPECT_EQ(State(), "closed 0 ");

    {
        TIsamFile other(FAKE_ENGINE_DIR);
        ASSERT_TRUE(other.OpenDataset("/db/QelDeps", 3));
        Fake().Calls.clear();
    }
    EXPECT_EQ(Fake().CallNames(), Names{"IsmClose"}) << "the destructor closes an open dataset";
}

TEST_F(IsamFileFake, ReadsTakeTheReturnedTextsAndRefuseAModeOutsideSixteenBits) {
    Open();
    Fake().Reads = {{0, "0000000003", "PC3", "rec-3"},
                    {0, "0000000004", "PC4", "rec-4"},
                    {0, "0000000002", "PC2", ""},
                    {1, "", "", "untouched"}};
    ASSERT_TRUE(File.GetRecord(Record, 6, "PC3"));
    EXPECT_STREQ(Record, "rec-3");
    EXPECT_EQ(File.CurrentKey() + File.IndexValue(), "0000000003PC3");
    ASSERT_TRUE(File.GetNextRecord(Record, 6, "", 16));
    EXPECT_EQ(File.CurrentKey(), "0000000004");
    ASSERT_TRUE(File.GetPriorRecord(Record, 0, "", 16));
    EXPECT_EQ(File.IndexValue(), "PC2");
    // A failed read empties both texts and leaves the buffer alone.
    EXPECT_FALSE(File.GetNextRecord(Record, 6, "", 16));
    EXPECT_EQ(File.LastError(), 1);
    EXPECT_EQ(File.CurrentKey() + File.IndexValue(), "");
    EXPECT_STREQ(Record, "rec-4");

    Fake().Calls.clear();
    EXPECT_FALSE(File.GetNextRecord(Record, 0, "", 0x7FFE));
    EXPECT_EQ(File.LastError(), 7);
    EXPECT_TRUE(Fake().Calls.empty());
    Fake().Reads = {{0, "0000000001", "", ""}};
    ASSERT_TRUE(File.GetPriorRecord(Record, 0, "", 0x6FFB)); // 0x7FFF still fits
    EXPECT_EQ(Fake().Calls.back().Numbers, (std::vector<int32_t>{0, 0x7FFF}));
}

TEST_F(IsamFileFake, InfoGivesCountAndKeyLengthAndNextKeyIsEmptyWhenItCannotReadTheEnd) {
    Open();
    Fake().InfoRecordCount = 12;
    Fake().InfoKeyLength = 9;
    EXPECT_EQ(File.RecordCount(), 12);
    EXPECT_EQ(File.KeyLength(), 9);
    EXPECT_EQ(File.LastError(), 0);
    EXPECT_EQ(Fake().NoteSlotNotEmpty, 0);
    EXPECT_EQ(Fake().Calls[0].Handle, 42u);
    Fake().Codes["IsmInfo"] = {15, 15};
    EXPECT_EQ(File.RecordCount(), -1);
    EXPECT_EQ(File.LastError(), 15);
    EXPECT_EQ(File.KeyLength(), -1);

    Fake().Codes["IsmEOF"] = {3};
    EXPECT_EQ(File.NextKey(), "");
    EXPECT_EQ(File.LastError(), 3);
    Fake().Codes["IsmInfo"] = {14};
    Fake().Reads = {{0, "0000000041", "", ""}};
    EXPECT_EQ(File.NextKey(), "");
    EXPECT_EQ(File.LastError(), 14);
}

// AddRecord numbers the record from the highest key when given none, and tries a fresh number (five tries in
// all) only when its own number was taken.
TEST_F(IsamFileFake, AddNumbersTheRecordAndRetriesOnlyALostNumber) {
    struct TCase {
        std::string Key; // the key given to AddRecord
        Names Highest;   // what each NextKey finds
        std::deque<int16_t> PutCodes;
        int16_t Error; // LastError after the add; it succeeds when 0
        std::string CurrentKey;
        Names PutKeys; // the keys of the puts, in order
    };
    auto keys = [](int from, int to) {
        Names keys;
        for (int n = from; n <= to; ++n)
            keys.push_back(std::string(10 - std::to_string(n).size(), '0') + std::to_string(n));
        return keys;
    };
    const TCase cases[] = {
        {"", keys(7, 7), {}, 0, "0000000008", keys(8, 8)},
        {"", keys(8, 8), {11}, 11, "0000000009", keys(9, 9)},
        {"", keys(4, 5), {2, 0}, 0, "0000000006", keys(5, 6)},
        {"", keys(10, 15), {2, 2, 2, 2, 2, 2}, 2, "0000000015", keys(11, 15)},
        {"0000000005", {}, {2}, 2, "0000000005", keys(5, 5)},
        {"", keys(5, 6), {3, 0}, 3, "0000000006", keys(6, 6)},
        {"", {"2147483647"}, {}, 0, "0000000001", keys(1, 1)}, // the top key is passed over
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.CurrentKey);
        Open();
        for (const std::string& key : c.Highest)
            Fake().Reads.push_back({0, key, "", ""});
        Fake().Codes["IsmPut"] = c.PutCodes;
        EXPECT_EQ(File.AddRecord(Record, c.Key), c.Error == 0);
        EXPECT_EQ(File.LastError(), c.Error);
        EXPECT_EQ(File.CurrentKey(), c.CurrentKey);
        Names putKeys;
        for (const TFakeCall& call : Fake().Calls)
            if (call.Name == "IsmPut" && call.Buffer == Record)
                putKeys.push_back(call.Text);
        EXPECT_EQ(putKeys, c.PutKeys);
        ASSERT_TRUE(File.CloseDataset());
        Fake().Reads.clear();
    }
}

TEST_F(IsamFileFake, UpdateAndDeleteUseTheGivenKey) {
    Open();
    ASSERT_TRUE(File.UpdateRecord(Record, "0000000003"));
    EXPECT_EQ(File.CurrentKey(), "0000000003");
    Fake().Codes["IsmDelete"] = {1};
    EXPECT_FALSE(File.DeleteRecord("0000000004"));
    EXPECT_EQ(File.LastError(), 1);
    ASSERT_EQ(Fake().CallNames(), (Names{"IsmPut", "IsmDelete"}));
    EXPECT_EQ(Fake().Calls[0].Text + Fake().Calls[1].Text, "00000000030000000004");
    EXPECT_EQ(Fake().Calls[1].Handle, 42u);
}

} // namespace
