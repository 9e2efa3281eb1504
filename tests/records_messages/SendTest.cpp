// Sending: what is stored, what is refused, and that nothing already stored
// is ever lost; the user-name lookup and the missing engine.

#include "MessageOffice.h"

#include <algorithm>
#include <fstream>
#include <tuple>

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

// The bytes of a text field after its terminating NUL are all zero.
bool TailIsZero(const TStoredMessage& m, int position) {
    const TFieldDesc& field = MessagesLayout().Field(position);
    const auto begin = m.Bytes.begin() + static_cast<std::ptrdiff_t>(field.Offset);
    const auto end = begin + static_cast<std::ptrdiff_t>(field.Size);
    return std::all_of(std::find(begin, end, 0), end, [](unsigned char b) { return b == 0; });
}

TEST_F(SendTest, FirstSendCreatesTheDatasetAndStoresANewMessageWithKeyOne) {
    AddUsers();
    TMessageComputer pc2("PC2", Database.Path());
    // Subject and text at their limits are stored whole.
    const std::string subject(30, 's');
    const std::string text(255, 't');
    pc2.Messages->Send("PC1", "PC2", subject, text);

    EXPECT_TRUE(pc2.Ui.Boxes.empty());
    const auto stored = DumpMessages(Database.Path());
    ASSERT_EQ(stored.size(), 1u);
    const TStoredMessage& m = stored[0];
    EXPECT_EQ(m.Key, "0000000001");
    EXPECT_FALSE(m.Received.empty());
    EXPECT_EQ(static_cast<const TMessageRecord&>(m),
              (TMessageRecord{0, m.Received, subject, "New", text, "ALICE", "BOB", "PC1", "PC2"}));
    // No stray bytes: every text field is zero after its end.
    for (int position = msgfield::Received; position <= msgfield::FromComputerName; ++position)
        EXPECT_TRUE(TailIsZero(m, position)) << "field " << position;
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
    EXPECT_EQ(OpenDescriptors(Database.Path() + "QelDBase.isd"), 0);

    // Longer ones are cut to the same.
    pc2.Messages->Send("PC1", "PC2", subject + "X", text + "Y");
    const TStoredMessage second = DumpMessages(Database.Path()).back();
    EXPECT_EQ(second.Key, "0000000002");
    EXPECT_EQ(second.Subject, subject);
    EXPECT_EQ(second.MessageText, text);
    EXPECT_TRUE(pc2.Ui.Boxes.empty());
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
    TMessageComputer pc2("PC2", Database.Path());
    // Without a users dataset every lookup fails.
    pc2.Messages->Send("PC1", "PC2", "Hello", "Text");
    EXPECT_EQ(pc2.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Unable to open Qel Users database!"),
                                                    ErrorBox("Unable to find PC1 in Users Databse!"),
                                                    ErrorBox("Unable to find PC2 in Users Databse!")}));
    AddUsers();
    const std::vector<std::tuple<std::string, std::string, std::vector<std::string>>> cases{
        {"PC9", "PC2", {"PC9"}}, {"PC1", "PC7", {"PC7"}}, {"pc1", "PC8", {"pc1", "PC8"}}};
    for (const auto& [to, from, missing] : cases) {
        pc2.Ui.Reset();
        pc2.Messages->Send(to, from, "Hello", "Anyone?");
        std::vector<TShownBox> expected;
        for (const std::string& computer : missing)
            expected.push_back(ErrorBox("Unable to find " + computer + " in Users Databse!"));
        EXPECT_EQ(pc2.Ui.Boxes, expected);
    }
    EXPECT_TRUE(DumpMessages(Database.Path()).empty());
    EXPECT_EQ(pc2.Ui.TerminateRequests, 0);
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);
}

TEST_F(SendTest, AnExistingFileThatCannotBeOpenedIsReportedAndNeverReplaced) {
    AddUsers();
    const std::string junk = "not a dataset, but somebody's data\n";
    { std::ofstream(MessagesFile(), std::ios::binary) << junk; }
    TMessageComputer pc2("PC2", Database.Path());
    pc2.Messages->Send("PC1", "PC2", "Hello", "Text");
    // It says what is wrong with the file; the program goes on.
    ASSERT_EQ(pc2.Ui.Log.size(), 1u);
    EXPECT_EQ(pc2.Ui.Log[0].rfind("box Error: Unable to open Qel Messages database!\r" + IsamErrorText(8), 0), 0u);
    EXPECT_EQ(FileBytes(MessagesFile()), junk);
    EXPECT_EQ(OpenDescriptors(MessagesFile()), 0);

    // A folder that cannot hold the dataset ends the program.
    TMessageComputer lost("PC2", Database.Path() + "missing/");
    lost.Messages->Send("PC1", "PC2", "Hello", "Text");
    EXPECT_EQ(lost.Ui.Log,
              (std::vector<std::string>{"box Error: Unable to create Qel Messages database!", "terminate"}));
    EXPECT_FALSE(std::filesystem::exists(Database.Path() + "missing"));
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

} // namespace
} // namespace qel::test
