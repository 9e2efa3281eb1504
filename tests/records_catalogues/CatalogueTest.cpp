// The status and department catalogues against a temporary database folder.

#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace qel::test {
namespace {

// Every entry as "number name", through the list the dialogs are given.
std::vector<std::string> Listed(TDesk& pc, bool departments = false, bool selectable = false) {
    TNumberedItems list;
    list.Add("stale", 99);
    departments  ? pc.Departments.LoadDepartments(list)
    : selectable ? pc.Statuses.LoadSelectableStatuses(list)
                 : pc.Statuses.LoadStatuses(list);
    EXPECT_EQ(list.UpdateDepth, 0);
    std::vector<std::string> all;
    for (const auto& item : list.Items)
        all.push_back(std::to_string(item.Number) + " " + item.Text);
    return all;
}

// A whole life of the catalogues, with a second computer on the folder.
TEST(CatalogueTest, StatusesStartWithTheBuiltInsAndKeepTheirKeysDepartmentsFillTheTree) {
    TScratchFolder database;
    const std::string file = database.Path() + "QelStats.isd";
    TDesk pc("PC1", database.Path()), other("PC2", database.Path());
    pc.Statuses.AddStatus("Alpha");
    pc.Departments.RenameDepartment("Alpha", "Beta");
    pc.Statuses.DeleteStatus(1);
    EXPECT_EQ(pc.Departments.GetDepartmentName(1), "");
    EXPECT_TRUE(Listed(pc).empty() && Listed(pc, true).empty());
    EXPECT_EQ(pc.Ui.Boxes, std::vector<TShownBox>(4, ErrorBox("Object not found\r")));
    EXPECT_TRUE(std::filesystem::is_empty(database.Path()));

    pc.Ui.Reset();
    pc.Statuses.CreateStatusDataset();
    std::vector<std::string> expected{"1 At lunch",      "2 Available",  "3 Away from desk", "4 DND",
                                      "5 Gone home",     "6 In meeting", "7 Offline",        "8 On holiday",
                                      "9 Out of office", "10 Off sick"};
    EXPECT_EQ(Listed(pc), expected);
    EXPECT_TRUE(pc.Ui.Log.empty());
    for (const char* name : {"available", "Available ", " DND", "Off Sick", "", "Working from home"})
        EXPECT_FALSE(TQelStatus::IsBuiltInStatus(name)) << name;
    const std::string longest(30, 'n');
    for (const char* name : {"offline", "Alpha", "Beta", longest.c_str(), "Alpha"})
        pc.Statuses.AddStatus(name);
    EXPECT_EQ(pc.Statuses.GetStatusName(14), longest);
    pc.Statuses.RenameStatus("Beta", longest + "x");
    pc.Statuses.AddStatus(longest + "x");
    EXPECT_EQ(pc.Ui.Boxes,
              (std::vector<TShownBox>{{TBoxKind::Warning, "Status \"Alpha\" already exists", TBoxButtons::Ok},
                                      ErrorBox("Status \"" + longest + "x\" is too long: at most 30 characters"),
                                      ErrorBox("Status \"" + longest + "x\" is too long: at most 30 characters")}));
    pc.Statuses.DeleteStatus(14);
    pc.Statuses.AddStatus("Gamma");
    other.Statuses.DeleteStatus(12);
    pc.Statuses.AddStatus("Delta");
    pc.Statuses.RenameStatus("Beta", "Gamma");
    EXPECT_EQ(pc.Statuses.GetStatusName(13), "Gamma");
    expected.insert(expected.end(), {"11 offline", "13 Gamma", "14 Gamma", "15 Delta"});
    EXPECT_EQ(Listed(pc), expected);
    expected.erase(expected.begin() + 6);
    EXPECT_EQ(Listed(pc, false, true), expected);
    EXPECT_EQ(pc.Ui.Boxes.size(), 3u);
    EXPECT_EQ(OpenDescriptors(file), 0);

    // A name another copy deleted is reported; nothing is written, nor by a create.
    other.Statuses.DeleteStatus(15);
    const std::string after = FileBytes(file);
    pc.Ui.Reset();
    pc.Statuses.RenameStatus("Delta", "Epsilon");
    EXPECT_EQ(pc.Statuses.GetStatusName(15), "");
    pc.Statuses.DeleteStatus(15);
    other.Statuses.CreateStatusDataset();
    EXPECT_EQ(pc.Ui.Boxes, std::vector<TShownBox>(3, ErrorBox("Object not found\r")));
    EXPECT_EQ(FileBytes(file), after);

    // The department tree; a missing folder (silent at the departments' creation).
    TDesk lost("PC2", database.Path() + "missing/");
    pc.Ui.Reset();
    pc.Departments.CreateDepartmentDataset();
    pc.Departments.FillDepartmentTree(pc.Tree);
    EXPECT_EQ(pc.Tree.Nodes, std::vector<std::string>{"Departments"});
    EXPECT_TRUE(pc.Ui.Log.empty());
    for (const char* name : {"Sales", "Accounts", "Warehouse", "Sales", "Twenty-one characters"})
        pc.Departments.AddDepartment(name);
    pc.Departments.DeleteDepartment(2);
    pc.Departments.AddDepartment("Board");
    pc.Departments.FillDepartmentTree(pc.Tree);
    EXPECT_EQ(pc.Tree.Nodes, (std::vector<std::string>{"Departments", "  Sales", "  Warehouse", "  Board"}));
    EXPECT_EQ(pc.Ui.Boxes, (std::vector<TShownBox>{
                               {TBoxKind::Warning, "Department \"Sales\" already exists", TBoxButtons::Ok},
                               ErrorBox("Department \"Twenty-one characters\" is too long: at most 20 characters")}));
    EXPECT_EQ(OpenDescriptors(database.Path() + "QelDeps.isd"), 0);

    lost.Statuses.CreateStatusDataset();
    lost.Departments.CreateDepartmentDataset();
    lost.List.Add("kept", 1);
    EXPECT_FALSE(lost.Statuses.LoadSelectableStatuses(lost.List));
    lost.Departments.AddDepartment("Sales");
    EXPECT_EQ(lost.List.Items.size(), 1u);
    EXPECT_EQ(lost.Ui.Boxes, std::vector<TShownBox>(3, ErrorBox("DOS function call failure\rFolder not found: " +
                                                                database.Path() + "missing")));
    EXPECT_FALSE(std::filesystem::exists(database.Path() + "missing"));
}

} // namespace
} // namespace qel::test
