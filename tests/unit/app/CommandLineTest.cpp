// The command line as a start reads it, and the request and answer lines that carry its commands to the running
// copy and back.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace murmex {
namespace {

std::variant<StartOptions, UsageError> Parse(const char* line) {
    return ParseCommandLine(QString::fromLatin1(line).split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

StartOptions Options(const char* line) {
    const auto parsed = Parse(line);
    EXPECT_TRUE(std::holds_alternative<StartOptions>(parsed)) << line;
    return std::holds_alternative<StartOptions>(parsed) ? std::get<StartOptions>(parsed) : StartOptions{};
}

QString Error(const char* line) {
    const auto parsed = Parse(line);
    EXPECT_TRUE(std::holds_alternative<UsageError>(parsed)) << line;
    return std::holds_alternative<UsageError>(parsed) ? std::get<UsageError>(parsed).line : QString();
}

// Each fault is named with what was given and what is allowed.
TEST(CommandLineTest, ABadOptionOrValueIsNamedWithTheValuesAllowed) {
    const std::pair<const char*, std::vector<const char*>> faults[] = {
        {"--play --loud", {"'--loud'"}},
        {"--noise 0", {"--noise 0", "1 to 8"}},
        {"--noise 9", {"--noise 9", "1 to 8"}},
        {"--volume -1", {"--volume -1", "0 to 100"}},
        {"--volume 50,101", {"--volume 50,101", "0 to 100"}},
        {"--off 25", {"--off 25", "off, 10", "55 or 60"}},
        {"--then sleep", {"--then sleep", "close, shutdown or suspend"}},
        {"--play --noise", {"--noise", "1 to 8"}},
    };
    for (const auto& [line, named] : faults) {
        const QString error = Error(line);
        for (const char* part : named)
            EXPECT_TRUE(error.contains(QString::fromLatin1(part))) << line << ": " << error.toStdString();
    }
}

TEST(CommandLineTest, CommandsKeepTheirOrderAndValuesWithQtsOptionsPassedOver) {
    const StartOptions options = Options("-platform offscreen --stop --noise 3 -reverse --volume 50 --volume=50,25 "
                                         "--display :7 --off off --off 35 --then suspend --hidden --play");
    const std::vector<Command> expected{{CommandKind::Stop, 0, 0},     {CommandKind::Noise, 3, 0},
                                        {CommandKind::Volume, 50, 50}, {CommandKind::Volume, 50, 25},
                                        {CommandKind::Off, 0, 0},      {CommandKind::Off, 4, 0},
                                        {CommandKind::Then, 2, 0},     {CommandKind::Play, 0, 0}};
    EXPECT_EQ(options.commands, expected);
    EXPECT_TRUE(options.hidden);
    EXPECT_FALSE(options.headless);
    EXPECT_FALSE(Error("--noise 9 --help").isEmpty()) << "a bad value before --help is still a fault";
    EXPECT_TRUE(Options("--help --noise 9").help);
}

TEST(CommandLineTest, CommandsAndTheirOutcomeTravelWhole) {
    const std::vector<Command> commands =
        Options("--stop --noise 3 --volume 50,25 --off 10 --then close --status").commands;
    const QByteArray request = CommandRequest(commands);
    ASSERT_TRUE(request.endsWith('\n'));
    EXPECT_EQ(ReadCommandRequest(request.chopped(1)), commands);
    // What concerns a start alone is no request.
    EXPECT_EQ(ReadCommandRequest("run --hidden"), std::nullopt);
    EXPECT_EQ(ReadCommandRequest("show"), std::nullopt);

    const CommandOutcome refused{{QStringLiteral("state: playing"), QStringLiteral("output: Desk 2")},
                                 1,
                                 QStringLiteral("cannot change while it plays")};
    EXPECT_EQ(ReadCommandAnswer(CommandAnswer(refused)), refused);
    EXPECT_EQ(ReadCommandAnswer(CommandAnswer(CommandOutcome{})), CommandOutcome{});
    EXPECT_EQ(ReadCommandAnswer("out state: playing\n"), std::nullopt) << "an answer without its end";
}

// A started minute counts; nothing is left of a delay the count is already past, or while stopped.
TEST(CommandLineTest, TheMinutesLeftOfTheAutoOff) {
    EXPECT_EQ(OffMinutesLeft(true, 1, 0), 10);
    EXPECT_EQ(OffMinutesLeft(true, 1, 1), 10);
    EXPECT_EQ(OffMinutesLeft(true, 1, 600), 9);
    EXPECT_EQ(OffMinutesLeft(true, 1, 5999), 1);
    EXPECT_EQ(OffMinutesLeft(true, 1, 6000), std::nullopt);
    EXPECT_EQ(OffMinutesLeft(true, 1, 9000), std::nullopt);
    EXPECT_EQ(OffMinutesLeft(false, 1, 600), std::nullopt);
    EXPECT_EQ(OffMinutesLeft(true, 0, 600), std::nullopt);
}

} // namespace
} // namespace murmex
