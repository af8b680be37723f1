// The settings area wired to the window: the tabs switch the pages, the tabs light up, the option marks.
#include "app/Main.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QtTest>

using namespace murmex;

namespace {

struct Shown {
    bool language, device, options, offAction;
};

Shown Visible(const TfmMain& fm) {
    const auto all = [](std::initializer_list<const QWidget*> controls) {
        bool first = (*controls.begin())->isVisible();
        for (const QWidget* control : controls)
            if (control->isVisible() != first)
                qFatal("%s differs from the rest of its page", qPrintable(control->objectName()));
        return first;
    };
    return {all({fm.Lbl_Lang, fm.Panel_Lang}), all({fm.Lbl_Obj1, fm.Panel_Obj1, fm.Cb_SPDIF, fm.Lbl_SPDIF}),
            all({fm.Lbl_Min_FormShow, fm.Cb_Min_FormShow, fm.Lbl_HintShow, fm.Cb_HintShow, fm.Lbl_Off_Title,
                 fm.Panel_Off_1}),
            fm.Panel_Off_2->isVisible()};
}

bool operator==(const Shown& a, const Shown& b) {
    return a.language == b.language && a.device == b.device && a.options == b.options && a.offAction == b.offAction;
}

} // namespace

class MainPagesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(test::WidgetSettingsFile()); }

    void theTabsSwitchThePages() {
        test::WriteWidgetSettings("[General]\nOff_1=3\n");
        const auto fm = test::MakeMainWindow();
        fm->show();
        QCOMPARE(fm->Page_Num, 0);
        QVERIFY((Visible(*fm) == Shown{true, false, false, false}));
        QTest::mouseClick(fm->Btn_Yellow_2, Qt::LeftButton);
        QCOMPARE(fm->Page_Num, 1);
        QVERIFY((Visible(*fm) == Shown{false, true, false, false}));
        QTest::mouseClick(fm->Btn_Yellow_3, Qt::LeftButton);
        QVERIFY((Visible(*fm) == Shown{false, false, true, true}));
        fm->Off_1 = 0;
        QTest::mouseClick(fm->Btn_Yellow_3, Qt::LeftButton); // the same tab again repeats the update
        QVERIFY((Visible(*fm) == Shown{false, false, true, false}));
        QTest::mouseClick(fm->Btn_Yellow_1, Qt::LeftButton);
        QVERIFY((Visible(*fm) == Shown{true, false, false, false}));

        fm->Page_Num = 7;
        fm->UpdateSettingsPage();
        QVERIFY((Visible(*fm) == Shown{true, false, false, false}));

        QTest::mouseClick(fm->Btn_Yellow_3, Qt::LeftButton);
        fm->hide();
        fm->show();
        QCOMPARE(fm->Page_Num, 0);
        QVERIFY((Visible(*fm) == Shown{true, false, false, false}));
    }

    // The current page's tab is lit, and another while the cursor is over it; a hidden window does not read
    // the cursor, and lights only its page's tab.
    void theTabsLightUpForTheirPageAndUnderTheCursor() {
        const auto fm = test::MakeMainWindow();
        fm->show();
        const auto faces = [&] {
            test::Tick(*fm);
            return std::vector<int>{fm->Btn_Yellow_1->ListIndex(), fm->Btn_Yellow_2->ListIndex(),
                                    fm->Btn_Yellow_3->ListIndex()};
        };
        QCOMPARE(faces(), (std::vector<int>{7, 2, 3}));
        test::SetCursor(fm->pos() + QPoint(700, 370));
        QCOMPARE(faces(), (std::vector<int>{7, 2, 9}));
        test::SetCursor(fm->pos() + QPoint(682, 370)); // on the edge
        QCOMPARE(faces(), (std::vector<int>{7, 2, 3}));
        fm->Btn_Yellow_2Click();
        QCOMPARE(faces(), (std::vector<int>{1, 8, 3}));
        fm->Lang_Num = 1;
        QCOMPARE(faces(), (std::vector<int>{4, 11, 6}));
        fm->hide();
        test::SetCursor(fm->pos() + QPoint(530, 370));
        QCOMPARE(faces(), (std::vector<int>{4, 11, 6}));
    }

    void theOptionMarksShowTheOptions() {
        test::WriteWidgetSettings("[General]\nHintShow=1\nMin_FormShow=0\n");
        const auto fm = test::MakeMainWindow();
        fm->show();
        QCOMPARE(fm->Cb_HintShow->ListIndex(), 13);
        QCOMPARE(fm->Cb_Min_FormShow->ListIndex(), 12);
        fm->hide();
        fm->HintShow = false;
        fm->Min_FormShow = true;
        fm->show();
        QCOMPARE(fm->Cb_HintShow->ListIndex(), 12);
        QCOMPARE(fm->Cb_Min_FormShow->ListIndex(), 13);
    }
};

MURMEX_WIDGET_TEST(MainPagesTest)

#include "MainPagesTest.moc"
