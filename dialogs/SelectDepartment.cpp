#include "dialogs/SelectDepartment.h"

#include "dialogs/WidgetAdapters.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qel {

TfrmSelectDepartment::TfrmSelectDepartment(TDialogServices& services, QWidget* parent)
    : TQelDialog(parent), FLogic(services) {
    setObjectName("frmSelectDepartment");
    SetCentredOnScreen();
    setWindowTitle(SelectDepartmentCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    ListBoxSelectDepartment = new QListWidget(this);
    ListBoxSelectDepartment->setSelectionMode(QAbstractItemView::SingleSelection);
    FItems = std::make_unique<TListBoxChoices>(ListBoxSelectDepartment, true);
    btnClose = new QPushButton("&Close", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBoxSelectDepartment, 1);
    layout->addWidget(btnClose, 0, Qt::AlignRight);

    connect(ListBoxSelectDepartment, &QListWidget::itemClicked, this, [this] { ListBoxSelectDepartmentClick(); });
    connect(btnClose, &QPushButton::clicked, this, &TfrmSelectDepartment::btnCloseClick);
    ResizeToFitCaption(220, 260);
}

TfrmSelectDepartment::~TfrmSelectDepartment() = default;

void TfrmSelectDepartment::FormShow() {
    FLogic.Show(*FItems);
}

void TfrmSelectDepartment::ListBoxSelectDepartmentClick() {
    if (FItems->SelectedIndex() < 0)
        return;
    accept();
    FLogic.Click(*FItems);
}

void TfrmSelectDepartment::btnCloseClick() {
    FLogic.CloseClicked(*FItems);
    reject();
}

void TfrmSelectDepartment::keyPressEvent(QKeyEvent* event) {
    // Escape presses the cancel button, Close.
    if (event->key() == Qt::Key_Escape) {
        btnClose->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace qel
