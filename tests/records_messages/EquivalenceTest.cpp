// The message store reads only this computer's messages through the
// recipient index; the plain pass over every record must find exactly the
// same, on data mixed so that neighbouring names, case and states are
// interleaved in key order.

#include "MessageOffice.h"

#include <random>

namespace qel::test {
namespace {

void ExpectSameAsPlainPass(const std::string& folder, const std::string& computer) {
    SCOPED_TRACE("computer " + computer);
    const TReferenceResult reference = ReferenceFullPass(folder, computer);
    TMessageComputer pc(computer, folder);

    EXPECT_EQ(pc.Messages->HasNewMessages(), reference.HasNew);
    EXPECT_EQ(ReferenceHasNewMessages(folder, computer), reference.HasNew);

    EXPECT_EQ(pc.InBox(), reference.InBox);
    EXPECT_EQ(pc.InBoxView.Panels[0], "New messages = " + std::to_string(reference.NewCount));
    EXPECT_EQ(pc.InBoxView.Panels[1], "Old messages = " + std::to_string(reference.OldCount));
    EXPECT_EQ(pc.InBoxView.Panels[2], "Total messages = " + std::to_string(reference.NewCount + reference.OldCount));

    TMessageWindowRecorder window;
    pc.Messages->ShowNewMessages(window);
    EXPECT_EQ(window.Shown, reference.Shown);
    EXPECT_TRUE(pc.Ui.Boxes.empty());
}

TEST(FastReadTest, FindsExactlyWhatThePlainPassFinds) {
    TScratchFolder database;
    const std::vector<std::string> recipients{"PC1", "pc1", "Pc1", "PC10", "PC1 ", "PC", "PC2", "", "PC0", "PC1A"};
    const std::vector<std::string> states{"New", "Old", "new", "NEW", ""};
    std::mt19937 random(20261206);
    std::vector<std::string> keys;
    {
        TDatasetWriter writer(database.Path());
        for (int i = 0; i < 400; ++i) {
            TMessageDraft draft;
            draft.To = recipients[random() % recipients.size()];
            draft.State = states[random() % 3 == 0 ? random() % states.size() : random() % 2];
            draft.Subject = "subject " + std::to_string(i);
            draft.Text = "text " + std::to_string(i);
            draft.FromName = "sender " + std::to_string(random() % 7);
            draft.Received = "t" + std::to_string(i);
            keys.push_back(writer.AddMessage(draft));
            ASSERT_FALSE(keys.back().empty());
        }
    }
    // Holes in the keys, as deletions leave them.
    TMessageComputer cleaner("PC2", database.Path());
    for (size_t i = 0; i < keys.size(); i += 1 + random() % 9)
        cleaner.Messages->DeleteMessage(keys[i]);
    ASSERT_TRUE(cleaner.Ui.Boxes.empty());

    for (const char* computer : {"PC1", "pc1", "PC10", "PC", "PC2", "PC3", "PC1A", "PC0"})
        ExpectSameAsPlainPass(database.Path(), computer);
    // Sanity: the data does give PC1 both new and old messages.
    const TReferenceResult pc1 = ReferenceFullPass(database.Path(), "PC1");
    EXPECT_GT(pc1.NewCount, 5);
    EXPECT_GT(pc1.OldCount, 5);

    // After reading everything the two still agree, now without new mail.
    TMessageComputer reader("PC1", database.Path());
    for (const TInBoxRow& row : pc1.InBox)
        reader.Messages->MarkMessageOld(row.SubItems[2]);
    ExpectSameAsPlainPass(database.Path(), "PC1");
    EXPECT_FALSE(ReferenceFullPass(database.Path(), "PC1").HasNew);
}

TEST(FastReadTest, AgreesWhenTheOnlyMessagesAreAtTheEdgesOfTheIndex) {
    TScratchFolder database;
    {
        TDatasetWriter writer(database.Path());
        writer.AddMessage({.To = "AAA"});
        writer.AddMessage({.To = "ZZZ", .State = "Old"});
        writer.AddMessage({.To = "AAA", .State = "Old"});
        writer.AddMessage({.To = "ZZZ"});
    }
    for (const char* computer : {"AAA", "ZZZ", "MMM", "A", "ZZZZ"})
        ExpectSameAsPlainPass(database.Path(), computer);
}

} // namespace
} // namespace qel::test
