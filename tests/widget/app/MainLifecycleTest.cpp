#include "app/Main.h"
#include "app/SettingsStore.h"
#include "tests/widget/WidgetTest.h"
#include "ui/Surfaces.h"

#include <QSlider>
#include <QTimer>

#include <QSettings>
#include <QtTest>

#include <memory>

using namespace murmex;

class MainLifecycleTest : public QObject {
    Q_OBJECT

private:
    static QString SettingsFile() { return test::WidgetSettingsFile(); }
    static void WriteSettings(const QByteArray& text) { test::WriteWidgetSettings(text); }
    static std::unique_ptr<TfmMain> MakeWindow(int screenWidth) { return test::MakeMainWindow(screenWidth); }

private slots:
    void init() { QFile::remove(SettingsFile()); }

    void creationReadsTheSettingsAndMakesItsPictures() {
        WriteSettings("[General]\nNoise_Num=4\nHintShow=0\nValue_L=55\n");
        const auto fm = MakeWindow(1280);
        QCOMPARE(fm->Noise_Num, 4);
        QCOMPARE(fm->HintShow, false);
        QCOMPARE(fm->SPDIF, true);
        QCOMPARE(fm->Value_L, 55);
        QCOMPARE(fm->Bmp_Scroll_L.size(), QSize(21, 142));
        QCOMPARE(fm->Bmp_Scroll_R.size(), QSize(21, 142));
        QCOMPARE(fm->Bmp_Generator.size(), QSize(164, 50));
        QCOMPARE(fm->WaveList_1.Count(), 8);
        QVERIFY(fm->isHidden());
        QVERIFY(!fm->Timer_Work->isActive()); // unseen and stopped, nothing to do
        QVERIFY(!fm->Timer_Indicator->isActive());
        QCOMPARE(fm->Timer_Indicator->interval(), 60);
    }

    // An edited store can hold any number; a volume takes the nearest end of its range before it is used,
    // and is stored back so.
    void storedVolumesOutsideTheirRangeTakeTheNearestEnd() {
        WriteSettings("[General]\nValue_L=-5\nValue_R=250\n");
        {
            const auto fm = MakeWindow(1280);
            QCOMPARE(fm->Value_L, 0);
            QCOMPARE(fm->Value_R, 100);
            QCOMPARE(fm->Lbl_Vol_L->text(), QStringLiteral("0"));
            QCOMPARE(fm->Lbl_Vol_R->text(), QStringLiteral("100"));
            QCOMPARE(fm->tbVolLeft->value(), 100);
            QCOMPARE(fm->tbVolRight->value(), 0);
        }
        const QSettings stored(SettingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Value_L")).toString(), QStringLiteral("0"));
        QCOMPARE(stored.value(QStringLiteral("Value_R")).toString(), QStringLiteral("100"));
    }

    void everyShowPlacesTheWindowAtTheTopCentre_data() {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<int>("left");
        QTest::newRow("wide") << 1920 << 556;
        QTest::newRow("odd difference") << 1281 << 236;
        QTest::newRow("narrow, rounded toward zero") << 701 << -53;
        QTest::newRow("narrow") << 700 << -54;
    }
    void everyShowPlacesTheWindowAtTheTopCentre() {
        QFETCH(int, screenWidth);
        QFETCH(int, left);
        const auto fm = MakeWindow(screenWidth);
        fm->show();
        QCOMPARE(fm->geometry(), QRect(left, 10, 808, 608));
        QCOMPARE(fm->Page_Num, 0);
        QCOMPARE(fm->Vol_Base_Y, 226);

        fm->move(33, 44);
        fm->Page_Num = 2;
        fm->hide();
        fm->show();
        QCOMPARE(fm->pos(), QPoint(left, 10));
        QCOMPARE(fm->Page_Num, 0);
    }

    void titleLabelsAreAShadowedPair() {
        const auto fm = MakeWindow(1280);
        fm->show();
        QCOMPARE(fm->Label_Title_Name->geometry(), QRect(8, 2, 109, 34));
        QCOMPARE(fm->Label_Title_Name_Shadow->geometry(), QRect(9, 3, 109, 34));
        QCOMPARE(fm->Label_Title_Name->text(), QStringLiteral("Murmex"));
        QCOMPARE(fm->Label_Title_Name->palette().color(QPalette::WindowText), QColor(0xFF, 0xB6, 0x32));
        QCOMPARE(fm->Label_Title_Name_Shadow->palette().color(QPalette::WindowText), QColor(0xB6, 0x61, 0x07));
        QCOMPARE(fm->childAt(20, 20), fm->Label_Title_Name); // the title is in front of its shadow
    }

    void leftDragOnBackgroundOrTitleMovesTheWindow_data() {
        QTest::addColumn<QString>("where");
        QTest::newRow("background") << QStringLiteral("background");
        QTest::newRow("title") << QStringLiteral("title");
    }
    void leftDragOnBackgroundOrTitleMovesTheWindow() {
        QFETCH(QString, where);
        const auto fm = MakeWindow(1280);
        fm->show();
        QVERIFY(QTest::qWaitForWindowExposed(fm.get()));
        QWidget* target = where == QStringLiteral("title") ? static_cast<QWidget*>(fm->Label_Title_Name) : fm.get();
        const QPoint start = where == QStringLiteral("title") ? QPoint(10, 10) : QPoint(460, 300);
        QTest::mousePress(target, Qt::LeftButton, {}, start);
        QTest::mouseMove(target, start + QPoint(100, 50));
        QTest::mouseRelease(target, Qt::LeftButton, {}, start + QPoint(100, 50));
        QCOMPARE(fm->pos(), QPoint(236 + 100, 10 + 50));
    }

    void otherButtonsDoNotMoveTheWindow() {
        const auto fm = MakeWindow(1280);
        fm->show();
        QVERIFY(QTest::qWaitForWindowExposed(fm.get()));
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            QTest::mousePress(fm.get(), button, {}, {460, 300});
            QTest::mouseMove(fm.get(), {560, 350});
            QTest::mouseRelease(fm.get(), button, {}, {560, 350});
            QCOMPARE(fm->pos(), QPoint(236, 10));
        }
    }

    void destructionWritesTheEightSettings() {
        WriteSettings("[General]\nHintShow=5\nOff_1=12\nLanguare=1\n");
        {
            const auto fm = MakeWindow(1280);
            fm->Noise_Num = 7;
        }
        const QSettings stored(SettingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("HintShow")).toString(), QStringLiteral("1"));
        QCOMPARE(stored.value(QStringLiteral("Noise_Num")).toString(), QStringLiteral("7"));
        QCOMPARE(stored.value(QStringLiteral("Off_1")).toString(), QStringLiteral("12"));
        QCOMPARE(stored.value(QStringLiteral("SPDIF")).toString(), QStringLiteral("1"));
        QCOMPARE(stored.value(QStringLiteral("Languare")).toString(), QStringLiteral("1"));
        QCOMPARE(stored.allKeys().size(), 9);
    }
};

MURMEX_WIDGET_TEST(MainLifecycleTest)

#include "MainLifecycleTest.moc"
