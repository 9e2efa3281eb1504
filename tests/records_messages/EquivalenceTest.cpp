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
    TMessageComputer pc(computer, folder);
    EXPECT_EQ(pc.Messages->HasNewMessages(), ReferenceHasNewMessages(folder, computer));
    const TReferenceInBox inBox = ReferenceInBox(folder, computer);
    EXPECT_EQ(pc.InBox(), inBox.Rows);
    EXPECT_EQ(pc.InBoxView.Panels, Counters(inBox.NewCount, inBox.OldCount));
    TMessageWindowRecorder window;
    pc.Messages->ShowNewMessages(window);
    EXPECT_EQ(window.Shown, ReferenceShownMessages(folder, computer));
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
            keys.push_back(
                writer.AddMessage({.To = recipients[random() % recipients.size()],
                                   .State = states[random() % 3 == 0 ? random() % states.size() : random() % 2],
                                   .Subject = "subject " + std::to_string(i),
                                   .Text = "text " + std::to_string(i),
                                   .FromName = "sender " + std::to_string(random() % 7),
                                   .Received = "t" + std::to_string(i)}));
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
    const TReferenceInBox pc1 = ReferenceInBox(database.Path(), "PC1");
    EXPECT_GT(pc1.NewCount, 5);
    EXPECT_GT(pc1.OldCount, 5);

    // After reading everything the two still agree, now without new mail.
    TMessageComputer reader("PC1", database.Path());
    for (const TInBoxRow& row : pc1.Rows)
        reader.Messages->MarkMessageOld(row.SubItems[2]);
    ExpectSameAsPlainPass(database.Path(), "PC1");
    EXPECT_FALSE(ReferenceHasNewMessages(database.Path(), "PC1"));
}

TEST(FastReadTest, AgreesWhenTheOnlyMessagesAreAtTheEdgesOfTheIndex) {
    TScratchFolder database;
    {
        TDatasetWriter writer(database.Path());
        for (const auto& [to, state] : {std::pair{"AAA", "New"}, {"ZZZ", "Old"}, {"AAA", "Old"}, {"ZZZ", "New"}})
            ASSERT_FALSE(writer.AddMessage({.To = to, .State = state}).empty());
    }
    ASSERT_EQ(ReferenceInBox(database.Path(), "ZZZ").Rows.size(), 2u);
    for (const char* computer : {"AAA", "ZZZ", "MMM", "A", "ZZZZ"})
        ExpectSameAsPlainPass(database.Path(), computer);
}

} // namespace
} // namespace qel::test
