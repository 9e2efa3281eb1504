// What the status and department catalogues share: duplicates, keys, renames,
// name lengths and failures, run against both.

#include "CatalogueOffice.h"

namespace qel::test {
namespace {

struct StatusTraits {
    static constexpr const char* Noun = "Status";
    static constexpr const char* Dataset = "QelStats";
    static constexpr size_t MaxLength = 30;
    static std::vector<std::string> Seeded() { return {BuiltInStatuses.begin(), BuiltInStatuses.end()}; }
    static void Create(TCatalogueComputer& c) { c.Statuses.CreateStatusDataset(); }
    static void Add(TCatalogueComputer& c, const std::string& name) { c.Statuses.AddStatus(name); }
    static void Delete(TCatalogueComputer& c, int32_t number) { c.Statuses.DeleteStatus(number); }
    static void Rename(TCatalogueComputer& c, const std::string& from, const std::string& to) {
        c.Statuses.RenameStatus(from, to);
    }
    static void Load(TCatalogueComputer& c, INumberedList& items) { c.Statuses.LoadStatuses(items); }
    static std::string Name(TCatalogueComputer& c, int32_t number) { return c.Statuses.GetStatusName(number); }
};

struct DepartmentTraits {
    static constexpr const char* Noun = "Department";
    static constexpr const char* Dataset = "QelDeps";
    static constexpr size_t MaxLength = 20;
    static std::vector<std::string> Seeded() { return {}; }
    static void Create(TCatalogueComputer& c) { c.Departments.CreateDepartmentDataset(); }
    static void Add(TCatalogueComputer& c, const std::string& name) { c.Departments.AddDepartment(name); }
    static void Delete(TCatalogueComputer& c, int32_t number) { c.Departments.DeleteDepartment(number); }
    static void Rename(TCatalogueComputer& c, const std::string& from, const std::string& to) {
        c.Departments.RenameDepartment(from, to);
    }
    static void Load(TCatalogueComputer& c, INumberedList& items) { c.Departments.LoadDepartments(items); }
    static std::string Name(TCatalogueComputer& c, int32_t number) { return c.Departments.GetDepartmentName(number); }
};

template <class Traits> class CatalogueTest : public ::testing::Test {
protected:
    std::string Path() const { return Database.Path() + Traits::Dataset; }
    std::vector<std::pair<std::string, std::string>> Dump() const {
        return DumpCatalogue(Path(), Traits::MaxLength + 1);
    }
    std::vector<std::pair<std::string, std::string>> Seeded(std::vector<std::string> extra = {}) const {
        std::vector<std::string> names = Traits::Seeded();
        names.insert(names.end(), extra.begin(), extra.end());
        std::vector<std::pair<std::string, std::string>> all;
        for (size_t i = 0; i < names.size(); ++i)
            all.emplace_back(FormatKey(static_cast<int32_t>(i + 1)), names[i]);
        return all;
    }
    int32_t NextNumber() const { return static_cast<int32_t>(Traits::Seeded().size()) + 1; }
    void ExpectClosed() const { EXPECT_EQ(OpenDescriptors(Path() + ".isd"), 0); }

    // Declared in this order: the folder exists before the computer uses it.
    TScratchFolder Database;
    TCatalogueComputer Pc{"PC1", Database.Path()};
};

using CatalogueKinds = ::testing::Types<StatusTraits, DepartmentTraits>;
TYPED_TEST_SUITE(CatalogueTest, CatalogueKinds);

TYPED_TEST(CatalogueTest, ADuplicateNameWarnsWithTheExactTextAndAddsNothing) {
    TypeParam::Create(this->Pc);
    TypeParam::Add(this->Pc, "Working from home");
    ASSERT_TRUE(this->Pc.Ui.Boxes.empty());
    const auto before = this->Dump();

    TypeParam::Add(this->Pc, "Working from home");
    EXPECT_EQ(this->Pc.Ui.Boxes, std::vector<TShownBox>{WarningBox(std::string(TypeParam::Noun) +
                                                                   " \"Working from home\" already exists")});
    EXPECT_EQ(this->Dump(), before);
    this->ExpectClosed();
}

TYPED_TEST(CatalogueTest, NewNamesTakeTheNextKeyAndOnlyTheTopKeyIsReused) {
    TypeParam::Create(this->Pc);
    const int32_t first = this->NextNumber();
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        TypeParam::Add(this->Pc, name);
    EXPECT_EQ(this->Dump(), this->Seeded({"Alpha", "Beta", "Gamma"}));

    // Deleting the top record frees its key for the next add ...
    TypeParam::Delete(this->Pc, first + 2);
    TypeParam::Add(this->Pc, "Delta");
    EXPECT_EQ(this->Dump().back(), std::make_pair(FormatKey(first + 2), std::string("Delta")));

    // ... a gap lower down is never filled.
    TypeParam::Delete(this->Pc, first);
    TypeParam::Add(this->Pc, "Epsilon");
    auto all = this->Dump();
    EXPECT_EQ(all.back(), std::make_pair(FormatKey(first + 3), std::string("Epsilon")));
    EXPECT_EQ(std::count_if(all.begin(), all.end(), [&](const auto& r) { return r.first == FormatKey(first); }), 0);

    TListRecorder list;
    TypeParam::Load(this->Pc, list);
    ASSERT_EQ(list.Items.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(list.Items[i], std::make_pair(all[i].second, KeyToNumber(all[i].first)));
    EXPECT_TRUE(this->Pc.Ui.Boxes.empty());
    this->ExpectClosed();
}

TYPED_TEST(CatalogueTest, RenameKeepsTheKeyAndMayMakeTwoEntriesOfOneName) {
    TypeParam::Create(this->Pc);
    const int32_t first = this->NextNumber();
    TypeParam::Add(this->Pc, "Alpha");
    TypeParam::Add(this->Pc, "Beta");

    TypeParam::Rename(this->Pc, "Alpha", "Omega");
    EXPECT_EQ(this->Dump(), this->Seeded({"Omega", "Beta"}));
    EXPECT_EQ(TypeParam::Name(this->Pc, first), "Omega");

    TypeParam::Rename(this->Pc, "Beta", "Omega");
    EXPECT_EQ(this->Dump(), this->Seeded({"Omega", "Omega"}));
    TListRecorder list;
    TypeParam::Load(this->Pc, list);
    EXPECT_EQ(std::count(list.Items.begin(), list.Items.end(), std::make_pair(std::string("Omega"), first)), 1);
    EXPECT_EQ(std::count(list.Items.begin(), list.Items.end(), std::make_pair(std::string("Omega"), first + 1)), 1);
    EXPECT_TRUE(this->Pc.Ui.Boxes.empty());
    this->ExpectClosed();
}

TYPED_TEST(CatalogueTest, ANameAnotherCopyDeletedIsReportedAndNothingIsWritten) {
    TypeParam::Create(this->Pc);
    TypeParam::Add(this->Pc, "Alpha");
    TypeParam::Add(this->Pc, "Beta");
    TCatalogueComputer other("PC2", this->Database.Path());
    TypeParam::Delete(other, this->NextNumber());
    ASSERT_TRUE(other.Ui.Boxes.empty());
    const auto before = this->Dump();
    const std::string bytes = FileBytes(this->Path() + ".isd");

    TypeParam::Rename(this->Pc, "Alpha", "Omega");
    EXPECT_EQ(TypeParam::Name(this->Pc, this->NextNumber()), "");
    TypeParam::Delete(this->Pc, this->NextNumber());

    EXPECT_EQ(this->Pc.Ui.Boxes, std::vector<TShownBox>(3, ErrorBox("Object not found\r")));
    EXPECT_EQ(this->Dump(), before);
    EXPECT_EQ(FileBytes(this->Path() + ".isd"), bytes);
    this->ExpectClosed();
}

TYPED_TEST(CatalogueTest, NamesUpToTheLimitAreStoredWholeLongerOnesAreRefused) {
    TypeParam::Create(this->Pc);
    const std::string longest(TypeParam::MaxLength, 'n');
    TypeParam::Add(this->Pc, longest);
    EXPECT_EQ(TypeParam::Name(this->Pc, this->NextNumber()), longest);
    EXPECT_TRUE(this->Pc.Ui.Boxes.empty());
    const auto before = this->Dump();

    const std::string tooLong = longest + "x";
    TypeParam::Add(this->Pc, tooLong);
    TypeParam::Rename(this->Pc, longest, tooLong);
    const std::string refusal = std::string(TypeParam::Noun) + " \"" + tooLong + "\" is too long: at most " +
                                std::to_string(TypeParam::MaxLength) + " characters";
    EXPECT_EQ(this->Pc.Ui.Boxes, std::vector<TShownBox>(2, ErrorBox(refusal)));
    EXPECT_EQ(this->Dump(), before);
}

TYPED_TEST(CatalogueTest, WithoutADatasetEveryWriteReportsAnInvalidReferenceAndListsStayEmpty) {
    TypeParam::Add(this->Pc, "Alpha");
    TypeParam::Rename(this->Pc, "Alpha", "Beta");
    TypeParam::Delete(this->Pc, 1);
    EXPECT_EQ(TypeParam::Name(this->Pc, 1), "");
    EXPECT_EQ(this->Pc.Ui.Boxes, std::vector<TShownBox>(4, ErrorBox("Invalid dataset reference\r")));

    this->Pc.Ui.Reset();
    TListRecorder list;
    list.Items = {{"stale", 7}};
    TypeParam::Load(this->Pc, list);
    EXPECT_TRUE(list.Items.empty());
    EXPECT_TRUE(this->Pc.Ui.Boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(this->Path() + ".isd"));
}

TYPED_TEST(CatalogueTest, CreatingAgainChangesNothing) {
    TypeParam::Create(this->Pc);
    TypeParam::Add(this->Pc, "Alpha");
    TypeParam::Add(this->Pc, "Beta");
    TypeParam::Delete(this->Pc, this->NextNumber());
    TypeParam::Rename(this->Pc, "Beta", "Gamma");
    ASSERT_TRUE(this->Pc.Ui.Boxes.empty());
    const std::string bytes = FileBytes(this->Path() + ".isd");
    const auto before = this->Dump();

    TCatalogueComputer other("PC2", this->Database.Path());
    TypeParam::Create(other);
    TypeParam::Create(this->Pc);
    EXPECT_EQ(FileBytes(this->Path() + ".isd"), bytes);
    EXPECT_EQ(this->Dump(), before);
    EXPECT_TRUE(other.Ui.Boxes.empty());
    this->ExpectClosed();
}

TYPED_TEST(CatalogueTest, TheFolderIsReadFromTheSettingsAtEveryCall) {
    TypeParam::Create(this->Pc);
    TypeParam::Add(this->Pc, "Alpha");
    TScratchFolder elsewhere;
    this->Pc.Settings.WriteString(keys::Locations, keys::DBaseLocation, elsewhere.Path());
    TypeParam::Create(this->Pc);
    TypeParam::Add(this->Pc, "Beta");
    EXPECT_EQ(DumpCatalogue(elsewhere.Path() + TypeParam::Dataset, TypeParam::MaxLength + 1).back().second, "Beta");
    EXPECT_EQ(this->Dump().back().second, "Alpha");
}

} // namespace
} // namespace qel::test
