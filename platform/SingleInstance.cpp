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
#include <optional>
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
constexpr milliseconds kAnswerTime{2000};    // how long a copy that has a request other than "show" may take
constexpr milliseconds kEndingTime{1000};    // how long a copy that hangs up unanswered may take to end
constexpr milliseconds kRetryTime{20};       // between two asks of a copy that is not listening yet
constexpr int kPeerMs = 1000;                // a peer that has not sent its line by then is dropped
constexpr std::size_t kMaxPeers = 8;         // the others wait in the system's queue, which costs us nothing
constexpr int kQueue = 16;
constexpr int kResumeMs = 100;          // after an accept that failed for want of descriptors or memory
constexpr qsizetype kMaxRequest = 1024; // a longer line is no request of ours
constexpr qsizetype kMaxAnswer = 65536; // nor a longer answer
constexpr char kShow[] = "show";
constexpr char kShown[] = "murmex\n";
constexpr char kWindowless[] = "windowless\n";

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

QByteArray LockPath(const QString& serverName) {
    return QFile::encodeName(serverName) + ".lock";
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

enum class Asked { NobodyListens, Answered, HungUp, Silent };

// Sends all of `bytes`; false when the peer is gone or time is up.
bool SendAll(int fd, const QByteArray& bytes, Clock::time_point deadline) {
    qsizetype sent = 0;
    while (sent < bytes.size() && WaitUntil(fd, SO_SNDTIMEO, deadline)) {
        const ssize_t n = send(fd, bytes.constData() + sent, std::size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno != EINTR)
            return false;
        sent += n > 0 ? n : 0;
    }
    return sent == bytes.size();
}

// Reads until the peer hangs up, into `answer`; false when time is up first or the answer is too long.
bool ReadToEnd(int fd, QByteArray& answer, Clock::time_point deadline) {
    char buffer[4096];
    while (WaitUntil(fd, SO_RCVTIMEO, deadline) && answer.size() <= kMaxAnswer) {
        const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n == 0 || (n < 0 && errno == ECONNRESET))
            return true;
        if (n < 0 && errno != EINTR)
            return false;
        if (n > 0)
            answer.append(buffer, n);
    }
    return false;
}

// Sends `request` to the copy listening at `address` and reads its answer, waiting for a listener up to
// `deadline` and for the answer up to `answerDeadline`.
Asked AskRunningCopy(const sockaddr_un& address, socklen_t size, const QByteArray& request, Clock::time_point deadline,
                     Clock::time_point answerDeadline, QByteArray& answer) {
    answer.clear();
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return Asked::NobodyListens;
    // The system queues a connection even for a copy that does not read yet: only the answer counts.
    int connected = -1;
    while (WaitUntil(fd, SO_SNDTIMEO, deadline) &&
           (connected = connect(fd, reinterpret_cast<const sockaddr*>(&address), size)) != 0 && errno == EINTR) {
    }
    Asked asked = Asked::NobodyListens;
    if (connected == 0 && PeerIsThisUser(fd)) {
        // An older copy hangs up on a request it does not know, also while this one is still being sent.
        if (!SendAll(fd, request, answerDeadline))
            asked = Clock::now() < answerDeadline ? Asked::HungUp : Asked::Silent;
        else if (!ReadToEnd(fd, answer, answerDeadline))
            asked = Asked::Silent;
        else
            asked = answer.isEmpty() ? Asked::HungUp : Asked::Answered;
    }
    close(fd);
    return asked;
}

// Whether the lock on `lock` can be had within `wait`: the copy that held it has ended. Takes it when it can.
bool LockWithin(int lock, milliseconds wait) {
    const auto deadline = Clock::now() + wait;
    while (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kRetryTime);
    }
    return true;
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

SingleInstance::~SingleInstance() {
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

SingleInstance::Outcome SingleInstance::Claim(const QString& serverName, const QByteArray& request) {
    m_answer.clear();
    sockaddr_un address;
    socklen_t size = 0;
    if (!Address(serverName, address, size))
        return Outcome::TheOneCopy;
    m_name = serverName;
    int lock = open(LockPath(serverName).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0)
        return Outcome::TheOneCopy;
    // The lock is the copy's for its whole run and goes with its process, whatever way that ends. While another
    // copy holds it, that copy is asked, waiting for one that is still building its window; one that ends
    // meanwhile leaves the lock to this start.
    const bool show = request == ShowRequest();
    const auto deadline = Clock::now() + kStartingTime;
    while (flock(lock, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            break; // a lock the system cannot give guards nothing
        const auto answerDeadline = show ? deadline : Clock::now() + kAnswerTime;
        const Asked asked = AskRunningCopy(address, size, request, deadline, answerDeadline, m_answer);
        std::optional<Outcome> outcome;
        if (asked == Asked::Answered && !show)
            outcome = Outcome::Answered;
        else if (asked == Asked::Answered && m_answer == kShown)
            outcome = Outcome::AnotherShows;
        else if (asked == Asked::Answered && m_answer == kWindowless)
            outcome = Outcome::AnotherHasNoWindow;
        else if (asked == Asked::Silent && !show)
            outcome = Outcome::AnotherIsSilent;
        else if (asked == Asked::HungUp && !show && !LockWithin(lock, kEndingTime))
            outcome = Outcome::AnotherIsOlder;
        else if (Clock::now() >= deadline && !(asked == Asked::HungUp && !show))
            outcome = Outcome::AnotherIsSilent;
        if (outcome) {
            CloseIfOpen(lock);
            return *outcome;
        }
        std::this_thread::sleep_for(kRetryTime);
    }
    m_answer.clear();
    m_lock = lock;
    return Outcome::TheOneCopy;
}

bool SingleInstance::WaitUntilGone(int ms) const {
    int lock = open(LockPath(m_name).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (lock < 0)
        return true;
    const bool gone = LockWithin(lock, milliseconds(ms));
    close(lock);
    return gone;
}

// The socket file this copy made, removed at the end only while it is still the one it made.
struct InstanceListener::SocketFile {
    QByteArray path;
    dev_t device = 0;
    ino_t inode = 0;
};

// What a peer has sent so far: one short line is read, nothing beyond it.
struct InstanceListener::Peer {
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> deadline;
    QByteArray line;
};

InstanceListener::InstanceListener(const SingleInstance& instance) {
    sockaddr_un address;
    socklen_t size = 0;
    if (!instance.Holds() || !Address(instance.Name(), address, size))
        return;
    // A socket file of this user's is left over from a copy that has ended.
    const QByteArray path = QFile::encodeName(instance.Name());
    struct stat status {};
    if (lstat(path.constData(), &status) == 0 && S_ISSOCK(status.st_mode) && status.st_uid == geteuid())
        unlink(path.constData());
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0 || listen(fd, kQueue) != 0 ||
        lstat(path.constData(), &status) != 0) {
        CloseIfOpen(fd);
        return;
    }
    m_listener = fd;
    m_file = std::make_unique<SocketFile>(SocketFile{path, status.st_dev, status.st_ino});
    m_listening = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_listening.get(), &QSocketNotifier::activated, this, [this] { Accept(); });
    m_resume = std::make_unique<QTimer>();
    m_resume->setSingleShot(true);
    connect(m_resume.get(), &QTimer::timeout, this, [this] { m_listening->setEnabled(true); });
}

// Requests that come meanwhile find nobody listening and are asked again until the lock has gone.
InstanceListener::~InstanceListener() {
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
}

void InstanceListener::Accept() {
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

void InstanceListener::AddPeer(int fd) {
    auto peer = std::make_unique<Peer>();
    peer->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(peer->notifier.get(), &QSocketNotifier::activated, this, [this, fd] { Read(fd); });
    peer->deadline = std::make_unique<QTimer>();
    peer->deadline->setSingleShot(true);
    connect(peer->deadline.get(), &QTimer::timeout, this, [this, fd] { Drop(fd); });
    peer->deadline->start(kPeerMs);
    m_peers[fd] = std::move(peer);
}

void InstanceListener::Read(int fd) {
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    Peer& peer = *found->second;
    char buffer[kMaxRequest];
    const ssize_t n = recv(fd, buffer, std::size_t(kMaxRequest - peer.line.size()), 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n > 0)
        peer.line.append(buffer, n);
    const qsizetype end = peer.line.indexOf('\n');
    if (n > 0 && end < 0 && peer.line.size() < kMaxRequest)
        return;
    const QByteArray line = end < 0 ? QByteArray() : peer.line.left(end);
    // Out of the list before the request runs, which may take its own turns of the event loop.
    Drop(fd, false);
    Answer(fd, line);
}

void InstanceListener::Answer(int fd, const QByteArray& line) {
    const bool show = line == kShow;
    QByteArray answer;
    if (show)
        answer = m_windowless ? kWindowless : kShown;
    else if (!line.isEmpty() && m_handler)
        answer = m_handler(line);
    // A short answer into an empty socket buffer: never waits.
    if (!answer.isEmpty())
        send(fd, answer.constData(), std::size_t(answer.size()), MSG_NOSIGNAL | MSG_DONTWAIT);
    close(fd);
    if (show && !m_windowless)
        emit ShowRequested();
}

void InstanceListener::Drop(int fd, bool close) {
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
    if (close)
        ::close(fd);
    if (!m_resume->isActive())
        m_listening->setEnabled(true);
}

} // namespace murmex::platform
