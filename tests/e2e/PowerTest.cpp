// The power-off and suspend requests over a real D-Bus: a private bus started here stands in for the system
// bus, with a fake login manager on it. The machine's own bus is never reached.
#include "platform/Power.h"
#include "tests/e2e/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class PowerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_login1;
    QStringList m_refusals;

    void Suspend() {
        murmex::platform::RequestSuspend([this](const QString& why) { m_refusals << why; });
    }

    QString Record() const { return m_dir.filePath(QStringLiteral("record")); }

    QByteArray Recorded() const {
        QFile record(Record());
        return record.open(QIODevice::ReadOnly) ? record.readAll() : QByteArray();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QByteArray address;
        QVERIFY2(murmex::test::StartPrivateBus(m_bus, QStringLiteral("--session"),
                                               m_dir.filePath(QStringLiteral("system_bus_socket")), address),
                 "the private bus did not start (is dbus-daemon installed?)");
        // Before anything opens the system bus: from here on it is the private one.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
    }

    // With nobody on the bus to answer, the power-off is lost quietly; the suspend's failure comes back later.
    // Neither waits for an answer.
    void aRequestWithoutALoginManagerWaitsForNothing() {
        QElapsedTimer clock;
        clock.start();
        murmex::platform::RequestPowerOff();
        Suspend();
        QVERIFY2(clock.elapsed() < 5000 && m_refusals.isEmpty(), "a request waited for an answer");
        QTRY_COMPARE_WITH_TIMEOUT(m_refusals.size(), 1, 20000);
    }

    void theLoginManagerIsAskedOnceWithoutInteraction() {
        m_login1.start(QString::fromLocal8Bit(qgetenv("FAKE_LOGIN1_BIN")), {Record()});
        QVERIFY(m_login1.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(m_login1.canReadLine(), 20000);
        QCOMPARE(m_login1.readLine().trimmed(), QByteArray("ready"));
        murmex::platform::RequestPowerOff();
        QTRY_COMPARE_WITH_TIMEOUT(Recorded(), QByteArray("PowerOff interactive=false\n"), 20000);

        // A suspend carried out brings no refusal: the answers come in order, so by the refused request's the
        // accepted one's has been seen.
        m_refusals.clear();
        Suspend();
        QTRY_VERIFY_WITH_TIMEOUT(Recorded().endsWith("\nSuspend interactive=false\n"), 20000);
        const QDBusMessage refuse = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
            QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("RefuseSuspend"));
        QCOMPARE(QDBusConnection::systemBus().call(refuse).type(), QDBusMessage::ReplyMessage);
        Suspend();
        QTRY_COMPARE_WITH_TIMEOUT(m_refusals, QStringList{QStringLiteral("Interactive authentication required.")},
                                  20000);
        QCOMPARE(Recorded().count("Suspend interactive=false\n"), 2);
    }

    void cleanupTestCase() {
        for (QProcess* process : {&m_login1, &m_bus}) {
            process->terminate();
            process->waitForFinished(10000);
        }
    }
};

QTEST_GUILESS_MAIN(PowerTest)
#include "PowerTest.moc"
