#include "app/CommandLink.h"

#include "app/Generator.h"
#include "app/Main.h"
#include "app/MediaState.h"
#include "platform/SingleInstance.h"
#include "ui/Surfaces.h"

#include <cstdio>
#include <stdexcept>

namespace murmex {
namespace {

// Refused as a handler refuses: its reason is the command's answer.
[[noreturn]] void Refuse(const char* reason) {
    throw std::runtime_error(reason);
}

StatusView StatusOf(const TfmMain& fm) {
    return {.playing = fm.Generator_On,
            .noise = fm.Noise_Num,
            .noiseName = fm.fmHelp ? NoiseName(*fm.fmHelp, fm.Noise_Num) : QString(),
            .left = fm.Value_L,
            .right = fm.Value_R,
            .output = fm.Edit_Obj1->text(),
            .off1 = fm.Off_1,
            .offCount = fm.Off_Count,
            .off2 = fm.Off_2};
}

void Run(TfmMain& fm, const Command& command, bool windowless, QStringList& lines) {
    switch (command.kind) {
    case CommandKind::Play:
        fm.TrayMenu_1Click();
        break;
    case CommandKind::Stop:
        fm.TrayMenu_2Click();
        break;
    case CommandKind::Toggle:
        fm.Sb_GeneratorClick();
        break;
    case CommandKind::Noise:
        // The click on a noise does nothing while the generator runs; a command says why.
        if (!ChooseNoise(fm.Generator_On, command.value))
            Refuse("the noise cannot change while it plays; --stop first");
        fm.Cb_NoiseClick(command.value);
        break;
    case CommandKind::Volume:
        fm.SetVolumes(command.value, command.right);
        break;
    case CommandKind::Off:
        fm.ChooseOffDelay(command.value);
        break;
    case CommandKind::Then:
        fm.ChooseOffAction(command.value);
        break;
    case CommandKind::Status:
        lines << StatusLines(StatusOf(fm));
        break;
    case CommandKind::Show:
        if (windowless)
            Refuse("Murmex runs without a window; use murmex --quit");
        fm.AnotherCopyStarted();
        break;
    case CommandKind::Quit:
        fm.Sb_CloseClick();
        break;
    }
}

} // namespace

CommandOutcome CarryOut(TfmMain& fmMain, const std::vector<Command>& commands, bool windowless) {
    CommandOutcome outcome;
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const QString error = fmMain.RunCommand([&] { Run(fmMain, commands[i], windowless, outcome.lines); });
        if (!error.isEmpty()) {
            outcome.refused = i;
            outcome.reason = error;
            break;
        }
    }
    return outcome;
}

void AnswerLaterStarts(platform::InstanceListener& listener, TfmMain& fmMain, bool windowless) {
    listener.SetWindowless(windowless);
    TfmMain* fm = &fmMain;
    // A request this copy cannot read comes from a later version, which is told so by the hang-up.
    listener.SetHandler([fm, windowless](const QByteArray& line) {
        const std::optional<std::vector<Command>> commands = ReadCommandRequest(line);
        return commands ? CommandAnswer(CarryOut(*fm, *commands, windowless)) : QByteArray();
    });
    QObject::connect(&listener, &platform::InstanceListener::ShowRequested, fm, &TfmMain::AnotherCopyStarted);
}

int PrintOutcome(const std::vector<Command>& commands, const CommandOutcome& outcome) {
    for (const QString& line : outcome.lines)
        std::printf("%s\n", qUtf8Printable(line));
    std::fflush(stdout);
    if (!outcome.refused)
        return 0;
    if (*outcome.refused < commands.size())
        std::fprintf(stderr, "murmex: %s: %s\n", qUtf8Printable(CommandText(commands[*outcome.refused])),
                     qUtf8Printable(outcome.reason));
    else
        std::fprintf(stderr, "murmex: %s\n", qUtf8Printable(outcome.reason));
    return 1;
}

} // namespace murmex
