// Damaged datasets through every read loop, and boxes while a peer writes.

#include "records/RecordsCommon.h"
#include "tests/support/CraftedFiles.h"
#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"

#include <gtest/gtest.h>

#include <functional>

namespace qel::test {
namespace {

std::vector<std::string> Records(const std::string& dataset, const TFieldLayout& layout) {
    std::vector<std::string> records;
    for (const char* name : {"PC1", "PC2"}) {
        TRecordBuffer record(layout);
        if (dataset == MessagesDatasetName)
            WriteMessageRecord(record, {0, "today", "Hi", name == std::string("PC1") ? "Old" : "New", name, "ONE", name,
                                        "PC1", "PC1"});
        else
            record.SetText(dataset == UsersDatasetName ? userfield::ComputerName : 1, name);
        records.emplace_back(static_cast<const char*>(record.Data()), record.Size());
    }
    return records;
}

// A read loop, and how many it lists from an intact file with one more copy of the first record.
struct TReader {
    const char* Name;
    const char* Dataset;
    const char* Layout;
    std::function<size_t(TDesk&)> Read;
    size_t Intact = 3;
};

TEST(DamagedFileTest, EveryReadLoopReportsTheEnginesErrorInsteadOfAShorterList) {
    const std::vector<TReader> readers = {
        {"ListUsers", UsersDatasetName, UsersLayoutText,
         [](TDesk& d) { return d.Users.ListUsers(d.Ui), d.Ui.Rows.size(); }},
        {"FillUserList", UsersDatasetName, UsersLayoutText,
         [](TDesk& d) { return d.Users.FillUserList(d.List), d.List.Items.size(); }},
        {"LoadStatuses", "QelStats", "X$*31",
         [](TDesk& d) { return d.Statuses.LoadStatuses(d.List), d.List.Items.size(); }},
        {"FillDepartmentTree", "QelDeps", "X$*21",
         [](TDesk& d) { return d.Departments.FillDepartmentTree(d.Tree), d.Tree.Nodes.size() - 1; }},
        {"LoadInBox", MessagesDatasetName, MessagesLayoutText, [](TDesk& d) { return d.InBox().size(); }},
        {"ShowNewMessages", MessagesDatasetName, MessagesLayoutText,
         [](TDesk& d) { return d.Messages.ShowNewMessages(d.Windows), d.Windows.Shown.size(); }, 1},
        {"HasNewMessages", MessagesDatasetName, MessagesLayoutText,
         [](TDesk& d) { return size_t(d.Messages.HasNewMessages()); }, 1},
    };
    for (const TCraftedFile& file : CraftedFiles())
        for (const TReader& reader : readers) {
            SCOPED_TRACE(std::string(reader.Name) + " on a file with " + file.Name);
            TScratchFolder folder;
            const TFieldLayout layout = *TFieldLayout::Parse(reader.Layout);
            ASSERT_EQ(Craft(folder.Path() + reader.Dataset, reader.Layout, Records(reader.Dataset, layout), file), "");
            TDesk desk("PC1", folder.Path());
            const size_t listed = reader.Read(desk);
            const int16_t code = file.OpenCode ? file.OpenCode : file.ScanCode;
            if (code == IsamNotFound) {
                EXPECT_EQ(listed, reader.Intact);
                EXPECT_TRUE(desk.Ui.Boxes.empty());
                continue;
            }
            EXPECT_EQ(listed, 0u);
            const bool panelOnly = std::string(reader.Name) == "HasNewMessages";
            if (panelOnly && file.OpenCode)
                continue; // an unopenable dataset is "Attempting to check for new messages"
            if (std::string(reader.Name) == "ShowNewMessages" && file.Name == std::string("folder"))
                continue; // the window looks for a file, and a folder is none: nothing to show
            ASSERT_EQ(panelOnly ? desk.Ui.PanelTexts.size() : desk.Ui.Boxes.size(), 1u);
            const std::string shown = panelOnly ? desk.Ui.PanelTexts[0] : desk.Ui.Boxes[0].Text;
            EXPECT_NE(shown.find(IsamErrorText(code)), std::string::npos) << shown;
        }
}

// Through TIsamFile: each crafted file ends in its code with a detail naming the file, and no read passes the record.
TEST(DamagedFileTest, TheWrapperEndsEachFileInItsCodeAndNoReadOverrunsTheRecord) {
    const std::string layout = "%,X$*7,$*40";
    constexpr size_t size = 2 + 7 + 40;
    std::vector<std::string> records;
    for (const std::string computer : {"PC-1", "PC-22", "PC-333", "PC-4444"})
        records.push_back(std::string("\x01\x00", 2) + computer + std::string(size - 2 - computer.size(), '\0'));
    for (const TCraftedFile& crafted : CraftedFiles()) {
        SCOPED_TRACE(crafted.Name);
        TScratchFolder folder;
        const std::string name = folder.Path() + "Users", file = name + ".isd";
        ASSERT_EQ(Craft(name, layout, records, crafted), "");
        const auto bytes = [&] { return std::filesystem::is_directory(file) ? "(folder)" : FileBytes(file); };
        const std::string before = bytes();
        TIsamFile isam;
        EXPECT_EQ(isam.OpenDataset(name, 3, layout) ? 0 : isam.LastError(), crafted.OpenCode);
        EXPECT_TRUE(crafted.OpenCode != 8 || bytes() == before) << "a refused file is changed";
        if (crafted.OpenCode != 0) {
            EXPECT_TRUE(!isam.IsOpen() && isam.ErrorDetail().find(file) != std::string::npos) << isam.ErrorDetail();
            continue;
        }
        for (int16_t index : {0, 2}) {
            std::string buffer(size + 64, '\x5A');
            int count = 0;
            EXPECT_TRUE(isam.GoTop(index));
            while (isam.GetNextRecord(buffer.data(), index, "", 16))
                ++count;
            const int16_t code = isam.LastError();
            EXPECT_EQ(code == IsamNotFound ? std::to_string(count) : std::to_string(code) + isam.ErrorDetail(),
                      crafted.ScanCode == IsamNotFound ? "5" : "15Damaged: " + file)
                << index;
            EXPECT_EQ(buffer.substr(size), std::string(64, '\x5A'));
        }
        if (crafted.Key) {
            // The odd key neither blocks numbering nor its own deletion, and sorts last.
            EXPECT_TRUE(isam.AddRecord(records[0].data(), "") && isam.CurrentKey() == FormatKey(5)) << isam.ErrorText();
            std::string buffer(size, '\0');
            EXPECT_TRUE(isam.GoBottom(0) && isam.GetPriorRecord(buffer.data(), 0, "", 16) &&
                        isam.CurrentKey() == crafted.Key && isam.DeleteRecord(crafted.Key));
        }
    }
}

// Another computer writes every dataset while each box is up: no write may find a dataset held open.
TEST(BoxWhileOpenTest, NoBoxIsShownWhileADatasetIsOpen) {
    TScratchFolder folder;
    TDesk pc1("PC1", folder.Path());
    pc1.Users.RegisterComputer();
    pc1.Departments.CreateDepartmentDataset();
    pc1.Departments.AddDepartment("Sales");
    pc1.Messages.Send("PC1", "PC1", "Hi", "Text");
    TDesk ghost("GHOST", folder.Path());
    ASSERT_TRUE(pc1.Ui.Boxes.empty());

    int blocked = 0;
    const auto writeEverything = [&] {
        for (const auto& [name, layout] : {std::pair{"QelDBase", UsersLayoutText},
                                           {"QelStats", "X$*31"},
                                           {"QelDeps", "X$*21"},
                                           {"QelMesg", MessagesLayoutText}}) {
            const TFieldLayout parsed = *TFieldLayout::Parse(layout);
            TRecordBuffer record(parsed);
            TIsamFile other;
            blocked += !other.OpenDataset(folder.Path() + name, 3) || !other.AddRecord(record.Data(), {});
        }
    };
    pc1.Ui.OnBox = ghost.Ui.OnBox = writeEverything;
    pc1.List.Add("gone", 99);
    pc1.List.Selected = 0;
    const std::vector<std::pair<const char*, std::function<void()>>> actions = {
        {"SaveStatus", [&] { ghost.Users.SaveStatus(); }},
        {"SaveUser", [&] { ghost.Context.CurrentUser.ComputerName = "GHOST", ghost.Users.SaveUser(); }},
        {"ShowUser", [&] { pc1.Users.ShowUser(pc1.List, pc1.Details); }},
        {"DeleteUser", [&] { pc1.Users.DeleteUser(pc1.List); }},
        {"AddStatus", [&] { pc1.Statuses.AddStatus("Available"); }},
        {"RenameStatus", [&] { pc1.Statuses.RenameStatus("Gone", "Back"); }},
        {"GetDepartmentName", [&] { pc1.Departments.GetDepartmentName(99); }},
        {"DeleteDepartment", [&] { pc1.Departments.DeleteDepartment(99); }},
        {"Send", [&] { pc1.Messages.Send("NOBODY", "PC1", "Hi", "Text"); }},
        {"ReadMessageBody", [&] { pc1.Messages.ReadMessageBody("0000000099"); }},
        {"MarkMessageOld", [&] { pc1.Messages.MarkMessageOld("0000000099"); }},
        {"DeleteMessage", [&] { pc1.Messages.DeleteMessage("0000000099"); }},
        {"GetUserNameForComputer", [&] { pc1.Messages.GetUserNameForComputer("NOBODY"); }},
    };
    for (const auto& [name, action] : actions) {
        pc1.Ui.Reset();
        ghost.Ui.Reset();
        blocked = 0;
        action();
        EXPECT_FALSE(pc1.Ui.Boxes.empty() && ghost.Ui.Boxes.empty()) << name << " showed no box";
        EXPECT_EQ(blocked, 0) << name;
    }
}

} // namespace
} // namespace qel::test
