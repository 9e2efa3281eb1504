#pragma once

// The messages dataset seen past the store, screen recorders, and every record class on one simulated computer.

#include "records/MessageObj.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"
#include "tests/support/Station.h"

#include <algorithm>
#include <functional>

namespace qel::test {

// `each(record, key)` for every message in key order; nothing when it cannot be opened.
template <class F> void ForEachStoredMessage(const std::string& folder, F each) {
    TIsamFile isam;
    if (!isam.OpenDataset(folder + MessagesDatasetName, 3))
        return;
    TRecordBuffer record(MessagesLayout());
    while (isam.GetNextRecord(record.Data(), 0, {}, 16))
        each(static_cast<const TRecordBuffer&>(record), isam.CurrentKey());
}

struct TStoredMessage : TMessageRecord {
    std::string Key;
    std::vector<unsigned char> Bytes;
    bool operator==(const TStoredMessage&) const = default;
};

inline std::vector<TStoredMessage> DumpMessages(const std::string& folder) {
    std::vector<TStoredMessage> all;
    ForEachStoredMessage(folder, [&](const TRecordBuffer& record, const std::string& key) {
        const auto* bytes = static_cast<const unsigned char*>(record.Data());
        all.push_back({ReadMessageRecord(record), key, {bytes, bytes + record.Size()}});
    });
    return all;
}

// What the store must show `own`, by a plain pass: the in-box newest first, counters, new messages in order.
struct TReferenceInBox {
    std::vector<TInBoxRow> Rows;
    std::vector<TMessageWindowFields> Shown;
    int NewCount = 0, OldCount = 0;
};

inline TReferenceInBox ReferenceInBox(const std::string& folder, const std::string& own) {
    TReferenceInBox inBox;
    ForEachStoredMessage(folder, [&](const TRecordBuffer& record, const std::string& key) {
        const TMessageRecord m = ReadMessageRecord(record);
        if (m.ToComputerName != own)
            return;
        inBox.NewCount += m.MessageType == MessageStateNew;
        inBox.OldCount += m.MessageType == MessageStateOld;
        inBox.Rows.push_back({m.FromName, {m.Subject, m.MessageType, key, m.Received}});
        if (m.MessageType == MessageStateNew)
            inBox.Shown.push_back(
                {ReadMessageCaption, key, m.FromName, m.ToName, m.Received, m.Subject, m.MessageText});
    });
    std::reverse(inBox.Rows.begin(), inBox.Rows.end());
    return inBox;
}

struct TMessageDraft {
    std::string To, From = "SENDER", State = MessageStateNew, Subject = "Subject", Text = "Text", ToName = "Recipient",
                    FromName = "Sender", Received = "06/12/2026 09:00:00";
    int16_t Reserved = 0;
};

// Stores messages through one open handle, creating the dataset when needed.
struct TDatasetWriter {
    explicit TDatasetWriter(const std::string& folder) : FFolder(folder) {}

    std::string AddMessage(const TMessageDraft& d) {
        TRecordBuffer record(MessagesLayout());
        WriteMessageRecord(record,
                           {d.Reserved, d.Received, d.Subject, d.State, d.Text, d.ToName, d.FromName, d.To, d.From});
        if (!FMessages.IsOpen()) {
            FMessages.CreateDataset(FFolder + MessagesDatasetName, 10, MessagesLayoutText);
            if (!FMessages.OpenDataset(FFolder + MessagesDatasetName, 3))
                return "";
        }
        return FMessages.AddRecord(record.Data(), {}) ? FMessages.CurrentKey() : "";
    }
    std::string FFolder;
    TIsamFile FMessages;
};

// Records what the message window was given; runs `OnShow` while "on screen".
struct TMessageWindowRecorder : IMessageWindow {
    void ShowModal(const TMessageWindowFields& fields) override {
        Shown.push_back(fields);
        if (OnShow)
            OnShow(fields);
    }
    std::vector<TMessageWindowFields> Shown;
    std::function<void(const TMessageWindowFields&)> OnShow;
};

struct TInBoxRecorder : IInBoxList, IStatusPanels {
    void BeginUpdate() override { ++UpdateDepth; }
    void Clear() override { Rows.clear(); }
    void AddItem(const TInBoxRow& row) override {
        RowsOutsideUpdate += UpdateDepth <= 0;
        Rows.push_back(row);
    }
    void EndUpdate() override { --UpdateDepth; }
    void SetPanelText(int panel, const std::string& text) override { Panels.at(static_cast<size_t>(panel)) = text; }
    std::vector<TInBoxRow> Rows;
    std::vector<std::string> Panels = std::vector<std::string>(3);
    int UpdateDepth = 0, RowsOutsideUpdate = 0;
};

// The department tree as lines, children indented.
struct TTreeRecorder : IDepartmentTree {
    void Clear() override { Nodes.clear(); }
    void AddRoot(const std::string& text) override { Nodes.push_back(text); }
    void AddChild(const std::string& text) override { Nodes.push_back("  " + text); }
    std::vector<std::string> Nodes{"stale"};
};

// The users dialog's edit boxes, one line per filled record.
struct TDetailsRecorder : IUserDetailsView {
    void SetTxtName(const std::string& text) override { Log.push_back(text); }
    void SetTxtStatus(const std::string& text) override { Log.back() += "|" + text; }
    void SetTxtComments(const std::string& text) override { Log.back() += "|" + text; }
    void SetTxtExtension(const std::string& text) override { Log.back() += "|" + text; }
    void SetTxtDepartment(const std::string& text) override { Log.back() += "|" + text; }
    void SetTxtComputerName(const std::string& text) override { Log.back() += "|" + text; }
    void SetChkboxAdministrator(bool checked) override { Log.back() += checked ? "|admin" : "|user"; }
    std::vector<std::string> Log;
};

// A computer with every record class, the users object's folder already set (the message store shares it).
struct TDesk : TStation {
    TDesk(const std::string& computer, const std::string& folder, const std::string& user = "TESTER",
          const std::string& engineFolder = {})
        : TStation(computer, folder, engineFolder) {
        Users.Location = folder;
        Users.User.UserName = user;
    }
    // What start-up does: locate the folder, register, announce "Available".
    void Start() {
        Users.LoadLocation();
        Users.RegisterComputer();
        Context.CurrentUser.Status = "Available";
        Users.SaveStatus();
    }
    std::vector<TBoardRow> Board() {
        Users.ListUsers(Ui);
        return Ui.Rows;
    }
    std::vector<TInBoxRow> InBox() {
        Messages.LoadInBox(InBoxView, InBoxView);
        return InBoxView.Rows;
    }
    TQelUser& Current() { return Context.CurrentUser; }
    TQelFile Users{Context};
    TQelStatus Statuses{Context};
    TQelDepartment Departments{Context};
    TQelMessage Messages{Context, Users.Location};
    TNumberedItems List;
    TTreeRecorder Tree;
    TInBoxRecorder InBoxView;
    TMessageWindowRecorder Windows;
    TDetailsRecorder Details;
};

} // namespace qel::test
