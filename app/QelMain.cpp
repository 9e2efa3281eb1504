// The program entry: one main window, its dialogs, the message loop.

#include "app/Main.h"
#include "app/MainController.h"
#include "app/MainView.h"
#include "app/QuitOnSignal.h"
#ifdef QEL_WITH_DIALOGS
#include "app/MainDialogs.h"
#endif
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
#ifdef QEL_WITH_DIALOGS
    qel::TQtMainDialogs dialogs;
#else
    // Built without the other dialogs: their commands stay disabled.
    qel::TNoDialogs dialogs;
#endif
    qel::TfrmMain frmMain(platform, dialogs);
    if (!frmMain.FormCreate())
        return 0;
#ifdef QEL_WITH_DIALOGS
    dialogs.Create(frmMain);
#endif

    // Declared after the main window, so it is gone before the main window
    // deletes the dialogs it still owns.
    qel::TMainController& controller = frmMain.Controller();
    qel::TfrmDatabaseWizard frmDatabaseWizard(platform, controller.Settings(), controller.Users(), frmMain.Boxes(),
                                              controller.Context().App, &frmMain);
    controller.SetWizard(&frmDatabaseWizard);

    // A logout or `kill` ends the loop like File > Exit without the question,
    // so the window's destruction still writes "Offline".
    qel::TQuitOnSignal quitOnSignal;

    frmMain.show();
    return QApplication::exec();
}
