// The one PortAudio instance of the process, shared by the wave-out stand-in and the device list.
// PortAudio is started once, on first use, and stays up until the process ends; its device list is
// read then and never changes. Every PortAudio call outside a stream callback is made while holding
// Lock(). Any thread.
#pragma once

#include <portaudio.h>

#include <mutex>
#include <string>

namespace murmex::platform::audiohost {

// Starts PortAudio if needed and serialises the caller's PortAudio calls.
std::unique_lock<std::mutex> Lock();

// These start PortAudio if needed and take no lock: what they read is fixed once it has started.

// Number of devices that can play sound; their positions 0..count-1 are the device ids.
int OutputDeviceCount();

// PortAudio's device for a device id (-1 is the default output), or paNoDevice when it names none.
PaDeviceIndex OutputDevice(int deviceId);

std::string OutputDeviceName(int deviceId);

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
