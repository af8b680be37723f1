// A stand-in for the login manager on a private system bus: it answers PowerOff by writing one line to a
// record file, and powers nothing off. Given a second file, it copies that file's content into the record
// at the moment of the call, so a test can see what had been written by then.
//   fake_login1 RECORD [WATCHED]     prints "ready" once it owns its name on $DBUS_SYSTEM_BUS_ADDRESS
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>

#include <cstdio>

namespace {

class Manager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    Manager(QString record, QString watched) : m_record(std::move(record)), m_watched(std::move(watched)) {}

public slots:
    void PowerOff(bool interactive) {
        QFile record(m_record);
        if (!record.open(QIODevice::Append))
            return;
        record.write(interactive ? "PowerOff interactive=true\n" : "PowerOff interactive=false\n");
        QFile watched(m_watched);
        if (!m_watched.isEmpty() && watched.open(QIODevice::ReadOnly))
            record.write("--- " + m_watched.toUtf8() + "\n" + watched.readAll() + "\n--- end\n");
    }

private:
    QString m_record;
    QString m_watched;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")) {
        std::fputs("usage: DBUS_SYSTEM_BUS_ADDRESS=<private bus> fake_login1 RECORD [WATCHED]\n", stderr);
        return 2;
    }
    Manager manager(args.at(1), args.size() > 2 ? args.at(2) : QString());
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/login1"), &manager, QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        std::fputs("fake_login1: cannot take its place on the bus\n", stderr);
        return 3;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "FakeLogin1.moc"
