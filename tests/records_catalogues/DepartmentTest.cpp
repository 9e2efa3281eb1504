// What only the department catalogue does: it starts empty, fills the
// department tree and holds the board filter.

#include "CatalogueOffice.h"

namespace qel::test {
namespace {

class DepartmentTest : public ::testing::Test {
protected:
    std::vector<std::pair<std::string, std::string>> Dump() const {
        return DumpCatalogue(Database.Path() + "QelDeps", 21);
    }
    TScratchFolder Database;
    TCatalogueComputer Pc{"PC1", Database.Path()};
};

TEST_F(DepartmentTest, ANewCatalogueIsEmptyAndMadeWithoutABox) {
    EXPECT_FALSE(Pc.Departments.Filtered);
    EXPECT_EQ(Pc.Departments.FilterName, "");

    Pc.Departments.CreateDepartmentDataset();
    EXPECT_TRUE(std::filesystem::exists(Database.Path() + "QelDeps.isd"));
    TListRecorder list;
    Pc.Departments.LoadDepartments(list);
    EXPECT_TRUE(list.Items.empty());
    EXPECT_EQ(list.Log, (std::vector<std::string>{"begin", "clear", "end"}));
    EXPECT_TRUE(Pc.Ui.Log.empty());

    Pc.Departments.AddDepartment("Sales");
    EXPECT_EQ(Dump(), (std::vector<std::pair<std::string, std::string>>{{"0000000001", "Sales"}}));
    Pc.Departments.AddDepartment("Sales");
    EXPECT_EQ(Pc.Ui.Boxes, std::vector<TShownBox>{WarningBox("Department \"Sales\" already exists")});
}

TEST_F(DepartmentTest, AFailedCreationIsSilentAndLaterCallsReportIt) {
    TCatalogueComputer lost("PC2", Database.Path() + "missing/");
    lost.Departments.CreateDepartmentDataset();
    EXPECT_TRUE(lost.Ui.Boxes.empty());
    lost.Departments.AddDepartment("Sales");
    EXPECT_EQ(lost.Ui.Boxes, std::vector<TShownBox>{ErrorBox("Invalid dataset reference\r")});
}

TEST_F(DepartmentTest, TheTreeHasOneRootWithTheDepartmentsInKeyOrder) {
    Pc.Departments.CreateDepartmentDataset();
    TTreeRecorder tree;
    tree.Nodes = {"stale"};
    Pc.Departments.FillDepartmentTree(tree);
    EXPECT_EQ(tree.Nodes, std::vector<std::string>{"Departments"});

    for (const char* name : {"Sales", "Accounts", "Warehouse"})
        Pc.Departments.AddDepartment(name);
    Pc.Departments.DeleteDepartment(2);
    Pc.Departments.AddDepartment("Board");
    Pc.Departments.FillDepartmentTree(tree);
    EXPECT_EQ(tree.Nodes, (std::vector<std::string>{"Departments", "  Sales", "  Warehouse", "  Board"}));
    EXPECT_TRUE(Pc.Ui.Boxes.empty());
    EXPECT_EQ(OpenDescriptors(Database.Path() + "QelDeps.isd"), 0);
}

} // namespace
} // namespace qel::test
