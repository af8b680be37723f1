#include "platform/SingleInstance.h"

#include "platform/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

namespace murmex::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kStartingTime{10000}; // how long a copy still building its window keeps a later one waiting
constexpr milliseconds kRetryTime{20};       // between two asks of a copy that is not listening yet
constexpr int kPeerMs = 1000;                // a peer that has not sent its line by then is dropped
constexpr std::size_t kMaxPeers = 8;         // the others wait in the system's queue, which costs us nothing
constexpr int kQueue = 16;
constexpr int kResumeMs = 100; // after an accept that failed for want of descriptors or memory
constexpr char kShow[] = "show\n";
constexpr std::size_t kShowSize = sizeof kShow - 1;
constexpr char kAnswer[] = "murmex\n";
constexpr std::size_t kAnswerSize = sizeof kAnswer - 1;

// The socket's address for `path`; false when the path does not fit.
bool Address(const QString& path, sockaddr_un& address, socklen_t& size) {
    const QByteArray bytes = QFile::encodeName(path);
    address = {};
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || std::size_t(bytes.size()) >= sizeof address.sun_path) // room for the ending zero
        return false;
    std::memcpy(address.sun_path, bytes.constData(), std::size_t(bytes.size()));
    size = socklen_t(offsetof(sockaddr_un, sun_path) + std::size_t(bytes.size()) + 1);
    return true;
}

bool PeerIsThisUser(int fd) {
#if defined(SO_PEERCRED)
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return getpeereid(fd, &uid, &gid) == 0 && uid == geteuid();
#endif
}

// Sets a blocking socket's send or receive wait to what is left until `deadline`; false when nothing is left.
bool WaitUntil(int fd, int option, Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
    if (left.count() <= 0)
        return false;
    timeval wait{};
    wait.tv_sec = time_t(left.count() / 1000000);
    wait.tv_usec = suseconds_t(left.count() % 1000000);
    return setsockopt(fd, SOL_SOCKET, option, &wait, sizeof wait) == 0;
}

// Asks the copy listening at `address` to show itself, and waits up to `deadline` for its answer. False when
// nobody listens there, when the copy hangs up without answering (it has ended), or when time is up.
bool AskRunningCopy(const sockaddr_un& address, socklen_t size, Clock::time_point deadline) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answered = false;
    // The system queues a connection even for a copy that does not read yet: only the answer counts.
    int connected = -1;
    while (WaitUntil(fd, SO_SNDTIMEO, deadline) &&
           (connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), size)) != 0 && errno == EINTR) {
    }
    if (connected == 0 && PeerIsThisUser(fd) && send(fd, kShow, kShowSize, MSG_NOSIGNAL) == ssize_t(kShowSize)) {
        char answer[kAnswerSize];
        std::size_t got = 0;
        while (got < kAnswerSize && WaitUntil(fd, SO_RCVTIMEO, deadline)) {
            const ssize_t n = recv(fd, answer + got, kAnswerSize - got, 0);
            if (n <= 0 && !(n < 0 && errno == EINTR))
                break;
            got += n > 0 ? std::size_t(n) : 0;
        }
        answered = got == kAnswerSize && std::memcmp(answer, kAnswer, kAnswerSize) == 0;
    }
    close(fd);
    return answered;
}

// Said to the user, who may find another user's folder where the name would be, or a folder that cannot be made.
QString FolderProblem(const QStringList& unusable, const QString& name) {
    if (unusable.isEmpty())
        return {};
    const QString where = unusable.join(QStringLiteral(", "));
    if (name.isEmpty())
        return QStringLiteral("cannot make a private folder of this user's own at %1, so nothing keeps a second copy "
                              "from starting")
            .arg(where);
    return QStringLiteral("cannot make a private folder of this user's own at %1; the single-copy socket is in %2")
        .arg(where, QFileInfo(name).path());
}

void CloseIfOpen(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

} // namespace

// The socket file this copy made, removed at the end only while it is still the one it made.
struct SingleInstance::SocketFile {
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;
};

// What a peer has sent so far: one short line is read, nothing beyond it.
struct SingleInstance::Peer {
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> deadline;
    QByteArray line;
};

SingleInstance::SingleInstance() = default;

SingleInstance::~SingleInstance() {
    for (auto& [fd, peer] : m_peers) {
        peer->notifier.reset();
        close(fd);
    }
    m_listening.reset();
    CloseIfOpen(m_listener);
    struct stat status {};
    if (m_file && lstat(m_file->path.constData(), &status) == 0 && status.st_dev == m_file->device &&
        status.st_ino == m_file->inode)
        unlink(m_file->path.constData());
    CloseIfOpen(m_lock);
}

QString SingleInstance::ServerName(const QString& folder) {
    const QString path = QDir::cleanPath(folder) + QStringLiteral("/murmex.instance");
    sockaddr_un address;
    socklen_t size = 0;
    return Address(path, address, size) ? path : QString();
}

QString SingleInstance::ServerNameForUser(const EnvironmentReader& environment, QString* problem) {
    if (problem)
        problem->clear();
    // Folders named by the environment count only when absolute, as the desktop's base folders say.
    const auto absolute = [&](const char* name) {
        const QString path = QFile::decodeName(environment(name));
        return QDir::isAbsolutePath(path) ? path : QString();
    };
    const QString runtime = absolute("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && IsPrivateFolder(runtime) && !ServerName(runtime).isEmpty())
        return ServerName(runtime);
    QString cache = absolute("XDG_CACHE_HOME");
    if (cache.isEmpty() && !absolute("HOME").isEmpty())
        cache = absolute("HOME") + QStringLiteral("/.cache");
    QString temporary = absolute("TMPDIR");
    if (temporary.isEmpty())
        temporary = QStringLiteral("/tmp");
    const QStringList folders{cache.isEmpty() ? QString() : cache + QStringLiteral("/murmex"),
                              temporary + QStringLiteral("/murmex-") + QString::number(geteuid())};
    QString name;
    QStringList unusable;
    for (const QString& folder : folders) {
        if (folder.isEmpty() || ServerName(folder).isEmpty())
            continue;
        if (MakePrivateFolder(folder)) {
            name = ServerName(folder);
            break;
        }
        unusable << folder;
    }
    if (problem)
        *problem = FolderProblem(unusable, name);
    return name;
}

SingleInstance::Outcome SingleInstance::Claim(const QString& serverName) {
    sockaddr_un address;
    socklen_t size = 0;
    if (!Address(serverName, address, size))
        return Outcome::TheOneCopy;
    const QByteArray path = QFile::encodeName(serverName);
    int lock = open((path + ".lock").constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        return Outcome::TheOneCopy;
    // The lock is the copy's for its whole run and goes with its process, whatever way that ends. While another
    // copy holds it, that copy is asked, waiting for one that is still building its window; one that ends
    // meanwhile leaves the lock to this start.
    const auto deadline = Clock::now() + kStartingTime;
    while (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            CloseIfOpen(lock);
            return Outcome::TheOneCopy;
        }
        if (AskRunningCopy(address, size, deadline)) {
            CloseIfOpen(lock);
            return Outcome::AnotherShows;
        }
        if (Clock::now() >= deadline) {
            CloseIfOpen(lock);
            return Outcome::AnotherIsSilent;
        }
        std::this_thread::sleep_for(kRetryTime);
    }
    // A socket file of this user's is left over from a copy that has ended.
    struct stat status {};
    if (lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == geteuid())
        unlink(path.constData());
    m_lock = lock;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0 || listen(fd, kQueue) != 0 ||
        lstat(path.constData(), &status) != 0) {
        CloseIfOpen(fd);
        return Outcome::TheOneCopy;
    }
    m_listener = fd;
    m_file = std::make_unique<SocketFile>(SocketFile{path, status.st_dev, status.st_ino});
    m_listening = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_listening.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
    m_resume = std::make_unique<QTimer>();
    m_resume->setSingleShot(true);
    connect(m_resume.get(), &QTimer::timeout, this, [this] { m_listening->setEnabled(true); });
    return Outcome::TheOneCopy;
}

void SingleInstance::Accept() {
    while (m_peers.size() < kMaxPeers) {
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            // Out of descriptors or memory: the connection stays queued, and the listener is kept; a little
            // later it is tried again, rather than at once and in a busy loop.
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                m_listening->setEnabled(false);
                m_resume->start(kResumeMs);
            }
            return;
        }
        if (PeerIsThisUser(fd))
            AddPeer(fd);
        else
            close(fd);
    }
    // Full: the rest wait in the system's queue until a peer goes.
    m_listening->setEnabled(false);
}

void SingleInstance::AddPeer(int fd) {
    auto peer = std::make_unique<Peer>();
    peer->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(peer->notifier.get(), &QSocketNotifier::activated, this, [this, fd] { Read(fd); });
    peer->deadline = std::make_unique<QTimer>();
    peer->deadline->setSingleShot(true);
    connect(peer->deadline.get(), &QTimer::timeout, this, [this, fd] { Drop(fd); });
    peer->deadline->start(kPeerMs);
    m_peers[fd] = std::move(peer);
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
    if (show) // a few bytes into an empty socket buffer: never waits
        send(fd, kAnswer, kAnswerSize, MSG_NOSIGNAL | MSG_DONTWAIT);
    Drop(fd);
    if (show)
        emit ShowRequested();
}

void SingleInstance::Drop(int fd) {
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    Peer& peer = *found->second;
    peer.notifier->setEnabled(false);
    peer.deadline->stop();
    // Deleted later: this may run inside the notifier's or the timer's own signal.
    peer.notifier.release()->deleteLater();
    peer.deadline.release()->deleteLater();
    m_peers.erase(found);
    close(fd);
    if (!m_resume->isActive())
        m_listening->setEnabled(true);
}

} // namespace murmex::platform
