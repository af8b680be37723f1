#include "tests/support/SignalStats.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <numeric>

namespace murmex::test {
namespace {

double CentralMoment(const Signal& x, int power) {
    const double mean = Mean(x);
    double sum = 0.0;
    for (const double v : x)
        sum += std::pow(v - mean, power);
    return sum / static_cast<double>(x.size());
}

std::size_t Bin(const Signal& spectrum, double rate, double frequency) {
    const double segment = 2.0 * static_cast<double>(spectrum.size() - 1);
    return std::min(spectrum.size(), static_cast<std::size_t>(std::ceil(frequency * segment / rate)));
}

} // namespace

void Fft(std::vector<std::complex<double>>& a) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2.0 * std::numbers::pi / static_cast<double>(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> w = 1.0;
            for (std::size_t k = 0; k < len / 2; ++k) {
                const std::complex<double> u = a[i + k];
                const std::complex<double> v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

double Mean(const Signal& x) {
    return std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
}

double Rms(const Signal& x) {
    return std::sqrt(CentralMoment(x, 2));
}

double Skewness(const Signal& x) {
    return CentralMoment(x, 3) / std::pow(CentralMoment(x, 2), 1.5);
}

double ExcessKurtosis(const Signal& x) {
    return CentralMoment(x, 4) / std::pow(CentralMoment(x, 2), 2) - 3.0;
}

double Correlation(const Signal& a, const Signal& b) {
    const double ma = Mean(a), mb = Mean(b);
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return ab / std::sqrt(aa * bb);
}

double Autocorrelation(const Signal& x, std::size_t lag) {
    return Correlation(Signal(x.begin(), x.end() - static_cast<std::ptrdiff_t>(lag)),
                       Signal(x.begin() + static_cast<std::ptrdiff_t>(lag), x.end()));
}

double NormalDistance(const Signal& x) {
    const double mean = Mean(x), deviation = Rms(x);
    Signal sorted = x;
    std::sort(sorted.begin(), sorted.end());
    const double n = static_cast<double>(sorted.size());
    double distance = 0.0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const double expected = 0.5 * std::erfc(-(sorted[i] - mean) / (deviation * std::numbers::sqrt2));
        distance = std::max({distance, std::abs(expected - static_cast<double>(i) / n),
                             std::abs(expected - static_cast<double>(i + 1) / n)});
    }
    return distance;
}

Signal PowerSpectrum(const Signal& x, std::size_t segment, bool circular) {
    Signal power(segment / 2 + 1, 0.0);
    const double mean = Mean(x);
    const std::size_t end = circular ? x.size() : x.size() - segment + 1;
    std::vector<std::complex<double>> frame(segment);
    for (std::size_t start = 0; start < end; start += segment / 2) {
        for (std::size_t i = 0; i < segment; ++i) {
            const double window =
                0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(segment));
            frame[i] = window * (x[(start + i) % x.size()] - mean);
        }
        Fft(frame);
        for (std::size_t k = 0; k < power.size(); ++k)
            power[k] += std::norm(frame[k]);
    }
    return power;
}

double BandShare(const Signal& spectrum, double rate, double lo, double hi) {
    const double total = std::accumulate(spectrum.begin() + 1, spectrum.end(), 0.0);
    const auto first =
        spectrum.begin() + static_cast<std::ptrdiff_t>(std::max<std::size_t>(1, Bin(spectrum, rate, lo)));
    const auto last = spectrum.begin() + static_cast<std::ptrdiff_t>(Bin(spectrum, rate, hi));
    return std::accumulate(first, last, 0.0) / total;
}

double BandDensity(const Signal& spectrum, double rate, double lo, double hi) {
    const std::size_t first = Bin(spectrum, rate, lo), last = Bin(spectrum, rate, hi);
    return std::accumulate(spectrum.begin() + static_cast<std::ptrdiff_t>(first),
                           spectrum.begin() + static_cast<std::ptrdiff_t>(last), 0.0) /
           static_cast<double>(last - first);
}

double SpectralFlatness(const Signal& spectrum) {
    double logSum = 0.0, sum = 0.0;
    for (std::size_t k = 1; k + 1 < spectrum.size(); ++k) {
        logSum += std::log(spectrum[k]);
        sum += spectrum[k];
    }
    const double bins = static_cast<double>(spectrum.size() - 2);
    return std::exp(logSum / bins) / (sum / bins);
}

Signal LoopPredictionErrors(const Signal& x, std::size_t order) {
    const std::size_t n = x.size();
    const double mean = Mean(x);
    Signal r(order + 1, 0.0);
    for (std::size_t lag = 0; lag <= order; ++lag)
        for (std::size_t i = 0; i < n; ++i)
            r[lag] += (x[i] - mean) * (x[(i + lag) % n] - mean);
    // Levinson-Durbin recursion for the predictor coefficients.
    Signal a(order + 1, 0.0);
    double error = r[0];
    for (std::size_t m = 1; m <= order; ++m) {
        double acc = r[m];
        for (std::size_t j = 1; j < m; ++j)
            acc -= a[j] * r[m - j];
        const double k = acc / error;
        Signal previous = a;
        a[m] = k;
        for (std::size_t j = 1; j < m; ++j)
            a[j] = previous[j] - k * previous[m - j];
        error *= 1.0 - k * k;
    }
    Signal errors(n);
    for (std::size_t i = 0; i < n; ++i) {
        double predicted = 0.0;
        for (std::size_t j = 1; j <= order; ++j)
            predicted += a[j] * (x[(i + n - j) % n] - mean);
        const double e = x[i] - mean - predicted;
        errors[i] = e * e;
    }
    return errors;
}

double WindowRank(const Signal& values, std::size_t start, std::size_t width) {
    const std::size_t n = values.size();
    Signal sums(n, 0.0);
    for (std::size_t s = 0; s < n; ++s)
        for (std::size_t i = 0; i < width; ++i)
            sums[s] += values[(s + i) % n];
    const double seam = sums[start % n];
    const auto below = std::count_if(sums.begin(), sums.end(), [seam](double v) { return v < seam; });
    return static_cast<double>(below) / static_cast<double>(n);
}

} // namespace murmex::test
