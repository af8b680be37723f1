// The media controls on a private session bus started here, where another connection plays the other
// programs: one that holds the player's name first, and a client that sets the volume. The machine's own bus
// is never reached.
#include "platform/Mpris.h"
#include "tests/e2e/PrivateBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <memory>

using namespace murmex::platform;

class MprisTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_bus;
    QString m_address;

    QDBusConnection Other() const { return QDBusConnection::connectToBus(m_address, QStringLiteral("other")); }

    // Sets the player's volume from the other connection and waits for the answer (none within the time is an
    // invalid message).
    QDBusMessage SetVolume(const QString& service, double volume) {
        QDBusMessage set =
            QDBusMessage::createMethodCall(service, QStringLiteral("/org/mpris/MediaPlayer2"),
                                           QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
        set << QStringLiteral("org.mpris.MediaPlayer2.Player") << QStringLiteral("Volume")
            << QVariant::fromValue(QDBusVariant(volume));
        QDBusPendingCall call = Other().asyncCall(set);
        return QTest::qWaitFor([&] { return call.isFinished(); }, 20000) ? call.reply() : QDBusMessage();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QByteArray address;
        QVERIFY2(murmex::test::StartPrivateBus(m_bus, QStringLiteral("--session"),
                                               m_dir.filePath(QStringLiteral("session_bus_socket")), address),
                 "the private bus did not start (is dbus-daemon installed?)");
        m_address = QString::fromUtf8(address);
        // Before anything opens the session bus: from here on it is the private one.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        QVERIFY(Other().isConnected());
    }

    // Another program holds the name: the player goes by its own instance name, where a volume that is no
    // finite number is refused with an error and never reaches the player, and a finite one does.
    void aTakenNameGivesTheInstanceNameWhereOnlyFiniteVolumesAreTaken() {
        QVERIFY(Other().registerService(QStringLiteral("org.mpris.MediaPlayer2.murmex")));
        QList<double> volumes;
        MediaCommands commands;
        commands.setVolume = [&volumes](double volume) {
            volumes.append(volume);
            return QString();
        };
        const std::unique_ptr<MediaControls> controls = MediaControls::Start(
            {QStringLiteral("murmex"), QStringLiteral("Murmex"), QStringLiteral("murmex")}, std::move(commands));
        QVERIFY(controls);
        const QString instance =
            QStringLiteral("org.mpris.MediaPlayer2.murmex.instance%1").arg(QCoreApplication::applicationPid());
        QVERIFY(Other().interface()->isServiceRegistered(instance));

        for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity()})
            QCOMPARE(SetVolume(instance, bad).type(), QDBusMessage::ErrorMessage);
        QCOMPARE(SetVolume(instance, 0.5).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(volumes, QList<double>{0.5});
    }

    // A command acts before it is answered, and the error it meets is its answer: the caller learns at once
    // whether it was done, and nothing is left to show in the window.
    void aCommandActsBeforeItsAnswerWhichCarriesItsError() {
        MediaCommands commands;
        commands.play = [] { return QStringLiteral("List index out of bounds (-1)"); };
        commands.stop = [] { return QString(); };
        const std::unique_ptr<MediaControls> controls =
            MediaControls::Start({QStringLiteral("murmexanswer"), {}, {}}, std::move(commands));
        QVERIFY(controls);
        const auto call = [this](const QString& method) {
            QDBusPendingCall pending = Other().asyncCall(QDBusMessage::createMethodCall(
                QStringLiteral("org.mpris.MediaPlayer2.murmexanswer"), QStringLiteral("/org/mpris/MediaPlayer2"),
                QStringLiteral("org.mpris.MediaPlayer2.Player"), method));
            return QTest::qWaitFor([&] { return pending.isFinished(); }, 30000) ? pending.reply() : QDBusMessage();
        };
        const QDBusMessage play = call(QStringLiteral("Play"));
        QCOMPARE(play.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(play.errorMessage(), QStringLiteral("List index out of bounds (-1)"));
        QCOMPARE(call(QStringLiteral("Stop")).type(), QDBusMessage::ReplyMessage);
    }

    void cleanupTestCase() {
        m_bus.terminate();
        m_bus.waitForFinished(10000);
    }
};

QTEST_GUILESS_MAIN(MprisTest)
#include "MprisTest.moc"
