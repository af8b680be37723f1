#include "app/Startup.h"

#include "app/Main.h"
#include "app/MediaLink.h"
#include "app/SettingsStore.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "platform/AudioHost.h"
#include "platform/IdleInhibitor.h"
#include "platform/LibraryNoise.h"
#include "platform/Power.h"
#include "platform/QtPlatform.h"
#include "platform/SingleInstance.h"
#include "platform/Termination.h"

#include <QApplication>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>

namespace murmex {
namespace {

// Never destroyed: a player may want to show an error while the process ends.
struct ErrorRelay {
    std::mutex mutex;
    std::condition_variable seen;
    bool closed = false;
};

ErrorRelay& Relay() {
    static auto* relay = new ErrorRelay;
    return *relay;
}

// From now on no error is shown, and the players waiting for one go on.
void CloseErrorRelay() {
    ErrorRelay& relay = Relay();
    {
        const std::lock_guard lock(relay.mutex);
        relay.closed = true;
    }
    relay.seen.notify_all();
}

} // namespace

audio::ErrorPresenter PresentOnUiThread(std::function<void(const QString& message)> show) {
    return [show = std::move(show)](const QString& message) {
        ErrorRelay& relay = Relay();
        auto seen = std::make_shared<bool>(false); // guarded by the relay's mutex
        std::unique_lock lock(relay.mutex);
        // The application outlives the relay's closing, so it cannot go while this lock is held.
        QCoreApplication* app = QCoreApplication::instance();
        if (relay.closed || !app)
            return;
        // Not a blocking connection: a call posted after the loop has ended would never run.
        QMetaObject::invokeMethod(
            app,
            [show, message, seen] {
                ErrorRelay& relay = Relay();
                bool closed = false;
                {
                    const std::lock_guard lock(relay.mutex);
                    closed = relay.closed;
                }
                if (!closed)
                    show(message);
                {
                    const std::lock_guard lock(relay.mutex);
                    *seen = true;
                }
                relay.seen.notify_all();
            },
            Qt::QueuedConnection);
        relay.seen.wait(lock, [&] { return *seen || relay.closed; });
    };
}

audio::Notice PostOnUiThread(std::function<void(const QString& message)> show) {
    return [show = std::move(show)](const QString& message) {
        ErrorRelay& relay = Relay();
        const std::lock_guard lock(relay.mutex);
        // The application outlives the relay's closing, so it cannot go while this lock is held.
        QCoreApplication* app = QCoreApplication::instance();
        if (relay.closed || !app)
            return;
        QMetaObject::invokeMethod(
            app,
            [show, message] {
                {
                    const std::lock_guard lock(Relay().mutex);
                    if (Relay().closed)
                        return;
                }
                show(message);
            },
            Qt::QueuedConnection);
    };
}

void EndMurmex(std::unique_ptr<TfmMain>& fmMain, std::unique_ptr<TfmHelp>& fmHelp) {
    CloseErrorRelay();
    // The sound ends with the program: players are asked to stop and get a moment to close their
    // devices, but the end is never held up for them.
    audio::StopAllWOThreads();
    audio::WaitForNoWOThreads(500);

    // The windows go in the reverse order of their creation; the language is stored before the rest.
    fmMain->fmHelp = nullptr;
    fmHelp.reset();
    SettingsStore::WriteLanguage(fmMain->Lang_Num);
    fmMain.reset();
}

int RunMurmex(int& argc, char** argv) {
    // Said plainly, where Qt would abort with advice to reinstall.
    if (platform::LacksDisplay(argc, argv, platform::ProcessEnvironment)) {
        std::fputs("Murmex needs a graphical desktop (no DISPLAY or WAYLAND_DISPLAY)\n", stderr);
        return 1;
    }
    // Before any thread runs: the sound library's stream threads write to stderr.
    platform::FilterLibraryNoise();
    // The sound system starts here, on the interface thread, and not inside the first player's start. It
    // comes first: listing the outputs briefly takes memory that is given back before the window needs its own.
    platform::audiohost::Start();
    platform::QtArguments arguments(argc, argv, platform::ProcessEnvironment);
    // A display that is named but cannot be opened is said plainly as well.
    std::optional<platform::FatalErrorLine> deadDisplay(
        std::in_place, platform::CannotOpenDisplay(argc, arguments.Argv(), platform::ProcessEnvironment));
    QApplication app(argc, arguments.Argv());
    deadDisplay.reset();
    QApplication::setApplicationName(QStringLiteral("Murmex"));
    QApplication::setDesktopFileName(QStringLiteral("murmex"));
    // The main window ends the program when it is closed, also while it is hidden in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second copy shows the first one's window and leaves before it touches the settings.
    QString placeProblem;
    const QString serverName = platform::SingleInstance::ServerNameForUser(platform::ProcessEnvironment, &placeProblem);
    platform::SingleInstance instance;
    switch (instance.Claim(serverName)) {
    case platform::SingleInstance::Outcome::AnotherShows:
        return 0;
    case platform::SingleInstance::Outcome::AnotherIsSilent:
        // Never a second copy beside it: two would write the same settings.
        std::fputs("Murmex is already running but does not answer\n", stderr);
        return 1;
    case platform::SingleInstance::Outcome::TheOneCopy:
        break;
    }
    if (!placeProblem.isEmpty())
        std::fprintf(stderr, "Murmex: %s\n", qUtf8Printable(placeProblem));

    MainServices services;
    services.powerOff = platform::RequestPowerOff;
    services.suspend = platform::RequestSuspend;
    // Outlives the window; its end gives back what it holds.
    platform::IdleInhibitor inhibitor(QStringLiteral("Playing noise"));
    services.playingChanged = [&inhibitor](bool playing) { playing ? inhibitor.Hold() : inhibitor.Release(); };
    auto fmMain = std::make_unique<TfmMain>(std::move(services));
    fmMain->Lang_Num = KnownLanguage(SettingsStore::ReadLanguage());
    auto fmHelp = std::make_unique<TfmHelp>();
    fmMain->fmHelp = fmHelp.get();

    QObject::connect(fmMain.get(), &TfmMain::Closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A session that ends the program closes the window the same way the close button does.
    platform::TerminationRequests termination;
    QObject::connect(&termination, &platform::TerminationRequests::Requested, fmMain.get(), &QWidget::close);

    QObject::connect(&instance, &platform::SingleInstance::ShowRequested, fmMain.get(), &TfmMain::AnotherCopyStarted);
    std::unique_ptr<platform::MediaControls> media = StartMediaControls(*fmMain);

    fmMain->show();
    // A window manager activates a new window by itself; without one the window would never become
    // active, and the work that waits for the first active moment would never run.
    fmMain->activateWindow();
    const int result = QApplication::exec();
    media.reset();
    EndMurmex(fmMain, fmHelp);
    return result;
}

} // namespace murmex
