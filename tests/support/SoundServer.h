// Taking the test environment's sound server, or its second sink, away and bringing it back
// (scripts/testenv-pulse.sh): the daemon comes back on the same runtime folder with the same sinks, a sink
// comes back under its name, and the monitors are recorded again into the same files. Header-only; the
// main thread of a test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace murmex::test {

// Runs one verb of the sound server control script; a failure fails the test.
inline void ControlSoundServer(const char* what) {
    const char* control = std::getenv("MURMEX_TEST_PULSE_CTL");
    if (!control)
        throw std::runtime_error("MURMEX_TEST_PULSE_CTL is not set: run inside scripts/testenv.sh");
    const std::string command = std::string("bash '") + control + "' " + what;
    const int status = std::system(command.c_str());
    if (status != 0)
        ADD_FAILURE() << command << " failed with " << status;
}

// Takes something away at construction (the control script's verb `away`, none when null) and makes sure it
// is back at the end (verb `back`), whatever the test did.
class ServerPartAway {
public:
    ServerPartAway(const char* away, const char* back) : m_back(back) {
        if (away)
            ControlSoundServer(away);
    }
    ~ServerPartAway() {
        if (m_away)
            ControlSoundServer(m_back);
    }
    ServerPartAway(const ServerPartAway&) = delete;
    ServerPartAway& operator=(const ServerPartAway&) = delete;

    // Returns once it is back (or brought back with the verb `how`) and its monitors are recorded again.
    void Return(const char* how = nullptr) {
        m_away = false;
        ControlSoundServer(how ? how : m_back);
    }

private:
    const char* m_back;
    bool m_away = true;
};

// The whole sound server, stopped and started again.
class SoundServerAway : public ServerPartAway {
public:
    SoundServerAway() : ServerPartAway("stop", "start") {}
};

// The second sink, unloaded (as an output that is unplugged) and loaded again; the default sink stays.
// With `alreadyGone` the sink is only loaded again at the end.
class SecondSinkAway : public ServerPartAway {
public:
    explicit SecondSinkAway(bool alreadyGone = false) : ServerPartAway(alreadyGone ? nullptr : "unload-2", "load-2") {}
};

} // namespace murmex::test
