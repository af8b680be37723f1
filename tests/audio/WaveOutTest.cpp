// Wave-out against a real sound server: a PulseAudio null sink whose monitor the test environment
// records. What comes out must be the buffer, repeated, at the volume set.
#include "platform/WaveOut.h"
#include "audio/WaveOutUtils.h"
#include "platform/PortAudioBackend.h"
#include "platform/Sanitizers.h"
#include "platform/SndDevices.h"
#include "tests/support/Faults.h"
#include "tests/support/Monitor.h"
#include "tests/support/RiffBytes.h"
#include "tests/support/SoundServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace murmex::platform {
namespace {

using test::Channel;
using test::MonitorRecording;

constexpr std::uint32_t kLoopForever = 0xFFFFFFFFu;

struct Clip {
    WaveFormatEx format{};
    std::vector<std::uint8_t> bytes;
    std::vector<double> left, right;
};

// White noise at the monitor's own rate, so that nothing is resampled on the way.
Clip NoiseClip(int channels, int frames, unsigned seed) {
    Clip clip;
    clip.format = {WAVE_FORMAT_PCM,
                   static_cast<std::uint16_t>(channels),
                   48000,
                   static_cast<std::uint32_t>(48000 * channels * 2),
                   static_cast<std::uint16_t>(channels * 2),
                   16,
                   0};
    const std::vector<std::int16_t> interleaved = test::NoiseSamples(std::size_t(frames) * channels, seed);
    clip.bytes = test::PcmBytes(interleaved);
    clip.left = Channel(interleaved, 0, channels);
    clip.right = channels == 2 ? Channel(interleaved, 1, 2) : clip.left;
    return clip;
}

void Prepare(WaveHeader& header, const Clip& clip, std::uint32_t flags, std::uint32_t loops) {
    header.lpData = clip.bytes.data();
    header.dwBufferLength = static_cast<std::uint32_t>(clip.bytes.size());
    header.dwFlags = flags;
    header.dwLoops = loops;
}

bool WaitFor(const WaveHeader& header, std::uint32_t flag, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (header.dwFlags.load() & flag)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

class WaveOutTest : public testing::Test {
protected:
    static void SetUpTestSuite() { StartSound(); }
    void SetUp() override {
        ASSERT_GT(GetSndDeviceCountDS(), 0) << "no output device: is the test sound server running?";
        WaveOutSetVolume(WAVE_MAPPER, 0xFFFFFFFFu);
    }
    void TearDown() override {
        WaveOutSetVolume(WAVE_MAPPER, 0xFFFFFFFFu);
        EXPECT_EQ(WaveOutOpenStreams(), 0);
    }

    // Plays `clip` looped on the default output until the sink has heard it five times over (the
    // stream's first moments may be lost on the monitor) and returns what the sink received.
    std::vector<std::int16_t> PlayLooped(const Clip& clip) {
        MonitorRecording recording;
        WaveOut out;
        EXPECT_EQ(out.Open(WAVE_MAPPER, clip.format), MMSYSERR_NOERROR);
        WaveHeader header;
        Prepare(header, clip, WHDR_BEGINLOOP | WHDR_ENDLOOP, kLoopForever);
        EXPECT_EQ(out.PrepareHeader(header), MMSYSERR_NOERROR);
        EXPECT_EQ(out.Write(header), MMSYSERR_NOERROR);
        EXPECT_TRUE(recording.WaitForSound(5 * clip.left.size())) << "the sink heard too little";
        EXPECT_FALSE(header.dwFlags.load() & WHDR_DONE) << "an endless loop ended";
        EXPECT_EQ(out.Reset(), MMSYSERR_NOERROR);
        EXPECT_TRUE(header.dwFlags.load() & WHDR_DONE);
        EXPECT_EQ(out.UnprepareHeader(header), MMSYSERR_NOERROR);
        EXPECT_EQ(out.Close(), MMSYSERR_NOERROR);
        return recording.Take();
    }
};

TEST_F(WaveOutTest, LoopedStereoBufferComesOutRepeatedUnchanged) {
    const Clip clip = NoiseClip(2, 12000, 1);
    const auto recorded = PlayLooped(clip);
    test::ExpectRepeated(Channel(recorded, 0), clip.left);
    test::ExpectRepeated(Channel(recorded, 1), clip.right);
}

TEST_F(WaveOutTest, MonoBufferGoesToBothChannelsAndVolumeScalesEachSide) {
    const Clip clip = NoiseClip(1, 9000, 2);
    ASSERT_EQ(WaveOutSetVolume(WAVE_MAPPER, 0x8000u), MMSYSERR_NOERROR); // left half, right silent
    std::uint32_t volume = 0;
    ASSERT_EQ(WaveOutGetVolume(0, volume), MMSYSERR_NOERROR);
    EXPECT_EQ(volume, 0x8000u) << "one volume for the whole program, whichever device is asked";

    const auto recorded = PlayLooped(clip);
    test::ExpectRepeated(Channel(recorded, 0), clip.left, 0x8000 / 65535.0);
    const std::vector<double> right = Channel(recorded, 1);
    EXPECT_EQ(test::Rms(right.data(), right.size()), 0.0);
}

TEST_F(WaveOutTest, UnloopedBufferPlaysOnceWholeThenIsDone) {
    const Clip clip = NoiseClip(2, 14400, 3);
    MonitorRecording recording;
    WaveOut out;
    ASSERT_EQ(out.Open(WAVE_MAPPER, clip.format), MMSYSERR_NOERROR);
    WaveHeader header;
    Prepare(header, clip, 0, 1);
    ASSERT_EQ(out.PrepareHeader(header), MMSYSERR_NOERROR);
    ASSERT_EQ(out.Write(header), MMSYSERR_NOERROR);
    ASSERT_TRUE(WaitFor(header, WHDR_DONE, 30000));
    EXPECT_FALSE(header.dwFlags.load() & WHDR_INQUEUE);
    const auto recorded = recording.Take();
    EXPECT_EQ(out.Reset(), MMSYSERR_NOERROR);
    EXPECT_EQ(out.UnprepareHeader(header), MMSYSERR_NOERROR);
    EXPECT_EQ(out.Close(), MMSYSERR_NOERROR);

    // A stream joining an idle sink may lose its first milliseconds on the monitor (the server rewinds
    // into audio it has already recorded), so the match starts a little way in; the end must all be there.
    constexpr std::size_t kSkip = 2400;
    const std::vector<double> left = Channel(recorded, 0);
    const std::vector<double> rest(clip.left.begin() + kSkip, clip.left.end());
    const test::Match start = test::FindPattern(left, std::vector<double>(rest.begin(), rest.begin() + 512));
    ASSERT_GT(start.correlation, 0.999);
    if (test::kGapsExpected)
        return;
    EXPECT_GT(test::RepeatCorrelation(left, start.at, rest, 1), 0.999) << "the end of the buffer was cut";
    const std::size_t after = start.at + rest.size();
    ASSERT_LT(after, left.size()) << "done before the last sample was heard";
    EXPECT_EQ(test::Rms(left.data() + after, left.size() - after), 0.0) << "it played more than once";
}

TEST_F(WaveOutTest, RefusalsCarryTheirCodesAndTexts) {
    const Clip clip = NoiseClip(1, 4800, 4);
    WaveOut out;
    const int count = GetSndDeviceCountDS();
    for (int id : {count, count + 100, -2}) {
        EXPECT_EQ(out.Open(id, clip.format), MMSYSERR_BADDEVICEID) << id;
        std::uint32_t volume = 0;
        EXPECT_EQ(WaveOutSetVolume(id, 0), MMSYSERR_BADDEVICEID) << id;
        EXPECT_EQ(WaveOutGetVolume(id, volume), MMSYSERR_BADDEVICEID) << id;
    }
    std::uint32_t kept = 1;
    ASSERT_EQ(WaveOutGetVolume(WAVE_MAPPER, kept), MMSYSERR_NOERROR);
    EXPECT_EQ(kept, 0u) << "the volume set through a refused id was dropped";
    EXPECT_EQ(WaveOutGetErrorText(MMSYSERR_BADDEVICEID), "The device identifier is out of range.");
    EXPECT_EQ(WaveOutGetErrorText(12345), "");
    // A code without a text leaves the message at its prefix, without a trailing space.
    const QString prefix = QStringLiteral("Could not open the output device for playing: ");
    EXPECT_EQ(audio::StoreWaveOutError(12345, prefix), prefix);
    EXPECT_EQ(audio::LastWaveOutError(), prefix);

    WaveFormatEx eightBit = clip.format;
    eightBit.wBitsPerSample = 8;
    EXPECT_EQ(out.Open(WAVE_MAPPER, eightBit), WAVERR_BADFORMAT);
    WaveFormatEx badAlign = clip.format;
    badAlign.nBlockAlign = 4;
    EXPECT_EQ(out.Open(WAVE_MAPPER, badAlign), WAVERR_BADFORMAT);
    EXPECT_FALSE(out.IsOpen());

    ASSERT_EQ(out.Open(WAVE_MAPPER, clip.format), MMSYSERR_NOERROR);
    WaveHeader header;
    Prepare(header, clip, WHDR_BEGINLOOP | WHDR_ENDLOOP, kLoopForever);
    EXPECT_EQ(out.Write(header), WAVERR_UNPREPARED);
    ASSERT_EQ(out.PrepareHeader(header), MMSYSERR_NOERROR);
    ASSERT_EQ(out.Write(header), MMSYSERR_NOERROR);
    EXPECT_EQ(out.Write(header), WAVERR_STILLPLAYING);
    EXPECT_EQ(out.UnprepareHeader(header), WAVERR_STILLPLAYING);
    EXPECT_EQ(out.Close(), WAVERR_STILLPLAYING);
    EXPECT_TRUE(out.IsOpen());
    EXPECT_EQ(out.Reset(), MMSYSERR_NOERROR);
    EXPECT_EQ(out.UnprepareHeader(header), MMSYSERR_NOERROR);
    EXPECT_EQ(out.Close(), MMSYSERR_NOERROR);
    EXPECT_EQ(out.Close(), MMSYSERR_INVALHANDLE);
}

// A stream that would not stop may still be reading the buffer: the header stays queued, so the device
// cannot be closed over it, and a later reset that works ends it as usual.
TEST_F(WaveOutTest, AResetWhoseAbortFailsLeavesTheBufferPlaying) {
    const Clip clip = NoiseClip(1, 4800, 7);
    WaveOut out;
    WaveHeader header;
    {
        MonitorRecording recording;
        ASSERT_EQ(out.Open(WAVE_MAPPER, clip.format), MMSYSERR_NOERROR);
        Prepare(header, clip, WHDR_BEGINLOOP | WHDR_ENDLOOP, kLoopForever);
        ASSERT_EQ(out.PrepareHeader(header), MMSYSERR_NOERROR);
        ASSERT_EQ(out.Write(header), MMSYSERR_NOERROR);
        ASSERT_TRUE(recording.WaitForSound(clip.left.size()));
    }
    MMRESULT failed = MMSYSERR_NOERROR;
    {
        const test::Refusing refusing(portaudiopath::AbortStream);
        failed = out.Reset();
    }
    EXPECT_NE(failed, MMSYSERR_NOERROR);
    EXPECT_EQ(WaveOutGetErrorText(failed), Pa_GetErrorText(test::kRefusal));
    EXPECT_EQ(header.dwFlags.load() & (WHDR_INQUEUE | WHDR_DONE), WHDR_INQUEUE);
    EXPECT_EQ(out.UnprepareHeader(header), WAVERR_STILLPLAYING);
    EXPECT_EQ(out.Close(), WAVERR_STILLPLAYING);
    MonitorRecording after;
    EXPECT_TRUE(after.WaitForSound(2 * clip.left.size())) << "the stream stopped after all";

    EXPECT_EQ(out.Reset(), MMSYSERR_NOERROR);
    EXPECT_TRUE(header.dwFlags.load() & WHDR_DONE);
    EXPECT_EQ(out.UnprepareHeader(header), MMSYSERR_NOERROR);
    EXPECT_EQ(out.Close(), MMSYSERR_NOERROR);
}

TEST_F(WaveOutTest, ACloseThatFailsKeepsTheDeviceOpen) {
    const Clip clip = NoiseClip(2, 4800, 8);
    WaveOut out;
    ASSERT_EQ(out.Open(WAVE_MAPPER, clip.format), MMSYSERR_NOERROR);
    WaveHeader header;
    Prepare(header, clip, WHDR_BEGINLOOP | WHDR_ENDLOOP, kLoopForever);
    ASSERT_EQ(out.PrepareHeader(header), MMSYSERR_NOERROR);
    ASSERT_EQ(out.Write(header), MMSYSERR_NOERROR);
    ASSERT_EQ(out.Reset(), MMSYSERR_NOERROR);
    ASSERT_EQ(out.UnprepareHeader(header), MMSYSERR_NOERROR);
    MMRESULT failed = MMSYSERR_NOERROR;
    {
        const test::Refusing refusing(portaudiopath::CloseStream);
        failed = out.Close();
    }
    EXPECT_EQ(WaveOutGetErrorText(failed), Pa_GetErrorText(test::kRefusal));
    EXPECT_TRUE(out.IsOpen());
    EXPECT_EQ(WaveOutOpenStreams(), 1);
    EXPECT_EQ(out.Close(), MMSYSERR_NOERROR);
    EXPECT_EQ(WaveOutOpenStreams(), 0);
}

TEST_F(WaveOutTest, EveryListedDeviceHasANameAndOpens) {
    const Clip clip = NoiseClip(2, 4800, 5);
    for (int id = 0; id < GetSndDeviceCountDS(); ++id) {
        SndStringHandle handle = nullptr;
        const std::string name = GetSndDeviceNameDS(id, &handle);
        DSFreeString(handle);
        EXPECT_FALSE(name.empty()) << id;
        WaveOut out;
        EXPECT_EQ(out.Open(id, clip.format), MMSYSERR_NOERROR) << name;
    }
    SndStringHandle handle = nullptr;
    EXPECT_STREQ(GetSndDeviceNameDS(GetSndDeviceCountDS(), &handle), "");
    DSFreeString(handle);
}

// PortAudio's list read again: never under an open stream, and every device id keeps its name and finds the
// device of that name, while other threads read the tables.
TEST_F(WaveOutTest, ReadingTheDeviceListAgainWaitsForOpenStreamsAndKeepsEveryIdAndName) {
    const Clip clip = NoiseClip(2, 9600, 7);
    const int count = portaudiopath::OutputDeviceCount();
    std::vector<std::string> names;
    for (int id = 0; id < count; ++id)
        names.push_back(portaudiopath::OutputDeviceName(id));
    {
        WaveOut out;
        ASSERT_EQ(out.Open(WAVE_MAPPER, clip.format), MMSYSERR_NOERROR);
        EXPECT_FALSE(portaudiopath::Refresh()) << "the list was read again under an open stream";
    }
    std::atomic<bool> done{false};
    std::atomic<int> wrongNames{0};
    std::thread reader([&] {
        while (!done.load()) {
            for (int id = 0; id < count; ++id) {
                if (portaudiopath::OutputDeviceName(id) != names[static_cast<std::size_t>(id)])
                    ++wrongNames;
                portaudiopath::OutputDevice(id);
            }
        }
    });
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(portaudiopath::Refresh());
    done = true;
    reader.join();
    EXPECT_EQ(wrongNames.load(), 0);
    ASSERT_EQ(portaudiopath::OutputDeviceCount(), count);
    for (int id = -1; id < count; ++id) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(portaudiopath::Unresolved(id));
        const PaDeviceIndex device = portaudiopath::OutputDevice(id);
        ASSERT_NE(device, paNoDevice);
        const auto lock = portaudiopath::Lock();
        const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->name, portaudiopath::OutputDeviceName(id));
    }
    const auto recorded = PlayLooped(clip);
    test::ExpectRepeated(Channel(recorded, 0), clip.left);
}

// A sound server moves the streams of a sink that goes to another sink: the stream plays on and is not
// lost, and only a look at the output tells that it has gone. An output in use is not gone.
TEST_F(WaveOutTest, AnOutputWhoseSinkIsUnloadedIsGoneWhileItsStreamPlaysOn) {
    const char* pcm = std::getenv("MURMEX_TEST_PCM_2");
    ASSERT_NE(pcm, nullptr) << "run inside scripts/testenv.sh";
    int second = -1;
    for (int id = 0; id < portaudiopath::OutputDeviceCount(); ++id) {
        if (portaudiopath::OutputDeviceName(id) == pcm)
            second = id;
    }
    ASSERT_GE(second, 0);
    const Clip clip = NoiseClip(2, 9600, 8);
    EXPECT_FALSE(WaveOut::Gone(second, clip.format));
    EXPECT_TRUE(WaveOut::Gone(portaudiopath::OutputDeviceCount(), clip.format));
    WaveOut out;
    WaveHeader header;
    Prepare(header, clip, WHDR_BEGINLOOP | WHDR_ENDLOOP, kLoopForever);
    ASSERT_EQ(out.Open(second, clip.format), MMSYSERR_NOERROR);
    out.PrepareHeader(header);
    ASSERT_EQ(out.Write(header), MMSYSERR_NOERROR);
    EXPECT_FALSE(WaveOut::Gone(second, clip.format)) << "an output in use counts as gone";
    {
        test::SecondSinkAway away;
        MonitorRecording recording;
        EXPECT_TRUE(recording.WaitForSound(clip.left.size())) << "the server did not move the stream";
        EXPECT_FALSE(out.Lost());
        EXPECT_TRUE(WaveOut::Gone(second, clip.format));
        away.Return();
        EXPECT_FALSE(WaveOut::Gone(second, clip.format));
    }
    EXPECT_EQ(out.Reset(), MMSYSERR_NOERROR);
    out.UnprepareHeader(header);
    EXPECT_EQ(out.Close(), MMSYSERR_NOERROR);
}

// The sound libraries' probing prints dozens of lines to stderr; none may reach the user's terminal.
TEST(WaveOutQuietTest, StartingTheSoundSystemAndPlayingPrintNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process: the sound system starts only once
    EXPECT_EXIT(
        {
            const Clip clip = NoiseClip(1, 4800, 6);
            WaveOut out;
            const bool played = StartSound() && GetSndDeviceCountDS() > 0 &&
                                out.Open(WAVE_MAPPER, clip.format) == MMSYSERR_NOERROR &&
                                out.Close() == MMSYSERR_NOERROR;
            std::_Exit(played ? 0 : 1);
        },
        testing::ExitedWithCode(0), "^$");
}

// The stream callback runs on a thread the sound library started, below the library's own frames.
// ThreadSanitizer must still see what it does, or no race with it would ever be found: here the buffer
// is written while it plays, a race the report has to name the callback in.
TEST(WaveOutSanitizerTest, ThreadSanitizerSeesTheCallback) {
#if !MURMEX_UNDER_TSAN
    GTEST_SKIP() << "a check of the ThreadSanitizer run";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            StartSound();
            Clip clip = NoiseClip(1, 4800, 9);
            WaveOut out;
            WaveHeader header;
            Prepare(header, clip, WHDR_BEGINLOOP | WHDR_ENDLOOP, kLoopForever);
            if (out.Open(WAVE_MAPPER, clip.format) != MMSYSERR_NOERROR || out.PrepareHeader(header) ||
                out.Write(header))
                std::_Exit(1);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
            while (std::chrono::steady_clock::now() < deadline) {
                for (std::uint8_t& byte : clip.bytes)
                    byte ^= 1;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            std::_Exit(0);
        },
        [](int) { return true; }, "data race.*PlayCallback");
#endif
}

} // namespace
} // namespace murmex::platform
