// The message store on computers sharing one temporary folder: sending, the
// in-box, the start-up reader, marking and deleting, and its reads through
// the recipient index against the plain pass over every record.

#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"
#include "util/StringUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace qel::test {
namespace {

struct TMessageComputer : TStation {
    TMessageComputer(const std::string& computerName, const std::string& folder)
        : TStation(computerName, folder), Location(folder) {}
    std::vector<TInBoxRow> InBox() {
        Messages.LoadInBox(InBoxView, InBoxView);
        return InBoxView.Rows;
    }
    std::string Location; // stands for the users object's
    TQelMessage Messages{Context, Location};
    TInBoxRecorder InBoxView;
};

std::vector<std::string> Counters(int newCount, int oldCount) {
    return {"New messages = " + std::to_string(newCount), "Old messages = " + std::to_string(oldCount),
            "Total messages = " + std::to_string(newCount + oldCount)};
}

// Sending and the user-name lookup: what is stored, and each refusal's words.
TEST(MessageStoreTest, SendStoresWhatTheUsersDatasetNamesOrSaysWhyNot) {
    TScratchFolder database, first;
    TMessageComputer pc2("PC2", first.Path());
    pc2.Messages.Send("PC1", "PC2", "Hello", "Text");
    EXPECT_EQ(pc2.Messages.GetUserNameForComputer("PC1"), "");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to open Qel Users database!"),
                                                    ErrorBox("Unable to find PC1 in Users Databse!"),
                                                    ErrorBox("Unable to find PC2 in Users Databse!"),
                                                    ErrorBox("Unable to open Users dataset Object not found"),
                                                    ErrorBox("Unable to locate User Invalid dataset reference")}));
    {
        TDatasetWriter writer(database.Path());
        ASSERT_TRUE(writer.AddUser("ALICE", "PC1"));
        ASSERT_TRUE(writer.AddUser("bob", "PC2"));
    }
    // The database wizard moves the users object's folder after start-up.
    pc2.Location = database.Path();
    pc2.Ui.Reset();
    pc2.Messages.Send("PC9", "PC2", "s", "t");
    pc2.Messages.Send("PC1", "pc2", "s", "t");
    EXPECT_EQ(pc2.Messages.GetUserNameForComputer("PC2"), "bob");
    EXPECT_EQ(pc2.Messages.GetUserNameForComputer("pc2"), "");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to find PC9 in Users Databse!"),
                                                    ErrorBox("Unable to find pc2 in Users Databse!"),
                                                    ErrorBox("Unable to locate User Object not found")}));
    EXPECT_TRUE(DumpMessages(database.Path()).empty());

    // Subject and text are cut to their fields.
    pc2.Ui.Reset();
    const std::string subject(30, 's'), text(255, 't');
    pc2.Messages.Send("PC1", "PC2", subject + "X", text + "Y");
    EXPECT_TRUE(pc2.Ui.Boxes.empty());
    const auto stored = DumpMessages(database.Path());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].Key, "0000000001");
    EXPECT_FALSE(stored[0].Received.empty());
    EXPECT_EQ(static_cast<const TMessageRecord&>(stored[0]),
              (TMessageRecord{0, stored[0].Received, subject, "New", text, "ALICE", "bob", "PC1", "PC2"}));
    EXPECT_TRUE(DumpMessages(first.Path()).empty());
    EXPECT_EQ(OpenDescriptors(database.Path() + "QelMesg.isd") + OpenDescriptors(database.Path() + "QelDBase.isd"), 0);

    // A file that is not a dataset is named and kept; a folder that cannot
    // hold one ends the program.
    const std::string junk = "not a dataset, but somebody's data\n";
    std::ofstream(first.Path() + "QelMesg.isd", std::ios::binary | std::ios::trunc) << junk << std::flush;
    pc2.Location = first.Path();
    pc2.Messages.Send("PC1", "PC2", "Hello", "Text");
    pc2.Location = first.Path() + "missing/";
    pc2.Messages.Send("PC1", "PC2", "Hello", "Text");
    ASSERT_EQ(pc2.Ui.Log.size(), 3u);
    EXPECT_EQ(pc2.Ui.Log[0].rfind("box Error: Unable to open Qel Messages database!\r" + IsamErrorText(8), 0), 0u);
    EXPECT_EQ(pc2.Ui.Log[1], "box Error: Unable to create Qel Messages database!");
    EXPECT_EQ(pc2.Ui.Log[2], "terminate");
    EXPECT_EQ(FileBytes(first.Path() + "QelMesg.isd"), junk);
    EXPECT_FALSE(std::filesystem::exists(first.Path() + "missing"));
}

// Who sees what, the in-box, the start-up reader with other copies at work
// while a message is on screen, marking old byte for byte, and stale keys.
TEST(MessageStoreTest, EachComputerReadsItsOwnMessagesAndMarksOrDeletesThem) {
    TScratchFolder database;
    const std::string folder = database.Path(), file = folder + "QelMesg.isd";
    {
        TDatasetWriter writer(folder);
        writer.AddMessage({.To = "PC1", .State = "Old", .Subject = "one", .FromName = "A", .Received = "r1"});
        writer.AddMessage({.To = "PC2", .State = "Old"});
        writer.AddMessage({.To = "PC1",
                           .From = "PC2",
                           .Subject = "two",
                           .Text = "Every byte",
                           .ToName = "ALICE",
                           .FromName = "B",
                           .Received = "r2",
                           .Reserved = 0x1234});
        writer.AddMessage({.To = "pc1"});
        writer.AddMessage({.To = "PC1", .Subject = "three", .Text = "t3", .FromName = "C", .Received = "r3"});
        writer.AddMessage({.To = "PC10"});
        writer.AddMessage({.To = "PC1", .Subject = "four", .FromName = "D", .Received = "r4"});
        ASSERT_EQ(writer.AddMessage({.To = "PC1", .Subject = "five", .FromName = "E", .Received = "r5"}), "0000000008");
    }
    TMessageComputer pc1("PC1", folder), pc2("PC2", folder), other("PC1", folder);
    EXPECT_FALSE(pc2.Messages.HasNewMessages());
    EXPECT_TRUE(pc1.Messages.HasNewMessages());
    EXPECT_EQ(pc1.Ui.PanelTexts, std::vector<std::string>{""});
    pc1.InBox();
    EXPECT_EQ(pc1.InBox(), (std::vector<TInBoxRow>{{"E", {"five", "New", "0000000008", "r5"}},
                                                   {"D", {"four", "New", "0000000007", "r4"}},
                                                   {"C", {"three", "New", "0000000005", "r3"}},
                                                   {"B", {"two", "New", "0000000003", "r2"}},
                                                   {"A", {"one", "Old", "0000000001", "r1"}}}));
    EXPECT_EQ(pc1.InBoxView.Panels, Counters(4, 1));
    EXPECT_EQ(pc1.InBoxView.RowsOutsideUpdate + pc1.InBoxView.UpdateDepth, 0);
    EXPECT_EQ(pc2.InBox().size(), 1u);
    EXPECT_EQ(pc2.InBoxView.Panels, Counters(0, 1));
    const auto before = DumpMessages(folder);

    // The window marks the first message old and deletes the second; meanwhile
    // another copy deletes the third and reads the fourth, so neither comes up.
    TMessageWindowRecorder window;
    std::vector<int> openWhileShown;
    window.OnShow = [&](const TMessageWindowFields& fields) {
        openWhileShown.push_back(OpenDescriptors(file));
        if (fields.PrimaryKey == "0000000003")
            return pc1.Messages.MarkMessageOld(fields.PrimaryKey);
        pc1.Messages.DeleteMessage(fields.PrimaryKey);
        other.Messages.DeleteMessage("0000000007");
        other.Messages.MarkMessageOld("0000000008");
    };
    pc1.Messages.ShowNewMessages(window);
    EXPECT_EQ(window.Shown, (std::vector<TMessageWindowFields>{
                                {"Read Message...", "0000000003", "B", "ALICE", "r2", "two", "Every byte"},
                                {"Read Message...", "0000000005", "C", "Recipient", "r3", "three", "t3"}}));
    EXPECT_EQ(openWhileShown, (std::vector<int>{0, 0}));
    EXPECT_FALSE(pc1.Messages.HasNewMessages());
    window.Shown.clear();
    pc1.Messages.ShowNewMessages(window);
    EXPECT_TRUE(window.Shown.empty());

    // Marking old changes the state and no other byte, again or not.
    auto after = DumpMessages(folder);
    ASSERT_EQ(after.size(), 6u);
    TStoredMessage expected = before[2];
    expected.MessageType = "Old";
    const size_t at = MessagesLayout().Field(msgfield::MessageType).Offset;
    std::copy_n(after[2].Bytes.begin() + at, 7, expected.Bytes.begin() + at);
    EXPECT_EQ(after[2], expected);
    pc1.Messages.MarkMessageOld("0000000003");
    EXPECT_EQ(pc1.Messages.ReadMessageBody("0000000003"), "Every byte");
    EXPECT_EQ(DumpMessages(folder), after);
    EXPECT_TRUE(pc1.Ui.Boxes.empty() && other.Ui.Boxes.empty());

    // A key another copy just deleted: each call says so and writes nothing.
    const std::string bytes = FileBytes(file);
    pc1.Messages.MarkMessageOld("0000000007");
    EXPECT_EQ(pc1.Messages.ReadMessageBody("0000000007"), "");
    pc1.Messages.DeleteMessage("0000000007");
    EXPECT_EQ(pc1.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to find message to make old!"),
                                                    ErrorBox("Unable to locate Qel Message"),
                                                    ErrorBox("Unable to delete Qel Messages\r\rObject not found")}));
    EXPECT_EQ(FileBytes(file), bytes);
    EXPECT_EQ(OpenDescriptors(file), 0);
}

TEST(MessageStoreTest, NoDatasetIsAnEmptyInBoxAndAnUnreadableOneIsReported) {
    TScratchFolder database;
    const std::string file = database.Path() + "QelMesg.isd";
    TMessageComputer pc1("PC1", database.Path());
    TMessageWindowRecorder window;
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_FALSE(pc1.Messages.HasNewMessages());
        pc1.Messages.ShowNewMessages(window);
        EXPECT_TRUE(pc1.InBox().empty());
        EXPECT_EQ(pc1.InBoxView.Panels, Counters(0, 0));
        EXPECT_TRUE(window.Shown.empty());
        if (pass == 0) {
            EXPECT_TRUE(pc1.Ui.Log.empty());
            EXPECT_FALSE(std::filesystem::exists(file));
            std::ofstream(file, std::ios::binary) << "garbage";
        }
    }
    TIsamFile probe;
    ASSERT_FALSE(probe.OpenDataset(database.Path() + "QelMesg", 3));
    const std::string engine = probe.ErrorText() + "\r" + probe.ErrorDetail();
    EXPECT_EQ(pc1.Ui.Log, (std::vector<std::string>{"panel: Attempting to check for new messages",
                                                    "box Error: Unable to open Qel Messages database!\r" + engine,
                                                    "box Error: " + engine}));
    EXPECT_EQ(FileBytes(file), "garbage");
}

void ExpectSameAsPlainPass(const std::string& folder, const std::string& computer) {
    SCOPED_TRACE("computer " + computer);
    TMessageComputer pc(computer, folder);
    const TReferenceInBox reference = ReferenceInBox(folder, computer);
    EXPECT_EQ(pc.Messages.HasNewMessages(), reference.NewCount > 0);
    EXPECT_EQ(pc.InBox(), reference.Rows);
    EXPECT_EQ(pc.InBoxView.Panels, Counters(reference.NewCount, reference.OldCount));
    TMessageWindowRecorder window;
    pc.Messages.ShowNewMessages(window);
    EXPECT_EQ(window.Shown, reference.Shown);
    EXPECT_TRUE(pc.Ui.Boxes.empty());
}

// Neighbouring names, case and states interleaved in key order, with holes.
TEST(FastReadTest, FindsExactlyWhatThePlainPassFinds) {
    TScratchFolder database;
    const std::vector<std::string> recipients{"PC1", "pc1", "Pc1", "PC10", "PC1 ", "PC", "PC2", "", "PC0", "PC1A"};
    const std::vector<std::string> states{"New", "Old", "new", "NEW", ""};
    std::mt19937 random(20261206);
    {
        TDatasetWriter writer(database.Path());
        for (int i = 0; i < 400; ++i)
            ASSERT_FALSE(writer
                             .AddMessage({.To = recipients[random() % recipients.size()],
                                          .State = states[random() % 3 == 0 ? random() % states.size() : random() % 2],
                                          .Subject = "subject " + std::to_string(i),
                                          .Text = "text " + std::to_string(i),
                                          .FromName = "sender " + std::to_string(random() % 7),
                                          .Received = "t" + std::to_string(i)})
                             .empty());
    }
    TMessageComputer cleaner("PC2", database.Path());
    for (int key = 1; key <= 400; key += 1 + static_cast<int>(random() % 9))
        cleaner.Messages.DeleteMessage(FormatKey(key));
    ASSERT_TRUE(cleaner.Ui.Boxes.empty());
    const TReferenceInBox pc1 = ReferenceInBox(database.Path(), "PC1");
    ASSERT_GT(pc1.NewCount, 5);
    ASSERT_GT(pc1.OldCount, 5);
    for (const char* computer : {"PC1", "pc1", "PC10", "PC", "PC2", "PC3", "PC1A", "PC0"})
        ExpectSameAsPlainPass(database.Path(), computer);

    // After reading everything the two still agree, now without new mail.
    for (const TInBoxRow& row : pc1.Rows)
        cleaner.Messages.MarkMessageOld(row.SubItems[2]);
    ASSERT_EQ(ReferenceInBox(database.Path(), "PC1").NewCount, 0);
    ExpectSameAsPlainPass(database.Path(), "PC1");

    // Only messages at the two ends of the index.
    TScratchFolder edges;
    {
        TDatasetWriter writer(edges.Path());
        for (const auto& [to, state] : {std::pair{"AAA", "New"}, {"ZZZ", "Old"}, {"AAA", "Old"}, {"ZZZ", "New"}})
            ASSERT_FALSE(writer.AddMessage({.To = to, .State = state}).empty());
    }
    for (const char* computer : {"AAA", "ZZZ", "MMM", "A", "ZZZZ"})
        ExpectSameAsPlainPass(edges.Path(), computer);
}

} // namespace
} // namespace qel::test
