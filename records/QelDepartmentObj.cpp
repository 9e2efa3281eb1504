#include "records/QelDepartmentObj.h"

namespace qel {

namespace {
const TCatalogueKind DepartmentCatalogue{"QelDeps", "X$*21", "Department"};

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

bool TQelDepartment::LoadDepartments(INumberedList& Items) {
    return LoadEntries(Items, true);
}

std::string TQelDepartment::GetDepartmentName(int32_t RecordNumber) {
    return NameOf(RecordNumber);
}

bool TQelDepartment::FillDepartmentTree(IDepartmentTree& Tree) {
    std::vector<TEntry> entries;
    if (!ReadEntries(&entries))
        return false;
    Tree.Clear();
    Tree.AddRoot(DepartmentsRootText);
    for (const TEntry& entry : entries)
        Tree.AddChild(entry.Name);
    return true;
}

} // namespace qel
