#pragma once

#include "platform/Desktop.h"

#include <QObject>
#include <QString>

#include <map>

namespace qel {

// The desktop services over D-Bus.
//
// Notify: org.freedesktop.Notifications on the session bus, application name
// "Qel", body escaped, actions "default" and the notice's named one. The
// ActionInvoked signal for one of our notices runs its OnAction.
//
// ScreenLocked: the login manager's LockedHint of this process's session
// (org.freedesktop.login1 on the system bus; the session named by
// $XDG_SESSION_ID, else the one of this process id), else GetActive of
// org.freedesktop.ScreenSaver on the session bus.
//
// Every call waits at most CallTimeoutMs for its answer. GUI thread only.
class TDBusDesktop : public QObject, public IDesktopNotifier, public IScreenLockProbe {
    Q_OBJECT
public:
    static constexpr int CallTimeoutMs = 3000;

    explicit TDBusDesktop(QObject* parent = nullptr);
    bool Notify(const TDesktopNotice& notice) override;
    std::optional<bool> ScreenLocked() override;

private slots:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);

private:
    std::optional<bool> LoginManagerLocked();
    std::optional<bool> ScreenSaverActive();

    // Actions of our notices still on screen, by notification id.
    std::map<uint, std::function<void()>> FActions;
    bool FListening = false;
    // This session's object at the login manager, once found.
    QString FSessionPath;
};

} // namespace qel
