// Ends the program the way the real one ends, while players come and go on a timer and some of them are
// waiting to show an error, after a short time drawn from the seed. Run many times (CTest does, under a
// time limit): no player may touch what the end has taken away, nor hold the end up.
//   audio_end_of_program SEED
#include "app/Main.h"
#include "app/Startup.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "platform/PortAudioBackend.h"

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <random>
#include <string>
#include <thread>

using namespace murmex;

namespace {

constexpr int kNoSuchDevice = 1000;

int g_shown = 0; // UI thread

// Stands in for the modal error box: a loop of its own for a moment.
void ShowLikeABox(const QString&) {
    ++g_shown;
    QEventLoop box;
    QTimer::singleShot(20, &box, &QEventLoop::quit);
    box.exec();
}

// A call into the sound library that hangs for a while, as a new stream on an idle sink does: from
// shortly before the end until the process is exiting it holds the library's lock, so that players
// queue behind it and are late for the end. Never destroyed: it ends while the process exits.
class SoundLibraryStall {
public:
    void Begin() {
        std::thread([this] {
            const auto library = platform::portaudiopath::Lock();
            std::unique_lock lock(m_mutex);
            m_ended.wait(lock, [this] { return m_over; });
        }).detach();
    }
    void End() {
        {
            const std::lock_guard lock(m_mutex);
            m_over = true;
        }
        m_ended.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_over = false;
};

SoundLibraryStall& Stall() {
    static auto* stall = new SoundLibraryStall;
    return *stall;
}

// The rest of a process's exit (the statics' and the libraries' teardown) may take any time. Here the
// stall ends and the exit lasts until the late players are done, so that whatever they touch then has
// been torn down already: this runs after the statics first used after it was registered are gone.
void LetLatePlayersFinish() {
    Stall().End();
    audio::WaitForNoWOThreads(10000);
}

} // namespace

int main(int argc, char** argv) {
    const unsigned seed = argc > 1 ? static_cast<unsigned>(std::stoul(argv[1])) : 1u;
    std::atexit(LetLatePlayersFinish);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());

    QApplication app(argc, argv);
    platform::StartSound();
    MainServices services;
    services.showError = ShowLikeABox;
    auto fmMain = std::make_unique<TfmMain>(services);
    auto fmHelp = std::make_unique<TfmHelp>();
    fmMain->fmHelp = fmHelp.get();

    // Starts through the window's own Play button and straight on other devices, one that exists and one
    // that does not (whose players want to show an error); stops through the window and per device.
    std::mt19937 random(seed);
    QTimer players;
    QObject::connect(&players, &QTimer::timeout, [&] {
        const int clip = static_cast<int>(random() % 8);
        switch (random() % 6) {
        case 0:
            fmMain->Noise_Num = clip + 1;
            fmMain->Button6->click();
            break;
        case 1:
        case 2:
            audio::TWOThread::Start(fmMain->WaveList_1.Items(clip), true, 0, PresentOnUiThread(services.showError));
            break;
        case 3:
            audio::TWOThread::Start(fmMain->WaveList_1.Items(clip), true, kNoSuchDevice,
                                    PresentOnUiThread(services.showError));
            break;
        case 4:
            fmMain->btStopThread->click();
            break;
        default:
            audio::StopWOThreads(0);
            break;
        }
    });
    players.start(3);
    const int lifeMs = std::uniform_int_distribution<int>(50, 500)(random);
    const int stallMs = std::uniform_int_distribution<int>(0, 100)(random);
    QTimer::singleShot(std::max(0, lifeMs - stallMs), [] { Stall().Begin(); });
    QTimer::singleShot(lifeMs, &app, &QCoreApplication::quit);
    QApplication::exec();
    players.stop();
    EndMurmex(fmMain, fmHelp);

    // A player that wants to show an error from now on goes on at once, and nothing is shown.
    const int shown = g_shown;
    std::thread([] { PresentOnUiThread(ShowLikeABox)(QStringLiteral("late")); }).join();
    QCoreApplication::sendPostedEvents(&app, QEvent::MetaCall);
    return g_shown == shown ? 0 : 1;
}
