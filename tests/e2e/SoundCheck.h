// What the end-to-end tests hear: figures of a stretch of a raw monitor recording (s16le, 48000 Hz, stereo)
// and the conditions the soundcheck command checks on them. Plain functions; no shared state.
#pragma once

#include <cstdint>
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

// The soundcheck command on its arguments (without the program's name); returns its exit status.
int SoundCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace murmex::test
