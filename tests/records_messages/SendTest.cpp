// Sending: what is stored, what is refused, and that nothing already stored
// is ever lost.

#include "MessageOffice.h"

namespace qel::test {
namespace {

class SendTest : public ::testing::Test {
protected:
    void AddUsers() {
        TDatasetWriter writer(Database.Path());
        ASSERT_TRUE(writer.AddUser("ALICE", "PC1"));
        ASSERT_TRUE(writer.AddUser("BOB", "PC2"));
    }
    std::string MessagesFile() const { return Database.Path() + "QelMesg.isd"; }

    TScratchFolder Database;
};

// The bytes of a text field after its terminating NUL.
bool TailIsZero(const TStoredMessage& m, int position) {
    const TFieldDesc& field = MessagesLayout().Field(position);
    bool afterNul = false;
    for (size_t i = field.Offset; i < field.Offset + field.Size; ++i) {
        if (afterNul && m.Bytes[i] != 0)
            return false;
        afterNul = afterNul || m.Bytes[i] == 0;
    }
    return true;
}

TEST_F(SendTest, FirstSendCreatesTheDatasetAndStoresANewMessageWithKeyOne) {
    AddUsers();
    TMessageComputer pc2("PC2", Database.Path());
    ASSERT_FALSE(std::filesystem::exists(MessagesFile()));

    pc2.Messages->Send("PC1", "PC2", "Lunch?", "At noon in the canteen");

    EXPECT_TRUE(pc2.Ui.Boxes.empty());
    const auto stored = DumpMessages(Database.Path());
    ASSERT_EQ(stored.size(), 1u);
    const TStoredMessage& m = stored[0];
    EXPECT_EQ(m.Key, "0000000001");
    EXPECT_EQ(m.Reserved, 0);
    EXPECT_EQ(m.MessageType, "New");
    EXPECT_EQ(m.Subject, "Lunch?");
    EXPECT_EQ(m.MessageText, "At noon in the canteen");
    EXPECT_EQ(m.ToName, "ALICE");
    EXPECT_EQ(m.FromName, "BOB");
    EXPECT_EQ(m.ToComputerName, "PC1");
    EXPECT_EQ(m.FromComputerName, "PC2");
    EXPECT_FALSE(m.Received.empty());
    // No stray bytes: every text field is zero after its end.
    for (int position = msgfield::Received; position <= msgfield::FromComputerName; ++position)
        EXPECT_TRUE(TailIsZero(m, position)) << "field " << position;
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
    EXPECT_EQ(OpenDescriptors(Database.Path() + "QelDBase.isd"), 0);

    pc2.Messages->Send("PC1", "PC2", "Again", "");
    EXPECT_EQ(DumpMessages(Database.Path()).back().Key, "0000000002");
}

TEST_F(SendTest, TheFolderIsTheUsersObjectsLocationAsItIsNow) {
    TScratchFolder first;
    TMessageComputer pc2("PC2", first.Path());
    AddUsers();
    // The database wizard sets the users object's Location after start-up.
    pc2.Location = Database.Path();
    pc2.Messages->Send("PC1", "PC2", "s", "t");
    EXPECT_TRUE(pc2.Ui.Boxes.empty());
    EXPECT_EQ(DumpMessages(Database.Path()).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(first.Path() + "QelMesg.isd"));
}

TEST_F(SendTest, AnUnknownRecipientOrSenderIsReportedAndNothingIsStored) {
    AddUsers();
    TMessageComputer pc2("PC2", Database.Path());

    pc2.Messages->Send("PC9", "PC2", "Hello", "Anyone?");
    EXPECT_EQ(pc2.Ui.Boxes, std::vector<TShownBox>{ErrorBox("Unable to find PC9 in Users Databse!")});

    pc2.Ui.Reset();
    pc2.Messages->Send("PC1", "PC7", "Hello", "From nowhere");
    EXPECT_EQ(pc2.Ui.Boxes, std::vector<TShownBox>{ErrorBox("Unable to find PC7 in Users Databse!")});

    pc2.Ui.Reset();
    pc2.Messages->Send("pc1", "PC8", "Hello", "Case counts");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to find pc1 in Users Databse!"),
                                                    ErrorBox("Unable to find PC8 in Users Databse!")}));

    EXPECT_TRUE(DumpMessages(Database.Path()).empty());
    EXPECT_EQ(pc2.Ui.TerminateRequests, 0);
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
}

TEST_F(SendTest, WithoutAUsersDatasetEachLookupFailsAndNothingIsStored) {
    TMessageComputer pc2("PC2", Database.Path());
    pc2.Messages->Send("PC1", "PC2", "Hello", "Text");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to open Qel Users database!"),
                                                    ErrorBox("Unable to find PC1 in Users Databse!"),
                                                    ErrorBox("Unable to find PC2 in Users Databse!")}));
    EXPECT_TRUE(DumpMessages(Database.Path()).empty());
}

TEST_F(SendTest, AnExistingFileThatCannotBeOpenedIsNeverReplaced) {
    AddUsers();
    const std::string junk = "not a dataset, but somebody's data\n";
    { std::ofstream(MessagesFile(), std::ios::binary) << junk; }
    TMessageComputer pc2("PC2", Database.Path());

    pc2.Messages->Send("PC1", "PC2", "Hello", "Text");

    EXPECT_EQ(pc2.Ui.Log,
              (std::vector<std::string>{"box Error: Unable to create Qel Messages database!", "terminate"}));
    EXPECT_EQ(FileBytes(MessagesFile()), junk);
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
}

TEST_F(SendTest, AFolderThatCannotHoldTheDatasetEndsTheProgram) {
    TMessageComputer pc2("PC2", Database.Path() + "missing/");
    pc2.Messages->Send("PC1", "PC2", "Hello", "Text");
    EXPECT_EQ(pc2.Ui.Log,
              (std::vector<std::string>{"box Error: Unable to create Qel Messages database!", "terminate"}));
    EXPECT_FALSE(std::filesystem::exists(Database.Path() + "missing"));
}

TEST_F(SendTest, SubjectAndTextAreStoredWholeUpToTheirLimitsAndCutBeyond) {
    AddUsers();
    TMessageComputer pc2("PC2", Database.Path());
    const std::string subject30(30, 's');
    const std::string text255(255, 't');
    pc2.Messages->Send("PC1", "PC2", subject30, text255);
    pc2.Messages->Send("PC1", "PC2", subject30 + "X", text255 + "Y");
    // A two-byte character that would straddle the limit is left out whole.
    pc2.Messages->Send("PC1", "PC2", std::string(29, 's') + "\xC3\xA9", "ok");

    EXPECT_TRUE(pc2.Ui.Boxes.empty());
    const auto stored = DumpMessages(Database.Path());
    ASSERT_EQ(stored.size(), 3u);
    EXPECT_EQ(stored[0].Subject, subject30);
    EXPECT_EQ(stored[0].MessageText, text255);
    EXPECT_EQ(stored[1].Subject, subject30);
    EXPECT_EQ(stored[1].MessageText, text255);
    EXPECT_EQ(stored[2].Subject, std::string(29, 's'));
}

TEST(UserNameLookupTest, GivesTheRegisteredNameOrReportsWhyNot) {
    TScratchFolder database;
    TMessageComputer pc1("PC1", database.Path());

    EXPECT_EQ(pc1.Messages->GetUserNameForComputer("PC1"), "");
    EXPECT_EQ(pc1.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to open Users dataset Object not found"),
                                                    ErrorBox("Unable to locate User Invalid dataset reference")}));

    {
        TDatasetWriter writer(database.Path());
        ASSERT_TRUE(writer.AddUser("ALICE", "PC1"));
        ASSERT_TRUE(writer.AddUser("bob", "pc2"));
    }
    pc1.Ui.Reset();
    EXPECT_EQ(pc1.Messages->GetUserNameForComputer("PC1"), "ALICE");
    EXPECT_EQ(pc1.Messages->GetUserNameForComputer("pc2"), "bob");
    EXPECT_TRUE(pc1.Ui.Boxes.empty());
    EXPECT_EQ(pc1.Messages->GetUserNameForComputer("PC3"), "");
    EXPECT_EQ(pc1.Ui.Boxes, std::vector<TShownBox>{ErrorBox("Unable to locate User Object not found")});
    EXPECT_EQ(OpenDescriptors(database.Path() + "QelDBase.isd"), 0);
}

TEST(MessageStoreStartTest, AMissingEngineIsReportedForEachHandle) {
    TScratchFolder database;
    TScratchFolder noEngine;
    TMessageComputer pc1("PC1", database.Path(), noEngine.Path());
    const std::string box = std::string("box Error: ") + EngineMissingText;
    EXPECT_EQ(pc1.Ui.Log, (std::vector<std::string>{box, "terminate", box, "terminate"}));
}

TEST(MessageSoundTest, PlaysTheChosenFileOrBeeps) {
    TScratchFolder database;
    TMessageComputer pc1("PC1", database.Path());
    TSoundOptions options;
    options.File = "/usr/share/sounds/ding.wav";

    pc1.Messages->PlayNewMessageSound(options);
    EXPECT_EQ(pc1.Platform.BeepCount, 1);
    EXPECT_TRUE(pc1.Platform.PlayedSounds.empty());

    options.Ticked = true;
    pc1.Messages->PlayNewMessageSound(options);
    EXPECT_EQ(pc1.Platform.BeepCount, 1);
    EXPECT_EQ(pc1.Platform.PlayedSounds, std::vector<std::string>{options.File});
}

} // namespace
} // namespace qel::test
