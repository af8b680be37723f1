// A stand-in for the login manager on a private system bus: it answers PowerOff and Suspend by writing one line
// to a record file, and powers nothing off. Given a second file, it copies that file's content into the record
// at the moment of a PowerOff, so a test can see what had been written by then. After RefuseSuspend() it
// answers each Suspend with the error a login manager gives a request it may not carry out without asking. An Inhibit
// is answered with one end of a pipe and recorded ("Inhibit 1 what=... who=... mode=... why=..."); once every copy of
// that end is closed, which is how an inhibitor is given back, "Released 1" follows. With --hold-answers the answers to
// Inhibit wait until someone calls SendHeldAnswers(), so a test can act between a request and its answer.
//   fake_login1 RECORD [WATCHED] [--hold-answers]
//                                    prints "ready" once it owns its name on $DBUS_SYSTEM_BUS_ADDRESS
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>
#include <utility>

namespace {

class Manager : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    Manager(QString record, QString watched, bool holdAnswers)
        : m_record(std::move(record)), m_watched(std::move(watched)), m_holdAnswers(holdAnswers) {}

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

    void Suspend(bool interactive) {
        Write(interactive ? "Suspend interactive=true\n" : "Suspend interactive=false\n");
        if (m_refuseSuspend)
            sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"),
                           QStringLiteral("Interactive authentication required."));
    }

    void RefuseSuspend() { m_refuseSuspend = true; }

    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode) {
        int ends[2];
        if (::pipe(ends) != 0)
            return {};
        const int number = ++m_inhibitors;
        Write(QStringLiteral("Inhibit %1 what=%2 who=%3 mode=%4 why=%5\n")
                  .arg(number)
                  .arg(what, who, mode, why)
                  .toUtf8());
        // The read end sees the end of the pipe when the caller has closed the last copy of the write end.
        auto* notifier = new QSocketNotifier(ends[0], QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, notifier, number] {
            char byte;
            if (::read(int(notifier->socket()), &byte, 1) > 0)
                return;
            notifier->setEnabled(false);
            ::close(int(notifier->socket()));
            notifier->deleteLater();
            Write(QStringLiteral("Released %1\n").arg(number).toUtf8());
        });
        // The answer carries a copy; this one is closed here.
        QDBusUnixFileDescriptor answer(ends[1]);
        ::close(ends[1]);
        if (m_holdAnswers) {
            setDelayedReply(true);
            m_heldAnswers.append(message().createReply(QVariant::fromValue(answer)));
        }
        return answer;
    }

    void SendHeldAnswers() {
        for (const QDBusMessage& answer : std::exchange(m_heldAnswers, {}))
            connection().send(answer);
    }

private:
    void Write(const QByteArray& line) {
        QFile record(m_record);
        if (record.open(QIODevice::Append))
            record.write(line);
    }

    QString m_record;
    QString m_watched;
    bool m_holdAnswers;
    bool m_refuseSuspend = false;
    int m_inhibitors = 0;
    QList<QDBusMessage> m_heldAnswers;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    const bool holdAnswers = args.removeAll(QStringLiteral("--hold-answers")) > 0;
    if (args.size() < 2 || qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS")) {
        std::fputs("usage: DBUS_SYSTEM_BUS_ADDRESS=<private bus> fake_login1 RECORD [WATCHED] [--hold-answers]\n",
                   stderr);
        return 2;
    }
    Manager manager(args.at(1), args.size() > 2 ? args.at(2) : QString(), holdAnswers);
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
