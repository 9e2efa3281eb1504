// What only the status catalogue does: the built-in statuses, the two lists
// and the built-in test.

#include "CatalogueOffice.h"

namespace qel::test {
namespace {

const std::vector<std::string> TableOrder{"At lunch",   "Available", "Away from desk", "DND",           "Gone home",
                                          "In meeting", "Offline",   "On holiday",     "Out of office", "Off sick"};

class StatusTest : public ::testing::Test {
protected:
    TScratchFolder Database;
    TCatalogueComputer Pc{"PC1", Database.Path()};
};

TEST_F(StatusTest, ANewCatalogueHoldsExactlyTheTenBuiltInsInTableOrder) {
    Pc.Statuses.CreateStatusDataset();
    TCatalogueRecords expected;
    for (size_t i = 0; i < TableOrder.size(); ++i)
        expected.emplace_back(FormatKey(static_cast<int32_t>(i + 1)), TableOrder[i]);
    EXPECT_EQ(DumpCatalogue(Database.Path() + "QelStats", 31), expected);
    EXPECT_TRUE(Pc.Ui.Log.empty());
    EXPECT_EQ(OpenDescriptors(Database.Path() + "QelStats.isd"), 0);

    // One that cannot be written is reported once, and nothing is left behind.
    TCatalogueComputer lost("PC2", Database.Path() + "missing/");
    lost.Statuses.CreateStatusDataset();
    ASSERT_EQ(lost.Ui.Boxes.size(), 1u);
    EXPECT_EQ(lost.Ui.Boxes[0].Text.rfind(IsamErrorText(13) + "\r", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(Database.Path() + "missing"));
}

TEST_F(StatusTest, TheFullListHasEveryStatusTheSelectableOneLacksOnlyOffline) {
    Pc.Statuses.CreateStatusDataset();
    Pc.Statuses.AddStatus("offline");

    TNumberedItems all;
    Pc.Statuses.LoadStatuses(all);
    std::vector<TNumberedItems::TItem> expected;
    for (size_t i = 0; i < TableOrder.size(); ++i)
        expected.push_back({TableOrder[i], static_cast<int>(i + 1)});
    expected.push_back({"offline", 11});
    EXPECT_EQ(all.Items, expected);

    TNumberedItems selectable;
    selectable.Add("stale", 99);
    Pc.Statuses.LoadSelectableStatuses(selectable);
    expected.erase(expected.begin() + 6); // "Offline", number 7
    EXPECT_EQ(selectable.Items, expected);
    EXPECT_EQ(selectable.UpdateDepth, 0);

    // Without a dataset the list is empty; without the folder it is reported.
    TScratchFolder empty;
    TCatalogueComputer fresh("PC2", empty.Path()), lost("PC3", Database.Path() + "missing/");
    EXPECT_FALSE(lost.Statuses.LoadSelectableStatuses(selectable));
    EXPECT_EQ(lost.Ui.Boxes.size(), 1u);
    EXPECT_EQ(selectable.Items, expected);
    fresh.Statuses.LoadSelectableStatuses(selectable);
    EXPECT_TRUE(selectable.Items.empty());
    EXPECT_EQ(selectable.UpdateDepth, 0);
    EXPECT_TRUE(fresh.Ui.Boxes.empty());
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
    for (const char* name : {"available", "Available ", " DND", "Off Sick", "", "Working from home"})
        EXPECT_FALSE(TQelStatus::IsBuiltInStatus(name)) << name;
}

} // namespace
} // namespace qel::test
