// What only the status catalogue does: the built-in statuses, the two lists
// and the built-in test.

#include "CatalogueOffice.h"

namespace qel::test {
namespace {

const std::vector<std::string> TableOrder{"At lunch",   "Available", "Away from desk", "DND",           "Gone home",
                                          "In meeting", "Offline",   "On holiday",     "Out of office", "Off sick"};

class StatusTest : public ::testing::Test {
protected:
    std::vector<std::pair<std::string, std::string>> Dump() const {
        return DumpCatalogue(Database.Path() + "QelStats", 31);
    }
    TScratchFolder Database;
    TCatalogueComputer Pc{"PC1", Database.Path()};
};

TEST_F(StatusTest, ANewCatalogueHoldsExactlyTheTenBuiltInsInTableOrder) {
    Pc.Statuses.CreateStatusDataset();
    std::vector<std::pair<std::string, std::string>> expected;
    for (size_t i = 0; i < TableOrder.size(); ++i)
        expected.emplace_back(FormatKey(static_cast<int32_t>(i + 1)), TableOrder[i]);
    EXPECT_EQ(Dump(), expected);
    EXPECT_TRUE(Pc.Ui.Log.empty());
    EXPECT_EQ(OpenDescriptors(Database.Path() + "QelStats.isd"), 0);

    Pc.Statuses.AddStatus("Available");
    EXPECT_EQ(Pc.Ui.Boxes, std::vector<TShownBox>{WarningBox("Status \"Available\" already exists")});
    Pc.Statuses.AddStatus("Working from home");
    EXPECT_EQ(Dump().back(), std::make_pair(std::string("0000000011"), std::string("Working from home")));
}

TEST_F(StatusTest, AnExistingCatalogueIsNeverReseeded) {
    Pc.Statuses.CreateStatusDataset();
    // Built-ins are not protected here; the dialog keeps them from deletion.
    Pc.Statuses.DeleteStatus(2);
    Pc.Statuses.RenameStatus("DND", "Do not disturb");
    const auto before = Dump();
    ASSERT_EQ(before.size(), 9u);

    Pc.Statuses.CreateStatusDataset();
    EXPECT_EQ(Dump(), before);
    EXPECT_TRUE(Pc.Ui.Boxes.empty());
    EXPECT_EQ(Pc.Statuses.GetStatusName(4), "Do not disturb");
}

TEST_F(StatusTest, ACatalogueThatCannotBeWrittenReportsEachBuiltIn) {
    TCatalogueComputer lost("PC2", Database.Path() + "missing/");
    lost.Statuses.CreateStatusDataset();
    EXPECT_EQ(lost.Ui.Boxes, std::vector<TShownBox>(10, ErrorBox("Invalid dataset reference\r")));
    EXPECT_FALSE(std::filesystem::exists(Database.Path() + "missing"));
}

TEST_F(StatusTest, TheFullListHasEveryStatusTheSelectableOneLacksOnlyOffline) {
    Pc.Statuses.CreateStatusDataset();
    Pc.Statuses.AddStatus("offline");

    TListRecorder all;
    Pc.Statuses.LoadStatuses(all);
    ASSERT_EQ(all.Items.size(), 11u);
    for (size_t i = 0; i < TableOrder.size(); ++i)
        EXPECT_EQ(all.Items[i], std::make_pair(TableOrder[i], static_cast<int>(i + 1)));
    EXPECT_EQ(all.Items[10], std::make_pair(std::string("offline"), 11));
    EXPECT_EQ(all.Log, std::vector<std::string>{"clear"});

    TListRecorder selectable;
    selectable.Items = {{"stale", 99}};
    Pc.Statuses.LoadSelectableStatuses(selectable);
    std::vector<std::pair<std::string, int>> expected = all.Items;
    expected.erase(expected.begin() + 6); // "Offline", number 7
    EXPECT_EQ(selectable.Items, expected);
    EXPECT_EQ(selectable.Log, (std::vector<std::string>{"begin", "clear", "end"}));

    // Without a dataset the bracket still closes and the list is empty.
    TCatalogueComputer lost("PC2", Database.Path() + "missing/");
    lost.Statuses.LoadSelectableStatuses(selectable);
    EXPECT_TRUE(selectable.Items.empty());
    EXPECT_EQ(selectable.Depth, 0);
    EXPECT_TRUE(lost.Ui.Boxes.empty());
}

TEST_F(StatusTest, AMissingEngineIsReportedAndEndsTheProgram) {
    TScratchFolder noEngine;
    TCatalogueComputer lost("PC2", Database.Path(), noEngine.Path());
    const std::string box = std::string("box Error: ") + EngineMissingText;
    // One box per catalogue object: statuses, then departments.
    EXPECT_EQ(lost.Ui.Log, (std::vector<std::string>{box, "terminate", box, "terminate"}));
}

TEST_F(StatusTest, OnlyTheTenExactNamesAreBuiltIn) {
    for (const std::string& name : TableOrder)
        EXPECT_TRUE(TQelStatus::IsBuiltInStatus(name)) << name;
    for (const char* name : {"available", "Available ", " DND", "dnd", "Off Sick", "", "Working from home"})
        EXPECT_FALSE(TQelStatus::IsBuiltInStatus(name)) << name;
}

} // namespace
} // namespace qel::test
