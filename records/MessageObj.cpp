#include "records/MessageObj.h"

#include "platform/Platform.h"
#include "records/QelFile.h"
#include "records/RecordsCommon.h"

#include <algorithm>
#include <ctime>
#include <iomanip>
#include <locale>
#include <sstream>
#include <utility>
#include <vector>

namespace qel {

namespace {
constexpr int16_t PrimaryIndex = 0;

constexpr TRecordFields<TMessageRecord, 8> MessageFields{
    msgfield::Reserved,
    &TMessageRecord::Reserved,
    {{{msgfield::Received, &TMessageRecord::Received},
      {msgfield::Subject, &TMessageRecord::Subject},
      {msgfield::MessageType, &TMessageRecord::MessageType},
      {msgfield::MessageText, &TMessageRecord::MessageText},
      {msgfield::ToName, &TMessageRecord::ToName},
      {msgfield::FromName, &TMessageRecord::FromName},
      {msgfield::ToComputerName, &TMessageRecord::ToComputerName},
      {msgfield::FromComputerName, &TMessageRecord::FromComputerName}}}};

struct TInBoxUpdate {
    IInBoxList& List;
    explicit TInBoxUpdate(IInBoxList& list) : List(list) { List.BeginUpdate(); }
    ~TInBoxUpdate() { List.EndUpdate(); }
};

// This computer's short date, a blank and its long time, in the user's locale.
std::string LocalDateTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::ostringstream text;
    try {
        text.imbue(std::locale(""));
    } catch (const std::runtime_error&) {
        // An unknown locale in the environment: the classic formats will do.
    }
    text << std::put_time(&local, "%x %X");
    return text.str();
}

// The message window's fields for a received message.
TMessageWindowFields WindowFields(const TRecordBuffer& record, const std::string& key) {
    const TMessageRecord m = ReadMessageRecord(record);
    return {ReadMessageCaption, key, m.FromName, m.ToName, m.Received, m.Subject, m.MessageText};
}

// Keys are ten digits, so a longer key is a larger one.
bool KeyAfter(const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() > b.size() : a > b;
}
} // namespace

const TFieldLayout& MessagesLayout() {
    static const TFieldLayout layout = *TFieldLayout::Parse(MessagesLayoutText);
    return layout;
}

TMessageRecord ReadMessageRecord(const TRecordBuffer& record) {
    return ReadFields(record, MessageFields);
}

void WriteMessageRecord(TRecordBuffer& record, const TMessageRecord& message) {
    WriteFields(record, message, MessageFields);
}

TQelMessage::TQelMessage(TQelContext& context, const std::string& Location)
    : FContext(context), FLocation(Location), FMessages(context.EngineFolder), FUsers(context.EngineFolder) {
    CheckEngineLoaded(FMessages, FContext);
    CheckEngineLoaded(FUsers, FContext);
}

std::string TQelMessage::MessagesPath() const {
    return FLocation + MessagesDatasetName;
}

std::string TQelMessage::UsersPath() const {
    return FLocation + UsersDatasetName;
}

bool TQelMessage::MessagesFileExists() const {
    return FContext.Platform.FileExists(MessagesPath() + ".isd");
}

template <class F> bool TQelMessage::ForEachOwnMessage(F each, std::string* error) {
    const std::string own = GetWindowsComputerName(FContext.Platform);
    TRecordBuffer buffer(MessagesLayout());
    bool read = FMessages.GetRecord(buffer.Data(), RecipientIndex, own);
    while (read) {
        const std::string recipient = buffer.GetText(msgfield::ToComputerName);
        // Whether the index orders names with or without regard to case, the
        // run of this recipient ends at the first name that differs otherwise.
        if (!EqualsNoCase(recipient, own))
            return true;
        if (recipient == own && !each(static_cast<const TRecordBuffer&>(buffer), FMessages.CurrentKey()))
            return true;
        read = FMessages.GetNextRecord(buffer.Data(), RecipientIndex, {}, ReadOptions);
    }
    if (FMessages.LastError() == IsamNotFound)
        return true;
    *error = EngineErrorText(FMessages);
    return false;
}

void TQelMessage::Send(const std::string& ToComputer, const std::string& FromComputer, const std::string& Subject,
                       const std::string& MessageText) {
    TDeferredBoxes boxes(FContext.Boxes);
    if (!FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText)) {
        // The engine creates exclusively: when another copy has just created
        // the dataset, this one goes on with theirs; a file that is there but
        // cannot be opened is left as it is and reported.
        const bool created = FMessages.CreateDataset(MessagesPath(), DatasetKeyLength, MessagesLayoutText);
        if (!created && FMessages.LastError() != IsamExists) {
            // Nothing is open here: the box comes before the request to end.
            FContext.Boxes.ShowError("Unable to create Qel Messages database!");
            FContext.App.RequestTerminate();
            return;
        }
        if (!FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText)) {
            boxes.Error(created ? std::string("Unable to open Qel Messages database after create!")
                                : "Unable to open Qel Messages database!\r" + EngineErrorText(FMessages));
            return;
        }
    }
    TCloseOnExit closeMessages{FMessages};
    if (!FUsers.OpenDataset(UsersPath(), DatasetOpenMode, UsersLayoutText))
        boxes.Error("Unable to open Qel Users database!");
    TCloseOnExit closeUsers{FUsers};

    TRecordBuffer user(UsersLayout());
    const auto lookUp = [&](const std::string& computer, std::string& name, std::string& storedComputer) {
        user.Clear();
        if (!FUsers.GetRecord(user.Data(), ComputerNameIndex, computer)) {
            boxes.Error("Unable to find " + computer + " in Users Databse!");
            return false;
        }
        name = user.GetText(userfield::UserName);
        storedComputer = user.GetText(userfield::ComputerName);
        return true;
    };
    std::string toName, toComputer, fromName, fromComputer;
    const bool recipientFound = lookUp(ToComputer, toName, toComputer);
    const bool senderFound = lookUp(FromComputer, fromName, fromComputer);
    // A message nobody can be named for is not stored.
    if (!recipientFound || !senderFound)
        return;

    TRecordBuffer message(MessagesLayout());
    WriteMessageRecord(message, {0, LocalDateTimeText(), Subject, MessageStateNew, MessageText, toName, fromName,
                                 toComputer, fromComputer});
    if (!FMessages.AddRecord(message.Data(), {}))
        boxes.Error("Unable to add Message to Message database " + FMessages.ErrorText());
    // Users closed first, then messages (reverse order of the guards), then the boxes.
}

bool TQelMessage::HasNewMessages() {
    if (!MessagesFileExists())
        return false;
    if (!FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText)) {
        FContext.StatusPanel.SetStatusText("Attempting to check for new messages");
        return false;
    }
    bool found = false;
    std::string error;
    {
        TCloseOnExit closer{FMessages};
        if (!ForEachOwnMessage(
                [&](const TRecordBuffer& record, const std::string&) {
                    found = record.GetText(msgfield::MessageType) == MessageStateNew;
                    return !found;
                },
                &error))
            found = false;
    }
    FContext.StatusPanel.SetStatusText(OnOneLine(error));
    return found;
}

bool TQelMessage::ReadNewMessages(std::vector<TNewMessageNote>* Notes) {
    Notes->clear();
    if (!MessagesFileExists() || !FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText))
        return false;
    TCloseOnExit closer{FMessages};
    // A read that fails part-way announces nothing: the message check reports
    // the fault, and the next tick tries again.
    std::string error;
    const bool read = ForEachOwnMessage(
        [&](const TRecordBuffer& record, const std::string& key) {
            if (record.GetText(msgfield::MessageType) == MessageStateNew)
                Notes->push_back({key, record.GetText(msgfield::FromName), record.GetText(msgfield::Subject)});
            return true;
        },
        &error);
    if (!read)
        Notes->clear();
    return read;
}

void TQelMessage::ShowNewMessages(IMessageWindow& Window) {
    if (!MessagesFileExists())
        return;
    // Gather first, so that nothing is open while a window is on screen and
    // what the windows mark or delete cannot disturb the pass.
    std::vector<TMessageWindowFields> pending;
    {
        TDeferredBoxes boxes(FContext.Boxes);
        if (!FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText)) {
            boxes.Error("Unable to open Qel Messages database!\r" + EngineErrorText(FMessages));
            return;
        }
        TCloseOnExit closer{FMessages};
        std::string error;
        if (!ForEachOwnMessage(
                [&](const TRecordBuffer& record, const std::string& key) {
                    if (record.GetText(msgfield::MessageType) == MessageStateNew)
                        pending.push_back(WindowFields(record, key));
                    return true;
                },
                &error)) {
            boxes.Error(error);
            return;
        }
    }

    bool windowShown = false;
    for (const TMessageWindowFields& fields : pending) {
        // While a window was on screen, another copy may have deleted or read
        // the message; when the check itself cannot be made, it is shown.
        bool gone = false;
        if (windowShown) {
            FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText);
            TCloseOnExit closer{FMessages};
            TRecordBuffer record(MessagesLayout());
            if (FMessages.GetRecord(record.Data(), PrimaryIndex, fields.PrimaryKey))
                gone = record.GetText(msgfield::MessageType) != MessageStateNew;
            else
                gone = FMessages.LastError() == IsamNotFound;
        }
        if (!gone) {
            Window.ShowModal(fields);
            windowShown = true;
        }
    }
}

bool TQelMessage::LoadInBox(IInBoxList& ListView, IStatusPanels& StatusBar) {
    std::vector<std::pair<std::string, TInBoxRow>> rows;
    int newCount = 0;
    int oldCount = 0;
    std::string error;
    bool read = true;
    if (FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText)) {
        TCloseOnExit closer{FMessages};
        read = ForEachOwnMessage(
            [&](const TRecordBuffer& record, const std::string& key) {
                const std::string state = record.GetText(msgfield::MessageType);
                if (state == MessageStateNew)
                    ++newCount;
                else if (state == MessageStateOld)
                    ++oldCount;
                rows.emplace_back(key, TInBoxRow{record.GetText(msgfield::FromName),
                                                 {record.GetText(msgfield::Subject), state, key,
                                                  record.GetText(msgfield::Received)}});
                return true;
            },
            &error);
    } else if (FMessages.LastError() != IsamNotFound) {
        // No dataset yet is an empty in-box; one that cannot be opened is not.
        read = false;
        error = EngineErrorText(FMessages);
    }
    if (!read) {
        FContext.Boxes.ShowError(error);
        return false;
    }
    // Newest first: a higher key is a later message.
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return KeyAfter(a.first, b.first); });
    ListView.BeginUpdate();
    ListView.Clear();
    for (const auto& row : rows)
        ListView.AddItem(row.second);
    ListView.EndUpdate();
    StatusBar.SetPanelText(0, "New messages = " + std::to_string(newCount));
    StatusBar.SetPanelText(1, "Old messages = " + std::to_string(oldCount));
    StatusBar.SetPanelText(2, "Total messages = " + std::to_string(newCount + oldCount));
    return true;
}

std::string TQelMessage::ReadMessageBody(const std::string& Key) {
    TDeferredBoxes boxes(FContext.Boxes);
    FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText);
    TCloseOnExit closer{FMessages};
    TRecordBuffer record(MessagesLayout());
    if (!FMessages.GetRecord(record.Data(), PrimaryIndex, Key)) {
        boxes.Error("Unable to locate Qel Message");
        return {};
    }
    return record.GetText(msgfield::MessageText);
}

void TQelMessage::MarkMessageOld(const std::string& Key) {
    TDeferredBoxes boxes(FContext.Boxes);
    FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText);
    TCloseOnExit closer{FMessages};
    TRecordBuffer record(MessagesLayout());
    if (!FMessages.GetRecord(record.Data(), PrimaryIndex, Key)) {
        boxes.Error("Unable to find message to make old!");
        return;
    }
    // Every other byte goes back as it was read.
    record.SetText(msgfield::MessageType, MessageStateOld);
    if (!FMessages.UpdateRecord(record.Data(), Key))
        boxes.Error("Unable to save message back as old!");
}

void TQelMessage::DeleteMessage(const std::string& Key) {
    TDeferredBoxes boxes(FContext.Boxes);
    FMessages.OpenDataset(MessagesPath(), DatasetOpenMode, MessagesLayoutText);
    TCloseOnExit closer{FMessages};
    if (!FMessages.DeleteRecord(Key))
        boxes.Error("Unable to delete Qel Messages\r\r" + FMessages.ErrorText());
}

std::string TQelMessage::GetUserNameForComputer(const std::string& ComputerName) {
    TDeferredBoxes boxes(FContext.Boxes);
    if (!FUsers.OpenDataset(UsersPath(), DatasetOpenMode, UsersLayoutText))
        boxes.Error("Unable to open Users dataset " + FUsers.ErrorText());
    TCloseOnExit closer{FUsers};
    TRecordBuffer user(UsersLayout());
    if (!FUsers.GetRecord(user.Data(), ComputerNameIndex, ComputerName)) {
        boxes.Error("Unable to locate User " + FUsers.ErrorText());
        return {};
    }
    return user.GetText(userfield::UserName);
}

void TQelMessage::PlayNewMessageSound(const ISoundOptions& Options) {
    if (Options.PlayWavFile())
        FContext.Platform.PlaySoundFile(Options.WavFileSelected());
    else
        FContext.Platform.Beep();
}

} // namespace qel
