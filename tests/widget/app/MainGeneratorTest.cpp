// The generator button, the noise choice and its lock, and the tray menu's start and stop, wired to a real
// player on the test environment's sound server.
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "tests/widget/WidgetTest.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QAction>
#include <QHoverEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTimer>
#include <QtTest>

#include <climits>

using namespace murmex;

namespace {

// The texts a window shows in English, its language when nothing is stored.
TfmHelp English() {
    TfmHelp help;
    FillHelp(help, 0);
    return help;
}

std::vector<ui::TLMDLImage*> NoiseControls(TfmMain& fm) {
    return {fm.Img_Noise_1, fm.Img_Noise_2, fm.Img_Noise_3, fm.Img_Noise_4, fm.Img_Noise_5, fm.Img_Noise_6,
            fm.Img_Noise_7, fm.Img_Noise_8, fm.Cb_Noise_1,  fm.Cb_Noise_2,  fm.Cb_Noise_3,  fm.Cb_Noise_4,
            fm.Cb_Noise_5,  fm.Cb_Noise_6,  fm.Cb_Noise_7,  fm.Cb_Noise_8};
}

std::vector<int> Marks(const TfmMain& fm) {
    return {fm.Cb_Noise_1->ListIndex(), fm.Cb_Noise_2->ListIndex(), fm.Cb_Noise_3->ListIndex(),
            fm.Cb_Noise_4->ListIndex(), fm.Cb_Noise_5->ListIndex(), fm.Cb_Noise_6->ListIndex(),
            fm.Cb_Noise_7->ListIndex(), fm.Cb_Noise_8->ListIndex()};
}

std::vector<int> MarkOn(int n) {
    std::vector<int> marks(8, 30);
    marks[std::size_t(n - 1)] = 31;
    return marks;
}

bool AllCursors(TfmMain& fm, Qt::CursorShape shape) {
    for (ui::TLMDLImage* control : NoiseControls(fm))
        if (control->cursor().shape() != shape)
            return false;
    return true;
}

} // namespace

class MainGeneratorTest : public test::PlayingWindowTest {
    Q_OBJECT

private slots:
    void startAndStopShowTheStateAndLockTheChoice() {
        const TfmHelp english = English();
        const auto fm = test::MakeMainWindow();
        fm->Noise_Num = 5;
        fm->Value_L = 40;
        fm->Value_R = 0;
        fm->show();

        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(fm->Generator_On);
        QCOMPARE(audio::WOThreadCount(), 1);
        QVERIFY(fm->Timer_Indicator->isActive());
        QCOMPARE(fm->Indicator_Generator->BrushColor(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(fm->Indicator_Generator->toolTip(), english.Str_Gen_Working);
        QCOMPARE(fm->Sb_Generator->toolTip(), english.Str_Gen_Stop);
        QVERIFY(AllCursors(*fm, Qt::ForbiddenCursor));
        QCOMPARE(Marks(*fm), MarkOn(5));

        fm->Timer_IndicatorTimer();
        QVERIFY(fm->Left_Indicator->Value() >= 40 * 220 && fm->Left_Indicator->Value() < 40 * 220 + 5000);
        QCOMPARE(fm->Right_Indicator->Value(), 0);

        QTest::mouseClick(fm->Cb_Noise_7, Qt::LeftButton);
        QTest::mouseClick(fm->Img_Noise_2, Qt::LeftButton);
        QCOMPARE(fm->Noise_Num, 5);
        QCOMPARE(Marks(*fm), MarkOn(5));
        QVERIFY(AllCursors(*fm, Qt::ForbiddenCursor));

        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(!fm->Generator_On);
        QVERIFY(!fm->Timer_Indicator->isActive());
        QCOMPARE(fm->Indicator_Generator->BrushColor(), QColor(0x00, 0x80, 0xC0));
        QCOMPARE(fm->Indicator_Generator->toolTip(), english.Str_Gen_Stopped);
        QCOMPARE(fm->Left_Indicator->Value(), 0);
        QCOMPARE(fm->Sb_Generator->toolTip(), english.Str_Gen_Start);
        QVERIFY(AllCursors(*fm, Qt::PointingHandCursor));
        QVERIFY(audio::WaitForNoWOThreads(2000));

        QTest::mouseClick(fm->Img_Noise_3, Qt::LeftButton);
        QCOMPARE(fm->Noise_Num, 3);
        QCOMPARE(Marks(*fm), MarkOn(3));
        QTest::mouseClick(fm->Cb_Noise_8, Qt::LeftButton);
        QCOMPARE(Marks(*fm), MarkOn(8));
    }

    // A restored window shows a running generator as running.
    void aShowWhileRunningKeepsTheRunningLook() {
        const TfmHelp english = English();
        const auto fm = test::MakeMainWindow();
        fm->show();
        fm->Sb_GeneratorClick();
        fm->hide();
        QVERIFY(!fm->Timer_Indicator->isActive()); // no one sees the indicators
        fm->show();
        QVERIFY(fm->Timer_Indicator->isActive());
        QCOMPARE(fm->Indicator_Generator->BrushColor(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(fm->Sb_Generator->toolTip(), english.Str_Gen_Stop);
        QVERIFY(AllCursors(*fm, Qt::ForbiddenCursor));
        fm->Cb_NoiseClick(2);
        QCOMPARE(fm->Noise_Num, 1);
        fm->Sb_GeneratorClick();
        fm->hide();
        fm->show();
        QVERIFY(!fm->Timer_Indicator->isActive());
    }

    void aNoiseNumberWithoutANoiseRefusesToStartUntilANoiseIsChosen_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("error");
        QTest::newRow("0") << 0 << QStringLiteral("List index out of bounds (-1)");
        QTest::newRow("9") << 9 << QStringLiteral("List index out of bounds (8)");
        QTest::newRow("INT32_MIN") << INT_MIN << QStringLiteral("List index out of bounds (-2147483649)");
        QTest::newRow("INT32_MAX") << INT_MAX << QStringLiteral("List index out of bounds (2147483646)");
    }
    void aNoiseNumberWithoutANoiseRefusesToStartUntilANoiseIsChosen() {
        QFETCH(int, stored);
        QFETCH(QString, error);
        test::WriteWidgetSettings(QByteArray("[General]\nNoise_Num=") + QByteArray::number(stored) + "\n");
        QStringList errors;
        const auto fm = test::MakeMainWindow(1280, &errors);
        fm->show();
        QCOMPARE(fm->Noise_Num, stored);
        QCOMPARE(Marks(*fm), std::vector<int>(8, 30)); // no mark is touched
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QCOMPARE(errors, QStringList{error});
        QVERIFY(!fm->Generator_On);
        QVERIFY(!fm->Timer_Indicator->isActive());
        QCOMPARE(fm->Indicator_Generator->BrushColor(), QColor(0x00, 0x80, 0xC0));
        QCOMPARE(audio::WOThreadCount(), 0);

        QTest::mouseClick(fm->Cb_Noise_2, Qt::LeftButton);
        QCOMPARE(Marks(*fm), MarkOn(2));
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(fm->Generator_On);
        QCOMPARE(errors.size(), 1);
    }

    // The player shows why it cannot play; once the box is closed the generator shows stopped again.
    void aStartThatCannotOpenItsOutputReturnsToStopped() {
        QStringList errors;
        const auto fm = test::MakeMainWindow(1280, &errors);
        fm->show();
        fm->DeviceMap[0].Id = 1000;
        fm->Sb_GeneratorClick();
        QVERIFY(fm->Generator_On);
        QTRY_COMPARE_WITH_TIMEOUT(errors.size(), 1, 5000);
        QCOMPARE(
            errors[0],
            QStringLiteral("Could not open the output device for playing:  The device identifier is out of range."));
        QTRY_VERIFY_WITH_TIMEOUT(!fm->Generator_On, 5000);
        QCOMPARE(fm->Indicator_Generator->BrushColor(), QColor(0x00, 0x80, 0xC0));
        QVERIFY(!fm->Timer_Indicator->isActive());
        QVERIFY(audio::WaitForNoWOThreads(2000)); // the failed player leaves the count
        test::Tick(*fm);
        QCOMPARE(fm->laThreadCnt->text(), QStringLiteral("Количество потоков: 0"));
        QVERIFY(AllCursors(*fm, Qt::PointingHandCursor));

        fm->DeviceMap[0].Id = -1;
        fm->Sb_GeneratorClick();
        QTest::qWait(300);
        QVERIFY(fm->Generator_On); // a start that plays is not taken for a failed one
        QCOMPARE(errors.size(), 1);
    }

    // One box at a time: a player's error met while a box is open is noted, not shown over it, and its failed
    // start still returns the generator to stopped.
    void aPlayersErrorWhileABoxIsOpenIsNotedInstead() {
        QStringList errors;
        TfmMain* window = nullptr;
        MainServices services = test::TestServices(1280, &errors);
        services.showError = [&errors, &window](const QString& message) {
            errors.append(message);
            if (errors.size() > 1)
                return;
            // What runs in the box's own loop.
            window->Noise_Num = 1;
            window->DeviceMap[0].Id = 1000;
            window->Sb_GeneratorClick();
            QTRY_VERIFY_WITH_TIMEOUT(!window->Generator_On, 5000);
        };
        const auto fm = test::MakeMainWindow(std::move(services));
        window = fm.get();
        fm->show();
        fm->Noise_Num = 0;
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QCOMPARE(errors, QStringList{QStringLiteral("List index out of bounds (-1)")});
        QVERIFY(fm->Memo1->toPlainText().contains(QStringLiteral("The device identifier is out of range.")));
    }

    // The computer is kept from suspending for being idle from a start that turns the generator on to any
    // stop: by the button, the tray menu, or a player that could not open its output.
    void theIdleInhibitorFollowsTheGenerator() {
        QStringList errors;
        std::vector<bool> told;
        MainServices services = test::TestServices(1280, &errors);
        services.playingChanged = [&told](bool playing) { told.push_back(playing); };
        const auto fm = test::MakeMainWindow(std::move(services));
        fm->show();

        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QCOMPARE(told, std::vector<bool>{true});
        fm->TrayMenu_1->trigger();
        QCOMPARE(told, std::vector<bool>{true});
        fm->TrayMenu_2->trigger();
        QCOMPARE(told, (std::vector<bool>{true, false}));
        fm->TrayMenu_2->trigger();
        QCOMPARE(told.size(), std::size_t(2));

        // A noise without a clip is refused before anything plays: nothing is held.
        fm->Noise_Num = 0;
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QCOMPARE(errors.size(), 1);
        QCOMPARE(told.size(), std::size_t(2));
        fm->Noise_Num = 1;

        fm->DeviceMap[0].Id = 1000;
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QCOMPARE(told, (std::vector<bool>{true, false, true}));
        QTRY_VERIFY_WITH_TIMEOUT(!fm->Generator_On, 5000);
        QCOMPARE(told, (std::vector<bool>{true, false, true, false}));
        QCOMPARE(errors.size(), 2);
    }

    void theTrayMenuOnlyStartsWhenStoppedAndOnlyStopsWhenRunning() {
        const auto fm = test::MakeMainWindow();
        fm->show();
        fm->TrayMenu_2->trigger();
        QVERIFY(!fm->Generator_On);
        fm->TrayMenu_1->trigger();
        QVERIFY(fm->Generator_On);
        QCOMPARE(audio::WOThreadCount(), 1);
        fm->TrayMenu_1->trigger();
        QVERIFY(fm->Generator_On);
        QCOMPARE(audio::WOThreadCount(), 1);
        fm->TrayMenu_2->trigger();
        QVERIFY(!fm->Generator_On);
        fm->TrayMenu_2->trigger();
        QVERIFY(!fm->Generator_On);
    }

    // The face is drawn from the state on the work timer's tick: hover, a left press held on the button,
    // the language and whether the generator runs.
    void theFaceFollowsTheMouseAndTheState() {
        const auto fm = test::MakeMainWindow();
        fm->show();
        const auto face = [&] {
            test::Tick(*fm);
            for (int n = 15; n <= 26; ++n)
                if (fm->Bmp_Generator == fm->BitmapList_Btn.Item(n))
                    return n;
            return -1;
        };
        const QPoint over = fm->pos() + QPoint(25 + 80, 510 + 25);
        const QPoint off = fm->pos() + QPoint(25 + 80, 510 - 30);
        QCOMPARE(face(), 15);
        test::SetCursor(over);
        QCOMPARE(face(), 16);
        QTest::mousePress(fm->Sb_Generator, Qt::RightButton);
        QCOMPARE(face(), 16);
        QTest::mouseRelease(fm->Sb_Generator, Qt::RightButton);
        QTest::mousePress(fm->Sb_Generator, Qt::LeftButton);
        QCOMPARE(face(), 17);
        test::SetCursor(off);
        QCOMPARE(face(), 15);
        test::SetCursor(over);
        QCOMPARE(face(), 17);
        QTest::mouseRelease(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(fm->Generator_On);
        QCOMPARE(face(), 19);
        fm->Lang_Num = 1;
        QCOMPARE(face(), 25);
        test::SetCursor(fm->pos() + QPoint(25, 530)); // on the left edge: outside
        QCOMPARE(face(), 24);
        test::SetCursor(over);
        QCOMPARE(face(), 25);
        QHoverEvent leave(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), QPointF(-1, -1));
        QApplication::sendEvent(fm.get(), &leave);
        QCOMPARE(face(), 24); // a pointer that leaves the window takes its hover along
        fm->hide();
        test::SetCursor(over);
        QCOMPARE(face(), 24); // a hidden window has nothing under the cursor
    }
};

MURMEX_WIDGET_TEST(MainGeneratorTest)

#include "MainGeneratorTest.moc"
