#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace murmex::platform {
namespace {

constexpr int kAnswerMs = 1000; // a running copy accepts at once: the system queues the connection for it
constexpr int kTries = 3;       // two copies started at the same moment settle within these
const QByteArray kShow = QByteArrayLiteral("show\n");

#if defined(Q_OS_LINUX)
constexpr bool kAbstract = true;
#else
constexpr bool kAbstract = false;
#endif

} // namespace

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
    if (kAbstract)
        m_server.setSocketOptions(QLocalServer::AbstractNamespaceOption);
    else
        m_server.setSocketOptions(QLocalServer::UserAccessOption);
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (AskRunningCopy(serverName))
            return false;
        if (m_server.listen(serverName)) {
            Serve();
            return true;
        }
        if (m_server.serverError() != QAbstractSocket::AddressInUseError)
            return true;
        // Nobody answered on a name in use: a copy that began to listen just now is asked again; a socket
        // file nobody listens on is left over from a crash.
        if (!kAbstract)
            QLocalServer::removeServer(serverName);
    }
    return true;
}

bool SingleInstance::AskRunningCopy(const QString& serverName) {
    QLocalSocket socket;
    if (kAbstract)
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(kAnswerMs))
        return false;
    socket.write(kShow);
    socket.flush();
    socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return true;
}

void SingleInstance::Serve() {
    connect(&m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = m_server.nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            // One short line; whatever else a stranger sends is not read beyond it.
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                if (!peer->canReadLine() && peer->bytesAvailable() < kShow.size())
                    return;
                const QByteArray line = peer->read(kShow.size());
                peer->disconnectFromServer();
                if (line == kShow)
                    emit ShowRequested();
            });
        }
    });
}

} // namespace murmex::platform
