#include "platform/Termination.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <csignal>
#include <cstdlib>

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

TEST(TerminationTest, ASecondSignalWhileTheFirstIsServedEndsTheProcessAtOnce) {
    EXPECT_EXIT(
        {
            QCoreApplication app(ChildArgc, ChildArgv);
            TerminationRequests requests;
            std::raise(SIGINT);
            std::raise(SIGTERM);
            std::_Exit(0);
        },
        testing::ExitedWithCode(128 + SIGTERM), "");
}

} // namespace
} // namespace murmex::platform
