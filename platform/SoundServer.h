// The desktop's sound server, reached through its own client protocol (PulseAudio's, which PipeWire serves
// too): one connection for the whole process, run by a threaded main loop. It keeps the server's outputs
// (sinks) in the server's order with the names the desktop's sound settings show, follows them through the
// server's events, comes back by itself after the server has gone (trying every half second), and moves a
// stream whose chosen output went away back to it when it returns.
//
// Every call into the client library is made under Lock(), which the main loop's own thread holds while it
// runs callbacks; callbacks never lock, wait or stop the loop. What the tables below hold is published
// whole and read without that lock. Any thread, Start() excepted.
#pragma once

#include "platform/SoundBackend.h"

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace murmex::platform::soundserver {

// Connects to the server (never starting one) and reads its outputs; waits at most a few seconds. Call it once,
// on the interface thread, before anything plays. False when no server is there (no socket, or it refused the
// connection): the connection is then given up for the run. A server that took the connection but has not
// answered within the wait is the run's all the same: its outputs are read once it answers.
bool Start(const std::string& applicationName, const std::string& iconName);

// True once Start() has found the server; stays true for the run, also while the server is away.
bool InUse();

// True while the connection is up.
bool Connected();

// True once the server has answered and its outputs were read; it stays true while the server is away.
bool Answered();

struct Output {
    std::string key;  // the sink's own name, or kDefaultOutputKey
    std::string name; // its description; for the default entry "<label> (<the default sink's description>)"

    bool operator==(const Output&) const = default;
};

// The outputs as last read: the default entry first, then the server's sinks in its order. While the server
// is away the last list stays.
std::shared_ptr<const std::vector<Output>> Outputs();

// The sink a key stands for now (the default sink for kDefaultOutputKey), or an empty text when none is listed.
std::string SinkOf(const std::string& key);

// ThreadSanitizer does not see the client library's own lock (the library is not instrumented, and its calls
// are ignored), so the code that runs under it says so: Lock does, and every callback holds a CallbackScope.
// Both cost nothing in other builds.
class CallbackScope {
public:
    CallbackScope();
    ~CallbackScope();
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;
};

// Serialises calls into the client library (recursive with the main loop's own lock).
class Lock {
public:
    Lock();
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
};

// Under Lock(): the connection, or null while the server is away.
pa_context* Context();
// Under Lock(): wakes every thread waiting in Wait().
void Signal();
// Under Lock(): waits until a callback calls Signal() (or the connection changes state).
void Wait();

// Under Lock(): reads the outputs again, whether or not the server has said they changed. The listeners hear of
// it once the reading is done.
void ReadOutputsAgain();

// A stream registered here learns of the server's changes on the main loop's thread (under Lock()).
class Listener {
public:
    virtual ~Listener() = default;
    // The list of outputs was read again; `changed` when a key, a name, their order or the default output differs
    // from the reading before. True when that is news to the program beyond the list (the stream was moved
    // to another output by the user).
    virtual bool OutputsRead(bool /*changed*/) { return false; }
    // The connection was lost; the stream has failed with it.
    virtual void ConnectionLost() {}
    // The volume of sink input `index` changed on the server to `volume`; true when that is news to the
    // program (not the echo of its own change).
    virtual bool InputVolumeChanged(std::uint32_t /*index*/, const pa_cvolume& /*volume*/) { return false; }
};
// Under Lock().
void AddListener(Listener* listener);
void RemoveListener(Listener* listener);

// The word the default entry's name begins with ("Default" until set), in the interface's language; the
// observer hears of the new name.
void SetDefaultLabel(const std::string& label);

// Called on the main loop's thread (must return at once) whenever the outputs changed, and when a volume or a
// stream's output was changed outside the program. One observer, set before anything plays.
void SetOutputsObserver(std::function<void()> observer);

} // namespace murmex::platform::soundserver
