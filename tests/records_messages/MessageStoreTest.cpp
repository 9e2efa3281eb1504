// The message store on computers sharing one temporary folder.

#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"
#include "util/StringUtils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace qel::test {
namespace {

std::vector<std::string> Counters(int newCount, int oldCount) {
    return {"New messages = " + std::to_string(newCount), "Old messages = " + std::to_string(oldCount),
            "Total messages = " + std::to_string(newCount + oldCount)};
}

// Sending, lookups, reads without a dataset or from junk; each computer reads, marks and deletes its own messages.
TEST(MessageStoreTest, SendStoresWhatTheUsersDatasetNamesAndEachComputerReadsItsOwnMessages) {
    TScratchFolder database, first, inbox;
    const std::string junkFile = first.Path() + "QelMesg.isd";
    TDesk pc2("PC2", first.Path());
    pc2.Messages.ShowNewMessages(pc2.Windows);
    EXPECT_TRUE(!pc2.Messages.HasNewMessages() && pc2.InBox().empty() && pc2.Ui.Log.empty());
    EXPECT_FALSE(std::filesystem::exists(junkFile));
    pc2.Messages.Send("PC1", "PC2", "Hello", "Text");
    EXPECT_EQ(pc2.Messages.GetUserNameForComputer("PC1"), "");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to open Qel Users database!"),
                                                    ErrorBox("Unable to find PC1 in Users Databse!"),
                                                    ErrorBox("Unable to find PC2 in Users Databse!"),
                                                    ErrorBox("Unable to open Users dataset Object not found"),
                                                    ErrorBox("Unable to locate User Invalid dataset reference")}));
    for (const auto& [computer, user] : {std::pair{"PC1", "ALICE"}, {"PC2", "bob"}}) {
        TStation station(computer, database.Path());
        station.Platform.UserNameValue = user;
        TQelFile(station.Context).RegisterComputer();
    }
    // The database wizard moves the users object's folder after start-up.
    pc2.Users.Location = database.Path();
    pc2.Ui.Reset();
    pc2.Messages.Send("PC9", "PC2", "s", "t");
    pc2.Messages.Send("PC1", "pc2", "s", "t");
    EXPECT_EQ(pc2.Messages.GetUserNameForComputer("PC2"), "BOB");
    EXPECT_EQ(pc2.Messages.GetUserNameForComputer("pc2"), "");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to find PC9 in Users Databse!"),
                                                    ErrorBox("Unable to find pc2 in Users Databse!"),
                                                    ErrorBox("Unable to locate User Object not found")}));
    EXPECT_TRUE(DumpMessages(database.Path()).empty());

    pc2.Ui.Reset();
    const std::string subject(30, 's'), text(255, 't');
    pc2.Messages.Send("PC1", "PC2", subject + "X", text + "Y");
    EXPECT_TRUE(pc2.Ui.Boxes.empty());
    const auto stored = DumpMessages(database.Path());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(static_cast<const TMessageRecord&>(stored[0]),
              (TMessageRecord{0, stored[0].Received, subject, "New", text, "ALICE", "BOB", "PC1", "PC2"}));
    EXPECT_EQ(OpenDescriptors(database.Path() + "QelMesg.isd") + OpenDescriptors(database.Path() + "QelDBase.isd"), 0);

    // Junk is named and kept; a folder that cannot hold the dataset ends the program.
    std::ofstream(junkFile, std::ios::binary | std::ios::trunc) << "garbage" << std::flush;
    pc2.Users.Location = first.Path();
    pc2.Ui.Reset();
    pc2.Messages.Send("PC1", "PC2", "Hello", "Text");
    EXPECT_FALSE(pc2.Messages.HasNewMessages());
    pc2.Messages.ShowNewMessages(pc2.Windows);
    EXPECT_TRUE(pc2.InBox().empty());
    pc2.Users.Location = first.Path() + "missing/";
    pc2.Messages.Send("PC1", "PC2", "Hello", "Text");
    TIsamFile probe;
    ASSERT_FALSE(probe.OpenDataset(first.Path() + "QelMesg", 3));
    const std::string engine = probe.ErrorText() + "\r" + probe.ErrorDetail();
    EXPECT_EQ(pc2.Ui.Log, (std::vector<std::string>{
                              "box Error: Unable to open Qel Messages database!\r" + engine,
                              "panel: Attempting to check for new messages",
                              "box Error: Unable to open Qel Messages database!\r" + engine, "box Error: " + engine,
                              "box Error: Unable to create Qel Messages database!", "terminate"}));
    EXPECT_TRUE(pc2.Windows.Shown.empty());
    EXPECT_EQ(FileBytes(junkFile), "garbage");
    EXPECT_FALSE(std::filesystem::exists(first.Path() + "missing"));

    // The in-box, the start-up reader with other copies at work, marking, stale keys.
    const std::string folder = inbox.Path(), file = folder + "QelMesg.isd";
    {
        TDatasetWriter writer(folder);
        writer.AddMessage({.To = "PC1", .State = "Old"});
        writer.AddMessage({.To = "PC2", .State = "Old"});
        writer.AddMessage({.To = "PC1", .Subject = "two", .FromName = "B", .Received = "r2", .Reserved = 0x1234});
        writer.AddMessage({.To = "PC1", .Subject = "three", .Text = "t3", .FromName = "C", .Received = "r3"});
        writer.AddMessage({.To = "PC1"});
        ASSERT_EQ(writer.AddMessage({.To = "PC1"}), "0000000006");
    }
    TDesk pc1("PC1", folder), second("PC2", folder), other("PC1", folder);
    EXPECT_TRUE(pc1.Messages.HasNewMessages() && !second.Messages.HasNewMessages());
    EXPECT_EQ(pc1.Ui.PanelTexts, std::vector<std::string>{""});
    pc1.InBox();
    EXPECT_EQ(pc1.InBox().size(), 5u);
    EXPECT_EQ(pc1.InBoxView.Panels, Counters(4, 1));
    EXPECT_EQ(pc1.InBoxView.RowsOutsideUpdate + pc1.InBoxView.UpdateDepth, 0);
    const auto before = DumpMessages(folder);

    // The window marks one message old and deletes the next; another copy deletes and reads the two after.
    std::vector<int> openWhileShown;
    pc1.Windows.OnShow = [&](const TMessageWindowFields& fields) {
        openWhileShown.push_back(OpenDescriptors(file));
        if (fields.PrimaryKey == "0000000003")
            return pc1.Messages.MarkMessageOld(fields.PrimaryKey);
        pc1.Messages.DeleteMessage(fields.PrimaryKey);
        other.Messages.DeleteMessage("0000000005");
        other.Messages.MarkMessageOld("0000000006");
    };
    pc1.Messages.ShowNewMessages(pc1.Windows);
    EXPECT_EQ(pc1.Windows.Shown, (std::vector<TMessageWindowFields>{
                                     {"Read Message...", "0000000003", "B", "Recipient", "r2", "two", "Text"},
                                     {"Read Message...", "0000000004", "C", "Recipient", "r3", "three", "t3"}}));
    EXPECT_EQ(openWhileShown, (std::vector<int>{0, 0}));
    EXPECT_FALSE(pc1.Messages.HasNewMessages());

    // Marking old changes the state and no other byte, again or not.
    auto after = DumpMessages(folder);
    ASSERT_EQ(after.size(), 4u);
    TStoredMessage expected = before[2];
    expected.MessageType = "Old";
    const size_t at = MessagesLayout().Field(msgfield::MessageType).Offset;
    std::copy_n(after[2].Bytes.begin() + at, 7, expected.Bytes.begin() + at);
    EXPECT_EQ(after[2], expected);
    pc1.Messages.MarkMessageOld("0000000003");
    EXPECT_EQ(pc1.Messages.ReadMessageBody("0000000003"), "Text");
    EXPECT_EQ(DumpMessages(folder), after);
    EXPECT_TRUE(pc1.Ui.Boxes.empty() && other.Ui.Boxes.empty());

    // A key another copy just deleted: each call says so and writes nothing.
    const std::string bytes = FileBytes(file);
    pc1.Messages.MarkMessageOld("0000000005");
    EXPECT_EQ(pc1.Messages.ReadMessageBody("0000000005"), "");
    pc1.Messages.DeleteMessage("0000000005");
    EXPECT_EQ(pc1.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to find message to make old!"),
                                                    ErrorBox("Unable to locate Qel Message"),
                                                    ErrorBox("Unable to delete Qel Messages\r\rObject not found")}));
    EXPECT_EQ(FileBytes(file), bytes);
    EXPECT_EQ(OpenDescriptors(file), 0);
}

// Neighbouring names, case and states interleaved in key order, with holes.
TEST(FastReadTest, FindsExactlyWhatThePlainPassFinds) {
    TScratchFolder database;
    const std::vector<std::string> recipients{"PC1", "pc1", "Pc1", "PC10", "PC1 ", "PC", "PC2", "", "PC0", "PC1A"};
    const std::vector<std::string> states{"New", "Old", "new", "NEW", ""};
    std::mt19937 random(20261206);
    {
        TDatasetWriter writer(database.Path());
        for (int i = 0; i < 400; ++i) {
            const std::string to = recipients[random() % recipients.size()];
            const std::string& state = states[random() % 3 == 0 ? random() % states.size() : random() % 2];
            const TMessageDraft draft{
                .To = to, .State = state, .Subject = std::to_string(i), .FromName = std::to_string(random() % 7)};
            ASSERT_FALSE(writer.AddMessage(draft).empty());
        }
    }
    TDesk cleaner("PC2", database.Path());
    for (int key = 1; key <= 400; key += 1 + static_cast<int>(random() % 9))
        cleaner.Messages.DeleteMessage(FormatKey(key));
    ASSERT_TRUE(cleaner.Ui.Boxes.empty());
    const TReferenceInBox pc1 = ReferenceInBox(database.Path(), "PC1");
    ASSERT_TRUE(pc1.NewCount > 5 && pc1.OldCount > 5);
    for (const char* computer : {"PC1", "pc1", "PC10", "PC", "PC2", "PC3", "PC1A", "PC0", "zz"}) {
        SCOPED_TRACE(computer);
        TDesk pc(computer, database.Path());
        const TReferenceInBox reference = ReferenceInBox(database.Path(), computer);
        EXPECT_EQ(pc.Messages.HasNewMessages(), reference.NewCount > 0);
        EXPECT_EQ(pc.InBox(), reference.Rows);
        EXPECT_EQ(pc.InBoxView.Panels, Counters(reference.NewCount, reference.OldCount));
        pc.Messages.ShowNewMessages(pc.Windows);
        EXPECT_EQ(pc.Windows.Shown, reference.Shown);
        EXPECT_TRUE(pc.Ui.Boxes.empty());
    }
}

} // namespace
} // namespace qel::test
