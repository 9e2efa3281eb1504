#pragma once

#include "app/DatabaseWizardLogic.h"
#include "records/QelContext.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QRadioButton;
class QStackedWidget;

namespace qel {

// The database wizard window: join an existing database folder or create a
// new one. Its rules live in TDatabaseWizardLogic; the close box acts as
// Cancel.
class TfrmDatabaseWizard : public QDialog, public IDatabaseWizard, public IFolderPicker {
    Q_OBJECT
public:
    // Every reference must outlive the window.
    TfrmDatabaseWizard(TPlatform& platform, TIniFile& settings, TQelFile& users, IMessageBoxes& boxes, IAppControl& app,
                       QWidget* parent = nullptr);
    ~TfrmDatabaseWizard() override;

    TDatabaseWizardLogic& Logic() { return *FLogic; }

    // IDatabaseWizard: shows the wizard modally until it finishes or is cancelled.
    void Execute() override;
    // IFolderPicker: the folder-selection dialog (SelDirDialogMain).
    std::optional<std::string> ChooseFolder(const std::string& title) override;

    // Shows the page and the enabled state the rules report.
    void UpdateControls();

    QStackedWidget* NotebookMain = nullptr;
    QRadioButton* RadioButtonExisting = nullptr;
    QRadioButton* RadioButtonCreateNew = nullptr;
    QPushButton* btnPrevious = nullptr;
    QPushButton* btnNext = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void AfterNext();

    std::unique_ptr<TDatabaseWizardLogic> FLogic;
};

} // namespace qel
