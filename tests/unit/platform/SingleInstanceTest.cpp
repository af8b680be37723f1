#include "platform/SingleInstance.h"

#include "TestEnvironment.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace murmex::platform {
namespace {

int Argc = 1;
char Name[] = "single-instance-test";
char* Argv[] = {Name, nullptr};

// Runs the event loop until `done` or `ms` have passed.
template <typename Condition> bool ServeUntil(Condition done, int ms = 20000) {
    const QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// A later copy, started on a thread of its own as it would be in a process of its own while this one serves;
// true when it stays as the one copy.
bool LaterCopyStays(const QString& name) {
    auto later = std::async(std::launch::async,
                            [name] { return SingleInstance().Claim(name) == SingleInstance::Outcome::TheOneCopy; });
    ServeUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return later.get();
}

sockaddr_un Address(const QString& name) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return address;
}

// A socket of this process's own at `name`, listening or not, as a copy that hangs or a crash leaves behind.
int Bound(const QString& name, bool listening) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    const sockaddr_un address = Address(name);
    EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    if (listening) {
        EXPECT_EQ(listen(fd, 4), 0);
    }
    return fd;
}

// A client that says `text`; -1 when it could not connect.
int Client(const QString& name, const QByteArray& text = {}) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const sockaddr_un address = Address(name);
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    EXPECT_EQ(send(fd, text.constData(), std::size_t(text.size()), MSG_NOSIGNAL), text.size());
    return fd;
}

// What the other end of `fd` has done so far: nothing yet (-1), hung up without a word (0) or said something (1).
int Heard(int fd) {
    char byte = 0;
    const ssize_t n = recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK);
    return n < 0 ? -1 : n == 0 ? 0 : 1;
}

int OpenDescriptors() {
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// The first copy, listening in a fresh runtime folder, and how often it has been asked to show itself.
struct FirstCopy {
    QCoreApplication app{Argc, Argv};
    QTemporaryDir runtime;
    QString name = SingleInstance::ServerName(runtime.path());
    std::optional<SingleInstance> copy{std::in_place};
    std::unique_ptr<InstanceListener> listener;
    int shown = 0;
    FirstCopy() {
        EXPECT_EQ(copy->Claim(name), SingleInstance::Outcome::TheOneCopy);
        listener = std::make_unique<InstanceListener>(*copy);
        QObject::connect(listener.get(), &InstanceListener::ShowRequested, [this] { ++shown; });
    }
};

// A later start's request, sent on a thread of its own while this one serves; its outcome and the answer.
std::pair<SingleInstance::Outcome, QByteArray> LaterRequest(const QString& name, const QByteArray& request) {
    auto later = std::async(std::launch::async, [name, request] {
        SingleInstance instance;
        const SingleInstance::Outcome outcome = instance.Claim(name, request);
        return std::pair(outcome, instance.Answer());
    });
    ServeUntil([&] { return later.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
    return later.get();
}

TEST(SingleInstance, TheNameIsInAPrivateFolderOfTheUsersOwn) {
    QTemporaryDir runtime, cache, temporary; // each made with mode 0700
    ASSERT_TRUE(runtime.isValid() && cache.isValid() && temporary.isValid());
    const QByteArray runtimePath = QFile::encodeName(runtime.path());
    std::map<std::string, QByteArray> values{{"XDG_RUNTIME_DIR", runtimePath},
                                             {"XDG_CACHE_HOME", QFile::encodeName(cache.path())},
                                             {"TMPDIR", QFile::encodeName(temporary.path())}};
    QString problem = QStringLiteral("unset");
    EXPECT_EQ(SingleInstance::ServerNameForUser(Environment(values), &problem),
              runtime.filePath(QStringLiteral("murmex.instance")));
    EXPECT_EQ(problem, QString());

    // A runtime folder that others may enter, or whose path is too long for a socket, is passed over.
    const QString inCache = cache.filePath(QStringLiteral("murmex/murmex.instance"));
    ASSERT_EQ(chmod(runtimePath.constData(), 0755), 0);
    EXPECT_EQ(SingleInstance::ServerNameForUser(Environment(values)), inCache);
    ASSERT_EQ(chmod(runtimePath.constData(), 0700), 0);
    const QString deep = runtime.filePath(QString(120, QLatin1Char('d')));
    ASSERT_EQ(mkdir(QFile::encodeName(deep).constData(), 0700), 0);
    values["XDG_RUNTIME_DIR"] = QFile::encodeName(deep);
    EXPECT_EQ(SingleInstance::ServerNameForUser(Environment(values)), inCache);

    // Without a cache folder, the temporary folder's one of this user's; never one that others may enter, and
    // the user is told of that one.
    values.erase("XDG_CACHE_HOME");
    const QString own = temporary.filePath(QStringLiteral("murmex-") + QString::number(geteuid()));
    EXPECT_EQ(SingleInstance::ServerNameForUser(Environment(values)), own + QStringLiteral("/murmex.instance"));
    ASSERT_EQ(chmod(QFile::encodeName(own).constData(), 0777), 0);
    EXPECT_EQ(SingleInstance::ServerNameForUser(Environment(values), &problem), QString());
    EXPECT_TRUE(problem.contains(own)) << problem.toStdString();
}

TEST(SingleInstance, ALaterCopyIsAnsweredAndOnlyItsRequestShows) {
    FirstCopy first;
    const QString& name = first.name;
    int& shown = first.shown;

    // Anything else is hung up on without an answer, and shows nothing.
    for (const QByteArray& text : {QByteArray("hello\n"), QByteArray("sh"), QByteArray("")}) {
        const int stranger = Client(name, text);
        ASSERT_GE(stranger, 0);
        EXPECT_TRUE(ServeUntil([&] { return Heard(stranger) >= 0; }));
        EXPECT_EQ(Heard(stranger), 0) << text.constData();
        close(stranger);
    }
    EXPECT_EQ(shown, 0);

    EXPECT_FALSE(LaterCopyStays(name)) << "a second copy took the name";
    EXPECT_TRUE(ServeUntil([&] { return shown == 1; }));
    EXPECT_FALSE(LaterCopyStays(name));
    EXPECT_TRUE(ServeUntil([&] { return shown == 2; }));
}

TEST(SingleInstance, ANameNobodyAnswersOnIsTakenOver) {
    QCoreApplication app(Argc, Argv);
    const QTemporaryDir runtime;
    const QString name = SingleInstance::ServerName(runtime.path());
    {
        SingleInstance first;
        ASSERT_EQ(first.Claim(name), SingleInstance::Outcome::TheOneCopy);
        const InstanceListener listening(first);
    }
    // Left behind by a crash.
    close(Bound(name, false));
    {
        SingleInstance next;
        EXPECT_EQ(next.Claim(name), SingleInstance::Outcome::TheOneCopy);
        const InstanceListener listening(next);
    }
    // A listener that holds no lock, such as a copy of a version that let its lock go, is no copy to wait for.
    const int hung = Bound(name, true);
    SingleInstance next;
    EXPECT_EQ(next.Claim(name), SingleInstance::Outcome::TheOneCopy);
    const InstanceListener listening(next);
    EXPECT_FALSE(LaterCopyStays(name)) << "the copy that took the name over does not answer";
    close(hung);
}

// Commands go to the copy's handler and come back with its answer. A copy that hangs up on them unanswered
// (one without a handler, as copies before the commands were) is older; one that does not answer within two
// seconds hangs; one without a window says so to a "show".
TEST(SingleInstance, ARequestIsAnsweredByTheHandlerOrTheCopyIsOlderOrSilent) {
    FirstCopy first;
    const QByteArray request("run --play\n");
    EXPECT_EQ(LaterRequest(first.name, request).first, SingleInstance::Outcome::AnotherIsOlder);

    QByteArray heard;
    first.listener->SetHandler([&heard](const QByteArray& line) {
        heard = line;
        return QByteArray("done\n");
    });
    EXPECT_EQ(LaterRequest(first.name, request), std::pair(SingleInstance::Outcome::Answered, QByteArray("done\n")));
    EXPECT_EQ(heard, "run --play");

    first.listener->SetWindowless(true);
    EXPECT_EQ(LaterRequest(first.name, SingleInstance::ShowRequest()).first,
              SingleInstance::Outcome::AnotherHasNoWindow);
    EXPECT_EQ(first.shown, 0);

    // Nobody serves the socket meanwhile.
    const auto started = std::chrono::steady_clock::now();
    SingleInstance later;
    EXPECT_EQ(later.Claim(first.name, request), SingleInstance::Outcome::AnotherIsSilent);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));

    // A start that asked the copy to quit waits for its lock to go.
    EXPECT_FALSE(later.WaitUntilGone(100));
    first.listener.reset();
    first.copy.reset();
    EXPECT_TRUE(later.WaitUntilGone(100));
}

TEST(SingleInstance, SilentPeersAreFewAndDroppedWithinASecond) {
    FirstCopy first;
    const QString& name = first.name;
    std::vector<int> silent;
    for (int i = 0; i < 40; ++i) {
        if (const int fd = Client(name); fd >= 0) // beyond the system's queue a connect is refused at once
            silent.push_back(fd);
    }
    ASSERT_GT(silent.size(), 8u);
    const int before = OpenDescriptors();
    int most = before;
    EXPECT_TRUE(ServeUntil([&] {
        most = std::max(most, OpenDescriptors());
        return std::all_of(silent.begin(), silent.end(), [](int fd) { return Heard(fd) == 0; });
    }));
    EXPECT_LE(most - before, 8) << "descriptors held for silent peers";
    for (const int fd : silent)
        close(fd);
    EXPECT_FALSE(LaterCopyStays(name));
}

// Root is needed to speak as another user; the socket is opened to everyone for it.
TEST(SingleInstance, AnotherUsersRequestIsDroppedUnread) {
    if (geteuid() != 0)
        GTEST_SKIP() << "only root can connect as another user";
    FirstCopy first;
    const QString& name = first.name;
    int& shown = first.shown;
    ASSERT_EQ(chmod(QFile::encodeName(first.runtime.path()).constData(), 0755), 0);
    ASSERT_EQ(chmod(QFile::encodeName(name).constData(), 0777), 0);

    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(4);
        const int fd = Client(name, QByteArray("show\n"));
        if (fd < 0)
            _exit(3);
        for (int i = 0; i < 500 && Heard(fd) < 0; ++i)
            usleep(10000);
        _exit(Heard(fd) == 0 ? 0 : 1); // an answer, or no hang-up, is a fault
    }
    int status = -1;
    bool ended = false;
    EXPECT_TRUE(ServeUntil([&] { return ended = ended || waitpid(child, &status, WNOHANG) == child; }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(shown, 0);
}

} // namespace
} // namespace murmex::platform
