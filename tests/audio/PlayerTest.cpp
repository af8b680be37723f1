// The looping player against a real sound server (the test environment's null sink): what it plays,
// how it ends, and that it always leaves the live-player list and closes its device.
#include "audio/ClipRecords.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "audio/WaveOutUtils.h"
#include "platform/PortAudioBackend.h"
#include "platform/WaveOut.h"
#include "tests/support/Faults.h"
#include "tests/support/Monitor.h"
#include "tests/support/RiffBytes.h"
#include "tests/support/SoundServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <thread>

namespace murmex::audio {
namespace {

using namespace std::chrono_literals;
using test::Channel;

// Records what players show; called on their threads.
class Presented {
public:
    ErrorPresenter Presenter() {
        return [this](const QString& message) {
            const std::lock_guard lock(m_mutex);
            m_messages.push_back(message);
        };
    }
    std::vector<QString> Messages() {
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    std::mutex m_mutex;
    std::vector<QString> m_messages;
};

struct TestClip {
    std::vector<double> left, right;
    TLMDWaveListItem item;
};

TestClip NoiseItem(int channels, int frames, unsigned seed) {
    TestClip clip;
    const std::vector<std::int16_t> interleaved = test::NoiseSamples(std::size_t(frames) * channels, seed);
    clip.left = Channel(interleaved, 0, channels);
    clip.right = channels == 2 ? Channel(interleaved, 1, 2) : clip.left;
    const std::vector<std::uint8_t> image = test::WaveImage(48000, channels, interleaved);
    clip.item.Wave = TLMDWave(image);
    return clip;
}

// Starts an endless loop of `clip` on `device` and waits until the monitor named by `monitor` hears it.
testing::AssertionResult StartHeard(const TestClip& clip, ErrorPresenter presenter,
                                    std::int32_t device = platform::WAVE_MAPPER, Notice notice = {},
                                    const char* monitor = "MURMEX_TEST_MONITOR") {
    const test::MonitorRecording recording(monitor);
    TWOThread::Start(clip.item, true, device, std::move(presenter), std::move(notice));
    if (recording.WaitForSound(clip.left.size()))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "the sink of " << monitor << " heard too little";
}

class PlayerTest : public testing::Test {
protected:
    // As the program does when its window is created: the sound system's slow start-up is over before
    // the first player opens a device.
    static void SetUpTestSuite() { ASSERT_TRUE(platform::StartSound()); }
    void TearDown() override {
        StopAllWOThreads();
        EXPECT_TRUE(WaitForNoWOThreads(5000));
        EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
    }
    Presented m_presented;
};

TEST_F(PlayerTest, PlaysTheClipRepeatedUntilAskedToStop) {
    for (int channels : {1, 2}) {
        SCOPED_TRACE(channels);
        const TestClip clip = NoiseItem(channels, 9600, channels);
        test::MonitorRecording recording;
        TWOThread::Start(clip.item, true, platform::WAVE_MAPPER, m_presented.Presenter());
        EXPECT_EQ(WOThreadCount(), 1);
        // The stream's first moments may be lost on the monitor, so one period more than the check needs.
        ASSERT_TRUE(recording.WaitForSound(5 * clip.left.size())) << "the sink heard too little";
        EXPECT_EQ(WOThreadCount(), 1) << "a looping player ended by itself";
        StopWOThreads(platform::WAVE_MAPPER);
        ASSERT_TRUE(WaitForNoWOThreads(2000));
        EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
        const auto recorded = recording.Take();
        test::ExpectRepeated(Channel(recorded, 0), clip.left);
        test::ExpectRepeated(Channel(recorded, 1), clip.right);
    }
    EXPECT_TRUE(m_presented.Messages().empty());
}

// The built-in coloured clips last exactly one second, so what the server makes of them at its own
// rate repeats every second too, at the clip's level.
TEST_F(PlayerTest, ABuiltInClipIsHeardRepeatingEverySecond) {
    TLMDWaveList clips;
    FillWaveList(clips, BuiltInClipRecords());
    test::MonitorRecording recording;
    TWOThread::Start(clips.Items(5), true, platform::WAVE_MAPPER, m_presented.Presenter());
    constexpr std::size_t kSettled = 12000; // past the start of the stream
    ASSERT_TRUE(recording.WaitForSound(kSettled + 2 * 48000)) << "the sink heard too little";
    StopWOThreads(platform::WAVE_MAPPER);
    ASSERT_TRUE(WaitForNoWOThreads(2000));
    const std::vector<std::int16_t> recorded = recording.Take();
    const std::vector<double> left = Channel(recorded, 0);
    const std::size_t at = test::FirstSound(recorded) + kSettled;
    ASSERT_GE(left.size(), at + 2 * 48000);
    EXPECT_GT(test::Rms(left.data() + at, 48000), 500.0) << "hardly anything was heard";
    if (!test::kGapsExpected) {
        EXPECT_GT(test::Correlation(left.data() + at, left.data() + at + 48000, 48000), 0.99);
    }
}

// The window's clip list may go while a player still plays (the program's end waits for players only a
// moment): a player shares its clip's image and does not need the item.
TEST_F(PlayerTest, TheClipMayGoAwayAsSoonAsThePlayerHasStarted) {
    std::vector<double> left;
    test::MonitorRecording recording;
    {
        const TestClip clip = NoiseItem(1, 9600, 11);
        left = clip.left;
        TWOThread::Start(clip.item, true, platform::WAVE_MAPPER, m_presented.Presenter());
    }
    ASSERT_TRUE(recording.WaitForSound(5 * left.size())) << "the sink heard too little";
    StopWOThreads(platform::WAVE_MAPPER);
    ASSERT_TRUE(WaitForNoWOThreads(2000));
    test::ExpectRepeated(Channel(recording.Take(), 0), left);
}

TEST_F(PlayerTest, WithoutLoopTheClipPlaysOnceAndThePlayerLeavesByItself) {
    const TestClip clip = NoiseItem(2, 7200, 3);
    TWOThread::Start(clip.item, false, platform::WAVE_MAPPER, m_presented.Presenter());
    EXPECT_TRUE(WaitForNoWOThreads(3000));
    EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
}

TEST_F(PlayerTest, OneStopEndsEveryPlayerOfThatDeviceOnly) {
    const TestClip clip = NoiseItem(1, 4800, 4);
    TWOThread::Start(clip.item, true, platform::WAVE_MAPPER, m_presented.Presenter());
    TWOThread::Start(clip.item, true, platform::WAVE_MAPPER, m_presented.Presenter());
    EXPECT_EQ(WOThreadCount(), 2);
    StopWOThreads(0);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(WOThreadCount(), 2) << "a stop for another device ended a player";
    StopWOThreads(platform::WAVE_MAPPER);
    EXPECT_TRUE(WaitForNoWOThreads(2000));
}

TEST_F(PlayerTest, AFailedOpenShowsTheExactTextAndLeavesTheListAsItWas) {
    const TestClip clip = NoiseItem(1, 4800, 5);
    TWOThread::Start(clip.item, true, 1000, m_presented.Presenter());
    ASSERT_TRUE(WaitForNoWOThreads(2000));
    const QString expected = QStringLiteral("Could not open the output device for playing:  ") +
                             QStringLiteral("The device identifier is out of range.");
    ASSERT_EQ(m_presented.Messages().size(), 1u);
    EXPECT_EQ(m_presented.Messages()[0], expected);
    EXPECT_EQ(LastWaveOutError(), expected);
}

TEST_F(PlayerTest, AClipThatCannotBeReadEndsThePlayerSilently) {
    TLMDWaveListItem empty;
    TWOThread::Start(empty, true, platform::WAVE_MAPPER, m_presented.Presenter());
    EXPECT_TRUE(WaitForNoWOThreads(2000));
    EXPECT_TRUE(m_presented.Messages().empty());
}

// Stops come at once or after up to a few milliseconds, so that players end before, during and after
// opening the device, and overlap with the next ones.
TEST_F(PlayerTest, AThousandQuickStartsAndStopsLeaveNoPlayerAndNoStream) {
    const TestClip clip = NoiseItem(1, 4800, 6);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> delayUs(0, 4000);
    int opened = 0;
    for (int i = 0; i < 1000; ++i) {
        TWOThread::Start(clip.item, true, platform::WAVE_MAPPER, m_presented.Presenter());
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        opened += platform::WaveOutOpenStreams() > 0 ? 1 : 0;
        StopWOThreads(platform::WAVE_MAPPER);
    }
    EXPECT_GT(opened, 100) << "too few cycles reached the device to mean anything";
    EXPECT_TRUE(WaitForNoWOThreads(120000));
    EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
    for (const QString& message : m_presented.Messages())
        ADD_FAILURE() << message.toStdString();
}

// The sound system's start-up is slow and writes the environment, which the interface thread reads: it
// belongs to the interface thread, and a player finding it not done does not do it on the way.
TEST(PlayerHostTest, APlayerLeavesStartingTheSoundSystemToTheInterfaceThread) {
    test::InFreshProcess([] {
        Presented presented;
        const TestClip clip = NoiseItem(1, 4800, 8);
        TWOThread::Start(clip.item, false, platform::WAVE_MAPPER, presented.Presenter());
        ASSERT_TRUE(WaitForNoWOThreads(30000));
        EXPECT_EQ(platform::SoundStartedOn(), std::thread::id()) << "a player started the sound system";
        EXPECT_EQ(presented.Messages(), std::vector{QStringLiteral("Could not open the output device for playing:  ") +
                                                    QStringLiteral("No sound output device is present.")});

        EXPECT_TRUE(platform::StartSound());
        EXPECT_EQ(platform::SoundStartedOn(), std::this_thread::get_id());
        std::thread([] { platform::StartSound(); }).join();
        EXPECT_EQ(platform::SoundStartedOn(), std::this_thread::get_id()) << "it started twice";
    });
}

// A device that would neither stop nor close may go on reading the player's buffer. The player shows why, leaves
// the list of live players and keeps what the device reads; the stream goes on playing the clip.
TEST(PlayerEndTest, AStreamThatWouldNotStopKeepsPlayingTheClipAfterThePlayerHasGone) {
    test::InFreshProcess([] {
        ASSERT_TRUE(platform::StartSound());
        Presented presented;
        const TestClip clip = NoiseItem(1, 9600, 9);
        ASSERT_TRUE(StartHeard(clip, presented.Presenter()));
        const test::Refusing refusingAbort(platform::portaudiopath::AbortStream);
        const test::Refusing refusingClose(platform::portaudiopath::CloseStream);
        StopWOThreads(platform::WAVE_MAPPER);
        ASSERT_TRUE(WaitForNoWOThreads(5000));
        const QString expected =
            QStringLiteral("Error closing output device:  ") + QString::fromUtf8(Pa_GetErrorText(test::kRefusal));
        EXPECT_EQ(presented.Messages(), std::vector{expected});
        EXPECT_EQ(LastWaveOutError(), expected);
        EXPECT_EQ(platform::WaveOutOpenStreams(), 1);

        test::MonitorRecording after;
        ASSERT_TRUE(after.WaitForSound(5 * clip.left.size())) << "the stream stopped after all";
        const auto recorded = after.Take();
        test::ExpectRepeated(Channel(recorded, 0), clip.left);
    });
}

TEST(PlayerEndTest, ADeviceThatWouldNotCloseIsShownWithItsText) {
    test::InFreshProcess([] {
        ASSERT_TRUE(platform::StartSound());
        Presented presented;
        const TestClip clip = NoiseItem(2, 9600, 10);
        ASSERT_TRUE(StartHeard(clip, presented.Presenter()));
        const test::Refusing refusing(platform::portaudiopath::CloseStream);
        StopWOThreads(platform::WAVE_MAPPER);
        ASSERT_TRUE(WaitForNoWOThreads(5000));
        const QString expected =
            QStringLiteral("Error closing output device:  ") + QString::fromUtf8(Pa_GetErrorText(test::kRefusal));
        EXPECT_EQ(presented.Messages(), std::vector{expected});
        EXPECT_EQ(platform::WaveOutOpenStreams(), 1) << "the device that would not close is kept open";
    });
}

// The sound server going away while an endless loop plays: the player closes the dead stream, opens the
// same output again once the server is back and plays the clip on, with one warning for the loss and one
// for the return on stderr and no error shown.
class PlayerLossTest : public PlayerTest {
protected:
    static int Threads() {
        return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                              std::filesystem::directory_iterator()));
    }
    static int Count(const std::string& text, const std::string& what) {
        int count = 0;
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++count;
        return count;
    }
    // Waits until the player has let go of its dead stream, and says how long that took from `lost` on.
    static void ExpectLossNoticed(std::chrono::steady_clock::time_point lost) {
        ASSERT_TRUE(WaitFor([] { return platform::WaveOutOpenStreams() == 0; }, 10000)) << "the dead stream stayed";
        std::printf("stream closed %lld ms after the server was asked to end\n", static_cast<long long>(MsSince(lost)));
        EXPECT_EQ(WOThreadCount(), 1) << "the player ended with its output";
    }
    // Brings the server back and waits until the sink hears the clip again.
    static void ExpectHeardAgain(test::SoundServerAway& away, const TestClip& clip) {
        away.Return();
        const auto back = std::chrono::steady_clock::now();
        test::MonitorRecording recording;
        ASSERT_TRUE(recording.WaitForSound(clip.left.size(), 20000)) << "the sound did not come back";
        std::printf("clip heard again %lld ms after the server was back\n", static_cast<long long>(MsSince(back)));
        ASSERT_TRUE(recording.WaitForSound(5 * clip.left.size()));
        test::ExpectRepeated(Channel(recording.Take(), 0), clip.left);
    }
    template <typename Condition> static bool WaitFor(Condition condition, int timeoutMs) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition()) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(5ms);
        }
        return true;
    }
    static long long MsSince(std::chrono::steady_clock::time_point from) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - from).count();
    }
    // Asks the players to stop and waits until they have gone, saying how long that took.
    static void ExpectQuickStop(const char* state) {
        const auto asked = std::chrono::steady_clock::now();
        StopAllWOThreads();
        EXPECT_TRUE(WaitForNoWOThreads(2000)) << "a stop with the server " << state << " took long";
        std::printf("stop with the server %s: player gone after %lld ms\n", state,
                    static_cast<long long>(MsSince(asked)));
        EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
    }
};

TEST_F(PlayerLossTest, TheClipIsHeardAgainOnceTheServerIsBackWithOneWarningEach) {
    const TestClip clip = NoiseItem(2, 9600, 21);
    ASSERT_TRUE(StartHeard(clip, m_presented.Presenter()));
    testing::internal::CaptureStderr();
    {
        const auto lost = std::chrono::steady_clock::now();
        test::SoundServerAway away;
        ExpectLossNoticed(lost);
        // Long enough for several tries to fail while the server is away.
        std::this_thread::sleep_for(2500ms);
        EXPECT_EQ(WOThreadCount(), 1);
        ExpectHeardAgain(away, clip);
    }
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(warnings, "was lost"), 1) << warnings;
    EXPECT_EQ(Count(warnings, "is back"), 1) << warnings;
    EXPECT_TRUE(m_presented.Messages().empty()) << "a lost output was shown as an error";
    ExpectQuickStop("alive");
}

TEST_F(PlayerLossTest, AStopEndsThePlayerAtOnceWhileTheServerIsAwayOrReturning) {
    const TestClip clip = NoiseItem(1, 4800, 22);
    for (const bool returning : {false, true}) {
        SCOPED_TRACE(returning ? "returning" : "away");
        ASSERT_TRUE(StartHeard(clip, m_presented.Presenter()));
        const auto lost = std::chrono::steady_clock::now();
        test::SoundServerAway away;
        ExpectLossNoticed(lost);
        if (returning)
            away.Return(); // the player may be opening the output again right now
        ExpectQuickStop(returning ? "returning" : "away");
    }
    EXPECT_TRUE(m_presented.Messages().empty());
}

// A loop whose stream will not start has lost its output, and is opened again: a second after the last open,
// not at once. Three starts therefore span at least two seconds, however fast or slow the machine.
TEST_F(PlayerLossTest, AStreamThatWillNotStartIsOpenedAgainASecondLaterNotAtOnce) {
    const TestClip clip = NoiseItem(1, 4800, 24);
    testing::internal::CaptureStderr();
    {
        const test::Refusing refusing(platform::portaudiopath::StartStream);
        const auto started = std::chrono::steady_clock::now();
        TWOThread::Start(clip.item, true, platform::WAVE_MAPPER, m_presented.Presenter());
        ASSERT_TRUE(WaitFor([] { return test::Refusing::Refusals() >= 3; }, 30000)) << "the stream was not tried again";
        EXPECT_GE(MsSince(started), 2000) << test::Refusing::Refusals() << " starts";
        ExpectQuickStop("refusing to start");
    }
    EXPECT_EQ(Count(testing::internal::GetCapturedStderr(), "was lost"), 1);
    EXPECT_TRUE(m_presented.Messages().empty());
}

TEST_F(PlayerLossTest, RepeatedLossesLeaveTheThreadsAsTheyWere) {
    const TestClip clip = NoiseItem(1, 9600, 23);
    ASSERT_TRUE(StartHeard(clip, m_presented.Presenter()));
    const int threads = Threads();
    testing::internal::CaptureStderr();
    constexpr int kLosses = 5;
    for (int i = 0; i < kLosses; ++i) {
        SCOPED_TRACE(i);
        const auto lost = std::chrono::steady_clock::now();
        test::SoundServerAway away;
        ExpectLossNoticed(lost);
        ExpectHeardAgain(away, clip);
        EXPECT_EQ(platform::WaveOutOpenStreams(), 1);
        // The sound library's threads of a stream end a moment after it is closed.
        EXPECT_TRUE(WaitFor([&] { return Threads() <= threads; }, 5000))
            << Threads() << " threads, " << threads << " before";
    }
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(warnings, "was lost"), kLosses) << warnings;
    EXPECT_EQ(Count(warnings, "is back"), kLosses) << warnings;
    EXPECT_TRUE(m_presented.Messages().empty());
}

// Records what players tell in passing, and when; called on their threads.
class Notices {
public:
    Notice Callback() {
        return [this](const QString& message) {
            const std::lock_guard lock(m_mutex);
            m_messages.push_back(message);
        };
    }
    std::vector<QString> Messages() {
        const std::lock_guard lock(m_mutex);
        return m_messages;
    }
    void Clear() {
        const std::lock_guard lock(m_mutex);
        m_messages.clear();
    }
    bool Has(const QString& message) {
        const std::vector<QString> messages = Messages();
        return std::find(messages.begin(), messages.end(), message) != messages.end();
    }

private:
    std::mutex m_mutex;
    std::vector<QString> m_messages;
};

// A chosen output that goes away: the test environment's second sink is unloaded (as an output that is
// unplugged) and loaded again, while the first sink, the default one, stays.
class PlayerFallbackTest : public PlayerLossTest {
protected:
    void SetUp() override {
        const char* name = std::getenv("MURMEX_TEST_PCM_2");
        ASSERT_NE(name, nullptr) << "run inside scripts/testenv.sh";
        m_name = name;
        for (int id = 0; id < platform::portaudiopath::OutputDeviceCount(); ++id) {
            if (platform::portaudiopath::OutputDeviceName(id) == m_name)
                m_second = id;
        }
        ASSERT_GE(m_second, 0) << m_name << " is not listed";
    }
    // Starts an endless loop on the second output and waits until its monitor hears it.
    void StartOnSecond(const TestClip& clip) {
        ASSERT_TRUE(StartHeard(clip, m_presented.Presenter(), m_second, m_notices.Callback(), "MURMEX_TEST_MONITOR_2"));
    }
    // Waits until `variable`'s monitor hears the clip repeated, and says how long that took from `from` on
    // (also in `tookMs`).
    static void ExpectHeardOn(const char* variable, const TestClip& clip, std::chrono::steady_clock::time_point from,
                              int timeoutMs, long long* tookMs = nullptr) {
        {
            test::MonitorRecording recording(variable);
            ASSERT_TRUE(recording.WaitForSound(clip.left.size(), timeoutMs)) << "nothing heard on " << variable;
            const long long took = MsSince(from);
            std::printf("clip heard on %s %lld ms after the change\n", variable, took);
            if (tookMs)
                *tookMs = took;
        }
        test::MonitorRecording recording(variable);
        ASSERT_TRUE(recording.WaitForSound(5 * clip.left.size()));
        test::ExpectRepeated(Channel(recording.Take(), 0), clip.left);
    }
    // The default sink hears nothing any more: the sound is not doubled.
    static void ExpectDefaultSilent() {
        test::MonitorRecording recording;
        const std::vector<double> left = Channel(recording.Take(1000), 0);
        ASSERT_GT(left.size(), 24000u);
        EXPECT_LT(test::Rms(left.data() + 4800, left.size() - 4800), 1.0) << "the default sink still plays";
    }
    // The stream ends with the server, which comes back without the second sink: the player tries the chosen
    // output in vain. At the end the second sink is there again.
    struct ServerBackWithoutSecondSink {
        explicit ServerBackWithoutSecondSink(std::chrono::steady_clock::time_point& lost) {
            lost = std::chrono::steady_clock::now();
            ExpectLossNoticed(lost);
            server.Return("start-without-2");
        }
        test::SoundServerAway server;
        test::SecondSinkAway sink{true};
    };
    QString Told(const char* what) const { return QString::fromUtf8(what) + QString::fromStdString(m_name); }
    std::string m_name;
    int m_second = -1;
    Notices m_notices;
};

// A sound server rescues the streams of a sink that goes to another sink, and keeps them there: the player
// notices that its output is not there, lets the stream play on meanwhile and moves back once it is.
TEST_F(PlayerFallbackTest, ASinkThatGoesIsHeardOnTheDefaultMeanwhileAndAgainOnceItIsBack) {
    const TestClip clip = NoiseItem(2, 9600, 31);
    StartOnSecond(clip);
    testing::internal::CaptureStderr();
    {
        const auto unloaded = std::chrono::steady_clock::now();
        test::SecondSinkAway away;
        ExpectHeardOn("MURMEX_TEST_MONITOR", clip, unloaded, 12000);
        ASSERT_TRUE(WaitFor([&] { return m_notices.Has(Told("output elsewhere meanwhile: ")); }, 10000));
        std::printf("the player knew its output was gone %lld ms after the unload\n",
                    static_cast<long long>(MsSince(unloaded)));
        EXPECT_EQ(WOThreadCount(), 1);
        EXPECT_EQ(platform::WaveOutOpenStreams(), 1);

        away.Return();
        const auto loaded = std::chrono::steady_clock::now();
        ExpectHeardOn("MURMEX_TEST_MONITOR_2", clip, loaded, 20000);
        ExpectDefaultSilent();
    }
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(warnings, "was lost"), 1) << warnings;
    EXPECT_EQ(Count(warnings, "meanwhile"), 1) << warnings;
    EXPECT_EQ(Count(warnings, "is back"), 1) << warnings;
    EXPECT_EQ(m_notices.Messages(),
              (std::vector{Told("output lost: "), Told("output elsewhere meanwhile: "), Told("output back: ")}));
    EXPECT_TRUE(m_presented.Messages().empty()) << "a lost output was shown as an error";
    ExpectQuickStop("back");
}

// A stream that ends with its output: the chosen output is tried every second, and after ten seconds the
// loop plays on the default output until the chosen one can be opened again.
TEST_F(PlayerFallbackTest, AStreamThatEndsWithItsOutputGoesOnOnTheDefaultAfterTenSecondsAndComesBack) {
    const TestClip clip = NoiseItem(1, 9600, 32);
    StartOnSecond(clip);
    testing::internal::CaptureStderr();
    {
        std::chrono::steady_clock::time_point lost;
        ServerBackWithoutSecondSink away(lost);
        // Nothing plays while the chosen output is tried, then the default output takes over.
        long long took = 0;
        ExpectHeardOn("MURMEX_TEST_MONITOR", clip, lost, 30000, &took);
        // Counted from a moment after the server went, at which the player had lost its stream already.
        EXPECT_GE(took, 8000) << "the default output took over before the chosen one was given its time";
        EXPECT_TRUE(m_notices.Has(Told("output elsewhere meanwhile: ")));

        away.sink.Return();
        const auto loaded = std::chrono::steady_clock::now();
        ExpectHeardOn("MURMEX_TEST_MONITOR_2", clip, loaded, 20000);
        ExpectDefaultSilent();
    }
    const std::string warnings = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Count(warnings, "was lost"), 1) << warnings;
    EXPECT_EQ(Count(warnings, "playing on the default output meanwhile"), 1) << warnings;
    EXPECT_EQ(Count(warnings, "is back"), 1) << warnings;
    EXPECT_TRUE(m_presented.Messages().empty());
    ExpectQuickStop("back");
}

// Every state of a lost chosen output: while it is tried, while the loop plays elsewhere, and while it moves
// back (the stop may come while the output is opened again).
TEST_F(PlayerFallbackTest, AStopEndsThePlayerAtOnceWhateverBecameOfItsOutput) {
    const TestClip clip = NoiseItem(1, 4800, 33);
    for (const char* state : {"tried", "elsewhere", "returning"}) {
        SCOPED_TRACE(state);
        m_notices.Clear();
        StartOnSecond(clip);
        if (std::string(state) == "tried") {
            std::chrono::steady_clock::time_point lost;
            ServerBackWithoutSecondSink away(lost);
            std::this_thread::sleep_for(1500ms); // the player is trying the chosen output, or reading the list
            ExpectQuickStop(state);
            continue;
        }
        test::SecondSinkAway away;
        ASSERT_TRUE(WaitFor([&] { return m_notices.Has(Told("output elsewhere meanwhile: ")); }, 15000));
        if (std::string(state) == "returning") {
            away.Return();
            std::this_thread::sleep_for(700ms); // about when the player looks for its output again
        }
        ExpectQuickStop(state);
    }
    EXPECT_TRUE(m_presented.Messages().empty());
}

} // namespace
} // namespace murmex::audio
