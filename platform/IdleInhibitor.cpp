#include "platform/IdleInhibitor.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace murmex::platform {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInhibit = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kPortalRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kLogin1Service = QStringLiteral("org.freedesktop.login1");
const QString kLogin1Path = QStringLiteral("/org/freedesktop/login1");
const QString kLogin1Manager = QStringLiteral("org.freedesktop.login1.Manager");

// The portal's flag for "suspending the session".
constexpr uint kPortalSuspend = 4;
// How long an answer is waited for (in the background) before the next way is tried or the request is
// given up. A portal that is started for the request may take a few seconds.
constexpr int kAnswerTimeoutMs = 10000;
// How long the program's end waits for the portal to take the inhibitor back.
constexpr int kEndTimeoutMs = 500;

} // namespace

IdleInhibitor::IdleInhibitor(QString reason, QObject* parent) : QObject(parent), m_reason(std::move(reason)) {}

IdleInhibitor::~IdleInhibitor() {
    // A request still on its way is dropped with its watcher; whatever it brings is given back when the
    // program's connections close.
    m_wanted = false;
    GiveBack(true);
}

bool IdleInhibitor::Holding() const {
    return !m_portalRequest.isEmpty() || m_login1Fd.isValid();
}

void IdleInhibitor::Hold() {
    m_wanted = true;
    if (m_asking || Holding())
        return;
    AskPortal();
}

void IdleInhibitor::Release() {
    m_wanted = false;
    // One on its way is given back by its answer.
    GiveBack(false);
}

void IdleInhibitor::AskPortal() {
    // The bus addresses come from the environment, where tests put private buses.
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        AskLogin1();
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalInhibit, QStringLiteral("Inhibit"));
    call << QString() << kPortalSuspend << QVariantMap{{QStringLiteral("reason"), m_reason}};
    m_asking = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &IdleInhibitor::PortalAnswered);
}

void IdleInhibitor::AskLogin1() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        m_asking = false;
        emit Answered();
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogin1Service, kLogin1Path, kLogin1Manager, QStringLiteral("Inhibit"));
    // Only the idle action is held off; a suspend or a shutdown asked for goes ahead.
    call << QStringLiteral("idle") << QStringLiteral("Murmex") << m_reason << QStringLiteral("block");
    m_asking = true;
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kAnswerTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &IdleInhibitor::Login1Answered);
}

void IdleInhibitor::PortalAnswered(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *call;
    if (reply.isError()) {
        // No portal, or one without this service: the login manager is the other way.
        if (m_wanted) {
            AskLogin1();
        } else {
            m_asking = false;
            emit Answered();
        }
        return;
    }
    m_asking = false;
    m_portalRequest = reply.value().path();
    if (!m_wanted)
        GiveBack(false);
    emit Answered();
}

void IdleInhibitor::Login1Answered(QDBusPendingCallWatcher* call) {
    call->deleteLater();
    m_asking = false;
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *call;
    if (!reply.isError()) {
        m_login1Fd = reply.value();
        if (!m_wanted)
            GiveBack(false);
    }
    emit Answered();
}

void IdleInhibitor::GiveBack(bool wait) {
    // The login manager's inhibitor lasts as long as its descriptor is open anywhere.
    m_login1Fd = QDBusUnixFileDescriptor();
    if (m_portalRequest.isEmpty())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QDBusMessage close =
        QDBusMessage::createMethodCall(kPortalService, m_portalRequest, kPortalRequest, QStringLiteral("Close"));
    m_portalRequest.clear();
    if (wait)
        bus.call(close, QDBus::Block, kEndTimeoutMs);
    else
        bus.send(close);
}

} // namespace murmex::platform
