// TIsamFile against the recording fake engine.

#include "FakeEngine.h"
#include "isam/IsamFile.h"
#include "util/StringUtils.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

using qel::TIsamFile;
using Names = std::vector<std::string>;

namespace {

TFakeEngine& Fake() {
    void* library = dlopen(FAKE_ENGINE_DIR "/libqelisam.so", RTLD_NOW);
    EXPECT_NE(library, nullptr) << dlerror();
    return *reinterpret_cast<TFakeEngine* (*)()>(dlsym(library, "FakeEngineState"))();
}

Names Calls() {
    Names names;
    for (const TFakeCall& call : Fake().Calls)
        names.push_back(call.Name + (call.Text.empty() ? "" : " " + call.Text));
    return names;
}

class IsamFileFake : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(File.EngineLoaded());
        Fake() = TFakeEngine();
    }
    void TearDown() override {
        EXPECT_EQ(Fake().LiveTexts + Fake().ForeignFrees + Fake().MalformedTexts + Fake().NoteSlotNotEmpty, 0);
    }
    void Open() {
        ASSERT_TRUE(File.OpenDataset("/db/QelDBase", 3));
        Fake().Calls.clear();
    }
    std::string State() {
        return (File.IsOpen() ? "open " : "closed ") + std::to_string(File.Handle()) + " " + File.DatasetName();
    }

    TIsamFile File{FAKE_ENGINE_DIR};
    char Record[8] = "record";
};

TEST(IsamFileLoading, FolderWithOrWithoutSeparatorAndAnIncompleteLibraryDoesNotReplaceTheSharedTable) {
    EXPECT_TRUE(TIsamFile(FAKE_ENGINE_DIR "/").EngineLoaded());
    TIsamFile good(FAKE_ENGINE_DIR);
    Fake() = TFakeEngine();
    ASSERT_FALSE(TIsamFile(FAKE_PARTIAL_ENGINE_DIR).EngineLoaded());
    EXPECT_TRUE(good.OpenDataset("/db/QelStats", 3));
    EXPECT_EQ(Calls(), Names{"IsmOpen /db/QelStats"});
}

// A closed object refuses without calling the engine; the handle is kept only while the engine agrees.
TEST_F(IsamFileFake, ClosedObjectRefusesAndTheHandleLivesFromOpenToCloseAsTheEngineSays) {
    EXPECT_EQ(File.ErrorText() + "|" + File.ErrorDetail(), "No error|No error has occured");
    const auto refused = [&](bool done) { return !done && File.LastError() == 4 && Fake().Calls.empty(); };
    EXPECT_TRUE(refused(File.CloseDataset()) && refused(File.AddRecord(Record, "")) &&
                refused(File.AddRecord(Record, "0000000005")) && refused(File.UpdateRecord(Record, "0000000005")) &&
                refused(File.DeleteRecord("0000000005")) && refused(File.GetRecord(Record, 0, "0000000005")) &&
                refused(File.GetNextRecord(Record, 0, "", 16)) && refused(File.GetPriorRecord(Record, 0, "", 16)) &&
                refused(File.GoTop(0)) && refused(File.GoBottom(0)));
    EXPECT_EQ(File.ErrorText() + File.CurrentKey(), "Invalid dataset reference");
    Fake().Codes["IsmCreate"] = {5, 9};
    EXPECT_FALSE(File.CreateDataset("/db/Bad", 10, "$21"));
    EXPECT_EQ(std::to_string(File.LastError()) + File.ErrorText() + "|" + File.ErrorDetail(),
              "5Invalid format string|");
    EXPECT_FALSE(File.CreateDataset("/db/Users", 10, "X$*21"));
    EXPECT_EQ(File.ErrorText(), "Dataset name in use");
    EXPECT_EQ(qel::IsamErrorText(24) + qel::IsamErrorText(-1) + qel::IsamErrorDetail(24),
              "Unknown errorUnknown errorThere is no further information for this error");

    Fake().Codes["IsmOpen"] = {1};
    EXPECT_FALSE(File.OpenDataset("/db/Missing", 3));
    EXPECT_EQ(std::to_string(File.LastError()) + State(), "1closed 0 ");
    Fake().OpenHandle = 9001;
    ASSERT_TRUE(File.OpenDataset("/db/QelDBase", 3));
    EXPECT_EQ(State(), "open 9001 /db/QelDBase");
    Fake().Calls.clear();
    EXPECT_FALSE(File.OpenDataset("/db/QelMesg", 3) || File.CreateDataset("/db/QelMesg", 10, "X$*21"));
    EXPECT_EQ(std::to_string(File.LastError()) + File.ErrorText() + State(),
              "23A dataset is already openopen 9001 /db/QelDBase");
    ASSERT_TRUE(File.GoTop(2));
    Fake().Codes["IsmClose"] = {14, 0};
    EXPECT_FALSE(File.CloseDataset());
    EXPECT_EQ(std::to_string(File.LastError()) + State(), "14open 9001 /db/QelDBase");
    EXPECT_TRUE(File.CloseDataset());
    EXPECT_EQ(State(), "closed 0 ");
    for (const TFakeCall& call : Fake().Calls)
        EXPECT_EQ(call.Handle, 9001u) << call.Name;
    EXPECT_EQ(Calls(), (Names{"IsmBOF", "IsmClose", "IsmClose"}));
    {
        TIsamFile other(FAKE_ENGINE_DIR);
        ASSERT_TRUE(other.OpenDataset("/db/QelDeps", 3));
        Fake().Calls.clear();
    }
    EXPECT_EQ(Calls(), Names{"IsmClose"}) << "the destructor closes an open dataset";
}

// Reads take the returned texts, keep the buffer on failure, refuse modes over 16 bits; info failures give -1.
TEST_F(IsamFileFake, ReadsInfoAndNextKeyPassOnTheEnginesAnswers) {
    Open();
    Fake().Reads = {{0, "0000000003", "PC3", "rec-3"}, {0, "0000000004", "PC4", "rec-4"}, {1, "", "", "untouched"}};
    ASSERT_TRUE(File.GetRecord(Record, 6, "PC3"));
    EXPECT_EQ(File.CurrentKey() + File.IndexValue() + Record, "0000000003PC3rec-3");
    ASSERT_TRUE(File.GetPriorRecord(Record, 6, "", 16));
    EXPECT_EQ(File.CurrentKey() + File.IndexValue() + Record, "0000000004PC4rec-4");
    EXPECT_FALSE(File.GetNextRecord(Record, 6, "", 16));
    EXPECT_EQ(std::to_string(File.LastError()) + File.CurrentKey() + File.IndexValue() + Record, "1rec-4");
    Fake().Calls.clear();
    EXPECT_FALSE(File.GetNextRecord(Record, 0, "", 0x7FFF - 0x1002) || File.GetNextRecord(Record, 0, "", 0x7FFE));
    EXPECT_EQ(std::to_string(File.LastError()) + " " + std::to_string(Fake().Calls.size()), "7 1");

    ASSERT_TRUE(File.UpdateRecord(Record, "0000000005"));
    EXPECT_EQ(File.CurrentKey(), "0000000005");
    Fake().InfoRecordCount = 12;
    Fake().InfoKeyLength = 9;
    EXPECT_EQ(std::to_string(File.RecordCount()) + " " + std::to_string(File.KeyLength()), "12 9");
    Fake().Reads = {{0, "999999999", "", ""}, {0, "000000041", "", ""}};
    EXPECT_TRUE(File.NextKey().empty() && File.LastError() == 7 && File.NextKey() == "000000042");
    Fake().Codes["IsmInfo"] = {15, 15, 14};
    EXPECT_TRUE(File.RecordCount() == -1 && File.LastError() == 15 && File.KeyLength() == -1);
    EXPECT_TRUE(File.NextKey().empty() && File.LastError() == 14);
    Fake().Codes["IsmEOF"] = {3};
    EXPECT_TRUE(File.NextKey().empty() && File.LastError() == 3);
}

// Numbering from the highest numeric key of the key length; a fresh number (five tries) only for a lost one.
TEST_F(IsamFileFake, AddNumbersTheRecordAndRetriesOnlyALostNumber) {
    auto keys = [](int from, int to) {
        Names keys;
        for (int n = from; n <= to; ++n)
            keys.push_back(qel::FormatKey(n));
        return keys;
    };
    struct TCase {
        std::string Key; // the key given to AddRecord
        Names Highest;   // what each NextKey finds
        std::deque<int16_t> PutCodes;
        int16_t Error; // LastError after the add; it succeeds when 0
        Names Puts;    // the keys of the puts, in order; the last is the current key after the add
    };
    const TCase cases[] = {
        {"", keys(7, 7), {}, 0, keys(8, 8)},
        {"", keys(8, 8), {11}, 11, keys(9, 9)},
        {"", keys(4, 5), {2, 0}, 0, keys(5, 6)},
        {"", keys(10, 15), {2, 2, 2, 2, 2, 2}, 2, keys(11, 15)},
        {"0000000005", {}, {2}, 2, keys(5, 5)},
        {"", keys(5, 6), {3, 0}, 3, keys(6, 6)},
        {"", {"2147483647"}, {}, 0, keys(1, 1)}, // no room after it: passed over
        {"", {"2147483646"}, {}, 0, {"2147483647"}},
        {"", {"9999999999"}, {}, 0, keys(1, 1)},
        {"", {"PC-0000001"}, {}, 0, keys(1, 1)}, // not a number
        {"", {"7"}, {}, 0, keys(1, 1)},          // not of the key length
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Puts.back());
        Open();
        for (const std::string& key : c.Highest)
            Fake().Reads.push_back({0, key, "", ""});
        Fake().Codes["IsmPut"] = c.PutCodes;
        EXPECT_TRUE(File.AddRecord(Record, c.Key) == (c.Error == 0) && File.LastError() == c.Error);
        Names puts;
        for (const TFakeCall& call : Fake().Calls)
            if (call.Name == "IsmPut" && call.Buffer == Record && call.Mode == 1)
                puts.push_back(call.Text);
        EXPECT_EQ(puts, c.Puts);
        EXPECT_EQ(File.CurrentKey(), c.Puts.back());
        ASSERT_TRUE(File.CloseDataset());
        Fake().Reads.clear();
    }
}

} // namespace
