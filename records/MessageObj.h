#pragma once

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/QelContext.h"
#include "records/UiPorts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qel {

// The messages dataset: QelMesg in the database folder.
inline constexpr const char* MessagesDatasetName = "QelMesg";
// Reserved, Received, Subject, MessageType (index 4), MessageText, ToName
// (index 6), FromName, ToComputerName (index 8), FromComputerName. 451 bytes.
inline constexpr const char* MessagesLayoutText = "%,$*31,$*31,X$*7,$*256,X$*31,$*31,X$*31,$*31";

// Field positions in a message record.
namespace msgfield {
inline constexpr int Reserved = 1;
inline constexpr int Received = 2;
inline constexpr int Subject = 3;
inline constexpr int MessageType = 4;
inline constexpr int MessageText = 5;
inline constexpr int ToName = 6;
inline constexpr int FromName = 7;
inline constexpr int ToComputerName = 8;
inline constexpr int FromComputerName = 9;
} // namespace msgfield

// The secondary index on the recipient's computer name.
inline constexpr int16_t RecipientIndex = 8;

// Message states, compared exactly.
inline constexpr const char* MessageStateNew = "New";
inline constexpr const char* MessageStateOld = "Old";

// The fields of a message record, in record order.
struct TMessageRecord {
    int16_t Reserved = 0;
    std::string Received;
    std::string Subject;
    std::string MessageType;
    std::string MessageText;
    std::string ToName;
    std::string FromName;
    std::string ToComputerName;
    std::string FromComputerName;
    bool operator==(const TMessageRecord&) const = default;
};

// The parsed messages layout, shared by every message record buffer.
const TFieldLayout& MessagesLayout();
// Every field of a message record buffer.
TMessageRecord ReadMessageRecord(const TRecordBuffer& record);
// Clears `record` and writes every field of `message` into it, each text cut
// to its field.
void WriteMessageRecord(TRecordBuffer& record, const TMessageRecord& message);

// A "New" message for this computer as a desktop notice names it.
struct TNewMessageNote {
    std::string Key;
    std::string FromName;
    std::string Subject;
    bool operator==(const TNewMessageNote&) const = default;
};

// Caption of the message window when it shows a received message.
inline constexpr const char* ReadMessageCaption = "Read Message...";

// The message store. Messages are addressed to computer names; this computer's
// messages are those whose ToComputerName equals the platform's computer name
// exactly (asked again at every operation).
//
// Both datasets are taken from `Location` (the users object's database
// folder, ending with a separator), never from the settings file. Every
// operation opens what it needs, works and closes it again on every path;
// no dataset is open while a message window or a box is on screen. Failures are shown
// in error boxes with the texts given below; nothing is raised.
class TQelMessage {
public:
    // Makes the messages handle, then the users handle; for each that cannot
    // use the engine, shows EngineMissingText and asks the application to
    // end. `context` and `Location` must outlive the object; `Location` is
    // read afresh by every operation.
    TQelMessage(TQelContext& context, const std::string& Location);
    TQelMessage(const TQelMessage&) = delete;
    TQelMessage& operator=(const TQelMessage&) = delete;

    // Stores a "New" message from `FromComputer` to `ToComputer`, with both
    // user names and computer names taken from the users dataset and the
    // current local date and time. Subject and text longer than their fields
    // (30, 255) are cut at a character boundary.
    // A missing messages dataset is created; when another copy creates it
    // first, the message goes into theirs.
    // Failures: a messages dataset that cannot be created (folder missing or
    // not writable): "Unable to create Qel Messages database!" and the
    // application is asked to end; one that is there but cannot be opened
    // (it is never replaced): "Unable to open Qel Messages database!" + CR +
    // the engine error, and nothing is stored; "Unable to open Qel Messages
    // database after create!"; "Unable to open Qel Users database!"; "Unable to find <name> in Users Databse!" for a
    // recipient or sender without a users record, and then nothing is stored; "Unable to add Message to Message
    // database " + ErrorText.
    void Send(const std::string& ToComputer, const std::string& FromComputer, const std::string& Subject,
              const std::string& MessageText);

    // True when a "New" message for this computer exists. Without QelMesg.isd:
    // false, nothing else happens. When the dataset cannot be opened: panel 0
    // gets "Attempting to check for new messages", false. When a read fails:
    // panel 0 gets the engine error, false. Otherwise panel 0 is cleared.
    bool HasNewMessages();

    // Every "New" message for this computer, in recipient-index order (oldest
    // first), into *Notes. False, with *Notes empty, when QelMesg.isd is
    // missing or cannot be opened; nothing is shown either way.
    bool ReadNewMessages(std::vector<TNewMessageNote>* Notes);

    // Shows every "New" message for this computer in `Window`, one after
    // another, in recipient-index order (oldest first). The messages are
    // gathered first and the dataset closed before the first window opens;
    // the window may mark or delete its message. A message deleted or
    // marked old by the time its turn comes is skipped. Without QelMesg.isd nothing
    // happens; an unopenable dataset shows "Unable to open Qel Messages
    // database!" + CR + the engine error, a failed read the engine error, and
    // then no message is shown.
    void ShowNewMessages(IMessageWindow& Window);

    // Refills `ListView` inside one update bracket with this computer's
    // messages, newest first: caption FromName, sub-items Subject,
    // MessageType, primary key, Received. Then sets the counters: panel 0
    // "New messages = N", panel 1 "Old messages = N", panel 2
    // "Total messages = N" (new plus old). A missing dataset gives an empty
    // list and zero counts, without a box. When the dataset cannot be opened
    // or a read fails, shows the engine error, leaves list and counters as
    // they were and returns false.
    bool LoadInBox(IInBoxList& ListView, IStatusPanels& StatusBar);

    // The text of message `Key`; empty after the box "Unable to locate Qel
    // Message" when it cannot be read.
    std::string ReadMessageBody(const std::string& Key);

    // Rewrites message `Key` with state "Old", every other field and the key
    // unchanged. Missing: "Unable to find message to make old!" and nothing
    // is written; a failed write: "Unable to save message back as old!".
    void MarkMessageOld(const std::string& Key);

    // Deletes message `Key`; asks nothing. Failure: "Unable to delete Qel
    // Messages" + CR CR + ErrorText.
    void DeleteMessage(const std::string& Key);

    // The UserName of the users record with `ComputerName`; empty when it
    // cannot be read. Failures: "Unable to open Users dataset " + ErrorText,
    // "Unable to locate User " + ErrorText.
    std::string GetUserNameForComputer(const std::string& ComputerName);

    // Plays the wave file of `Options` when its box is ticked, else the
    // default beep, through the platform. Failures are not reported.
    void PlayNewMessageSound(const ISoundOptions& Options);

private:
    std::string MessagesPath() const;
    std::string UsersPath() const;
    bool MessagesFileExists() const;
    // Calls `each` for every record whose recipient is this computer, read
    // through the recipient index from an exact-match read; the messages
    // dataset must be open. `each` returns false to stop early. False, with
    // the engine error in *error, when a read fails for any reason but the
    // end of the records.
    template <class F> bool ForEachOwnMessage(F each, std::string* error);

    TQelContext& FContext;
    const std::string& FLocation;
    TIsamFile FMessages;
    TIsamFile FUsers;
};

} // namespace qel
