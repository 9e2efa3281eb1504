#include "platform/DesktopDBus.h"

#include "util/StringUtils.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>

#include <unistd.h>

namespace qel {

namespace {

const QString NotifyService = QStringLiteral("org.freedesktop.Notifications");
const QString NotifyPath = QStringLiteral("/org/freedesktop/Notifications");
const QString LoginService = QStringLiteral("org.freedesktop.login1");
const QString ScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString ScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
// Notices kept for their actions; the oldest go first beyond this.
constexpr size_t MaxActions = 64;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// The answer to `call`, or an empty list when none came.
QVariantList Call(QDBusConnection bus, const QDBusMessage& call) {
    if (!bus.isConnected())
        return {};
    const QDBusMessage reply = bus.call(call, QDBus::Block, TDBusDesktop::CallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments() : QVariantList{};
}

} // namespace

TDBusDesktop::TDBusDesktop(QObject* parent) : QObject(parent) {}

bool TDBusDesktop::Notify(const TDesktopNotice& notice) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!FListening && bus.isConnected()) {
        FListening = bus.connect(NotifyService, NotifyPath, NotifyService, QStringLiteral("ActionInvoked"), this,
                                 SLOT(ActionInvoked(uint, QString)));
        bus.connect(NotifyService, NotifyPath, NotifyService, QStringLiteral("NotificationClosed"), this,
                    SLOT(NotificationClosed(uint, uint)));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(NotifyService, NotifyPath, NotifyService, "Notify");
    QStringList actions;
    if (notice.OnAction)
        actions << QStringLiteral("default") << Q(notice.ActionLabel.empty() ? "Open" : notice.ActionLabel);
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("qel")}};
    call << QStringLiteral("Qel") << uint(0) << QStringLiteral("qel") << Q(notice.Summary)
         << Q(EscapeMarkup(notice.Body)) << actions << hints << int(-1);
    const QVariantList answer = Call(bus, call);
    if (answer.isEmpty())
        return false;
    if (notice.OnAction) {
        if (FActions.size() >= MaxActions)
            FActions.erase(FActions.begin());
        FActions[answer.first().toUInt()] = notice.OnAction;
    }
    return true;
}

void TDBusDesktop::ActionInvoked(uint id, const QString&) {
    const auto found = FActions.find(id);
    if (found == FActions.end())
        return;
    // The handler may open a modal window: take it out first.
    const std::function<void()> action = found->second;
    FActions.erase(found);
    action();
}

void TDBusDesktop::NotificationClosed(uint id, uint) {
    FActions.erase(id);
}

std::optional<bool> TDBusDesktop::ScreenLocked() {
    if (const std::optional<bool> locked = LoginManagerLocked())
        return locked;
    return ScreenSaverActive();
}

std::optional<bool> TDBusDesktop::LoginManagerLocked() {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (FSessionPath.isEmpty()) {
        const QString manager = QStringLiteral("org.freedesktop.login1.Manager");
        const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
        QDBusMessage find = QDBusMessage::createMethodCall(
            LoginService, QStringLiteral("/org/freedesktop/login1"), manager,
            sessionId.isEmpty() ? QStringLiteral("GetSessionByPID") : QStringLiteral("GetSession"));
        if (sessionId.isEmpty())
            find << uint(::getpid());
        else
            find << sessionId;
        const QVariantList answer = Call(bus, find);
        if (answer.isEmpty() || !answer.first().canConvert<QDBusObjectPath>())
            return std::nullopt;
        FSessionPath = answer.first().value<QDBusObjectPath>().path();
    }
    QDBusMessage get = QDBusMessage::createMethodCall(LoginService, FSessionPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"), "Get");
    get << QStringLiteral("org.freedesktop.login1.Session") << QStringLiteral("LockedHint");
    const QVariantList answer = Call(bus, get);
    const QVariant value = answer.isEmpty() ? QVariant() : answer.first().value<QDBusVariant>().variant();
    if (value.typeId() != QMetaType::Bool) {
        // The session may have ended or the manager restarted: look again.
        FSessionPath.clear();
        return std::nullopt;
    }
    return value.toBool();
}

std::optional<bool> TDBusDesktop::ScreenSaverActive() {
    const QVariantList answer = Call(QDBusConnection::sessionBus(),
                                     QDBusMessage::createMethodCall(ScreenSaverService, ScreenSaverPath,
                                                                    ScreenSaverService, QStringLiteral("GetActive")));
    if (answer.isEmpty() || answer.first().typeId() != QMetaType::Bool)
        return std::nullopt;
    return answer.first().toBool();
}

} // namespace qel
