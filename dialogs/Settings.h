#pragma once

#include "dialogs/MainWindowHooks.h"
#include "dialogs/QelDialog.h"
#include "dialogs/SettingsLogic.h"

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace qel {

class TComboChoices;

// "Qel - Settings": this user's entry, the database folder, the board's view
// and columns, autostart and the message options. The check boxes of the
// Options and Messages pages and the sound file are stored in the settings
// file on every close and restored when the dialog is made.
class TfrmSettings : public TQelDialog {
    Q_OBJECT
public:
    TfrmSettings(TDialogServices& services, QWidget* parent = nullptr);
    ~TfrmSettings() override;

    TSettingsLogic& Logic() { return FLogic; }
    // The stored options as the check boxes and the sound box show them now.
    TSettingsOptions Options() const;
    void SetOptions(const TSettingsOptions& options);

    void btnUpdateClick();
    void BitBtnBrowseClick();
    void BitBtnWAVClick();
    void chkPlayWavFileClick();
    void CheckBoxMiniViewClick();

    // Chooses the folder or the sound file; tests replace them.
    std::function<QString()> ChooseFolder;
    std::function<QString()> ChooseWavFile;

    QTabWidget* PageControlSettings = nullptr;
    QLineEdit* txtName = nullptr;
    QLineEdit* txtExtension = nullptr;
    QComboBox* cboDepartments = nullptr;
    QLineEdit* txtLocationOfQelDBase = nullptr;
    QToolButton* BitBtnBrowse = nullptr;
    QToolButton* SpeedBtnLaunch = nullptr;
    QCheckBox* chkConfirmStatusExit = nullptr;
    QCheckBox* CheckBoxMiniView = nullptr;
    QCheckBox* CheckBoxDisplayExt = nullptr;
    QCheckBox* CheckBoxDisplayDepartments = nullptr;
    QCheckBox* CheckBoxDisplayComments = nullptr;
    QCheckBox* chkCheckForMessagesOnStart = nullptr;
    QSpinBox* SpinEditCheckNewMessages = nullptr;
    QCheckBox* chkAwayWhenLocked = nullptr;
    // Why chkAwayWhenLocked is greyed; hidden while it is not.
    QLabel* lblAwayWhenLockedHint = nullptr;
    QCheckBox* chkDesktopNotifications = nullptr;
    QCheckBox* chkPlayWavFile = nullptr;
    QLineEdit* edtWavFileSelected = nullptr;
    QToolButton* BitBtnWAV = nullptr;
    QPushButton* btnHelp = nullptr;
    QPushButton* btnUpdate = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void FormShow() override;
    void FormClose() override;

private:
    TSettingsLogic FLogic;
    std::unique_ptr<TComboChoices> FDepartments;
    TDialogServices& FServices;
};

} // namespace qel
