// The program entry: one main window, its dialogs, the message loop.

#include "app/Main.h"
#include "app/MainController.h"
#include "app/MainDialogs.h"
#include "app/MainView.h"
#include "app/QuitOnSignal.h"
#include "dialogs/DatabaseWizard.h"
#include "platform/PlatformLinux.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qel"));
    // The window stays in the notification area when it is hidden; the
    // program ends only when the main window really closes.
    QApplication::setQuitOnLastWindowClosed(false);

    qel::TPlatform& platform = qel::DefaultPlatform();
    // The help opens the way the desktop opens any link.
    if (auto* linuxPlatform = dynamic_cast<qel::TLinuxPlatform*>(&platform))
        linuxPlatform->SetUrlOpener(
            [](const std::string& url) { return QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
    qel::TQtMainDialogs dialogs;
    qel::TfrmMain frmMain(platform, dialogs);
    if (!frmMain.FormCreate())
        return 0;
    dialogs.Create(frmMain);

    // Declared after the main window, so it is gone before the main window
    // deletes the dialogs it still owns.
    qel::TMainController& controller = frmMain.Controller();
    qel::TfrmDatabaseWizard frmDatabaseWizard(platform, controller.Settings(), controller.Users(), frmMain.Boxes(),
                                              controller.Context().App, &frmMain);
    controller.SetWizard(&frmDatabaseWizard);

    // A logout or `kill` ends the loop like File > Exit without the question,
    // so the window's destruction still writes "Offline".
    qel::TQuitOnSignal quitOnSignal;

    if (!frmMain.Start())
        return 0;
    return QApplication::exec();
}
