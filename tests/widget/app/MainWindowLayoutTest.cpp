// The main window built from its description: controls in place, what every show arranges, the direct
// pictures, and which presses move the window.
#include "app/Main.h"
#include "i18n/Help.h"
#include "tests/widget/WidgetTest.h"
#include "ui/FormShape.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace murmex;
namespace L = murmex::ui::layout;

namespace {

// The window with its direct pictures within reach.
class Probe : public TfmMain {
public:
    Probe() : TfmMain(MainServices{.virtualScreenWidth = [] { return 1280; }}) {}
    using TfmMain::m_generatorFace;
    using TfmMain::m_scaleLeft;
};

} // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void everyControlOfTheDescriptionIsBuiltInItsPlace() {
        Probe fm;
        for (const L::ControlSpec& entry : L::Controls()) {
            auto* control = fm.findChild<QWidget*>(L::Text(entry.name));
            QVERIFY2(control, entry.name.data());
            const QString parent = control->parentWidget() == &fm ? QString() : control->parentWidget()->objectName();
            QCOMPARE(parent, L::Text(entry.parent));
            QCOMPARE(control->pos(), entry.rect.topLeft());
            if (entry.kind != L::Kind::Label)
                QCOMPARE(control->size(), entry.rect.size());
            QCOMPARE(control->cursor().shape() == Qt::PointingHandCursor, entry.hand);
        }
        QCOMPARE(fm.Sb_Help->ListIndex(), 0);
        QCOMPARE(fm.Sb_Close->ListIndex(), 6);
        QCOMPARE(fm.Sb_Generator->ListIndex(), 26);
        QCOMPARE(fm.Img_1_R->ImageList(), &fm.BitmapList_Scroll);
        QCOMPARE(fm.Edit_Obj1->text(), QStringLiteral("No"));
        QCOMPARE(fm.Label1->text(), QStringLiteral("min"));
        QVERIFY(fm.Left_Indicator->Active());
        QCOMPARE(fm.TrayMenu_4->text(), QStringLiteral("Exit"));
        QCOMPARE(fm.TrayIcon->Hint(), QStringLiteral("Murmex"));
        QVERIFY(!fm.TrayIcon->Active());
    }

    void everyShowArrangesTheWindow() {
        Probe fm;
        fm.Sb_Help->move(0, 0);
        fm.Sb_Help->hide();
        fm.Lbl_Lang->show();
        fm.Img_Yellow_Fon1->raise();
        fm.show();
        QCOMPARE(fm.Sb_Help->geometry(), QRect(702, 5, 22, 23));
        QVERIFY(fm.Sb_Help->isVisible());
        QCOMPARE(fm.Sb_Close->geometry(), QRect(774, 5, 22, 23));
        for (QWidget* page :
             std::initializer_list<QWidget*>{fm.Lbl_Lang, fm.Panel_Lang, fm.Lbl_Obj1, fm.Panel_Obj1, fm.Cb_SPDIF,
                                             fm.Lbl_SPDIF, fm.Lbl_Off_Title, fm.Panel_Off_1, fm.Panel_Off_2,
                                             fm.Cb_Min_FormShow, fm.Lbl_Min_FormShow, fm.Cb_HintShow, fm.Lbl_HintShow})
            QVERIFY2(!page->isVisible(), qPrintable(page->objectName()));
        QCOMPARE(fm.Panel_Off_2->pos(), QPoint(586, 412));
        QCOMPARE(fm.childAt(530, 360), fm.Btn_Yellow_1); // the tabs stand in front of their strip
        QCOMPARE(fm.childAt(505, 380), fm.Img_Yellow_Fon1);
        QCOMPARE(fm.childAt(20, 20), fm.Label_Title_Name);
        QCOMPARE(fm.Lbl_Title_1->pos(), QPoint(15, 60));
        QVERIFY(fm.Img_1_L->isVisible() && fm.Img_Noise_8->isVisible() && fm.Cb_Noise_8->isVisible());
        QCOMPARE(fm.Vol_Base_Y, 226);
        QCOMPARE(fm.focusWidget(), fm.Edit_Focus);
        QVERIFY(!fm.LMDFormShape1->Region().intersects(fm.Edit_Focus->geometry()));
    }

    void theLampShowsTheGeneratorState() {
        TfmHelp help;
        help.Str_Gen_Working = QStringLiteral("working");
        help.Str_Gen_Stopped = QStringLiteral("stopped");
        Probe fm;
        fm.fmHelp = &help;
        fm.show();
        QCOMPARE(fm.Indicator_Generator->BrushColor(), QColor(0x00, 0x80, 0xC0));
        QCOMPARE(fm.Indicator_Generator->toolTip(), QStringLiteral("stopped"));
        QCOMPARE(fm.Indicator_Generator->geometry(), QRect(1, 1, 20, 7));
        QCOMPARE(fm.Panel_Indicator_Generator->geometry(), QRect(750, 37, 22, 9));
        fm.hide();
        fm.Generator_On = true;
        fm.show();
        QCOMPARE(fm.Indicator_Generator->BrushColor(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(fm.Indicator_Generator->toolTip(), QStringLiteral("working"));
    }

    void directPicturesStayOverTheirControlsOnEveryRepaint() {
        Probe fm;
        fm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fm));
        auto at = [&](QPoint p) { return fm.grab().toImage().pixelColor(p); };
        const QPoint inFace(25 + 82, 510 + 30), inScale(520 + 10, 135 + 121);
        QCOMPARE(at(inFace), fm.BitmapList_Btn.Item(26).pixelColor(82, 30)); // the control's own picture first
        fm.m_generatorFace->Draw(fm.BitmapList_Btn, 15);
        fm.m_scaleLeft->Draw(fm.BitmapList_Scroll, 25);
        QCOMPARE(fm.Bmp_Generator, fm.BitmapList_Btn.Item(15));
        QCOMPARE(at(inFace), fm.BitmapList_Btn.Item(15).pixelColor(82, 30));
        QCOMPARE(at(inScale), fm.BitmapList_Scroll.Item(25).pixelColor(10, 121));
        fm.hide();
        fm.show();
        QCOMPARE(at(inFace), fm.BitmapList_Btn.Item(15).pixelColor(82, 30));
        QCOMPARE(at(inScale), fm.BitmapList_Scroll.Item(25).pixelColor(10, 121));
        QCOMPARE(fm.childAt(inFace), fm.Sb_Generator); // the mouse reaches the control beneath
    }

    void pressesOnControlsStayWithThemAndDoNotMoveTheWindow() {
        Probe fm;
        fm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fm));
        const QPoint start = fm.pos();
        QSignalSpy help(fm.Sb_Help, &ui::TLMDLImage::Click);
        for (QWidget* target : std::initializer_list<QWidget*>{fm.Sb_Help, fm.Lbl_Vol_L, fm.Left_Indicator,
                                                               fm.Panel_Indicator_Generator, fm.Img_Left}) {
            QTest::mousePress(target, Qt::LeftButton, {}, {3, 3});
            QTest::mouseMove(target, {60, 40});
            QTest::mouseRelease(target, Qt::LeftButton, {}, {60, 40});
            QCOMPARE(fm.pos(), start);
        }
        QTest::mouseClick(fm.Sb_Help, Qt::LeftButton, {}, {5, 5});
        QCOMPARE(help.count(), 1);
        QCOMPARE(fm.pos(), start);
        QSignalSpy closed(&fm, &TfmMain::Closed);
        QTest::mouseClick(fm.Sb_Close, Qt::LeftButton, {}, {5, 5});
        QCOMPARE(closed.count(), 1);
    }
};

MURMEX_WIDGET_TEST(MainWindowLayoutTest)

#include "MainWindowLayoutTest.moc"
