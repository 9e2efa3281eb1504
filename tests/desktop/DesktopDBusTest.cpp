// The desktop services over D-Bus, against the stand-ins of fake_desktop.

#include "platform/DesktopDBus.h"

#include <QtCore>
#include <QtDBus>

#include <gtest/gtest.h>

#include <utility>

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
    static QVariantList Call(const QString& method, const QVariantList& args = {}) {
        const QString service = "org.freedesktop.Notifications";
        QDBusMessage call = QDBusMessage::createMethodCall(service, "/org/freedesktop/Notifications", service, method);
        call.setArguments(args);
        return QDBusConnection::sessionBus().call(call).arguments();
    }
    QProcess Fake;
};

// Notices go out escaped and act for their own id; the login manager's lock answer wins over the screen saver's.
TEST_F(DesktopBus, NoticesAndTheLockStateComeFromTheirServices) {
    TDBusDesktop desktop;
    int first = 0, second = 0;
    EXPECT_FALSE(desktop.Notify({"No service yet", "", "", [&] { ++first; }}));
    Start({"notify"});
    ASSERT_TRUE(desktop.Notify({"New message from <Ben>", "<b>Fish & chips</b>", "View My InBox", [&] { ++first; }}));
    ASSERT_TRUE(desktop.Notify({"Second", "", "", [&] { ++second; }}));
    EXPECT_EQ(Call("Recorded").value(0).toStringList().join('\n').toStdString(),
              "Qel|New message from <Ben>|&lt;b&gt;Fish &amp; chips&lt;/b&gt;|default,View My InBox\n"
              "Qel|Second||default,Open");
    Call("Invoke", {7u, "default"});
    Call("Invoke", {42u, "default"});
    // Signals arrive in order: once the first notice's action ran, the unknown id has been seen.
    for (QDeadlineTimer deadline(20000); first == 0 && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    const std::pair<QStringList, std::optional<bool>> cases[] = {
        {{}, std::nullopt},
        {{"screensaver", "active"}, true},
        {{"screensaver"}, false},
        {{"screensaver", "active", "login"}, false},
        {{"screensaver", "login", "locked"}, true},
    };
    for (const auto& [services, locked] : cases) {
        Fake.kill();
        Fake.waitForFinished();
        Start(services);
        EXPECT_EQ(TDBusDesktop().ScreenLocked(), locked) << services.join(",").toStdString();
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
