#pragma once

#include "dialogs/QelStatuses.h"

namespace qel {

using TfrmQelDepartments = TfrmQelCatalogue;

// "Administer Departments": the catalogue dialog configured for departments.
inline TfrmQelCatalogue* NewQelDepartments(TDialogServices& services, QWidget* parent = nullptr) {
    return new TfrmQelCatalogue(services, TCatalogueDialogKind::Departments, parent);
}

} // namespace qel
