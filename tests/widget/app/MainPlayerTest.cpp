#include "app/Main.h"
#include "app/Startup.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "platform/WaveOut.h"
#include "tests/widget/WidgetTest.h"

#include <QCheckBox>
#include <QFrame>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include <atomic>
#include <thread>

using namespace murmex;

// The hidden diagnostics panel's Play and Stop, as the generator uses them.
class MainPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QFile::remove(test::WidgetSettingsFile()); }

    void thePanelIsHiddenBelowTheOutlineAndReady() {
        const auto fm = test::MakeMainWindow();
        QVERIFY(fm->Panel1->geometry().top() >= fm->height());
        QVERIFY(fm->cbLoop->isChecked());
    }

    void playStartsALoopingPlayerAndStopEndsIt() {
        const auto fm = test::MakeMainWindow();
        fm->Noise_Num = 5;
        QTest::mouseClick(fm->Button6, Qt::LeftButton);
        QCOMPARE(fm->Memo1->toPlainText(),
                 QStringLiteral("FDeviceId = -1\nstart play\nfinish play\nstart play\nfinish play"));
        QCOMPARE(audio::WOThreadCount(), 1);
        QTest::qWait(300);
        QCOMPARE(audio::WOThreadCount(), 1);
        QTest::mouseClick(fm->btStopThread, Qt::LeftButton);
        QVERIFY(audio::WaitForNoWOThreads(2000));
        QCOMPARE(platform::WaveOutOpenStreams(), 0);
    }

    // Players run on threads of their own; an error reaches the user on the UI thread, and the player
    // waits until it has been seen.
    void aPlayersErrorIsShownOnTheUiThreadWhileThePlayerWaits() {
        QStringList shown;
        std::atomic<bool> returned{false};
        bool waited = false;
        const audio::ErrorPresenter presenter = PresentOnUiThread([&](const QString& message) {
            shown.append(message);
            waited = !returned.load() && QThread::currentThread() == qApp->thread();
        });
        std::thread player([&] {
            presenter(QStringLiteral("Could not open the output device for playing: "));
            returned = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(returned.load(), 30000);
        player.join();
        QCOMPARE(shown, QStringList{QStringLiteral("Could not open the output device for playing: ")});
        QVERIFY(waited);
    }

    // A player's news reaches the UI thread later, in order, and the player never waits for it.
    void aPlayersNoticeIsPostedToTheUiThreadWithoutWaiting() {
        QStringList shown;
        bool onUiThread = true;
        const audio::Notice notice = PostOnUiThread([&](const QString& message) {
            shown.append(message);
            onUiThread = onUiThread && QThread::currentThread() == qApp->thread();
        });
        // Joined without the UI thread's loop running: a notice that waited for it would never return.
        std::thread player([&] {
            notice(QStringLiteral("output lost: one"));
            notice(QStringLiteral("output back: one"));
        });
        player.join();
        QVERIFY(shown.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(shown.size(), 2, 30000);
        QCOMPARE(shown, (QStringList{QStringLiteral("output lost: one"), QStringLiteral("output back: one")}));
        QVERIFY(onUiThread);
    }

    void aNoiseWithoutAClipIsRefusedWithTheListIndexError() {
        QStringList errors;
        const auto fm = test::MakeMainWindow(1280, &errors);
        fm->Noise_Num = 9;
        QTest::mouseClick(fm->Button6, Qt::LeftButton);
        QCOMPARE(errors, QStringList{QStringLiteral("List index out of bounds (8)")});
        QCOMPARE(fm->Memo1->toPlainText(), QStringLiteral("FDeviceId = -1\nstart play\nfinish play\nstart play"));
        QCOMPARE(audio::WOThreadCount(), 0);
    }
};

MURMEX_WIDGET_TEST(MainPlayerTest)

#include "MainPlayerTest.moc"
