#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace murmex::platform {
namespace {

constexpr int kAnswerMs = 1000; // a running copy accepts at once: the system queues the connection for it
constexpr int kTries = 3;       // two copies started at the same moment settle within these
constexpr char kShow[] = "show\n";
constexpr std::size_t kShowSize = sizeof kShow - 1;

#if defined(__linux__)
constexpr bool kAbstract = true;
#else
constexpr bool kAbstract = false;
#endif

// The socket's address for `name`; false when the name does not fit.
bool Address(const QString& name, sockaddr_un& address, socklen_t& size) {
    const QByteArray bytes = QFile::encodeName(name);
    address = {};
    address.sun_family = AF_UNIX;
    const std::size_t room = sizeof address.sun_path - 1; // for the leading or the trailing zero byte
    if (bytes.isEmpty() || std::size_t(bytes.size()) > room)
        return false;
    // An abstract name starts with a zero byte and is exactly as long as given.
    std::memcpy(address.sun_path + (kAbstract ? 1 : 0), bytes.constData(), std::size_t(bytes.size()));
    size = socklen_t(offsetof(sockaddr_un, sun_path) + (kAbstract ? 1 : 0) + std::size_t(bytes.size()) +
                     (kAbstract ? 0 : 1));
    return true;
}

int NewSocket() {
    return socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Waits up to kAnswerMs for `events` on `fd`.
bool WaitFor(int fd, short events) {
    pollfd entry{fd, events, 0};
    int ready = 0;
    do {
        ready = poll(&entry, 1, kAnswerMs);
    } while (ready < 0 && errno == EINTR);
    return ready == 1 && (entry.revents & events);
}

// Asks the copy listening on `name` to show itself; false when none answers.
bool AskRunningCopy(const QString& name) {
    sockaddr_un address;
    socklen_t size = 0;
    if (!Address(name, address, size))
        return false;
    const int fd = NewSocket();
    if (fd < 0)
        return false;
    bool asked = false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), size) == 0 ||
        ((errno == EINPROGRESS || errno == EAGAIN) && WaitFor(fd, POLLOUT))) {
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
            asked = true; // it listens: it is there, whether or not the request gets through
            std::size_t sent = 0;
            while (sent < kShowSize && WaitFor(fd, POLLOUT)) {
                const ssize_t n = send(fd, kShow + sent, kShowSize - sent, MSG_NOSIGNAL);
                if (n <= 0 && errno != EINTR && errno != EAGAIN)
                    break;
                sent += n > 0 ? std::size_t(n) : 0;
            }
        }
    }
    close(fd);
    return asked;
}

} // namespace

// What a peer has sent so far: one short line is read, nothing beyond it.
struct SingleInstance::Peer {
    std::unique_ptr<QSocketNotifier> notifier;
    QByteArray line;
};

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
    for (auto& [fd, peer] : m_peers) {
        peer->notifier.reset();
        close(fd);
    }
    m_listening.reset();
    if (m_listener >= 0) {
        close(m_listener);
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }
}

QString SingleInstance::ServerName(const QString& runtimeFolder) {
    const QString folder = QDir::cleanPath(QDir(runtimeFolder).absolutePath());
    if (kAbstract) // any text: the folder's own path tells users and test environments apart
        return folder + QStringLiteral("/murmex.instance");
    // A socket file's path is short on most systems: a long folder gets a hashed name in the temporary folder.
    const QString path = folder + QStringLiteral("/murmex.instance");
    if (path.toLocal8Bit().size() < 100)
        return path;
    const QByteArray hash = QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir::tempPath() + QStringLiteral("/murmex-") + QString::fromLatin1(hash);
}

QString SingleInstance::ServerNameForUser() {
    return ServerName(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation));
}

bool SingleInstance::Claim(const QString& serverName) {
    sockaddr_un address;
    socklen_t size = 0;
    if (!Address(serverName, address, size))
        return true;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (AskRunningCopy(serverName))
            return false;
        const int fd = NewSocket();
        if (fd < 0)
            return true;
        // A socket file is for this user only.
        const mode_t mask = kAbstract ? 0 : umask(0077);
        const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), size);
        const int bindError = errno;
        if (!kAbstract)
            umask(mask);
        if (bound == 0 && listen(fd, SOMAXCONN) == 0) {
            m_listener = fd;
            m_path = kAbstract ? QString() : serverName;
            m_listening = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
            connect(m_listening.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
            return true;
        }
        close(fd);
        if (bound == 0 || bindError != EADDRINUSE)
            return true;
        // Nobody answered on a name in use: a copy that began to listen just now is asked again; a socket
        // file nobody listens on is left over from a crash.
        if (!kAbstract)
            QFile::remove(serverName);
    }
    return true;
}

void SingleInstance::Accept() {
    for (;;) {
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        auto peer = std::make_unique<Peer>();
        peer->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(peer->notifier.get(), &QSocketNotifier::activated, this, [this, fd] { Read(fd); });
        m_peers[fd] = std::move(peer);
    }
}

void SingleInstance::Read(int fd) {
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    Peer& peer = *found->second;
    char buffer[kShowSize];
    const ssize_t n = recv(fd, buffer, kShowSize - std::size_t(peer.line.size()), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n > 0)
        peer.line.append(buffer, n);
    if (n > 0 && std::size_t(peer.line.size()) < kShowSize && !peer.line.endsWith('\n'))
        return;
    const bool show = peer.line == QByteArray(kShow);
    Drop(fd);
    if (show)
        emit ShowRequested();
}

void SingleInstance::Drop(int fd) {
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    found->second->notifier->setEnabled(false);
    // Deleted later: this may run inside the notifier's own signal.
    found->second->notifier.release()->deleteLater();
    m_peers.erase(found);
    close(fd);
}

} // namespace murmex::platform
