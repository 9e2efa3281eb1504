// The dialog windows driven through their controls, over one shared database folder.

#include "dialogs/QelComments.h"
#include "dialogs/QelDepartments.h"
#include "dialogs/QelMessageInBox.h"
#include "dialogs/QelMessages.h"
#include "dialogs/QelUsers.h"
#include "dialogs/SelectDepartment.h"
#include "dialogs/SelectStatus.h"
#include "dialogs/Settings.h"
#include "dialogs/WidgetAdapters.h"
#include "records/QelDepartmentObj.h"
#include "records/QelStatusesObj.h"
#include "tests/support/FileProbes.h"
#include "tests/support/MessageReference.h"
#include "tests/support/Station.h"

#include <QtWidgets>

#include <gtest/gtest.h>

namespace qel::test {

// One workstation started as start-up does (located, registered, "Available"); it records what the dialogs ask of
// the main window.
struct TDialogComputer : TStation, IMainWindowHooks {
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

    void SetRefreshTimerEnabled(bool on) override { RefreshTimer = on; }
    void SetMessageTimerEnabled(bool on) override { MessageTimer = on; }
    void SetSendMessageEnabled(bool on) override { SendMessage = on; }
    void ClearNewMailState() override { ++NewMailCleared; }
    IBoardList& Board() override { return Ui; }
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void ShowColumns(bool ext, bool department, bool comments) override {
        Log += std::string("columns ") + "01"[ext] + "01"[department] + "01"[comments];
    }
    void WidenByOnePixel() override { Log += " widen"; }
    void ApplyShape(const TMainShape& shape) override { Shapes.push_back(shape); }

    bool RefreshTimer = true, MessageTimer = true, SendMessage = true;
    int NewMailCleared = 0;
    std::string Caption, Log;
    std::vector<TMainShape> Shapes;
    std::string UserName; // set before the record classes read it
    TQelFile Users{Context};
    TQelStatus Statuses{Context};
    TQelDepartment Departments{Context};
    TQelMessage Messages{Context, Users.Location};
    TDialogServices Services{Context, Settings, Users, Statuses, Departments, Messages, *this, {}};
};

inline TShownBox Question(const std::string& text) {
    return {TBoxKind::Information, text, TBoxButtons::YesNo};
}

namespace {

struct DialogWindows : ::testing::Test {
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
    TDialogServices& s = Me->Services;
    QWidget main; // in a corner: the first five dialogs open mid-screen, not over it
    main.setGeometry(0, 0, 120, 80);
    main.show();
    QDialog* const dialogs[] = {
        new TfrmSettings(s, &main),         new TfrmQelMessageInBox(s, &main), new TfrmSelectStatus(s, &main),
        new TfrmSelectDepartment(s, &main), new TfrmQelMessages(s, &main),     NewQelStatuses(s, &main),
        NewQelDepartments(s, &main),        new TfrmQelUsers(s, &main),        new TfrmQelComments(s, &main)};
    const QStringList captions{"Qel - Settings",           "Message InBox",        "Please select status",
                               "Please select Department", "Send Message...",      "Administer Statuses",
                               "Administer Departments",   "Administer Qel Users", "Qel - Comments"};
    for (int i = 0; i < captions.size(); ++i) {
        QDialog& dialog = *dialogs[i];
        EXPECT_EQ(dialog.windowTitle(), captions[i]);
        dialog.show();
        const QPoint offCentre = dialog.geometry().center() - main.screen()->availableGeometry().center();
        EXPECT_TRUE(i >= 5 || offCentre.manhattanLength() <= 8) << i;                    // frame: 2 px
        const int titleBar = dialog.style()->pixelMetric(QStyle::PM_TitleBarHeight) * 3; // icon and two buttons
        EXPECT_GT(dialog.width(), dialog.fontMetrics().horizontalAdvance(captions[i]) + titleBar) << i;
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == "&Help")
                button->click();
        dialog.reject();
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_TRUE(Me->RefreshTimer && Me->MessageTimer && Me->SendMessage && Me->Ui.Boxes.empty());
    EXPECT_EQ(Me->Platform.HelpTopics, (std::vector<std::string>{"Settings", "Adding_Statuses", "Adding_Departments",
                                                                 "Editing_Deleting_Users"}));
}

// Blank names cannot be added, built-in statuses stay, each refill shows the other computers' changes.
TEST_F(DialogWindows, CataloguesKeepTheBuiltInStatusesShowOtherComputersChangesAndFeedThePickers) {
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
    EXPECT_EQ(Me->Ui.Boxes,
              (std::vector<TShownBox>{Question("Are you sure you want to delete the Status \"Training\""),
                                      TShownBox{TBoxKind::Warning, "Department \"Sales\" already exists"},
                                      Question("Are you sure you want to delete the Department \"R&D\"")}));

    // The status picker writes the status alone, Close keeps a selected filter, comments are read afresh.
    other.Context.CurrentUser.Department = "Sales";
    other.Users.SaveUser();
    TfrmSelectStatus status(Me->Services);
    status.show();
    status.ListBoxSelectStatusClick();
    EXPECT_TRUE(Me->Ui.Rows.empty());
    Me->Context.CurrentUser.Extension = "77";
    Me->Users.SaveUser();
    Me->Context.CurrentUser.Extension = "";
    Pick(status.ListBoxSelectStatus, "In meeting");
    EXPECT_FALSE(status.isVisible());
    EXPECT_EQ(Me->Record().Status + "|" + Me->Record().Extension + "|" + std::to_string(Me->Ui.Rows.size()),
              "In meeting|77|2");
    EXPECT_TRUE(Me->Settings.ValueExists(keys::FrmSelectStatus, keys::PlacementNormalPos));

    TfrmSelectDepartment picker(Me->Services);
    picker.show();
    Pick(picker.ListBoxSelectDepartment, "Sales");
    EXPECT_FALSE(picker.isVisible());
    EXPECT_EQ(Me->Caption + "|" + Me->Departments.FilterName, "Qel - Filtered on Sales|Sales");
    EXPECT_EQ(Me->Ui.Rows.at(0).Caption + "|" + std::to_string(Me->Ui.Rows.size()), "OTHER|1");
    picker.show();
    Pick(picker.ListBoxSelectDepartment, "Sales", false);
    picker.btnClose->click();
    EXPECT_TRUE(Me->Departments.Filtered);
    picker.show();
    picker.btnClose->click();
    EXPECT_FALSE(Me->Departments.Filtered);
    EXPECT_EQ(Me->Caption + "|" + Me->Departments.FilterName + "|" + std::to_string(Me->Ui.Rows.size()),
              "Qel - All Departments||2");

    Me->Context.CurrentUser.Comments = "Back at 3";
    Me->Users.SaveUser();
    Me->Context.CurrentUser = other.Record();
    TfrmQelComments comments(Me->Services);
    comments.show();
    for (int step = 0; step < 20; ++step) // the banner grows to 24 points and stops
        comments.tmrQelZoomTimer();
    EXPECT_EQ(comments.txtComments->text() + "|" + QString::number(comments.lblCommentsBanner->PointSize()),
              "Back at 3|24");
    comments.txtComments->clear();
    comments.btnOk->click();
    EXPECT_EQ(Me->Record().Comments + "|" + std::to_string(Me->Ui.Rows.size()), "|2");
}

// Update stores what the catalogues hold; Delete asks about the name box as it is; the last user stays.
TEST_F(DialogWindows, UsersWindowEditsAndDeletesAnyUsersEntry) {
    Me->Departments.AddDepartment("Sales");
    TDialogComputer& two = Join("PC-TWO", "TWO");
    two.Context.CurrentUser.Status = "Offline";
    two.Context.CurrentUser.Department = "Sales";
    two.Users.SaveUser();
    TfrmQelUsers users(Me->Services);
    const auto buttons = [&users] { return Flags("enabled", {users.btnUpdate, users.btnDelete}); };
    users.show();
    EXPECT_EQ(buttons(), "00");
    Pick(users.ListBoxQelUsers, "TWO");
    EXPECT_EQ(users.txtComputerName->text() + users.cboStatus->currentText() + users.cboDepartment->currentText(),
              "PC-TWOOfflineSales");
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
    EXPECT_EQ(record.Status + "|" + record.Department + "|" + record.Comments + "|" + char('0' + record.Administrator),
              "||back monday|1");
    EXPECT_EQ(Me->Context.CurrentUser.ComputerName + "|" + std::to_string(Me->Ui.Rows.size()) + "|" + buttons(),
              "PC-TWO|2|00");

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
    Pick(users.ListBoxQelUsers, "ME");
    EXPECT_EQ(buttons() + "|" + std::to_string(Me->Ui.Rows.size()), "10|2") << "the board waits for its next refresh";

    users.txtName->setText(QString(12, QChar(0xE9)));
    users.txtName->setCursorPosition(0);
    users.txtName->insert("x");
    EXPECT_EQ(users.txtName->text(), QString(10, QChar(0xE9)));
}

// Ok stores the page with the status read on show, the chosen folder and columns, and refills the board.
TEST_F(DialogWindows, SettingsWindowStoresThePageOnOkAndTheBoxesOnEveryClose) {
    Me->Departments.AddDepartment("Sales");
    Me->Departments.AddDepartment("Accounts");
    Me->Context.CurrentUser.Department = "Sales";
    Me->Context.CurrentUser.Extension = "214";
    Me->Users.SaveUser();
    TfrmSettings settings(Me->Services);
    settings.show();
    EXPECT_FALSE(Me->RefreshTimer);
    EXPECT_EQ(settings.txtName->text() + settings.txtExtension->text() + settings.cboDepartments->currentText(),
              "ME214Sales");
    EXPECT_EQ(S(settings.txtLocationOfQelDBase->text()), Database.Path());
    TDialogComputer& admin = Join("PC-ADMIN", "ADMIN");
    admin.Context.CurrentUser = Me->Record();
    admin.Context.CurrentUser.Status = "DND";
    admin.Users.SaveUser();
    settings.cboDepartments->setCurrentIndex(1);
    settings.CheckBoxDisplayExt->setChecked(false);
    settings.CheckBoxDisplayComments->setChecked(false);
    settings.txtName->setText("Me Myself");
    settings.txtExtension->setText("9");
    QString opened;
    QTimer::singleShot(0, [&opened] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        opened = dialog->directory().path() + "/";
        dialog->reject();
    });
    EXPECT_EQ(settings.ChooseFolder() + opened, Q(Database.Path()));
    settings.ChooseFolder = [this] { return Q(Database.Path() + "."); }; // the same folder, spelt otherwise
    settings.BitBtnBrowse->click();
    settings.btnUpdate->click();
    EXPECT_TRUE(!settings.isVisible() && Me->RefreshTimer);
    const TQelUser record = Me->Record();
    EXPECT_EQ(record.UserName + "|" + record.Extension + "|" + record.Department + "|" + record.Status,
              "Me Myself|9|Accounts|Available");
    EXPECT_EQ(Me->Settings.ReadString(keys::Locations, keys::DBaseLocation, ""), Database.Path() + "./");
    EXPECT_EQ(Me->Log + " " + std::to_string(Me->Ui.Rows.size()), "columns 010 widen 2");

    Me->Context.CurrentUser.Department = "accounts";
    Me->Users.SaveUser();
    settings.show();
    EXPECT_EQ(settings.cboDepartments->currentIndex(), -1);
    settings.btnUpdate->click();
    EXPECT_EQ(Me->Record().Department, "");

    // Cancel stores the boxes alone; Mini View reshapes at once.
    const TMainShape mini{false, false, false, false, {1, 2, 3}, 50, 50};
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
    EXPECT_EQ(Me->Shapes, (std::vector<TMainShape>{mini, {}, mini}));
    settings.txtName->setText("Changed");
    settings.btnCancel->click();
    EXPECT_EQ(Me->Record().UserName + (settings.isVisible() ? " (shown)" : ""), "Me Myself");
    TfrmSettings again(Me->Services);
    EXPECT_EQ(Flags("checked", {again.chkConfirmStatusExit, again.chkPlayWavFile, again.CheckBoxMiniView}), "010");
    EXPECT_EQ(Me->Settings.ReadString("Options", "Desktop_Notifications", ""), "No");
    EXPECT_EQ(Me->Settings.ReadString(keys::FrmSettings, "chkConfirmStatusExit.Checked", ""), "0");
    Me->Services.ScreenLockAvailable = [] { return true; };
    again.show();
    EXPECT_TRUE(again.chkAwayWhenLocked->isEnabled() && again.lblAwayWhenLockedHint->isHidden());
    const std::string program = Me->Platform.ProgramPathValue,
                      entry = Me->Platform.AutostartFolderValue + "Qel.desktop";
    again.SpeedBtnLaunch->click();
    Me->Settings.WriteString(keys::Locations, keys::FileLocation, program);
    Me->Platform.WriteFileAtomic(program, "#!/bin/sh\n", nullptr);
    again.SpeedBtnLaunch->click();
    EXPECT_NE(FileBytes(entry).find("\nExec=" + program + "\n"), std::string::npos);
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
TEST_F(DialogWindows, MessageWindowAndInBox) {
    TDialogComputer& you = Join("PC-YOU", "YOU");
    TfrmQelMessages window(Me->Services);
    for (const QString text : {"", "<i>not italic</i>"}) {
        window.Prepare({"Send Message...", "", "ME", "<b>YOU</b>", "06/12/2026 10:00:00", "old", "old"}, "PC-YOU");
        window.show();
        EXPECT_EQ(Flags("enabled", {window.actSend, window.actCancel, window.actDelete}), "100");
        EXPECT_EQ(window.lblTimeStatic->text() + window.txtSubject->text(), "Created:");
        EXPECT_FALSE(Me->MessageTimer || Me->SendMessage || window.lblTo->textFormat() != Qt::PlainText);
        window.txtSubject->setText(text.isEmpty() ? "" : "Later");
        window.MemoMessage->setPlainText(text);
        window.actSend->trigger();
        EXPECT_FALSE(window.isVisible());
    }
    for (QAction* action : {window.actSend, window.actCancel, window.actDelete})
        EXPECT_FALSE(action->icon().pixmap(16).isNull()) << action->text().toStdString();
    EXPECT_EQ(Me->NewMailCleared, 0);

    // Reads the first message and deletes it, then reads the second; notes the new-mail state after each.
    struct TWindowReader : IMessageWindow {
        TWindowReader(TDialogComputer& pc) : Window(pc.Services), Hooks(pc) {}
        void ShowModal(const TMessageWindowFields& fields) override {
            Window.Prepare(fields, "");
            Window.show();
            EXPECT_FALSE(Window.actSend->isEnabled());
            const QString seen = Window.txtSubject->text() + "|" + Window.MemoMessage->toPlainText() + "|" +
                                 Window.lblTimeStatic->text();
            (Shown.empty() ? Window.actDelete : Window.actCancel)->trigger();
            EXPECT_FALSE(Window.isVisible());
            Shown += S(seen) + std::to_string(Hooks.NewMailCleared) + ";";
        }
        TfrmQelMessages Window;
        TDialogComputer& Hooks;
        std::string Shown;
    } reader(you);
    you.Messages.ShowNewMessages(reader);
    EXPECT_EQ(reader.Shown, "||Received:0;Later|<i>not italic</i>|Received:1;");
    TInBoxRecorder rows;
    you.Messages.LoadInBox(rows, rows);
    ASSERT_EQ(rows.Rows.size(), 1u);
    EXPECT_EQ(rows.Rows[0].Caption + "|" + rows.Rows[0].SubItems[1], "ME|Old");
    EXPECT_TRUE(you.Ui.Boxes.empty());

    const QString e(QChar(0xE9));
    window.MemoMessage->setPlainText(QString(250, 'm') + e + e + e);
    EXPECT_EQ(window.MemoMessage->toPlainText(), QString(250, 'm') + e + e);
    window.txtSubject->setText(QString(40, 's'));
    EXPECT_EQ(window.txtSubject->text().size(), 30);

    // The in-box: opening a new message ends the new-mail state, an old one does not; Delete asks first.
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
    EXPECT_FALSE(Me->RefreshTimer || Me->MessageTimer || inBox.actDeleteMessage->isEnabled());
    EXPECT_EQ(Me->Ui.PanelTexts.back(), "");
    inBox.ListViewInBoxClick();
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "");
    click();
    EXPECT_EQ(inBox.memoMessageConntent->toPlainText(), "<b>two?</b>");
    EXPECT_TRUE(Me->NewMailCleared == 1 && inBox.actDeleteMessage->isEnabled());
    click();
    EXPECT_EQ(Me->NewMailCleared, 2);
    inBox.reject();
    inBox.show();
    click();
    EXPECT_EQ(Me->NewMailCleared, 2);
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

std::string Times(int count, const std::string& text) {
    return count == 0 ? "" : text + Times(count - 1, text);
}

// A byte limit on UTF-8 text, cut at a character boundary, keeping the text behind the cursor when it fits.
TEST(TextLimits, TextIsCutToItsFieldAtACharacterBoundary) {
    const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC", smile = "\xF0\x9F\x98\x80";
    struct TCase {
        std::string Before; // the text before the cursor, after the edit
        std::string After;  // the text behind the cursor
        TTextLimit Limit;
        std::string Fitted;
        bool KeepAfter;
    };
    const TCase cases[] = {
        {"abc", "def", {10, 0}, "abc", true},
        {Times(5, e), "", {10, 0}, Times(5, e), true},
        {Times(4, e) + "a" + e, "", {10, 0}, Times(4, e) + "a", true}, // typed into a full box
        {Times(3, e), e + e + "a", {10, 0}, e + e, true},              // typed in the middle
        {"abcde" + Times(3, e), "", {10, 0}, "abcde" + e + e, true},   // pasted
        {Times(4, euro), "", {10, 0}, Times(3, euro), true},
        {Times(3, smile), "", {10, 0}, Times(2, smile), true},
        {"ab", std::string(12, 'z'), {10, 0}, "ab" + std::string(8, 'z'), false}, // behind the cursor too
        {std::string(35, 'c'), "", limits::Comments, std::string(30, 'c'), true}, // thirty characters...
        {Times(25, e), "", limits::Comments, Times(20, e), true}};                // ...within forty bytes
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Before + "|" + c.After);
        bool keepAfter = !c.KeepAfter;
        EXPECT_EQ(FitEdit(c.Before, c.After, c.Limit, &keepAfter), c.Fitted);
        EXPECT_EQ(keepAfter, c.KeepAfter);
        EXPECT_EQ(c.After.empty() ? FitText(c.Before, c.Limit) : c.Fitted, c.Fitted);
    }
    EXPECT_EQ(Utf8Length(euro + smile + "a"), 3u);
}

} // namespace
} // namespace qel::test
