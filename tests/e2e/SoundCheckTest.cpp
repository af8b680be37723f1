// The sound checks of the end-to-end tests, on signals whose figures are known: tones below 700 Hz and above
// 4 kHz, white noise, silence, a looped clip with gaps and breaks put in, and a recording file read between
// byte offsets by the command itself.
#include "tests/e2e/SoundCheck.h"
#include "tests/support/RiffBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <random>
#include <sstream>

namespace murmex::test {
namespace {

using Samples = std::vector<std::int16_t>;

Samples Tone(double hz, double amplitude, std::size_t frames, bool right = true) {
    Samples out;
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / kMonitorRate);
        out.push_back(static_cast<std::int16_t>(std::lround(v)));
        out.push_back(right ? static_cast<std::int16_t>(std::lround(v)) : std::int16_t{0});
    }
    return out;
}

Samples Silence(std::size_t frames) {
    return Samples(2 * frames, 0);
}

Samples Then(Samples a, const Samples& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(SoundFiguresTest, ALowToneHasItsEnergyBelow700Hz) {
    const SoundFigures f = Measure(Tone(200.0, 10000.0, 48000));
    EXPECT_EQ(f.frames, 48000u);
    EXPECT_NEAR(f.rmsLeft, 10000.0 / std::numbers::sqrt2, 5.0);
    EXPECT_NEAR(f.rmsRight, f.rmsLeft, 1e-9);
    EXPECT_GT(f.low, 0.99);
    EXPECT_LT(f.high, 0.001);
}

TEST(SoundFiguresTest, AHighToneHasItsEnergyAbove4kHz) {
    const SoundFigures f = Measure(Tone(6000.0, 3000.0, 24000));
    EXPECT_NEAR(f.rmsLeft, 3000.0 / std::numbers::sqrt2, 5.0);
    EXPECT_GT(f.high, 0.99);
    EXPECT_LT(f.low, 0.001);
}

TEST(SoundFiguresTest, WhiteNoiseSpreadsItsEnergyEvenly) {
    const SoundFigures f = Measure(NoiseSamples(2 * 96000, 7));
    EXPECT_NEAR(f.rmsLeft, 24001.0 / std::sqrt(12.0), 100.0);
    EXPECT_NEAR(f.high, 20.0 / 24.0, 0.02);
    EXPECT_NEAR(f.low, 0.7 / 24.0, 0.01);
}

TEST(SoundFiguresTest, ChannelsAreMeasuredApart) {
    const SoundFigures f = Measure(Tone(1000.0, 8000.0, 4800, false));
    EXPECT_GT(f.rmsLeft, 5000.0);
    EXPECT_EQ(f.rmsRight, 0.0);
}

TEST(SoundFiguresTest, SilenceHasNoLevelAndNoSpectrum) {
    const SoundFigures f = Measure(Silence(4800));
    EXPECT_EQ(f.rmsLeft, 0.0);
    EXPECT_EQ(f.rmsRight, 0.0);
    EXPECT_TRUE(std::isnan(f.high));
    EXPECT_TRUE(std::isnan(f.low));
    EXPECT_EQ(Measure({}).frames, 0u);
}

TEST(SoundOnsetTest, FoundToTheFrameAfterSilence) {
    const Samples x = Then(Silence(12345), NoiseSamples(2 * 4800, 3));
    const long long at = OnsetFrame(x, 1000.0);
    EXPECT_GE(at, 12345);
    EXPECT_LE(at, 12345 + 4); // a noise sample below the level now and then
    EXPECT_EQ(OnsetFrame(Then(Silence(4800), Tone(300.0, 200.0, 4800)), 1000.0), -1) << "too soft";
    EXPECT_EQ(OnsetFrame(Silence(48000), 1.0), -1);
}

// --- A looped clip: white noise, different in each channel, of an odd length.
constexpr std::size_t kPeriod = 4801;

Samples Looped(int times, std::size_t period = kPeriod) {
    const Samples clip = NoiseSamples(2 * period, 11);
    Samples out;
    for (int t = 0; t < times; ++t)
        out.insert(out.end(), clip.begin(), clip.end());
    return out;
}

Samples Inserted(Samples x, std::size_t frame, const Samples& piece) {
    x.insert(x.begin() + static_cast<long>(2 * frame), piece.begin(), piece.end());
    return x;
}

Samples Erased(Samples x, std::size_t frame, std::size_t frames) {
    const auto at = x.begin() + static_cast<long>(2 * frame);
    x.erase(at, at + static_cast<long>(2 * frames));
    return x;
}

GapFigures Gaps(const Samples& x, std::size_t period = kPeriod) {
    return FindGaps(
        [&](std::size_t at, std::size_t frames) {
            const std::size_t begin = std::min(2 * at, x.size()), end = std::min(2 * (at + frames), x.size());
            return Samples(x.begin() + static_cast<long>(begin), x.begin() + static_cast<long>(end));
        },
        period);
}

// Where a break is seen: the block that holds its point or the one after it.
void ExpectBreak(const GapFigures& f, std::size_t frame, long long shift) {
    ASSERT_EQ(f.breaks, 1u);
    ASSERT_EQ(f.breaksAt.size(), 1u);
    EXPECT_EQ(f.breaksAt[0].size, shift);
    EXPECT_GE(f.breaksAt[0].frame + static_cast<long long>(kLoopBlock), static_cast<long long>(frame));
    EXPECT_LE(f.breaksAt[0].frame, static_cast<long long>(frame + 2 * kLoopBlock));
}

TEST(LoopGapsTest, ACleanLoopHasNoGapsAndNoBreaks) {
    const GapFigures f = Gaps(Looped(12));
    EXPECT_TRUE(f.looped);
    EXPECT_EQ(f.frames, 12 * kPeriod);
    EXPECT_EQ(f.gaps, 0u);
    EXPECT_EQ(f.breaks, 0u);
    EXPECT_EQ(f.unmatched, 0u);
    // Started anywhere in the clip, and at a quarter of the level.
    Samples quiet = Erased(Looped(12), 0, 1717);
    for (std::int16_t& v : quiet)
        v = static_cast<std::int16_t>(v / 4);
    const GapFigures g = Gaps(quiet);
    EXPECT_TRUE(g.looped);
    EXPECT_EQ(g.breaks + g.gaps + g.unmatched, 0u);
}

TEST(LoopGapsTest, InsertedZerosAreAGapFromLongerThan5msOnAndDelayTheLoop) {
    const std::size_t at = 3 * kPeriod + 1234;
    GapFigures f = Gaps(Inserted(Looped(12), at, Silence(480)));
    EXPECT_EQ(f.gaps, 1u);
    EXPECT_EQ(f.longestGap, 480u);
    ASSERT_EQ(f.gapsAt.size(), 1u);
    EXPECT_EQ(f.gapsAt[0].frame, static_cast<long long>(at));
    EXPECT_EQ(f.gapsAt[0].size, 480);
    ExpectBreak(f, at + 480, -480);
    EXPECT_GT(f.unmatched, 0u);
    EXPECT_LE(f.unmatched, 3 * kLoopBlock);

    f = Gaps(Inserted(Looped(12), at, Silence(144))); // 3 ms
    EXPECT_EQ(f.gaps, 0u);
    ExpectBreak(f, at + 144, -144);
    EXPECT_EQ(Gaps(Inserted(Looped(12), at, Silence(kGapFrames))).gaps, 0u);
    EXPECT_EQ(Gaps(Inserted(Looped(12), at, Silence(kGapFrames + 1))).gaps, 1u);
}

TEST(LoopGapsTest, ZerosOverTheSoundAreAGapButTheLoopGoesOnInTime) {
    Samples x = Looped(12);
    std::fill(x.begin() + 2 * 5000, x.begin() + 2 * 5600, std::int16_t{0});
    const GapFigures f = Gaps(x);
    EXPECT_EQ(f.gaps, 1u);
    EXPECT_EQ(f.longestGap, 600u);
    EXPECT_EQ(f.breaks, 0u);
    EXPECT_GE(f.unmatched, kLoopBlock);
    EXPECT_LE(f.unmatched, 3 * kLoopBlock);

    // Silence in one channel only is no gap.
    x = Looped(12);
    for (std::size_t i = 2 * 20000; i < 2 * 21000; i += 2)
        x[i] = 0;
    EXPECT_EQ(Gaps(x).gaps, 0u);
    EXPECT_EQ(Gaps(x).breaks, 0u);
}

TEST(LoopGapsTest, SoundLeftOutOrPlayedAgainIsABreak) {
    const std::size_t at = 5 * kPeriod + 3000;
    ExpectBreak(Gaps(Erased(Looped(12), at, 700)), at, 700);
    const Samples x = Looped(12);
    const Samples again(x.begin() + 2 * (at - 300), x.begin() + 2 * at);
    ExpectBreak(Gaps(Inserted(x, at, again)), at, -300);
    ExpectBreak(Gaps(Erased(Looped(12), at, 1)), at, 1);

    // Two within one period are two.
    const GapFigures f = Gaps(Erased(Erased(Looped(12), at, 700), at - 2000, 100));
    EXPECT_EQ(f.breaks, 2u);
    EXPECT_EQ(f.gaps, 0u);
}

TEST(LoopGapsTest, WithoutARepeatOnlyGapsAreCounted) {
    const Samples noise = NoiseSamples(2 * 12 * kPeriod, 5);
    const GapFigures f = Gaps(Inserted(noise, 30000, Silence(1000)));
    EXPECT_FALSE(f.looped);
    EXPECT_EQ(f.gaps, 1u);
    EXPECT_EQ(f.breaks, 0u);
    EXPECT_FALSE(Gaps(Looped(1)).looped) << "one period is no repeat";
    EXPECT_FALSE(Gaps(Looped(12), kPeriod + 1).looped) << "another period";
}

// The command on a file: 0.5 s of silence, then 0.5 s of a 300 Hz tone.
class SoundCheckCommandTest : public testing::Test {
protected:
    static constexpr long long kToneAt = 24000 * 4;

    void SetUp() override {
        m_path =
            (std::filesystem::temp_directory_path() / ("soundcheck-" + std::to_string(std::random_device()()) + ".raw"))
                .string();
        const Bytes bytes = PcmBytes(Then(Silence(24000), Tone(300.0, 6000.0, 24000)));
        std::ofstream(m_path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    void TearDown() override { std::filesystem::remove(m_path); }

    int Run(std::vector<std::string> args) {
        args.insert(args.begin(), m_path);
        m_out.str({});
        m_err.str({});
        return SoundCheck(args, m_out, m_err);
    }

    std::string m_path;
    std::ostringstream m_out, m_err;
};

TEST_F(SoundCheckCommandTest, PrintsTheFiguresOfTheStretchAsked) {
    EXPECT_EQ(Run({}), 0);
    EXPECT_EQ(m_out.str().rfind("frames=48000 rms_left=", 0), 0u) << m_out.str();
    EXPECT_EQ(Run({"0", std::to_string(kToneAt)}), 0);
    EXPECT_EQ(m_out.str(), "frames=24000 rms_left=0 rms_right=0 high=nan low=nan\n");
    // Offsets inside a frame are taken down to its start.
    EXPECT_EQ(Run({std::to_string(kToneAt + 3)}), 0);
    EXPECT_EQ(m_out.str().rfind("frames=24000 rms_left=4242", 0), 0u) << m_out.str();
}

TEST_F(SoundCheckCommandTest, ConditionsDecideTheStatus) {
    const std::string tone = std::to_string(kToneAt);
    EXPECT_EQ(Run({"0", tone, "--silent", "1"}), 0);
    EXPECT_EQ(Run({"0", tone, "--sound", "1"}), 1);
    EXPECT_NE(m_err.str().find("--sound"), std::string::npos) << m_err.str();
    EXPECT_EQ(Run({tone, "--sound", "4000", "--low-min", "0.95", "--high-max", "0.01"}), 0) << m_err.str();
    EXPECT_EQ(Run({tone, "--silent", "4000"}), 1);
    EXPECT_EQ(Run({tone, "--high-min", "0.5"}), 1);
    EXPECT_EQ(Run({tone, "--low-max", "0.5"}), 1);
    EXPECT_EQ(Run({"0", tone, "--low-min", "0"}), 1) << "silence has no spectrum to judge";
}

TEST_F(SoundCheckCommandTest, ReportsTheOnsetAsAByteOffsetOfTheFile) {
    EXPECT_EQ(Run({"4000", "--onset", "1000"}), 0);
    EXPECT_NE(m_out.str().find(" onset="), std::string::npos);
    const long long onset = std::stoll(m_out.str().substr(m_out.str().find(" onset=") + 7));
    EXPECT_GE(onset, kToneAt);
    EXPECT_LT(onset, kToneAt + 4 * 48); // within the tone's first millisecond
    EXPECT_EQ(onset % 4, 0);
    EXPECT_EQ(Run({"0", std::to_string(kToneAt), "--onset", "1000"}), 1);
    EXPECT_NE(m_out.str().find(" onset=none"), std::string::npos);
}

TEST_F(SoundCheckCommandTest, RefusesWhatItCannotJudge) {
    EXPECT_EQ(Run({"0", "400", "--silent", "1"}), 2) << "ten frames";
    EXPECT_EQ(Run({"0", "400"}), 0) << "figures alone are always printed";
    EXPECT_EQ(Run({"--sound"}), 2);
    EXPECT_EQ(Run({"--loud", "3"}), 2);
    EXPECT_EQ(Run({"zero"}), 2);
    EXPECT_EQ(SoundCheck({}, m_out, m_err), 2);
}

// The gaps command reads a long recording in pieces; a gap across the boundary of two is one gap.
TEST(GapsCommandTest, FindsGapsAndBreaksInAFileByByteOffsets) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("soundcheck-" + std::to_string(std::random_device()()) + ".raw"))
            .string();
    const auto run = [&](const Samples& recorded, std::vector<std::string> args, std::string& out) {
        const Bytes bytes = PcmBytes(recorded);
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        args.insert(args.begin(), {"gaps", path});
        std::ostringstream o, e;
        const int status = SoundCheck(args, o, e);
        out = o.str();
        return status;
    };
    const std::size_t lead = 1000, at = 47800; // the first piece is 48000 frames
    const Samples recorded = Then(Silence(lead), Inserted(Looped(30), at, Silence(600)));
    const std::string from = std::to_string(lead * 4), period = std::to_string(kPeriod);
    std::string out;
    EXPECT_EQ(run(recorded, {from, "-1", "--period", period}, out), 1);
    EXPECT_EQ(out.rfind("frames=" + std::to_string(30 * kPeriod + 600) +
                            " period=4801 gaps=1 longest_gap_ms=12.5 "
                            "breaks=1 unmatched_ms=",
                        0),
              0u)
        << out;
    EXPECT_NE(out.find("\ngap at=" + std::to_string((lead + at) * 4) + " ms=12.5\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nbreak at="), std::string::npos) << out;
    EXPECT_NE(out.find(" shift=-600\n"), std::string::npos) << out;

    // Up to TO only, before the gap.
    EXPECT_EQ(run(recorded, {from, std::to_string((lead + 40000) * 4), "--period", period}, out), 0) << out;
    EXPECT_EQ(out, "frames=40000 period=4801 gaps=0 longest_gap_ms=0 breaks=0 unmatched_ms=0\n");
    EXPECT_EQ(run(recorded, {from, "-1", "--period", "5000"}, out), 2);
    EXPECT_NE(out.find(" breaks=unknown"), std::string::npos) << out;
    EXPECT_EQ(run(recorded, {from, "-1", "--period"}, out), 2);
    EXPECT_EQ(run(recorded, {from, "-1", "--period", "0"}, out), 2);
    EXPECT_EQ(run(recorded, {from, "--period", period}, out), 2);
    std::filesystem::remove(path);
}

} // namespace
} // namespace murmex::test
