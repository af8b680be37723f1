// What the end-to-end tests hear: figures of a stretch of a raw monitor recording (s16le, 48000 Hz, stereo)
// and the conditions the soundcheck command checks on them. Plain functions; no shared state.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace murmex::test {

inline constexpr double kMonitorRate = 48000.0;

struct SoundFigures {
    std::size_t frames = 0;
    double rmsLeft = 0, rmsRight = 0; // about the mean, in sample units (full scale 32768)
    // Shares of the energy of both channels above 4 kHz and below 700 Hz; NaN when the stretch is silent or
    // shorter than one spectrum segment.
    double high = 0, low = 0;
};

SoundFigures Measure(const std::vector<std::int16_t>& interleaved);

// The first frame of the first 10 ms block in which a channel reaches an RMS of `level` (about zero), taken
// back to the first sample of that loudness; -1 when there is none.
long long OnsetFrame(const std::vector<std::int16_t>& interleaved, double level);

// Gaps in a clip played looped, and places where its repeat breaks, found in a recording read piece by piece.
// A gap is a run of more than 5 ms in which both channels are exactly zero. The loop is followed in blocks
// of 10 ms: each block is compared with the loop at the position the one before it ended (the loop being one
// clean period taken from the recording itself, the first that the next period repeats); a block that does
// not match there is looked for at every position of the loop. Where it is found elsewhere the repeat broke:
// sound was left out (the shift is positive) or came again or late, after a gap say (negative). A block found
// nowhere, silence or a block that straddles a break, is unmatched, and the loop is taken to go on in time.
struct GapFigures {
    struct Event {
        long long frame = 0; // where it was seen, from the start of the stretch
        long long size = 0;  // a gap's length, or a break's shift, in frames
    };
    std::size_t frames = 0;
    bool looped = false; // whether a clean period was found to follow; without one there are no breaks to tell
    std::size_t gaps = 0, longestGap = 0;
    std::size_t breaks = 0;
    std::size_t unmatched = 0;           // frames
    std::vector<Event> gapsAt, breaksAt; // the first few of each
};

inline constexpr std::size_t kGapFrames = 240; // 5 ms; a longer run of zeros is a gap
inline constexpr std::size_t kLoopBlock = 480; // 10 ms
inline constexpr double kLoopMatch = 0.99;     // cosine from which on a block is where the loop has it
inline constexpr std::size_t kEventsKept = 20;

// Reads up to `frames` stereo frames from frame `at` of the stretch, interleaved; fewer at its end.
using FrameSource = std::function<std::vector<std::int16_t>(std::size_t at, std::size_t frames)>;

GapFigures FindGaps(const FrameSource& read, std::size_t period);

// The soundcheck command on its arguments (without the program's name); returns its exit status.
int SoundCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace murmex::test
