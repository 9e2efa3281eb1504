#pragma once

#include "app/BackgroundWork.h"
#include "app/BoardWidgets.h"
#include "app/MainView.h"
#include "app/QtMessageBoxes.h"
#include "dialogs/MainWindowHooks.h"
#include "records/UiPorts.h"

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QTimer;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;

namespace qel {

class TDBusDesktop;
class TMainController;
class TPlatform;

// The board window. It lays out the controls, turns their events into calls
// of the controller and draws what the controller asks for; the behaviour
// lives in TMainController.
class TfrmMain : public QMainWindow, public IMainView, public IStatusPanel, public ITrayImage, public IAppControl {
    Q_OBJECT
public:
    // `platform` and `dialogs` must outlive the window.
    TfrmMain(TPlatform& platform, IMainDialogs& dialogs, QWidget* parent = nullptr);
    ~TfrmMain() override;

    TMainController& Controller() { return *FController; }
    IMessageBoxes& Boxes() { return FBoxes; }
    // The board as every fill reaches it (through the controller's count).
    IBoardList& BoardList() { return FController->Board(); }

    // The creation step (single instance, program-wide objects); false when
    // the program must end at once.
    bool FormCreate();
    // Shows the window after FormCreate. At a first start (no database
    // folder yet) the first show's work, the wizard included, runs before
    // the window appears; false when it ended the program.
    bool Start();
    // Reshapes the window for mini view or normal view.
    void ApplyShape(const TMainShape& shape);

    // IMainView
    void SetRefreshTimerEnabled(bool enabled) override;
    bool RefreshTimerEnabled() const override;
    void SetMessageTimerEnabled(bool enabled) override;
    bool MessageTimerEnabled() const override;
    void SetCaption(const std::string& caption) override;
    void CloseWindow() override;
    void HideWindow() override;
    void SetStayOnTop(bool onTop) override;
    void ShowColumns(bool ext, bool department, bool comments) override;
    void SetNewMailAnimation(bool on) override;
    void SetScreenLockTimerEnabled(bool enabled) override;
    void RequestAttention() override;
    void RestoreWindow() override;

    // IStatusPanel
    void SetStatusText(const std::string& text) override;
    // ITrayImage
    void SetTrayImage(int imageIndex) override;
    // IAppControl
    void RequestTerminate() override;

    // Runs the "update" handlers of the commands now (the application runs
    // them whenever it is idle).
    void UpdateActions();

    // Commands, named as the form names them.
    QAction* actAtLunch = nullptr;
    QAction* actAvailable = nullptr;
    QAction* actAwayFromDesk = nullptr;
    QAction* actDND = nullptr;
    QAction* actGoneHome = nullptr;
    QAction* actInMeeting = nullptr;
    QAction* actOnHoliday = nullptr;
    QAction* actOutOfOffice = nullptr;
    QAction* actSick = nullptr;
    QAction* actCustomStatus = nullptr;
    QAction* actComments = nullptr;
    QAction* actFileExit = nullptr;
    QAction* actSettings = nullptr;
    QAction* actUsers = nullptr;
    QAction* actDepartments = nullptr;
    QAction* actStatuses = nullptr;
    QAction* actSendMessage = nullptr;
    QAction* actVeiwInBox = nullptr;
    QAction* actFilterOnDepartment = nullptr;
    QAction* actHelpOnQel = nullptr;
    QAction* actHelpAbout = nullptr;
    // "Notify Me When Status Changes" for the selected row (checkable).
    QAction* actWatchStatus = nullptr;
    QAction* mnuToolsSavePosition = nullptr;

    QToolBar* tbrMenu = nullptr;
    QToolBar* tbrTools = nullptr;
    QSplitter* SplitterMain = nullptr;
    QTreeWidget* TreeViewMain = nullptr;
    QTreeWidget* ListViewMain = nullptr;
    QLabel* StatusPanel0 = nullptr;
    QMenu* popmnuMain = nullptr;
    QMenu* popMnuTrayIcon = nullptr;
    QSystemTrayIcon* TrayIcon = nullptr;
    QTimer* tmrUpdateListView = nullptr;
    QTimer* tmrCheckForMessages = nullptr;
    QTimer* tmrCheckScreenSaver = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void customEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateActions();
    void CreateMenusAndBars();
    void CreateBoard();
    void CreateTray();
    QAction* MakeAction(const char* name, const QString& caption, const QString& hint, const QKeySequence& key,
                        int image);
    void TrayIconActivated(QSystemTrayIcon::ActivationReason reason);
    void TrayAnimationStep();
    void RestoreFromTray();
    void SaveFormState();
    void RestoreFormState();
    // `designPixels` of the form, grown with the font in use.
    int Scaled(int designPixels) const;
    void FitStartSizes();
    // At a first start, widens the tree so its names show whole.
    void FitDepartmentTree();

    TQtMessageBoxes FBoxes;
    std::unique_ptr<TBoardListView> FBoard;
    std::unique_ptr<TDepartmentTreeView> FTree;
    std::unique_ptr<TMainController> FController;
    // Declared after the controller so that it is destroyed (and its thread
    // joined) first: its jobs use the controller's worker objects.
    std::unique_ptr<TThreadWork> FWork;
    // After the controller, so it goes first: its notices call the controller.
    std::unique_ptr<TDBusDesktop> FDesktop;
    QTimer* FTrayAnimation = nullptr;
    int FTrayImage = 1;
    // Splitter position still to apply at the first show; -1 once applied.
    int FSplitterPosition = -1;
    // No stored splitter position: the tree is fitted to its names.
    bool FFitTree = false;
    // The normal view's smallest width; the tree's width before mini view.
    int FNormalMinimumWidth = 0;
    int FTreeWidthBeforeMini = -1;
    int FAnimationFrame = 0;
    bool FClosing = false;
    bool FFormStateRestored = false;
};

} // namespace qel
