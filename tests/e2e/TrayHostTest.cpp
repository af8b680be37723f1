// The tray icon in a real notification area (the tray host of the test environment), driven by real
// mouse clicks: a double click raises one DblClick, a right press opens the menu at the cursor, and
// deactivating takes the icon away.
#include "ui/SkinAssets.h"
#include "ui/Tray.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

using namespace murmex::ui;

namespace {

// Runs xdotool while this program keeps serving its windows, which the clicks are waiting on.
bool Xdotool(const QStringList& args) {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), args);
    QDeadlineTimer deadline(10000);
    while (xdotool.state() != QProcess::NotRunning && !deadline.hasExpired())
        QTest::qWait(10);
    return xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}

QStringList At(QPoint p) {
    return {QStringLiteral("mousemove"), QString::number(p.x()), QString::number(p.y()), QStringLiteral("sleep"),
            QStringLiteral("0.2")};
}

} // namespace

class TrayHostTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY2(qEnvironmentVariableIsSet("DISPLAY"), "run inside scripts/testenv.sh");
        QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 5000);
    }

    void theIconAnswersRealClicksAndLeaves() {
        TLMDPopupMenu menu(QStringLiteral("Murmex"));
        menu.addAction(QStringLiteral("Start Generator"));
        menu.addAction(QStringLiteral("Exit"));
        TLMDTrayIcon tray;
        tray.SetHint(QStringLiteral("Murmex"));
        tray.SetIcon(ProgramIcon());
        tray.SetPopupMenu(&menu);
        QSignalSpy doubles(&tray, &TLMDTrayIcon::DblClick);
        tray.SetActive(true);
        // Until the host has taken the icon in, it stands at the desktop's corner; the host is at the right.
        QTRY_VERIFY_WITH_TIMEOUT(tray.Native().geometry().isValid() && tray.Native().geometry().x() > 0, 5000);
        QTest::qWait(200);
        const QPoint icon = tray.Native().geometry().center();

        QVERIFY(Xdotool(At(icon) + QStringList{QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                                               QStringLiteral("--delay"), QStringLiteral("60"), QStringLiteral("1")}));
        QTRY_COMPARE(doubles.count(), 1);
        QTest::qWait(300);
        QCOMPARE(doubles.count(), 1);
        QVERIFY(!menu.isVisible());

        QVERIFY(Xdotool(At(icon) + QStringList{QStringLiteral("click"), QStringLiteral("3")}));
        QTRY_VERIFY(menu.isVisible());
        const QRect around = menu.geometry().adjusted(-4, -4, 4, 4);
        QVERIFY2(around.contains(icon), "the menu opens at the cursor");
        menu.hide();

        tray.SetActive(false);
        QTRY_VERIFY(!tray.Native().geometry().isValid());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TrayHostTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TrayHostTest.moc"
