#include "platform/SingleInstance.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QTemporaryDir>

namespace murmex::platform {
namespace {

int Argc = 1;
char Name[] = "single-instance-test";
char* Argv[] = {Name, nullptr};

// Runs the event loop until `done` or `ms` have passed.
template <typename Condition> bool ServeUntil(Condition done, int ms = 5000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

QString Folder(const char* path) {
    return QString::fromUtf8(path);
}

TEST(SingleInstance, TheNameTellsRuntimeFoldersApart) {
    EXPECT_EQ(SingleInstance::ServerName(Folder("/run/user/1000")),
              SingleInstance::ServerName(Folder("/run/user/1000/")));
    EXPECT_EQ(SingleInstance::ServerName(Folder("/run/user/1000")),
              SingleInstance::ServerName(Folder("/run/user/./1000")));
    EXPECT_NE(SingleInstance::ServerName(Folder("/run/user/1000")),
              SingleInstance::ServerName(Folder("/run/user/1001")));
}

TEST(SingleInstance, ALaterCopyAsksTheFirstToShowAndOnlyThatRequestCounts) {
    QCoreApplication app(Argc, Argv);
    const QTemporaryDir runtime;
    const QString name = SingleInstance::ServerName(runtime.path());
    SingleInstance first;
    int shown = 0;
    QObject::connect(&first, &SingleInstance::ShowRequested, [&] { ++shown; });
    ASSERT_TRUE(first.Claim(name));

    // Someone else's bytes on the socket show nothing.
    for (const QByteArray& text : {QByteArray("hello\n"), QByteArray("sh"), QByteArray("")}) {
        QLocalSocket stranger;
#if defined(Q_OS_LINUX)
        stranger.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
#endif
        stranger.connectToServer(name);
        ASSERT_TRUE(stranger.waitForConnected(2000));
        stranger.write(text);
        stranger.flush();
        ServeUntil([] { return false; }, 200); // long enough for the request to be read
        stranger.disconnectFromServer();
    }
    EXPECT_EQ(shown, 0);

    SingleInstance second;
    EXPECT_FALSE(second.Claim(name)) << "a second copy took the name";
    EXPECT_TRUE(ServeUntil([&] { return shown == 1; }));
    SingleInstance third;
    EXPECT_FALSE(third.Claim(name));
    EXPECT_TRUE(ServeUntil([&] { return shown == 2; }));
}

TEST(SingleInstance, TheNameIsFreeAgainOnceTheFirstCopyIsGone) {
    QCoreApplication app(Argc, Argv);
    const QTemporaryDir runtime;
    const QString name = SingleInstance::ServerName(runtime.path());
    {
        SingleInstance first;
        ASSERT_TRUE(first.Claim(name));
    }
    SingleInstance next;
    EXPECT_TRUE(next.Claim(name));
}

} // namespace
} // namespace murmex::platform
