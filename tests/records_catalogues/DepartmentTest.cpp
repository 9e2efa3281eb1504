// What only the department catalogue does: it starts empty, without a box
// even when it cannot be made, and fills the department tree.

#include "CatalogueOffice.h"

namespace qel::test {
namespace {

class DepartmentTest : public ::testing::Test {
protected:
    TScratchFolder Database;
    TCatalogueComputer Pc{"PC1", Database.Path()};
};

TEST_F(DepartmentTest, ANewCatalogueIsEmptyAndMadeWithoutABox) {
    EXPECT_FALSE(Pc.Departments.Filtered);
    EXPECT_EQ(Pc.Departments.FilterName, "");
    Pc.Departments.CreateDepartmentDataset();
    TNumberedItems list;
    list.Add("stale", 7);
    Pc.Departments.LoadDepartments(list);
    EXPECT_TRUE(list.Items.empty());
    EXPECT_EQ(list.UpdateDepth, 0);
    EXPECT_TRUE(Pc.Ui.Log.empty());
    Pc.Departments.AddDepartment("Sales");
    EXPECT_EQ(DumpCatalogue(Database.Path() + "QelDeps", 21), (TCatalogueRecords{{"0000000001", "Sales"}}));

    // A failed creation is silent; later calls report why.
    TCatalogueComputer lost("PC2", Database.Path() + "missing/");
    lost.Departments.CreateDepartmentDataset();
    EXPECT_TRUE(lost.Ui.Boxes.empty());
    lost.Departments.AddDepartment("Sales");
    // The open's own reason is reported, naming the folder.
    EXPECT_EQ(lost.Ui.Boxes,
              std::vector<TShownBox>{ErrorBox("DOS function call failure\rFolder not found: " + Database.Path() + "missing")});
}

TEST_F(DepartmentTest, TheTreeHasOneRootWithTheDepartmentsInKeyOrder) {
    // Roots as they are, children indented by two blanks.
    struct TTree : IDepartmentTree {
        void Clear() override { Nodes.clear(); }
        void AddRoot(const std::string& text) override { Nodes.push_back(text); }
        void AddChild(const std::string& text) override { Nodes.push_back("  " + text); }
        std::vector<std::string> Nodes{"stale"};
    } tree;
    Pc.Departments.CreateDepartmentDataset();
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
