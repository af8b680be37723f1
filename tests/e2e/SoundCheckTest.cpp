// The sound checks of the end-to-end tests, on signals whose figures are known: tones below 700 Hz and above
// 4 kHz, white noise, silence, and a recording file read between byte offsets by the command itself.
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

} // namespace
} // namespace murmex::test
