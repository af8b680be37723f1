// The work timer's hover pictures of the small buttons and arrows, and the auto-off it counts down: after
// the chosen delay of playing it closes the window or keeps the settings and asks for a power-off.
#include "app/Main.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Tray.h"

#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

using namespace murmex;

namespace {

constexpr int kTenMinutes = 6000;

QString Stored(const char* key) {
    return QSettings(test::WidgetSettingsFile(), QSettings::IniFormat).value(QString::fromLatin1(key)).toString();
}

} // namespace

class MainAutoOffTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(test::WidgetSettingsFile());
        test::SetCursor({-10000, -10000});
    }

    // Places read off the window's drawing: a 1280 wide desktop puts the 808 wide window at (236, 10); the language
    // arrows sit in their panel at (502, 412), the delay's arrows in theirs at (502, 412), the action's at
    // (586, 412).
    void smallButtonsLightUpOnlyWithTheCursorStrictlyInside_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place"); // in window coordinates
        QTest::addColumn<int>("lit");
        QTest::addColumn<int>("plain");
        QTest::newRow("help") << QStringLiteral("Sb_Help") << QRect(702, 5, 22, 23) << 0 << 1;
        QTest::newRow("web") << QStringLiteral("Sb_Internet") << QRect(726, 5, 22, 23) << 2 << 3;
        QTest::newRow("minimise") << QStringLiteral("Sb_Min") << QRect(750, 5, 22, 23) << 4 << 5;
        QTest::newRow("close") << QStringLiteral("Sb_Close") << QRect(774, 5, 22, 23) << 6 << 7;
        QTest::newRow("language up") << QStringLiteral("Sb_Lang_Up") << QRect(746, 413, 19, 10) << 9 << 8;
        QTest::newRow("language down") << QStringLiteral("Sb_Lang_Down") << QRect(746, 423, 19, 10) << 11 << 10;
        QTest::newRow("delay up") << QStringLiteral("Sb_Off_1_Up") << QRect(562, 413, 19, 10) << 9 << 8;
        QTest::newRow("delay down") << QStringLiteral("Sb_Off_1_Down") << QRect(562, 423, 19, 10) << 11 << 10;
        QTest::newRow("action up") << QStringLiteral("Sb_Off_2_Up") << QRect(746, 413, 19, 10) << 9 << 8;
        QTest::newRow("action down") << QStringLiteral("Sb_Off_2_Down") << QRect(746, 423, 19, 10) << 11 << 10;
    }

    void smallButtonsLightUpOnlyWithTheCursorStrictlyInside() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(int, lit);
        QFETCH(int, plain);
        const auto fm = test::MakeMainWindow(1280);
        fm->show();
        auto* button = fm->findChild<ui::TLMDLImage*>(name);
        QVERIFY(button);
        const QRect onScreen = place.translated(236, 10);
        const auto pictureAt = [&](QPoint cursor) {
            test::SetCursor(cursor);
            fm->Timer_WorkTimer();
            return button->ListIndex();
        };
        QCOMPARE(pictureAt(onScreen.topLeft() + QPoint(1, 1)), lit);
        QCOMPARE(pictureAt(onScreen.topLeft()), plain); // on the edge
        QCOMPARE(pictureAt(onScreen.topLeft() + QPoint(place.width() - 1, place.height() - 1)), lit);
        QCOMPARE(pictureAt(onScreen.topLeft() + QPoint(place.width(), 1)), plain); // one past the right
        QCOMPARE(pictureAt(onScreen.topLeft() + QPoint(1, place.height())), plain);
        QCOMPARE(pictureAt(onScreen.center()), lit);
        // A hidden window has nothing under the cursor.
        fm->hide();
        QCOMPARE(pictureAt(onScreen.center()), plain);
    }

    void tenMinutesOfPlayingCloseTheWindowAndKeepTheSettings() {
        test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=0\nNoise_Num=2\n");
        auto fm = test::MakeMainWindow();
        fm->show();
        QSignalSpy closed(fm.get(), &TfmMain::Closed);
        fm->Noise_Num = 6;
        fm->Generator_On = true;
        for (int tick = 1; tick < kTenMinutes; ++tick)
            fm->Timer_WorkTimer();
        QVERIFY(fm->isVisible());
        QCOMPARE(closed.count(), 0);
        fm->Timer_WorkTimer();
        QVERIFY(!fm->isVisible());
        QCOMPARE(closed.count(), 1);
        fm.reset();
        QCOMPARE(Stored("Noise_Num"), QStringLiteral("6"));
        QCOMPARE(Stored("Off_1"), QStringLiteral("1"));
    }

    // The settings are in the store by the time the power-off is asked for; the request is made once, and
    // a computer that stays on leaves the program playing with its countdown spent.
    void theShutdownKeepsTheSettingsFirstThenAsksOnce() {
        test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=1\nNoise_Num=2\nLanguare=0\n");
        MainServices services = test::TestServices();
        QStringList seen;
        services.powerOff = [&] {
            seen << Stored("Noise_Num") + QLatin1Char('/') + Stored("Value_L") + QLatin1Char('/') + Stored("Languare");
        };
        TfmMain fm(std::move(services));
        fm.show();
        QSignalSpy closed(&fm, &TfmMain::Closed);
        fm.Noise_Num = 7;
        fm.Value_L = 33;
        fm.Lang_Num = 1;
        fm.Generator_On = true;
        // Six minutes, a pause, then the last four: a stop does not reset the count.
        for (int tick = 0; tick < 3600; ++tick)
            fm.Timer_WorkTimer();
        fm.Generator_On = false;
        for (int tick = 0; tick < 100; ++tick)
            fm.Timer_WorkTimer();
        fm.Generator_On = true;
        for (int tick = 0; tick < 2399; ++tick)
            fm.Timer_WorkTimer();
        QVERIFY(seen.isEmpty());
        fm.Timer_WorkTimer();
        QCOMPARE(seen, QStringList{QStringLiteral("7/33/1")});
        for (int tick = 0; tick < kTenMinutes; ++tick)
            fm.Timer_WorkTimer();
        QCOMPARE(seen.size(), 1);
        QVERIFY(fm.isVisible());
        QVERIFY(fm.Generator_On);
        QCOMPARE(closed.count(), 0);
    }

    // Minimise on start waits for the window's first active tick; in the tray the countdown goes on.
    void minimiseOnStartThenTheCountdownRunsInTheTray() {
        test::WriteWidgetSettings("[General]\nMin_FormShow=1\nOff_1=1\nOff_2=0\n");
        MainServices services = test::TestServices();
        services.trayAvailable = [] { return true; };
        TfmMain fm(std::move(services));
        QSignalSpy closed(&fm, &TfmMain::Closed);
        fm.Timer_WorkTimer();
        QVERIFY(!fm.TrayIcon->Active());
        fm.show();
        fm.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fm));
        fm.Timer_WorkTimer();
        QVERIFY(fm.TrayIcon->Active());
        QVERIFY(fm.isHidden());
        fm.Generator_On = true;
        for (int tick = 0; tick < kTenMinutes; ++tick)
            fm.Timer_WorkTimer();
        QCOMPARE(closed.count(), 1);
    }
};

MURMEX_WIDGET_TEST(MainAutoOffTest)
#include "MainAutoOffTest.moc"
