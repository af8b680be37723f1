// One copy of the program per user. The first copy takes a lock beside a socket file in a folder that only the
// user can enter, holds it for its whole run and listens on the socket; a later copy asks it to show its window
// and leaves before it reads or writes any settings. The lock goes with the process that holds it, however it
// ends, so a crashed copy's socket is replaced by the next start, while a live one's is never taken over.
// The socket speaks in lines: a peer sends one request line and gets one answer line ("show" is answered
// "murmex"). The listening copy drops the peers of other users unread, keeps a few peers at a time and each
// for a second at most, so that nobody can use up its descriptors through the socket. UI thread.
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
    // `problem`, when given, is set to a line for the user naming the folders of those two that could not be
    // made private folders of the user's own (another user's, say), or left empty.
    static QString ServerNameForUser(const EnvironmentReader& environment = ProcessEnvironment,
                                     QString* problem = nullptr);

    enum class Outcome {
        TheOneCopy,      // this copy listens from now on, or runs unguarded where the name cannot be used
        AnotherShows,    // another copy answered, and has been asked to show itself
        AnotherIsSilent, // another copy holds the name but has not answered within ten seconds: it hangs
    };
    Outcome Claim(const QString& serverName);

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
    int m_lock = -1; // held for the whole run
    std::unique_ptr<SocketFile> m_file;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::unique_ptr<QTimer> m_resume; // listening again after an accept that failed for want of resources
    std::map<int, std::unique_ptr<Peer>> m_peers;
};

} // namespace murmex::platform
