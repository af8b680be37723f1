#include "tests/support/Monitor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <thread>

namespace murmex::test {
namespace {

constexpr int kFrameBytes = 4;

long long FileSize(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    return file ? static_cast<long long>(file.tellg()) : -1;
}

} // namespace

MonitorRecording::MonitorRecording(const char* variable) {
    const char* path = std::getenv(variable);
    if (!path)
        throw std::runtime_error(std::string(variable) + " is not set: run inside scripts/testenv.sh");
    m_path = path;
    m_start = FileSize(m_path) / kFrameBytes * kFrameBytes;
}

bool MonitorRecording::WaitForSound(std::size_t frames, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::ifstream file(m_path, std::ios::binary);
    long long read = m_start;
    std::optional<long long> sound; // byte offset of the first frame that is not silent
    for (;;) {
        const long long end = FileSize(m_path) / kFrameBytes * kFrameBytes;
        if (!sound && end > read) {
            std::vector<std::int16_t> samples(static_cast<std::size_t>(end - read) / 2);
            file.clear();
            file.seekg(read);
            file.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
            const std::size_t first = FirstSound(samples);
            if (first * 2 < samples.size())
                sound = read + static_cast<long long>(first) * kFrameBytes;
            read = end;
        }
        if (sound && end - *sound >= static_cast<long long>(frames) * kFrameBytes)
            return true;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::vector<std::int16_t> MonitorRecording::Take(int settleMs) const {
    // The recorder writes the server's time as it passes, silence included; a busy machine may hold it
    // back, so its progress is waited for rather than the clock.
    const long long settled =
        FileSize(m_path) / kFrameBytes * kFrameBytes + static_cast<long long>(settleMs) * kRate / 1000 * kFrameBytes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(settleMs + 30000);
    while (FileSize(m_path) < settled && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ReadRecording(m_path, m_start);
}

std::vector<std::int16_t> ReadRecording(const std::string& path, long long from, long long to) {
    const long long size = FileSize(path);
    if (to < 0 || to > size)
        to = size;
    from = std::max(0LL, from) / kFrameBytes * kFrameBytes;
    to = to / kFrameBytes * kFrameBytes;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(std::max(0LL, to - from) / 2));
    std::ifstream file(path, std::ios::binary);
    file.seekg(from);
    file.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<std::size_t>(file.gcount() / kFrameBytes * 2));
    return samples;
}

std::vector<double> Channel(const std::vector<std::int16_t>& interleaved, int channel, int channels) {
    std::vector<double> out;
    out.reserve(interleaved.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size();
         i += static_cast<std::size_t>(channels))
        out.push_back(interleaved[i]);
    return out;
}

double Correlation(const double* a, const double* b, std::size_t n) {
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    for (std::size_t i = 0; i < n; ++i) {
        sa += a[i];
        sb += b[i];
        saa += a[i] * a[i];
        sbb += b[i] * b[i];
        sab += a[i] * b[i];
    }
    const double cov = sab - sa * sb / static_cast<double>(n);
    const double va = saa - sa * sa / static_cast<double>(n);
    const double vb = sbb - sb * sb / static_cast<double>(n);
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0;
}

Match FindPattern(const std::vector<double>& signal, const std::vector<double>& pattern) {
    Match best;
    if (signal.size() < pattern.size())
        return best;
    for (std::size_t at = 0; at + pattern.size() <= signal.size(); ++at) {
        const double c = Correlation(signal.data() + at, pattern.data(), pattern.size());
        if (c > best.correlation)
            best = {at, c};
    }
    return best;
}

double RepeatCorrelation(const std::vector<double>& signal, std::size_t at, const std::vector<double>& period,
                         int times) {
    std::vector<double> expected;
    for (int t = 0; t < times; ++t)
        expected.insert(expected.end(), period.begin(), period.end());
    if (at + expected.size() > signal.size())
        return 0;
    return Correlation(signal.data() + at, expected.data(), expected.size());
}

double Rms(const double* x, std::size_t n) {
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i)
        sum += x[i] * x[i];
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0;
}

std::size_t FirstSound(const std::vector<std::int16_t>& interleaved) {
    std::size_t i = 0;
    while (i < interleaved.size() && interleaved[i] == 0)
        ++i;
    return i / 2;
}

void ExpectRepeated(const std::vector<double>& recorded, const std::vector<double>& period, double scale) {
    const std::vector<double> head(period.begin(), period.begin() + 512);
    const Match start = FindPattern(recorded, head);
    ASSERT_GT(start.correlation, 0.999) << "the clip's start was not found in the recording";
    const double level = Rms(recorded.data() + start.at, period.size()) / Rms(period.data(), period.size());
    if (kGapsExpected)
        return;
    EXPECT_GT(RepeatCorrelation(recorded, start.at, period, 3), 0.999);
    EXPECT_NEAR(level, scale, 0.01);
}

} // namespace murmex::test
