// The work timer's hover pictures of the small buttons and arrows, and the auto-off it counts down: after
// the chosen delay of playing it closes the window, or keeps the settings and asks for a power-off or a suspend.
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "audio/WaveOutUtils.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QPlainTextEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

using namespace murmex;

namespace {

constexpr int kTenMinutes = 6000;

struct Volume {
    int left = -1;
    int right = -1;
};

Volume CurrentVolume() {
    std::uint16_t left = 0;
    std::uint16_t right = 0;
    if (!audio::GetWaveOutVolume(left, right))
        return {};
    return {left, right};
}

// A window playing with the auto-off at ten minutes and "Computer shutdown", the sliders at 80 and 40;
// `powerOffs` counts the requests.
std::unique_ptr<TfmMain> FadingWindow(int& powerOffs) {
    test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=1\nValue_L=80\nValue_R=40\n");
    MainServices services = test::TestServices();
    services.powerOff = [&powerOffs] { ++powerOffs; };
    auto fm = std::make_unique<TfmMain>(std::move(services));
    fm->show();
    fm->Generator_On = true;
    return fm;
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
            test::Tick(*fm);
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
            test::Tick(*fm);
        QVERIFY(fm->isVisible());
        QCOMPARE(closed.count(), 0);
        test::Tick(*fm);
        QVERIFY(!fm->isVisible());
        QCOMPARE(closed.count(), 1);
        fm.reset();
        QCOMPARE(test::StoredWidgetSetting("Noise_Num"), QStringLiteral("6"));
        QCOMPARE(test::StoredWidgetSetting("Off_1"), QStringLiteral("1"));
    }

    // Out of sight the timer rests, and each of its ticks counts the time played since the last.
    void aRestingTimerCountsThePlayingTime() {
        test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=0\n");
        const auto fm = test::MakeMainWindow();
        QSignalSpy closed(fm.get(), &TfmMain::Closed);
        fm->Generator_On = true;
        test::Tick(*fm, 1000);
        QCOMPARE(fm->Off_Count, 10);
        test::Tick(*fm, 3600 * 1000);
        QCOMPARE(fm->Off_Count, kTenMinutes);
        QCOMPARE(closed.count(), 1);
    }

    // The settings are in the store by the time the power-off is asked for; the request is made once, and
    // a computer that stays on leaves the program playing with its countdown spent.
    void theShutdownKeepsTheSettingsFirstThenAsksOnce() {
        test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=1\nNoise_Num=2\nLanguare=0\n");
        MainServices services = test::TestServices();
        QStringList seen;
        services.powerOff = [&] {
            seen << test::StoredWidgetSetting("Noise_Num") + QLatin1Char('/') + test::StoredWidgetSetting("Value_L") +
                        QLatin1Char('/') + test::StoredWidgetSetting("Languare");
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
            test::Tick(fm);
        fm.Generator_On = false;
        for (int tick = 0; tick < 100; ++tick)
            test::Tick(fm);
        fm.Generator_On = true;
        for (int tick = 0; tick < 2399; ++tick)
            test::Tick(fm);
        QVERIFY(seen.isEmpty());
        test::Tick(fm);
        QCOMPARE(seen, QStringList{QStringLiteral("7/33/1")});
        for (int tick = 0; tick < kTenMinutes; ++tick)
            test::Tick(fm);
        QCOMPARE(seen.size(), 1);
        QVERIFY(fm.isVisible());
        QVERIFY(fm.Generator_On);
        QCOMPARE(closed.count(), 0);
    }

    // With "Suspend" the fade ends in a stop, which gives the idle inhibitor back, before the request goes out
    // with the settings kept; the next start counts from 0. A refusal is one line in the diagnostics, no box.
    void theSuspendStopsTheGeneratorThenAsks() {
        test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=2\nNoise_Num=2\n");
        MainServices services = test::TestServices();
        QStringList seen;
        std::function<void(const QString&)> refuse;
        int playersAtStop = -1;
        services.playingChanged = [&](bool playing) {
            seen << QString::number(int(playing));
            playersAtStop = audio::WOThreadCount();
        };
        services.powerOff = [&] { seen << QStringLiteral("power-off"); };
        services.suspend = [&](std::function<void(const QString&)> refused) {
            seen << QStringLiteral("suspend ") + test::StoredWidgetSetting("Noise_Num");
            refuse = std::move(refused);
        };
        TfmMain fm(std::move(services));
        fm.show();
        fm.Noise_Num = 7;
        fm.Sb_GeneratorClick(); // a real player: it must be gone before the user's volume is put back
        seen.clear();
        for (int tick = 1; tick < kTenMinutes; ++tick)
            test::Tick(fm);
        QVERIFY(seen.isEmpty());
        test::Tick(fm);
        QCOMPARE(seen, (QStringList{QStringLiteral("0"), QStringLiteral("suspend 7")}));
        QCOMPARE(playersAtStop, 0);
        QVERIFY(!fm.Generator_On);
        QCOMPARE(fm.Off_Count, 0);
        QVERIFY(fm.isVisible());
        QVERIFY(refuse);
        refuse(QStringLiteral("Interactive authentication\nrequired."));
        QCOMPARE(
            fm.Memo1->toPlainText().split(QLatin1Char('\n')).filter(QStringLiteral("suspend")),
            QStringList{QStringLiteral("The computer could not be suspended: Interactive authentication required.")});
    }

    // Over the last fifty ticks the output goes down step by step to nothing on the tick the action fires,
    // while the sliders, their numbers and the stored values stay the user's; a computer that is still on a
    // minute after the request hears the noise come back over five seconds to the user's volume.
    void theLastFiveSecondsFadeTheOutputAlone() {
        int powerOffs = 0;
        const auto fm = FadingWindow(powerOffs);
        for (int tick = 1; tick <= kTenMinutes - 50; ++tick)
            test::Tick(*fm);
        const Volume full = CurrentVolume();
        QCOMPARE(full.left, int(audio::TrackBarToVolume(20)));
        QCOMPARE(full.right, int(audio::TrackBarToVolume(60)));
        Volume last = full;
        for (int step = 49; step >= 0; --step) {
            test::Tick(*fm);
            const Volume now = CurrentVolume();
            QVERIFY2(now.left < last.left && now.right < last.right, qPrintable(QString::number(step)));
            QVERIFY(std::abs(now.left - full.left * step / 50) <= 1);
            QVERIFY(std::abs(now.right - full.right * step / 50) <= 1);
            QCOMPARE(powerOffs, step == 0 ? 1 : 0);
            QCOMPARE(fm->tbVolLeft->value(), 20);
            QCOMPARE(fm->tbVolRight->value(), 60);
            QCOMPARE(fm->Value_L, 80);
            QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("80"));
            last = now;
        }
        QCOMPARE(last.left, 0);
        QCOMPARE(last.right, 0);
        QCOMPARE(test::StoredWidgetSetting("Value_L"), QStringLiteral("80"));
        QCOMPARE(test::StoredWidgetSetting("Value_R"), QStringLiteral("40"));
        for (int tick = 0; tick < 600; ++tick)
            test::Tick(*fm);
        QCOMPARE(CurrentVolume().left, 0);
        test::Tick(*fm);
        QVERIFY(CurrentVolume().left > 0 && CurrentVolume().left < full.left);
        for (int tick = 0; tick < 49; ++tick)
            test::Tick(*fm);
        QCOMPARE(CurrentVolume().left, full.left);
        QCOMPARE(CurrentVolume().right, full.right);
        QCOMPARE(powerOffs, 1);
    }

    // Halfway through the fade the user stops, moves a slider or picks another delay: the volume is the
    // user's again at once and stays so; the action still comes when it is due.
    void aStopASliderOrAnotherDelayEndTheFade_data() {
        QTest::addColumn<QString>("what");
        QTest::newRow("stop") << QStringLiteral("stop");
        QTest::newRow("slider") << QStringLiteral("slider");
        QTest::newRow("delay") << QStringLiteral("delay");
    }

    void aStopASliderOrAnotherDelayEndTheFade() {
        QFETCH(QString, what);
        int powerOffs = 0;
        const auto fm = FadingWindow(powerOffs);
        for (int tick = 1; tick <= kTenMinutes - 25; ++tick)
            test::Tick(*fm);
        QVERIFY(CurrentVolume().left < int(audio::TrackBarToVolume(20)));
        Volume user{audio::TrackBarToVolume(20), audio::TrackBarToVolume(60)};
        if (what == QLatin1String("stop")) {
            fm->Sb_GeneratorClick();
            QVERIFY(!fm->Generator_On);
            QCOMPARE(CurrentVolume().left, user.left);
            QCOMPARE(CurrentVolume().right, user.right);
            fm->Generator_On = true; // the count goes on where it stopped
        } else if (what == QLatin1String("slider")) {
            fm->tbVolLeft->setValue(50);
            user.left = audio::TrackBarToVolume(50);
        } else {
            fm->Sb_Off_1_UpClick();
        }
        QCOMPARE(CurrentVolume().left, user.left);
        QCOMPARE(CurrentVolume().right, user.right);
        for (int tick = 0; tick < 25; ++tick) {
            test::Tick(*fm);
            QCOMPARE(CurrentVolume().left, user.left);
            QCOMPARE(CurrentVolume().right, user.right);
        }
        QCOMPARE(powerOffs, what == QLatin1String("delay") ? 0 : 1);
    }

    // Minimise on start waits for the window's first active tick; in the tray the countdown goes on.
    void minimiseOnStartThenTheCountdownRunsInTheTray() {
        test::WriteWidgetSettings("[General]\nMin_FormShow=1\nOff_1=1\nOff_2=0\n");
        MainServices services = test::TestServices();
        services.trayAvailable = [] { return true; };
        TfmMain fm(std::move(services));
        QSignalSpy closed(&fm, &TfmMain::Closed);
        test::Tick(fm);
        QVERIFY(!fm.TrayIcon->Active());
        fm.show();
        fm.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&fm));
        test::Tick(fm);
        QVERIFY(fm.TrayIcon->Active());
        QVERIFY(fm.isHidden());
        fm.Generator_On = true;
        for (int tick = 0; tick < kTenMinutes; ++tick)
            test::Tick(fm);
        QCOMPARE(closed.count(), 1);
    }
};

MURMEX_WIDGET_TEST(MainAutoOffTest)
#include "MainAutoOffTest.moc"
