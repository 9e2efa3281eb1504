#include "app/Main.h"

#include "app/IdleUpdates.h"
#include "app/Images.h"
#include "app/MainController.h"
#include "platform/DesktopDBus.h"
#include "settings/FormState.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyleOptionToolButton>
#include <QStylePainter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <cmath>

namespace qel {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A button of the window's menu bar: its menu opens on a click, and no
// drop-down arrow is drawn (a style sheet would do the same at a cost of a
// millisecond and more at every start).
class TMenuBarButton : public QToolButton {
public:
    using QToolButton::QToolButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionToolButton option;
        initStyleOption(&option);
        option.features &= ~QStyleOptionToolButton::HasMenu;
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
    }
};

constexpr int ColumnPcName = 5;
constexpr const char* MainSection = "TfrmMain";
constexpr const char* SplitterKey = "SplitterMain.Position";

// The form's pixel sizes were laid out for 8-point MS Sans Serif, whose
// lines are 13 pixels high.
constexpr double DesignLineHeight = 13.0;
constexpr int DesignWidth = 463;
constexpr int DesignHeight = 405;
constexpr int DesignMinimumWidth = 397;
constexpr int DesignMinimumHeight = 175;
constexpr int DesignTreeWidth = 89;
// Posted by every show; the first show's work runs when it arrives.
const QEvent::Type FirstShowEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

TfrmMain::TfrmMain(TPlatform& platform, IMainDialogs& dialogs, QWidget* parent) : QMainWindow(parent), FBoxes(this) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromLatin1(AllDepartmentsCaption));
    setWindowIcon(images::AppIcon());
    // A board is read at a glance while another window has the focus: its
    // hints show then too.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    tmrUpdateListView = new QTimer(this);
    tmrUpdateListView->setObjectName(QStringLiteral("tmrUpdateListView"));
    tmrUpdateListView->setInterval(5000);
    connect(tmrUpdateListView, &QTimer::timeout, this, [this] { FController->RefreshTick(); });
    tmrCheckForMessages = new QTimer(this);
    tmrCheckForMessages->setObjectName(QStringLiteral("tmrCheckForMessages"));
    tmrCheckForMessages->setInterval(10000);
    connect(tmrCheckForMessages, &QTimer::timeout, this, [this] { FController->MessageTick(); });
    // Runs while "Away from desk while my screen is locked" is on.
    tmrCheckScreenSaver = new QTimer(this);
    tmrCheckScreenSaver->setObjectName(QStringLiteral("tmrCheckScreenSaver"));
    tmrCheckScreenSaver->setInterval(5000);
    connect(tmrCheckScreenSaver, &QTimer::timeout, this, [this] { FController->ScreenLockTick(); });
    FTrayAnimation = new QTimer(this);
    FTrayAnimation->setInterval(1000);
    connect(FTrayAnimation, &QTimer::timeout, this, &TfrmMain::TrayAnimationStep);

    CreateBoard();
    FBoard = std::make_unique<TBoardListView>(ListViewMain);
    FTree = std::make_unique<TDepartmentTreeView>(TreeViewMain);
    FController =
        std::make_unique<TMainController>(platform, FBoxes, *this, *this, *this, *this, *FBoard, *FTree, dialogs);
    FWork = std::make_unique<TThreadWork>();
    FController->SetBackgroundWork(FWork.get());
    FDesktop = std::make_unique<TDBusDesktop>();
    FController->SetDesktop(FDesktop.get(), FDesktop.get());
    FBoard->Marked = [this](const std::string& computer) { return FController->Watched(computer); };
    CreateActions();
    CreateMenusAndBars();
    CreateTray();
    FitStartSizes();

    TIdleUpdates::Instance().Register(this, [this] { UpdateActions(); });
    UpdateActions();
}

TfrmMain::~TfrmMain() {
    FController->FormDestroy();
    // The dialogs work on the controller's objects: they go first.
    const QList<QDialog*> dialogs = findChildren<QDialog*>(Qt::FindDirectChildrenOnly);
    qDeleteAll(dialogs);
    if (TrayIcon)
        TrayIcon->hide();
}

QAction* TfrmMain::MakeAction(const char* name, const QString& caption, const QString& hint, const QKeySequence& key,
                              int image) {
    auto* action = new QAction(caption, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
        action->setStatusTip(hint);
        action->setToolTip(hint);
    }
    if (!key.isEmpty())
        action->setShortcut(key);
    if (image >= 0)
        action->setIcon(images::SmallPic(image));
    // Shortcuts work whichever bar or menu shows the command.
    addAction(action);
    return action;
}

void TfrmMain::CreateActions() {
    QAction** statusActions[BuiltInStatusCount] = {&actAtLunch,   &actAvailable,   &actAwayFromDesk,
                                                   &actDND,       &actGoneHome,    &actInMeeting,
                                                   &actOnHoliday, &actOutOfOffice, &actSick};
    for (int i = 0; i < BuiltInStatusCount; ++i) {
        const TStatusCommand& command = BuiltInStatusCommands[i];
        QAction* action = MakeAction(command.Name, QString::fromUtf8(command.Caption), QString::fromUtf8(command.Hint),
                                     QKeySequence(QString::fromLatin1(command.Key)), command.Image);
        const std::string status = command.Status;
        connect(action, &QAction::triggered, this, [this, status] { FController->SetStatus(status); });
        *statusActions[i] = action;
    }
    actCustomStatus = MakeAction("actCustomStatus", tr("Custom Status..."), tr("Choose other status..."),
                                 QKeySequence(QStringLiteral("Ctrl+C")), images::CustomStatus);
    connect(actCustomStatus, &QAction::triggered, this, [this] { FController->ShowDialog(TMainDialog::CustomStatus); });
    actComments = MakeAction("actComments", tr("Comment..."), tr("Add a comment..."),
                             QKeySequence(QStringLiteral("Ctrl+T")), images::Comments);
    connect(actComments, &QAction::triggered, this, [this] { FController->ShowDialog(TMainDialog::Comments); });

    actFileExit = MakeAction("actFileExit", tr("E&xit Qel"), tr("Exit Qel"), QKeySequence(QStringLiteral("Ctrl+X")),
                             images::FileExit);
    connect(actFileExit, &QAction::triggered, this, [this] { FController->FileExit(); });
    actSettings = MakeAction("actSettings", tr("Settings..."), tr("Display your settings"),
                             QKeySequence(QStringLiteral("Ctrl+S")), images::Settings);
    connect(actSettings, &QAction::triggered, this, [this] { FController->ShowDialog(TMainDialog::Settings); });

    actUsers = MakeAction("actUsers", tr("Users..."), tr("Administer Users"), {}, images::Users);
    connect(actUsers, &QAction::triggered, this, [this] { FController->ShowDialog(TMainDialog::Users); });
    actDepartments =
        MakeAction("actDepartments", tr("Departments..."), tr("Administer Departments"), {}, images::Departments);
    connect(actDepartments, &QAction::triggered, this, [this] { FController->ShowDialog(TMainDialog::Departments); });
    actStatuses = MakeAction("actStatuses", tr("Statuses..."), tr("Administer Statuses"), {}, images::Statuses);
    connect(actStatuses, &QAction::triggered, this, [this] { FController->ShowDialog(TMainDialog::Statuses); });

    actSendMessage = MakeAction("actSendMessage", tr("Send Message..."), {}, {}, images::SendMessage);
    connect(actSendMessage, &QAction::triggered, this, [this] {
        QTreeWidgetItem* row = ListViewMain->currentItem();
        if (row && row->isSelected())
            FController->SendMessage(row->text(ColumnPcName).toStdString());
    });
    actVeiwInBox = MakeAction("actVeiwInBox", tr("View My &InBox"), tr("View my InBox"), {}, images::InBox);
    connect(actVeiwInBox, &QAction::triggered, this, [this] { FController->ViewInBox(); });
    actFilterOnDepartment = MakeAction("actFilterOnDepartment", tr("Filter on Department"), tr("Filter on Department"),
                                       {}, images::FilterOnDepartment);
    connect(actFilterOnDepartment, &QAction::triggered, this,
            [this] { FController->ShowDialog(TMainDialog::SelectDepartment); });

    actHelpOnQel = MakeAction("actHelpOnQel", tr("Help on Qel"), tr("Help on Qel"), QKeySequence(Qt::Key_F1), 13);
    connect(actHelpOnQel, &QAction::triggered, this, [this] { FController->HelpOnQel(); });
    actHelpAbout = MakeAction("actHelpAbout", tr("About"), tr("About Qel"), {}, -1);
    connect(actHelpAbout, &QAction::triggered, this, [this] { FController->HelpAbout(); });

    actWatchStatus = new QAction(tr("Notify Me When Status Changes"), this);
    actWatchStatus->setObjectName(QStringLiteral("actWatchStatus"));
    actWatchStatus->setCheckable(true);
    connect(actWatchStatus, &QAction::triggered, this, [this] {
        QTreeWidgetItem* row = ListViewMain->currentItem();
        if (row && row->isSelected())
            FController->ToggleWatch(row->text(ColumnPcName).toStdString());
    });

    mnuToolsSavePosition = new QAction(tr("Remember position"), this);
    mnuToolsSavePosition->setObjectName(QStringLiteral("mnuToolsSavePosition"));
    mnuToolsSavePosition->setCheckable(true);
    mnuToolsSavePosition->setChecked(true);
}

void TfrmMain::CreateBoard() {
    SplitterMain = new QSplitter(Qt::Horizontal, this);
    SplitterMain->setObjectName(QStringLiteral("SplitterMain"));

    TreeViewMain = new QTreeWidget(SplitterMain);
    TreeViewMain->setObjectName(QStringLiteral("TreeViewMain"));
    TreeViewMain->setHeaderHidden(true);
    TreeViewMain->setIndentation(19);
    TreeViewMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The one column is as wide as its longest name; the view scrolls
    // sideways from its left edge when the pane is narrower.
    TreeViewMain->header()->setStretchLastSection(false);
    TreeViewMain->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    connect(TreeViewMain, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        FController->TreeClick(item ? std::optional<std::string>(item->text(0).toStdString()) : std::nullopt);
    });

    ListViewMain = new QTreeWidget(SplitterMain);
    ListViewMain->setObjectName(QStringLiteral("ListViewMain"));
    ListViewMain->setColumnCount(6);
    ListViewMain->setHeaderLabels(
        {tr("User"), tr("Status"), tr("Ext"), tr("Department"), tr("Comments..."), tr("PC Name")});
    ListViewMain->setRootIsDecorated(false);
    ListViewMain->setItemsExpandable(false);
    ListViewMain->setUniformRowHeights(true);
    ListViewMain->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewMain->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewMain->setSortingEnabled(false);
    ListViewMain->setToolTip(tr("Right click for options..."));
    ListViewMain->header()->setMinimumSectionSize(0);
    ListViewMain->header()->setStretchLastSection(false);
    ListViewMain->setColumnHidden(ColumnPcName, true);
    QFont listFont = ListViewMain->font();
    listFont.setPointSize(10);
    ListViewMain->setFont(listFont);
    QPalette listPalette = ListViewMain->palette();
    listPalette.setColor(QPalette::Text, Qt::blue);
    ListViewMain->setPalette(listPalette);
    ListViewMain->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListViewMain, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* row = ListViewMain->currentItem();
        const bool selected = row && row->isSelected();
        actWatchStatus->setEnabled(selected);
        actWatchStatus->setChecked(selected && FController->Watched(row->text(ColumnPcName).toStdString()));
        popmnuMain->popup(ListViewMain->viewport()->mapToGlobal(pos));
    });
    connect(ListViewMain, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item && actSendMessage->isEnabled())
            actSendMessage->trigger();
    });

    SplitterMain->addWidget(TreeViewMain);
    SplitterMain->addWidget(ListViewMain);
    SplitterMain->setStretchFactor(1, 1);
    setCentralWidget(SplitterMain);

    StatusPanel0 = new QLabel(this);
    StatusPanel0->setObjectName(QStringLiteral("StatusPanel0"));
    StatusPanel0->setTextFormat(Qt::PlainText);
    StatusPanel0->setMinimumWidth(50);
    statusBar()->setObjectName(QStringLiteral("StatusBarMain"));
    statusBar()->addWidget(StatusPanel0, 1);
}

void TfrmMain::CreateMenusAndBars() {
    QAction* statusActions[] = {actAtLunch,   actAvailable, actAwayFromDesk, actDND,  actGoneHome,
                                actInMeeting, actOnHoliday, actOutOfOffice,  actSick, actCustomStatus};

    auto* mnuFile = new QMenu(tr("&File"), this);
    mnuFile->addAction(actFileExit);
    auto* mnuStatus = new QMenu(tr("&Status"), this);
    for (QAction* action : statusActions)
        mnuStatus->addAction(action);
    auto* mnuView = new QMenu(tr("&View"), this);
    // The in-box command reads "My InBox" in this menu.
    auto* mnuViewInBox = mnuView->addAction(actVeiwInBox->icon(), tr("My &InBox"));
    mnuViewInBox->setObjectName(QStringLiteral("mnuViewInBox"));
    mnuViewInBox->setStatusTip(actVeiwInBox->statusTip());
    connect(mnuViewInBox, &QAction::triggered, actVeiwInBox, &QAction::trigger);
    connect(actVeiwInBox, &QAction::changed, mnuViewInBox,
            [mnuViewInBox, this] { mnuViewInBox->setEnabled(actVeiwInBox->isEnabled()); });
    mnuView->addAction(actFilterOnDepartment);
    auto* mnuTools = new QMenu(tr("&Tools"), this);
    mnuTools->addAction(actSettings);
    mnuTools->addAction(mnuToolsSavePosition);
    auto* mnuHelp = new QMenu(tr("&Help"), this);
    mnuHelp->addAction(actHelpAbout);
    mnuHelp->addAction(actHelpOnQel);

    tbrMenu = new QToolBar(tr("Menu"), this);
    tbrMenu->setObjectName(QStringLiteral("tbrMenu"));
    tbrMenu->setMovable(false);
    tbrMenu->setFloatable(false);
    for (QMenu* menu : {mnuFile, mnuStatus, mnuView, mnuTools, mnuHelp}) {
        auto* button = new TMenuBarButton(tbrMenu);
        button->setText(menu->title());
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setAutoRaise(true);
        button->setObjectName(QStringLiteral("tbrMenu_") + menu->title().remove(QLatin1Char('&')));
        tbrMenu->addWidget(button);
    }
    addToolBar(Qt::TopToolBarArea, tbrMenu);
    addToolBarBreak(Qt::TopToolBarArea);

    tbrTools = new QToolBar(tr("Tools"), this);
    tbrTools->setObjectName(QStringLiteral("tbrTools"));
    tbrTools->setMovable(false);
    tbrTools->setFloatable(false);
    tbrTools->setIconSize(QSize(16, 16));
    tbrTools->setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (QAction* action : statusActions)
        tbrTools->addAction(action);
    tbrTools->addSeparator();
    tbrTools->addAction(actComments);
    tbrTools->addSeparator();
    tbrTools->addAction(actSettings);
    tbrTools->addSeparator();
    tbrTools->addAction(actUsers);
    tbrTools->addAction(actDepartments);
    tbrTools->addAction(actStatuses);
    addToolBar(Qt::TopToolBarArea, tbrTools);

    popmnuMain = new QMenu(this);
    popmnuMain->setObjectName(QStringLiteral("popmnuMain"));
    for (QAction* action : statusActions)
        popmnuMain->addAction(action);
    popmnuMain->addSeparator();
    popmnuMain->addAction(actSendMessage);
    popmnuMain->addAction(actWatchStatus);
    popmnuMain->addSeparator();

    popMnuTrayIcon = new QMenu(this);
    popMnuTrayIcon->setObjectName(QStringLiteral("popMnuTrayIcon"));
    for (QAction* action : statusActions)
        popMnuTrayIcon->addAction(action);
}

void TfrmMain::CreateTray() {
    TrayIcon = new QSystemTrayIcon(this);
    TrayIcon->setObjectName(QStringLiteral("TrayIcon"));
    TrayIcon->setToolTip(QStringLiteral("Qel"));
    TrayIcon->setIcon(images::SmallPic(1));
    TrayIcon->setContextMenu(popMnuTrayIcon);
    connect(TrayIcon, &QSystemTrayIcon::activated, this, &TfrmMain::TrayIconActivated);
}

bool TfrmMain::FormCreate() {
    if (!FController->FormCreate())
        return false;
    RestoreFormState();
    if (QSystemTrayIcon::isSystemTrayAvailable())
        TrayIcon->show();
    return true;
}

void TfrmMain::RestoreFormState() {
    TFormStateStore store(FController->Settings());
    mnuToolsSavePosition->setChecked(store.ReadBool(MainSection, "mnuToolsSavePosition.Checked", true));
    // The splitter keeps pixel positions only once it is laid out: applied at
    // the first show. Without a stored one the tree is fitted to its texts.
    FSplitterPosition = store.ReadInt(MainSection, SplitterKey, -1);
    FFitTree = FSplitterPosition < 0;
    if (FFitTree)
        FSplitterPosition = Scaled(DesignTreeWidth);
    // The main window takes back its position only, not its show state.
    if (const std::optional<TWindowPlacement> placement = store.ReadPlacement(MainSection)) {
        const QRect saved(placement->Left, placement->Top, placement->Right - placement->Left,
                          placement->Bottom - placement->Top);
        // A place on a screen that is no longer there would leave the window
        // out of reach.
        const QScreen* screen = QGuiApplication::screenAt(saved.center());
        if (saved.isValid() && screen && screen->availableGeometry().intersects(saved))
            setGeometry(saved);
    }
    FFormStateRestored = true;
}

void TfrmMain::SaveFormState() {
    // A program that never got past its start (wizard left, second copy)
    // writes nothing.
    if (!FFormStateRestored || !FController->Shown())
        return;
    try {
        TFormStateStore store(FController->Settings());
        store.WriteBool(MainSection, "mnuToolsSavePosition.Checked", mnuToolsSavePosition->isChecked());
        store.WriteInt(MainSection, SplitterKey, SplitterMain->sizes().value(0, Scaled(DesignTreeWidth)));
        const QRect normal = isVisible() ? normalGeometry() : geometry();
        TWindowPlacement placement;
        placement.ShowCmd = isMaximized() ? 3 : (isMinimized() ? 2 : 1);
        placement.Left = normal.left();
        placement.Top = normal.top();
        placement.Right = normal.left() + normal.width();
        placement.Bottom = normal.top() + normal.height();
        store.WritePlacement(MainSection, placement);
    } catch (const EIniFileError& error) {
        FBoxes.ShowError(error.what());
    }
    FFormStateRestored = false;
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (FSplitterPosition >= 0) {
        const int total = SplitterMain->width();
        SplitterMain->setSizes({FSplitterPosition, std::max(0, total - FSplitterPosition)});
        FSplitterPosition = -1;
    }
    FitDepartmentTree();
    // The first show's work (wizard, questions) runs once the window is on
    // screen, ahead of its first paint, so the board is drawn once, filled;
    // later shows do nothing.
    QCoreApplication::postEvent(this, new QEvent(FirstShowEvent), Qt::HighEventPriority);
}

void TfrmMain::customEvent(QEvent* event) {
    if (event->type() != FirstShowEvent)
        return QMainWindow::customEvent(event);
    FController->FormShow();
    FitDepartmentTree();
}

bool TfrmMain::Start() {
    // At a first start the database wizard comes alone: the board window
    // appears once there is a database to show.
    const TIniFile& settings = FController->Settings();
    if (settings.ReadString(keys::Locations, keys::DBaseLocation, keys::NotEntered) == keys::NotEntered) {
        FController->FormShow();
        if (!FController->Shown())
            return false;
    }
    show();
    return true;
}

int TfrmMain::Scaled(int designPixels) const {
    return static_cast<int>(std::lround(designPixels * std::max(1.0, fontMetrics().height() / DesignLineHeight)));
}

void TfrmMain::FitStartSizes() {
    // Every tool button stays in reach at the smallest width: none goes
    // behind the tool bar's overflow button.
    const int bars = std::max(tbrTools->sizeHint().width(), tbrMenu->sizeHint().width());
    FNormalMinimumWidth = std::max(Scaled(DesignMinimumWidth), bars);
    setMinimumSize(FNormalMinimumWidth, Scaled(DesignMinimumHeight));
    resize(std::max(Scaled(DesignWidth), FNormalMinimumWidth), Scaled(DesignHeight));
}

void TfrmMain::FitDepartmentTree() {
    if (!FFitTree || TreeViewMain->topLevelItemCount() == 0 || !isVisible())
        return;
    FFitTree = false;
    TreeViewMain->expandAll();
    // The widest name with its indentation, the frame and room for a
    // vertical scroll bar; never more than half the window.
    const int texts = static_cast<QAbstractItemView*>(TreeViewMain)->sizeHintForColumn(0) +
                      2 * TreeViewMain->frameWidth() + TreeViewMain->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int total = SplitterMain->width();
    const int tree = std::min(std::max(Scaled(DesignTreeWidth), texts), total / 2);
    SplitterMain->setSizes({tree, std::max(0, total - tree)});
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    if (FClosing || FController->TerminateRequested()) {
        SaveFormState();
        FController->FormClose();
        event->accept();
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
        return;
    }
    // The close box keeps the program running in the notification area.
    event->ignore();
    if (QSystemTrayIcon::isSystemTrayAvailable() && TrayIcon->isVisible())
        hide();
    else
        showMinimized();
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && QSystemTrayIcon::isSystemTrayAvailable() &&
        TrayIcon->isVisible())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void TfrmMain::TrayIconActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason != QSystemTrayIcon::DoubleClick)
        return;
    FController->TrayDoubleClick();
    RestoreFromTray();
}

void TfrmMain::RestoreFromTray() {
    showNormal();
    raise();
    activateWindow();
}

void TfrmMain::TrayAnimationStep() {
    FAnimationFrame = (FAnimationFrame + 1) % 2;
    TrayIcon->setIcon(images::NewMailFrame(FAnimationFrame));
}

void TfrmMain::UpdateActions() {
    QTreeWidgetItem* row = ListViewMain->currentItem();
    const TCommandStates states = FController->CommandStates(row && row->isSelected());
    for (QAction* action : {actAtLunch, actAvailable, actAwayFromDesk, actDND, actGoneHome, actInMeeting, actOnHoliday,
                            actOutOfOffice, actSick})
        action->setEnabled(states.StatusCommands);
    actCustomStatus->setEnabled(states.CustomStatus);
    actComments->setEnabled(states.Comments);
    actSettings->setEnabled(states.Settings);
    actUsers->setEnabled(states.Users);
    actDepartments->setEnabled(states.Departments);
    actStatuses->setEnabled(states.Statuses);
    actSendMessage->setEnabled(states.SendMessage);
    actVeiwInBox->setEnabled(states.ViewInBox);
    actFilterOnDepartment->setEnabled(states.FilterOnDepartment);
}

// IMainView

void TfrmMain::SetRefreshTimerEnabled(bool enabled) {
    enabled ? tmrUpdateListView->start() : tmrUpdateListView->stop();
}

bool TfrmMain::RefreshTimerEnabled() const {
    return tmrUpdateListView->isActive();
}

void TfrmMain::SetMessageTimerEnabled(bool enabled) {
    enabled ? tmrCheckForMessages->start() : tmrCheckForMessages->stop();
}

bool TfrmMain::MessageTimerEnabled() const {
    return tmrCheckForMessages->isActive();
}

void TfrmMain::SetCaption(const std::string& caption) {
    setWindowTitle(Q(caption));
}

void TfrmMain::CloseWindow() {
    FClosing = true;
    close();
}

void TfrmMain::HideWindow() {
    hide();
}

void TfrmMain::SetStayOnTop(bool onTop) {
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

void TfrmMain::ShowColumns(bool ext, bool department, bool comments) {
    const bool shown[] = {ext, department, comments};
    for (int i = 0; i < 3; ++i) {
        if (shown[i])
            FBoard->FitColumn(2 + i);
    }
    for (int i = 0; i < 3; ++i) {
        if (!shown[i])
            ListViewMain->setColumnWidth(2 + i, 0);
    }
    resize(width() + 1, height());
}

void TfrmMain::ApplyShape(const TMainShape& shape) {
    const bool visible = isVisible();
    const bool mini = shape == MainShapeFor(true);
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowSystemMenuHint, shape.BorderIcons);
    flags.setFlag(Qt::WindowMinimizeButtonHint, shape.BorderIcons);
    flags.setFlag(Qt::WindowMaximizeButtonHint, shape.BorderIcons);
    flags.setFlag(Qt::CustomizeWindowHint, !shape.BorderIcons);
    setWindowFlags(flags);
    tbrMenu->setVisible(shape.ToolBarsVisible);
    tbrTools->setVisible(shape.ToolBarsVisible);
    ListViewMain->header()->setVisible(shape.ColumnHeadersVisible);
    if (shape.AutoWidthFirstFour)
        for (int column = 0; column < 4; ++column)
            FBoard->FitColumn(column);
    for (int column : shape.ZeroWidthColumns)
        ListViewMain->setColumnWidth(column, 0);
    if (mini) {
        // The narrow window is all board: the tree folds away until the
        // normal view brings it back at its width.
        if (FTreeWidthBeforeMini < 0)
            FTreeWidthBeforeMini = SplitterMain->sizes().value(0);
        setMinimumWidth(shape.MinimumWidth);
        resize(shape.Width, height());
        SplitterMain->setSizes({0, SplitterMain->width()});
    } else {
        // The normal view's widths grow with the font, as at the start.
        const int minimum = std::max(Scaled(shape.MinimumWidth), FNormalMinimumWidth);
        setMinimumWidth(minimum);
        resize(std::max(Scaled(shape.Width), minimum), height());
        if (FTreeWidthBeforeMini >= 0) {
            SplitterMain->setSizes({FTreeWidthBeforeMini, std::max(0, width() - FTreeWidthBeforeMini)});
            FTreeWidthBeforeMini = -1;
        }
    }
    // Changing the flags hides a window; bring it back as it was.
    if (visible)
        show();
}

void TfrmMain::SetNewMailAnimation(bool on) {
    if (on) {
        if (!FTrayAnimation->isActive()) {
            FAnimationFrame = 0;
            TrayIcon->setIcon(images::NewMailFrame(0));
            FTrayAnimation->start();
        }
    } else {
        FTrayAnimation->stop();
        TrayIcon->setIcon(images::SmallPic(FTrayImage));
    }
}

void TfrmMain::SetScreenLockTimerEnabled(bool enabled) {
    enabled ? tmrCheckScreenSaver->start() : tmrCheckScreenSaver->stop();
}

void TfrmMain::RequestAttention() {
    QApplication::alert(this);
}

void TfrmMain::RestoreWindow() {
    RestoreFromTray();
}

void TfrmMain::SetStatusText(const std::string& text) {
    StatusPanel0->setText(Q(text));
    // Texts such as "Locating messages..." must be seen while the work they
    // announce runs.
    StatusPanel0->repaint();
}

void TfrmMain::SetTrayImage(int imageIndex) {
    FTrayImage = imageIndex;
    if (!FTrayAnimation->isActive())
        TrayIcon->setIcon(images::SmallPic(imageIndex));
}

void TfrmMain::RequestTerminate() {
    FClosing = true;
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

} // namespace qel
