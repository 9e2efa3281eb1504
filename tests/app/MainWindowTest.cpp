// The board window on the offscreen platform, started on settings that name an empty database folder.

#include "app/IdleUpdates.h"
#include "app/Images.h"
#include "app/Main.h"
#include "app/MainDialogs.h"
#include "app/QtMessageBoxes.h"
#include "dialogs/Settings.h"
#include "platform/FakePlatform.h"
#include "settings/FormState.h"
#include "settings/SettingsKeys.h"

#include <QtWidgets>

#include <gtest/gtest.h>

namespace qel::test {
namespace {

// Dialogs are not created (none available) unless a test creates them.
struct MainWindowTest : ::testing::Test {
    MainWindowTest() : Platform(Root.Path()) {
        TIniFile ini(Platform, keys::ProfileFileName);
        ini.WriteString(keys::Locations, keys::DBaseLocation, Database.Path());
        ini.WriteBool(keys::Qel, keys::FirstTimeRun, false);
    }

    TScratchFolder Root, Database;
    TFakePlatform Platform;
    TQtMainDialogs Dialogs;
};

// Every command but About has an image, no two share a shortcut; nothing is enabled before the first show,
// then the status commands; the dialogs' commands with the dialogs (the creator is administrator).
TEST_F(MainWindowTest, CommandsTheFirstShowAndTheDialogs) {
    TfrmMain window(Platform, Dialogs);
    QStringList keys;
    for (QAction* action : window.actions()) {
        EXPECT_TRUE(action == window.actHelpAbout || !action->icon().isNull()) << action->objectName().toStdString();
        if (!action->shortcut().isEmpty())
            keys << action->shortcut().toString();
    }
    EXPECT_GE(keys.size(), 13);
    EXPECT_EQ(keys.size(), QSet<QString>(keys.begin(), keys.end()).size()) << keys.join(' ').toStdString();
    window.UpdateActions();
    EXPECT_FALSE(window.actAvailable->isEnabled());

    ASSERT_TRUE(window.FormCreate());
    window.Controller().Departments().CreateDepartmentDataset();
    window.Controller().Departments().AddDepartment("Customer Services");
    ASSERT_TRUE(window.Start());
    QApplication::processEvents();
    EXPECT_EQ(window.windowTitle().toStdString(), "Qel - All Departments");
    const auto enabled = [&] {
        TIdleUpdates::Instance().RunNow();
        std::string states;
        for (const QAction* action :
             {window.actAvailable, window.actGoneHome, window.actFileExit, window.actCustomStatus, window.actComments,
              window.actSettings, window.actUsers, window.actDepartments, window.actStatuses, window.actVeiwInBox,
              window.actFilterOnDepartment, window.actSendMessage})
            states += action->isEnabled() ? '1' : '0';
        return states;
    };
    EXPECT_EQ(enabled(), "111000000000");
    const QTreeWidget& list = *window.ListViewMain;
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(list.headerItem()->text(5) + "|" + list.topLevelItem(0)->text(5), "PC Name|WORKSTATION1");
    EXPECT_TRUE(list.isColumnHidden(5) && !list.isSortingEnabled() && window.popMnuTrayIcon->actions().size() == 10 &&
                list.selectionMode() == QAbstractItemView::SingleSelection);
    EXPECT_TRUE(window.RefreshTimerEnabled() && window.TreeViewMain->horizontalScrollBar()->maximum() == 0);
    window.actGoneHome->trigger();
    EXPECT_EQ(window.ListViewMain->topLevelItem(0)->text(1).toStdString(), "Gone home");

    Dialogs.Create(window);
    EXPECT_EQ(enabled(), "111111111110");
    window.ListViewMain->setCurrentItem(window.ListViewMain->topLevelItem(0));
    EXPECT_EQ(enabled(), "111111111111");
    IMainWindowHooks& hooks = Dialogs;
    hooks.SetSendMessageEnabled(false);
    hooks.SetMessageTimerEnabled(false);
    EXPECT_EQ(enabled() + (window.MessageTimerEnabled() ? " polling" : ""), "111111111110");
    hooks.SetSendMessageEnabled(true);
    EXPECT_EQ(enabled(), "111111111111");
    hooks.SetCaption("Qel - Filtered on Sales");
    EXPECT_TRUE(window.windowTitle() == "Qel - Filtered on Sales" && Dialogs.MessageWindow() != nullptr);

    // Mini View hides the status and folds the tree; unticked, both come back at once.
    QTimer::singleShot(0, [] {
        auto* settings = qobject_cast<TfrmSettings*>(QApplication::activeModalWidget());
        ASSERT_NE(settings, nullptr);
        settings->CheckBoxMiniView->click();
        settings->btnUpdate->click();
    });
    window.actSettings->trigger();
    EXPECT_EQ(window.ListViewMain->columnWidth(1) + window.SplitterMain->sizes().value(0), 0);
    window.findChild<TfrmSettings*>()->CheckBoxMiniView->click();
    EXPECT_TRUE(window.ListViewMain->columnWidth(1) > 0 && window.SplitterMain->sizes().value(0) > 0);
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
    EXPECT_FALSE(wizard.BoardOnScreen || window.isVisible());
}

bool SamePicture(const QIcon& a, const QIcon& b) {
    return a.pixmap(16, 16).toImage() == b.pixmap(16, 16).toImage();
}

// Without a notification area the close box only minimises; a place off every screen is not taken back.
TEST_F(MainWindowTest, TrayCloseBoxExitAndTheNextStart) {
    {
        TfrmMain window(Platform, Dialogs);
        ASSERT_TRUE(window.FormCreate());
        window.Controller().FormShow();
        window.show();
        ASSERT_FALSE(SamePicture(images::SmallPic(4), images::NewMailFrame(0)));
        EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::SmallPic(1)));
        window.SetNewMailAnimation(true);
        window.SetTrayImage(4);
        EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::NewMailFrame(0)));
        window.SetNewMailAnimation(false);
        EXPECT_TRUE(SamePicture(window.TrayIcon->icon(), images::SmallPic(4)));
        window.hide();
        emit window.TrayIcon->activated(QSystemTrayIcon::DoubleClick);
        EXPECT_TRUE(window.isVisible());
        ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
        EXPECT_FALSE(window.close());
        EXPECT_TRUE(window.isVisible() && window.RefreshTimerEnabled() && window.MessageTimerEnabled());
        window.setGeometry(30, 40, 500, 420);
        window.SplitterMain->setSizes({150, 300});
        window.mnuToolsSavePosition->setChecked(false);
        TFormStateStore(window.Controller().Settings())
            .WriteBool("TfrmSettings", "chkConfirmStatusExit.Checked", false);
        window.actFileExit->trigger();
        EXPECT_FALSE(window.isVisible() || window.RefreshTimerEnabled());
    }
    {
        TfrmMain window(Platform, Dialogs);
        ASSERT_TRUE(window.FormCreate());
        window.show();
        EXPECT_TRUE(window.SplitterMain->sizes().value(0) == 150 && !window.mnuToolsSavePosition->isChecked());
        EXPECT_EQ(window.geometry(), QRect(30, 40, 500, 420));
    }
    TIniFile ini(Platform, keys::ProfileFileName);
    TFormStateStore(ini).WritePlacement("TfrmMain", TWindowPlacement{0, 1, 9000, 9000, 9500, 9400, 0});
    TfrmMain window(Platform, Dialogs);
    ASSERT_TRUE(window.FormCreate());
    EXPECT_LT(window.geometry().left(), 9000);
}

TEST(QtMessageBoxesTest, ShowsPlainTextWithItsLinesAndReturnsTheAnswer) {
    const std::tuple<TBoxKind, TBoxButtons, QMessageBox::StandardButton, TBoxAnswer, QMessageBox::Icon> cases[] = {
        {TBoxKind::Information, TBoxButtons::YesNo, QMessageBox::No, TBoxAnswer::No, QMessageBox::Information},
        {TBoxKind::Warning, TBoxButtons::YesNo, QMessageBox::Yes, TBoxAnswer::Yes, QMessageBox::Warning},
        {TBoxKind::Error, TBoxButtons::Ok, QMessageBox::Ok, TBoxAnswer::Ok, QMessageBox::Critical}};
    for (const auto& [kind, buttons, press, answer, icon] : cases) {
        QTimer::singleShot(0, [&] {
            auto* seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(seen, nullptr);
            EXPECT_EQ(seen->text().toStdString(), "Keep it?\n\nNote : <b>No</b>");
            EXPECT_EQ(seen->textFormat(), Qt::PlainText);
            EXPECT_EQ(seen->icon(), icon);
            seen->button(press)->click();
        });
        EXPECT_EQ(TQtMessageBoxes().Show(kind, "Keep it?\r\rNote : <b>No</b>", buttons), answer);
    }
}

} // namespace
} // namespace qel::test
