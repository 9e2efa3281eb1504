#pragma once

// Direct access to the messages and users datasets for tests and benchmarks:
// a writer that stores message and user records without going through the
// message store, a reader that dumps every stored message byte for byte, and
// the reference reader: the plain pass over the whole dataset in index order
// that the message store's recipient-index reads must match exactly.
// Header-only.

#include "isam/FieldLayout.h"
#include "isam/IsamFile.h"
#include "records/MessageObj.h"
#include "records/QelFile.h"
#include "records/UiPorts.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace qel::test {

// One message as the dataset holds it.
struct TStoredMessage {
    std::string Key;
    int16_t Reserved = 0;
    std::string Received;
    std::string Subject;
    std::string MessageType;
    std::string MessageText;
    std::string ToName;
    std::string FromName;
    std::string ToComputerName;
    std::string FromComputerName;
    // The whole record as read.
    std::vector<unsigned char> Bytes;
    bool operator==(const TStoredMessage&) const = default;
};

inline TStoredMessage DecodeMessage(const TRecordBuffer& record, const std::string& key) {
    TStoredMessage m;
    m.Key = key;
    m.Reserved = record.GetInt(msgfield::Reserved);
    m.Received = record.GetText(msgfield::Received);
    m.Subject = record.GetText(msgfield::Subject);
    m.MessageType = record.GetText(msgfield::MessageType);
    m.MessageText = record.GetText(msgfield::MessageText);
    m.ToName = record.GetText(msgfield::ToName);
    m.FromName = record.GetText(msgfield::FromName);
    m.ToComputerName = record.GetText(msgfield::ToComputerName);
    m.FromComputerName = record.GetText(msgfield::FromComputerName);
    const auto* bytes = static_cast<const unsigned char*>(record.Data());
    m.Bytes.assign(bytes, bytes + record.Size());
    return m;
}

// Every stored message in key order; empty when the dataset cannot be opened.
inline std::vector<TStoredMessage> DumpMessages(const std::string& folder) {
    std::vector<TStoredMessage> all;
    TIsamFile isam;
    if (!isam.OpenDataset(folder + MessagesDatasetName, 3))
        return all;
    TRecordBuffer record(MessagesLayout());
    isam.GoTop(0);
    while (isam.GetNextRecord(record.Data(), 0, {}, 16))
        all.push_back(DecodeMessage(record, isam.CurrentKey()));
    isam.CloseDataset();
    return all;
}

// A message to store directly.
struct TMessageDraft {
    std::string To;
    std::string From = "SENDER";
    std::string State = MessageStateNew;
    std::string Subject = "Subject";
    std::string Text = "Text";
    std::string ToName = "Recipient";
    std::string FromName = "Sender";
    std::string Received = "06/12/2026 09:00:00";
    int16_t Reserved = 0;
};

// Stores messages and users through one open handle per dataset; close it
// (or let it die) before the code under test runs.
class TDatasetWriter {
public:
    explicit TDatasetWriter(const std::string& folder) : FFolder(folder) {}
    ~TDatasetWriter() { Close(); }

    // Adds a message with the next key; returns the key (empty on failure).
    std::string AddMessage(const TMessageDraft& draft) {
        if (!FMessages.IsOpen()) {
            FMessages.CreateDataset(FFolder + MessagesDatasetName, 10, MessagesLayoutText);
            if (!FMessages.OpenDataset(FFolder + MessagesDatasetName, 3))
                return {};
        }
        TRecordBuffer record(MessagesLayout());
        record.SetInt(msgfield::Reserved, draft.Reserved);
        record.SetText(msgfield::Received, draft.Received);
        record.SetText(msgfield::Subject, draft.Subject);
        record.SetText(msgfield::MessageType, draft.State);
        record.SetText(msgfield::MessageText, draft.Text);
        record.SetText(msgfield::ToName, draft.ToName);
        record.SetText(msgfield::FromName, draft.FromName);
        record.SetText(msgfield::ToComputerName, draft.To);
        record.SetText(msgfield::FromComputerName, draft.From);
        if (!FMessages.AddRecord(record.Data(), {}))
            return {};
        return FMessages.CurrentKey();
    }

    // Adds a users record; returns false when it cannot be stored.
    bool AddUser(const std::string& userName, const std::string& computerName) {
        if (!FUsers.IsOpen()) {
            FUsers.CreateDataset(FFolder + UsersDatasetName, 10, UsersLayoutText);
            if (!FUsers.OpenDataset(FFolder + UsersDatasetName, 3))
                return false;
        }
        TRecordBuffer record(UsersLayout());
        record.SetText(userfield::UserName, userName);
        record.SetText(userfield::Status, "Available");
        record.SetText(userfield::ComputerName, computerName);
        return FUsers.AddRecord(record.Data(), {});
    }

    void Close() {
        if (FMessages.IsOpen())
            FMessages.CloseDataset();
        if (FUsers.IsOpen())
            FUsers.CloseDataset();
    }

private:
    std::string FFolder;
    TIsamFile FMessages;
    TIsamFile FUsers;
};

// The plain reader: a pass over every record of the recipient index for the
// new-message check and the start-up reader, and a backward pass over every
// record of the primary index for the in-box, each record compared with
// `ownComputer` exactly. Each function opens and closes the dataset itself.

// The new-message check: every record of the recipient index is read, as the
// check always reads to the end.
inline bool ReferenceHasNewMessages(const std::string& folder, const std::string& ownComputer) {
    TIsamFile isam;
    if (!isam.OpenDataset(folder + MessagesDatasetName, 3))
        return false;
    TRecordBuffer record(MessagesLayout());
    bool found = false;
    isam.GoTop(RecipientIndex);
    while (isam.GetNextRecord(record.Data(), RecipientIndex, {}, 16))
        if (record.GetText(msgfield::ToComputerName) == ownComputer &&
            record.GetText(msgfield::MessageType) == MessageStateNew)
            found = true;
    isam.CloseDataset();
    return found;
}

// The start-up reader: the new messages in recipient-index order, as the
// message window shows them.
inline std::vector<TMessageWindowFields> ReferenceShownMessages(const std::string& folder,
                                                                const std::string& ownComputer) {
    std::vector<TMessageWindowFields> shown;
    TIsamFile isam;
    if (!isam.OpenDataset(folder + MessagesDatasetName, 3))
        return shown;
    TRecordBuffer record(MessagesLayout());
    isam.GoTop(RecipientIndex);
    while (isam.GetNextRecord(record.Data(), RecipientIndex, {}, 16)) {
        if (record.GetText(msgfield::ToComputerName) != ownComputer ||
            record.GetText(msgfield::MessageType) != MessageStateNew)
            continue;
        shown.push_back({ReadMessageCaption, isam.CurrentKey(), record.GetText(msgfield::FromName),
                         record.GetText(msgfield::ToName), record.GetText(msgfield::Received),
                         record.GetText(msgfield::Subject), record.GetText(msgfield::MessageText)});
    }
    isam.CloseDataset();
    return shown;
}

// The in-box, newest first, and its counters.
struct TReferenceInBox {
    std::vector<TInBoxRow> Rows;
    int NewCount = 0;
    int OldCount = 0;
};

inline TReferenceInBox ReferenceInBox(const std::string& folder, const std::string& ownComputer) {
    TReferenceInBox inBox;
    TIsamFile isam;
    if (!isam.OpenDataset(folder + MessagesDatasetName, 3))
        return inBox;
    TRecordBuffer record(MessagesLayout());
    isam.GoBottom(0);
    while (isam.GetPriorRecord(record.Data(), 0, {}, 16)) {
        if (record.GetText(msgfield::ToComputerName) != ownComputer)
            continue;
        const std::string state = record.GetText(msgfield::MessageType);
        if (state == MessageStateNew)
            ++inBox.NewCount;
        else if (state == MessageStateOld)
            ++inBox.OldCount;
        inBox.Rows.push_back(
            {record.GetText(msgfield::FromName),
             {record.GetText(msgfield::Subject), state, isam.CurrentKey(), record.GetText(msgfield::Received)}});
    }
    isam.CloseDataset();
    return inBox;
}

// Everything the plain reader finds for one computer.
struct TReferenceResult {
    bool HasNew = false;
    std::vector<TMessageWindowFields> Shown;
    std::vector<TInBoxRow> InBox;
    int NewCount = 0;
    int OldCount = 0;
};

inline TReferenceResult ReferenceFullPass(const std::string& folder, const std::string& ownComputer) {
    TReferenceResult result;
    result.HasNew = ReferenceHasNewMessages(folder, ownComputer);
    result.Shown = ReferenceShownMessages(folder, ownComputer);
    TReferenceInBox inBox = ReferenceInBox(folder, ownComputer);
    result.InBox = std::move(inBox.Rows);
    result.NewCount = inBox.NewCount;
    result.OldCount = inBox.OldCount;
    return result;
}

// The message window as a test drives it: records what it was given and runs
// `OnShow` while it is "on screen".
class TMessageWindowRecorder : public IMessageWindow {
public:
    void ShowModal(const TMessageWindowFields& fields) override {
        Shown.push_back(fields);
        if (OnShow)
            OnShow(fields);
    }
    std::vector<TMessageWindowFields> Shown;
    std::function<void(const TMessageWindowFields&)> OnShow;
};

// Records the in-box list and its status bar.
class TInBoxRecorder : public IInBoxList, public IStatusPanels {
public:
    void BeginUpdate() override {
        ++UpdateDepth;
        Log.push_back("begin");
    }
    void Clear() override {
        Rows.clear();
        Log.push_back("clear");
    }
    void AddItem(const TInBoxRow& row) override {
        if (UpdateDepth <= 0)
            ++RowsOutsideUpdate;
        Rows.push_back(row);
    }
    void EndUpdate() override {
        --UpdateDepth;
        Log.push_back("end");
    }
    void SetPanelText(int panel, const std::string& text) override {
        if (panel >= 0 && panel < 3)
            Panels[panel] = text;
        Log.push_back("panel " + std::to_string(panel) + ": " + text);
    }

    std::vector<TInBoxRow> Rows;
    std::string Panels[3];
    int UpdateDepth = 0;
    int RowsOutsideUpdate = 0;
    std::vector<std::string> Log;
};

} // namespace qel::test
