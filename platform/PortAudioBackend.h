// The way to the sound through PortAudio: where no sound server answers, and on other systems. Its own files and
// the tests and benchmarks that reach into it include this header; everything else goes through SoundBackend.
//
// The one PortAudio instance of the process. StartBackend() brings PortAudio up and reads its device list, once,
// on the interface thread: nothing starts it on the way, so the library's first probing (slow, and the
// environment variable it needs is written then) never runs on a player thread in the middle of opening a
// stream. Refresh() probes again, but only while no stream is open, with that variable in place already; the
// library then writes no environment of its own (looked at with breakpoints on setenv, putenv and unsetenv).
// What the start read stays readable until the process ends. Every PortAudio call outside a stream callback is
// made while holding Lock(). Any thread, StartBackend() excepted.
//
// The device ids and their names are those the start read, for the whole run; an output's key is its name.
// Where PortAudio finds each of them may change: Refresh() reads PortAudio's list again (an output that was
// unplugged and came back may sit at another place) and maps every device id to the output of the same name
// in it, or to none. The tables are immutable and published whole; a refresh publishes new ones and never
// frees the old, which a reader on another thread may still be looking at.
#pragma once

#include "platform/SoundBackend.h"

#include <portaudio.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

namespace murmex::platform::portaudiopath {

// Starts PortAudio and reads its outputs; null when PortAudio cannot be used. Once, on the interface thread.
std::unique_ptr<SoundBackend> StartBackend();

// Serialises the caller's PortAudio calls.
std::unique_lock<std::mutex> Lock();

// These take no lock: what they read is a table published whole.

// Number of devices that could play sound at the start; their positions 0..count-1 are the device ids.
int OutputDeviceCount();

// PortAudio's device for a device id (-1 is the default output), or paNoDevice when it names none, as of
// the last reading of PortAudio's list.
PaDeviceIndex OutputDevice(int deviceId);

// True when the device id named a device at the start, or is -1, but the last reading of the list found none
// for it (it was read while the output or the whole sound system was away).
bool Unresolved(int deviceId);

// The name a device id had at the start; for -1, the name of the default output as of the last reading.
std::string OutputDeviceName(int deviceId);

// The device id of an output's key: -1 for kDefaultOutputKey, -2 for a key that names no device.
int DeviceOfKey(const std::string& key);

// Reads PortAudio's device list again (Pa_Terminate and Pa_Initialize, under Lock()). Pa_Terminate would
// close every open stream under its owner's feet, so nothing is done while a stream is open anywhere in the
// process. Slow (the library probes every device again), but bounded; call it only when an output could not
// be found, and not more than every few seconds. True when the list was read again.
bool Refresh();

// Streams open right now. Each stream is counted while Lock() is held around opening it, and after closing
// it, so that Refresh() never finds an open stream uncounted.
void CountOpenStream(int change);
int OpenStreams();

// The stream on the output of `key`, the probe of an output, and the text of an error code (WaveOutPortAudio.cpp).
std::unique_ptr<WaveOut::Device> OpenDevice(const std::string& key, const WaveFormatEx& format, MMRESULT& error);
bool Gone(int deviceId, const WaveFormatEx& format);
std::string ErrorText(MMRESULT code);

// PortAudio never says that an output went away while its stream plays on (a sound server behind ALSA moves the
// stream elsewhere), nor that one came back: the watcher looks (PortAudioWatch.cpp). Its thread runs only while
// there is something to look after. Every second it probes the output of each watched stream and each awaited
// output; while an awaited output cannot be opened and no stream is open, it reads the list again, at most every
// kRefreshEvery.
struct Watched {
    std::string key;
    WaveFormatEx format;
    // OnOutput, Elsewhere once a probe found the output not there, Returned once a later one found it back.
    std::atomic<WaveOut::Placement> where{WaveOut::Placement::OnOutput};
};
void Watch(const std::shared_ptr<Watched>& stream);
void Unwatch(const std::shared_ptr<Watched>& stream);
// `wake` is called while the watcher holds its lock, so that once a call with an empty key returns, no call of the
// owner's `wake` is running.
void Await(const void* owner, const std::string& key, const WaveFormatEx& format, std::function<void()> wake);
// Reads the list again when the last reading is older than kRefreshEvery and `key` is worth it: a listed output
// that cannot be opened where the list says, or one the last reading did not find. True when it was read.
bool RefreshFor(const std::string& key);
inline constexpr std::chrono::seconds kRefreshEvery{5};

// Replacements of PortAudio's calls that start a stream, that stop it at once and that close it; null
// (PortAudio's own) unless a test puts one in place to make them fail. A replacement must be in place before
// the call it stands in for begins.
inline std::atomic<PaError (*)(PaStream*)> StartStream{nullptr};
inline std::atomic<PaError (*)(PaStream*)> AbortStream{nullptr};
inline std::atomic<PaError (*)(PaStream*)> CloseStream{nullptr};

// Keeps the library's chatter (ALSA and JACK probing) out of the user's terminal while it lives.
// Process-wide: other threads' stderr output is lost meanwhile, unless they write under HoldStderr(), which
// this holds (platform/LibraryNoise.h); so keep it short.
class QuietStderr {
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    std::unique_lock<std::recursive_mutex> m_held;
    int m_saved = -1;
};

} // namespace murmex::platform::portaudiopath
