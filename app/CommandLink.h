// The command line's commands carried out by the window: each through the handler of its click or key, as one
// user action that never opens a box, whether this start carries them out itself or the copy that runs was
// sent them. UI thread.
#pragma once

#include "app/CommandLine.h"

#include <vector>

namespace murmex {

class TfmMain;

namespace platform {
class InstanceListener;
}

// Runs `commands` in their order until one is refused; those before it stand. A copy without a window
// (`windowless`) refuses to show one.
CommandOutcome CarryOut(TfmMain& fmMain, const std::vector<Command>& commands, bool windowless);

// From now on the listener's requests are carried out by the window: a later start's "show" brings it forward,
// and its commands are answered with their outcome.
void AnswerLaterStarts(platform::InstanceListener& listener, TfmMain& fmMain, bool windowless);

// Prints an outcome as the start that asked for it does: the lines of --status on stdout, a refusal on stderr
// naming the command. The exit status: 1 when a command was refused, else 0.
int PrintOutcome(const std::vector<Command>& commands, const CommandOutcome& outcome);

} // namespace murmex
