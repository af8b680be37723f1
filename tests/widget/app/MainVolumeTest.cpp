// The volume panel wired to the window: the hidden track bars and the output volume, the volume read back
// at a start, the slider drags on the work timer's tick and the level indicators.
#include "app/Main.h"
#include "platform/WaveOut.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QPlainTextEdit>
#include <QSlider>
#include <QtTest>

using namespace murmex;

namespace {

std::uint32_t OutputVolume() {
    std::uint32_t volume = 0;
    if (platform::WaveOutGetVolume(platform::WAVE_MAPPER, volume) != platform::MMSYSERR_NOERROR)
        qFatal("no default output to read the volume of");
    return volume;
}

} // namespace

class MainVolumeTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(test::WidgetSettingsFile()); }

    // The bars stand where no one sees them; either bar's change writes both channels, the bar's top being
    // full volume.
    void theHiddenTrackBarsWriteBothChannels() {
        test::WriteWidgetSettings("[General]\nValue_L=30\nValue_R=80\n");
        const auto fm = test::MakeMainWindow();
        audio::SetVolumeDevice(platform::WAVE_MAPPER);
        QVERIFY(fm->tbVolLeft->parentWidget() == fm->Panel1);
        QVERIFY(fm->tbVolLeft->invertedAppearance());
        QCOMPARE(fm->tbVolLeft->value(), 70);
        QCOMPARE(fm->tbVolRight->value(), 20);
        fm->tbVolLeft->setValue(50);
        QCOMPARE(OutputVolume(), 32768u | (52428u << 16));
        fm->tbVolRight->setValue(99);
        QCOMPARE(OutputVolume(), 32768u | (655u << 16));
        fm->tbVolRight->setValue(250); // clamped by the bar
        QCOMPARE(OutputVolume(), 32768u);
    }

    void creationSetsTheOutputToTheStoredVolumes() {
        platform::WaveOutSetVolume(platform::WAVE_MAPPER, 0);
        test::WriteWidgetSettings("[General]\nValue_L=100\nValue_R=100\n");
        {
            const auto fm = test::MakeMainWindow();
            QCOMPARE(OutputVolume(), 0xFFFFFFFFu);
        }
        test::WriteWidgetSettings("[General]\nValue_L=1\nValue_R=99\n");
        const auto fm = test::MakeMainWindow();
        QCOMPARE(OutputVolume(), 655u | (64880u << 16));
        QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("1"));
        QCOMPARE(fm->Bmp_Scroll_R, fm->BitmapList_Scroll.Item(25));
    }

    // At a start the bars follow the chosen output's volume; the user's values, pictures and numbers stay.
    void aStartReadsTheOutputsVolumeIntoTheBarsOnly() {
        test::WriteWidgetSettings("[General]\nValue_L=70\nValue_R=10\n");
        const auto fm = test::MakeMainWindow();
        const QImage scale = fm->Bmp_Scroll_L;
        fm->DeviceMap[0].Id = platform::WAVE_MAPPER;
        platform::WaveOutSetVolume(platform::WAVE_MAPPER, 32768u | (32768u << 16));
        fm->Memo1->clear();
        fm->SyncDeviceVolume();
        QCOMPARE(audio::FDeviceId(), -1);
        QCOMPARE(fm->Memo1->toPlainText(), QStringLiteral("FDeviceId = -1\nstart play\nfinish play"));
        QCOMPARE(fm->tbVolLeft->value(), 50);
        QCOMPARE(fm->tbVolRight->value(), 50);
        QCOMPARE(OutputVolume(), 32768u | (32768u << 16));
        QCOMPARE(fm->Value_L, 70);
        QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("70"));
        QCOMPARE(fm->Bmp_Scroll_L, scale);

        // An output whose volume cannot be read keeps the user's volumes instead of muting them.
        fm->tbVolLeft->setValue(30);
        fm->tbVolRight->setValue(90);
        fm->DeviceMap[0].Id = 1000;
        fm->SyncDeviceVolume();
        QCOMPARE(fm->tbVolLeft->value(), 30);
        QCOMPARE(fm->tbVolRight->value(), 90);
        audio::SetVolumeDevice(platform::WAVE_MAPPER);
    }

    // A left press held on a slider sets the volume from the cursor's height on each tick while the cursor
    // is over the slider.
    void aSliderIsDraggedWithTheLeftButton() {
        const auto fm = test::MakeMainWindow();
        fm->show();
        audio::SetVolumeDevice(platform::WAVE_MAPPER);
        const QPoint window = fm->pos();
        const auto at = [&](int y) { test::SetCursor(window + QPoint(530, y)); };

        at(206);
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 0);
        QCOMPARE(fm->Img_1_L->cursor().shape(), Qt::PointingHandCursor);

        QTest::mousePress(fm->Img_1_L, Qt::RightButton, {}, {10, 71});
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 0);
        QTest::mouseRelease(fm->Img_1_L, Qt::RightButton, {}, {10, 71});

        QTest::mousePress(fm->Img_1_L, Qt::LeftButton, {}, {10, 71});
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 50);
        QCOMPARE(fm->tbVolLeft->value(), 50);
        QCOMPARE(OutputVolume() & 0xFFFF, 32768u);
        QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("50"));
        QCOMPARE(fm->Bmp_Scroll_L, fm->BitmapList_Scroll.Item(13));
        at(150);
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 100);
        at(256);
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 0);
        at(240);
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 16);
        at(300); // below the picture: nothing changes until the cursor is back over it
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 16);
        QCOMPARE(fm->Img_1_L->cursor().shape(), Qt::ArrowCursor);
        QTest::mouseRelease(fm->Img_1_L, Qt::LeftButton, {}, {10, 71});
        at(180);
        test::Tick(*fm);
        QCOMPARE(fm->Value_L, 16);
        QCOMPARE(fm->Value_R, 0);

        test::SetCursor(window + QPoint(710, 180));
        QTest::mousePress(fm->Img_1_R, Qt::LeftButton, {}, {10, 45});
        test::Tick(*fm);
        QTest::mouseRelease(fm->Img_1_R, Qt::LeftButton, {}, {10, 45});
        QCOMPARE(fm->Value_R, 76);
        QCOMPARE(fm->Lbl_Vol_R->text(), QStringLiteral("76"));
        QCOMPARE(OutputVolume(), 10486u | (49807u << 16));
        QCOMPARE(fm->Value_L, 16);
    }

    void theStoredVolumesWaitForTheFirstActiveTick() {
        const auto fm = test::MakeMainWindow();
        fm->Value_L = 44;
        test::Tick(*fm);
        QVERIFY(fm->First_Tick);
        QVERIFY(fm->Lbl_Vol_L->text() != QStringLiteral("44"));
        QVERIFY(fm->tbVolLeft->value() != 56);
        fm->show();
        fm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fm.get()));
        test::Tick(*fm);
        QVERIFY(!fm->First_Tick);
        QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("44"));
        QCOMPARE(fm->tbVolLeft->value(), 56);
        fm->Value_L = 12;
        test::Tick(*fm);
        QCOMPARE(fm->tbVolLeft->value(), 56); // only once
    }

    // Volumes set from outside the window (the media controls) are shown and heard at once, as after a drag.
    void volumesSetFromOutsideMoveTheSlidersAndTheOutput() {
        test::WriteWidgetSettings("[General]\nValue_L=90\nValue_R=90\n");
        const auto fm = test::MakeMainWindow();
        audio::SetVolumeDevice(platform::WAVE_MAPPER);
        fm->SetVolumes(50, 25);
        QCOMPARE(fm->Value_L, 50);
        QCOMPARE(fm->Value_R, 25);
        QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("50"));
        QCOMPARE(fm->Lbl_Vol_R->text(), QStringLiteral("25"));
        QCOMPARE(fm->tbVolLeft->value(), 50);
        QCOMPARE(fm->tbVolRight->value(), 75);
        QCOMPARE(fm->Bmp_Scroll_L, fm->BitmapList_Scroll.Item(13));
        QCOMPARE(fm->Bmp_Scroll_R, fm->BitmapList_Scroll.Item(7));
        QCOMPARE(OutputVolume(), 32768u | (16384u << 16));
    }
};

MURMEX_WIDGET_TEST(MainVolumeTest)

#include "MainVolumeTest.moc"
