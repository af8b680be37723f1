// The player on the sound server's own protocol (the test environment's PulseAudio with its two described
// null sinks): the server's outputs as the desktop names them, the stream's names and volume in the mixer,
// and the noise following its output away and back, and the server through a restart.
#include "audio/WaveOutThreadPlayWL.h"
#include "platform/SndDevices.h"
#include "platform/SoundBackend.h"
#include "platform/SoundServer.h"
#include "platform/WaveOut.h"
#include "tests/support/Monitor.h"
#include "tests/support/RiffBytes.h"
#include "tests/support/SoundServer.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

namespace murmex::audio {
namespace {

using namespace std::chrono_literals;
using test::Channel;

// What players show and note, from their threads.
class Heard {
public:
    ErrorPresenter Errors() {
        return [this](const QString& message) { Add(QStringLiteral("error: ") + message); };
    }
    Notice Notices() {
        return [this](const QString& message) { Add(message); };
    }
    int Count(const QString& start) {
        const std::lock_guard lock(m_mutex);
        return int(
            std::count_if(m_lines.begin(), m_lines.end(), [&](const QString& l) { return l.startsWith(start); }));
    }
    QString All() {
        const std::lock_guard lock(m_mutex);
        return m_lines.join(QLatin1Char('|'));
    }

private:
    void Add(const QString& line) {
        const std::lock_guard lock(m_mutex);
        m_lines << line;
    }
    std::mutex m_mutex;
    QStringList m_lines;
};

struct Loop {
    std::vector<double> left;
    TLMDWaveListItem item;
};

Loop MonoLoop(unsigned seed) {
    Loop loop;
    const std::vector<std::int16_t> samples = test::NoiseSamples(9600, seed);
    loop.left = Channel(samples, 0, 1);
    loop.item.Wave = TLMDWave(test::WaveImage(48000, 1, samples));
    return loop;
}

std::string Shell(const char* command) {
    std::string out;
    if (FILE* pipe = popen(command, "r")) {
        char buffer[4096];
        while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

// Polls `condition` for up to `timeout`.
template <typename Condition> bool Eventually(Condition condition, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

void ExpectSilent(const char* monitor) {
    const test::MonitorRecording recording(monitor);
    const std::vector<double> left = Channel(recording.Take(600), 0);
    ASSERT_GT(left.size(), 9600u);
    EXPECT_LT(test::Rms(left.data() + 4800, left.size() - 4800), 1.0) << monitor << " still plays";
}

void ExpectHeard(const char* monitor, const Loop& loop, double scale = 1.0) {
    {
        const test::MonitorRecording settle(monitor);
        ASSERT_TRUE(settle.WaitForSound(loop.left.size(), 10000)) << "nothing heard on " << monitor;
    }
    const test::MonitorRecording recording(monitor);
    ASSERT_TRUE(recording.WaitForSound(4 * loop.left.size()));
    test::ExpectRepeated(Channel(recording.Take(), 0), loop.left, scale);
}

class ServerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(platform::StartSound());
        ASSERT_TRUE(platform::soundserver::InUse()) << "run with MURMEX_SOUND_PATH unset";
    }
    void TearDown() override {
        StopAllWOThreads();
        EXPECT_TRUE(WaitForNoWOThreads(2000));
        EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
        platform::WaveOutSetVolume(platform::WAVE_MAPPER, 0xFFFFFFFFu);
    }
    Heard m_heard;
};

TEST_F(ServerTest, TheServersOutputsNamedAsTheDesktopNamesThemAndALoopOnTheChosenOne) {
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"@DEFAULT_SINK@", "Default (Built-in Speakers)"},
        {"murmex_test", "Built-in Speakers"},
        {"murmex_test_2", "Desk Headphones"}};
    ASSERT_EQ(platform::GetSndDeviceCountDS(), int(expected.size()));
    for (int id = 0; id < int(expected.size()); ++id) {
        platform::SndStringHandle handle = nullptr;
        EXPECT_EQ(platform::GetSndDeviceNameDS(id, &handle), expected[std::size_t(id)].second);
        platform::DSFreeString(handle);
        EXPECT_EQ(platform::Sound().Outputs().at(std::size_t(id)).key, expected[std::size_t(id)].first);
        EXPECT_EQ(platform::IsSndDeviceDefaultDS(id), id == 0);
    }

    std::atomic<int> news{0};
    platform::soundserver::SetOutputsObserver([&news] { ++news; });
    {
        SCOPED_TRACE("the default entry speaks the interface's language, and the observer hears of it");
        platform::Sound().SetDefaultLabel("По умолчанию");
        EXPECT_EQ(platform::Sound().Outputs().at(0).name, "По умолчанию (Built-in Speakers)");
        EXPECT_EQ(news.load(), 1);
        platform::Sound().SetDefaultLabel("Default");
        news = 0;
    }
    {
        SCOPED_TRACE("a changed description is told, and a change of a sink's volume is not");
        struct Restore {
            ~Restore() { test::ControlSoundServer("describe-2"); }
        } restore;
        Shell("pactl set-sink-volume murmex_test_2 50% && pactl set-sink-volume murmex_test_2 100%");
        test::ControlSoundServer("describe-2 'Desk Speakers'");
        EXPECT_TRUE(Eventually([] { return platform::Sound().Outputs().at(2).name == "Desk Speakers"; }));
        EXPECT_EQ(news.load(), 1);
    }
    news = 0;
    const Loop loop = MonoLoop(3);
    ASSERT_EQ(platform::WaveOutSetVolume(platform::WAVE_MAPPER, 0x8000u), platform::MMSYSERR_NOERROR);
    TWOThread::Start(loop.item, true, 2, m_heard.Errors(), m_heard.Notices(), QStringLiteral("Pink noise"));
    {
        SCOPED_TRACE("a mono clip on both channels of the chosen output, left at half its amplitude");
        const test::MonitorRecording recording("MURMEX_TEST_MONITOR_2");
        ASSERT_TRUE(recording.WaitForSound(5 * loop.left.size()));
        const std::vector<std::int16_t> recorded = recording.Take();
        test::ExpectRepeated(Channel(recorded, 0), loop.left, 0.5);
        const std::vector<double> right = Channel(recorded, 1);
        EXPECT_LT(test::Rms(right.data(), right.size()), 1.0) << "the right channel is not silent";
    }
    ExpectSilent("MURMEX_TEST_MONITOR");
    const std::string inputs = Shell("pactl list sink-inputs");
    EXPECT_NE(inputs.find("application.name = \"Murmex\""), std::string::npos) << inputs;
    EXPECT_NE(inputs.find("media.name = \"Pink noise\""), std::string::npos) << inputs;
    EXPECT_EQ(inputs.find("media.role"), std::string::npos) << inputs;

    SCOPED_TRACE("the mixer sets the stream's volume: the program takes it as its own");
    news = 0;
    Shell("pactl set-sink-input-volume \"$(pactl list short sink-inputs | cut -f1 | head -n 1)\" 100% 100%");
    EXPECT_TRUE(Eventually([] {
        std::uint32_t volume = 0;
        return platform::WaveOutGetVolume(platform::WAVE_MAPPER, volume) == 0 && volume == 0xFFFFFFFFu;
    })) << "the mixer's volume did not reach the program";
    EXPECT_GE(news.load(), 1);
    ExpectHeard("MURMEX_TEST_MONITOR_2", loop);
    platform::soundserver::SetOutputsObserver({});
    EXPECT_EQ(m_heard.All(), QString());
}

TEST_F(ServerTest, TheNoiseFollowsItsOutputAwayAndBack) {
    const Loop loop = MonoLoop(5);
    TWOThread::Start(loop.item, true, 2, m_heard.Errors(), m_heard.Notices(), QStringLiteral("Brown noise"));
    ASSERT_TRUE(test::MonitorRecording("MURMEX_TEST_MONITOR_2").WaitForSound(loop.left.size()));
    {
        test::SecondSinkAway away;
        SCOPED_TRACE("the server plays it on the default output at once");
        ExpectHeard("MURMEX_TEST_MONITOR", loop);
        EXPECT_TRUE(Eventually([&] { return m_heard.Count(QStringLiteral("output elsewhere")) == 1; }))
            << m_heard.All().toStdString();
        away.Return();
    }
    SCOPED_TRACE("back on the chosen output, and only there");
    ExpectHeard("MURMEX_TEST_MONITOR_2", loop);
    ExpectSilent("MURMEX_TEST_MONITOR");
    EXPECT_TRUE(Eventually([&] { return m_heard.Count(QStringLiteral("output back")) == 1; }))
        << m_heard.All().toStdString();
    EXPECT_EQ(m_heard.Count(QStringLiteral("output lost")), 1);
    EXPECT_EQ(m_heard.Count(QStringLiteral("error")), 0);
}

TEST_F(ServerTest, TheNoiseComesBackAfterTheServerRestarts) {
    const Loop loop = MonoLoop(7);
    TWOThread::Start(loop.item, true, platform::WAVE_MAPPER, m_heard.Errors(), m_heard.Notices());
    ASSERT_TRUE(test::MonitorRecording().WaitForSound(loop.left.size()));
    {
        test::SoundServerAway away;
        EXPECT_TRUE(Eventually([&] { return m_heard.Count(QStringLiteral("output lost")) == 1; }));
        EXPECT_EQ(WOThreadCount(), 1) << "the player gave up";
        away.Return();
    }
    ExpectHeard("MURMEX_TEST_MONITOR", loop);
    EXPECT_TRUE(Eventually([&] { return m_heard.Count(QStringLiteral("output back")) == 1; }));
    EXPECT_EQ(m_heard.Count(QStringLiteral("error")), 0) << m_heard.All().toStdString();
}

} // namespace
} // namespace murmex::audio
