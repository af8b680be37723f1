// Taking the test environment's sound server away and bringing it back (scripts/testenv-pulse.sh): the
// daemon comes back on the same runtime folder with the same sinks, and its monitors are recorded again
// into the same files. Header-only; the main thread of a test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace murmex::test {

// Stops the sound server at construction and makes sure it runs again at the end, whatever the test did.
class SoundServerAway {
public:
    SoundServerAway() { Run("stop"); }
    ~SoundServerAway() {
        if (m_away)
            Run("start");
    }
    SoundServerAway(const SoundServerAway&) = delete;
    SoundServerAway& operator=(const SoundServerAway&) = delete;

    // Returns once the server answers and its monitors are recorded again.
    void Return() { Run("start"); }

private:
    void Run(const char* what) {
        const char* control = std::getenv("MURMEX_TEST_PULSE_CTL");
        if (!control)
            throw std::runtime_error("MURMEX_TEST_PULSE_CTL is not set: run inside scripts/testenv.sh");
        const std::string command = std::string("bash '") + control + "' " + what;
        const int status = std::system(command.c_str());
        m_away = std::string(what) == "stop";
        if (status != 0)
            ADD_FAILURE() << command << " failed with " << status;
    }
    bool m_away = false;
};

} // namespace murmex::test
