#include "dialogs/QelUsers.h"

#include "dialogs/WidgetAdapters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qel {

TfrmQelUsers::TfrmQelUsers(TDialogServices& services, QWidget* parent) : TQelDialog(parent), FLogic(services) {
    setObjectName("frmQelUsers");
    setWindowTitle(UsersCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(374, 373);
    setSizeGripEnabled(true);

    ListBoxQelUsers = new QListWidget(this);
    ListBoxQelUsers->setSelectionMode(QAbstractItemView::SingleSelection);
    QFont font = ListBoxQelUsers->font();
    font.setPixelSize(13);
    ListBoxQelUsers->setFont(font);
    QPalette palette = ListBoxQelUsers->palette();
    palette.setColor(QPalette::Text, Qt::blue);
    ListBoxQelUsers->setPalette(palette);
    FUsers = std::make_unique<TListBoxChoices>(ListBoxQelUsers, false);

    txtName = new QLineEdit(this);
    LimitText(txtName, limits::UserName);
    cboStatus = new QComboBox(this);
    cboStatus->setMaxVisibleItems(11);
    FStatuses = std::make_unique<TComboChoices>(cboStatus, true);
    cboDepartment = new QComboBox(this);
    FDepartments = std::make_unique<TComboChoices>(cboDepartment, true);
    txtComputerName = new QLineEdit(this);
    txtComputerName->setReadOnly(true);
    txtComputerName->setBackgroundRole(QPalette::Button);
    txtComputerName->setAutoFillBackground(true);
    {
        QPalette face = txtComputerName->palette();
        face.setColor(QPalette::Base, face.color(QPalette::Button));
        txtComputerName->setPalette(face);
    }
    txtComments = new QLineEdit(this);
    LimitText(txtComments, limits::Comments);
    txtExtension = new QLineEdit(this);
    LimitText(txtExtension, limits::Extension);
    chkboxAdministrator = new QCheckBox("Administrator", this);

    btnUpdate = new QPushButton("&Update", this);
    btnDelete = new QPushButton("&Delete", this);
    btnClose = new QPushButton("&Close", this);
    btnHelp = new QPushButton("&Help", this);

    auto* form = new QFormLayout;
    form->addRow(PlainLabel("Name", this), txtName);
    form->addRow(PlainLabel("Status", this), cboStatus);
    form->addRow(PlainLabel("Department", this), cboDepartment);
    form->addRow(PlainLabel("Computer Name", this), txtComputerName);
    form->addRow(PlainLabel("Comments", this), txtComments);
    form->addRow(PlainLabel("Extension", this), txtExtension);
    form->addRow(QString(), chkboxAdministrator);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnUpdate);
    buttons->addWidget(btnDelete);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    buttons->addWidget(btnHelp);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBoxQelUsers, 1);
    layout->addLayout(form);
    layout->addLayout(buttons);

    connect(ListBoxQelUsers, &QListWidget::itemClicked, this, [this] { ListBoxQelUsersClick(); });
    connect(ListBoxQelUsers, &QListWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
    connect(btnUpdate, &QPushButton::clicked, this, &TfrmQelUsers::actUpdateExecute);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmQelUsers::actDeleteExecute);
    connect(btnClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { FLogic.Help(); });
    RegisterIdleHandler(services, this, [this] { UpdateActions(); });
    resize(374, 420);
}

TfrmQelUsers::~TfrmQelUsers() = default;

void TfrmQelUsers::SetTxtName(const std::string& text) {
    txtName->setText(Q(text));
}
void TfrmQelUsers::SetTxtComments(const std::string& text) {
    txtComments->setText(Q(text));
}
void TfrmQelUsers::SetTxtExtension(const std::string& text) {
    txtExtension->setText(Q(text));
}
void TfrmQelUsers::SetTxtComputerName(const std::string& text) {
    txtComputerName->setText(Q(text));
}
void TfrmQelUsers::SetChkboxAdministrator(bool checked) {
    chkboxAdministrator->setChecked(checked);
}

void TfrmQelUsers::FormShow() {
    txtName->clear();
    txtComputerName->clear();
    txtComments->clear();
    txtExtension->clear();
    chkboxAdministrator->setChecked(false);
    FLogic.Show(*FUsers, *FStatuses, *FDepartments);
    btnClose->setFocus();
    UpdateActions();
}

void TfrmQelUsers::UpdateActions() {
    btnUpdate->setEnabled(TUsersLogic::UpdateEnabled(*FUsers));
    btnDelete->setEnabled(TUsersLogic::DeleteEnabled(*FUsers));
}

void TfrmQelUsers::ListBoxQelUsersClick() {
    FLogic.Select(*FUsers, *this, *FStatuses, *FDepartments);
    UpdateActions();
}

void TfrmQelUsers::actUpdateExecute() {
    if (!TUsersLogic::UpdateEnabled(*FUsers))
        return;
    TUserEdits edits{S(txtName->text()), S(txtComments->text()), S(txtExtension->text()), S(txtComputerName->text()),
                     chkboxAdministrator->isChecked()};
    FLogic.Update(edits, *FStatuses, *FDepartments, *FUsers);
    txtName->clear();
    txtComments->clear();
    txtExtension->clear();
    txtComputerName->clear();
    FStatuses->Select(-1);
    FDepartments->Select(-1);
    chkboxAdministrator->setChecked(false);
    UpdateActions();
}

void TfrmQelUsers::actDeleteExecute() {
    if (!TUsersLogic::DeleteEnabled(*FUsers))
        return;
    FLogic.Delete(S(txtName->text()), *FUsers);
    UpdateActions();
}

} // namespace qel
