// The message window and the in-box over a shared message store.

#include "DialogOffice.h"

#include "dialogs/MessageLogic.h"
#include "tests/support/MessageReference.h"

namespace qel::test {
namespace {

const auto Key = [](const TInBoxRecorder& rows, size_t i) { return rows.Rows.at(i).SubItems.at(2); };
const auto Type = [](const TInBoxRecorder& rows, size_t i) { return rows.Rows.at(i).SubItems.at(1); };

// The message window as the message store shows it: it shows, the reader
// deletes the message or not (the close box and Cancel do the same), it closes.
class TReadingWindow : public IMessageWindow {
public:
    explicit TReadingWindow(TDialogComputer& pc) : Logic(*pc.Services), Hooks(pc.Hooks) {}

    void ShowModal(const TMessageWindowFields& fields) override {
        Shown.push_back(fields);
        Logic.Caption = fields.Caption;
        Logic.PrimaryKey = fields.PrimaryKey;
        States.push_back(Logic.Show());
        if (Deletes.size() >= Shown.size() && Deletes[Shown.size() - 1])
            Logic.Delete();
        Logic.Close();
        NewMailClearedAfter.push_back(Hooks.NewMailCleared);
    }

    TMessageWindowLogic Logic;
    THooksRecorder& Hooks;
    std::vector<bool> Deletes;
    std::vector<TMessageWindowFields> Shown;
    std::vector<TMessageWindowState> States;
    std::vector<int> NewMailClearedAfter;
};

class MessageDialogs : public TDialogOffice {
protected:
    void SetUp() override {
        Alice = &Join("PC-ALICE", "ALICE");
        Bob = &Join("PC-BOB", "BOB");
    }

    // Alice writes to Bob through her message window in send mode.
    void AliceSends(const std::string& subject, const std::string& text) {
        TMessageWindowLogic window(*Alice->Services);
        window.Caption = SendModeCaption;
        window.ToComputerName = "PC-BOB";
        window.Show();
        window.Send(subject, text);
        window.Close();
    }

    std::vector<TInBoxRow> BobsInBox() {
        TInBoxRecorder rows;
        Bob->Messages->LoadInBox(rows, rows);
        return rows.Rows;
    }

    TDialogComputer* Alice = nullptr;
    TDialogComputer* Bob = nullptr;
};

TEST_F(MessageDialogs, SendModeOffersOnlySendAndStopsThePollWhileOpen) {
    TMessageWindowLogic window(*Alice->Services);
    window.Caption = SendModeCaption;
    window.ToComputerName = "PC-BOB";
    const TMessageWindowState state = window.Show();
    EXPECT_EQ(state, (TMessageWindowState{true, false, false, "Created:", true}));
    EXPECT_FALSE(Alice->Hooks.MessageTimer);
    EXPECT_FALSE(Alice->Hooks.SendMessage);

    window.Send("", "");
    window.Close();
    EXPECT_TRUE(Alice->Hooks.MessageTimer);
    EXPECT_TRUE(Alice->Hooks.SendMessage);
    // Sending never touches the new-message state.
    EXPECT_EQ(Alice->Hooks.NewMailCleared, 0);
    // An empty subject and text are sent as they are, from Alice's computer.
    const std::vector<TInBoxRow> inBox = BobsInBox();
    ASSERT_EQ(inBox.size(), 1u);
    EXPECT_EQ(inBox[0].Caption, "ALICE");
    EXPECT_EQ(inBox[0].SubItems[0], "");
    EXPECT_EQ(inBox[0].SubItems[1], "New");
    EXPECT_TRUE(Alice->Ui.Boxes.empty());
}

// Reading marks a message old on close, deleting removes it without marking
// it first (that would fail with a box); the tray stops after the last one.
TEST_F(MessageDialogs, ReadingMarksOldOnCloseDeletingRemovesAndTheTrayStopsAfterTheLastOne) {
    AliceSends("Lunch?", "At one.");
    AliceSends("Later", "Or two.");
    AliceSends("Gone", "Delete me.");
    TReadingWindow window(*Bob);
    window.Deletes = {false, false, true};
    Bob->Messages->ShowNewMessages(window);

    ASSERT_EQ(window.Shown.size(), 3u);
    EXPECT_EQ(window.Shown[0].Subject, "Lunch?");
    EXPECT_EQ(window.States[0], (TMessageWindowState{false, true, true, "Received:", false}));
    EXPECT_EQ(window.NewMailClearedAfter, (std::vector<int>{0, 0, 1}));
    EXPECT_FALSE(window.Logic.MarkReadOnClose);
    const std::vector<TInBoxRow> inBox = BobsInBox();
    ASSERT_EQ(inBox.size(), 2u);
    for (const TInBoxRow& row : inBox)
        EXPECT_EQ(row.SubItems[1], "Old") << row.SubItems[0];
    EXPECT_TRUE(Bob->Hooks.MessageTimer);
    EXPECT_TRUE(Bob->Hooks.SendMessage);
    EXPECT_TRUE(Bob->Ui.Boxes.empty());
}

TEST_F(MessageDialogs, ALaterSendModeShowingNeverMarksTheLastReadMessage) {
    AliceSends("One", "1");
    TReadingWindow reader(*Bob);
    Bob->Messages->ShowNewMessages(reader);
    // The same window object now writes a reply: the flag is still set, but
    // only a read-mode close acts on it.
    AliceSends("Two", "2");
    reader.Logic.Caption = SendModeCaption;
    reader.Logic.ToComputerName = "PC-ALICE";
    reader.Logic.Show();
    reader.Logic.Send("Re", "ok");
    reader.Logic.Close();
    const std::vector<TInBoxRow> inBox = BobsInBox();
    ASSERT_EQ(inBox.size(), 2u);
    EXPECT_EQ(inBox[0].SubItems[0], "Two");
    EXPECT_EQ(inBox[0].SubItems[1], "New");
}

TEST_F(MessageDialogs, OpeningANewMessageInTheInBoxStopsTheTrayAtOnce) {
    AliceSends("First", "one");
    AliceSends("Second", "two");
    TInBoxLogic inBox(*Bob->Services);
    TInBoxRecorder rows;
    inBox.Show(rows, rows);
    ASSERT_EQ(rows.Rows.size(), 2u);

    EXPECT_EQ(inBox.Open(Key(rows, 0), Type(rows, 0)), "two");
    // One new message remains, yet the new-message state has ended.
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 1);
    EXPECT_TRUE(Bob->Messages->HasNewMessages());
    // The list still says "New"; opening it again marks it again, harmlessly.
    EXPECT_EQ(Type(rows, 0), "New");
    inBox.Open(Key(rows, 0), Type(rows, 0));
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 2);
    EXPECT_TRUE(Bob->Ui.Boxes.empty());

    // An old message is read without touching the tray.
    inBox.Show(rows, rows);
    EXPECT_EQ(Type(rows, 0), "Old");
    EXPECT_EQ(inBox.Open(Key(rows, 0), Type(rows, 0)), "two");
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 2);
}

TEST_F(MessageDialogs, InBoxStopsBothTimersAndDeleteAsksFirstAndReloadsOnYes) {
    AliceSends("Keep", "k");
    AliceSends("Drop", "d");
    TInBoxLogic inBox(*Bob->Services);
    TInBoxRecorder rows;
    Bob->Ui.Reset();
    inBox.Show(rows, rows);
    EXPECT_FALSE(Bob->Hooks.RefreshTimer);
    EXPECT_FALSE(Bob->Hooks.MessageTimer);
    EXPECT_EQ(Bob->Ui.PanelTexts.back(), "");
    EXPECT_EQ(rows.Panels, (std::vector<std::string>{"New messages = 2", "Old messages = 0", "Total messages = 2"}));
    EXPECT_FALSE(TInBoxLogic::DeleteEnabled(false));
    EXPECT_TRUE(TInBoxLogic::DeleteEnabled(true));

    Bob->Ui.QueueAnswer(TBoxAnswer::No);
    EXPECT_FALSE(inBox.Delete(Key(rows, 0), rows, rows));
    EXPECT_EQ(rows.Rows.size(), 2u);
    Bob->Ui.QueueAnswer(TBoxAnswer::Yes);
    EXPECT_TRUE(inBox.Delete(Key(rows, 0), rows, rows));
    ASSERT_EQ(rows.Rows.size(), 1u);
    EXPECT_EQ(rows.Rows[0].SubItems[0], "Keep");
    EXPECT_EQ(rows.Panels[2], "Total messages = 1");
    const TShownBox question = Question("Are you sure you want to delete the selected message?");
    EXPECT_EQ(Bob->Ui.Boxes, (std::vector<TShownBox>{question, question}));
    inBox.Close();
    EXPECT_TRUE(Bob->Hooks.RefreshTimer);
    EXPECT_TRUE(Bob->Hooks.MessageTimer);
}

} // namespace
} // namespace qel::test
