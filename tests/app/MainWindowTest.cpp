// The board window on the offscreen platform: its commands as the user meets
// them (captions, shortcuts, images, enabled state), the board's columns, and
// the first show against a real database folder.

#include "WindowTest.h"

#include "app/IdleUpdates.h"
#include "app/Images.h"
#include "app/Main.h"
#include "app/MainController.h"
#include "app/QtMessageBoxes.h"
#include "platform/FakePlatform.h"
#include "settings/FormState.h"
#include "settings/IniFile.h"
#include "settings/SettingsKeys.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace qel::test {
namespace {

using MainWindowTest = TWindowTest<TNoDialogs>;

TEST_F(MainWindowTest, CommandsHaveImagesAndDistinctShortcuts) {
    TfrmMain window(Platform, Dialogs);
    QStringList keys;
    for (QAction* action : window.actions()) {
        if (action != window.actHelpAbout) {
            EXPECT_FALSE(action->icon().isNull()) << action->objectName().toStdString();
        }
        if (!action->shortcut().isEmpty())
            keys << action->shortcut().toString();
    }
    EXPECT_GE(keys.size(), 13);
    EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << keys.join(' ').toStdString();
}

TEST_F(MainWindowTest, BoardListHasItsColumnsWithPcNameHidden) {
    TfrmMain window(Platform, Dialogs);
    EXPECT_EQ(window.windowTitle().toStdString(), "Qel - All Departments");
    QStringList headers;
    for (int i = 0; i < window.ListViewMain->columnCount(); ++i)
        headers << window.ListViewMain->headerItem()->text(i);
    EXPECT_EQ(headers.join('|').toStdString(), "User|Status|Ext|Department|Comments...|PC Name");
    EXPECT_TRUE(window.ListViewMain->isColumnHidden(5));
    EXPECT_EQ(window.ListViewMain->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_FALSE(window.ListViewMain->isSortingEnabled());
    // The menu bar's buttons and the tray menu with the ten status commands.
    EXPECT_EQ(window.popMnuTrayIcon->actions().size(), 10);
    EXPECT_EQ(window.popMnuTrayIcon->actions().last(), window.actCustomStatus);
}

TEST_F(MainWindowTest, FirstShowFillsTheBoardAndEnablesTheStatusCommands) {
    TfrmMain window(Platform, Dialogs);
    // Nothing can be done before the first show.
    window.UpdateActions();
    EXPECT_FALSE(window.actAvailable->isEnabled());

    // The settings name the database folder: no wizard; the users dataset is
    // created with this computer as its first user.
    ASSERT_TRUE(window.FormCreate());
    window.Controller().FormShow();
    TIdleUpdates::Instance().RunNow();

    EXPECT_TRUE(window.actAvailable->isEnabled());
    EXPECT_TRUE(window.actGoneHome->isEnabled());
    // The dialogs do not exist here: their commands stay disabled.
    EXPECT_FALSE(window.actCustomStatus->isEnabled());
    EXPECT_FALSE(window.actComments->isEnabled());
    EXPECT_FALSE(window.actSettings->isEnabled());
    EXPECT_FALSE(window.actUsers->isEnabled());
    EXPECT_FALSE(window.actSendMessage->isEnabled());
    EXPECT_TRUE(window.actFileExit->isEnabled());
    ASSERT_EQ(window.ListViewMain->topLevelItemCount(), 1);
    EXPECT_EQ(window.ListViewMain->topLevelItem(0)->text(1).toStdString(), "Available");
    EXPECT_EQ(window.ListViewMain->topLevelItem(0)->text(5).toStdString(), Platform.ComputerNameValue);
    EXPECT_EQ(window.TreeViewMain->topLevelItemCount(), 1);
    EXPECT_TRUE(window.RefreshTimerEnabled());

    // A status command goes through to the board at once.
    window.actGoneHome->trigger();
    EXPECT_EQ(window.ListViewMain->topLevelItem(0)->text(1).toStdString(), "Gone home");
}

TEST_F(MainWindowTest, FirstStartFitsTheTreeAndTheToolBar) {
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    window.Controller().Departments().CreateDepartmentDataset();
    window.Controller().Departments().AddDepartment("Customer Services");
    ASSERT_TRUE(window.Start());
    QApplication::processEvents();
    EXPECT_EQ(window.TreeViewMain->horizontalScrollBar()->maximum(), 0);
    window.resize(window.minimumSize());
    QApplication::processEvents();
    for (QAction* action : window.tbrTools->actions()) {
        EXPECT_TRUE(action->isSeparator() || window.tbrTools->widgetForAction(action)->isVisible())
            << action->text().toStdString();
    }
}

struct TWizardProbe : IDatabaseWizard {
    explicit TWizardProbe(QWidget* window) : Window(window) {}
    void Execute() override { BoardOnScreen = Window->isVisible(); }
    QWidget* Window;
    bool BoardOnScreen = true;
};

TEST_F(MainWindowTest, FirstStartShowsTheWizardAlone) {
    TIniFile(Platform, keys::ProfileFileName).WriteString(keys::Locations, keys::DBaseLocation, keys::NotEntered);
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    TWizardProbe wizard(&window);
    window.Controller().SetWizard(&wizard);
    EXPECT_FALSE(window.Start());
    EXPECT_FALSE(wizard.BoardOnScreen);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MainWindowTest, CloseBoxWithoutNotificationAreaKeepsTheProgramRunning) {
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    window.Controller().FormShow();
    window.show();
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());

    // The close box neither closes nor hides the window for good: it stays
    // reachable (minimised) and the board keeps refreshing.
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.RefreshTimerEnabled());
    EXPECT_TRUE(window.MessageTimerEnabled());

    // File > Exit closes it; without the confirmation box nothing is asked.
    TFormStateStore(window.Controller().Settings()).WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", false);
    window.actFileExit->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.RefreshTimerEnabled());
}

TEST_F(MainWindowTest, SplitterAndRememberPositionComeBackAtTheNextStart) {
    {
        TfrmMain window(Platform, Dialogs);
        ASSERT_TRUE(window.FormCreate());
        window.Controller().FormShow();
        window.show();
        window.setGeometry(30, 40, 500, 420);
        window.SplitterMain->setSizes({150, 300});
        window.mnuToolsSavePosition->setChecked(false);
        TFormStateStore(window.Controller().Settings())
            .WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", false);
        window.actFileExit->trigger();
    }
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    window.show();
    EXPECT_EQ(window.SplitterMain->sizes().value(0), 150);
    EXPECT_FALSE(window.mnuToolsSavePosition->isChecked());
    EXPECT_EQ(window.geometry(), QRect(30, 40, 500, 420));
}

TEST_F(MainWindowTest, PlaceOffEveryScreenIsNotTakenBack) {
    TIniFile ini(Platform, keys::ProfileFileName);
    TFormStateStore(ini).WritePlacement("TfrmMain", TWindowPlacement{0, 1, 9000, 9000, 9500, 9400, 0});
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    EXPECT_LT(window.geometry().left(), 9000);
}

// Two icons draw the same 16 by 16 picture.
bool SamePicture(const QIcon& a, const QIcon& b) {
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

TEST_F(MainWindowTest, TrayShowsStatusImageOrTheNewMailFramesAndDoubleClickRestores) {
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    window.Controller().FormShow();
    ASSERT_FALSE(SamePicture(images::SmallPic(1), images::NewMailFrame(0)));
    ASSERT_FALSE(SamePicture(images::SmallPic(4), images::NewMailFrame(0)));
    EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::SmallPic(1)));

    window.SetNewMailAnimation(true);
    EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::NewMailFrame(0)));
    // A status written meanwhile waits until the animation ends.
    window.SetTrayImage(4);
    EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::NewMailFrame(0)));
    window.SetNewMailAnimation(false);
    EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::SmallPic(4)));

    window.hide();
    emit window.TrayIcon->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
}

// What a message box showed.
struct TBoxSeen {
    std::string Text;
    Qt::TextFormat Format = Qt::AutoText;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
};

// Once the next modal box is on screen: records it into *seen and presses
// `button`.
void AnswerNextBox(QMessageBox::StandardButton button, TBoxSeen* seen) {
    QTimer::singleShot(0, [button, seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        *seen = {box->text().toStdString(), box->textFormat(), box->icon()};
        box->button(button)->click();
    });
}

TEST(QtMessageBoxesTest, ShowsPlainTextWithItsLinesAndReturnsTheAnswer) {
    TQtMessageBoxes boxes;
    TBoxSeen seen;
    AnswerNextBox(QMessageBox::No, &seen);
    EXPECT_EQ(boxes.Show(TBoxKind::Information, "Keep it?\r\rNote : <b>No</b>", TBoxButtons::YesNo), TBoxAnswer::No);
    EXPECT_EQ(seen.Text, "Keep it?\n\nNote : <b>No</b>");
    EXPECT_EQ(seen.Format, Qt::PlainText);
    EXPECT_EQ(seen.Icon, QMessageBox::Information);

    AnswerNextBox(QMessageBox::Yes, &seen);
    EXPECT_EQ(boxes.Show(TBoxKind::Information, "again?", TBoxButtons::YesNo), TBoxAnswer::Yes);

    AnswerNextBox(QMessageBox::Ok, &seen);
    EXPECT_EQ(boxes.Show(TBoxKind::Error, "Unable to create QelDBase!", TBoxButtons::Ok), TBoxAnswer::Ok);
    EXPECT_EQ(seen.Icon, QMessageBox::Critical);
    EXPECT_EQ(seen.Text, "Unable to create QelDBase!");
}

} // namespace
} // namespace qel::test
