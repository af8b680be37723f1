// The window's keys, pressed in its hidden focus field: each drives what a click on its control drives, the
// generator playing on the test sound server.
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "tests/widget/WidgetTest.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QSlider>
#include <QtTest>

using namespace murmex;

class MainKeysTest : public test::PlayingWindowTest {
    Q_OBJECT

private slots:
    void theGeneratorAndNoiseKeysClickTheirControls() {
        const auto fm = test::MakeMainWindow();
        fm->Noise_Num = 2;
        fm->show();
        QTest::keyClick(fm->Edit_Focus, Qt::Key_3);
        QCOMPARE(fm->Noise_Num, 3);
        QCOMPARE(fm->Cb_Noise_3->ListIndex(), 31);

        QTest::keyClick(fm->Edit_Focus, Qt::Key_Space);
        QVERIFY(fm->Generator_On);
        QCOMPARE(audio::WOThreadCount(), 1);
        QTest::keyClick(fm->Edit_Focus, Qt::Key_8); // locked while running
        QCOMPARE(fm->Noise_Num, 3);
        QTest::keyClick(fm->Edit_Focus, Qt::Key_Return);
        QVERIFY(!fm->Generator_On);
        QTest::keyClick(fm->Edit_Focus, Qt::Key_8);
        QCOMPARE(fm->Noise_Num, 8);
        QVERIFY(fm->Edit_Focus->text().isEmpty()); // nothing was typed into the field
    }

    // Each slider steps from its own value and stops at its end; the hidden track bars, which carry the
    // output volume, follow as they do a drag.
    void theVolumeKeysStepBothSlidersAndClamp() {
        test::WriteWidgetSettings("[General]\nValue_L=98\nValue_R=7\n");
        const auto fm = test::MakeMainWindow();
        fm->show();
        QTest::keyClick(fm->Edit_Focus, Qt::Key_Up);
        QCOMPARE(std::pair(fm->Value_L, fm->Value_R), std::pair(100, 12));
        for (int i = 0; i < 3; ++i)
            QTest::keyClick(fm->Edit_Focus, Qt::Key_Down);
        QCOMPARE(std::pair(fm->Value_L, fm->Value_R), std::pair(85, 0));
        QCOMPARE(std::pair(fm->tbVolLeft->value(), fm->tbVolRight->value()), std::pair(15, 100));
        QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("85"));
    }

    void escapeMinimisesAsTheButtonDoes_data() {
        QTest::addColumn<bool>("tray");
        QTest::newRow("into the tray") << true;
        QTest::newRow("onto the taskbar") << false;
    }
    void escapeMinimisesAsTheButtonDoes() {
        QFETCH(bool, tray);
        MainServices services = test::TestServices();
        services.trayAvailable = [tray] { return tray; };
        const auto fm = test::MakeMainWindow(std::move(services));
        fm->show();
        QTest::keyClick(fm->Edit_Focus, Qt::Key_Escape);
        QCOMPARE(fm->TrayIcon->Active(), tray);
        QCOMPARE(fm->isHidden(), tray);
        QCOMPARE(fm->isMinimized(), !tray);
    }

    void controlQCloses() {
        const auto fm = test::MakeMainWindow();
        fm->show();
        QSignalSpy closed(fm.get(), &TfmMain::Closed);
        QTest::keyClick(fm->Edit_Focus, Qt::Key_Q);
        QCOMPARE(closed.count(), 0);
        QTest::keyClick(fm->Edit_Focus, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(closed.count(), 1);
    }
};

MURMEX_WIDGET_TEST(MainKeysTest)
#include "MainKeysTest.moc"
