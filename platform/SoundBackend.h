// One way of reaching the sound: the desktop's sound server, or PortAudio where none answers. Exactly one is in
// use for the whole run, picked once at start by StartSound(); the wave-out (platform/WaveOut.h) and the
// sound-device library (platform/SndDevices.h) sit on top of it, and its events reach the window through the
// change observer and the players through their streams and wakers.
//
// Threads: StartSound() on the interface thread, before anything plays. Everything else any thread; the observer
// and the wakers are called on the implementation's own thread and must return at once. The backend in use lives
// until the process ends: a player that outlives the program's orderly end may still reach it.
#pragma once

#include "platform/WaveOutDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace murmex::platform {

// The key of the output that device id -1 names: the desktop's default output, wherever that is. The sound
// server's list shows it as its first entry; PortAudio's list does not show it.
inline constexpr char kDefaultOutputKey[] = "@DEFAULT_SINK@";

struct SoundOutput {
    std::string key;  // what finds the output again whatever its place in the list
    std::string name; // what the user is shown

    bool operator==(const SoundOutput&) const = default;
};

class SoundBackend {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~SoundBackend() = default;

    // The outputs in the order to show; their positions are the device ids.
    virtual std::vector<SoundOutput> Outputs() const = 0;
    // What device id -1 plays on: kDefaultOutputKey with the default output's name, or an empty key when there
    // is no default output.
    virtual SoundOutput DefaultOutput() const = 0;
    // True when `key` names an output listed now (kDefaultOutputKey: when there is a default output).
    virtual bool Listed(const std::string& key) const = 0;
    // True when the output of `key` could be opened now, or is only in use. As costly as an Open on some ways.
    virtual bool CanOpen(const std::string& key, const WaveFormatEx& format) = 0;
    // A stream on the output of `key`, stopped; null with the reason in `error`. `title` names what plays.
    virtual std::unique_ptr<WaveOut::Device> Open(const std::string& key, const WaveFormatEx& format,
                                                  const std::string& title, MMRESULT& error) = 0;
    // Every open stream takes ProgramVolume() now.
    virtual void ApplyVolume() {}
    // The text of one of this way's own error codes, or an empty text.
    virtual std::string ErrorText(MMRESULT code) const = 0;
    // Streams open right now.
    virtual int OpenStreams() const = 0;
    // True while a sound server found at start has not answered: nothing is listed and nothing plays until it has.
    virtual bool Pending() const { return false; }
    // The word that names the entry standing for the default output, in the interface's language.
    virtual void SetDefaultLabel(const std::string& /*label*/) {}
    // One observer, told when the outputs changed or the volume or output was changed outside the program; an
    // empty one ends the calls, and once this returns no call of the one before is still running.
    virtual void SetChangeObserver(std::function<void()> /*observer*/) {}

    // A player waiting for the output of `key` to come back wants `wake` called whenever it can be opened again;
    // the way looks for it (and reads its list again) as it needs to. `wake` is called on another thread and must
    // return at once. One entry per `owner`; an empty key ends it, and once that call has returned no call of
    // the owner's `wake` is running.
    virtual void AwaitOutput(const void* /*owner*/, const std::string& /*key*/, const WaveFormatEx& /*format*/,
                             std::function<void()> /*wake*/) {}

    // The clock the players' pauses are timed by, and their wait on their own condition until `deadline` of it
    // (or a notification). Real time, unless a test drives it.
    virtual Clock::time_point Now() const { return Clock::now(); }
    virtual void WaitUntil(std::condition_variable& condition, std::unique_lock<std::mutex>& lock,
                           Clock::time_point deadline) const {
        condition.wait_until(lock, deadline);
    }
};

// Picks the way (MURMEX_SOUND_PATH=portaudio takes PortAudio; otherwise a sound server that takes the
// connection wins), starts it and reads its outputs; later calls only report how that went. False when the
// sound cannot be reached. A backend a test has put in place is kept.
bool StartSound();

// The backend in use; before StartSound() one that lists nothing and opens nothing.
SoundBackend& Sound();

// The thread that ran StartSound(), or a default id while nothing has.
std::thread::id SoundStartedOn();

// The output a device id names in the list in use now (-1: the default output), or an empty one.
SoundOutput OutputOf(int deviceId);
// The output of `key` in that list, or one with an empty name when none is listed.
SoundOutput OutputOfKey(const std::string& key);

// Puts `backend` in place of whatever StartSound() would pick, for the rest of the process; call it before
// anything plays.
void UseSoundBackend(std::unique_ptr<SoundBackend> backend);

} // namespace murmex::platform
