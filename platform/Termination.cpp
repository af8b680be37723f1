#include "platform/Termination.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace murmex::platform {

#ifdef Q_OS_UNIX
namespace {

int g_pipe[2] = {-1, -1};
std::atomic<int> g_requests{0};

// Only async-signal-safe calls here: the first request is handed to the UI thread through the pipe;
// a later one means the orderly close is stuck or unwanted, so the process ends now.
extern "C" void OnTerminationSignal(int signo) {
    if (g_requests.fetch_add(1) > 0)
        _exit(128 + signo);
    const char byte = static_cast<char>(signo);
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
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
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

TerminationRequests::~TerminationRequests() {
    if (!m_notifier)
        return;
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    delete m_notifier;
    close(g_pipe[0]);
    close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_requests = 0;
}
#else
TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {}
TerminationRequests::~TerminationRequests() = default;
#endif

} // namespace murmex::platform
