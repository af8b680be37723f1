// Keeps the computer from suspending for being idle while the noise plays. The screen may still blank and
// lock, and a suspend the user asks for still happens. UI thread only.
#pragma once

#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;

namespace murmex::platform {

// Asks the desktop portal (session bus) first and, where no portal answers, the login manager (system
// bus). Every request is sent without waiting; an answer that comes after Release() is given back at once,
// so a quick start and stop leaves nothing held. At most one inhibitor is held or asked for at a time.
// Failures go unnoticed: without a bus, a portal or a login manager the program simply goes on.
class IdleInhibitor : public QObject {
    Q_OBJECT
public:
    explicit IdleInhibitor(QString reason, QObject* parent = nullptr);
    // Gives back what is held; the portal is told before this returns (briefly waited for).
    ~IdleInhibitor() override;

    // Asks for an inhibitor unless one is held or asked for already.
    void Hold();
    // Gives back the inhibitor held, or the one asked for as soon as its answer comes.
    void Release();

    // An inhibitor is held now (its answer has come and it has not been given back).
    bool Holding() const;

signals:
    // An answer has come, whether it brought an inhibitor or not; for tests and diagnostics.
    void Answered();

private:
    void AskPortal();
    void AskLogin1();
    void PortalAnswered(QDBusPendingCallWatcher* call);
    void Login1Answered(QDBusPendingCallWatcher* call);
    void GiveBack(bool wait);

    QString m_reason;
    bool m_wanted = false; // the inhibitor is wanted: between Hold() and Release()
    bool m_asking = false; // a request is on its way
    // What is held: the portal's request object, or the login manager's descriptor.
    QString m_portalRequest;
    QDBusUnixFileDescriptor m_login1Fd;
};

} // namespace murmex::platform
