// A stand-in for the desktop portal's inhibit service on a private session bus. Each Inhibit is recorded
// ("Inhibit 1 window=... flags=... reason=...") and answered with a request object of its own; Close on that
// object records "Close 1" and removes it. A caller that leaves the bus while holding one records "Gone 1".
// With --refuse every Inhibit is answered with an error, as a portal without this service would.
//   fake_portal RECORD [--refuse]     prints "ready" once it owns its name on $DBUS_SESSION_BUS_ADDRESS
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QFile>
#include <QVariantMap>

#include <cstdio>

namespace {

void Write(const QString& record, const QString& line) {
    QFile file(record);
    if (file.open(QIODevice::Append))
        file.write(line.toUtf8() + '\n');
}

class Request : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    Request(QString record, int number, QString path)
        : m_record(std::move(record)), m_number(number), m_path(std::move(path)) {}

    void Gone() {
        Write(m_record, QStringLiteral("Gone %1").arg(m_number));
        End();
    }

public slots:
    void Close() {
        Write(m_record, QStringLiteral("Close %1").arg(m_number));
        End();
    }

private:
    void End() {
        QDBusConnection::sessionBus().unregisterObject(m_path);
        deleteLater();
    }

    QString m_record;
    int m_number;
    QString m_path;
};

class InhibitService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
public:
    InhibitService(QString record, bool refuse) : m_record(std::move(record)), m_refuse(refuse) {
        m_callers.setConnection(QDBusConnection::sessionBus());
        m_callers.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(&m_callers, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString& caller) {
            for (Request* request : findChildren<Request*>(caller, Qt::FindDirectChildrenOnly))
                request->Gone();
        });
    }

public slots:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options) {
        const int number = ++m_requests;
        Write(m_record, QStringLiteral("Inhibit %1 window=%2 flags=%3 reason=%4")
                            .arg(number)
                            .arg(window)
                            .arg(flags)
                            .arg(options.value(QStringLiteral("reason")).toString()));
        if (m_refuse) {
            sendErrorReply(QDBusError::NotSupported, QStringLiteral("no inhibit service here"));
            return {};
        }
        const QString caller = message().service();
        QString sender = caller.mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString path =
            QStringLiteral("/org/freedesktop/portal/desktop/request/%1/murmex%2").arg(sender).arg(number);
        auto* request = new Request(m_record, number, path);
        request->setParent(this);
        request->setObjectName(caller);
        QDBusConnection::sessionBus().registerObject(path, request, QDBusConnection::ExportAllSlots);
        m_callers.addWatchedService(caller);
        return QDBusObjectPath(path);
    }

private:
    QString m_record;
    bool m_refuse;
    int m_requests = 0;
    QDBusServiceWatcher m_callers;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::fputs("usage: DBUS_SESSION_BUS_ADDRESS=<private bus> fake_portal RECORD [--refuse]\n", stderr);
        return 2;
    }
    InhibitService inhibit(args.at(1), args.contains(QStringLiteral("--refuse")));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &inhibit,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop"))) {
        std::fputs("fake_portal: cannot take its place on the bus\n", stderr);
        return 3;
    }
    std::puts("ready");
    std::fflush(stdout);
    return QCoreApplication::exec();
}

#include "FakePortal.moc"
