#include "tests/e2e/SoundCheck.h"

#include "tests/support/Monitor.h"
#include "tests/support/SignalStats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>
#include <ostream>

namespace murmex::test {
namespace {

constexpr std::size_t kSegment = 1024;                                       // about 21 ms, bins of 47 Hz
constexpr std::size_t kBlock = static_cast<std::size_t>(kMonitorRate / 100); // 10 ms
constexpr long long kFrameBytes = 4;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

template <typename T> bool Parse(const std::string& text, T& value) {
    const char* end = text.data() + text.size();
    const auto [rest, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && rest == end;
}

struct Condition {
    const char* option;
    const char* says;
    // Whether the figures meet it, for the option's argument.
    std::function<bool(const SoundFigures&, double)> holds;
};

double Louder(const SoundFigures& f) {
    return std::max(f.rmsLeft, f.rmsRight);
}

const std::vector<Condition>& Conditions() {
    static const std::vector<Condition> all = {
        {"--sound", "a channel's RMS at least", [](const SoundFigures& f, double v) { return Louder(f) >= v; }},
        {"--silent", "every channel's RMS below", [](const SoundFigures& f, double v) { return Louder(f) < v; }},
        {"--high-min", "share above 4 kHz at least", [](const SoundFigures& f, double v) { return f.high >= v; }},
        {"--high-max", "share above 4 kHz at most", [](const SoundFigures& f, double v) { return f.high <= v; }},
        {"--low-min", "share below 700 Hz at least", [](const SoundFigures& f, double v) { return f.low >= v; }},
        {"--low-max", "share below 700 Hz at most", [](const SoundFigures& f, double v) { return f.low <= v; }},
    };
    return all;
}

constexpr const char* kUsage =
    "usage: soundcheck FILE [FROM [TO]] [--onset LEVEL] [--sound LEVEL] [--silent LEVEL]\n"
    "                  [--high-min SHARE] [--high-max SHARE] [--low-min SHARE] [--low-max SHARE]\n"
    "       soundcheck gaps FILE FROM TO --period FRAMES\n"
    "Figures of FILE (s16le, 48000 Hz, stereo) between byte offsets FROM and TO (default: its end); with gaps,\n"
    "the gaps and breaks of a clip looped every FRAMES frames in it (TO -1: its end), status 1 if there are any.\n";

struct Request {
    std::string path;
    long long from = 0, to = -1;
    double onsetLevel = -1;
    std::vector<std::pair<const Condition*, double>> checks;
};

// FILE, FROM and TO in this order; false when one is not what it should be.
bool ParsePositional(const std::string& arg, int position, Request& request) {
    switch (position) {
    case 0:
        request.path = arg;
        return true;
    case 1:
        return Parse(arg, request.from);
    case 2:
        return Parse(arg, request.to);
    default:
        return false;
    }
}

bool ParseArgs(const std::vector<std::string>& args, Request& request, std::ostream& err) {
    int positional = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i].rfind("--", 0) != 0) {
            if (!ParsePositional(args[i], positional++, request)) {
                err << kUsage;
                return false;
            }
            continue;
        }
        double value = 0;
        if (i + 1 >= args.size() || !Parse(args[i + 1], value)) {
            err << "soundcheck: " << args[i] << " needs a number\n";
            return false;
        }
        const std::string& option = args[i++];
        if (option == "--onset") {
            request.onsetLevel = value;
            continue;
        }
        const auto& all = Conditions();
        const auto found = std::find_if(all.begin(), all.end(), [&](const Condition& c) { return option == c.option; });
        if (found == all.end()) {
            err << "soundcheck: unknown option " << option << "\n";
            return false;
        }
        request.checks.emplace_back(&*found, value);
    }
    if (positional == 0)
        err << kUsage;
    return positional > 0;
}

// Cosine of the angle between two runs of interleaved samples: 1 when one is the other times a positive
// factor, 0 when either is silent.
double Cosine(const std::int16_t* a, const std::int16_t* b, std::size_t samples) {
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < samples; ++i) {
        ab += double(a[i]) * b[i];
        aa += double(a[i]) * a[i];
        bb += double(b[i]) * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// One period of a looped clip as recorded, with what finding a block anywhere in it takes: the period
// followed by its first block again, so that a block running over its end is one run of samples, the
// transform of that, and the energy of every block-long window.
class Loop {
public:
    explicit Loop(std::vector<std::int16_t> period) : m_frames(period.size() / 2), m_extended(std::move(period)) {
        const std::vector<std::int16_t> head(m_extended.begin(), m_extended.begin() + 2 * kLoopBlock);
        m_extended.insert(m_extended.end(), head.begin(), head.end());
        while (m_size < m_frames + kLoopBlock)
            m_size *= 2;
        m_spectrum.resize(m_size);
        std::vector<double> energy(m_frames + kLoopBlock + 1);
        for (std::size_t i = 0; i < m_frames + kLoopBlock; ++i) {
            const double left = m_extended[2 * i], right = m_extended[2 * i + 1];
            m_spectrum[i] = {left, right};
            energy[i + 1] = energy[i] + left * left + right * right;
        }
        Fft(m_spectrum);
        m_energy.resize(m_frames);
        for (std::size_t k = 0; k < m_frames; ++k)
            m_energy[k] = energy[k + kLoopBlock] - energy[k];
    }

    std::size_t Frames() const { return m_frames; }

    // How well the block matches the loop from position `at` on.
    double MatchAt(const std::int16_t* block, std::size_t at) const {
        return Cosine(block, m_extended.data() + 2 * at, 2 * kLoopBlock);
    }

    // The position where the block matches best, and how well. With the channels as the real and imaginary
    // parts, the real part of the circular cross-correlation sums the products of both.
    std::pair<std::size_t, double> Find(const std::int16_t* block) const {
        double own = 0;
        std::vector<std::complex<double>> x(m_size);
        for (std::size_t j = 0; j < kLoopBlock; ++j) {
            x[j] = {double(block[2 * j]), double(block[2 * j + 1])};
            own += std::norm(x[j]);
        }
        if (own == 0)
            return {0, 0.0};
        Fft(x);
        // The transform of the block's spectrum times the loop's conjugate one holds the correlation's
        // conjugate times the size: what an inverse transform gives, without one.
        for (std::size_t m = 0; m < m_size; ++m)
            x[m] *= std::conj(m_spectrum[m]);
        Fft(x);
        std::pair<std::size_t, double> best{0, -1.0};
        for (std::size_t k = 0; k < m_frames; ++k) {
            if (m_energy[k] <= 0)
                continue;
            const double match = x[k].real() / double(m_size) / std::sqrt(own * m_energy[k]);
            if (match > best.second)
                best = {k, match};
        }
        return best;
    }

private:
    std::size_t m_frames;
    std::vector<std::int16_t> m_extended;
    std::size_t m_size = 1;
    std::vector<std::complex<double>> m_spectrum;
    std::vector<double> m_energy;
};

// Whether the second half of two periods repeats the first, block by block.
bool Repeats(const std::vector<std::int16_t>& two, std::size_t period) {
    for (std::size_t at = 0; at < period; at += kLoopBlock) {
        const std::size_t samples = 2 * std::min(kLoopBlock, period - at);
        if (Cosine(two.data() + 2 * at, two.data() + 2 * (period + at), samples) < kLoopMatch)
            return false;
    }
    return true;
}

// Counts the runs of zeros in both channels, frame by frame, across the pieces of a stretch.
class ZeroRuns {
public:
    explicit ZeroRuns(GapFigures& figures) : m_figures(figures) {}

    void Add(const std::vector<std::int16_t>& samples, std::size_t at) {
        for (std::size_t i = 0; 2 * i + 1 < samples.size(); ++i) {
            if (samples[2 * i] != 0 || samples[2 * i + 1] != 0)
                End();
            else if (m_run++ == 0)
                m_start = at + i;
        }
    }

    void End() {
        if (m_run > kGapFrames) {
            ++m_figures.gaps;
            m_figures.longestGap = std::max(m_figures.longestGap, m_run);
            if (m_figures.gapsAt.size() < kEventsKept)
                m_figures.gapsAt.push_back({static_cast<long long>(m_start), static_cast<long long>(m_run)});
        }
        m_run = 0;
    }

private:
    GapFigures& m_figures;
    std::size_t m_run = 0, m_start = 0;
};

// Follows the loop block by block from the stretch's start on (see GapFigures).
class LoopFollower {
public:
    LoopFollower(const Loop& loop, GapFigures& figures) : m_loop(loop), m_figures(figures) {}

    void Add(const std::int16_t* block, std::size_t at) {
        const std::size_t period = m_loop.Frames();
        if (m_loop.MatchAt(block, m_phase) < kLoopMatch) {
            const auto [found, match] = m_loop.Find(block);
            if (match < kLoopMatch) {
                m_figures.unmatched += kLoopBlock;
            } else if (found != m_phase) {
                auto shift = static_cast<long long>(found) - static_cast<long long>(m_phase);
                const auto half = static_cast<long long>(period / 2);
                if (shift > half)
                    shift -= static_cast<long long>(period);
                else if (shift <= -half)
                    shift += static_cast<long long>(period);
                ++m_figures.breaks;
                if (m_figures.breaksAt.size() < kEventsKept)
                    m_figures.breaksAt.push_back({static_cast<long long>(at), shift});
                m_phase = found;
            }
        }
        m_phase = (m_phase + kLoopBlock) % period;
    }

private:
    const Loop& m_loop;
    GapFigures& m_figures;
    std::size_t m_phase = 0;
};

int Gaps(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    long long from = 0, to = 0;
    std::size_t period = 0;
    if (args.size() != 6 || !Parse(args[2], from) || !Parse(args[3], to) || args[4] != "--period" ||
        !Parse(args[5], period) || period == 0) {
        err << kUsage;
        return 2;
    }
    const std::string& path = args[1];
    const long long start = std::max(0LL, from) / kFrameBytes * kFrameBytes;
    const GapFigures figures = FindGaps(
        [&](std::size_t at, std::size_t frames) {
            const long long begin = start + static_cast<long long>(at) * kFrameBytes;
            long long end = begin + static_cast<long long>(frames) * kFrameBytes;
            if (to >= 0)
                end = std::min(end, to);
            return end > begin ? ReadRecording(path, begin, end) : std::vector<std::int16_t>();
        },
        period);
    const auto ms = [](std::size_t frames) { return static_cast<double>(frames) * 1000.0 / kMonitorRate; };
    out << "frames=" << figures.frames << " period=" << period << " gaps=" << figures.gaps
        << " longest_gap_ms=" << ms(figures.longestGap) << " breaks=";
    if (figures.looped)
        out << figures.breaks << " unmatched_ms=" << ms(figures.unmatched);
    else
        out << "unknown";
    out << "\n";
    for (const auto& gap : figures.gapsAt)
        out << "gap at=" << start + gap.frame * kFrameBytes << " ms=" << ms(static_cast<std::size_t>(gap.size)) << "\n";
    for (const auto& hop : figures.breaksAt)
        out << "break at=" << start + hop.frame * kFrameBytes << " shift=" << hop.size << "\n";
    if (!figures.looped) {
        err << "soundcheck: no period of " << period << " frames is repeated by the next near the start\n";
        return 2;
    }
    return figures.gaps || figures.breaks || figures.unmatched ? 1 : 0;
}

} // namespace

SoundFigures Measure(const std::vector<std::int16_t>& interleaved) {
    SoundFigures figures;
    const Signal left = Channel(interleaved, 0), right = Channel(interleaved, 1);
    figures.frames = left.size();
    if (left.empty())
        return figures;
    figures.rmsLeft = Rms(left);
    figures.rmsRight = Rms(right);
    figures.high = figures.low = kNaN;
    if (left.size() < kSegment || Louder(figures) == 0)
        return figures;
    Signal spectrum = PowerSpectrum(left, kSegment, false);
    const Signal rightSpectrum = PowerSpectrum(right, kSegment, false);
    for (std::size_t k = 0; k < spectrum.size(); ++k)
        spectrum[k] += rightSpectrum[k];
    figures.high = BandShare(spectrum, kMonitorRate, 4000.0, kMonitorRate);
    figures.low = BandShare(spectrum, kMonitorRate, 0.0, 700.0);
    return figures;
}

long long OnsetFrame(const std::vector<std::int16_t>& interleaved, double level) {
    const Signal left = Channel(interleaved, 0), right = Channel(interleaved, 1);
    for (std::size_t block = 0; block + kBlock <= left.size(); block += kBlock) {
        if (std::max(Rms(left.data() + block, kBlock), Rms(right.data() + block, kBlock)) < level)
            continue;
        for (std::size_t i = block >= kBlock ? block - kBlock : 0; i < block + kBlock; ++i)
            if (std::abs(left[i]) >= level || std::abs(right[i]) >= level)
                return static_cast<long long>(i);
    }
    return -1;
}

GapFigures FindGaps(const FrameSource& read, std::size_t period) {
    GapFigures figures;
    // The loop: the first period that the next one repeats, among the first few.
    std::optional<Loop> loop;
    for (std::size_t k = 0; k < 10 && period >= kLoopBlock; ++k) {
        std::vector<std::int16_t> two = read(k * period, 2 * period);
        if (two.size() < 4 * period)
            break;
        if (Repeats(two, period)) {
            two.resize(2 * period);
            loop.emplace(std::move(two));
            break;
        }
    }
    figures.looped = loop.has_value();
    std::optional<LoopFollower> follower;
    if (loop)
        follower.emplace(*loop, figures);
    ZeroRuns zeros(figures);
    constexpr std::size_t kPiece = 100 * kLoopBlock;
    for (std::size_t at = 0;; at += kPiece) {
        const std::vector<std::int16_t> samples = read(at, kPiece);
        const std::size_t frames = samples.size() / 2;
        zeros.Add(samples, at);
        for (std::size_t block = 0; follower && block + kLoopBlock <= frames; block += kLoopBlock)
            follower->Add(samples.data() + 2 * block, at + block);
        figures.frames += frames;
        if (frames < kPiece)
            break;
    }
    zeros.End();
    return figures;
}

int SoundCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && args[0] == "gaps")
        return Gaps(args, out, err);
    Request request;
    if (!ParseArgs(args, request, err))
        return 2;
    const std::vector<std::int16_t> samples = ReadRecording(request.path, request.from, request.to);
    const SoundFigures figures = Measure(samples);
    out << "frames=" << figures.frames << " rms_left=" << figures.rmsLeft << " rms_right=" << figures.rmsRight
        << " high=" << figures.high << " low=" << figures.low;
    bool met = true;
    if (request.onsetLevel >= 0) {
        const long long frame = OnsetFrame(samples, request.onsetLevel);
        const long long start = std::max(0LL, request.from) / kFrameBytes * kFrameBytes;
        out << " onset=";
        if (frame >= 0)
            out << start + frame * kFrameBytes;
        else
            out << "none";
        met = frame >= 0;
    }
    out << "\n";
    if (figures.frames < kBlock) {
        if (request.onsetLevel >= 0 || !request.checks.empty())
            err << "soundcheck: " << figures.frames << " frames are too few to judge\n";
        return request.onsetLevel >= 0 || !request.checks.empty() ? 2 : 0;
    }
    for (const auto& [condition, limit] : request.checks) {
        if (!condition->holds(figures, limit)) {
            err << "soundcheck: not " << condition->says << " " << limit << " (" << condition->option << ")\n";
            met = false;
        }
    }
    return met ? 0 : 1;
}

} // namespace murmex::test
