#include "platform/Power.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>

namespace murmex::platform {
namespace {

// systemd-logind, not interactive: no one is asked for a password. The bus address comes from the
// environment (DBUS_SYSTEM_BUS_ADDRESS), where tests put a private bus.
QDBusMessage Login1Call(const QString& method) {
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.login1"),
                                                       QStringLiteral("/org/freedesktop/login1"),
                                                       QStringLiteral("org.freedesktop.login1.Manager"), method);
    call << false;
    call.setAutoStartService(false);
    return call;
}

} // namespace

void RequestPowerOff() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    // An answer, if one comes, is of no use: the request either ends the session or changes nothing.
    bus.send(Login1Call(QStringLiteral("PowerOff")));
}

void RequestSuspend(std::function<void(const QString& why)> refused) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        refused(QStringLiteral("no system bus"));
        return;
    }
    // The application owns the watcher so that one whose answer never comes before the end is still freed.
    auto* watcher =
        new QDBusPendingCallWatcher(bus.asyncCall(Login1Call(QStringLiteral("Suspend"))), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [refused = std::move(refused)](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         if (!call->isError())
                             return;
                         const QDBusError error = call->error();
                         refused(error.message().isEmpty() ? error.name() : error.message());
                     });
}

} // namespace murmex::platform
