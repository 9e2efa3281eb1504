#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/QelDialog.h"
#include "dialogs/UsersLogic.h"
#include "records/QelFile.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qel {

class TComboChoices;
class TListBoxChoices;

// "Administer Qel Users": an administrator edits or deletes any user's entry.
class TfrmQelUsers : public TQelDialog, public IUserDetailsView {
    Q_OBJECT
public:
    TfrmQelUsers(TDialogServices& services, QWidget* parent = nullptr);
    ~TfrmQelUsers() override;

    TUsersLogic& Logic() { return FLogic; }
    void UpdateActions();

    void ListBoxQelUsersClick();
    void actUpdateExecute();
    void actDeleteExecute();

    // IUserDetailsView (the hidden status and department live in the logic).
    void SetTxtName(const std::string& text) override;
    void SetTxtStatus(const std::string&) override {}
    void SetTxtComments(const std::string& text) override;
    void SetTxtExtension(const std::string& text) override;
    void SetTxtDepartment(const std::string&) override {}
    void SetTxtComputerName(const std::string& text) override;
    void SetChkboxAdministrator(bool checked) override;

    QListWidget* ListBoxQelUsers = nullptr;
    QLineEdit* txtName = nullptr;
    QComboBox* cboStatus = nullptr;
    QComboBox* cboDepartment = nullptr;
    QLineEdit* txtComputerName = nullptr;
    QLineEdit* txtComments = nullptr;
    QLineEdit* txtExtension = nullptr;
    QCheckBox* chkboxAdministrator = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    QPushButton* btnHelp = nullptr;

protected:
    void FormShow() override;

private:
    TUsersLogic FLogic;
    std::unique_ptr<TListBoxChoices> FUsers;
    std::unique_ptr<TComboChoices> FStatuses;
    std::unique_ptr<TComboChoices> FDepartments;
};

} // namespace qel
