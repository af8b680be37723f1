#include "platform/Termination.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace murmex::platform {
namespace {

// Each case runs in a child process: signal dispositions are process-wide.
int ChildArgc = 1;
char ChildName[] = "termination-test";
char* ChildArgv[] = {ChildName, nullptr};

TEST(TerminationTest, ASignalBecomesOneRequestOnTheEventLoop) {
    EXPECT_EXIT(
        {
            QCoreApplication app(ChildArgc, ChildArgv);
            TerminationRequests requests;
            int seen = 0;
            QObject::connect(&requests, &TerminationRequests::Requested, [&] { ++seen; });
            std::raise(SIGTERM);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            std::_Exit(seen == 1 ? 0 : 10 + seen);
        },
        testing::ExitedWithCode(0), "");
}

// A logout sends SIGTERM and SIGHUP at once: one orderly end. Only a signal after the grace ends the process.
TEST(TerminationTest, SignalsSoonAfterTheFirstAreTheSameRequestAndALaterOneEndsAtOnce) {
    EXPECT_EXIT(
        {
            QCoreApplication app(ChildArgc, ChildArgv);
            TerminationRequests requests;
            int seen = 0;
            QObject::connect(&requests, &TerminationRequests::Requested, [&] { ++seen; });
            std::raise(SIGTERM);
            std::raise(SIGHUP);
            std::raise(SIGINT);
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            if (seen != 1)
                std::_Exit(10 + seen);
            std::this_thread::sleep_for(std::chrono::milliseconds(TerminationRequests::kSameRequestMs + 100));
            std::raise(SIGHUP);
            std::_Exit(0);
        },
        testing::ExitedWithCode(128 + SIGHUP), "");
}

} // namespace
} // namespace murmex::platform
