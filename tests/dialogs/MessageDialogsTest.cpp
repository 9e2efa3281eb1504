// The message window and the in-box over a shared message store: modes and
// enabling, what reading and deleting do to the messages, and when the main
// window's new-message state ends.

#include "DialogOffice.h"

#include "dialogs/MessageLogic.h"

#include <map>

namespace qel::test {
namespace {

// The in-box list and its three counters.
class TInBoxRows : public IInBoxList, public IStatusPanels {
public:
    void BeginUpdate() override {}
    void Clear() override { Rows.clear(); }
    void AddItem(const TInBoxRow& row) override { Rows.push_back(row); }
    void EndUpdate() override {}
    void SetPanelText(int panel, const std::string& text) override { Panels[panel] = text; }

    // Key and type of row `i`.
    std::string Key(size_t i) const { return Rows.at(i).SubItems.at(2); }
    std::string Type(size_t i) const { return Rows.at(i).SubItems.at(1); }

    std::vector<TInBoxRow> Rows;
    std::map<int, std::string> Panels;
};

// The message window as the message store shows it: the fields go into the
// window, it shows, the reader does `action`, and it closes.
class TReadingWindow : public IMessageWindow {
public:
    enum class TAction { CloseBox, Cancel, Delete };
    explicit TReadingWindow(TDialogServices& services) : Logic(services) {}

    void ShowModal(const TMessageWindowFields& fields) override {
        Shown.push_back(fields);
        Logic.Caption = fields.Caption;
        Logic.PrimaryKey = fields.PrimaryKey;
        States.push_back(Logic.Show());
        const TAction action = Actions.empty() ? TAction::CloseBox : Actions.front();
        if (!Actions.empty())
            Actions.erase(Actions.begin());
        if (action == TAction::Delete)
            Logic.Delete();
        Logic.Close();
        NewMailClearedAfter.push_back(Hooks->NewMailCleared);
    }

    TMessageWindowLogic Logic;
    THooksRecorder* Hooks = nullptr;
    std::vector<TAction> Actions;
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
        TInBoxRows rows;
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

TEST_F(MessageDialogs, ReadingMarksOldOnCloseAndTheTrayStopsAfterTheLastOne) {
    AliceSends("Lunch?", "At one.");
    AliceSends("Later", "Or two.");
    TReadingWindow window(*Bob->Services);
    window.Hooks = &Bob->Hooks;
    window.Actions = {TReadingWindow::TAction::Cancel, TReadingWindow::TAction::CloseBox};
    Bob->Messages->ShowNewMessages(window);

    ASSERT_EQ(window.Shown.size(), 2u);
    EXPECT_EQ(window.Shown[0].Subject, "Lunch?");
    EXPECT_EQ(window.States[0], (TMessageWindowState{false, true, true, "Received:", false}));
    // After the first one a new message remains: the tray goes on animating.
    EXPECT_EQ(window.NewMailClearedAfter, (std::vector<int>{0, 1}));
    for (const TInBoxRow& row : BobsInBox())
        EXPECT_EQ(row.SubItems[1], "Old") << row.SubItems[0];
    EXPECT_TRUE(Bob->Hooks.MessageTimer);
    EXPECT_TRUE(Bob->Hooks.SendMessage);
    EXPECT_TRUE(Bob->Ui.Boxes.empty());
}

TEST_F(MessageDialogs, DeletingRemovesTheMessageWithoutMarkingItFirst) {
    AliceSends("Gone", "Delete me.");
    TReadingWindow window(*Bob->Services);
    window.Hooks = &Bob->Hooks;
    window.Actions = {TReadingWindow::TAction::Delete};
    Bob->Messages->ShowNewMessages(window);

    EXPECT_TRUE(BobsInBox().empty());
    EXPECT_FALSE(window.Logic.MarkReadOnClose);
    // Marking a deleted message would have failed with a box.
    EXPECT_TRUE(Bob->Ui.Boxes.empty());
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 1);
}

TEST_F(MessageDialogs, ALaterSendModeShowingNeverMarksTheLastReadMessage) {
    AliceSends("One", "1");
    TReadingWindow reader(*Bob->Services);
    reader.Hooks = &Bob->Hooks;
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

TEST_F(MessageDialogs, InBoxStopsBothTimersAndClearsTheStatusPanel) {
    AliceSends("Hello", "Text");
    TInBoxLogic inBox(*Bob->Services);
    TInBoxRows rows;
    Bob->Ui.Reset();
    inBox.Show(rows, rows);
    EXPECT_FALSE(Bob->Hooks.RefreshTimer);
    EXPECT_FALSE(Bob->Hooks.MessageTimer);
    EXPECT_EQ(Bob->Ui.PanelTexts.back(), "");
    ASSERT_EQ(rows.Rows.size(), 1u);
    EXPECT_EQ(rows.Panels[0], "New messages = 1");
    EXPECT_EQ(rows.Panels[2], "Total messages = 1");
    inBox.Close();
    EXPECT_TRUE(Bob->Hooks.RefreshTimer);
    EXPECT_TRUE(Bob->Hooks.MessageTimer);
}

TEST_F(MessageDialogs, OpeningANewMessageInTheInBoxStopsTheTrayAtOnce) {
    AliceSends("First", "one");
    AliceSends("Second", "two");
    TInBoxLogic inBox(*Bob->Services);
    TInBoxRows rows;
    inBox.Show(rows, rows);
    ASSERT_EQ(rows.Rows.size(), 2u);

    EXPECT_EQ(inBox.Open(rows.Key(0), rows.Type(0)), "two");
    // One new message remains, yet the new-message state has ended.
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 1);
    EXPECT_TRUE(Bob->Messages->HasNewMessages());
    // The list still says "New"; opening it again marks it again, harmlessly.
    EXPECT_EQ(rows.Type(0), "New");
    inBox.Open(rows.Key(0), rows.Type(0));
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 2);
    EXPECT_TRUE(Bob->Ui.Boxes.empty());

    // An old message is read without touching the tray.
    inBox.Show(rows, rows);
    EXPECT_EQ(rows.Type(0), "Old");
    EXPECT_EQ(inBox.Open(rows.Key(0), rows.Type(0)), "two");
    EXPECT_EQ(Bob->Hooks.NewMailCleared, 2);
}

TEST_F(MessageDialogs, InBoxDeleteAsksFirstAndReloadsOnYes) {
    AliceSends("Keep", "k");
    AliceSends("Drop", "d");
    TInBoxLogic inBox(*Bob->Services);
    TInBoxRows rows;
    inBox.Show(rows, rows);
    EXPECT_FALSE(TInBoxLogic::DeleteEnabled(false));
    EXPECT_TRUE(TInBoxLogic::DeleteEnabled(true));

    Bob->Ui.QueueAnswer(TBoxAnswer::No);
    EXPECT_FALSE(inBox.Delete(rows.Key(0), rows, rows));
    EXPECT_EQ(rows.Rows.size(), 2u);
    Bob->Ui.QueueAnswer(TBoxAnswer::Yes);
    EXPECT_TRUE(inBox.Delete(rows.Key(0), rows, rows));
    ASSERT_EQ(rows.Rows.size(), 1u);
    EXPECT_EQ(rows.Rows[0].SubItems[0], "Keep");
    EXPECT_EQ(rows.Panels[2], "Total messages = 1");
    const TShownBox question = Question("Are you sure you want to delete the selected message?");
    EXPECT_EQ(Bob->Ui.Boxes, (std::vector<TShownBox>{question, question}));
}

} // namespace
} // namespace qel::test
