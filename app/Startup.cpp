#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/CommandLink.h"
#include "app/Main.h"
#include "app/MediaLink.h"
#include "app/SettingsStore.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "i18n/Help.h"
#include "platform/IdleInhibitor.h"
#include "platform/LibraryNoise.h"
#include "platform/Power.h"
#include "platform/QtPlatform.h"
#include "platform/SingleInstance.h"
#include "platform/SoundBackend.h"
#include "platform/Termination.h"

#include <QApplication>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <variant>
#include <vector>

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

namespace {

// How long --quit waits for the running copy to have ended, its settings written.
constexpr int kQuitEndMs = 5000;

QStringList Arguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool Quits(const std::vector<Command>& commands, const CommandOutcome& outcome) {
    for (std::size_t i = 0; i < commands.size() && i < outcome.refused.value_or(commands.size()); ++i) {
        if (commands[i].kind == CommandKind::Quit)
            return true;
    }
    return false;
}

// A start that finds Murmex running asks it to show its window, or sends it the commands, and prints what comes
// back. The exit status; nothing when this start is the one copy.
std::optional<int> TalkToRunningCopy(platform::SingleInstance& instance, const QString& serverName,
                                     const StartOptions& options) {
    using Outcome = platform::SingleInstance::Outcome;
    // A start that is to put its window away does not bring the running one forward. --show alone asks as a plain
    // start does, which a copy without a window answers as such, and an older copy knows.
    const bool onlyShow = options.commands == std::vector<Command>{{CommandKind::Show}};
    const bool show = (options.commands.empty() || onlyShow) && !options.hidden && !options.headless;
    const QByteArray request = show ? platform::SingleInstance::ShowRequest() : CommandRequest(options.commands);
    switch (instance.Claim(serverName, request)) {
    case Outcome::TheOneCopy:
        return std::nullopt;
    case Outcome::AnotherShows:
        return 0;
    case Outcome::AnotherHasNoWindow:
        std::fputs("Murmex runs without a window; use murmex --quit\n", stderr);
        return 1;
    case Outcome::AnotherIsSilent:
        // Never a second copy beside it: two would write the same settings.
        std::fputs(show ? "Murmex is already running but does not answer\n" : "Murmex is not answering\n", stderr);
        return 1;
    case Outcome::AnotherIsOlder:
        std::fputs("The running Murmex is older; quit it and start again\n", stderr);
        return 1;
    case Outcome::Answered:
        break;
    }
    const std::optional<CommandOutcome> outcome = ReadCommandAnswer(instance.Answer());
    if (!outcome) {
        std::fputs("The running Murmex answered what this one cannot read; quit it and start again\n", stderr);
        return 1;
    }
    const int status = PrintOutcome(options.commands, *outcome);
    // Whoever quits it may use its settings as soon as this start has ended.
    if (Quits(options.commands, *outcome))
        instance.WaitUntilGone(kQuitEndMs);
    return status;
}

// The window shown, or put away as the minimise button would for --hidden, or never shown for --headless, where a
// stored Min_FormShow has nothing to put away; then the commands, once the loop runs. A refusal is said on stderr,
// and the copy runs on.
void OpenWindow(TfmMain& fmMain, const StartOptions& options) {
    if (options.headless) {
        fmMain.PrepareUnshown();
    } else if (options.hidden) {
        fmMain.PrepareUnshown();
        fmMain.Sb_MinClick();
    } else {
        fmMain.show();
        // A window manager activates a new window by itself; without one the window would never become
        // active, and the work that waits for the first active moment would never run.
        fmMain.activateWindow();
    }
    if (!options.commands.empty())
        QMetaObject::invokeMethod(
            &fmMain,
            [&fmMain, &options] {
                PrintOutcome(options.commands, CarryOut(fmMain, options.commands, options.headless));
            },
            Qt::QueuedConnection);
}

// This start is the one copy: the window, and the message loop until it closes.
int RunFirstCopy(int& argc, char** argv, const StartOptions& options, const platform::SingleInstance& instance) {
    // Without a window no display is needed, and none is reached.
    platform::QtArguments arguments(argc, argv, platform::ProcessEnvironment, options.headless);
    // Said plainly, where Qt would abort with advice to reinstall.
    if (platform::LacksDisplay(argc, arguments.Argv(), platform::ProcessEnvironment)) {
        std::fputs("Murmex needs a graphical desktop (no DISPLAY or WAYLAND_DISPLAY)\n", stderr);
        return 1;
    }
    std::optional<platform::PaintsThroughSocket> paints(std::in_place);
    // Before any thread runs: the sound library's stream threads write to stderr.
    platform::FilterLibraryNoise();
    // The sound system starts here, on the interface thread, and not inside the first player's start. It
    // comes first: listing the outputs briefly takes memory that is given back before the window needs its own.
    platform::StartSound();
    // A display that is named but cannot be opened is said plainly as well.
    std::optional<platform::FatalErrorLine> deadDisplay(
        std::in_place, platform::CannotOpenDisplay(argc, arguments.Argv(), platform::ProcessEnvironment));
    QApplication app(argc, arguments.Argv());
    deadDisplay.reset();
    paints.reset();
    QApplication::setApplicationName(QStringLiteral("Murmex"));
    QApplication::setDesktopFileName(QStringLiteral("murmex"));
    // The main window ends the program when it is closed, also while it is hidden in the tray.
    QApplication::setQuitOnLastWindowClosed(false);

    MainServices services;
    services.powerOff = platform::RequestPowerOff;
    services.suspend = platform::RequestSuspend;
    // A box nobody can see would never be closed.
    if (options.headless)
        services.showError = nullptr;
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

    auto listener = std::make_unique<platform::InstanceListener>(instance);
    AnswerLaterStarts(*listener, *fmMain, options.headless);
    std::unique_ptr<platform::MediaControls> media = StartMediaControls(*fmMain, options.headless);

    OpenWindow(*fmMain, options);
    const int result = QApplication::exec();
    // Later starts find nobody listening from now on, and wait for the lock to go.
    listener.reset();
    media.reset();
    EndMurmex(fmMain, fmHelp);
    return result;
}

} // namespace

int RunMurmex(int& argc, char** argv) {
    const auto parsed = ParseCommandLine(Arguments(argc, argv));
    if (const UsageError* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "%s\nTry 'murmex --help'\n", qUtf8Printable(error->line));
        return 2;
    }
    const StartOptions& options = std::get<StartOptions>(parsed);
    if (options.help || options.version) {
        std::fputs(qUtf8Printable(options.help ? UsageText() : VersionText()), stdout);
        return 0;
    }

    // Before anything else starts: a start that finds Murmex running only talks to it, and leaves before it
    // opens a display, starts the sound or touches the settings.
    QString placeProblem;
    const QString serverName = platform::SingleInstance::ServerNameForUser(platform::ProcessEnvironment, &placeProblem);
    platform::SingleInstance instance;
    if (const std::optional<int> status = TalkToRunningCopy(instance, serverName, options))
        return *status;
    if (NeedsRunningCopy(options.commands)) {
        std::fputs("Murmex is not running\n", stderr);
        return 1;
    }
    if (OnlyStops(options.commands))
        return 0;
    if (!placeProblem.isEmpty())
        std::fprintf(stderr, "Murmex: %s\n", qUtf8Printable(placeProblem));
    return RunFirstCopy(argc, argv, options, instance);
}

} // namespace murmex
