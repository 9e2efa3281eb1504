#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/PickerLogic.h"
#include "dialogs/QelDialog.h"

#include <memory>

class QListWidget;
class QPushButton;

namespace qel {

class TListBoxChoices;

// "Please select status": a click on a catalogue status makes it this
// computer's status and closes the picker. Its position is kept in the
// settings file (section "TfrmSelectStatus").
class TfrmSelectStatus : public TQelDialog {
    Q_OBJECT
public:
    TfrmSelectStatus(TDialogServices& services, QWidget* parent = nullptr);
    ~TfrmSelectStatus() override;

    TSelectStatusLogic& Logic() { return FLogic; }
    void ListBoxSelectStatusClick();

    QListWidget* ListBoxSelectStatus = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void FormShow() override;
    void FormClose() override;

private:
    TDialogServices& FServices;
    TSelectStatusLogic FLogic;
    std::unique_ptr<TListBoxChoices> FItems;
    bool FPlacementRestored = false;
};

} // namespace qel
