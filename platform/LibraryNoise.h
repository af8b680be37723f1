// PortAudio reports its own failed internal calls on stderr, from its stream thread, when an output goes
// away under a playing stream: "Expression '...' failed in '...', line: N". The player notices the loss by
// itself and says so in its own words, so these lines only alarm the user. They cannot be turned off in the
// library as Debian builds it, and they come at a moment nobody chooses, so the filter is process-wide and
// for the whole run; everything else written to stderr passes unchanged and at once.
#pragma once

#include <mutex>
#include <string_view>

namespace murmex::platform {

// Installs the filter on the C library's stderr. Call once at start, before any other thread runs; later
// calls do nothing. Where the C library does not allow it, nothing is filtered.
void FilterLibraryNoise();

// Held while a library's chatter is kept off stderr altogether, and by a thread writing a line that must not be
// lost meanwhile. Recursive; any thread.
std::unique_lock<std::recursive_mutex> HoldStderr();

// True for a piece of stderr output that is one of PortAudio's reports of a failed internal call.
bool IsLibraryNoise(std::string_view text);

} // namespace murmex::platform
