// The language arrows and the auto-off selectors wired to the window: what a switch changes and what it
// leaves, the generator's hints, double clicks, the action selector's place, and stored selectors that the
// table lacks.
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QtTest>

#include <map>
#include <set>

using namespace murmex;

namespace {

TfmHelp Texts(std::int32_t langNum) {
    TfmHelp help;
    FillHelp(help, langNum);
    return help;
}

// Everything a language may change: the hint, text, picture and visibility of every named control, and
// the tray menu's items.
std::map<QString, QString> Snapshot(const TfmMain& fm) {
    std::map<QString, QString> shown;
    for (const QWidget* control : fm.findChildren<QWidget*>()) {
        if (control->objectName().isEmpty())
            continue;
        QString line = QStringLiteral("hint=") + control->toolTip();
        if (const auto* label = qobject_cast<const ui::TLMDLabelFill*>(control))
            line += QStringLiteral(" text=") + label->text();
        if (const auto* edit = qobject_cast<const QLineEdit*>(control))
            line += QStringLiteral(" text=") + edit->text();
        if (const auto* image = qobject_cast<const ui::TLMDLImage*>(control))
            line += QStringLiteral(" picture=") + QString::number(image->ListIndex());
        line += control->isVisibleTo(&fm) ? QStringLiteral(" shown") : QStringLiteral(" hidden");
        shown[control->objectName()] = line;
    }
    for (const QAction* item : {fm.TrayMenu_1, fm.TrayMenu_2, fm.TrayMenu_3, fm.TrayMenu_4})
        shown[item->objectName()] = item->text() + QStringLiteral(" hint=") + item->toolTip();
    return shown;
}

std::set<QString> Changed(const std::map<QString, QString>& before, const std::map<QString, QString>& after) {
    std::set<QString> changed;
    for (const auto& [name, line] : before)
        if (after.at(name) != line)
            changed.insert(name);
    return changed;
}

std::vector<int> Pictures(const TfmMain& fm) {
    return {fm.Img_Noise_1->ListIndex(), fm.Img_Noise_2->ListIndex(), fm.Img_Noise_3->ListIndex(),
            fm.Img_Noise_4->ListIndex(), fm.Img_Noise_5->ListIndex(), fm.Img_Noise_6->ListIndex(),
            fm.Img_Noise_7->ListIndex(), fm.Img_Noise_8->ListIndex(), fm.Img_Generator->ListIndex(),
            fm.Img_Volume->ListIndex(),  fm.Img_Setting->ListIndex()};
}

// A left double click as the window system delivers it: the second press arrives as a double click.
void DoubleClick(QWidget* target) {
    const QPoint at(5, 5);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease, QEvent::MouseButtonDblClick,
                              QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, target->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
}

} // namespace

class MainLanguageTest : public test::PlayingWindowTest {
    Q_OBJECT

private slots:
    void aSwitchChangesTheLanguagesControlsOnlyAndASecondOneRestoresThem_data() {
        QTest::addColumn<int>("language");
        QTest::newRow("from English") << 0;
        QTest::newRow("from Russian") << 1;
    }
    void aSwitchChangesTheLanguagesControlsOnlyAndASecondOneRestoresThem() {
        QFETCH(int, language);
        test::WriteWidgetSettings("[General]\nOff_1=4\nOff_2=1\n");
        const auto fm = test::MakeMainWindow();
        fm->Lang_Num = language;
        fm->show();
        const auto before = Snapshot(*fm);

        QTest::mouseClick(fm->Sb_Lang_Up, Qt::LeftButton);
        QCOMPARE(fm->Lang_Num, 1 - language);
        const std::set<QString> expected{
            QStringLiteral("Sb_Help"),       QStringLiteral("Sb_Internet"),     QStringLiteral("Sb_Min"),
            QStringLiteral("Sb_Close"),      QStringLiteral("Cb_Min_FormShow"), QStringLiteral("Lbl_Min_FormShow"),
            QStringLiteral("Cb_HintShow"),   QStringLiteral("Lbl_HintShow"),    QStringLiteral("Lbl_Title_1"),
            QStringLiteral("Lbl_Title_2"),   QStringLiteral("Lbl_Obj1"),        QStringLiteral("Lbl_SPDIF"),
            QStringLiteral("Edit_Lang"),     QStringLiteral("Lbl_Lang"),        QStringLiteral("TrayMenu_1"),
            QStringLiteral("TrayMenu_2"),    QStringLiteral("TrayMenu_3"),      QStringLiteral("TrayMenu_4"),
            QStringLiteral("Lbl_Off_Title"), QStringLiteral("Edit_Off_1"),      QStringLiteral("Sb_Off_1_Up"),
            QStringLiteral("Sb_Off_1_Down"), QStringLiteral("Edit_Off_2"),      QStringLiteral("Sb_Off_2_Up"),
            QStringLiteral("Sb_Off_2_Down"), QStringLiteral("Sb_Generator"),    QStringLiteral("Indicator_Generator"),
            QStringLiteral("Img_Noise_1"),   QStringLiteral("Img_Noise_2"),     QStringLiteral("Img_Noise_3"),
            QStringLiteral("Img_Noise_4"),   QStringLiteral("Img_Noise_5"),     QStringLiteral("Img_Noise_6"),
            QStringLiteral("Img_Noise_7"),   QStringLiteral("Img_Noise_8"),     QStringLiteral("Img_Generator"),
            QStringLiteral("Img_Volume"),    QStringLiteral("Img_Setting")};
        QCOMPARE(Changed(before, Snapshot(*fm)), expected);
        QCOMPARE(fm->Edit_Off_1->text(), QStringLiteral("35")); // the delay has no language

        QTest::mouseClick(fm->Sb_Lang_Down, Qt::LeftButton);
        QCOMPARE(fm->Lang_Num, language);
        QCOMPARE(Changed(before, Snapshot(*fm)), std::set<QString>{});
    }

    void afterASwitchTheWindowSpeaksTheNewLanguage() {
        test::WriteWidgetSettings("[General]\nOff_1=1\nOff_2=1\n");
        const auto fm = test::MakeMainWindow();
        fm->show();
        QCOMPARE(fm->Lbl_Lang->text(), QStringLiteral("Interface:"));
        QCOMPARE(fm->Edit_Off_2->text(), QStringLiteral("Computer shutdown"));
        QCOMPARE(Pictures(*fm), (std::vector<int>{42, 43, 44, 45, 46, 47, 48, 49, 61, 63, 65}));

        QTest::mouseClick(fm->Sb_Lang_Down, Qt::LeftButton);
        QCOMPARE(fm->Edit_Lang->text(), QStringLiteral("Русский"));
        QCOMPARE(fm->Lbl_SPDIF->text(), QStringLiteral("Показывать SPDIF устройства"));
        QCOMPARE(fm->Lbl_Min_FormShow->text(), QStringLiteral("Минимизация"));
        QCOMPARE(fm->Lbl_Min_FormShow->toolTip(), QStringLiteral("Автоминимизация программы при запуске"));
        QCOMPARE(fm->Img_Noise_8->toolTip(), QStringLiteral("Бездна"));
        QCOMPARE(fm->Sb_Off_2_Down->toolTip(), QStringLiteral("По завершении работы..."));
        QCOMPARE(fm->TrayMenu_4->text(), QStringLiteral("Выйти из программы"));
        QCOMPARE(fm->TrayMenu_4->toolTip(), QStringLiteral("Выйти из программы"));
        QCOMPARE(fm->Edit_Off_2->text(), QStringLiteral("Выключить компьютер")); // at once, not at the next show
        QCOMPARE(Pictures(*fm), (std::vector<int>{34, 35, 36, 37, 38, 39, 40, 41, 60, 62, 64}));
        QCOMPARE(fm->Page_Num, 0);
        QVERIFY(fm->Panel_Lang->isVisible());

        // The next show keeps the language chosen.
        fm->hide();
        fm->show();
        QCOMPARE(fm->Lbl_Title_1->text(), QStringLiteral("Генератор белого шума"));
        QCOMPARE(fm->Img_Generator->ListIndex(), 60);
    }

    void theGeneratorsHintsFollowItsStateInTheNewLanguage() {
        const TfmHelp english = Texts(0), russian = Texts(1);
        const auto fm = test::MakeMainWindow();
        fm->show();
        fm->Sb_GeneratorClick();
        QVERIFY(fm->Generator_On);
        fm->Sb_Lang_UpClick();
        QCOMPARE(fm->Sb_Generator->toolTip(), russian.Str_Gen_Stop);
        QCOMPARE(fm->Indicator_Generator->toolTip(), russian.Str_Gen_Working);
        QCOMPARE(fm->TrayMenu_1->text(), russian.Str_Gen_Start); // the menu names both commands always
        fm->Sb_GeneratorClick();
        QVERIFY(!fm->Generator_On);
        QCOMPARE(fm->Sb_Generator->toolTip(), russian.Str_Gen_Start);
        QCOMPARE(fm->Indicator_Generator->toolTip(), russian.Str_Gen_Stopped);
        fm->Sb_Lang_DownClick();
        QCOMPARE(fm->Sb_Generator->toolTip(), english.Str_Gen_Start);
        QCOMPARE(fm->Indicator_Generator->toolTip(), english.Str_Gen_Stopped);
        fm->Sb_GeneratorClick();
        QCOMPARE(fm->Sb_Generator->toolTip(), english.Str_Gen_Stop);
        QCOMPARE(fm->Indicator_Generator->toolTip(), english.Str_Gen_Working);
    }

    // Both clicks of a quick pair step an auto-off selector; the language changes once a pair.
    void aDoubleClickTogglesTheLanguageOnceAndStepsASelectorTwice() {
        const auto fm = test::MakeMainWindow();
        fm->show();
        DoubleClick(fm->Sb_Lang_Up);
        QCOMPARE(fm->Lang_Num, 1);
        DoubleClick(fm->Sb_Lang_Down);
        QCOMPARE(fm->Lang_Num, 0);

        fm->Btn_Yellow_3Click();
        DoubleClick(fm->Sb_Off_1_Up);
        QCOMPARE(fm->Off_1, 2);
        QCOMPARE(fm->Edit_Off_1->text(), QStringLiteral("20"));
        DoubleClick(fm->Sb_Off_1_Down);
        DoubleClick(fm->Sb_Off_1_Down);
        QCOMPARE(fm->Off_1, 8); // through "--" to the far end
        QCOMPARE(fm->Edit_Off_1->text(), QStringLiteral("55"));
        QTest::mouseClick(fm->Sb_Off_1_Up, Qt::LeftButton);
        QTest::mouseClick(fm->Sb_Off_1_Up, Qt::LeftButton);
        QCOMPARE(fm->Edit_Off_1->text(), QStringLiteral("--"));
        QVERIFY(!fm->Panel_Off_2->isVisible());
        QTest::mouseClick(fm->Sb_Off_1_Down, Qt::LeftButton);
        QCOMPARE(fm->Edit_Off_1->text(), QStringLiteral("60"));
        QVERIFY(fm->Panel_Off_2->isVisible());

        DoubleClick(fm->Sb_Off_2_Up);
        QCOMPARE(fm->Off_2, 2);
        QCOMPARE(fm->Edit_Off_2->text(), QStringLiteral("Suspend"));
        QTest::mouseClick(fm->Sb_Off_2_Up, Qt::LeftButton);
        QCOMPARE(fm->Off_2, 0); // round to the first
        QCOMPARE(fm->Edit_Off_2->text(), QStringLiteral("Close Murmex"));
        QTest::mouseClick(fm->Sb_Off_2_Down, Qt::LeftButton);
        QCOMPARE(fm->Off_2, 2);
        DoubleClick(fm->Sb_Off_2_Down);
        QCOMPARE(fm->Off_2, 0);
        QTest::mouseClick(fm->Sb_Off_2_Up, Qt::LeftButton);
        QCOMPARE(fm->Off_2, 1);
        QCOMPARE(fm->Edit_Off_2->text(), QStringLiteral("Computer shutdown"));
    }

    // The action selector shows on the options page while a delay is chosen, before and after a switch.
    void aSwitchLeavesThePageAndTheActionSelectorAsTheyWere() {
        test::WriteWidgetSettings("[General]\nOff_1=3\n");
        const auto fm = test::MakeMainWindow();
        fm->show();
        QVERIFY(!fm->Panel_Off_2->isVisible());
        fm->Sb_Lang_UpClick();
        QVERIFY(!fm->Panel_Off_2->isVisible());
        QVERIFY(fm->Panel_Lang->isVisible());

        fm->Btn_Yellow_3Click();
        QVERIFY(fm->Panel_Off_2->isVisible());
        fm->Sb_Lang_DownClick();
        QCOMPARE(fm->Page_Num, 2);
        QVERIFY(fm->Panel_Off_2->isVisible());
        QVERIFY(fm->Panel_Off_1->isVisible());
        QVERIFY(!fm->Panel_Lang->isVisible());

        for (int i = 0; i < 3; ++i)
            fm->Sb_Off_1_DownClick();
        QCOMPARE(fm->Edit_Off_1->text(), QStringLiteral("--"));
        QVERIFY(!fm->Panel_Off_2->isVisible());
        fm->Sb_Lang_UpClick();
        QVERIFY(!fm->Panel_Off_2->isVisible());
        QVERIFY(fm->Panel_Off_1->isVisible());
        QCOMPARE(fm->Page_Num, 2);
    }

    // A delay from an edited store wraps at the first show, and is stored so; an action other than the two is
    // "close", as a damaged store must never arm a power-off.
    void storedSelectorsOutsideTheTablesWrapAndAreStoredWrapped_data() {
        QTest::addColumn<int>("off1");
        QTest::addColumn<int>("off2");
        QTest::addColumn<QString>("delay");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("storedOff1");
        QTest::addColumn<int>("storedOff2");
        QTest::newRow("past the ends") << 12 << 5 << QStringLiteral("--") << QStringLiteral("Close Murmex") << 0 << 0;
        QTest::newRow("below the starts")
            << -1 << -1 << QStringLiteral("60") << QStringLiteral("Close Murmex") << 9 << 0;
        QTest::newRow("within") << 3 << 1 << QStringLiteral("30") << QStringLiteral("Computer shutdown") << 3 << 1;
    }
    void storedSelectorsOutsideTheTablesWrapAndAreStoredWrapped() {
        QFETCH(int, off1);
        QFETCH(int, off2);
        QFETCH(QString, delay);
        QFETCH(QString, action);
        QFETCH(int, storedOff1);
        QFETCH(int, storedOff2);
        test::WriteWidgetSettings(QByteArray("[General]\nOff_1=") + QByteArray::number(off1) + QByteArray("\nOff_2=") +
                                  QByteArray::number(off2) + "\n");
        {
            const auto fm = test::MakeMainWindow();
            QCOMPARE(fm->Off_1, off1);
            fm->show();
            QCOMPARE(fm->Edit_Off_1->text(), delay);
            QCOMPARE(fm->Edit_Off_2->text(), action);
        }
        QCOMPARE(test::StoredWidgetSetting("Off_1"), QString::number(storedOff1));
        QCOMPARE(test::StoredWidgetSetting("Off_2"), QString::number(storedOff2));
    }
};

MURMEX_WIDGET_TEST(MainLanguageTest)

#include "MainLanguageTest.moc"
