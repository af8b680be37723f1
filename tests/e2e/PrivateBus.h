// A private D-Bus daemon started by a test to stand in for one of the machine's buses. Header-only; the
// test's main thread.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcess>
#include <QString>

namespace murmex::test {

// Starts `bus` listening on `socket` with `config` ("--session", "--system" or "--config-file=PATH") and
// reads its address; false when it does not start or tell its address within half a minute.
inline bool StartPrivateBus(QProcess& bus, const QString& config, const QString& socket, QByteArray& address) {
    bus.start(QStringLiteral("dbus-daemon"),
              {config, QStringLiteral("--nofork"), QStringLiteral("--nopidfile"), QStringLiteral("--print-address"),
               QStringLiteral("--address=unix:path=") + socket});
    if (!bus.waitForStarted(10000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (!bus.canReadLine() && clock.elapsed() < 20000)
        bus.waitForReadyRead(100);
    address = bus.readLine().trimmed();
    return address.startsWith("unix:path=" + socket.toUtf8());
}

} // namespace murmex::test
