// One copy of the program per user. The first copy listens on a local socket named from the user's runtime
// folder; a later copy that reaches it asks it to show its window and leaves before it reads or writes any
// settings, so two copies never write them over each other. On Linux the socket lives in the abstract
// namespace and goes with the process that held it, also after a crash; elsewhere it is a file, and one
// that nobody answers on is taken to be left over from a crash and replaced. The socket is the system's own
// (no network library is loaded for it). UI thread.
#pragma once

#include <QObject>
#include <QString>

#include <map>
#include <memory>

class QSocketNotifier;

namespace murmex::platform {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    SingleInstance();
    ~SingleInstance() override;

    // The socket's name for a user whose runtime folder is `runtimeFolder`.
    static QString ServerName(const QString& runtimeFolder);
    // The name for this user: the runtime folder the desktop gives, or a folder of Qt's choosing without one.
    static QString ServerNameForUser();

    // True when this is the one copy: it listens from now on. False when another copy answered, which has
    // been asked to show itself. A socket that can be neither reached nor made (an unwritable runtime
    // folder) does not keep the program from running: it then runs as the one copy, unguarded.
    bool Claim(const QString& serverName);

signals:
    // Another copy was started and has left.
    void ShowRequested();

private:
    struct Peer;
    void Accept();
    void Read(int fd);
    void Drop(int fd);

    int m_listener = -1;
    QString m_path; // the socket file to remove at the end, where the socket is a file
    std::unique_ptr<QSocketNotifier> m_listening;
    std::map<int, std::unique_ptr<Peer>> m_peers;
};

} // namespace murmex::platform
