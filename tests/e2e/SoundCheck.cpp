#include "tests/e2e/SoundCheck.h"

#include "tests/support/Monitor.h"
#include "tests/support/SignalStats.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
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
    "Figures of FILE (s16le, 48000 Hz, stereo) between byte offsets FROM and TO (default: its end).\n";

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

int SoundCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
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
