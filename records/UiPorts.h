#pragma once

#include <string>
#include <vector>

// The small interfaces through which the record classes show or fill
// something on screen. The application implements them with widgets; tests
// implement them with recorders and check the exact texts.
namespace qel {

enum class TBoxKind { Error, Warning, Information, Plain };
enum class TBoxButtons { Ok, YesNo };
enum class TBoxAnswer { Ok, Yes, No };

// Modal message boxes.
class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    virtual TBoxAnswer Show(TBoxKind kind, const std::string& text, TBoxButtons buttons) = 0;

    void ShowError(const std::string& text) { Show(TBoxKind::Error, text, TBoxButtons::Ok); }
    void ShowWarning(const std::string& text) { Show(TBoxKind::Warning, text, TBoxButtons::Ok); }
    void ShowInformation(const std::string& text) { Show(TBoxKind::Information, text, TBoxButtons::Ok); }
    void ShowPlain(const std::string& text) { Show(TBoxKind::Plain, text, TBoxButtons::Ok); }
    bool AskYesNo(const std::string& text) {
        return Show(TBoxKind::Information, text, TBoxButtons::YesNo) == TBoxAnswer::Yes;
    }
};

// Panel 0 of the main window's status bar.
class IStatusPanel {
public:
    virtual ~IStatusPanel() = default;
    virtual void SetStatusText(const std::string& text) = 0;
};

// The image of the notification-area icon (an index of the status images).
class ITrayImage {
public:
    virtual ~ITrayImage() = default;
    virtual void SetTrayImage(int imageIndex) = 0;
};

// Asks the application to end; takes effect when the event loop next runs.
class IAppControl {
public:
    virtual ~IAppControl() = default;
    virtual void RequestTerminate() = 0;
};

// One row of the board: caption "User" and five sub-items
// (Status, Ext, Department, Comments, PC Name) with a status image.
struct TBoardRow {
    std::string Caption;
    std::vector<std::string> SubItems;
    int ImageIndex = -1;
    bool operator==(const TBoardRow&) const = default;
};

// The board list view.
class IBoardList {
public:
    virtual ~IBoardList() = default;
    virtual void BeginUpdate() = 0;
    virtual void Clear() = 0;
    virtual void AddRow(const TBoardRow& row) = 0;
    virtual void EndUpdate() = 0;
};

// A list of texts that each carry a number (a record number), such as a list
// box or a drop-down list; at most one entry is selected.
class INumberedList {
public:
    virtual ~INumberedList() = default;
    virtual void BeginUpdate() = 0;
    virtual void Clear() = 0;
    virtual void Add(const std::string& text, int number) = 0;
    virtual void EndUpdate() = 0;
    // Index of the selected entry, or -1 when none is.
    virtual int SelectedIndex() const = 0;
    // Number carried by entry `index`.
    virtual int NumberAt(int index) const = 0;
};

// A plain in-memory INumberedList, used by callers that only need the items.
class TNumberedItems : public INumberedList {
public:
    struct TItem {
        std::string Text;
        int Number = 0;
        bool operator==(const TItem&) const = default;
    };
    void BeginUpdate() override { ++UpdateDepth; }
    void Clear() override { Items.clear(); }
    void Add(const std::string& text, int number) override { Items.push_back({text, number}); }
    void EndUpdate() override { --UpdateDepth; }
    int SelectedIndex() const override { return Selected; }
    int NumberAt(int index) const override { return Items.at(static_cast<size_t>(index)).Number; }

    std::vector<TItem> Items;
    int Selected = -1;
    int UpdateDepth = 0;
};

// The main window's department tree: one top-level node with the departments
// as its children.
class IDepartmentTree {
public:
    virtual ~IDepartmentTree() = default;
    // Removes every node.
    virtual void Clear() = 0;
    // Adds a top-level node.
    virtual void AddRoot(const std::string& text) = 0;
    // Adds a child of the top-level node added last.
    virtual void AddChild(const std::string& text) = 0;
};

// One row of the in-box: caption "From" and four sub-items
// (Subject, Type, PrimaryKey, Received).
struct TInBoxRow {
    std::string Caption;
    std::vector<std::string> SubItems;
    bool operator==(const TInBoxRow&) const = default;
};

// The in-box list view.
class IInBoxList {
public:
    virtual ~IInBoxList() = default;
    virtual void BeginUpdate() = 0;
    virtual void Clear() = 0;
    virtual void AddItem(const TInBoxRow& row) = 0;
    virtual void EndUpdate() = 0;
};

// A window's status bar with numbered panels (0 is the first).
class IStatusPanels {
public:
    virtual ~IStatusPanels() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
};

// What the message window shows of one message.
struct TMessageWindowFields {
    std::string Caption;     // "Read Message..." for a received message
    std::string PrimaryKey;  // lblMessagePrimaryKey
    std::string From;        // lblFrom
    std::string To;          // lblTo
    std::string Received;    // lblReceived
    std::string Subject;     // txtSubject
    std::string MessageText; // MemoMessage
    bool operator==(const TMessageWindowFields&) const = default;
};

// The message window. ShowModal fills the window with `fields`, shows it and
// returns when it has been closed; while it is on screen the window may mark
// the message old or delete it through the message store.
class IMessageWindow {
public:
    virtual ~IMessageWindow() = default;
    virtual void ShowModal(const TMessageWindowFields& fields) = 0;
};

// The settings dialog's sound options for new messages.
class ISoundOptions {
public:
    virtual ~ISoundOptions() = default;
    // chkPlayWavFile is ticked.
    virtual bool PlayWavFile() const = 0;
    // The text of edtWavFileSelected.
    virtual std::string WavFileSelected() const = 0;
};

} // namespace qel
