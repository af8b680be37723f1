// The output device page wired to the window: the stored choice, the arrows, the S/PDIF option, and what
// happens with no device or a choice that cannot be stored.
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QtTest>

#include <string>

using namespace murmex;

namespace {

// A sound-device library with the given names.
audio::SndDeviceLibrary Library(std::vector<std::string> names) {
    auto shared = std::make_shared<std::vector<std::string>>(std::move(names));
    return {.count = [shared] { return int(shared->size()); },
            .name =
                [shared](int i, platform::SndStringHandle* handle) {
                    auto* copy = new std::string(shared->at(std::size_t(i)));
                    *handle = copy;
                    return copy->c_str();
                },
            .freeString = [](platform::SndStringHandle handle) { delete static_cast<std::string*>(handle); },
            .key = {},
            .isDefault = {}};
}

std::unique_ptr<TfmMain> Window(std::vector<std::string> names, QStringList* errors = nullptr) {
    MainServices services = test::TestServices(1280, errors);
    services.soundDevices = Library(std::move(names));
    return std::make_unique<TfmMain>(services);
}

const std::vector<std::string> kThree = {"Speakers", "USB Headset", "HDMI SPDIF out"};

} // namespace

class MainDevicesTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(test::WidgetSettingsFile());
        QFile::remove(test::WidgetDeviceIni());
        QDir(test::WidgetDeviceIni()).removeRecursively();
    }

    void aFirstRunStepsFromTheFirstDeviceAndStoresEachChoice() {
        test::WriteWidgetSettings("[General]\nSPDIF=0\n");
        const auto fm = Window(kThree);
        QCOMPARE(fm->DeviceList.size(), std::size_t(2));
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("Speakers"));
        QCOMPARE(fm->OutputDeviceId(), -1);
        QVERIFY(!QFile::exists(test::WidgetDeviceIni()));

        QTest::mouseClick(fm->Sb_Obj1_Down, Qt::LeftButton);
        QCOMPARE(fm->OutputDeviceId(), 1);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("USB Headset"));
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1")), QStringLiteral("1"));
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1Name")),
                 QStringLiteral("USB Headset"));
        QVERIFY(fm->Memo1->toPlainText().endsWith(QStringLiteral("SaveMappingObjectToAudio 1 1")));

        QTest::mouseClick(fm->Sb_Obj1_Down, Qt::LeftButton); // wraps
        QCOMPARE(fm->OutputDeviceId(), 0);
        QTest::mouseClick(fm->Sb_Obj1_Up, Qt::LeftButton); // wraps back
        QCOMPARE(fm->OutputDeviceId(), 1);
        QCOMPARE(fm->Memo1->toPlainText().count(QStringLiteral("SaveMappingObjectToAudio 1 ")), 3);

        const auto again = Window(kThree);
        QCOMPARE(again->OutputDeviceId(), 1);
        QCOMPARE(again->Edit_Obj1->text(), QStringLiteral("USB Headset"));
    }

    void aStoredIdThatNoOutputHasPlaysOnTheDefaultAndStaysStored() {
        test::WriteWidgetDeviceIni("[ObjectMapping]\nObject1=99999\nObject2=1\nObject3=x\n");
        const auto fm = Window(kThree);
        QCOMPARE(fm->OutputDeviceId(), -1);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("Speakers"));
        QCOMPARE(fm->DeviceMap[1].Id, 1);
        QCOMPARE(fm->DeviceMap[2].Id, -1);
        QCOMPARE(fm->DeviceMap[3].Id, -1);
        fm->SoundSystemChanged();
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1")), QStringLiteral("99999"));
    }

    // Ids are positions in the list of outputs and shift when one is plugged in or out.
    void aStoredDeviceIsFoundAgainByNameWhenItsIdHasShifted() {
        test::WriteWidgetDeviceIni("[ObjectMapping]\nObject1=1\nObject1Name=USB Headset\n");
        const auto fm = Window({"Bluetooth", "Speakers", "USB Headset"});
        QCOMPARE(fm->OutputDeviceId(), 2);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("USB Headset"));
        const auto gone = Window({"Bluetooth", "Speakers"});
        // Not listed: the default output, not what id 1 names now.
        QCOMPARE(gone->OutputDeviceId(), -1);
    }

    // The sound server's outputs come and go while the program runs: the chosen one stays chosen by its key,
    // which is stored, and its place in the list is not.
    void theChosenOutputsIdFollowsItsKeyWhenTheListChanges() {
        auto names = std::make_shared<std::vector<std::string>>(std::vector<std::string>{"A", "B", "C"});
        MainServices services = test::TestServices(1280, nullptr);
        services.soundDevices = Library({});
        services.soundDevices.count = [names] { return int(names->size()); };
        services.soundDevices.name = [names](int i, platform::SndStringHandle* handle) {
            auto* copy = new std::string(names->at(std::size_t(i)));
            *handle = copy;
            return copy->c_str();
        };
        TfmMain fm(services);
        QTest::mouseClick(fm.Sb_Obj1_Down, Qt::LeftButton);
        QTest::mouseClick(fm.Sb_Obj1_Down, Qt::LeftButton);
        QCOMPARE(fm.OutputDeviceId(), 2);
        *names = {"B", "C"};
        fm.SoundSystemChanged();
        QCOMPARE(fm.OutputDeviceId(), 1);
        QCOMPARE(fm.Edit_Obj1->text(), QStringLiteral("C"));
        *names = {"B"};
        fm.SoundSystemChanged();
        QCOMPARE(fm.OutputDeviceId(), -1); // played on the default meanwhile; the stored choice stays
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1Name")), QStringLiteral("C"));
        *names = {"C", "B"};
        fm.SoundSystemChanged();
        QCOMPARE(fm.OutputDeviceId(), 0);
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1")), QStringLiteral("2"));
    }

    void withNoDeviceTheArrowsReportTheEmptyListAndChangeNothing() {
        QStringList errors;
        const auto fm = Window({}, &errors);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("No"));
        QTest::mouseClick(fm->Sb_Obj1_Up, Qt::LeftButton);
        QTest::mouseClick(fm->Sb_Obj1_Down, Qt::LeftButton);
        QCOMPARE(errors, (QStringList{QStringLiteral("List index out of bounds (-1)"),
                                      QStringLiteral("List index out of bounds (0)")}));
        QCOMPARE(fm->OutputDeviceId(), -1);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("No"));
        QVERIFY(!QFile::exists(test::WidgetDeviceIni()));
        QVERIFY(!fm->Memo1->toPlainText().contains(QStringLiteral("SaveMappingObjectToAudio")));
    }

    void aChoiceThatCannotBeStoredHoldsForThisRun() {
        QVERIFY(QDir().mkpath(test::WidgetDeviceIni())); // a folder where the file should be
        QStringList errors;
        const auto fm = Window(kThree, &errors);
        QTest::mouseClick(fm->Sb_Obj1_Down, Qt::LeftButton);
        QCOMPARE(errors, QStringList{QStringLiteral("Unable to write to ") + test::WidgetDeviceIni()});
        QCOMPARE(fm->OutputDeviceId(), 1);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("USB Headset"));
        QVERIFY(!fm->Memo1->toPlainText().contains(QStringLiteral("SaveMappingObjectToAudio")));
    }

    void theSpdifOptionRefillsTheListAndKeepsTheChoice() {
        test::WriteWidgetDeviceIni("[ObjectMapping]\nObject1=2\n");
        const auto fm = Window(kThree);
        fm->show();
        QCOMPARE(fm->Cb_SPDIF->ListIndex(), 13);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("HDMI SPDIF out"));
        QTest::mouseClick(fm->Cb_SPDIF, Qt::LeftButton);
        QVERIFY(!fm->SPDIF);
        QCOMPARE(fm->Cb_SPDIF->ListIndex(), 12);
        QCOMPARE(fm->DeviceList.size(), std::size_t(2));
        QCOMPARE(fm->OutputDeviceId(), 2);
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("HDMI SPDIF out"));
        fm->SoundSystemChanged();
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("HDMI SPDIF out")); // hidden, it still plays
        QTest::mouseClick(fm->Sb_Obj1_Down, Qt::LeftButton); // from an unlisted id: the second listed device
        QCOMPARE(fm->OutputDeviceId(), 1);
        fm->Lbl_SPDIF->setText(QStringLiteral("S/PDIF"));
        QTest::mouseClick(fm->Lbl_SPDIF, Qt::LeftButton);
        QVERIFY(fm->SPDIF);
        QCOMPARE(fm->DeviceList.size(), std::size_t(3));
        QCOMPARE(fm->Cb_SPDIF->ListIndex(), 13);
    }

    // The output may change while the generator plays: a stop still ends what plays.
    void aStopEndsThePlayerOfAnEarlierChosenDevice() {
        const auto fm = test::MakeMainWindow(); // the real outputs
        QVERIFY2(!fm->DeviceList.empty(), "the test environment lists no output");
        fm->Sb_GeneratorClick();
        QCOMPARE(audio::WOThreadCount(), 1);
        fm->Sb_Obj1_DownClick();
        QVERIFY(fm->OutputDeviceId() != -1);
        fm->Sb_GeneratorClick();
        QVERIFY(audio::WaitForNoWOThreads(2000));
    }
};

MURMEX_WIDGET_TEST(MainDevicesTest)

#include "MainDevicesTest.moc"
