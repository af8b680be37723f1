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

namespace {

// The window with its direct pictures within reach.
class Probe : public TfmMain {
public:
    Probe() : TfmMain(test::TestServices()) {}
    using TfmMain::m_generatorFace;
    using TfmMain::m_scaleLeft;
};

} // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
private slots:
    // Places read off the window's drawing, not off the description the window is built from.
    void theControlsAreBuiltInTheirPlaces() {
        Probe fm;
        const std::pair<QWidget*, QRect> places[] = {
            {fm.Sb_Close, {774, 5, 22, 23}},           {fm.Sb_Help, {702, 5, 22, 23}},
            {fm.Cb_Noise_1, {140, 137, 23, 23}},       {fm.Cb_Noise_5, {70, 317, 23, 23}},
            {fm.Img_Noise_4, {310, 250, 104, 22}},     {fm.Img_Noise_8, {240, 430, 104, 22}},
            {fm.Sb_Generator, {25, 510, 164, 50}},     {fm.Img_1_L, {520, 135, 21, 142}},
            {fm.Img_1_R, {700, 135, 21, 142}},         {fm.Left_Indicator, {560, 135, 14, 140}},
            {fm.Right_Indicator, {740, 135, 14, 140}}, {fm.Btn_Yellow_1, {510, 350, 82, 42}},
            {fm.Btn_Yellow_3, {682, 350, 82, 42}},     {fm.Panel_Obj1, {502, 412, 264, 22}},
            {fm.Edit_Obj1, {2, 1, 236, 20}},           {fm.Sb_Obj1_Down, {244, 11, 19, 10}},
            {fm.Cb_SPDIF, {502, 460, 18, 18}},         {fm.Panel_Off_2, {586, 412, 180, 22}},
            {fm.Cb_Min_FormShow, {502, 440, 18, 18}},  {fm.Cb_HintShow, {502, 460, 18, 18}},
        };
        for (auto [control, place] : places)
            QCOMPARE(control->geometry(), place);
        QCOMPARE(fm.Edit_Obj1->parentWidget(), fm.Panel_Obj1);
        QCOMPARE(fm.Sb_Lang_Up->parentWidget(), fm.Panel_Lang);
        QCOMPARE(fm.Lbl_Vol_L->pos(), QPoint(558, 281));
        QCOMPARE(fm.Lbl_SPDIF->pos(), QPoint(524, 460));
        for (QWidget* hand : std::initializer_list<QWidget*>{fm.Sb_Generator, fm.Img_Noise_3, fm.Btn_Yellow_2,
                                                             fm.Sb_Obj1_Up, fm.Cb_SPDIF})
            QCOMPARE(hand->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(fm.Sb_Help->ListIndex(), 0);
        QCOMPARE(fm.Sb_Close->ListIndex(), 6);
        QCOMPARE(fm.Sb_Generator->ListIndex(), 26);
        QCOMPARE(fm.Img_1_R->ImageList(), &fm.BitmapList_Scroll);
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
        for (QWidget* page : std::initializer_list<QWidget*>{
                 fm.Lbl_Obj1, fm.Panel_Obj1, fm.Cb_SPDIF, fm.Lbl_SPDIF, fm.Lbl_Off_Title, fm.Panel_Off_1,
                 fm.Panel_Off_2, fm.Cb_Min_FormShow, fm.Lbl_Min_FormShow, fm.Cb_HintShow, fm.Lbl_HintShow})
            QVERIFY2(!page->isVisible(), qPrintable(page->objectName()));
        QVERIFY(fm.Lbl_Lang->isVisible() && fm.Panel_Lang->isVisible()); // every show opens the first page
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
        TfmHelp help, english;
        FillHelp(english, 0);
        Probe fm;
        fm.fmHelp = &help;
        fm.show();
        QCOMPARE(fm.Indicator_Generator->BrushColor(), QColor(0x00, 0x80, 0xC0));
        QCOMPARE(fm.Indicator_Generator->toolTip(), english.Str_Gen_Stopped);
        QCOMPARE(fm.Indicator_Generator->geometry(), QRect(1, 1, 20, 7));
        QCOMPARE(fm.Panel_Indicator_Generator->geometry(), QRect(750, 37, 22, 9));
        fm.hide();
        fm.Generator_On = true;
        fm.show();
        QCOMPARE(fm.Indicator_Generator->BrushColor(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(fm.Indicator_Generator->toolTip(), english.Str_Gen_Working);
    }

    void directPicturesStayOverTheirControlsOnEveryRepaint() {
        Probe fm;
        fm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fm));
        auto at = [&](QPoint p) { return fm.grab().toImage().pixelColor(p); };
        const QPoint inFace(25 + 82, 510 + 30), inScale(520 + 10, 135 + 121);
        QCOMPARE(at(inFace), fm.BitmapList_Btn.Item(15).pixelColor(82, 30)); // the stopped face from the first show
        fm.m_generatorFace->Draw(fm.BitmapList_Btn, 18);
        fm.m_scaleLeft->Draw(fm.BitmapList_Scroll, 25);
        QCOMPARE(fm.Bmp_Generator, fm.BitmapList_Btn.Item(18));
        QCOMPARE(at(inFace), fm.BitmapList_Btn.Item(18).pixelColor(82, 30));
        QCOMPARE(at(inScale), fm.BitmapList_Scroll.Item(25).pixelColor(10, 121));
        fm.hide();
        fm.show();
        QCOMPARE(at(inFace), fm.BitmapList_Btn.Item(15).pixelColor(82, 30)); // the face the state gives
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
