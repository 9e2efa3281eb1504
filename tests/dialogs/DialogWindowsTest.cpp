// The dialog windows themselves, offscreen: each one is made and shown, its
// controls are wired to the behaviour, limits hold, and data from the shared
// folder is shown as plain text.

#include "DialogOffice.h"

#include "dialogs/QelComments.h"
#include "dialogs/QelDepartments.h"
#include "dialogs/QelMessageInBox.h"
#include "dialogs/QelMessages.h"
#include "dialogs/QelStatuses.h"
#include "dialogs/QelUsers.h"
#include "dialogs/SelectDepartment.h"
#include "dialogs/SelectStatus.h"
#include "dialogs/Settings.h"
#include "dialogs/WidgetAdapters.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

namespace qel::test {
namespace {

const QString E = QString::fromUtf8("\xC3\xA9");

class DialogWindows : public TDialogOffice {
protected:
    void SetUp() override { Me = &Join("PC-ME", "ME"); }

    // Selects the row with `text` in `list` as a click does.
    static void Pick(QListWidget* list, const QString& text) {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->setCurrentItem(found.first());
    }

    TDialogComputer* Me = nullptr;
};

TEST_F(DialogWindows, EveryDialogIsMadeAndShownWithItsCaption) {
    TDialogServices& services = *Me->Services;
    // A main window in a corner: the first five open mid-screen, not over it.
    QWidget main;
    main.setGeometry(0, 0, 120, 80);
    main.show();
    std::vector<std::pair<std::unique_ptr<QDialog>, QString>> dialogs;
    dialogs.emplace_back(std::make_unique<TfrmSettings>(services, &main), "Qel - Settings");
    dialogs.emplace_back(std::make_unique<TfrmQelMessageInBox>(services, &main), "Message InBox");
    dialogs.emplace_back(std::make_unique<TfrmSelectStatus>(services, &main), "Please select status");
    dialogs.emplace_back(std::make_unique<TfrmSelectDepartment>(services, &main), "Please select Department");
    dialogs.emplace_back(std::make_unique<TfrmQelMessages>(services, &main), "Send Message...");
    const size_t centred = dialogs.size();
    dialogs.emplace_back(NewQelStatuses(services), "Administer Statuses");
    dialogs.emplace_back(NewQelDepartments(services), "Administer Departments");
    dialogs.emplace_back(std::make_unique<TfrmQelUsers>(services), "Administer Qel Users");
    dialogs.emplace_back(std::make_unique<TfrmQelComments>(services), "Qel - Comments");
    for (size_t i = 0; i < dialogs.size(); ++i) {
        auto& [dialog, caption] = dialogs[i];
        EXPECT_EQ(dialog->windowTitle(), caption);
        dialog->show();
        EXPECT_TRUE(dialog->isVisible()) << caption.toStdString();
        const QPoint offCentre = dialog->geometry().center() - main.screen()->availableGeometry().center();
        EXPECT_TRUE(i >= centred || offCentre.manhattanLength() <= 8) << caption.toStdString(); // frame: 2 px
        const int titleBar = dialog->style()->pixelMetric(QStyle::PM_TitleBarHeight) * 3;       // icon and two buttons
        EXPECT_GT(dialog->width(), dialog->fontMetrics().horizontalAdvance(caption) + titleBar)
            << caption.toStdString();
        dialog->reject();
        EXPECT_FALSE(dialog->isVisible()) << caption.toStdString();
    }
    // Every window that stopped a timer started it again on close.
    EXPECT_TRUE(Me->Hooks.RefreshTimer);
    EXPECT_TRUE(Me->Hooks.MessageTimer);
    EXPECT_TRUE(Me->Ui.Boxes.empty());
}

TEST_F(DialogWindows, EditBoxesCutAccentsAtACharacterBoundary) {
    TfrmQelUsers users(*Me->Services);
    QString twelve;
    for (int i = 0; i < 12; ++i)
        twelve += E;
    users.txtName->setText(twelve);
    EXPECT_EQ(users.txtName->text().toUtf8().size(), 20);
    users.txtName->setText("abcdefghijklmnopqrs");
    users.txtName->setCursorPosition(19);
    users.txtName->insert(E);
    EXPECT_EQ(users.txtName->text(), "abcdefghijklmnopqrs");
    users.txtName->setCursorPosition(0);
    users.txtName->insert("x");
    EXPECT_EQ(users.txtName->text(), "xabcdefghijklmnopqrs");

    TfrmQelMessages messages(*Me->Services);
    messages.MemoMessage->setPlainText(QString(250, 'm'));
    messages.MemoMessage->moveCursor(QTextCursor::End);
    messages.MemoMessage->insertPlainText(E + E + E);
    EXPECT_EQ(messages.MemoMessage->toPlainText(), QString(250, 'm') + E + E);
    messages.txtSubject->setText(QString(40, 's'));
    EXPECT_EQ(messages.txtSubject->text().size(), 30);
}

TEST_F(DialogWindows, MessageWindowModesAndPlainText) {
    TfrmQelMessages window(*Me->Services);
    window.Prepare({"Send Message...", "", "ME", "<b>YOU</b>", "06/12/2026 10:00:00", "old", "old text"}, "PC-ME");
    window.show();
    EXPECT_TRUE(window.actSend->isEnabled());
    EXPECT_FALSE(window.actCancel->isEnabled());
    EXPECT_FALSE(window.actDelete->isEnabled());
    EXPECT_EQ(window.lblTimeStatic->text(), "Created:");
    EXPECT_EQ(window.txtSubject->text(), "");
    EXPECT_EQ(window.lblTo->textFormat(), Qt::PlainText);
    for (QAction* action : {window.actSend, window.actCancel, window.actDelete})
        EXPECT_FALSE(action->icon().pixmap(16).isNull()) << action->text().toStdString();
    EXPECT_FALSE(Me->Hooks.MessageTimer);
    EXPECT_FALSE(Me->Hooks.SendMessage);
    window.txtSubject->setText("To myself");
    window.MemoMessage->setPlainText("<i>not italic</i>");
    window.actSend->trigger();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(Me->Hooks.MessageTimer);
    EXPECT_TRUE(Me->Hooks.SendMessage);

    // Read it back: the body is shown exactly as stored.
    struct TWindowReader : IMessageWindow {
        TfrmQelMessages* Window;
        void ShowModal(const TMessageWindowFields& fields) override {
            Window->Prepare(fields, "");
            Window->show();
            EXPECT_FALSE(Window->actSend->isEnabled());
            EXPECT_TRUE(Window->actDelete->isEnabled());
            EXPECT_EQ(Window->lblTimeStatic->text(), "Received:");
            EXPECT_EQ(Window->MemoMessage->toPlainText(), "<i>not italic</i>");
            Window->actDelete->trigger();
        }
    } reader;
    reader.Window = &window;
    Me->Messages->ShowNewMessages(reader);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(Me->Messages->HasNewMessages());
    EXPECT_EQ(Me->Hooks.NewMailCleared, 1);
    EXPECT_TRUE(Me->Ui.Boxes.empty());
}

TEST_F(DialogWindows, InBoxShowsTheSelectedMessageAndEnablesDelete) {
    Me->Messages->Send("PC-ME", "PC-ME", "Note", "<b>bold?</b>");
    TfrmQelMessageInBox inBox(*Me->Services);
    inBox.show();
    inBox.UpdateActions();
    EXPECT_FALSE(inBox.actDeleteMessage->isEnabled());
    ASSERT_EQ(inBox.ListViewInBox->topLevelItemCount(), 1);
    // A click on an empty part changes nothing.
    inBox.ListViewInBoxClick();
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "");
    inBox.ListViewInBox->setCurrentItem(inBox.ListViewInBox->topLevelItem(0));
    inBox.ListViewInBoxClick();
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "<b>bold?</b>");
    EXPECT_EQ(Me->Hooks.NewMailCleared, 1);
    inBox.UpdateActions();
    EXPECT_TRUE(inBox.actDeleteMessage->isEnabled());

    Me->Ui.QueueAnswer(TBoxAnswer::Yes);
    inBox.actDeleteMessage->trigger();
    EXPECT_EQ(inBox.ListViewInBox->topLevelItemCount(), 0);
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "");
    EXPECT_FALSE(inBox.actDeleteMessage->isEnabled());
    inBox.reject();
    EXPECT_TRUE(Me->Hooks.RefreshTimer);
    EXPECT_TRUE(Me->Hooks.MessageTimer);
}

TEST_F(DialogWindows, SettingsCancelStillKeepsTheCheckBoxes) {
    {
        TfrmSettings settings(*Me->Services);
        EXPECT_TRUE(settings.chkConfirmStatusExit->isChecked());
        EXPECT_FALSE(settings.edtWavFileSelected->isEnabled() && settings.isVisible());
        settings.show();
        EXPECT_FALSE(settings.BitBtnWAV->isEnabled());
        EXPECT_FALSE(settings.chkAwayWhenLocked->isEnabled());
        EXPECT_FALSE(settings.lblAwayWhenLockedHint->isHidden());
        settings.chkDesktopNotifications->click();
        settings.chkConfirmStatusExit->setChecked(false);
        settings.chkPlayWavFile->click();
        EXPECT_TRUE(settings.BitBtnWAV->isEnabled());
        settings.CheckBoxMiniView->click();
        ASSERT_EQ(Me->Hooks.Shapes.size(), 1u);
        EXPECT_EQ(Me->Hooks.Shapes[0].Width, 50);
        settings.txtName->setText("Changed");
        settings.btnCancel->click();
        EXPECT_FALSE(settings.isVisible());
    }
    EXPECT_EQ(Me->Record().UserName, "ME");
    TfrmSettings again(*Me->Services);
    EXPECT_FALSE(again.chkConfirmStatusExit->isChecked());
    EXPECT_TRUE(again.chkPlayWavFile->isChecked());
    EXPECT_FALSE(again.CheckBoxMiniView->isChecked());
    EXPECT_EQ(Me->Settings.ReadString("Options", "Desktop_Notifications", ""), "No");
    Me->Services->ScreenLockAvailable = [] { return true; };
    again.show();
    EXPECT_TRUE(again.chkAwayWhenLocked->isEnabled());
    EXPECT_TRUE(again.lblAwayWhenLockedHint->isHidden());
}

TEST_F(DialogWindows, SettingsBrowseFillsTheFolderAndUpdateStoresTheName) {
    TfrmSettings settings(*Me->Services);
    settings.ChooseFolder = [] { return QString("/srv/elsewhere"); };
    settings.show();
    settings.BitBtnBrowse->click();
    EXPECT_EQ(settings.txtLocationOfQelDBase->text(), "/srv/elsewhere/");
    settings.txtName->setText("Me Myself");
    TfrmSettings real(*Me->Services);
    real.show();
    QString opened;
    QTimer::singleShot(0, &real, [&opened] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        opened = dialog ? dialog->directory().absolutePath() + "/" : "none";
        if (dialog)
            dialog->reject();
    });
    real.BitBtnBrowse->click();
    EXPECT_EQ(opened, real.txtLocationOfQelDBase->text());
    settings.btnUpdate->click();
    EXPECT_EQ(Me->Record().UserName, "Me Myself");
}

TEST_F(DialogWindows, CatalogueDialogEnablesByTheRules) {
    std::unique_ptr<TfrmQelCatalogue> statuses(NewQelStatuses(*Me->Services));
    statuses->show();
    statuses->Edit->setText("   ");
    statuses->UpdateActions();
    EXPECT_FALSE(statuses->btnAdd->isEnabled());
    Pick(statuses->List, "Available");
    statuses->ListClick();
    statuses->Edit->setText("Here");
    statuses->UpdateActions();
    EXPECT_TRUE(statuses->btnAdd->isEnabled());
    EXPECT_FALSE(statuses->btnDelete->isEnabled());
    EXPECT_FALSE(statuses->btnUpdate->isEnabled());
    statuses->btnAdd->click();
    EXPECT_FALSE(statuses->btnDelete->isEnabled());
    Pick(statuses->List, "Here");
    statuses->ListClick();
    EXPECT_TRUE(statuses->btnDelete->isEnabled());
    Me->Ui.QueueAnswer(TBoxAnswer::Yes);
    statuses->btnDelete->click();
    EXPECT_TRUE(statuses->List->findItems("Here", Qt::MatchExactly).isEmpty());

    std::unique_ptr<TfrmQelCatalogue> departments(NewQelDepartments(*Me->Services));
    departments->Edit->setText(QString(25, 'd'));
    EXPECT_EQ(departments->Edit->text().size(), 20);
}

TEST_F(DialogWindows, UsersDialogNeverDeletesTheLastUser) {
    TfrmQelUsers users(*Me->Services);
    users.show();
    users.UpdateActions();
    EXPECT_FALSE(users.btnUpdate->isEnabled());
    Pick(users.ListBoxQelUsers, "ME");
    users.ListBoxQelUsersClick();
    EXPECT_EQ(users.txtComputerName->text(), "PC-ME");
    EXPECT_EQ(users.cboStatus->currentText(), "Available");
    EXPECT_TRUE(users.btnUpdate->isEnabled());
    EXPECT_FALSE(users.btnDelete->isEnabled());
    users.btnDelete->click();
    EXPECT_TRUE(Me->Ui.Boxes.empty());
}

TEST_F(DialogWindows, PickersCloseOnAClick) {
    Me->Departments->AddDepartment("Sales");
    TfrmSelectDepartment departments(*Me->Services);
    departments.show();
    Pick(departments.ListBoxSelectDepartment, "Sales");
    departments.ListBoxSelectDepartmentClick();
    EXPECT_FALSE(departments.isVisible());
    EXPECT_EQ(Me->Hooks.Caption, "Qel - Filtered on Sales");
    departments.show();
    departments.btnClose->click();
    EXPECT_EQ(Me->Hooks.Caption, "Qel - All Departments");

    TfrmSelectStatus status(*Me->Services);
    status.show();
    Pick(status.ListBoxSelectStatus, "DND");
    status.ListBoxSelectStatusClick();
    EXPECT_FALSE(status.isVisible());
    EXPECT_EQ(Me->Record().Status, "DND");
    // Its placement is kept in the settings file.
    EXPECT_TRUE(Me->Settings.ValueExists(keys::FrmSelectStatus, keys::PlacementNormalPos));

    TfrmQelComments comments(*Me->Services);
    comments.show();
    EXPECT_EQ(comments.lblCommentsBanner->PointSize(), 10);
    comments.txtComments->setText("Back at 3");
    comments.btnOk->click();
    EXPECT_EQ(Me->Record().Comments, "Back at 3");
}

} // namespace
} // namespace qel::test
