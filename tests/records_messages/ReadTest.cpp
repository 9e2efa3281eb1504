// Reading on several computers: who sees what, the in-box and its counters,
// the start-up reader, marking old, and keys another copy deleted.

#include "MessageOffice.h"

#include <fstream>

namespace qel::test {
namespace {

class ReadTest : public ::testing::Test {
protected:
    std::string Folder() const { return Database.Path(); }
    std::string MessagesFile() const { return Database.Path() + "QelMesg.isd"; }

    TScratchFolder Database;
};

TEST_F(ReadTest, AMessageToPC1IsSeenOnPC1AndNotOnPC2) {
    {
        TDatasetWriter writer(Folder());
        ASSERT_TRUE(writer.AddUser("ALICE", "PC1"));
        ASSERT_TRUE(writer.AddUser("BOB", "PC2"));
    }
    TMessageComputer pc1("PC1", Folder());
    TMessageComputer pc2("PC2", Folder());
    pc2.Messages->Send("PC1", "PC2", "Hi", "Hello Alice");

    EXPECT_TRUE(pc1.Messages->HasNewMessages());
    EXPECT_EQ(pc1.Ui.PanelTexts, std::vector<std::string>{""});
    EXPECT_FALSE(pc2.Messages->HasNewMessages());
    EXPECT_TRUE(pc2.InBox().empty());
    EXPECT_EQ(pc2.InBoxView.Panels, Counters(0, 0));

    const auto rows = pc1.InBox();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].Caption, "BOB");
    EXPECT_EQ(rows[0].SubItems[0], "Hi");
    EXPECT_EQ(rows[0].SubItems[1], "New");
    EXPECT_EQ(rows[0].SubItems[2], "0000000001");
    EXPECT_EQ(pc1.InBoxView.Panels, Counters(1, 0));
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
}

TEST_F(ReadTest, TheInBoxListsNewestFirstWithItsCounters) {
    {
        TDatasetWriter writer(Folder());
        writer.AddMessage({.To = "PC1", .State = "Old", .Subject = "one", .FromName = "A", .Received = "r1"});
        writer.AddMessage({.To = "PC2", .Subject = "not mine"});
        writer.AddMessage({.To = "PC1", .State = "New", .Subject = "two", .FromName = "B", .Received = "r2"});
        writer.AddMessage({.To = "pc1", .Subject = "lower case, not mine"});
        writer.AddMessage({.To = "PC1", .State = "Old", .Subject = "three", .FromName = "C", .Received = "r3"});
        writer.AddMessage({.To = "PC10", .Subject = "not mine either"});
        writer.AddMessage({.To = "PC1", .State = "Old", .Subject = "four", .FromName = "D", .Received = "r4"});
        writer.AddMessage({.To = "PC1", .State = "New", .Subject = "five", .FromName = "E", .Received = "r5"});
    }
    TMessageComputer pc1("PC1", Folder());
    const std::vector<TInBoxRow> expected{{"E", {"five", "New", "0000000008", "r5"}},
                                          {"D", {"four", "Old", "0000000007", "r4"}},
                                          {"C", {"three", "Old", "0000000005", "r3"}},
                                          {"B", {"two", "New", "0000000003", "r2"}},
                                          {"A", {"one", "Old", "0000000001", "r1"}}};
    EXPECT_EQ(pc1.InBox(), expected);
    EXPECT_EQ(pc1.InBoxView.Panels, Counters(2, 3));
    EXPECT_EQ(pc1.InBoxView.RowsOutsideUpdate, 0);
    EXPECT_EQ(pc1.InBoxView.UpdateDepth, 0);
    EXPECT_TRUE(pc1.Ui.Boxes.empty());
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);

    // Reloading replaces the list rather than adding to it.
    EXPECT_EQ(pc1.InBox().size(), 5u);
    TMessageComputer lower("pc1", Folder());
    EXPECT_EQ(lower.InBox().size(), 1u);
}

TEST_F(ReadTest, WithoutADatasetNothingHappensAndAnUnreadableOneIsReported) {
    TMessageComputer pc1("PC1", Folder());
    TMessageWindowRecorder window;
    EXPECT_FALSE(pc1.Messages->HasNewMessages());
    pc1.Messages->ShowNewMessages(window);
    EXPECT_TRUE(pc1.InBox().empty());
    EXPECT_TRUE(pc1.Ui.Log.empty());
    EXPECT_EQ(pc1.InBoxView.Panels, Counters(0, 0));
    EXPECT_FALSE(std::filesystem::exists(MessagesFile()));

    // Unreadable: the check says so in the panel, the start-up reader and
    // the in-box in a box with the engine's words.
    { std::ofstream(MessagesFile(), std::ios::binary) << "garbage"; }
    EXPECT_FALSE(pc1.Messages->HasNewMessages());
    pc1.Messages->ShowNewMessages(window);
    EXPECT_TRUE(pc1.InBox().empty());
    TIsamFile probe;
    ASSERT_FALSE(probe.OpenDataset(Folder() + "QelMesg", 3));
    const std::string engine = probe.ErrorText() + "\r" + probe.ErrorDetail();
    EXPECT_EQ(pc1.Ui.Log, (std::vector<std::string>{"panel: Attempting to check for new messages",
                                                    "box Error: Unable to open Qel Messages database!\r" + engine,
                                                    "box Error: " + engine}));
    EXPECT_TRUE(window.Shown.empty());
    EXPECT_EQ(pc1.InBoxView.Panels, Counters(0, 0));
    EXPECT_EQ(FileBytes(MessagesFile()), "garbage");
}

TEST_F(ReadTest, MarkMessageOldChangesTheStateAndNothingElse) {
    std::string key;
    {
        TDatasetWriter writer(Folder());
        writer.AddMessage({.To = "PC2"});
        key = writer.AddMessage({.To = "PC1",
                                 .From = "PC2",
                                 .Subject = "Keep me",
                                 .Text = "Every byte",
                                 .ToName = "ALICE",
                                 .FromName = "BOB",
                                 .Received = "06/12/2026 10:11:12",
                                 .Reserved = 0x1234});
        writer.AddMessage({.To = "PC1"});
    }
    const auto before = DumpMessages(Folder());
    TMessageComputer pc1("PC1", Folder());

    pc1.Messages->MarkMessageOld(key);
    EXPECT_TRUE(pc1.Ui.Boxes.empty());
    auto after = DumpMessages(Folder());
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(after[2], before[2]);
    // The same key and fields but the state, byte for byte outside the state field.
    TStoredMessage expected = before[1];
    expected.MessageType = "Old";
    const size_t typeOffset = MessagesLayout().Field(msgfield::MessageType).Offset;
    std::copy_n(after[1].Bytes.begin() + typeOffset, 7, expected.Bytes.begin() + typeOffset);
    EXPECT_EQ(after[1], expected);

    // Marking an old message again rewrites it unchanged.
    pc1.Messages->MarkMessageOld(key);
    EXPECT_EQ(DumpMessages(Folder()), after);
    EXPECT_TRUE(pc1.Ui.Boxes.empty());
    EXPECT_EQ(pc1.Messages->ReadMessageBody(key), "Every byte");
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
}

TEST_F(ReadTest, AKeyAnotherCopyJustDeletedIsReportedAndNothingIsWritten) {
    std::string key;
    {
        TDatasetWriter writer(Folder());
        writer.AddMessage({.To = "PC1"});
        key = writer.AddMessage({.To = "PC1", .Text = "going"});
        writer.AddMessage({.To = "PC1"});
    }
    TMessageComputer pc1("PC1", Folder());
    TMessageComputer pc1Again("PC1", Folder());
    pc1Again.Messages->DeleteMessage(key);
    EXPECT_TRUE(pc1Again.Ui.Boxes.empty());
    const auto remaining = DumpMessages(Folder());
    ASSERT_EQ(remaining.size(), 2u);
    const std::string bytes = FileBytes(MessagesFile());

    pc1.Messages->MarkMessageOld(key);
    EXPECT_EQ(pc1.Messages->ReadMessageBody(key), "");
    pc1.Messages->DeleteMessage(key);

    EXPECT_EQ(pc1.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to find message to make old!"),
                                                    ErrorBox("Unable to locate Qel Message"),
                                                    ErrorBox("Unable to delete Qel Messages\r\rObject not found")}));
    EXPECT_EQ(DumpMessages(Folder()), remaining);
    EXPECT_EQ(FileBytes(MessagesFile()), bytes);
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
}

TEST_F(ReadTest, StartUpShowsEachNewMessageOnceWithNothingOpenWhileItIsOnScreen) {
    std::vector<std::string> keys;
    {
        TDatasetWriter writer(Folder());
        writer.AddMessage({.To = "PC1", .State = "Old", .Subject = "already read"});
        for (const char* n : {"1", "2", "3", "4"}) {
            keys.push_back(writer.AddMessage({.To = "PC1",
                                              .Subject = std::string("s") + n,
                                              .Text = std::string("t") + n,
                                              .ToName = "ALICE",
                                              .FromName = std::string("from ") + n,
                                              .Received = std::string("r") + n}));
            writer.AddMessage({.To = n[0] == '1' ? "PC2" : "pc1", .Subject = "not mine"});
        }
    }
    TMessageComputer pc1("PC1", Folder());
    TMessageComputer other("PC1", Folder());
    const std::vector<TMessageWindowFields> reference = ReferenceShownMessages(Folder(), "PC1");

    // The window deletes the second message and marks the first old, as the
    // message window does; meanwhile another copy deletes the third and reads
    // the fourth, so neither comes up. Every show checks that no dataset is
    // held open.
    TMessageWindowRecorder window;
    std::vector<int> openWhileShown;
    window.OnShow = [&](const TMessageWindowFields& fields) {
        openWhileShown.push_back(OpenDescriptors(MessagesFile()));
        if (fields.PrimaryKey == keys[1]) {
            pc1.Messages->DeleteMessage(fields.PrimaryKey);
            other.Messages->DeleteMessage(keys[2]);
            other.Messages->MarkMessageOld(keys[3]);
        } else {
            pc1.Messages->MarkMessageOld(fields.PrimaryKey);
        }
    };
    pc1.Messages->ShowNewMessages(window);

    const std::vector<TMessageWindowFields> expected{{"Read Message...", keys[0], "from 1", "ALICE", "r1", "s1", "t1"},
                                                     {"Read Message...", keys[1], "from 2", "ALICE", "r2", "s2", "t2"}};
    EXPECT_EQ(window.Shown, expected);
    ASSERT_EQ(reference.size(), 4u);
    EXPECT_EQ(window.Shown, std::vector<TMessageWindowFields>(reference.begin(), reference.begin() + 2));
    EXPECT_EQ(openWhileShown, (std::vector<int>{0, 0}));
    EXPECT_TRUE(pc1.Ui.Boxes.empty());
    EXPECT_TRUE(other.Ui.Boxes.empty());
    EXPECT_FALSE(pc1.Messages->HasNewMessages());
    for (const TStoredMessage& m : DumpMessages(Folder())) {
        EXPECT_NE(m.Key, keys[1]);
        EXPECT_NE(m.Key, keys[2]);
    }

    // Nothing new is left to show.
    window.Shown.clear();
    pc1.Messages->ShowNewMessages(window);
    EXPECT_TRUE(window.Shown.empty());
}

} // namespace
} // namespace qel::test
