// The power-off request over a real D-Bus: a private bus started here stands in for the system bus, with
// a fake login manager on it. The machine's own bus is never reached.
#include "platform/Power.h"
#include "tests/e2e/PrivateBus.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class PowerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_login1;

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

    // With nobody on the bus to answer, the request is lost quietly and nothing waits for it.
    void aRequestWithoutALoginManagerGoesUnnoticed() {
        QElapsedTimer clock;
        clock.start();
        murmex::platform::RequestPowerOff();
        QVERIFY2(clock.elapsed() < 5000, "the request waited for an answer");
    }

    void theLoginManagerIsAskedOnceWithoutInteraction() {
        m_login1.start(QString::fromLocal8Bit(qgetenv("FAKE_LOGIN1_BIN")), {Record()});
        QVERIFY(m_login1.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(m_login1.canReadLine(), 20000);
        QCOMPARE(m_login1.readLine().trimmed(), QByteArray("ready"));
        murmex::platform::RequestPowerOff();
        QTRY_COMPARE_WITH_TIMEOUT(Recorded(), QByteArray("PowerOff interactive=false\n"), 20000);
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
