// The window's reactions to what becomes of its player's output, against a sound backend the test drives
// (tests/support/FakeSound.h) and a clock that moves only when the test says. An executable of its own: the fake
// is in place before the program's start-up starts the sound, for every window of the run. Its outputs: the
// default entry (ids -1 and 0), "Desk" (1) and "Phones" (2).
#include "app/Main.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "tests/support/FakeSound.h"
#include "tests/widget/WidgetTest.h"
#include "ui/IIndicator.h"
#include "ui/LImage.h"
#include "ui/Surfaces.h"

#include <QEventLoop>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace murmex;
using namespace std::chrono_literals;

namespace {

test::FakeSound* g_sound = nullptr;

[[maybe_unused]] const int kFakeInPlace = test::UseWidgetSound([] {
    auto fake = std::make_unique<test::FakeSound>(std::vector<std::string>{"Desk", "Phones"});
    g_sound = fake.get();
    return fake;
});

test::FakeSound& Sound() {
    return *g_sound;
}

constexpr const char* kDefault = platform::kDefaultOutputKey;

// The notes of what became of the output, in the diagnostics memo in their order.
QStringList OutputNotes(const TfmMain& fm) {
    QStringList notes;
    for (const QString& line : fm.Memo1->toPlainText().split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("output ")))
            notes.append(line);
    return notes;
}

void ChooseDesk() {
    test::WriteWidgetDeviceIni("[ObjectMapping]\nObject1=1\nObject1Name=Desk\n");
}

const QColor kStoppedLamp(0x00, 0x80, 0xC0);

} // namespace

class MainFakeSoundTest : public QObject {
    Q_OBJECT

private slots:
    // Every scenario finds its outputs there, and no pause of an earlier scenario's player taken for its own.
    void init() {
        QFile::remove(test::WidgetSettingsFile());
        QFile::remove(test::WidgetDeviceIni());
        Sound().Return("Desk");
        Sound().Return("Phones");
        Sound().Advance(1s);
    }
    void cleanup() {
        audio::StopAllWOThreads();
        // A player may still wait for its error to be seen.
        QTRY_COMPARE_WITH_TIMEOUT(audio::WOThreadCount(), 0, 5000);
        QCOMPARE(Sound().OpenStreams(), 0);
    }

    // The chosen output goes while the generator plays: noted, never shown in a box, and the generator stays on;
    // ten seconds later the loop plays on the default output meanwhile, and on the chosen one again once it is back.
    void aLostOutputIsNotedWhileTheLoopPlaysOnTheDefaultUntilItIsBack() {
        ChooseDesk();
        const auto fm = test::MakeMainWindow(); // fails on any error box
        fm->show();
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(Sound().PlaysOnlyOn("Desk"));

        Sound().Advance(3s);
        Sound().Remove("Desk");
        QTRY_COMPARE_WITH_TIMEOUT(OutputNotes(*fm), QStringList{QStringLiteral("output lost: Desk")}, 10000);
        test::Tick(*fm);
        QVERIFY(fm->Generator_On);
        for (int second = 1; second <= 10; ++second) {
            QVERIFY(Sound().Pause());
            Sound().Advance(1s);
        }
        QVERIFY(Sound().PlaysOnlyOn(kDefault));
        QTRY_COMPARE_WITH_TIMEOUT(OutputNotes(*fm).size(), 2, 10000);
        QCOMPARE(OutputNotes(*fm).back(), QStringLiteral("output elsewhere meanwhile: Desk"));
        test::Tick(*fm);
        QVERIFY(fm->Generator_On);

        Sound().Return("Desk");
        QVERIFY(Sound().Pause());
        Sound().Advance(1s);
        QVERIFY(Sound().PlaysOnlyOn("Desk"));
        QTRY_COMPARE_WITH_TIMEOUT(OutputNotes(*fm).size(), 3, 10000);
        QCOMPARE(OutputNotes(*fm).back(), QStringLiteral("output back: Desk"));
        QCOMPARE(fm->Edit_Obj1->text(), QStringLiteral("Desk"));
        QCOMPARE(fm->OutputDeviceId(), 1);

        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(!fm->Generator_On);
        QVERIFY(audio::WaitForNoWOThreads(2000));
        QCOMPARE(Sound().Open(), std::vector<std::string>{});
    }

    // A player that cannot open its output waits while its error box is open. Meanwhile commands still run, and
    // the error of another start is noted instead of a second box; once the box is closed the generator shows
    // stopped, with nothing left playing.
    void aPlayerWaitsWhileItsErrorBoxIsOpen() {
        ChooseDesk();
        Sound().Remove("Desk");
        QStringList shown;
        TfmMain* window = nullptr;
        const std::size_t openings = Sound().Openings().size();
        // Runs in the box's own loop.
        const auto whileOpen = [&] {
            TfmMain& fm = *window;
            QCOMPARE(audio::WOThreadCount(), 1);
            QCOMPARE(fm.RunCommand([&] { fm.SetVolumes(30, 30); }), QString());
            QCOMPARE(fm.Value_L, 30);
            // Another player on the same output, from the diagnostics panel: its error is only noted, and it goes.
            QTest::mouseClick(fm.Button6, Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(fm.Memo1->toPlainText().contains(shown.front()), 10000);
            QTRY_COMPARE_WITH_TIMEOUT(audio::WOThreadCount(), 1, 10000);
            QCOMPARE(shown.size(), 1);
            // A player is left, the one whose box is open: the start has not come to nothing yet.
            test::Tick(fm);
            QVERIFY(fm.Generator_On);
            QCOMPARE(Sound().Openings().size(), openings + 2);
        };
        MainServices services = test::TestServices();
        services.showError = [&](const QString& message) {
            shown.append(message);
            if (shown.size() > 1)
                return;
            QEventLoop box;
            QTimer::singleShot(0, &box, [&] {
                whileOpen();
                box.quit();
            });
            box.exec();
        };
        const auto fm = test::MakeMainWindow(std::move(services));
        window = fm.get();
        fm->show();
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!fm->Generator_On, 10000);
        QCOMPARE(shown, QStringList{QStringLiteral("Could not open the output device for playing:  ") +
                                    QStringLiteral("The fake output is not there.")});
        QCOMPARE(fm->Indicator_Generator->BrushColor(), kStoppedLamp);
        QVERIFY(audio::WaitForNoWOThreads(2000));
        QCOMPARE(Sound().Open(), std::vector<std::string>{});
    }

    // The user moves the sound to another output in the desktop's mixer: the window's choice follows, shown and
    // stored by key, and so does the player, which takes the move for no loss.
    void theChoiceFollowsTheUsersMoveInTheMixer() {
        ChooseDesk();
        const auto fm = test::MakeMainWindow();
        fm->show();
        QTest::mouseClick(fm->Sb_Generator, Qt::LeftButton);
        QVERIFY(Sound().PlaysOnlyOn("Desk"));

        Sound().MoveByUser("Phones");
        QTRY_COMPARE_WITH_TIMEOUT(fm->Edit_Obj1->text(), QStringLiteral("Phones"), 10000);
        QCOMPARE(fm->OutputDeviceId(), 2);
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1Name")), QStringLiteral("Phones"));
        QCOMPARE(test::StoredWidgetDeviceIni(QStringLiteral("ObjectMapping/Object1")), QStringLiteral("2"));
        QCOMPARE(Sound().Open(true), std::vector<std::string>{"Phones"});
        QCOMPARE(OutputNotes(*fm), QStringList());

        // The player's notes come in order: a loss told for the move would come first.
        const std::size_t openings = Sound().Openings().size();
        Sound().Remove("Phones");
        Sound().Advance(1s); // a second after the last open
        QTRY_COMPARE_WITH_TIMEOUT(OutputNotes(*fm), QStringList{QStringLiteral("output lost: Phones")}, 10000);
        QVERIFY(test::FakeSound::Eventually([&] { return Sound().Openings().size() > openings; }));
        QCOMPARE(Sound().Openings().back().key, std::string("Phones"));
        QVERIFY(fm->Generator_On);
    }
};

MURMEX_WIDGET_TEST(MainFakeSoundTest)

#include "MainFakeSoundTest.moc"
