#pragma once

#include "records/QelCatalogue.h"

namespace qel {

// The department catalogue: the shared dataset QelDeps (one name of at most
// 20 characters per record) in the database folder named by the settings
// file, and the board's department filter. Engine failures are shown in error
// boxes; see TQelCatalogue.
class TQelDepartment : public TQelCatalogue {
public:
    // Filter off. A missing engine shows its error box and asks the
    // application to end.
    explicit TQelDepartment(TQelContext& context);

    // When QelDeps.isd is missing: creates it empty (a failure is not shown).
    // When it exists: does nothing. Never opens the dataset.
    void CreateDepartmentDataset();
    // Adds `Name` with the next key. An existing name gives the warning
    // `Department "Name" already exists` and adds nothing; a name longer than
    // 20 characters is refused with an error box.
    void AddDepartment(const std::string& Name);
    // Deletes the department numbered `RecordNumber`.
    void DeleteDepartment(int32_t RecordNumber);
    // Gives the department named `OldName` the name `NewName`, keeping its
    // key. A missing `OldName` shows the engine's error and writes nothing.
    void RenameDepartment(const std::string& OldName, const std::string& NewName);
    // Refills `Items` inside one update bracket with every department in key
    // order, each with its record number. A missing catalogue has none. When
    // the catalogue cannot be read, shows the engine error, leaves `Items` as
    // they were and returns false.
    bool LoadDepartments(INumberedList& Items);
    // The name of department `RecordNumber`; empty (after the error box) when
    // it cannot be read.
    std::string GetDepartmentName(int32_t RecordNumber);
    // Refills `Tree`: one root "Departments" with every department as a
    // child, in key order. Failures as LoadDepartments (the tree is left as
    // it was).
    bool FillDepartmentTree(IDepartmentTree& Tree);

    // The board filter, read and written directly: when Filtered is true the
    // board lists only users whose department is FilterName.
    std::string FilterName;
    bool Filtered = false;
};

// Text of the department tree's root node.
inline constexpr const char* DepartmentsRootText = "Departments";

} // namespace qel
