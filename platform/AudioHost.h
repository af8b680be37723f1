// How the process reaches the sound: through the desktop's sound server (platform/SoundServer.h) when one
// takes the connection at start, else through PortAudio. MURMEX_SOUND_PATH=portaudio in the environment takes PortAudio
// even while a server runs (PortAudio then reaches the server through ALSA's pulse plugin, if at all).
// The device ids are positions in the list of the path in use. On the server path the list follows the
// server's outputs, so an id may name another output later; an output's key does not change.
//
// The one PortAudio instance of the process, shared by the wave-out stand-in and the device list.
// Start() brings PortAudio up and reads its device list, once, on the interface thread: nothing starts it
// on the way, so the library's first probing (slow, and the environment variable it needs is written
// then) never runs on a player thread in the middle of opening a stream. Refresh() probes again on a
// player thread, but only while no stream is open, with that variable in place already; the library then
// writes no environment of its own (looked at with breakpoints on setenv, putenv and unsetenv). Until
// Start() there are no devices. What Start() read stays readable until the process ends, also for a
// player that outlives the program's orderly end. Every PortAudio call outside a stream callback is made
// while holding Lock(). Any thread, Start() excepted.
//
// The device ids and their names are those Start() read, for the whole run. Where PortAudio finds each of
// them may change: Refresh() reads PortAudio's list again (an output that was unplugged and came back may
// sit at another place) and maps every device id to the output of the same name in it, or to none. The
// tables are immutable and published whole; a refresh publishes new ones and never frees the old, which a
// reader on another thread may still be looking at.
#pragma once

#include <portaudio.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace murmex::platform::audiohost {

// Picks the path, starts it and reads its device list; later calls only report how that went. Call it on the
// interface thread before anything plays. False when the sound system cannot be used.
bool Start();

// True when the sound server's path is in use.
bool OnSoundServer();

// True while the sound server found at start has not answered yet: it lists no outputs, and nothing can play
// until it does. The change observer hears when it has.
bool OutputsPending();

// The thread that ran Start(), or a default id while nothing has.
std::thread::id StartedOn();

// Serialises the caller's PortAudio calls.
std::unique_lock<std::mutex> Lock();

// These take no lock: what they read is a table published whole.

// Number of devices that could play sound at Start(); their positions 0..count-1 are the device ids.
int OutputDeviceCount();

// PortAudio's device for a device id (-1 is the default output), or paNoDevice when it names none, as of
// the last reading of PortAudio's list.
PaDeviceIndex OutputDevice(int deviceId);

// True when the device id named a device at Start(), or is -1, but the last reading of the list found none
// for it (it was read while the output or the whole sound system was away).
bool Unresolved(int deviceId);

// The name a device id had at Start(); for -1, the name of the default output as of the last reading. On the
// server path, the names as last read.
std::string OutputDeviceName(int deviceId);

// What finds a device again whatever its id: the server's own name of the output, or PortAudio's name of the
// device. Empty for an id that names no device.
std::string OutputDeviceKey(int deviceId);

// The device id whose key is `key` now, or -2 when none is listed.
int OutputDeviceOfKey(const std::string& key);

// True for the entry that stands for the desktop's default output wherever that is, whatever its name says. Only
// the sound server's list has one.
bool StandsForDefault(int deviceId);

// `observer` is called on another thread (or on SetDefaultOutputLabel's), and must return at once, whenever the list of
// outputs has changed or the program's volume was changed outside it (in the desktop's mixer). One observer; an empty
// one ends the calls, and once this returns no call of the one before is still running. Never called on the PortAudio
// path, whose list is read once.
void SetChangeObserver(std::function<void()> observer);

// The word that names the entry standing for the desktop's default output, in the interface's language
// ("Default" until set); a change renames the entry and is told to the observer. Nothing on the PortAudio
// path, which has no such entry.
void SetDefaultOutputLabel(const std::string& label);

// Reads PortAudio's device list again (Pa_Terminate and Pa_Initialize, under Lock()). Pa_Terminate would
// close every open stream under its owner's feet, so nothing is done while a stream is open anywhere in the
// process; the caller's own stream included. Slow (the library probes every device again), but bounded;
// call it only when an output could not be found, and not more than every few seconds. True when the list
// was read again.
bool Refresh();

// Streams open right now. WaveOut counts each stream while it holds Lock() around opening it, and after
// closing it, so that Refresh() never finds an open stream uncounted.
void CountOpenStream(int change);
int OpenStreams();

// Replacements of PortAudio's calls that start a stream, that stop it at once and that close it; null
// (PortAudio's own) unless a test puts one in place to make them fail. A replacement must be in place before
// the call it stands in for begins.
inline std::atomic<PaError (*)(PaStream*)> StartStream{nullptr};
inline std::atomic<PaError (*)(PaStream*)> AbortStream{nullptr};
inline std::atomic<PaError (*)(PaStream*)> CloseStream{nullptr};

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
