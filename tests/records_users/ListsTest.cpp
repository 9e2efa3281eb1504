// What the board, the department filter and the user-maintenance dialog are
// given, and how texts that do not fit a field are stored.

#include "Office.h"

#include "isam/IsamFile.h"

#include <cstring>

namespace qel::test {
namespace {

// The dialog's edit boxes, recording each call in order.
class TDetailsRecorder : public IUserDetailsView {
public:
    void SetTxtName(const std::string& text) override { Log.push_back("name " + text); }
    void SetTxtStatus(const std::string& text) override { Log.push_back("status " + text); }
    void SetTxtComments(const std::string& text) override { Log.push_back("comments " + text); }
    void SetTxtExtension(const std::string& text) override { Log.push_back("ext " + text); }
    void SetTxtDepartment(const std::string& text) override { Log.push_back("dept " + text); }
    void SetTxtComputerName(const std::string& text) override { Log.push_back("pc " + text); }
    void SetChkboxAdministrator(bool checked) override { Log.push_back(checked ? "admin 1" : "admin 0"); }
    std::vector<std::string> Log;
};

// An office of four: the administrator and three users whose departments
// differ only slightly.
class UserListsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Admin.Start();
        for (auto& [computer, department] : {std::pair{&B, "Sales"}, {&C, "Sales Support"}, {&D, "sales"}}) {
            computer->Start();
            computer->Users->LoadCurrentUser();
            computer->Current().Department = department;
            computer->Users->SaveUser();
        }
    }

    std::vector<std::string> Captions(const std::string* department) {
        department ? Admin.Users->ListDepartmentUsers(Admin.Ui, *department) : Admin.Users->ListUsers(Admin.Ui);
        std::vector<std::string> captions;
        for (const TBoardRow& row : Admin.Ui.Rows)
            captions.push_back(row.Caption);
        return captions;
    }

    TScratchFolder Database;
    TComputer Admin{"PC-A", "ALICE", Database.Path()};
    TComputer B{"PC-B", "BOB", Database.Path()};
    TComputer C{"PC-C", "CAROL", Database.Path()};
    TComputer D{"PC-D", "DAVE", Database.Path()};
};

TEST_F(UserListsTest, DepartmentFilterComparesWholeTextsExactly) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"Sales", {"BOB"}}, {"sales", {"DAVE"}}, {"Sales ", {}}, {"", {"ALICE"}}};
    for (const auto& [department, captions] : cases)
        EXPECT_EQ(Captions(&department), captions) << '"' << department << '"';
    Admin.Users->ListDepartmentUsers(Admin.Ui, "Sales");
    EXPECT_EQ(Admin.Ui.Rows, std::vector<TBoardRow>{(TBoardRow{"BOB", {"Available", "", "Sales", "", "PC-B"}, 1})});
    EXPECT_EQ(Admin.Ui.RowsOutsideUpdate, 0);
    EXPECT_EQ(Admin.Ui.UpdateDepth, 0);
    EXPECT_EQ(Captions(nullptr), (std::vector<std::string>{"ALICE", "BOB", "CAROL", "DAVE"}));

    // An unreachable folder is reported and leaves the board as it was.
    Admin.Users->Location = Database.Path() + "gone/";
    Admin.Ui.Reset();
    EXPECT_FALSE(Admin.Users->ListUsers(Admin.Ui));
    ASSERT_EQ(Admin.Ui.Log.size(), 1u);
    EXPECT_EQ(Admin.Ui.Log[0].rfind("box Error: " + IsamErrorText(13) + "\r", 0), 0u);
    EXPECT_FALSE(Admin.Users->Isam.IsOpen());
}

TEST_F(UserListsTest, UserListCarriesRecordNumbersAndShowUserFillsTheBoxes) {
    TNumberedItems list;
    list.Add("left over", 99);
    Admin.Users->FillUserList(list);
    EXPECT_EQ(list.Items, (std::vector<TNumberedItems::TItem>{{"ALICE", 1}, {"BOB", 2}, {"CAROL", 3}, {"DAVE", 4}}));
    EXPECT_EQ(list.UpdateDepth, 0);

    TDetailsRecorder boxes;
    Admin.Users->ShowUser(list, boxes);
    EXPECT_TRUE(boxes.Log.empty());
    list.Selected = 0;
    Admin.Users->ShowUser(list, boxes);
    EXPECT_EQ(boxes.Log, (std::vector<std::string>{"name ALICE", "status Available", "comments ", "ext ", "dept ",
                                                   "pc PC-A", "admin 1"}));

    // Deleting from the middle leaves a gap in the numbers.
    list.Selected = 1;
    Admin.Users->DeleteUser(list);
    Admin.Users->FillUserList(list);
    EXPECT_EQ(list.Items, (std::vector<TNumberedItems::TItem>{{"ALICE", 1}, {"CAROL", 3}, {"DAVE", 4}}));
    list.Selected = 2;
    boxes.Log.clear();
    Admin.Users->ShowUser(list, boxes);
    EXPECT_EQ(boxes.Log, (std::vector<std::string>{"name DAVE", "status Available", "comments ", "ext ", "dept sales",
                                                   "pc PC-D", "admin 0"}));

    // An entry whose record went meanwhile: the error, and the boxes untouched.
    TNumberedItems stale;
    stale.Add("BOB", 2);
    stale.Selected = 0;
    boxes.Log.clear();
    Admin.Users->ShowUser(stale, boxes);
    Admin.Users->DeleteUser(stale);
    EXPECT_TRUE(boxes.Log.empty());
    EXPECT_EQ(Admin.Ui.Boxes, (std::vector<TShownBox>{ErrorBox("Object not found\r"), ErrorBox("Object not found\r")}));
    EXPECT_FALSE(Admin.Users->Isam.IsOpen());

    // Nothing selected: nothing deleted.
    list.Selected = -1;
    Admin.Users->DeleteUser(list);
    EXPECT_EQ(Admin.Board().size(), 3u);
}

TEST_F(UserListsTest, OverlongTextsAreCutAtACharacterBoundaryWithoutTouchingTheNextField) {
    // 19 ASCII bytes and then a two-byte character: the name field holds 20 bytes.
    B.Users->LoadCurrentUser();
    B.Current().UserName = std::string(19, 'N') + "\xC3\xA9" + "xyz";
    B.Current().Extension = "012345678901234";
    B.Current().Comments = std::string(38, 'c') + "\xE2\x82\xAC" + "tail";
    B.Users->SaveUser();
    EXPECT_TRUE(B.Ui.Boxes.empty());
    EXPECT_EQ(Admin.Board()[1],
              (TBoardRow{std::string(19, 'N'), {"Available", "0123456789", "Sales", std::string(38, 'c'), "PC-B"}, 1}));

    // A record written by another program with no NUL in a text field reads
    // as the field's full width, and the fields beside it stay as they were.
    TRecordBuffer raw(UsersLayout());
    raw.SetText(userfield::Status, "DND");
    raw.SetText(userfield::ComputerName, "PC-X");
    std::memset(static_cast<char*>(raw.Data()) + UsersLayout().Field(userfield::UserName).Offset, 'W', 21);
    TIsamFile isam;
    ASSERT_TRUE(isam.OpenDataset(Database.Path() + "QelDBase", 3));
    ASSERT_TRUE(isam.AddRecord(raw.Data(), ""));
    isam.CloseDataset();
    const std::vector<TBoardRow> rows = Admin.Board();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[4], (TBoardRow{std::string(21, 'W'), {"DND", "", "", "", "PC-X"}, 3}));
}

} // namespace
} // namespace qel::test
