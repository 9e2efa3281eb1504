#include "dialogs/QelStatuses.h"

#include "dialogs/WidgetAdapters.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qel {

TfrmQelCatalogue::TfrmQelCatalogue(TDialogServices& services, TCatalogueDialogKind kind, QWidget* parent)
    : TQelDialog(parent), FLogic(services, kind) {
    const TCatalogueDialogTexts& texts = FLogic.Texts();
    setObjectName(QString(texts.FormName).mid(1));
    setWindowTitle(texts.Caption);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setMinimumSize(309, 309);
    setSizeGripEnabled(true);

    List = new QListWidget(this);
    List->setObjectName(texts.ListName);
    List->setSelectionMode(QAbstractItemView::SingleSelection);
    FItems = std::make_unique<TListBoxChoices>(List, true);

    Edit = new QLineEdit(this);
    Edit->setObjectName(texts.EditName);
    Edit->setToolTip(texts.EditHint);
    LimitText(Edit, texts.EditLimit);

    btnAdd = new QPushButton("&Add", this);
    btnAdd->setToolTip(texts.AddHint);
    btnAdd->setDefault(true);
    btnDelete = new QPushButton("&Delete", this);
    btnDelete->setToolTip(texts.DeleteHint);
    btnUpdate = new QPushButton("&Update", this);
    btnUpdate->setToolTip(texts.UpdateHint);
    btnClose = new QPushButton("&Close", this);
    btnHelp = new QPushButton("&Help", this);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(btnAdd);
    buttons->addWidget(btnDelete);
    buttons->addWidget(btnUpdate);
    buttons->addStretch(1);
    buttons->addWidget(btnClose);
    buttons->addWidget(btnHelp);

    auto* layout = new QGridLayout(this);
    layout->addWidget(List, 0, 0);
    layout->addLayout(buttons, 0, 1, 3, 1);
    layout->addWidget(PlainLabel(texts.Prompt, this), 1, 0);
    layout->addWidget(Edit, 2, 0);
    layout->setRowStretch(0, 1);
    layout->setColumnStretch(0, 1);

    connect(List, &QListWidget::itemClicked, this, [this] { ListClick(); });
    connect(btnAdd, &QPushButton::clicked, this, &TfrmQelCatalogue::actAddExecute);
    connect(btnDelete, &QPushButton::clicked, this, &TfrmQelCatalogue::actDeleteExecute);
    connect(btnUpdate, &QPushButton::clicked, this, &TfrmQelCatalogue::actUpdateExecute);
    connect(btnClose, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { FLogic.Help(); });
    // Every change of the controls re-evaluates the rules at once as well.
    connect(Edit, &QLineEdit::textChanged, this, [this] { UpdateActions(); });
    connect(List, &QListWidget::itemSelectionChanged, this, [this] { UpdateActions(); });
    RegisterIdleHandler(services, this, [this] { UpdateActions(); });
    resize(309, 309);
}

TfrmQelCatalogue::~TfrmQelCatalogue() = default;

bool TfrmQelCatalogue::ItemSelected() const {
    return FItems->SelectedIndex() >= 0;
}

void TfrmQelCatalogue::UpdateActions() {
    const std::string text = S(Edit->text());
    btnAdd->setEnabled(TCatalogueLogic::AddEnabled(text));
    btnDelete->setEnabled(FLogic.DeleteEnabled(ItemSelected()));
    btnUpdate->setEnabled(FLogic.UpdateEnabled(ItemSelected(), text));
}

void TfrmQelCatalogue::FormShow() {
    FLogic.Show(*FItems);
    Edit->clear();
    Edit->setFocus();
    UpdateActions();
}

void TfrmQelCatalogue::ListClick() {
    FLogic.Click(*FItems);
    UpdateActions();
}

void TfrmQelCatalogue::actAddExecute() {
    UpdateActions();
    if (!btnAdd->isEnabled())
        return;
    FLogic.Add(S(Edit->text()), *FItems);
    UpdateActions();
}

void TfrmQelCatalogue::actDeleteExecute() {
    UpdateActions();
    if (!btnDelete->isEnabled())
        return;
    FLogic.Delete(*FItems);
    UpdateActions();
}

void TfrmQelCatalogue::actUpdateExecute() {
    UpdateActions();
    if (!btnUpdate->isEnabled())
        return;
    FLogic.Update(S(Edit->text()), *FItems);
    UpdateActions();
}

} // namespace qel
