#include "platform/Power.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace murmex::platform {

void RequestPowerOff() {
    // systemd-logind: PowerOff(interactive = false). The bus address comes from the environment
    // (DBUS_SYSTEM_BUS_ADDRESS), where tests put a private bus.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << false;
    // An answer, if one comes, is of no use: the request either ends the session or changes nothing.
    call.setAutoStartService(false);
    bus.send(call);
}

} // namespace murmex::platform
