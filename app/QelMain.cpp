// The program entry: one main window, its dialogs, the message loop.

#include "app/Main.h"
#include "app/MainController.h"
#include "app/MainView.h"
#include "dialogs/DatabaseWizard.h"
#include "platform/Platform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Qel"));
    // The window stays in the notification area when it is hidden; the
    // program ends only when the main window really closes.
    QApplication::setQuitOnLastWindowClosed(false);

    qel::TPlatform& platform = qel::DefaultPlatform();
    // The dialogs of the other commands are not part of this program yet;
    // their commands stay disabled.
    qel::TNoDialogs dialogs;
    qel::TfrmMain frmMain(platform, dialogs);
    if (!frmMain.FormCreate())
        return 0;

    qel::TMainController& controller = frmMain.Controller();
    qel::TfrmDatabaseWizard frmDatabaseWizard(platform, controller.Settings(), controller.Users(), frmMain.Boxes(),
                                              controller.Context().App, &frmMain);
    controller.SetWizard(&frmDatabaseWizard);

    frmMain.show();
    return QApplication::exec();
}
