#include "dialogs/SelectStatus.h"

#include "dialogs/WidgetAdapters.h"
#include "records/QelContext.h"
#include "settings/FormState.h"
#include "settings/SettingsKeys.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace qel {

TfrmSelectStatus::TfrmSelectStatus(TDialogServices& services, QWidget* parent)
    : TQelDialog(parent), FServices(services), FLogic(services) {
    setObjectName("frmSelectStatus");
    SetCentredOnScreen();
    setWindowTitle(SelectStatusCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    ListBoxSelectStatus = new QListWidget(this);
    ListBoxSelectStatus->setSelectionMode(QAbstractItemView::SingleSelection);
    FItems = std::make_unique<TListBoxChoices>(ListBoxSelectStatus, true);
    btnClose = new QPushButton("&Close", this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListBoxSelectStatus, 1);
    layout->addWidget(btnClose, 0, Qt::AlignRight);

    connect(ListBoxSelectStatus, &QListWidget::itemClicked, this, [this] { ListBoxSelectStatusClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { reject(); });
    ResizeToFitCaption(220, 260);
}

TfrmSelectStatus::~TfrmSelectStatus() = default;

void TfrmSelectStatus::showEvent(QShowEvent* event) {
    // The saved place is taken before the first opening shows the window.
    if (!event->spontaneous() && !FPlacementRestored) {
        FPlacementRestored = true;
        const TFormStateStore store(FServices.Settings);
        if (const auto placement = store.ReadPlacement(keys::FrmSelectStatus);
            placement && placement->Right > placement->Left && placement->Bottom > placement->Top)
            setGeometry(placement->Left, placement->Top, placement->Right - placement->Left,
                        placement->Bottom - placement->Top);
    }
    TQelDialog::showEvent(event);
}

void TfrmSelectStatus::FormShow() {
    FLogic.Show(*FItems);
}

void TfrmSelectStatus::ListBoxSelectStatusClick() {
    if (FItems->SelectedIndex() < 0)
        return;
    accept();
    FLogic.Click(*FItems);
}

void TfrmSelectStatus::FormClose() {
    const QRect frame = geometry();
    TWindowPlacement placement;
    placement.Left = frame.left();
    placement.Top = frame.top();
    placement.Right = frame.left() + frame.width();
    placement.Bottom = frame.top() + frame.height();
    try {
        TFormStateStore(FServices.Settings).WritePlacement(keys::FrmSelectStatus, placement);
    } catch (const EIniFileError& error) {
        FServices.Context.Boxes.ShowError(error.what());
    }
}

} // namespace qel
