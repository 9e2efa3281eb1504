// The dialog windows driven through their controls, over one shared database folder.

#include "dialogs/MainWindowHooks.h"
#include "dialogs/PickerLogic.h"
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
#include "records/MessageObj.h"
#include "records/QelDepartmentObj.h"
#include "records/QelFile.h"
#include "records/QelStatusesObj.h"
#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

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

#include <gtest/gtest.h>

#include <memory>
#include <utility>

namespace qel::test {

// Records what the dialogs ask of the main window.
struct THooksRecorder : IMainWindowHooks {
    explicit THooksRecorder(IBoardList& board) : FBoard(board) {}
    void SetRefreshTimerEnabled(bool on) override { RefreshTimer = on; }
    void SetMessageTimerEnabled(bool on) override { MessageTimer = on; }
    void SetSendMessageEnabled(bool on) override { SendMessage = on; }
    void ClearNewMailState() override { ++NewMailCleared; }
    IBoardList& Board() override { return FBoard; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void ShowColumns(bool ext, bool department, bool comments) override {
        Columns = {ext, department, comments};
        Log += "columns ";
    }
    void WidenByOnePixel() override { Log += "widen"; }
    void ApplyShape(const TMainShape& shape) override { Shapes.push_back(shape); }

    IBoardList& FBoard;
    bool RefreshTimer = true, MessageTimer = true, SendMessage = true;
    int NewMailCleared = 0;
    std::string Caption, Log;
    std::vector<bool> Columns;
    std::vector<TMainShape> Shapes;
};

// One workstation started as start-up does: located, registered, "Available".
struct TDialogComputer : TStation {
    TDialogComputer(const std::string& computerName, const std::string& userName, const std::string& databaseFolder)
        : TStation(computerName, databaseFolder), UserName(Platform.UserNameValue = userName) {
        Users.LoadLocation();
        Users.RegisterComputer();
        Context.CurrentUser.Status = "Available";
        Users.SaveStatus();
        Statuses.CreateStatusDataset();
        Departments.CreateDepartmentDataset();
    }

    TQelUser Record() {
        const TQelUser saved = Context.CurrentUser;
        Users.LoadCurrentUser();
        return std::exchange(Context.CurrentUser, saved);
    }

    std::string UserName; // set before the record classes read it
    THooksRecorder Hooks{Ui};
    TQelFile Users{Context};
    TQelStatus Statuses{Context};
    TQelDepartment Departments{Context};
    TQelMessage Messages{Context, Users.Location};
    TDialogServices Services{Context, Settings, Users, Statuses, Departments, Messages, Hooks, {}};
};

inline TShownBox Question(const std::string& text) {
    return {TBoxKind::Information, text, TBoxButtons::YesNo};
}

namespace {

class DialogWindows : public ::testing::Test {
protected:
    void SetUp() override { Me = &Join("PC-ME", "ME"); }

    TDialogComputer& Join(const std::string& computerName, const std::string& userName) {
        return *Computers.emplace_back(std::make_unique<TDialogComputer>(computerName, userName, Database.Path()));
    }

    static void Pick(QListWidget* list, const QString& text, bool click = true) {
        const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        list->setCurrentItem(found.first());
        if (click)
            emit list->itemClicked(found.first());
    }

    static std::vector<std::string> Items(const QListWidget* list) {
        std::vector<std::string> texts;
        for (int i = 0; i < list->count(); ++i)
            texts.push_back(S(list->item(i)->text()));
        return texts;
    }

    static std::string Flags(const char* property, std::initializer_list<const QObject*> controls) {
        std::string flags;
        for (const QObject* control : controls)
            flags += control->property(property).toBool() ? '1' : '0';
        return flags;
    }

    TScratchFolder Database;
    std::vector<std::unique_ptr<TDialogComputer>> Computers;
    TDialogComputer* Me = nullptr;
};

TEST_F(DialogWindows, EveryDialogIsMadeAndShownWithItsCaption) {
    TDialogServices& services = Me->Services;
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
        SCOPED_TRACE(caption.toStdString());
        EXPECT_EQ(dialog->windowTitle(), caption);
        dialog->show();
        EXPECT_TRUE(dialog->isVisible());
        const QPoint offCentre = dialog->geometry().center() - main.screen()->availableGeometry().center();
        EXPECT_TRUE(i >= centred || offCentre.manhattanLength() <= 8);                    // frame: 2 px
        const int titleBar = dialog->style()->pixelMetric(QStyle::PM_TitleBarHeight) * 3; // icon and two buttons
        EXPECT_GT(dialog->width(), dialog->fontMetrics().horizontalAdvance(caption) + titleBar);
        dialog->reject();
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_TRUE(Me->Hooks.RefreshTimer && Me->Hooks.MessageTimer && Me->Hooks.SendMessage);
    EXPECT_TRUE(Me->Ui.Boxes.empty());
}

// Blank names cannot be added; built-in statuses are neither deleted nor renamed; renames are not checked;
// each refill shows the shared catalogue with other computers' changes.
TEST_F(DialogWindows, CatalogueWindowsKeepTheBuiltInStatusesAndShowOtherComputersChanges) {
    std::unique_ptr<TfrmQelCatalogue> statuses(NewQelStatuses(Me->Services));
    const auto buttons = [&statuses] {
        return Flags("enabled", {statuses->btnAdd, statuses->btnDelete, statuses->btnUpdate});
    };
    statuses->show();
    EXPECT_EQ(statuses->findChild<QLabel*>()->text(), "Type Status...");
    EXPECT_TRUE(statuses->List->findItems("Offline", Qt::MatchExactly).isEmpty());
    statuses->Edit->setText(" \t ");
    EXPECT_EQ(buttons(), "000");
    Pick(statuses->List, "Available");
    statuses->Edit->setText(QString(35, 's'));
    EXPECT_EQ(statuses->Edit->text().size(), 30);
    EXPECT_EQ(buttons(), "100");
    statuses->Edit->setText("Training");
    statuses->btnAdd->click();
    EXPECT_EQ(buttons(), "100");
    Pick(statuses->List, "Training");
    EXPECT_EQ(buttons(), "111");
    statuses->Edit->setText("  ");
    EXPECT_EQ(buttons(), "010");
    Me->Ui.QueueAnswer(TBoxAnswer::No);
    statuses->btnDelete->click();
    EXPECT_EQ(buttons(), "000");
    Pick(statuses->List, "Training");
    statuses->Edit->setText("DND");
    statuses->btnUpdate->click();
    EXPECT_EQ(statuses->List->findItems("DND", Qt::MatchExactly).size(), 2);
    statuses->btnHelp->click();

    TDialogComputer& other = Join("PC-OTHER", "OTHER");
    std::unique_ptr<TfrmQelCatalogue> departments(NewQelDepartments(Me->Services));
    departments->show();
    departments->Edit->setText(QString(25, 'd'));
    EXPECT_EQ(departments->Edit->text().size(), 20);
    departments->Edit->setText("Sales");
    departments->btnAdd->click();
    other.Departments.AddDepartment("R&D");
    departments->btnAdd->click();
    EXPECT_EQ(Items(departments->List), (std::vector<std::string>{"R&D", "Sales"}));
    Pick(departments->List, "R&D");
    Me->Ui.QueueAnswer(TBoxAnswer::Yes);
    departments->btnDelete->click();
    EXPECT_EQ(Items(departments->List), std::vector<std::string>{"Sales"});
    departments->btnHelp->click();
    EXPECT_EQ(Me->Platform.HelpTopics, (std::vector<std::string>{"Adding_Statuses", "Adding_Departments"}));
    EXPECT_EQ(Me->Ui.Boxes,
              (std::vector<TShownBox>{Question("Are you sure you want to delete the Status \"Training\""),
                                      TShownBox{TBoxKind::Warning, "Department \"Sales\" already exists"},
                                      Question("Are you sure you want to delete the Department \"R&D\"")}));
}

// Update stores what the catalogues hold; Delete asks about the name box as it is; the last user stays.
TEST_F(DialogWindows, UsersWindowEditsAndDeletesAnyUsersEntry) {
    Me->Departments.AddDepartment("Sales");
    TDialogComputer& two = Join("PC-TWO", "TWO");
    two.Context.CurrentUser.Status = "In meeting";
    two.Context.CurrentUser.Department = "Sales";
    two.Users.SaveUser();
    TfrmQelUsers users(Me->Services);
    const auto buttons = [&users] { return Flags("enabled", {users.btnUpdate, users.btnDelete}); };
    users.show();
    EXPECT_EQ(users.cboStatus->count(), 10); // "Offline" too
    EXPECT_EQ(buttons(), "00");
    Pick(users.ListBoxQelUsers, "TWO");
    EXPECT_EQ((QStringList{users.txtComputerName->text(), users.cboStatus->currentText(),
                           users.cboDepartment->currentText()}),
              (QStringList{"PC-TWO", "In meeting", "Sales"}));
    EXPECT_EQ(buttons(), "11");

    two.Context.CurrentUser.Status = "Abroad";
    two.Users.SaveUser();
    Me->Departments.DeleteDepartment(1);
    users.reject();
    users.show();
    Pick(users.ListBoxQelUsers, "TWO");
    EXPECT_EQ(users.cboStatus->currentIndex() + users.cboDepartment->currentIndex(), -2);
    users.txtComments->setText("back monday");
    users.chkboxAdministrator->setChecked(true);
    users.btnUpdate->click();
    const TQelUser record = two.Record();
    EXPECT_EQ((std::vector<std::string>{record.Status, record.Department, record.Comments}),
              (std::vector<std::string>{"", "", "back monday"}));
    EXPECT_EQ(record.Administrator, 1);
    EXPECT_EQ(Me->Context.CurrentUser.ComputerName, "PC-TWO");
    EXPECT_EQ(Me->Ui.Rows.size(), 2u);
    EXPECT_EQ(buttons(), "00");

    Pick(users.ListBoxQelUsers, "TWO");
    users.txtName->setText("TWO edited");
    Me->Ui.QueueAnswer(TBoxAnswer::No);
    users.btnDelete->click();
    users.txtName->setText("TWO");
    Me->Ui.QueueAnswer(TBoxAnswer::Yes);
    users.btnDelete->click();
    EXPECT_EQ(Items(users.ListBoxQelUsers), std::vector<std::string>{"ME"});
    EXPECT_EQ(Me->Ui.Boxes, (std::vector<TShownBox>{Question("Are you sure you want to delete \"TWO edited \""),
                                                    Question("Are you sure you want to delete \"TWO \"")}));
    EXPECT_EQ(Me->Ui.Rows.size(), 2u) << "the board waits for its next refresh";
    Pick(users.ListBoxQelUsers, "ME");
    EXPECT_EQ(buttons(), "10");
    users.btnHelp->click();
    EXPECT_EQ(Me->Platform.HelpTopics, std::vector<std::string>{"Editing_Deleting_Users"});

    users.txtName->setText(QString(12, QChar(0xE9)));
    EXPECT_EQ(users.txtName->text().toUtf8().size(), 20);
    users.txtName->setText("abcdefghijklmnopqrs");
    users.txtName->setCursorPosition(19);
    users.txtName->insert(QChar(0xE9));
    EXPECT_EQ(users.txtName->text(), "abcdefghijklmnopqrs");
    users.txtName->setCursorPosition(0);
    users.txtName->insert("x");
    EXPECT_EQ(users.txtName->text(), "xabcdefghijklmnopqrs");
}

// Ok stores the page with the status read on show, the chosen folder and columns, and refills the board.
TEST_F(DialogWindows, SettingsWindowShowsAndStoresThePage) {
    Me->Departments.AddDepartment("Sales");
    Me->Departments.AddDepartment("Accounts");
    Me->Context.CurrentUser.Department = "Sales";
    Me->Context.CurrentUser.Extension = "214";
    Me->Users.SaveUser();
    TfrmSettings settings(Me->Services);
    settings.show();
    EXPECT_FALSE(Me->Hooks.RefreshTimer);
    EXPECT_EQ((QStringList{settings.txtName->text(), settings.txtExtension->text(),
                           settings.cboDepartments->currentText(), settings.txtLocationOfQelDBase->text()}),
              (QStringList{"ME", "214", "Sales", Q(Database.Path())}));
    TDialogComputer& admin = Join("PC-ADMIN", "ADMIN");
    admin.Context.CurrentUser = Me->Record();
    admin.Context.CurrentUser.Status = "DND";
    admin.Users.SaveUser();
    settings.cboDepartments->setCurrentIndex(1);
    settings.CheckBoxDisplayExt->setChecked(false);
    settings.CheckBoxDisplayComments->setChecked(false);
    settings.txtName->setText("Me Myself");
    settings.txtExtension->setText("9");
    settings.ChooseFolder = [] { return QString("/elsewhere"); };
    settings.BitBtnBrowse->click();
    settings.btnUpdate->click();
    EXPECT_FALSE(settings.isVisible());
    EXPECT_TRUE(Me->Hooks.RefreshTimer);
    const TQelUser record = Me->Record();
    EXPECT_EQ((std::vector<std::string>{record.UserName, record.Extension, record.Department, record.Status}),
              (std::vector<std::string>{"Me Myself", "9", "Accounts", "Available"}));
    EXPECT_EQ(Me->Settings.ReadString(keys::Locations, keys::DBaseLocation, ""), "/elsewhere/");
    EXPECT_EQ(Me->Hooks.Columns, (std::vector<bool>{false, true, false}));
    EXPECT_EQ(Me->Hooks.Log, "columns widen");
    EXPECT_EQ(Me->Ui.Rows.size(), 2u);

    Me->Context.CurrentUser.Department = "accounts";
    Me->Users.SaveUser();
    settings.show();
    EXPECT_EQ(settings.cboDepartments->currentIndex(), -1);
    settings.btnUpdate->click();
    EXPECT_EQ(Me->Record().Department, "");
}

// Every close stores the boxes; Mini View reshapes at once; Browse opens where the box says.
TEST_F(DialogWindows, SettingsWindowKeepsItsBoxesOnCancel) {
    const TMainShape mini{false, false, false, false, {1, 2, 3}, 50, 50};
    {
        TfrmSettings settings(Me->Services);
        EXPECT_TRUE(settings.chkConfirmStatusExit->isChecked());
        settings.show();
        EXPECT_EQ(Flags("enabled", {settings.BitBtnWAV, settings.chkAwayWhenLocked}), "00");
        EXPECT_FALSE(settings.lblAwayWhenLockedHint->isHidden());
        settings.chkDesktopNotifications->click();
        settings.chkConfirmStatusExit->setChecked(false);
        settings.chkPlayWavFile->click();
        EXPECT_TRUE(settings.BitBtnWAV->isEnabled());
        for (int i = 0; i < 3; ++i)
            settings.CheckBoxMiniView->click();
        EXPECT_EQ(Me->Hooks.Shapes, (std::vector<TMainShape>{mini, {}, mini}));
        settings.txtName->setText("Changed");
        settings.btnCancel->click();
        EXPECT_FALSE(settings.isVisible());
    }
    EXPECT_EQ(Me->Record().UserName, "ME");
    TfrmSettings again(Me->Services);
    EXPECT_EQ(Flags("checked", {again.chkConfirmStatusExit, again.chkPlayWavFile, again.CheckBoxMiniView}), "010");
    EXPECT_EQ(Me->Settings.ReadString("Options", "Desktop_Notifications", ""), "No");
    EXPECT_EQ(Me->Settings.ReadString(keys::FrmSettings, "chkConfirmStatusExit.Checked", ""), "0");
    Me->Services.ScreenLockAvailable = [] { return true; };
    again.show();
    EXPECT_TRUE(again.chkAwayWhenLocked->isEnabled());
    EXPECT_TRUE(again.lblAwayWhenLockedHint->isHidden());
    QString opened;
    QTimer::singleShot(0, &again, [&opened] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        opened = dialog ? dialog->directory().absolutePath() + "/" : "none";
        if (dialog)
            dialog->reject();
    });
    again.BitBtnBrowse->click();
    EXPECT_EQ(opened, again.txtLocationOfQelDBase->text());
    const std::string program = Me->Platform.ProgramPathValue,
                      entry = Me->Platform.AutostartFolderValue + "Qel.desktop";
    again.SpeedBtnLaunch->click();
    Me->Settings.WriteString(keys::Locations, keys::FileLocation, program);
    Me->Platform.WriteFileAtomic(program, "#!/bin/sh\n", nullptr);
    again.SpeedBtnLaunch->click();
    EXPECT_NE(FileBytes(entry).find("\nExec=" + program + "\n"), std::string::npos);
    again.btnHelp->click();
    EXPECT_EQ(Me->Platform.HelpTopics, std::vector<std::string>{"Settings"});
    Me->Platform.FailWrites = true;
    again.SpeedBtnLaunch->click();
    again.reject();
    EXPECT_EQ(Me->Ui.Boxes, (std::vector<TShownBox>{
                                ErrorBox("Cannot create the autostart entry: Not_Entered does not exist"),
                                {TBoxKind::Information, "Qel will now start automatically on startup", TBoxButtons::Ok},
                                ErrorBox("Cannot create the autostart entry: " + entry + ": No space left on device"),
                                ErrorBox("Unable to write to " + Me->Settings.FileName())}));
}
// Send mode holds the poll; read mode shows the texts as stored; a deleted message is not marked read.
TEST_F(DialogWindows, MessageWindowSendsAndReads) {
    TDialogComputer& you = Join("PC-YOU", "YOU");
    TfrmQelMessages window(Me->Services);
    for (const QString text : {"", "<i>not italic</i>"}) {
        window.Prepare({"Send Message...", "", "ME", "<b>YOU</b>", "06/12/2026 10:00:00", "old", "old"}, "PC-YOU");
        window.show();
        EXPECT_EQ(Flags("enabled", {window.actSend, window.actCancel, window.actDelete}), "100");
        EXPECT_EQ(window.lblTimeStatic->text(), "Created:");
        EXPECT_EQ(window.txtSubject->text(), "");
        EXPECT_EQ(window.lblTo->textFormat(), Qt::PlainText);
        EXPECT_FALSE(Me->Hooks.MessageTimer || Me->Hooks.SendMessage);
        window.txtSubject->setText(text.isEmpty() ? "" : "Later");
        window.MemoMessage->setPlainText(text);
        window.actSend->trigger();
        EXPECT_FALSE(window.isVisible());
    }
    for (QAction* action : {window.actSend, window.actCancel, window.actDelete})
        EXPECT_FALSE(action->icon().pixmap(16).isNull()) << action->text().toStdString();
    EXPECT_EQ(Me->Hooks.NewMailCleared, 0);

    struct TWindowReader : IMessageWindow {
        TWindowReader(TfrmQelMessages* window, THooksRecorder* hooks) : Window(window), Hooks(hooks) {}
        TfrmQelMessages* Window;
        THooksRecorder* Hooks;
        std::vector<std::string> Shown;
        std::vector<int> ClearedAfter;
        void ShowModal(const TMessageWindowFields& fields) override {
            Window->Prepare(fields, "");
            Window->show();
            Shown.push_back(S(Window->txtSubject->text() + "|" + Window->MemoMessage->toPlainText() + "|" +
                              Window->lblTimeStatic->text()));
            EXPECT_FALSE(Window->actSend->isEnabled());
            Shown.size() == 1 ? Window->actDelete->trigger() : Window->actCancel->trigger();
            EXPECT_FALSE(Window->isVisible());
            ClearedAfter.push_back(Hooks->NewMailCleared);
        }
    };
    TfrmQelMessages yours(you.Services);
    TWindowReader reader(&yours, &you.Hooks);
    you.Messages.ShowNewMessages(reader);
    EXPECT_EQ(reader.Shown, (std::vector<std::string>{"||Received:", "Later|<i>not italic</i>|Received:"}));
    EXPECT_EQ(reader.ClearedAfter, (std::vector<int>{0, 1}));
    TInBoxRecorder rows;
    you.Messages.LoadInBox(rows, rows);
    ASSERT_EQ(rows.Rows.size(), 1u);
    EXPECT_EQ(rows.Rows[0].Caption, "ME");
    EXPECT_EQ(rows.Rows[0].SubItems[1], "Old");
    EXPECT_TRUE(you.Ui.Boxes.empty());

    const QString e(QChar(0xE9));
    window.MemoMessage->setPlainText(QString(250, 'm'));
    window.MemoMessage->moveCursor(QTextCursor::End);
    window.MemoMessage->insertPlainText(e + e + e);
    EXPECT_EQ(window.MemoMessage->toPlainText(), QString(250, 'm') + e + e);
    window.txtSubject->setText(QString(40, 's'));
    EXPECT_EQ(window.txtSubject->text().size(), 30);
}

// Opening a new message ends the new-mail state, an old one does not; Delete asks first.
TEST_F(DialogWindows, InBoxOpensMarksAndDeletes) {
    Me->Messages.Send("PC-ME", "PC-ME", "First", "one");
    Me->Messages.Send("PC-ME", "PC-ME", "Second", "<b>two?</b>");
    Me->Ui.Reset();
    TfrmQelMessageInBox inBox(Me->Services);
    QTreeWidget* list = inBox.ListViewInBox;
    const auto click = [&inBox, list] {
        list->setCurrentItem(list->topLevelItem(0));
        emit list->itemClicked(list->topLevelItem(0), 0);
        inBox.UpdateActions();
    };
    inBox.show();
    EXPECT_FALSE(Me->Hooks.RefreshTimer || Me->Hooks.MessageTimer);
    EXPECT_EQ(Me->Ui.PanelTexts.back(), "");
    EXPECT_FALSE(inBox.actDeleteMessage->isEnabled());
    inBox.ListViewInBoxClick();
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "");
    click();
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "<b>two?</b>");
    EXPECT_EQ(Me->Hooks.NewMailCleared, 1);
    EXPECT_TRUE(inBox.actDeleteMessage->isEnabled());
    click();
    EXPECT_EQ(Me->Hooks.NewMailCleared, 2);
    inBox.reject();
    inBox.show();
    click();
    EXPECT_EQ(Me->Hooks.NewMailCleared, 2);
    Me->Ui.QueueAnswer(TBoxAnswer::No);
    inBox.actDeleteMessage->trigger();
    EXPECT_EQ(list->topLevelItemCount(), 2);
    Me->Ui.QueueAnswer(TBoxAnswer::Yes);
    inBox.actDeleteMessage->trigger();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ((QStringList{list->topLevelItem(0)->text(TfrmQelMessageInBox::ColSubject),
                           inBox.StatusBarMain.Panels[2]->text(), inBox.memoMessageConntent->toPlainText()}),
              (QStringList{"First", "Total messages = 1", ""}));
    EXPECT_FALSE(inBox.actDeleteMessage->isEnabled());
    const TShownBox question = Question("Are you sure you want to delete the selected message?");
    EXPECT_EQ(Me->Ui.Boxes, (std::vector<TShownBox>{question, question}));
}

// The status picker writes the status alone; Close with a department selected keeps the filter, without one
// clears it; comments are read afresh although the shared working user may hold another user, and may be emptied.
TEST_F(DialogWindows, PickersAndCommentsChangeTheirOwnFieldAlone) {
    TDialogComputer& you = Join("PC-YOU", "YOU");
    Me->Departments.AddDepartment("Sales");
    you.Context.CurrentUser.Department = "Sales";
    you.Users.SaveUser();
    TfrmSelectStatus status(Me->Services);
    status.show();
    status.ListBoxSelectStatusClick();
    EXPECT_TRUE(Me->Ui.Rows.empty());
    Me->Context.CurrentUser.Extension = "77";
    Me->Users.SaveUser();
    Me->Context.CurrentUser.Extension = "";
    Pick(status.ListBoxSelectStatus, "DND");
    EXPECT_FALSE(status.isVisible());
    const TQelUser record = Me->Record();
    EXPECT_EQ(record.Status + "|" + record.Extension, "DND|77");
    EXPECT_EQ(Me->Ui.Rows.size(), 2u);
    EXPECT_TRUE(Me->Settings.ValueExists(keys::FrmSelectStatus, keys::PlacementNormalPos));

    TfrmSelectDepartment picker(Me->Services);
    picker.show();
    Pick(picker.ListBoxSelectDepartment, "Sales");
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(Me->Hooks.Caption, "Qel - Filtered on Sales");
    EXPECT_EQ(Me->Departments.FilterName, "Sales");
    ASSERT_EQ(Me->Ui.Rows.size(), 1u);
    EXPECT_EQ(Me->Ui.Rows[0].Caption, "YOU");
    picker.show();
    Pick(picker.ListBoxSelectDepartment, "Sales", false);
    picker.btnClose->click();
    EXPECT_TRUE(Me->Departments.Filtered);
    picker.show();
    picker.btnClose->click();
    EXPECT_FALSE(Me->Departments.Filtered);
    EXPECT_EQ(Me->Departments.FilterName, "");
    EXPECT_EQ(Me->Hooks.Caption, "Qel - All Departments");
    EXPECT_EQ(Me->Ui.Rows.size(), 2u);

    Me->Context.CurrentUser.Comments = "Back at 3";
    Me->Users.SaveUser();
    Me->Context.CurrentUser = you.Record();
    TfrmQelComments comments(Me->Services);
    comments.show();
    EXPECT_EQ(comments.lblCommentsBanner->PointSize(), 10);
    EXPECT_EQ(comments.txtComments->text(), "Back at 3");
    comments.txtComments->clear();
    comments.btnOk->click();
    EXPECT_EQ(Me->Record().Comments, "");
    EXPECT_EQ(Me->Ui.Rows.size(), 2u);

    TBannerZoom zoom;
    zoom.Restart();
    std::vector<int> sizes{zoom.Size()};
    while (zoom.Running())
        sizes.push_back(zoom.Step());
    EXPECT_EQ(sizes, (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}));
    EXPECT_EQ(zoom.Step(), 24);
    zoom.Restart();
    EXPECT_EQ(zoom.Size(), 10);
}

} // namespace
} // namespace qel::test
