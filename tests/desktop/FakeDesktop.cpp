// Stand-ins for the desktop's D-Bus services: fake_desktop [notify] [screensaver [active]] [login [locked]]
// (login on the system bus). Notify calls are kept for Recorded(); Invoke and SetActive let a test act as the
// user. Prints "ready" once serving.

#include <QtCore>
#include <QtDBus>

#include <cstdio>

class TNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public slots:
    uint Notify(const QString& app, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        FSent << QStringList{app, summary, body, actions.join(',')}.join('|');
        return FNextId++;
    }
    QStringList Recorded() { return FSent; }
    void Invoke(uint id, const QString& action) { emit ActionInvoked(id, action); }
signals:
    void ActionInvoked(uint id, const QString& action);

private:
    QStringList FSent;
    uint FNextId = 42;
};

class TScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public slots:
    bool GetActive() { return FActive; }
    void SetActive(bool active) { FActive = active; }

private:
    bool FActive = QCoreApplication::arguments().contains("active");
};

class TLoginManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public slots:
    QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath("/org/freedesktop/login1/session/_31"); }
};

class TLoginSession : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
    Q_PROPERTY(bool LockedHint MEMBER FLocked)

private:
    bool FLocked = QCoreApplication::arguments().contains("locked");
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList names = app.arguments();
    bool ok = true;
    const auto serve = [&](QDBusConnection bus, const char* name, const char* service, const char* path, auto* object) {
        if (names.contains(name))
            ok &= bus.registerObject(path, object, QDBusConnection::ExportAllContents) && bus.registerService(service);
    };
    QDBusConnection session = QDBusConnection::sessionBus(), system = QDBusConnection::systemBus();
    serve(session, "notify", "org.freedesktop.Notifications", "/org/freedesktop/Notifications", new TNotifications);
    serve(session, "screensaver", "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", new TScreenSaver);
    if (names.contains("login"))
        ok &= system.registerObject("/org/freedesktop/login1/session/_31", new TLoginSession,
                                    QDBusConnection::ExportAllContents);
    serve(system, "login", "org.freedesktop.login1", "/org/freedesktop/login1", new TLoginManager);
    std::printf(ok ? "ready\n" : "failed\n");
    std::fflush(stdout);
    return ok ? app.exec() : 1;
}

#include "FakeDesktop.moc"
