// The looping player against a real sound server (the test environment's null sink): what it plays,
// how it ends, and that it always leaves the live-player list and closes its device.
#include "audio/ClipRecords.h"
#include "audio/WaveOutThreadPlayWL.h"
#include "audio/WaveOutUtils.h"
#include "platform/PortAudioBackend.h"
#include "platform/WaveOut.h"
#include "tests/support/FakeSound.h"
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
public:
    static int Threads() {
        return static_cast<int>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                              std::filesystem::directory_iterator()));
    }

protected:
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

// The player's reactions to what becomes of its output, against a backend the test drives and a clock that moves
// only when the test says: each scenario runs in a fresh process with the fake in place before anything plays.
class PlayerFakeTest : public testing::Test {
protected:
    // A fake with the default entry (id -1 and 0) and "Desk" (1) and "Phones" (2) put in place, and an endless
    // loop started on `device`, its errors in m_presented and its notices in m_notices. With `refuseStarts` its
    // streams will not start.
    test::FakeSound& Start(std::int32_t device, unsigned seed, bool refuseStarts = false) {
        auto fake = std::make_unique<test::FakeSound>(std::vector<std::string>{"Desk", "Phones"});
        test::FakeSound& sound = *fake;
        sound.RefuseStarts(refuseStarts);
        platform::UseSoundBackend(std::move(fake));
        TWOThread::Start(NoiseItem(1, 4800, seed).item, true, device, m_presented.Presenter(), m_notices.Callback());
        return sound;
    }
    static bool Tried(const test::FakeSound& sound, std::size_t openings) {
        return test::FakeSound::Eventually([&] { return sound.Openings().size() >= openings; });
    }
    static void ExpectQuickStop() {
        StopAllWOThreads();
        EXPECT_TRUE(WaitForNoWOThreads(2000));
        EXPECT_EQ(platform::WaveOutOpenStreams(), 0);
    }
    static std::vector<QString> Told(std::vector<const char*> what, const char* name) {
        std::vector<QString> told;
        for (const char* w : what)
            told.push_back(QString::fromUtf8(w) + QString::fromUtf8(name));
        return told;
    }
    static constexpr const char* kDefault = platform::kDefaultOutputKey;
    Presented m_presented;
    Notices m_notices;
};

// A lost output is tried a second after the last open, then every second and at once when the backend says it is
// back; one notice for the loss and one for the return, and no error shown.
TEST_F(PlayerFakeTest, ALostOutputIsTriedEverySecondAndPlaysOnOnceBack) {
    test::InFreshProcess([this] {
        test::FakeSound& sound = Start(platform::WAVE_MAPPER, 41);
        ASSERT_TRUE(sound.PlaysOnlyOn(kDefault));
        sound.Advance(5s);
        sound.Remove(kDefault);
        ASSERT_TRUE(Tried(sound, 2));
        EXPECT_EQ(sound.Pause(), 6s) << "not tried again a second later";
        sound.Advance(1s);
        ASSERT_TRUE(Tried(sound, 3));
        EXPECT_EQ(sound.Openings()[2].at.time_since_epoch(), 6s);
        sound.Return(kDefault);
        ASSERT_TRUE(sound.PlaysOnlyOn(kDefault)) << "not opened again when the backend said it was back";
        EXPECT_EQ(sound.Elapsed(), 6s);
        ASSERT_TRUE(test::FakeSound::Eventually([&] { return m_notices.Messages().size() == 2; }));
        EXPECT_EQ(m_notices.Messages(), Told({"output lost: ", "output back: "}, "Default")) << "one notice each";
        EXPECT_TRUE(m_presented.Messages().empty()) << "a lost output was shown as an error";
        ExpectQuickStop();
    });
}

// A loop whose stream will not start has lost its output: it is opened again a second after the last open, not at
// once, and only one loss is told.
TEST_F(PlayerFakeTest, AStreamThatWillNotStartIsOpenedAgainASecondLaterNotAtOnce) {
    test::InFreshProcess([this] {
        test::FakeSound& sound = Start(platform::WAVE_MAPPER, 42, true);
        for (int second = 1; second <= 2; ++second) {
            ASSERT_TRUE(Tried(sound, std::size_t(second)));
            EXPECT_EQ(sound.Pause(), std::chrono::seconds(second));
            EXPECT_EQ(sound.Openings().size(), std::size_t(second)) << "opened again before the second was over";
            sound.Advance(1s);
        }
        ExpectQuickStop();
        EXPECT_EQ(m_notices.Messages(), Told({"output lost: "}, "Default"));
        EXPECT_TRUE(m_presented.Messages().empty());
    });
}

// A chosen output that ends its stream: tried every second, after ten seconds the loop plays on the default
// output meanwhile, and goes back to the chosen one (a second after the last open) once the backend says it can.
TEST_F(PlayerFakeTest, AChosenOutputLostForTenSecondsGivesWayToTheDefaultUntilItIsBack) {
    test::InFreshProcess([this] {
        test::FakeSound& sound = Start(1, 43);
        ASSERT_TRUE(sound.PlaysOnlyOn("Desk"));
        sound.Advance(3s);
        sound.Remove("Desk");
        for (int second = 1; second <= 10; ++second) {
            ASSERT_TRUE(sound.Pause());
            sound.Advance(1s);
        }
        ASSERT_TRUE(sound.PlaysOnlyOn(kDefault));
        for (const auto& opening : sound.Openings()) {
            if (opening.key == kDefault) {
                EXPECT_GE(opening.at.time_since_epoch(), 13s) << "the default output took over too soon";
            }
        }
        sound.Return("Desk");
        EXPECT_EQ(sound.Pause(), 14s) << "not a second after the last open";
        sound.Advance(1s);
        ASSERT_TRUE(sound.PlaysOnlyOn("Desk")) << "the default output still plays, or the chosen one was not reopened";
        ASSERT_TRUE(test::FakeSound::Eventually([&] { return m_notices.Messages().size() == 3; }));
        EXPECT_EQ(m_notices.Messages(),
                  Told({"output lost: ", "output elsewhere meanwhile: ", "output back: "}, "Desk"));
        EXPECT_TRUE(m_presented.Messages().empty());
        ExpectQuickStop();
    });
}

// An output whose stream plays on elsewhere (a sound server moved it): the stream is kept meanwhile, and the
// loop is back on its output when the server moves it there, or opened there again when it cannot.
TEST_F(PlayerFakeTest, AStreamPlayedElsewhereMeanwhileReturnsToItsOutput) {
    for (const bool movedBack : {true, false}) {
        SCOPED_TRACE(movedBack ? "moved back" : "opened again");
        test::InFreshProcess([this, movedBack] {
            test::FakeSound& sound = Start(2, 44);
            ASSERT_TRUE(sound.PlaysOnlyOn("Phones"));
            sound.Advance(3s);
            sound.Remove("Phones", true);
            ASSERT_TRUE(test::FakeSound::Eventually([&] { return m_notices.Messages().size() == 2; }));
            EXPECT_EQ(sound.Open(), std::vector<std::string>{"Phones"}) << "the displaced stream was let go";
            sound.Return("Phones", !movedBack);
            ASSERT_TRUE(test::FakeSound::Eventually([&] { return m_notices.Messages().size() == 3; }));
            EXPECT_EQ(sound.Openings().size(), movedBack ? 1u : 2u);
            EXPECT_EQ(m_notices.Messages(),
                      Told({"output lost: ", "output elsewhere meanwhile: ", "output back: "}, "Phones"));
            EXPECT_TRUE(m_presented.Messages().empty());
            ExpectQuickStop();
        });
    }
}

// The user moves the sound in the desktop's mixer: that output is the chosen one from then on.
TEST_F(PlayerFakeTest, AnOutputTheUserMovedTheSoundToIsTheChosenOne) {
    test::InFreshProcess([this] {
        test::FakeSound& sound = Start(1, 45);
        ASSERT_TRUE(sound.PlaysOnlyOn("Desk"));
        sound.MoveByUser("Phones");
        sound.Remove("Phones");
        EXPECT_EQ(sound.Pause(), 1s);
        sound.Advance(1s);
        ASSERT_TRUE(Tried(sound, 2));
        EXPECT_EQ(sound.Openings()[1].key, "Phones");
        EXPECT_EQ(m_notices.Messages(), Told({"output lost: "}, "Phones"));
        ExpectQuickStop();
    });
}

// Every state a lost output leaves the player in ends at once on a stop: while the output is tried, while the loop
// plays elsewhere, and while it returns.
TEST_F(PlayerFakeTest, AStopEndsThePlayerAtOnceWhateverBecameOfItsOutput) {
    for (const char* state : {"tried", "on the default", "displaced", "returning"}) {
        SCOPED_TRACE(state);
        test::InFreshProcess([this, state] {
            test::FakeSound& sound = Start(1, 46);
            ASSERT_TRUE(sound.PlaysOnlyOn("Desk"));
            const std::string s = state;
            sound.Remove("Desk", s == "displaced");
            if (s == "on the default") {
                ASSERT_TRUE(sound.Pause());
                sound.Advance(11s);
                ASSERT_TRUE(sound.PlaysOnlyOn(kDefault));
            } else if (s == "returning") {
                sound.Advance(1s);
                sound.Return("Desk");
            } else if (s == "displaced") {
                ASSERT_TRUE(test::FakeSound::Eventually([&] { return m_notices.Messages().size() == 2; }));
            } else {
                ASSERT_TRUE(sound.Pause());
            }
            ExpectQuickStop();
        });
    }
}

// Losses over and over: one notice each, one stream open after each return, and no thread left behind.
TEST_F(PlayerFakeTest, RepeatedLossesLeaveTheStreamsAndThreadsAsTheyWere) {
    test::InFreshProcess([this] {
        test::FakeSound& sound = Start(platform::WAVE_MAPPER, 47);
        ASSERT_TRUE(sound.PlaysOnlyOn(kDefault));
        const int threads = PlayerLossTest::Threads();
        constexpr int kLosses = 5;
        for (int i = 0; i < kLosses; ++i) {
            sound.Advance(2s);
            sound.Remove(kDefault);
            ASSERT_TRUE(sound.Pause());
            sound.Return(kDefault);
            ASSERT_TRUE(test::FakeSound::Eventually([&] { return m_notices.Messages().size() == 2u * (i + 1); }));
            EXPECT_EQ(sound.Open(), std::vector<std::string>{kDefault});
            EXPECT_EQ(PlayerLossTest::Threads(), threads);
        }
        EXPECT_TRUE(m_presented.Messages().empty());
        ExpectQuickStop();
    });
}
} // namespace
} // namespace murmex::audio
