// The program's command line: what a start is asked to do, the usage text, and the one-line form in which the
// commands travel to the running copy and their outcome comes back. The running copy reads a request with the
// same parser as the command line, so both accept exactly the same commands. Pure; any thread.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace murmex {

enum class CommandKind { Play, Stop, Toggle, Noise, Volume, Off, Then, Status, Show, Quit };

struct Command {
    CommandKind kind = CommandKind::Show;
    std::int32_t value = 0; // the noise (1..8), the left volume, the delay's index in kOffDelays, the action
    std::int32_t right = 0; // the right volume

    bool operator==(const Command&) const = default;
};

struct StartOptions {
    bool help = false;
    bool version = false;
    bool hidden = false;           // the first copy starts with its window put away
    bool headless = false;         // the first copy runs without any window
    std::vector<Command> commands; // in the order given

    bool operator==(const StartOptions&) const = default;
};

// A command line that cannot be carried out: the one line that says why, without the hint to --help.
struct UsageError {
    QString line;
};

// `arguments` without the program's name. Qt's own options are passed over with their values. The first
// --help or --version ends the reading.
std::variant<StartOptions, UsageError> ParseCommandLine(const QStringList& arguments);

// What --help prints: every option, one line each.
QString UsageText();
// What --version prints.
QString VersionText();

// The command as it is written on the command line: "--noise 3", "--volume 50,25", "--off off".
QString CommandText(const Command& command);

// Whether the commands only make sense with a copy running (--status, --quit), or do nothing without one (only
// --stop).
bool NeedsRunningCopy(const std::vector<Command>& commands);
bool OnlyStops(const std::vector<Command>& commands);

// The request line for the running copy, and the commands read back from one (without its end of line). An
// older copy answers nothing to a request it does not know, and a later one reads what it knows of this form.
QByteArray CommandRequest(const std::vector<Command>& commands);
std::optional<std::vector<Command>> ReadCommandRequest(const QByteArray& line);

// What the running copy answers: the lines to print (those of --status), and the command that was refused, if
// any, with its reason; the commands after it were not run.
struct CommandOutcome {
    QStringList lines;
    std::optional<std::size_t> refused;
    QString reason;

    bool operator==(const CommandOutcome&) const = default;
};
QByteArray CommandAnswer(const CommandOutcome& outcome);
std::optional<CommandOutcome> ReadCommandAnswer(const QByteArray& answer);

// The auto-off's state as --status tells it.
struct StatusView {
    bool playing = false;
    std::int32_t noise = 0;
    QString noiseName; // in the window's language
    std::int32_t left = 0;
    std::int32_t right = 0;
    QString output; // as the window shows it
    std::int32_t off1 = 0;
    std::int32_t offCount = 0;
    std::int32_t off2 = 0;
};
QStringList StatusLines(const StatusView& status);

// Whole minutes left of the auto-off's count (a started minute counts), while the generator plays toward a delay
// that lies ahead; nothing otherwise.
std::optional<std::int32_t> OffMinutesLeft(bool playing, std::int32_t off1, std::int32_t offCount);

} // namespace murmex
