#include "records/QelDepartmentObj.h"

namespace qel {

namespace {
const TCatalogueKind DepartmentCatalogue{"QelDeps", "X$*21", "Department"};

struct TUpdateBracket {
    INumberedList& Items;
    explicit TUpdateBracket(INumberedList& items) : Items(items) { Items.BeginUpdate(); }
    ~TUpdateBracket() { Items.EndUpdate(); }
};
} // namespace

TQelDepartment::TQelDepartment(TQelContext& context) : TQelCatalogue(context, DepartmentCatalogue) {}

void TQelDepartment::CreateDepartmentDataset() {
    if (!DatasetFileExists())
        CreateEmptyDataset();
}

void TQelDepartment::AddDepartment(const std::string& Name) {
    AddName(Name);
}

void TQelDepartment::DeleteDepartment(int32_t RecordNumber) {
    DeleteNumber(RecordNumber);
}

void TQelDepartment::RenameDepartment(const std::string& OldName, const std::string& NewName) {
    RenameName(OldName, NewName);
}

void TQelDepartment::LoadDepartments(INumberedList& Items) {
    TUpdateBracket bracket(Items);
    ScanInKeyOrder([&] { Items.Clear(); }, [&](const std::string& name, int32_t number) { Items.Add(name, number); });
}

std::string TQelDepartment::GetDepartmentName(int32_t RecordNumber) {
    return NameOf(RecordNumber);
}

void TQelDepartment::FillDepartmentTree(IDepartmentTree& Tree) {
    ScanInKeyOrder(
        [&] {
            Tree.Clear();
            Tree.AddRoot(DepartmentsRootText);
        },
        [&](const std::string& name, int32_t) { Tree.AddChild(name); });
}

} // namespace qel
