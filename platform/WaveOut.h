// Wave-out: plays one PCM buffer on an output device, once or looped a given number of times, with
// a done flag the owner polls; plus the program-wide left/right output volume.
// Lifecycle: Open -> PrepareHeader -> Write -> (poll WHDR_DONE) -> Reset -> UnprepareHeader -> Close.
// A WaveOut and its header are used by one thread at a time; the device's callback thread only reads
// the buffer and the volume and sets the header's flags, without locks or allocation. The volume
// functions may be called from any thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace murmex::platform {

using MMRESULT = std::uint32_t;

inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;

inline constexpr int WAVE_MAPPER = -1;

inline constexpr std::uint32_t WHDR_DONE = 1;
inline constexpr std::uint32_t WHDR_PREPARED = 2;
inline constexpr std::uint32_t WHDR_BEGINLOOP = 4;
inline constexpr std::uint32_t WHDR_ENDLOOP = 8;
inline constexpr std::uint32_t WHDR_INQUEUE = 16;

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The 18-byte wave format record, as a RIFF "fmt " chunk stores it.
struct WaveFormatEx {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;

    static constexpr std::size_t kStoredSize = 18;
    bool operator==(const WaveFormatEx&) const = default;
};

// The buffer handed to the device. With WHDR_BEGINLOOP | WHDR_ENDLOOP it is played dwLoops times
// (0xFFFFFFFF is in practice endless), otherwise once. The device sets WHDR_DONE once the last
// sample has been heard, or at Reset.
struct WaveHeader {
    const std::uint8_t* lpData = nullptr;
    std::uint32_t dwBufferLength = 0;
    std::uint32_t dwBytesRecorded = 0;
    std::uintptr_t dwUser = 0;
    std::atomic<std::uint32_t> dwFlags{0};
    std::uint32_t dwLoops = 0;
};

class WaveOut {
public:
    WaveOut();
    // Resets and closes a device still open. A device whose stream would not stop or close is kept for life,
    // for the stream may still call into it; its buffer and header are then the owner's to keep alive.
    ~WaveOut();
    WaveOut(const WaveOut&) = delete;
    WaveOut& operator=(const WaveOut&) = delete;

    // 16-bit PCM, mono or stereo, any rate the device accepts. deviceId -1 is the default output. Before
    // the audio host has started there is no device. `title` names what plays where the desktop shows the
    // program's streams.
    MMRESULT Open(int deviceId, const WaveFormatEx& format, const std::string& title = {});
    // Alike, on the output that `key` names (platform/SoundBackend.h), wherever it is in the list now.
    MMRESULT OpenOutput(const std::string& key, const WaveFormatEx& format, const std::string& title = {});
    MMRESULT PrepareHeader(WaveHeader& header);
    // One buffer at a time: a second write while one is queued gives WAVERR_STILLPLAYING.
    MMRESULT Write(WaveHeader& header);
    // Stops at once and marks the queued buffer done. When the stream would not stop, the error comes back
    // and the buffer stays queued: the stream may still read it and set its header's flags.
    MMRESULT Reset();
    MMRESULT UnprepareHeader(WaveHeader& header);
    // Refused with WAVERR_STILLPLAYING while a buffer is queued. When the stream would not close, the error
    // comes back and the device stays open.
    MMRESULT Close();

    bool IsOpen() const;

    // True when a buffer is queued but the stream has ended by itself: its sound server or output went
    // away. The buffer will never be done; Reset and Close still release the stream, and a new Open of the
    // same device works once the output is back (the device list need not be read again).
    bool Lost() const;

    // True when `deviceId` cannot be opened for `format` for another reason than being in use (which a
    // device that takes one stream is while this program plays on it): its output is not there. Opens a
    // stream and closes it at once, without playing; as costly as an Open. A sound server that moves the
    // streams of an output that goes away to another one keeps them playing, so that Lost() never tells;
    // this does.
    static bool Gone(int deviceId, const WaveFormatEx& format);

    // Where the open stream plays: on the output it was opened on; elsewhere meanwhile, because that output is
    // away (the sound server moved the stream, and moves it back once the output returns); elsewhere while the
    // output is back, when only a new Open returns to it; or unknown (no stream).
    enum class Placement { OnOutput, Elsewhere, Returned, Unknown };
    Placement WhereItPlays() const;

    // The key of the output the user last moved the open stream to (in the desktop's mixer), or an empty text.
    std::string MovedByUser() const;

    // Asks the stream to call `wake` whenever it ends by itself, its buffer is done or it is moved; `wake` is
    // called on another thread and must return at once. False when the stream cannot tell: its owner then
    // looks at it now and then.
    bool SetWake(std::function<void()> wake);

    struct Device;

private:
    std::unique_ptr<Device> m_device;
};

// The text of an error code, or an empty text for a code without one.
std::string WaveOutGetErrorText(MMRESULT code);

// The program's output volume, left in the low 16 bits and right in the high 16 bits; full at start.
// It is one setting for the whole program, reached through any valid device id (-1 included).
MMRESULT WaveOutSetVolume(int deviceId, std::uint32_t volume);
MMRESULT WaveOutGetVolume(int deviceId, std::uint32_t& volume);

// True, with the volume, once after the volume was changed outside the program (in the desktop's mixer).
bool WaveOutTakeOutsideVolume(std::uint32_t& volume);

// True, with the output's key, once after the user moved the program's sound to another output outside the
// program (in the desktop's mixer).
bool WaveOutTakeOutsideOutput(std::string& key);

// Keeps `what` until the process ends: what a stream that would not stop or close may still read or write.
void KeepForLife(std::shared_ptr<const void> what);

// Streams open right now, over all WaveOut objects (for tests and diagnostics).
int WaveOutOpenStreams();

} // namespace murmex::platform
