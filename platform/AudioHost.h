// The one PortAudio instance of the process, shared by the wave-out stand-in and the device list.
// Start() brings PortAudio up and reads its device list, once, on the interface thread: nothing starts it
// on the way, so the library's probing (slow, and it writes the environment) never runs on a player
// thread in the middle of opening a stream. Until Start() there are no devices. What Start() read stays
// readable until the process ends, also for a player that outlives the program's orderly end. Every
// PortAudio call outside a stream callback is made while holding Lock(). Any thread, Start() excepted.
#pragma once

#include <portaudio.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace murmex::platform::audiohost {

// Starts PortAudio and reads its device list; later calls only report how that went. Call it on the
// interface thread before anything plays. False when the sound system cannot be used.
bool Start();

// The thread that ran Start(), or a default id while nothing has.
std::thread::id StartedOn();

// Serialises the caller's PortAudio calls.
std::unique_lock<std::mutex> Lock();

// These take no lock: what they read is fixed once Start() has run.

// Number of devices that can play sound; their positions 0..count-1 are the device ids.
int OutputDeviceCount();

// PortAudio's device for a device id (-1 is the default output), or paNoDevice when it names none.
PaDeviceIndex OutputDevice(int deviceId);

std::string OutputDeviceName(int deviceId);

// PortAudio's calls that stop a stream at once and that close it. Only tests replace them, to make them
// fail; a replacement must be in place before the call it stands in for begins.
inline std::atomic<PaError (*)(PaStream*)> AbortStream{Pa_AbortStream};
inline std::atomic<PaError (*)(PaStream*)> CloseStream{Pa_CloseStream};

// Keeps the library's chatter (ALSA and JACK probing) out of the user's terminal while it lives.
// Process-wide: other threads' stderr output is lost meanwhile, so keep it short.
class QuietStderr {
public:
    QuietStderr();
    ~QuietStderr();
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int m_saved = -1;
};

} // namespace murmex::platform::audiohost
