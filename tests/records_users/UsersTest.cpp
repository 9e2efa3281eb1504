// The user register with several computers sharing one temporary folder.

#include "tests/support/MessageReference.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace qel::test {
namespace {

// Every view sees the register as stored, meanwhile changes included; start-up failures write nothing.
TEST(UsersTest, EveryViewSeesTheRegisterAsStoredAndStartUpFailuresWriteNothing) {
    TScratchFolder database;
    TDesk a("PC-A", database.Path(), "ALICE"), b("PC-B", database.Path(), "BOB");
    TDesk c("PC-C", database.Path(), "CAROL"), d("PC-D", database.Path(), "DAVE");
    a.Start();
    for (auto& [computer, department] : {std::pair{&b, "Sales"}, {&c, "Sales Support"}, {&d, "sales"}}) {
        computer->Start();
        computer->Current().Department = department;
        computer->Users.SaveUser();
    }
    b.Current() = {};
    b.Users.LoadCurrentUser();
    EXPECT_EQ(b.Current().UserName + b.Current().Department + b.Current().ComputerName + b.Users.StoredStatus,
              "BOBSalesPC-BAvailable");
    EXPECT_EQ(b.Ui.PanelTexts, std::vector<std::string>{""});

    a.Current() = b.Current();
    a.Current().Administrator = 1;
    a.Users.SaveUser();
    b.Current().Status = "Gone home";
    b.Users.SaveStatus();
    EXPECT_TRUE(b.Context.IsAdministrator);
    EXPECT_EQ(a.Board()[1], (TBoardRow{"BOB", {"Gone home", "", "Sales", "", "PC-B"}, 4}));
    a.Current().Administrator = 0;
    a.Users.SaveUser();
    b.Current().Status = "gone home";
    b.Users.SaveStatus();
    EXPECT_FALSE(b.Context.IsAdministrator);
    EXPECT_EQ(b.Ui.TrayImages, (std::vector<int>{1, 4, 9}));

    // 19 ASCII bytes and then a two-byte character: the name field holds 20 bytes.
    c.Current().UserName = std::string(19, 'N') + "\xC3\xA9" + "xyz";
    c.Current().Extension = "012345678901234";
    c.Current().Comments = std::string(38, 'c') + "\xE2\x82\xAC" + "tail";
    c.Users.SaveUser();
    TRecordBuffer raw(UsersLayout());
    raw.SetText(userfield::Status, "DND");
    raw.SetText(userfield::ComputerName, "PC-X");
    std::memset(static_cast<char*>(raw.Data()) + UsersLayout().Field(userfield::UserName).Offset, 'W', 21);
    TIsamFile isam;
    ASSERT_TRUE(isam.OpenDataset(database.Path() + "QelDBase", 3));
    ASSERT_TRUE(isam.AddRecord(raw.Data(), ""));
    isam.CloseDataset();
    const std::vector<TBoardRow> rows = a.Board();
    ASSERT_EQ(rows.size(), 5u);
    const std::string n(19, 'N'), w(21, 'W');
    EXPECT_EQ(rows[2], (TBoardRow{n, {"Available", "0123456789", "Sales Support", std::string(38, 'c'), "PC-C"}, 1}));
    EXPECT_EQ(rows[4], (TBoardRow{w, {"DND", "", "", "", "PC-X"}, 3}));
    for (const auto& [department, captions] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"Sales", {"BOB"}}, {"sales", {"DAVE"}}, {"Sales ", {}}, {"", {"ALICE", w}}}) {
        a.Users.ListDepartmentUsers(a.Ui, department);
        std::vector<std::string> listed;
        for (const TBoardRow& row : a.Ui.Rows)
            listed.push_back(row.Caption);
        EXPECT_EQ(listed, captions) << '"' << department << '"';
    }
    EXPECT_EQ(a.Ui.RowsOutsideUpdate + a.Ui.UpdateDepth, 0);

    // The users dialog: nothing selected does nothing; deleting leaves a gap in the numbers.
    a.Users.FillUserList(a.List);
    a.Users.ShowUser(a.List, a.Details);
    a.Users.DeleteUser(a.List);
    a.List.Selected = 1;
    a.Users.DeleteUser(a.List);
    a.Users.FillUserList(a.List);
    EXPECT_EQ(a.List.Items, (std::vector<TNumberedItems::TItem>{{"ALICE", 1}, {n, 3}, {"DAVE", 4}, {w, 5}}));
    for (int selected : {0, 2}) {
        a.List.Selected = selected;
        a.Users.ShowUser(a.List, a.Details);
    }
    EXPECT_EQ(a.Details.Log,
              (std::vector<std::string>{"ALICE|Available||||PC-A|admin", "DAVE|Available|||sales|PC-D|user"}));
    // Its stale entry, and BOB's own reads and writes, each report the record gone and write nothing.
    a.List.Items = {{"BOB", 2}};
    a.List.Selected = 0;
    a.Users.ShowUser(a.List, a.Details);
    a.Users.DeleteUser(a.List);
    EXPECT_EQ(a.Details.Log.size(), 2u);
    EXPECT_EQ(a.Ui.Boxes, std::vector<TShownBox>(2, ErrorBox("Object not found\r")));
    const TQelUser before = b.Current();
    b.Ui.Reset();
    b.Users.LoadCurrentUser();
    b.Users.SaveStatus();
    b.Users.SaveUser();
    EXPECT_EQ(b.Ui.Log, (std::vector<std::string>{"panel: Object not found ", "box Error: Object not found\r",
                                                  "box Error: Object not found\r"}));
    EXPECT_EQ(b.Current(), before);
    EXPECT_EQ(a.Board().size(), 4u);

    a.Users.Location = database.Path() + "gone/";
    a.Ui.Reset();
    EXPECT_FALSE(a.Users.ListUsers(a.Ui));
    EXPECT_EQ(a.Ui.Log, std::vector<std::string>{
                            "box Error: DOS function call failure\rFolder not found: " + database.Path() + "gone"});
    EXPECT_FALSE(a.Users.Isam.IsOpen() || b.Users.Isam.IsOpen());

    // Start-up failures: no engine (every record class), no folder, a foreign file, no folder set.
    TScratchFolder foreign, noEngine, other;
    TDesk station("PC-A", foreign.Path(), "ALICE", noEngine.Path());
    std::vector<std::string> expected;
    for (int handle = 0; handle < 5; ++handle)
        expected.insert(expected.end(), {std::string("box Error: ") + EngineMissingText, "terminate"});
    EXPECT_EQ(station.Ui.Log, expected);

    const std::string missing = foreign.Path() + "not-there/";
    TDesk e("PC-E", missing, "ALICE");
    e.Start();
    const std::string notFound = "DOS function call failure\rFolder not found: " + foreign.Path() + "not-there";
    EXPECT_EQ(e.Ui.Log, (std::vector<std::string>{"box Error: Unable to create QelDBase!\r" + notFound, "terminate",
                                                  "box Error: " + notFound}));
    EXPECT_FALSE(std::filesystem::exists(missing));

    ASSERT_TRUE(isam.CreateDataset(foreign.Path() + "QelDBase", 10, "X$*21"));
    TDesk f("PC-F", foreign.Path(), "BOB");
    f.Users.LoadLocation();
    f.Users.RegisterComputer();
    EXPECT_EQ(f.Ui.Log,
              (std::vector<std::string>{"box Error: Invalid format string\r" + foreign.Path() +
                                            "QelDBase.isd does not hold records of the layout this program uses",
                                        "terminate"}));

    struct TWizard : IDatabaseWizard {
        void Execute() override { ++Runs; }
        int Runs = 0;
    } wizard;
    TDesk g("PC-G", "Not_Entered", "CAROL");
    g.Context.Wizard = &wizard;
    g.Users.LoadLocation();
    // A folder written by hand without the trailing separator still works.
    g.Settings.WriteString(keys::Locations, keys::DBaseLocation, other.Path().substr(0, other.Path().size() - 1));
    g.Start();
    EXPECT_EQ(wizard.Runs, 1);
    EXPECT_EQ(g.Users.Location, other.Path());
    EXPECT_EQ(g.Board().size(), 1u);
}

} // namespace
} // namespace qel::test
