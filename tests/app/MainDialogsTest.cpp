// The board window with its dialogs: the commands that need a dialog come
// alive once the dialogs exist, and the dialogs act on the board through the
// window's hooks.

#include "WindowTest.h"

#include "app/IdleUpdates.h"
#include "app/Main.h"
#include "app/MainController.h"
#include "app/MainDialogs.h"
#include "dialogs/Settings.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace qel::test {
namespace {

using MainDialogsTest = TWindowTest<TQtMainDialogs>;

TEST_F(MainDialogsTest, CommandsFollowTheDialogsAndTheirHooks) {
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    Dialogs.Create(window);
    window.Controller().FormShow();
    TIdleUpdates::Instance().RunNow();

    // The creator of the database is its administrator.
    for (QAction* action :
         {window.actCustomStatus, window.actComments, window.actSettings, window.actUsers, window.actDepartments,
          window.actStatuses, window.actVeiwInBox, window.actFilterOnDepartment})
        EXPECT_TRUE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_FALSE(window.actSendMessage->isEnabled());

    window.ListViewMain->setCurrentItem(window.ListViewMain->topLevelItem(0));
    TIdleUpdates::Instance().RunNow();
    EXPECT_TRUE(window.actSendMessage->isEnabled());

    // The open message window holds Send off and the poll stopped.
    IMainWindowHooks& hooks = Dialogs;
    hooks.SetSendMessageEnabled(false);
    hooks.SetMessageTimerEnabled(false);
    TIdleUpdates::Instance().RunNow();
    EXPECT_FALSE(window.actSendMessage->isEnabled());
    EXPECT_FALSE(window.MessageTimerEnabled());
    hooks.SetSendMessageEnabled(true);
    hooks.SetMessageTimerEnabled(true);
    TIdleUpdates::Instance().RunNow();
    EXPECT_TRUE(window.actSendMessage->isEnabled());

    hooks.SetCaption("Qel - Filtered on Sales");
    EXPECT_EQ(window.windowTitle().toStdString(), "Qel - Filtered on Sales");
    EXPECT_NE(Dialogs.MessageWindow(), nullptr);
    EXPECT_FALSE(Dialogs.MessageDialogOnScreen());
}

TEST_F(MainDialogsTest, MiniViewKeepsStatusHiddenAfterOkAndFoldsTheTree) {
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    Dialogs.Create(window);
    ASSERT_TRUE(window.Start());
    QApplication::processEvents();
    auto* settings = window.findChild<TfrmSettings*>();
    ASSERT_NE(settings, nullptr);
    settings->show();
    settings->CheckBoxMiniView->click();
    settings->btnUpdate->click();
    EXPECT_EQ(window.ListViewMain->columnWidth(1), 0);
    EXPECT_EQ(window.SplitterMain->sizes().value(0), 0);
    settings->CheckBoxMiniView->click();
    EXPECT_GT(window.ListViewMain->columnWidth(1), 0);
    EXPECT_GT(window.SplitterMain->sizes().value(0), 0);
}

} // namespace
} // namespace qel::test
