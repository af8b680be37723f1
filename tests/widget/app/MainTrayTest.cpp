// The window put away into the tray (or onto the taskbar without one) and brought back, the tray menu's web
// and exit items, the help and web-site commands, and the two option tick boxes. The notification area, the
// desktop's opener and the help folders are stand-ins; the generator plays on the test sound server.
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "tests/widget/WidgetTest.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"
#include "ui/Tray.h"

#include <QAction>
#include <QFile>
#include <QHelpEvent>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace murmex;

namespace {

// Counts the hint requests that reach a widget past the application's own filters.
class HintCounter : public QObject {
public:
    int seen = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        seen += event->type() == QEvent::ToolTip;
        return false;
    }
};

// What the window handed to the desktop, and the desktop the test sets up for it.
struct Desktop {
    bool tray = true;
    int trayAsked = 0;
    QList<QUrl> opened;
    QStringList helpFolders;
    int cursorReads = 0;
};

std::unique_ptr<TfmMain> MakeWindow(Desktop& desktop) {
    MainServices services = test::TestServices();
    services.trayAvailable = [&desktop] {
        ++desktop.trayAsked;
        return desktop.tray;
    };
    services.openUrl = [&desktop](const QUrl& url) { desktop.opened.append(url); };
    services.helpFolders = [&desktop] { return desktop.helpFolders; };
    services.cursorPos = [&desktop, read = services.cursorPos] {
        ++desktop.cursorReads;
        return read();
    };
    return std::make_unique<TfmMain>(std::move(services));
}

QPoint ScreenCentre(const TfmMain& fm, const QWidget* control) {
    return fm.pos() + control->geometry().center();
}

bool HoveredAfterTick(TfmMain& fm) {
    test::SetCursor(ScreenCentre(fm, fm.Sb_Generator));
    test::Tick(fm);
    return fm.Generator_Hover;
}

int HintsReaching(QWidget* control) {
    HintCounter counter;
    control->installEventFilter(&counter);
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(control, &help);
    control->removeEventFilter(&counter);
    return counter.seen;
}

void PutFile(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("help\n");
}

} // namespace

class MainTrayTest : public test::PlayingWindowTest {
    Q_OBJECT

private slots:
    void minimiseGoesToTheTrayAndEverythingGoesOn() {
        Desktop desktop;
        const auto fm = MakeWindow(desktop);
        fm->show();
        QVERIFY(HoveredAfterTick(*fm));
        fm->Sb_GeneratorClick();
        QVERIFY(!fm->TrayIcon->Active());

        QTest::mouseClick(fm->Sb_Min, Qt::LeftButton);
        QCOMPARE(desktop.trayAsked, 1);
        QVERIFY(fm->TrayIcon->Active());
        QVERIFY(fm->isHidden());
        QVERIFY(fm->Generator_On);
        QCOMPARE(audio::WOThreadCount(), 1);
        QCOMPARE(fm->Timer_Work->interval(), 1000); // out of sight the tick rests, but counts on
        QVERIFY(fm->Timer_Work->isActive());
        const int reads = desktop.cursorReads;
        QVERIFY(!HoveredAfterTick(*fm)); // nothing is under the cursor of a hidden window, which does not read it
        QCOMPARE(desktop.cursorReads, reads);
        fm->TrayMenu_2Click();
        QVERIFY(!fm->Timer_Work->isActive());
        fm->TrayMenu_1Click();
        QCOMPARE(fm->Timer_Work->interval(), 1000);
        fm->TrayIconDblClick();
        QCOMPARE(fm->Timer_Work->interval(), 100);
    }

    // The tray is asked at every minimise: a tray host can come and go while the program runs.
    void withoutATrayTheWindowGoesToTheTaskbar() {
        Desktop desktop;
        desktop.tray = false;
        const auto fm = MakeWindow(desktop);
        fm->show();
        fm->Sb_GeneratorClick();
        fm->Sb_MinClick();
        QVERIFY(fm->isMinimized());
        QVERIFY(fm->isVisible());
        QVERIFY(!fm->TrayIcon->Active());
        QVERIFY(fm->Generator_On);
        QCOMPARE(fm->Timer_Work->interval(), 1000);
        const int reads = desktop.cursorReads;
        QVERIFY(!HoveredAfterTick(*fm)); // nor under that of a minimised one
        QCOMPARE(desktop.cursorReads, reads);

        fm->showNormal();
        QCOMPARE(fm->Timer_Work->interval(), 100);
        QVERIFY(HoveredAfterTick(*fm));
        desktop.tray = true;
        fm->Sb_MinClick();
        QCOMPARE(desktop.trayAsked, 2);
        QVERIFY(fm->TrayIcon->Active());
        QVERIFY(fm->isHidden());
    }

    void aDoubleClickOnTheIconBringsTheWindowBackAsOnItsFirstShow() {
        Desktop desktop;
        const auto fm = MakeWindow(desktop);
        fm->show();
        fm->Btn_Yellow_3Click();
        fm->move(50, 300);
        fm->Sb_MinClick();
        QVERIFY(fm->isHidden());

        emit fm->TrayIcon->DblClick();
        QVERIFY(fm->isVisible());
        QVERIFY(!fm->isMinimized());
        QCOMPARE(fm->pos(), QPoint((1280 - 808) / 2, 10));
        QCOMPARE(fm->Page_Num, 0);
        QVERIFY(fm->Panel_Lang->isVisible());
        QVERIFY(!fm->Panel_Off_1->isVisible());
        QVERIFY(!fm->TrayIcon->Active());
        QTRY_VERIFY(fm->isActiveWindow());
        QVERIFY(HoveredAfterTick(*fm));
    }

    // In the tray the menu is the only way to the generator; back in the window, a running generator looks
    // running and keeps its noise.
    void aRestoreWhileRunningShowsTheRunningGenerator() {
        TfmHelp help;
        Desktop desktop;
        const auto fm = MakeWindow(desktop);
        fm->fmHelp = &help;
        fm->Lang_Num = 1;
        fm->Noise_Num = 3;
        fm->show();
        fm->Sb_MinClick();
        fm->TrayMenu_2->trigger();
        QVERIFY(!fm->Generator_On);
        fm->TrayMenu_1->trigger();
        QVERIFY(fm->Generator_On);
        fm->TrayMenu_1->trigger();
        QCOMPARE(audio::WOThreadCount(), 1);
        QVERIFY(!fm->Timer_Indicator->isActive()); // nobody sees the level lamps

        emit fm->TrayIcon->DblClick();
        QVERIFY(fm->Generator_On);
        QVERIFY(fm->Timer_Indicator->isActive());
        QCOMPARE(fm->Indicator_Generator->BrushColor(), QColor(0xFF, 0x00, 0x00));
        QCOMPARE(fm->Indicator_Generator->toolTip(), QStringLiteral("Генератор работает"));
        QCOMPARE(fm->Sb_Generator->toolTip(), QStringLiteral("Остановить генератор"));
        for (const ui::TLMDLImage* control :
             {fm->Cb_Noise_1, fm->Cb_Noise_3, fm->Cb_Noise_8, fm->Img_Noise_1, fm->Img_Noise_5, fm->Img_Noise_8})
            QCOMPARE(control->cursor().shape(), Qt::ForbiddenCursor);
        QTest::mouseClick(fm->Cb_Noise_6, Qt::LeftButton);
        QTest::mouseClick(fm->Img_Noise_2, Qt::LeftButton);
        QCOMPARE(fm->Noise_Num, 3);
        QCOMPARE(fm->Cb_Noise_3->ListIndex(), 31);
        QCOMPARE(fm->Cb_Noise_6->ListIndex(), 30);

        fm->Sb_MinClick();
        fm->TrayMenu_2->trigger();
        QVERIFY(!fm->Generator_On);
        QVERIFY(audio::WaitForNoWOThreads(5000));
    }

    // Exit from the tray is the normal close: the program ends, and the window stores the settings as it goes.
    void exitFromTheTrayClosesAndStoresTheSettings() {
        Desktop desktop;
        auto fm = MakeWindow(desktop);
        QSignalSpy closed(fm.get(), &TfmMain::Closed);
        fm->show();
        fm->Cb_NoiseClick(7);
        fm->Sb_MinClick();
        fm->TrayMenu_4->trigger();
        QCOMPARE(closed.count(), 1);
        fm.reset();
        const QSettings stored(test::WidgetSettingsFile(), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Noise_Num")).toInt(), 7);
    }

    void theWebCommandsOpenThePageOfTheLanguage_data() {
        QTest::addColumn<int>("lang");
        QTest::addColumn<QList<QUrl>>("pages");
        const QUrl english(QStringLiteral("https://murmex.pellorquandrel.com/index_e.html"));
        const QUrl russian(QStringLiteral("https://murmex.pellorquandrel.com/index.html"));
        QTest::newRow("English") << 0 << QList<QUrl>{english, english};
        QTest::newRow("Russian") << 1 << QList<QUrl>{russian, russian};
        QTest::newRow("no such language") << 2 << QList<QUrl>{};
        QTest::newRow("negative") << -1 << QList<QUrl>{};
    }
    void theWebCommandsOpenThePageOfTheLanguage() {
        QFETCH(int, lang);
        QFETCH(QList<QUrl>, pages);
        Desktop desktop;
        const auto fm = MakeWindow(desktop);
        fm->Lang_Num = lang;
        fm->show();
        QTest::mouseClick(fm->Sb_Internet, Qt::LeftButton);
        fm->Sb_MinClick();
        fm->TrayMenu_3->trigger();
        QCOMPARE(desktop.opened, pages);
        QVERIFY(fm->isHidden()); // the menu's item leaves the window where it is
    }

    // The help file of the language, by its full path, from the first folder that has it; nothing, and no
    // message, when there is none.
    void helpOpensTheFileOfTheLanguage() {
        QTemporaryDir working, program;
        QVERIFY(working.isValid() && program.isValid());
        PutFile(program.filePath(QStringLiteral("Help_e.txt")));
        PutFile(program.filePath(QStringLiteral("Help_r.txt")));
        PutFile(working.filePath(QStringLiteral("Help_r.txt")));
        Desktop desktop;
        desktop.helpFolders = {working.path(), program.path()};
        const auto fm = MakeWindow(desktop);
        fm->show();

        QTest::mouseClick(fm->Sb_Help, Qt::LeftButton);
        fm->Lang_Num = 1;
        QTest::mouseClick(fm->Sb_Help, Qt::LeftButton);
        QCOMPARE(desktop.opened, (QList<QUrl>{QUrl::fromLocalFile(program.filePath(QStringLiteral("Help_e.txt"))),
                                              QUrl::fromLocalFile(working.filePath(QStringLiteral("Help_r.txt")))}));

        desktop.opened.clear();
        fm->Lang_Num = 2;
        fm->Sb_HelpClick();
        QFile::remove(program.filePath(QStringLiteral("Help_e.txt")));
        fm->Lang_Num = 0;
        fm->Sb_HelpClick();
        QCOMPARE(desktop.opened, QList<QUrl>{});
    }

    // Hints go off and on for every widget of the program at once, the tray menu's items included; the
    // tick box and its label share the handler, and the choice is stored at the end.
    void theHintsTickBoxSwitchesHintsForTheWholeProgram() {
        test::WriteWidgetSettings("[General]\nHintShow=0\n");
        Desktop desktop;
        auto fm = MakeWindow(desktop);
        fm->show();
        fm->Btn_Yellow_3Click();
        fm->Lbl_HintShow->setText(QStringLiteral("Hints")); // a label without its caption has no size
        QWidget elsewhere;                                  // not one of the window's
        QVERIFY(!fm->Menu_Tray->toolTipsVisible());
        QCOMPARE(HintsReaching(fm->Sb_Generator), 0);
        QCOMPARE(HintsReaching(&elsewhere), 0);

        QTest::mouseClick(fm->Cb_HintShow, Qt::LeftButton);
        QVERIFY(fm->HintShow);
        QCOMPARE(fm->Cb_HintShow->ListIndex(), 13);
        QVERIFY(fm->Menu_Tray->toolTipsVisible());
        QCOMPARE(HintsReaching(fm->Sb_Generator), 1);
        QCOMPARE(HintsReaching(&elsewhere), 1);

        QTest::mouseClick(fm->Lbl_HintShow, Qt::LeftButton);
        QVERIFY(!fm->HintShow);
        QCOMPARE(fm->Cb_HintShow->ListIndex(), 12);
        QVERIFY(!fm->Menu_Tray->toolTipsVisible());
        QCOMPARE(HintsReaching(fm->Cb_HintShow), 0);

        QTest::mouseClick(fm->Lbl_HintShow, Qt::LeftButton);
        fm->hide();
        fm->show(); // every show applies the choice anew
        QVERIFY(fm->Menu_Tray->toolTipsVisible());
        QCOMPARE(HintsReaching(fm->Sb_Generator), 1);
        fm.reset();
        QCOMPARE(QSettings(test::WidgetSettingsFile(), QSettings::IniFormat).value(QStringLiteral("HintShow")).toInt(),
                 1);
    }

    // Minimise on start only changes its tick during the run; it is stored for the next start.
    void theMinimiseOnStartTickBoxTogglesTheOption() {
        Desktop desktop;
        auto fm = MakeWindow(desktop);
        fm->show();
        fm->Btn_Yellow_3Click();
        fm->Lbl_Min_FormShow->setText(QStringLiteral("Minimize"));
        QVERIFY(!fm->Min_FormShow);
        QTest::mouseClick(fm->Cb_Min_FormShow, Qt::LeftButton);
        QVERIFY(fm->Min_FormShow);
        QCOMPARE(fm->Cb_Min_FormShow->ListIndex(), 13);
        QTest::mouseClick(fm->Lbl_Min_FormShow, Qt::LeftButton);
        QVERIFY(!fm->Min_FormShow);
        QCOMPARE(fm->Cb_Min_FormShow->ListIndex(), 12);
        QTest::mouseClick(fm->Lbl_Min_FormShow, Qt::LeftButton);
        QVERIFY(fm->isVisible());
        QVERIFY(!fm->TrayIcon->Active());
        QCOMPARE(desktop.trayAsked, 0);
        fm.reset();
        QCOMPARE(
            QSettings(test::WidgetSettingsFile(), QSettings::IniFormat).value(QStringLiteral("Min_FormShow")).toInt(),
            1);
    }
};

MURMEX_WIDGET_TEST(MainTrayTest)

#include "MainTrayTest.moc"
