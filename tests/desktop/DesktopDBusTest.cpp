// The desktop services over D-Bus, against the stand-ins of fake_desktop.

#include "platform/DesktopDBus.h"

#include <QtCore>
#include <QtDBus>

#include <gtest/gtest.h>

#include <tuple>

namespace qel {
namespace {

class DesktopBus : public ::testing::Test {
protected:
    // Starts the stand-ins named; they end with the test (QProcess kills them).
    void Start(const QStringList& services) {
        Fake.start(FAKE_DESKTOP, services);
        ASSERT_TRUE(Fake.waitForReadyRead(30000));
        ASSERT_EQ(Fake.readLine().trimmed(), "ready");
    }
    // Calls `method` of the stand-in `service` (its path and interface derive from the name).
    static QVariantList Call(const QString& service, const QString& method, const QVariantList& args = {}) {
        const bool login = service == "org.freedesktop.login1";
        const QString path = login ? "/org/freedesktop/login1/session/_31" : "/" + QString(service).replace('.', '/');
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, path, login ? service + ".Session" : service, method);
        call.setArguments(args);
        return (login ? QDBusConnection::systemBus() : QDBusConnection::sessionBus()).call(call).arguments();
    }
    QProcess Fake;
};

TEST_F(DesktopBus, NoticeReachesTheServerEscapedAndItsActionRunsOnlyForItsOwnId) {
    TDBusDesktop desktop;
    int first = 0, second = 0;
    EXPECT_FALSE(desktop.Notify({"No service yet", "", "", [&] { ++first; }}));
    Start({"notify"});
    ASSERT_TRUE(desktop.Notify({"New message from <Ben>", "<b>Fish & chips</b>", "View My InBox", [&] { ++first; }}));
    ASSERT_TRUE(desktop.Notify({"Second", "", "", [&] { ++second; }}));
    EXPECT_EQ(Call("org.freedesktop.Notifications", "Recorded").value(0).toStringList().join('\n').toStdString(),
              "Qel|New message from <Ben>|&lt;b&gt;Fish &amp; chips&lt;/b&gt;|default,View My InBox\n"
              "Qel|Second||default,Open");
    Call("org.freedesktop.Notifications", "Invoke", {7u, "default"});
    Call("org.freedesktop.Notifications", "Invoke", {42u, "default"});
    // Signals arrive in order: once the first notice's action ran, the unknown id has been seen.
    for (QDeadlineTimer deadline(20000); first == 0 && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
}

TEST_F(DesktopBus, LockStateComesFromTheLoginManagerElseTheScreenSaver) {
    const std::tuple<QStringList, bool, bool, std::optional<bool>> cases[] = {
        {{}, false, false, std::nullopt},
        {{"screensaver"}, true, false, true},
        {{"screensaver"}, false, false, false},
        {{"screensaver", "login"}, true, false, false},
        {{"screensaver", "login"}, false, true, true},
        {{"login"}, false, true, true},
    };
    for (const auto& [services, screenSaverActive, lockedHint, locked] : cases) {
        SCOPED_TRACE(testing::Message() << services.join(",").toStdString() << screenSaverActive << lockedHint);
        Start(services);
        Call("org.freedesktop.ScreenSaver", "SetActive", {screenSaverActive});
        Call("org.freedesktop.login1", "SetLockedHint", {lockedHint});
        EXPECT_EQ(TDBusDesktop().ScreenLocked(), locked);
        Fake.kill();
        Fake.waitForFinished();
    }
}

} // namespace
} // namespace qel

// Runs under dbus-run-session, whose private bus stands in for the system bus too.
int main(int argc, char** argv) {
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    qunsetenv("XDG_SESSION_ID");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
