#include "dialogs/Settings.h"

#include "dialogs/WidgetAdapters.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace qel {

namespace {

void ButtonFace(QLineEdit* edit) {
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    edit->setPalette(palette);
}

} // namespace

TfrmSettings::TfrmSettings(TDialogServices& services, QWidget* parent)
    : TQelDialog(parent), FLogic(services), FServices(services) {
    setObjectName("frmSettings");
    SetCentredOnScreen();
    setWindowTitle(SettingsCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    PageControlSettings = new QTabWidget(this);

    // Page "Settings".
    auto* settingsPage = new QWidget;
    txtName = new QLineEdit(settingsPage);
    LimitText(txtName, limits::UserName);
    txtExtension = new QLineEdit(settingsPage);
    LimitText(txtExtension, limits::Extension);
    cboDepartments = new QComboBox(settingsPage);
    FDepartments = std::make_unique<TComboChoices>(cboDepartments, false);
    txtLocationOfQelDBase = new QLineEdit(settingsPage);
    ButtonFace(txtLocationOfQelDBase);
    BitBtnBrowse = new QToolButton(settingsPage);
    BitBtnBrowse->setText("...");
    BitBtnBrowse->setToolTip("Locate the folder for the Qel Database");
    auto* location = new QHBoxLayout;
    location->addWidget(txtLocationOfQelDBase, 1);
    location->addWidget(BitBtnBrowse);
    auto* settingsForm = new QFormLayout(settingsPage);
    settingsForm->addRow(PlainLabel("Name", settingsPage), txtName);
    settingsForm->addRow(PlainLabel("Extension", settingsPage), txtExtension);
    settingsForm->addRow(PlainLabel("Department", settingsPage), cboDepartments);
    settingsForm->addRow(PlainLabel("Location of Qel Database", settingsPage));
    settingsForm->addRow(location);
    PageControlSettings->addTab(settingsPage, "Settings");

    // Page "Options".
    auto* optionsPage = new QWidget;
    SpeedBtnLaunch = new QToolButton(optionsPage);
    SpeedBtnLaunch->setIcon(QIcon(":/icons/qel.svg"));
    SpeedBtnLaunch->setToolTip("Launch Qel at startup!");
    chkConfirmStatusExit = new QCheckBox("Confirm Status on exit", optionsPage);
    CheckBoxMiniView = new QCheckBox("Mini View", optionsPage);
    auto* show = new QGroupBox("Show...", optionsPage);
    CheckBoxDisplayExt = new QCheckBox("Ext No.", show);
    CheckBoxDisplayDepartments = new QCheckBox("Departments", show);
    CheckBoxDisplayComments = new QCheckBox("Comments", show);
    chkAwayWhenLocked = new QCheckBox("Show me as Away from desk while my screen is locked", optionsPage);
    lblAwayWhenLockedHint = PlainLabel(NoScreenLockServiceText, optionsPage);
    lblAwayWhenLockedHint->setWordWrap(true);
    lblAwayWhenLockedHint->setEnabled(false);
    auto* showLayout = new QVBoxLayout(show);
    showLayout->addWidget(CheckBoxDisplayExt);
    showLayout->addWidget(CheckBoxDisplayDepartments);
    showLayout->addWidget(CheckBoxDisplayComments);
    auto* launch = new QHBoxLayout;
    launch->addWidget(PlainLabel("Launch Qel on Startup >", optionsPage));
    launch->addWidget(SpeedBtnLaunch);
    launch->addStretch(1);
    auto* optionsLayout = new QVBoxLayout(optionsPage);
    optionsLayout->addLayout(launch);
    optionsLayout->addWidget(chkConfirmStatusExit);
    optionsLayout->addWidget(CheckBoxMiniView);
    optionsLayout->addWidget(chkAwayWhenLocked);
    optionsLayout->addWidget(lblAwayWhenLockedHint);
    optionsLayout->addWidget(show);
    optionsLayout->addStretch(1);
    PageControlSettings->addTab(optionsPage, "Options");

    // Page "Messages".
    auto* messagesPage = new QWidget;
    chkCheckForMessagesOnStart = new QCheckBox("Check for new messages on start", messagesPage);
    SpinEditCheckNewMessages = new QSpinBox(messagesPage);
    SpinEditCheckNewMessages->setRange(10, 60);
    SpinEditCheckNewMessages->setSingleStep(10);
    SpinEditCheckNewMessages->setValue(10);
    QLabel* every = PlainLabel("Check for new messages every", messagesPage);
    QLabel* seconds = PlainLabel("seconds", messagesPage);
    // The check interval is fixed; these only show it.
    every->setEnabled(false);
    SpinEditCheckNewMessages->setEnabled(false);
    seconds->setEnabled(false);
    chkDesktopNotifications = new QCheckBox("Show a desktop notification for new messages", messagesPage);
    chkPlayWavFile = new QCheckBox("Play .WAV file when new messages arrive", messagesPage);
    edtWavFileSelected = new QLineEdit(messagesPage);
    ButtonFace(edtWavFileSelected);
    BitBtnWAV = new QToolButton(messagesPage);
    BitBtnWAV->setText("...");
    auto* interval = new QHBoxLayout;
    interval->addWidget(every);
    interval->addWidget(SpinEditCheckNewMessages);
    interval->addWidget(seconds);
    interval->addStretch(1);
    auto* wav = new QHBoxLayout;
    wav->addWidget(edtWavFileSelected, 1);
    wav->addWidget(BitBtnWAV);
    auto* messagesLayout = new QVBoxLayout(messagesPage);
    messagesLayout->addWidget(chkCheckForMessagesOnStart);
    messagesLayout->addLayout(interval);
    messagesLayout->addWidget(chkDesktopNotifications);
    messagesLayout->addWidget(chkPlayWavFile);
    messagesLayout->addLayout(wav);
    messagesLayout->addStretch(1);
    PageControlSettings->addTab(messagesPage, "Messages");

    btnHelp = new QPushButton("&Help", this);
    btnUpdate = new QPushButton("&Ok", this);
    btnUpdate->setDefault(true);
    btnCancel = new QPushButton("C&ancel", this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnHelp);
    buttons->addStretch(1);
    buttons->addWidget(btnUpdate);
    buttons->addWidget(btnCancel);

    auto* statusBar = new QStatusBar(this);
    statusBar->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControlSettings);
    layout->addLayout(buttons);
    layout->addWidget(statusBar);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    ChooseFolder = [this] {
        // It opens in the folder the box names, when that folder is there.
        QFileDialog dialog(this, "Please Select Location", txtLocationOfQelDBase->text());
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };
    ChooseWavFile = [this] {
        QFileDialog dialog(this, "Choose .WAV file");
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setNameFilter("*.wav");
        dialog.setDefaultSuffix("wav");
        return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().first()
                                                                                       : QString();
    };

    connect(btnUpdate, &QPushButton::clicked, this, &TfrmSettings::btnUpdateClick);
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { FLogic.Help(); });
    connect(BitBtnBrowse, &QToolButton::clicked, this, &TfrmSettings::BitBtnBrowseClick);
    connect(BitBtnWAV, &QToolButton::clicked, this, &TfrmSettings::BitBtnWAVClick);
    connect(SpeedBtnLaunch, &QToolButton::clicked, this, [this] { FLogic.LaunchAtStartup(); });
    connect(chkPlayWavFile, &QCheckBox::clicked, this, &TfrmSettings::chkPlayWavFileClick);
    connect(CheckBoxMiniView, &QCheckBox::clicked, this, &TfrmSettings::CheckBoxMiniViewClick);

    SetOptions(LoadSettingsOptions(services.Settings));
}

TfrmSettings::~TfrmSettings() = default;

TSettingsOptions TfrmSettings::Options() const {
    TSettingsOptions options;
    options.ConfirmStatusExit = chkConfirmStatusExit->isChecked();
    options.DisplayExt = CheckBoxDisplayExt->isChecked();
    options.DisplayDepartments = CheckBoxDisplayDepartments->isChecked();
    options.DisplayComments = CheckBoxDisplayComments->isChecked();
    options.CheckForMessagesOnStart = chkCheckForMessagesOnStart->isChecked();
    options.PlayWavFile = chkPlayWavFile->isChecked();
    options.WavFileSelected = S(edtWavFileSelected->text());
    options.DesktopNotifications = chkDesktopNotifications->isChecked();
    options.AwayWhenLocked = chkAwayWhenLocked->isChecked();
    return options;
}

void TfrmSettings::SetOptions(const TSettingsOptions& options) {
    chkConfirmStatusExit->setChecked(options.ConfirmStatusExit);
    CheckBoxDisplayExt->setChecked(options.DisplayExt);
    CheckBoxDisplayDepartments->setChecked(options.DisplayDepartments);
    CheckBoxDisplayComments->setChecked(options.DisplayComments);
    chkCheckForMessagesOnStart->setChecked(options.CheckForMessagesOnStart);
    chkPlayWavFile->setChecked(options.PlayWavFile);
    edtWavFileSelected->setText(Q(options.WavFileSelected));
    chkDesktopNotifications->setChecked(options.DesktopNotifications);
    chkAwayWhenLocked->setChecked(options.AwayWhenLocked);
}

void TfrmSettings::FormShow() {
    PageControlSettings->setCurrentIndex(0);
    const TSettingsPage page = FLogic.Show(*FDepartments);
    txtName->setText(Q(page.Name));
    txtExtension->setText(Q(page.Extension));
    txtLocationOfQelDBase->setText(Q(page.Location));
    chkPlayWavFileClick();
    const bool lockKnown = FServices.ScreenLockAvailable && FServices.ScreenLockAvailable();
    chkAwayWhenLocked->setEnabled(lockKnown);
    lblAwayWhenLockedHint->setVisible(!lockKnown);
}

void TfrmSettings::btnUpdateClick() {
    FLogic.Ok(S(txtName->text()), S(txtExtension->text()), *FDepartments, S(txtLocationOfQelDBase->text()), Options());
    accept();
}

void TfrmSettings::BitBtnBrowseClick() {
    const QString folder = ChooseFolder();
    if (!folder.isEmpty())
        txtLocationOfQelDBase->setText(Q(TSettingsLogic::FolderChosen(S(folder))));
}

void TfrmSettings::BitBtnWAVClick() {
    const QString file = ChooseWavFile();
    if (!file.isEmpty())
        edtWavFileSelected->setText(file);
}

void TfrmSettings::chkPlayWavFileClick() {
    const bool play = chkPlayWavFile->isChecked();
    edtWavFileSelected->setEnabled(play);
    BitBtnWAV->setEnabled(play);
}

void TfrmSettings::CheckBoxMiniViewClick() {
    FLogic.MiniViewClicked(CheckBoxMiniView->isChecked());
}

void TfrmSettings::FormClose() {
    FLogic.Close(Options());
}

} // namespace qel
