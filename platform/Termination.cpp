#include "platform/Termination.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <atomic>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace murmex::platform {

#ifdef Q_OS_UNIX
namespace {

int g_pipe[2] = {-1, -1};
// When the first request came, in milliseconds of the monotonic clock plus one; 0 while none has come.
std::atomic<long long> g_firstRequest{0};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

long long MonotonicMs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Only async-signal-safe calls here: the first request is handed to the UI thread through the pipe.
extern "C" void OnTerminationSignal(int signo) {
    const long long now = MonotonicMs() + 1;
    long long first = 0;
    if (g_firstRequest.compare_exchange_strong(first, now)) {
        const char byte = static_cast<char>(signo);
        [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
    } else if (now - first >= TerminationRequests::kSameRequestMs) {
        _exit(128 + signo);
    }
}

} // namespace

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {
    if (g_pipe[0] >= 0 || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = read(g_pipe[0], &byte, 1);
        emit Requested();
    });

    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signo : kSignals) {
        // A program started with nohup keeps ignoring the hang-up it was told to ignore.
        struct sigaction before = {};
        if (sigaction(signo, nullptr, &before) == 0 && signo == SIGHUP && before.sa_handler == SIG_IGN)
            continue;
        sigaction(signo, &action, nullptr);
    }
}

TerminationRequests::~TerminationRequests() {
    if (!m_notifier)
        return;
    for (int signo : kSignals) {
        struct sigaction now = {};
        if (sigaction(signo, nullptr, &now) == 0 && now.sa_handler == OnTerminationSignal)
            signal(signo, SIG_DFL);
    }
    delete m_notifier;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_firstRequest = 0;
}
#else
TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {}
TerminationRequests::~TerminationRequests() = default;
#endif

} // namespace murmex::platform
