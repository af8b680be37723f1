// Listening to what reached the test sound server: the test environment keeps one recorder on each null
// sink's monitor (48000 Hz, stereo, 16-bit) writing to $MURMEX_TEST_MONITOR (the default sink) and
// $MURMEX_TEST_MONITOR_2 for the whole run.
#pragma once

#include "platform/Sanitizers.h"

#include <cstdint>
#include <string>
#include <vector>

namespace murmex::test {

// Everything recorded from the moment of construction on.
class MonitorRecording {
public:
    // `variable` names the environment variable that holds the recording's path.
    explicit MonitorRecording(const char* variable = "MURMEX_TEST_MONITOR");
    // Waits until the recording holds `frames` frames counted from its first sound on (the first frame
    // that is not silent). False when that did not happen within `timeoutMs`.
    bool WaitForSound(std::size_t frames, int timeoutMs = 30000) const;
    // Waits until the recorder has written another `settleMs` of sound server time, so that what was
    // played up to now has reached the file, then returns the stereo frames recorded since
    // construction, interleaved left/right.
    std::vector<std::int16_t> Take(int settleMs = 300) const;

    static constexpr int kRate = 48000;

private:
    std::string m_path;
    long long m_start = 0;
};

// The stereo frames of a raw monitor recording between byte offsets `from` and `to` (-1: its current end),
// interleaved left/right; both offsets are taken down to whole frames.
std::vector<std::int16_t> ReadRecording(const std::string& path, long long from, long long to = -1);

std::vector<double> Channel(const std::vector<std::int16_t>& interleaved, int channel, int channels = 2);

// Pearson correlation of a and b over their common length.
double Correlation(const double* a, const double* b, std::size_t n);

// The position in `signal` where `pattern` matches best, and how well (correlation).
struct Match {
    std::size_t at = 0;
    double correlation = -1;
};
Match FindPattern(const std::vector<double>& signal, const std::vector<double>& pattern);

// How well `signal` from `at` on repeats `period` `times` times over (correlation against it).
double RepeatCorrelation(const std::vector<double>& signal, std::size_t at, const std::vector<double>& period,
                         int times);

double Rms(const double* x, std::size_t n);

// The first frame of `interleaved` stereo frames that is not silent, or their count when all are.
std::size_t FirstSound(const std::vector<std::int16_t>& interleaved);

// ThreadSanitizer slows every thread, the sound callback included, by far more than a device buffer
// can hide: under it the sound is checked for having come out, not for being free of gaps.
#if MURMEX_UNDER_TSAN
inline constexpr bool kGapsExpected = true;
#else
inline constexpr bool kGapsExpected = false;
#endif

// Finds where `period` starts in `recorded` and checks that three whole periods follow it, at `scale`
// times the period's level.
void ExpectRepeated(const std::vector<double>& recorded, const std::vector<double>& period, double scale = 1.0);

} // namespace murmex::test
