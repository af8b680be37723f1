#include "tests/support/SignalStats.h"
#include "tests/unit/audio/ClipBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>

namespace murmex::test {
namespace {

double Dbfs(double level) {
    return 20.0 * std::log10(level / 32768.0);
}

Signal Squares(const Signal& x, double about) {
    Signal squares;
    for (const double v : x)
        squares.push_back((v - about) * (v - about));
    return squares;
}

// The clip as its loop plays it: each value is the jump from the previous sample, the first one across the seam.
Signal SquaredSteps(const Signal& x) {
    Signal steps;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double step = x[i] - x[(i + x.size() - 1) % x.size()];
        steps.push_back(step * step);
    }
    return steps;
}

constexpr std::size_t kPredictorOrder = 16;
constexpr std::size_t kBurst = 6; // prediction errors summed around a join

// How unusual the prediction errors right around sample `join` are, among all places of the loop.
double JoinRank(const Signal& x, std::size_t join) {
    return WindowRank(LoopPredictionErrors(x, kPredictorOrder), join + x.size() - 2, kBurst);
}

// --- White noise: clips 0..4 ---------------------------------------------------------------------------------

struct White {
    int index;
    int lo, hi;
};
void PrintTo(const White& clip, std::ostream* out) {
    *out << "clip " << clip.index;
}

class WhiteClipTest : public testing::TestWithParam<White> {
protected:
    Signal Samples() const { return BuiltInClip(GetParam().index).Channel(0); }
};

TEST_P(WhiteClipTest, SilentEndsAndTheWholeRange) {
    const Signal x = Samples();
    EXPECT_EQ(x.front(), 0.0);
    EXPECT_EQ(x.back(), 0.0);
    EXPECT_EQ(*std::min_element(x.begin(), x.end()), GetParam().lo);
    EXPECT_EQ(*std::max_element(x.begin(), x.end()), GetParam().hi);
}

TEST_P(WhiteClipTest, UniformlyDistributed) {
    const Signal x = Samples();
    const double width = GetParam().hi - GetParam().lo + 1.0;
    constexpr int kBins = 32;
    std::vector<double> counts(kBins, 0.0);
    for (const double v : x)
        counts[static_cast<std::size_t>((v - GetParam().lo) * kBins / width)] += 1.0;
    const double expected = static_cast<double>(x.size()) / kBins;
    double chiSquare = 0.0;
    for (const double count : counts)
        chiSquare += (count - expected) * (count - expected) / expected;
    EXPECT_LT(chiSquare, 66.0); // 31 degrees of freedom, chance of a uniform source exceeding it 1e-4
    EXPECT_NEAR(Rms(x) / (width / std::sqrt(12.0)), 1.0, 0.02);
    EXPECT_NEAR(Mean(x), 0.0, 4.0 * width / std::sqrt(12.0 * static_cast<double>(x.size())));
}

TEST_P(WhiteClipTest, IndependentSamplesAndAFlatSpectrum) {
    const Signal x = Samples();
    for (std::size_t lag = 1; lag <= 32; ++lag)
        EXPECT_LT(std::abs(Autocorrelation(x, lag)), 4.0 / std::sqrt(static_cast<double>(x.size()))) << lag;
    const Signal spectrum = PowerSpectrum(x, 256, true);
    EXPECT_GT(SpectralFlatness(spectrum), 0.97);
    const double rate = BuiltInClip(GetParam().index).Rate(), quarter = rate / 8.0;
    const double overall = BandDensity(spectrum, rate, 0.0, rate / 2.0);
    for (int band = 0; band < 4; ++band)
        EXPECT_NEAR(BandDensity(spectrum, rate, band * quarter, (band + 1) * quarter) / overall, 1.0, 0.1) << band;
}

INSTANTIATE_TEST_SUITE_P(Clips, WhiteClipTest,
                         testing::Values(White{0, -16422, 16422}, White{1, -16422, 16422}, White{2, -16422, 16422},
                                         White{3, -32768, 32767}, White{4, -32768, 32767}));

// --- Coloured noise: clips 5..7 ------------------------------------------------------------------------------

struct Coloured {
    int index;
    double correlation;
    double offset;
};
void PrintTo(const Coloured& clip, std::ostream* out) {
    *out << "clip " << clip.index;
}

class ColouredClipTest : public testing::TestWithParam<Coloured> {
protected:
    void SetUp() override {
        const ClipBytes clip = BuiltInClip(GetParam().index);
        ASSERT_EQ(clip.Channels(), 2);
        m_channels = {clip.Channel(0), clip.Channel(1)};
    }
    std::vector<Signal> m_channels;
};

TEST_P(ColouredClipTest, RoughlyNormalOnItsOffsetAtAComfortableLevel) {
    for (const Signal& x : m_channels) {
        EXPECT_NEAR(Skewness(x), 0.0, 0.1);
        EXPECT_NEAR(ExcessKurtosis(x), 0.0, 0.3);
        EXPECT_LT(NormalDistance(x), 0.025);
        EXPECT_NEAR(Mean(x), GetParam().offset, 20.0);
        EXPECT_GT(Dbfs(Rms(x)), -22.0);
        EXPECT_LT(Dbfs(Rms(x)), -14.0);
        // Headroom: the loudest peak stays well away from clipping.
        const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
        EXPECT_LT(std::max(-*lo, *hi), 29000.0);
    }
}

TEST_P(ColouredClipTest, ChannelsPartlyCorrelated) {
    EXPECT_NEAR(Correlation(m_channels[0], m_channels[1]), GetParam().correlation, 0.02);
}

INSTANTIATE_TEST_SUITE_P(Clips, ColouredClipTest,
                         testing::Values(Coloured{5, 0.55, 0.0}, Coloured{6, 0.54, -1150.0}, Coloured{7, 0.27, 0.0}));

constexpr double kColouredRate = 11025.0;

TEST(ColouredClipTest, WaterfallHoldsNineTenthsOfItsEnergyBelow700Hz) {
    const ClipBytes clip = BuiltInClip(5);
    for (int channel = 0; channel < 2; ++channel)
        EXPECT_NEAR(BandShare(PowerSpectrum(clip.Channel(channel), 1024, true), kColouredRate, 0.0, 700.0), 0.9, 0.04);
}

TEST(ColouredClipTest, NirvanaFallsSteadilyWithFrequency) {
    const ClipBytes clip = BuiltInClip(6);
    for (int channel = 0; channel < 2; ++channel) {
        const Signal spectrum = PowerSpectrum(clip.Channel(channel), 1024, true);
        double previous = INFINITY;
        for (double lo = 86.0; 2.0 * lo < kColouredRate / 2.0; lo *= 2.0) {
            const double density = 10.0 * std::log10(BandDensity(spectrum, kColouredRate, lo, lo * 2.0));
            EXPECT_LT(density, previous - 1.5) << lo << " Hz";
            previous = density;
        }
    }
}

TEST(ColouredClipTest, SeaDepthHoldsMostOfItsEnergyBetween700HzAnd2800Hz) {
    const ClipBytes clip = BuiltInClip(7);
    for (int channel = 0; channel < 2; ++channel)
        EXPECT_GT(BandShare(PowerSpectrum(clip.Channel(channel), 1024, true), kColouredRate, 700.0, 2800.0), 0.7);
}

// --- The loop seam of every clip -----------------------------------------------------------------------------

class ClipSeamTest : public testing::TestWithParam<int> {};

TEST_P(ClipSeamTest, TheSeamIsLikeAnyOtherPlaceOfTheLoop) {
    const ClipBytes clip = BuiltInClip(GetParam());
    for (int channel = 0; channel < clip.Channels(); ++channel) {
        const Signal x = clip.Channel(channel);
        // The step from the last frame to the first is an ordinary step ...
        EXPECT_LT(WindowRank(SquaredSteps(x), 0, 1), 0.99) << channel;
        // ... the samples around it follow from those before as well as anywhere (no click) ...
        EXPECT_LT(JoinRank(x, 0), 0.99) << channel;
        // ... and the loudness around it is ordinary (no gap, no burst).
        const double energy = WindowRank(Squares(x, Mean(x)), x.size() - 32, 64);
        EXPECT_GT(energy, 0.01) << channel;
        EXPECT_LT(energy, 0.99) << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, ClipSeamTest, testing::Range(0, 8));

// The click check above must be able to hear a click: half of full scale added to the first frame.
TEST(ClipSeamTest, TheClickCheckHearsAClick) {
    for (int index = 5; index < 8; ++index) {
        for (int channel = 0; channel < 2; ++channel) {
            Signal x = BuiltInClip(index).Channel(channel);
            x.front() += x.front() < 0 ? -16384.0 : 16384.0;
            EXPECT_GE(JoinRank(x, 0), 0.999) << "clip " << index << " channel " << channel;
        }
    }
}

} // namespace
} // namespace murmex::test
