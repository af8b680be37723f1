#include "app/CommandLine.h"

#include "app/AutoOff.h"
#include "app/Generator.h"
#include "app/Sliders.h"
#include "platform/QtPlatform.h"

#include <algorithm>
#include <array>
#include <utility>

namespace murmex {
namespace {

struct Spelling {
    CommandKind kind;
    const char* option;
};

constexpr std::array<Spelling, 10> kSpellings{{
    {CommandKind::Play, "--play"},
    {CommandKind::Stop, "--stop"},
    {CommandKind::Toggle, "--toggle"},
    {CommandKind::Noise, "--noise"},
    {CommandKind::Volume, "--volume"},
    {CommandKind::Off, "--off"},
    {CommandKind::Then, "--then"},
    {CommandKind::Status, "--status"},
    {CommandKind::Show, "--show"},
    {CommandKind::Quit, "--quit"},
}};

// In the order of the auto-off's action selector; suspend, the third, is the value 2.
constexpr std::array<const char*, 3> kActions{"close", "shutdown", "suspend"};
static_assert(kOffActionClose == 0 && kOffActionShutdown == 1 && kOffActionSuspend == 2);

// A request line is kept short enough for the running copy's bound on what it reads.
constexpr std::size_t kMostCommands = 32;

bool TakesValue(CommandKind kind) {
    return kind == CommandKind::Noise || kind == CommandKind::Volume || kind == CommandKind::Off ||
           kind == CommandKind::Then;
}

QString Latin1(const char* text) {
    return QString::fromLatin1(text);
}

// "off" where the window shows "--".
QString OffText(std::int32_t off1) {
    const std::string_view text = kOffDelays[std::size_t(off1)].text;
    return off1 == 0 ? QStringLiteral("off") : QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// What the user may write after each option that takes a value.
QString Allowed(CommandKind kind) {
    switch (kind) {
    case CommandKind::Noise:
        return QStringLiteral("a noise number from 1 to %1").arg(kNoiseCount);
    case CommandKind::Volume:
        return QStringLiteral("a volume from 0 to %1, or LEFT,RIGHT").arg(kVolumeMax);
    case CommandKind::Off: {
        QStringList minutes;
        for (std::size_t i = 0; i < kOffDelays.size(); ++i)
            minutes << OffText(std::int32_t(i));
        const QString last = minutes.takeLast();
        return QStringLiteral("minutes: %1 or %2").arg(minutes.join(QStringLiteral(", ")), last);
    }
    case CommandKind::Then:
        return QStringLiteral("close, shutdown or suspend");
    default:
        return {};
    }
}

// A whole number written with digits only, at most three of them.
std::optional<std::int32_t> Digits(const QString& text) {
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    std::int32_t n = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        n = n * 10 + (c.unicode() - '0');
    }
    return n;
}

std::optional<std::int32_t> Volume(const QString& text) {
    const std::optional<std::int32_t> n = Digits(text);
    return n && *n <= kVolumeMax ? n : std::nullopt;
}

// The command `kind` with its value read from `text`; nothing when the value is not one it takes.
std::optional<Command> WithValue(CommandKind kind, const QString& text) {
    switch (kind) {
    case CommandKind::Noise: {
        const std::optional<std::int32_t> n = Digits(text);
        if (!n || *n < 1 || *n > kNoiseCount)
            return std::nullopt;
        return Command{kind, *n, 0};
    }
    case CommandKind::Volume: {
        const QStringList parts = text.split(QLatin1Char(','));
        const std::optional<std::int32_t> left = parts.size() <= 2 ? Volume(parts.first()) : std::nullopt;
        const std::optional<std::int32_t> right = parts.size() == 2 ? Volume(parts.last()) : left;
        if (!left || !right)
            return std::nullopt;
        return Command{kind, *left, *right};
    }
    case CommandKind::Off:
        for (std::size_t i = 0; i < kOffDelays.size(); ++i) {
            if (text == OffText(std::int32_t(i)))
                return Command{kind, std::int32_t(i), 0};
        }
        return std::nullopt;
    case CommandKind::Then:
        for (std::size_t i = 0; i < kActions.size(); ++i) {
            if (text == Latin1(kActions[i]))
                return Command{kind, std::int32_t(i), 0};
        }
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<CommandKind> CommandNamed(const QString& option) {
    for (const Spelling& spelling : kSpellings) {
        if (option == Latin1(spelling.option))
            return spelling.kind;
    }
    return std::nullopt;
}

const char* OptionOf(CommandKind kind) {
    return std::find_if(kSpellings.begin(), kSpellings.end(), [kind](const Spelling& s) { return s.kind == kind; })
        ->option;
}

UsageError Fault(const QString& what, const QString& why) {
    return {QStringLiteral("murmex: %1: %2").arg(what, why)};
}

// The command line read so far, up to the argument at `at`.
struct Reading {
    const QStringList& arguments;
    int at = 0;
    StartOptions options;
    std::optional<UsageError> error;
};

// One command at `reading.at`, with its value ("--noise 3" or "--noise=3"); false with the error set otherwise.
bool ReadCommand(Reading& reading, CommandKind kind, const QString& argument, std::optional<QString> inlineValue) {
    const QString name = Latin1(OptionOf(kind));
    if (!TakesValue(kind)) {
        if (inlineValue) {
            reading.error = Fault(argument, QStringLiteral("takes no value"));
            return false;
        }
        reading.options.commands.push_back({kind, 0, 0});
        return true;
    }
    if (!inlineValue && reading.at + 1 >= reading.arguments.size()) {
        reading.error = Fault(name, QStringLiteral("needs a value: %1").arg(Allowed(kind)));
        return false;
    }
    const QString value = inlineValue ? *inlineValue : reading.arguments[++reading.at];
    const std::optional<Command> command = WithValue(kind, value);
    if (!command) {
        reading.error = Fault(name + QLatin1Char(' ') + value, QStringLiteral("expected %1").arg(Allowed(kind)));
        return false;
    }
    reading.options.commands.push_back(*command);
    return true;
}

// One argument at `reading.at`; false when the reading ends there, with the error set when it failed.
bool ReadArgument(Reading& reading) {
    const QString argument = reading.arguments[reading.at];
    StartOptions& options = reading.options;
    if (argument == QStringLiteral("-h") || argument == QStringLiteral("--help")) {
        options.help = true;
        return false;
    }
    if (argument == QStringLiteral("-V") || argument == QStringLiteral("--version")) {
        options.version = true;
        return false;
    }
    if (argument == QStringLiteral("--hidden") || argument == QStringLiteral("--headless")) {
        (argument == QStringLiteral("--hidden") ? options.hidden : options.headless) = true;
        return true;
    }
    const qsizetype equals = argument.indexOf(QLatin1Char('='));
    const QString option = argument.startsWith(QStringLiteral("--")) && equals > 0 ? argument.left(equals) : argument;
    if (const std::optional<CommandKind> kind = CommandNamed(option)) {
        const std::optional<QString> inlineValue =
            option.size() < argument.size() ? std::optional(argument.mid(equals + 1)) : std::nullopt;
        return ReadCommand(reading, *kind, argument, inlineValue);
    }
    if (const std::optional<int> values = platform::QtOptionValues(argument.toLocal8Bit())) {
        reading.at += *values;
        return true;
    }
    reading.error = argument.startsWith(QLatin1Char('-'))
                        ? UsageError{QStringLiteral("murmex: unknown option '%1'").arg(argument)}
                        : UsageError{QStringLiteral("murmex: unexpected argument '%1'").arg(argument)};
    return false;
}

} // namespace

std::variant<StartOptions, UsageError> ParseCommandLine(const QStringList& arguments) {
    Reading reading{arguments, 0, {}, std::nullopt};
    for (; reading.at < arguments.size(); ++reading.at) {
        if (!ReadArgument(reading))
            break;
    }
    if (reading.error)
        return *reading.error;
    if (reading.options.commands.size() > kMostCommands)
        return UsageError{QStringLiteral("murmex: too many commands (%1 at most)").arg(kMostCommands)};
    return reading.options;
}

QString UsageText() {
    return QStringLiteral("Usage: murmex [OPTION]...\n"
                          "Plays noise without end. When Murmex runs already, it carries out the commands;\n"
                          "otherwise this start becomes the running copy and carries them out once up.\n"
                          "\n"
                          "  -h, --help           print this help and exit\n"
                          "  -V, --version        print the version and exit\n"
                          "      --play           start the noise\n"
                          "      --stop           stop the noise\n"
                          "      --toggle         start the noise, or stop it while it plays\n"
                          "      --noise N        choose noise N (1 to 8) while the noise is stopped\n"
                          "      --volume L[,R]   set the left and right volume, 0 to 100 (one sets both)\n"
                          "      --off MINUTES    auto-off after 10,20,30,35,40,45,50,55,60 minutes, or off\n"
                          "      --then ACTION    at the auto-off: close, shutdown or suspend\n"
                          "      --status         print the state, noise, volume, output and auto-off\n"
                          "      --show           bring the window forward, also out of the tray\n"
                          "      --quit           end Murmex as its close button does, settings written\n"
                          "      --hidden         start with the window in the tray (when not yet running)\n"
                          "      --headless       run without a window (when not yet running)\n"
                          "\n"
                          "Commands run in the order given: murmex --stop --noise 3 --play switches noise.\n"
                          "Exit status: 0 when all was done, 1 when a command was refused or Murmex could\n"
                          "not be reached, 2 for a command line that cannot be read.\n");
}

QString VersionText() {
    return QStringLiteral("murmex %1\n").arg(QStringLiteral(MURMEX_VERSION));
}

QString CommandText(const Command& command) {
    const QString option = Latin1(OptionOf(command.kind));
    switch (command.kind) {
    case CommandKind::Noise:
        return option + QStringLiteral(" %1").arg(command.value);
    case CommandKind::Volume:
        return option + QStringLiteral(" %1,%2").arg(command.value).arg(command.right);
    case CommandKind::Off:
        return option + QLatin1Char(' ') + OffText(command.value);
    case CommandKind::Then:
        return option + QLatin1Char(' ') + Latin1(kActions[std::size_t(command.value)]);
    default:
        return option;
    }
}

bool NeedsRunningCopy(const std::vector<Command>& commands) {
    return std::any_of(commands.begin(), commands.end(),
                       [](const Command& c) { return c.kind == CommandKind::Status || c.kind == CommandKind::Quit; });
}

bool OnlyStops(const std::vector<Command>& commands) {
    return !commands.empty() &&
           std::all_of(commands.begin(), commands.end(), [](const Command& c) { return c.kind == CommandKind::Stop; });
}

QByteArray CommandRequest(const std::vector<Command>& commands) {
    QStringList words{QStringLiteral("run")};
    for (const Command& command : commands)
        words << CommandText(command);
    return words.join(QLatin1Char(' ')).toLatin1() + '\n';
}

std::optional<std::vector<Command>> ReadCommandRequest(const QByteArray& line) {
    QStringList words = QString::fromLatin1(line).split(QLatin1Char(' '));
    if (words.takeFirst() != QStringLiteral("run"))
        return std::nullopt;
    const auto parsed = ParseCommandLine(words);
    const StartOptions* options = std::get_if<StartOptions>(&parsed);
    // Only commands travel; what concerns a start alone never does.
    if (!options || options->help || options->version || options->hidden || options->headless)
        return std::nullopt;
    return options->commands;
}

QByteArray CommandAnswer(const CommandOutcome& outcome) {
    // An output's name, say, could hold a line break of its own.
    const auto oneLine = [](QString text) { return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).toUtf8(); };
    QByteArray answer;
    for (const QString& line : outcome.lines)
        answer += "out " + oneLine(line) + '\n';
    if (outcome.refused)
        answer += "refused " + QByteArray::number(qulonglong(*outcome.refused)) + ' ' + oneLine(outcome.reason) + '\n';
    else
        answer += "done\n";
    return answer;
}

std::optional<CommandOutcome> ReadCommandAnswer(const QByteArray& answer) {
    if (!answer.endsWith('\n'))
        return std::nullopt;
    QList<QByteArray> lines = answer.chopped(1).split('\n');
    const QByteArray last = lines.takeLast();
    CommandOutcome outcome;
    for (const QByteArray& line : lines) {
        if (!line.startsWith("out "))
            return std::nullopt;
        outcome.lines << QString::fromUtf8(line.mid(4));
    }
    if (last == "done")
        return outcome;
    const QList<QByteArray> refused = last.split(' ');
    bool number = false;
    const qulonglong index = refused.size() >= 2 ? refused[1].toULongLong(&number) : 0;
    if (refused[0] != "refused" || !number)
        return std::nullopt;
    outcome.refused = std::size_t(index);
    outcome.reason = QString::fromUtf8(last.mid(refused[0].size() + refused[1].size() + 2));
    return outcome;
}

std::optional<std::int32_t> OffMinutesLeft(bool playing, std::int32_t off1, std::int32_t offCount) {
    if (!playing || off1 <= 0 || off1 >= std::int32_t(kOffDelays.size()))
        return std::nullopt;
    constexpr std::int32_t kTicksPerMinute = 600;
    const std::int64_t left = std::int64_t(kOffDelays[std::size_t(off1)].ticks) - offCount;
    if (left <= 0)
        return std::nullopt;
    return std::int32_t((left + kTicksPerMinute - 1) / kTicksPerMinute);
}

QStringList StatusLines(const StatusView& status) {
    const std::int32_t off1 = WrapOffDelay(status.off1);
    QString off = OffText(off1);
    if (const std::optional<std::int32_t> left = OffMinutesLeft(status.playing, off1, status.offCount))
        off += QStringLiteral(" (%1 left)").arg(*left);
    const QString noise =
        QString::number(status.noise) + (status.noiseName.isEmpty() ? QString() : QLatin1Char(' ') + status.noiseName);
    const std::size_t action = std::size_t(status.off2) < kActions.size() ? std::size_t(status.off2) : 0;
    return {QStringLiteral("state: %1").arg(status.playing ? QStringLiteral("playing") : QStringLiteral("stopped")),
            QStringLiteral("noise: %1").arg(noise),
            QStringLiteral("volume: %1,%2").arg(status.left).arg(status.right),
            QStringLiteral("output: %1").arg(status.output),
            QStringLiteral("off: %1").arg(off),
            QStringLiteral("then: %1").arg(Latin1(kActions[action]))};
}

} // namespace murmex
