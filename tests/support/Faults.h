// What the sound tests cannot arrange on a healthy sound server: a stream call that fails, and a fresh
// process for a scenario that starts the sound system itself or leaves a stream playing behind it.
// Header-only; the main thread of a test.
#pragma once

#include "platform/PortAudioBackend.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace murmex::test {

inline constexpr PaError kRefusal = paInternalError;

// Makes one of PortAudio's replaceable stream calls fail with kRefusal while it lives.
class Refusing {
public:
    using Call = std::atomic<PaError (*)(PaStream*)>;
    explicit Refusing(Call& call) : m_call(call) {
        s_refusals.store(0);
        m_real = call.exchange(&Refuse);
    }
    ~Refusing() { m_call.store(m_real); }
    Refusing(const Refusing&) = delete;
    Refusing& operator=(const Refusing&) = delete;

    // The calls refused since the last replacement was put in place, whichever call it stands in for.
    static int Refusals() { return s_refusals.load(); }

private:
    static PaError Refuse(PaStream*) {
        s_refusals.fetch_add(1);
        return kRefusal;
    }
    static inline std::atomic<int> s_refusals{0};
    Call& m_call;
    PaError (*m_real)(PaStream*);
};

// Runs `scenario` in a new process of the test program; its checks decide the exit code, so a failed
// check, a crash or a sanitizer's report there fails the test here, with what went wrong.
inline void InFreshProcess(const std::function<void()>& scenario) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The new process reports nothing of its own; only its stderr and exit code come back.
            testing::TestPartResultArray results;
            {
                const testing::ScopedFakeTestPartResultReporter reporter(
                    testing::ScopedFakeTestPartResultReporter::INTERCEPT_ALL_THREADS, &results);
                scenario();
            }
            int failed = 0;
            for (int i = 0; i < results.size(); ++i) {
                const testing::TestPartResult& result = results.GetTestPartResult(i);
                if (result.failed()) {
                    ++failed;
                    std::fprintf(stderr, "%s:%d: %s\n", result.file_name() ? result.file_name() : "?",
                                 result.line_number(), result.message());
                }
            }
            std::_Exit(failed ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace murmex::test
