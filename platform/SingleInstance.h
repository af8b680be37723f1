// One copy of the program per user. The first copy takes a lock beside a socket file in a folder that only the
// user can enter and holds it for its whole run; once its window is built it listens on the socket. A later
// start asks it to show its window, or sends it commands, and leaves before it reads or writes any settings.
// The lock goes with the process that holds it, however it ends, so a crashed copy's socket is replaced by the
// next start, while a live one's is never taken over.
//
// Two halves: SingleInstance claims the name or asks the copy that holds it, and needs no event loop, so that
// a start that only talks to the running copy opens no display and starts nothing; InstanceListener, made by
// the copy that holds the name, answers on the application's event loop.
//
// The socket speaks in lines: a peer sends one request line, the copy answers and hangs up. "show" is answered
// "murmex" (or "windowless" by a copy without a window); any other request goes to the copy's handler, and one
// it has none for is hung up on unanswered, as copies before the commands existed do with every request but
// "show". The listening copy drops the peers of other users unread, keeps a few peers at a time and each for a
// second at most, and reads at most a short line from each, so that nobody can use up its descriptors or its
// memory through the socket. UI thread.
#pragma once

#include "platform/QtPlatform.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;
class QTimer;

namespace murmex::platform {

class SingleInstance {
public:
    SingleInstance() = default;
    ~SingleInstance(); // lets the lock go
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

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

    // The request of a plain second start.
    static QByteArray ShowRequest() { return QByteArrayLiteral("show\n"); }

    enum class Outcome {
        TheOneCopy,         // this copy holds the name from now on, or runs unguarded where the name cannot be used
        AnotherShows,       // another copy answered "show", and has been asked to show itself
        AnotherHasNoWindow, // another copy answered "show": it runs without a window
        Answered,           // another copy answered the request: Answer()
        AnotherIsSilent,    // another copy holds the name but has not answered in time: it hangs
        AnotherIsOlder,     // another copy hung up on the request unanswered, and runs on: it does not know it
    };
    // Takes the name, or asks the copy that holds it with `request` (one line ending in a newline). A copy that
    // is still building its window is waited for up to ten seconds; once a copy has the request, it has two
    // seconds to answer, or for "show" what is left of the ten. A copy that ends meanwhile leaves the name to this
    // start. Any thread; no event loop needed.
    Outcome Claim(const QString& serverName, const QByteArray& request = ShowRequest());
    // What the copy answered, for Answered.
    const QByteArray& Answer() const { return m_answer; }
    // True while this copy holds the name.
    bool Holds() const { return m_lock >= 0; }
    const QString& Name() const { return m_name; }
    // After another copy answered, waits up to `ms` for it to end (its lock to go); true when it has.
    bool WaitUntilGone(int ms) const;

private:
    int m_lock = -1; // held for the whole run
    QString m_name;
    QByteArray m_answer;
};

class InstanceListener : public QObject {
    Q_OBJECT

public:
    // Listens at the name `instance` holds from now on, on the application's event loop; listens nowhere when it
    // holds none. Made once the window is there, so that a later start's request is answered at once.
    explicit InstanceListener(const SingleInstance& instance);
    ~InstanceListener() override;

    // Answers a request line other than "show" (given without its newline); an empty answer hangs up unanswered.
    using Handler = std::function<QByteArray(const QByteArray& line)>;
    void SetHandler(Handler handler) { m_handler = std::move(handler); }
    // A copy without a window answers "show" with "windowless", and shows nothing.
    void SetWindowless(bool windowless) { m_windowless = windowless; }

signals:
    // Another copy was started and has left.
    void ShowRequested();

private:
    struct Peer;
    struct SocketFile;
    void Accept();
    void AddPeer(int fd);
    void Read(int fd);
    void Answer(int fd, const QByteArray& line);
    void Drop(int fd, bool close = true);

    int m_listener = -1;
    std::unique_ptr<SocketFile> m_file;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::unique_ptr<QTimer> m_resume; // listening again after an accept that failed for want of resources
    std::map<int, std::unique_ptr<Peer>> m_peers;
    Handler m_handler;
    bool m_windowless = false;
};

} // namespace murmex::platform
