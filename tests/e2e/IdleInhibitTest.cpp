// The idle inhibitor over real D-Bus: two private buses started here stand in for the session and the
// system bus, with a fake portal and a fake login manager on them. The machine's own buses are never reached.
#include "platform/IdleInhibitor.h"
#include "tests/e2e/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using murmex::platform::IdleInhibitor;

namespace {

const QString kReason = QStringLiteral("Playing noise");

} // namespace

class IdleInhibitTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_sessionBus;
    QProcess m_systemBus;
    QProcess m_login1;
    QProcess m_portal;

    QString PortalRecord() const { return m_dir.filePath(QStringLiteral("portal")); }
    QString Login1Record() const { return m_dir.filePath(QStringLiteral("login1")); }

    static QStringList Lines(const QString& path) {
        QFile record(path);
        if (!record.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(record.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QStringList Portal() const { return Lines(PortalRecord()); }
    QStringList Login1() const { return Lines(Login1Record()); }

    static QString PortalInhibit(int n) {
        return QStringLiteral("Inhibit %1 window= flags=4 reason=").arg(n) + kReason;
    }
    static QString Login1Inhibit(int n) {
        return QStringLiteral("Inhibit %1 what=idle who=Murmex mode=block why=").arg(n) + kReason;
    }

    static void StartFake(QProcess& fake, const char* binary, const QStringList& args) {
        fake.start(qEnvironmentVariable(binary), args);
        QVERIFY(fake.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(fake.canReadLine(), 20000);
        QCOMPARE(fake.readLine().trimmed(), QByteArray("ready"));
    }

    static QString BusConfig() { return QStringLiteral("--config-file=") + qEnvironmentVariable("PRIVATE_BUS_CONF"); }

    void StartPortal(bool refuse = false) {
        QStringList args{PortalRecord()};
        if (refuse)
            args << QStringLiteral("--refuse");
        StartFake(m_portal, "FAKE_PORTAL_BIN", args);
    }

    // Takes an inhibitor and waits for its answer.
    static void HoldAndWait(IdleInhibitor& inhibitor) {
        QSignalSpy answered(&inhibitor, &IdleInhibitor::Answered);
        inhibitor.Hold();
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 20000);
        QVERIFY(inhibitor.Holding());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QByteArray session;
        QByteArray system;
        QVERIFY2(murmex::test::StartPrivateBus(m_sessionBus, BusConfig(), m_dir.filePath(QStringLiteral("session_bus")),
                                               session),
                 "the private session bus did not start");
        QVERIFY2(murmex::test::StartPrivateBus(m_systemBus, BusConfig(), m_dir.filePath(QStringLiteral("system_bus")),
                                               system),
                 "the private system bus did not start");
        // Before anything opens a bus: from here on both are the private ones.
        qputenv("DBUS_SESSION_BUS_ADDRESS", session);
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", system);
    }

    void init() {
        QFile::remove(PortalRecord());
        QFile::remove(Login1Record());
        StartFake(m_login1, "FAKE_LOGIN1_BIN", {Login1Record()});
    }

    void cleanup() {
        for (QProcess* fake : {&m_portal, &m_login1}) {
            if (fake->state() == QProcess::NotRunning)
                continue;
            fake->terminate();
            fake->waitForFinished(10000);
        }
    }

    // With a portal the login manager is left alone; each start takes one inhibitor and each stop gives it
    // back, however often either is asked for.
    void thePortalIsUsedWhereItAnswers() {
        StartPortal();
        IdleInhibitor inhibitor(kReason);
        HoldAndWait(inhibitor);
        QCOMPARE(Portal(), QStringList{PortalInhibit(1)});
        inhibitor.Hold();
        inhibitor.Release();
        QTRY_COMPARE_WITH_TIMEOUT(Portal(), (QStringList{PortalInhibit(1), QStringLiteral("Close 1")}), 20000);
        QVERIFY(!inhibitor.Holding());
        inhibitor.Release();

        HoldAndWait(inhibitor);
        inhibitor.Release();
        QTRY_COMPARE_WITH_TIMEOUT(Portal().size(), 4, 20000);
        QCOMPARE(Portal().mid(2), (QStringList{PortalInhibit(2), QStringLiteral("Close 2")}));
        QVERIFY(Login1().isEmpty());
    }

    // A stop before the answer gives the inhibitor back as soon as it comes; a start again before the answer
    // keeps the one on its way instead of asking for a second. The portal's answer cannot come before the
    // event loop runs; the fake login manager keeps its answers until told to send them.
    void aStopBeforeTheAnswerStillGivesItBack_data() {
        QTest::addColumn<bool>("portal");
        QTest::newRow("portal") << true;
        QTest::newRow("login manager") << false;
    }
    void aStopBeforeTheAnswerStillGivesItBack() {
        QFETCH(bool, portal);
        if (portal) {
            StartPortal();
        } else {
            m_login1.terminate();
            QVERIFY(m_login1.waitForFinished(10000));
            StartFake(m_login1, "FAKE_LOGIN1_BIN", {Login1Record(), QStringLiteral("--hold-answers")});
        }
        const auto record = [&] { return portal ? Portal() : Login1(); };
        const auto asked = [&](qsizetype lines) {
            if (!portal)
                QTRY_COMPARE_WITH_TIMEOUT(record().size(), lines, 20000);
        };
        const auto answer = [&] {
            if (!portal)
                QDBusConnection::systemBus().call(QDBusMessage::createMethodCall(
                    QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("SendHeldAnswers")));
        };
        const auto inhibit = [&](int n) { return portal ? PortalInhibit(n) : Login1Inhibit(n); };
        const auto release = [&](int n) {
            return (portal ? QStringLiteral("Close %1") : QStringLiteral("Released %1")).arg(n);
        };

        IdleInhibitor inhibitor(kReason);
        QSignalSpy answered(&inhibitor, &IdleInhibitor::Answered);
        inhibitor.Hold();
        asked(1);
        inhibitor.Release();
        answer();
        QTRY_COMPARE_WITH_TIMEOUT(record(), (QStringList{inhibit(1), release(1)}), 20000);
        QCOMPARE(answered.size(), 1);
        QVERIFY(!inhibitor.Holding());

        inhibitor.Hold();
        asked(3);
        inhibitor.Release();
        inhibitor.Hold();
        answer();
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 2, 20000);
        QVERIFY(inhibitor.Holding());
        QCOMPARE(record().size(), 3);
        inhibitor.Release();
        QTRY_COMPARE_WITH_TIMEOUT(record().size(), 4, 20000);
        QCOMPARE(record().mid(2), (QStringList{inhibit(2), release(2)}));
    }

    // Without a portal, or with one that refuses, the login manager holds off the idle action instead.
    void theLoginManagerIsUsedWhereNoPortalAnswers_data() {
        QTest::addColumn<bool>("refusingPortal");
        QTest::newRow("no portal") << false;
        QTest::newRow("a refusing portal") << true;
    }
    void theLoginManagerIsUsedWhereNoPortalAnswers() {
        QFETCH(bool, refusingPortal);
        if (refusingPortal)
            StartPortal(true);
        IdleInhibitor inhibitor(kReason);
        HoldAndWait(inhibitor);
        QCOMPARE(Login1(), QStringList{Login1Inhibit(1)});
        QCOMPARE(Portal(), refusingPortal ? QStringList{PortalInhibit(1)} : QStringList{});
        inhibitor.Release();
        QTRY_COMPARE_WITH_TIMEOUT(Login1(), (QStringList{Login1Inhibit(1), QStringLiteral("Released 1")}), 20000);
        QVERIFY(!inhibitor.Holding());
    }

    // The program's end gives back what is held; the portal is told before the inhibitor is gone.
    void theEndGivesItBack_data() {
        QTest::addColumn<bool>("portal");
        QTest::newRow("portal") << true;
        QTest::newRow("login manager") << false;
    }
    void theEndGivesItBack() {
        QFETCH(bool, portal);
        if (portal)
            StartPortal();
        {
            IdleInhibitor inhibitor(kReason);
            HoldAndWait(inhibitor);
        }
        if (portal)
            QCOMPARE(Portal(), (QStringList{PortalInhibit(1), QStringLiteral("Close 1")}));
        else
            QTRY_COMPARE_WITH_TIMEOUT(Login1(), (QStringList{Login1Inhibit(1), QStringLiteral("Released 1")}), 20000);
    }

    // With nobody on either bus the answer is an error that leaves nothing held, and nothing else happens.
    void nobodyToAskLeavesNothingHeld() {
        m_login1.terminate();
        QVERIFY(m_login1.waitForFinished(10000));
        IdleInhibitor inhibitor(kReason);
        QSignalSpy answered(&inhibitor, &IdleInhibitor::Answered);
        inhibitor.Hold();
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 1, 20000);
        QVERIFY(!inhibitor.Holding());
        inhibitor.Release();
    }

    void cleanupTestCase() {
        for (QProcess* bus : {&m_sessionBus, &m_systemBus}) {
            bus->terminate();
            bus->waitForFinished(10000);
        }
    }
};

QTEST_GUILESS_MAIN(IdleInhibitTest)
#include "IdleInhibitTest.moc"
