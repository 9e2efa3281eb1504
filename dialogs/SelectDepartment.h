#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/PickerLogic.h"
#include "dialogs/QelDialog.h"

#include <memory>

class QListWidget;
class QPushButton;

namespace qel {

class TListBoxChoices;

// "Please select Department": a click filters the board to one department;
// Close without a choice shows every department again.
class TfrmSelectDepartment : public TQelDialog {
    Q_OBJECT
public:
    TfrmSelectDepartment(TDialogServices& services, QWidget* parent = nullptr);
    ~TfrmSelectDepartment() override;

    TSelectDepartmentLogic& Logic() { return FLogic; }
    void ListBoxSelectDepartmentClick();
    void btnCloseClick();

    QListWidget* ListBoxSelectDepartment = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void FormShow() override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    TSelectDepartmentLogic FLogic;
    std::unique_ptr<TListBoxChoices> FItems;
};

} // namespace qel
