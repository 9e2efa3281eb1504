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
    TCatalogueRecords Dump() const { return DumpCatalogue(Path(), Traits::MaxLength + 1); }
    TCatalogueRecords Seeded(std::vector<std::string> extra = {}) const {
        std::vector<std::string> names = Traits::Seeded();
        names.insert(names.end(), extra.begin(), extra.end());
        TCatalogueRecords all;
        for (size_t i = 0; i < names.size(); ++i)
            all.emplace_back(FormatKey(static_cast<int32_t>(i + 1)), names[i]);
        return all;
    }
    int32_t NextNumber() const { return static_cast<int32_t>(Traits::Seeded().size()) + 1; }
    void ExpectClosed() const { EXPECT_EQ(OpenDescriptors(Path() + ".isd"), 0); }
    TCatalogueRecords Listed() {
        TNumberedItems list;
        Traits::Load(Pc, list);
        TCatalogueRecords all;
        for (const auto& item : list.Items)
            all.emplace_back(FormatKey(item.Number), item.Text);
        return all;
    }

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

TYPED_TEST(CatalogueTest, NewNamesTakeTheNextKeyOnlyTheTopKeyIsReusedAndRenamesKeepTheKey) {
    TypeParam::Create(this->Pc);
    const int32_t first = this->NextNumber();
    for (const char* name : {"Alpha", "Beta", "Gamma"})
        TypeParam::Add(this->Pc, name);
    EXPECT_EQ(this->Dump(), this->Seeded({"Alpha", "Beta", "Gamma"}));

    // Deleting the top record frees its key for the next add; a gap lower
    // down is never filled.
    TypeParam::Delete(this->Pc, first + 2);
    TypeParam::Add(this->Pc, "Delta");
    EXPECT_EQ(this->Dump().back(), std::make_pair(FormatKey(first + 2), std::string("Delta")));
    TypeParam::Delete(this->Pc, first);
    TypeParam::Add(this->Pc, "Epsilon");
    auto expected = this->Seeded({"Alpha", "Beta", "Delta", "Epsilon"});
    expected.erase(expected.end() - 4); // Alpha's key stays free
    EXPECT_EQ(this->Dump(), expected);
    EXPECT_EQ(this->Listed(), expected);

    // A rename keeps the key and may make two entries of one name.
    TypeParam::Rename(this->Pc, "Beta", "Omega");
    EXPECT_EQ(TypeParam::Name(this->Pc, first + 1), "Omega");
    TypeParam::Rename(this->Pc, "Delta", "Omega");
    expected[expected.size() - 3].second = expected[expected.size() - 2].second = "Omega";
    EXPECT_EQ(this->Dump(), expected);
    EXPECT_EQ(this->Listed(), expected);
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

TYPED_TEST(CatalogueTest, WithoutADatasetEveryWriteReportsTheMissingDatasetAndListsStayEmpty) {
    TypeParam::Add(this->Pc, "Alpha");
    TypeParam::Rename(this->Pc, "Alpha", "Beta");
    TypeParam::Delete(this->Pc, 1);
    EXPECT_EQ(TypeParam::Name(this->Pc, 1), "");
    EXPECT_EQ(this->Pc.Ui.Boxes, std::vector<TShownBox>(4, ErrorBox("Object not found\r")));
    EXPECT_TRUE(this->Listed().empty());
    EXPECT_EQ(this->Pc.Ui.Boxes.size(), 4u); // listing reports nothing
    EXPECT_FALSE(std::filesystem::exists(this->Path() + ".isd"));
}

TYPED_TEST(CatalogueTest, CreatingAgainChangesNothingAndTheFolderIsReadAtEveryCall) {
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

    TScratchFolder elsewhere;
    this->Pc.Settings.WriteString(keys::Locations, keys::DBaseLocation, elsewhere.Path());
    TypeParam::Create(this->Pc);
    TypeParam::Add(this->Pc, "Delta");
    EXPECT_EQ(DumpCatalogue(elsewhere.Path() + TypeParam::Dataset, TypeParam::MaxLength + 1).back().second, "Delta");
    EXPECT_EQ(this->Dump(), before);
}

} // namespace
} // namespace qel::test
