// One copy of the program per user. The first copy listens on a socket file in a folder that only the user
// can enter; a later copy asks it to show its window and leaves before it reads or writes any settings, but
// only once that copy has answered with a line of its own: a copy that is hung, or gone with its file left
// behind, does not answer within a second and loses the name to the new one. The listening copy drops the
// peers of other users unread, keeps a few peers at a time and each for a second at most, so that nobody can
// use up its descriptors through the socket. UI thread.
#pragma once

#include "platform/QtPlatform.h"

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace murmex::platform {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    SingleInstance();
    ~SingleInstance() override;

    // The socket file in `folder`; empty when its path is too long for a socket's address.
    static QString ServerName(const QString& folder);
    // The name for this user: in the desktop's runtime folder ($XDG_RUNTIME_DIR) when that is a private folder
    // of the user's own; else in a private folder made for it in the user's cache folder (which no other user
    // can create, take or remove), or, when that path is too long, in the temporary folder ("murmex-<uid>",
    // checked to be the user's own). Empty when none of them will do: the program then runs unguarded.
    static QString ServerNameForUser(const EnvironmentReader& environment = ProcessEnvironment);

    // True when this is the one copy: it listens from now on. False when another copy answered, which has
    // been asked to show itself. A name that cannot be used does not keep the program from running: it then
    // runs as the one copy, unguarded.
    bool Claim(const QString& serverName);

signals:
    // Another copy was started and has left.
    void ShowRequested();

private:
    struct Peer;
    struct SocketFile;
    void Accept();
    void AddPeer(int fd);
    void Read(int fd);
    void Drop(int fd);

    int m_listener = -1;
    int m_startLock = -1; // held from the claim until this copy can answer: its event loop runs
    std::unique_ptr<SocketFile> m_file;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::unique_ptr<QTimer> m_resume; // listening again after an accept that failed for want of resources
    std::map<int, std::unique_ptr<Peer>> m_peers;
};

} // namespace murmex::platform
