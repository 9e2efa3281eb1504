#pragma once

#include "dialogs/CatalogueLogic.h"
#include "dialogs/MainWindowHooks.h"
#include "dialogs/QelDialog.h"

#include <memory>

class QLineEdit;
class QListWidget;
class QPushButton;

namespace qel {

class TListBoxChoices;

// The maintenance dialog of a catalogue: "Administer Statuses"
// (TfrmQelStatuses) or "Administer Departments" (TfrmQelDepartments), one
// class configured by its kind. A sorted list of the catalogue, an edit box
// for a name, and Add, Delete and Update.
class TfrmQelCatalogue : public TQelDialog {
    Q_OBJECT
public:
    TfrmQelCatalogue(TDialogServices& services, TCatalogueDialogKind kind, QWidget* parent = nullptr);
    ~TfrmQelCatalogue() override;

    TCatalogueLogic& Logic() { return FLogic; }
    // The enabling rules of Add, Delete and Update.
    void UpdateActions();

    void ListClick();
    void actAddExecute();
    void actDeleteExecute();
    void actUpdateExecute();

    // lstStatuses / lstDepartments and txtStatus / txtDepartment.
    QListWidget* List = nullptr;
    QLineEdit* Edit = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnHelp = nullptr;

protected:
    void FormShow() override;

private:
    bool ItemSelected() const;

    TCatalogueLogic FLogic;
    std::unique_ptr<TListBoxChoices> FItems;
};

// The two configurations.
using TfrmQelStatuses = TfrmQelCatalogue;
inline TfrmQelCatalogue* NewQelStatuses(TDialogServices& services, QWidget* parent = nullptr) {
    return new TfrmQelCatalogue(services, TCatalogueDialogKind::Statuses, parent);
}

} // namespace qel
