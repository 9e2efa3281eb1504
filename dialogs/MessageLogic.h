#pragma once

#include "dialogs/MainWindowHooks.h"

#include <string>

namespace qel {

// The message window's captions; the caption is its mode.
inline constexpr const char* SendModeCaption = "Send Message...";
inline constexpr const char* ReadModeCaption = "Read Message...";

// How the message window shows itself in the mode its caption names.
struct TMessageWindowState {
    bool SendEnabled = false;
    bool CancelEnabled = false;
    bool DeleteEnabled = false;
    // lblTimeStatic: "Created:" or "Received:".
    std::string TimeStaticText;
    // Send mode starts from an empty subject and message, focus in the subject.
    bool ClearTexts = false;
    bool operator==(const TMessageWindowState&) const = default;
};

// The message window's behaviour: writing a message (send mode) or reading
// one that has arrived (read mode). The callers set the public members the
// window's hidden labels hold before showing it.
class TMessageWindowLogic {
public:
    explicit TMessageWindowLogic(TDialogServices& services) : FServices(services) {}

    // On show: stops the message poll, disables the main window's send
    // command, and in read mode arms marking the message old on close.
    TMessageWindowState Show();
    // Send: stores the message from this computer to ToComputerName. Empty
    // texts are sent as they are. The window then closes.
    void Send(const std::string& subject, const std::string& messageText);
    // Delete (read mode): deletes the message without asking, and it is not
    // marked old on close. The window then closes.
    void Delete();
    // Every close: in read mode marks the message old unless it was deleted,
    // ends the new-message state of the main window once no new message is
    // left, then starts the poll and enables the send command again.
    void Close();

    bool ReadMode() const { return Caption == ReadModeCaption; }

    std::string Caption;        // the window's caption
    std::string PrimaryKey;     // lblMessagePrimaryKey
    std::string ToComputerName; // lblToComputerName
    // Set when a message is shown for reading; cleared when it is deleted.
    bool MarkReadOnClose = false;

private:
    TDialogServices& FServices;
};

inline constexpr const char* InBoxCaption = "Message InBox";
inline constexpr const char* DeleteMessageQuestion = "Are you sure you want to delete the selected message?";

// The in-box's behaviour. Items are passed as their primary key and their
// "Type" text.
class TInBoxLogic {
public:
    explicit TInBoxLogic(TDialogServices& services) : FServices(services) {}

    // On show: stops the board refresh and the message poll, fills the list
    // and the counters, and clears the main window's first status panel.
    void Show(IInBoxList& list, IStatusPanels& panels);
    // A click on the item with `key` and `type`: returns the message text.
    // A "New" item is marked old, and the main window's new-message state
    // ends at once, even when other new messages remain. The list is not
    // refreshed.
    std::string Open(const std::string& key, const std::string& type);
    // Delete of the item with `key`, after asking. Yes: deletes it and
    // reloads the list and counters, and returns true (the message text is
    // then emptied). No: nothing happens, false.
    bool Delete(const std::string& key, IInBoxList& list, IStatusPanels& panels);
    static bool DeleteEnabled(bool itemSelected) { return itemSelected; }
    // Every close: starts the board refresh and the message poll again.
    void Close();

private:
    TDialogServices& FServices;
};

} // namespace qel
