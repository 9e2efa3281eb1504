#include "dialogs/QelMessageInBox.h"

#include "dialogs/WidgetAdapters.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace qel {

void TInBoxListView::BeginUpdate() {
    FList->setUpdatesEnabled(false);
}

void TInBoxListView::Clear() {
    FList->clear();
}

void TInBoxListView::AddItem(const TInBoxRow& row) {
    auto* item = new QTreeWidgetItem(FList);
    item->setText(0, Q(row.Caption));
    for (size_t i = 0; i < row.SubItems.size(); ++i)
        item->setText(static_cast<int>(i) + 1, Q(row.SubItems[i]));
}

void TInBoxListView::EndUpdate() {
    FList->setUpdatesEnabled(true);
}

void TLabelPanels::SetPanelText(int panel, const std::string& text) {
    if (panel >= 0 && panel < static_cast<int>(Panels.size()))
        Panels[static_cast<size_t>(panel)]->setText(Q(text));
}

TfrmQelMessageInBox::TfrmQelMessageInBox(TDialogServices& services, QWidget* parent)
    : TQelDialog(parent), FServices(services), FLogic(services) {
    setObjectName("frmQelMessageInBox");
    SetCentredOnScreen();
    setWindowTitle(InBoxCaption);
    setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);

    auto* menuBar = new QToolBar(this);
    auto* fileButton = new QToolButton(menuBar);
    fileButton->setText("&File");
    fileButton->setPopupMode(QToolButton::InstantPopup);
    auto* fileMenu = new QMenu(fileButton);
    actFileExit = fileMenu->addAction("E&xit");
    fileButton->setMenu(fileMenu);
    menuBar->addWidget(fileButton);

    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    actDeleteMessage = tools->addAction(QIcon(":/icons/small-20.svg"), "&Delete");
    actDeleteMessage->setToolTip("Delete selected message");

    ListViewInBox = new QTreeWidget(this);
    ListViewInBox->setRootIsDecorated(false);
    ListViewInBox->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewInBox->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewInBox->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewInBox->setHeaderLabels({"From", "Subject", "Type", "PrimaryKey", "Received"});
    ListViewInBox->header()->setSectionResizeMode(ColFrom, QHeaderView::ResizeToContents);
    ListViewInBox->header()->setSectionResizeMode(ColSubject, QHeaderView::ResizeToContents);
    ListViewInBox->header()->setSectionResizeMode(ColReceived, QHeaderView::ResizeToContents);
    ListViewInBox->header()->setMinimumSectionSize(0);
    ListViewInBox->setColumnWidth(ColType, 40);
    ListViewInBox->setColumnHidden(ColPrimaryKey, true);
    FListView = std::make_unique<TInBoxListView>(ListViewInBox);

    memoMessageConntent = new QPlainTextEdit(this);
    memoMessageConntent->setReadOnly(true);
    memoMessageConntent->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont font = memoMessageConntent->font();
    font.setPixelSize(13);
    memoMessageConntent->setFont(font);
    QPalette palette = memoMessageConntent->palette();
    palette.setColor(QPalette::Text, Qt::blue);
    memoMessageConntent->setPalette(palette);

    SplitterMain = new QSplitter(Qt::Vertical, this);
    SplitterMain->addWidget(ListViewInBox);
    SplitterMain->addWidget(memoMessageConntent);
    SplitterMain->setStretchFactor(0, 69);
    SplitterMain->setStretchFactor(1, 31);
    SplitterMain->setSizes({69, 31});

    auto* statusBar = new QHBoxLayout;
    const int widths[] = {120, 120, 50};
    for (int width : widths) {
        QLabel* panel = PlainLabel("", this);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setMinimumWidth(width);
        statusBar->addWidget(panel, width == 50 ? 1 : 0);
        StatusBarMain.Panels.push_back(panel);
    }
    StatusBarMain.SetPanelText(0, "New messages =");
    StatusBarMain.SetPanelText(1, "Old messages =");
    StatusBarMain.SetPanelText(2, "Total messages =");

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addWidget(tools);
    layout->addWidget(SplitterMain, 1);
    layout->addLayout(statusBar);

    connect(actFileExit, &QAction::triggered, this, [this] { reject(); });
    connect(actDeleteMessage, &QAction::triggered, this, &TfrmQelMessageInBox::actDeleteMessageExecute);
    connect(ListViewInBox, &QTreeWidget::itemClicked, this, [this] { ListViewInBoxClick(); });
    RegisterIdleHandler(services, this, [this] { UpdateActions(); });
    resize(520, 400);
}

TfrmQelMessageInBox::~TfrmQelMessageInBox() = default;

void TfrmQelMessageInBox::FormShow() {
    FLogic.Show(*FListView, StatusBarMain);
    resize(width() + 1, height());
    memoMessageConntent->clear();
    UpdateActions();
}

void TfrmQelMessageInBox::UpdateActions() {
    actDeleteMessage->setEnabled(TInBoxLogic::DeleteEnabled(!ListViewInBox->selectedItems().isEmpty()));
}

void TfrmQelMessageInBox::ListViewInBoxClick() {
    const QList<QTreeWidgetItem*> selected = ListViewInBox->selectedItems();
    if (selected.isEmpty())
        return;
    const std::string key = S(selected.first()->text(ColPrimaryKey));
    const std::string type = S(selected.first()->text(ColType));
    const bool opening = type == "New";
    if (opening)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    memoMessageConntent->setPlainText(Q(FLogic.Open(key, type)));
    if (opening)
        QApplication::restoreOverrideCursor();
}

void TfrmQelMessageInBox::actDeleteMessageExecute() {
    const QList<QTreeWidgetItem*> selected = ListViewInBox->selectedItems();
    if (selected.isEmpty())
        return;
    const std::string key = S(selected.first()->text(ColPrimaryKey));
    if (FLogic.Delete(key, *FListView, StatusBarMain))
        memoMessageConntent->clear();
    UpdateActions();
}

void TfrmQelMessageInBox::FormClose() {
    FLogic.Close();
}

} // namespace qel
