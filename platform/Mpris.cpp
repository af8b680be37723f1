#include "platform/Mpris.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QMetaProperty>
#include <QStringList>

#include <cmath>
#include <limits>
#include <vector>

namespace murmex::platform {
namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

QString PlaybackStatus(const MediaView& view) {
    return view.playing ? QStringLiteral("Playing") : QStringLiteral("Stopped");
}

// Answers `message` with an error in place of the reply its slot would give.
void Refuse(const QDBusMessage& message, QDBusError::ErrorType error, const QString& text) {
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(message.createErrorReply(error, text));
}

QVariantMap Metadata(const MediaView& view) {
    return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(view.trackId))},
            {QStringLiteral("xesam:title"), view.title}};
}

// The root interface: who the player is, and the window brought forward or the program ended.
class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool Fullscreen READ Fullscreen)
    Q_PROPERTY(bool CanSetFullscreen READ CanSetFullscreen)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)

public:
    RootAdaptor(MediaControls* controls, const MediaCommands& commands)
        : QDBusAbstractAdaptor(controls), m_controls(controls), m_commands(commands) {}

    bool CanQuit() const { return true; }
    // A player without a window has none to bring forward.
    bool CanRaise() const { return bool(m_commands.raise); }
    bool Fullscreen() const { return false; }
    bool CanSetFullscreen() const { return false; }
    bool HasTrackList() const { return false; }
    QString Identity() const { return m_controls->Identity().identity; }
    QString DesktopEntry() const { return m_controls->Identity().desktopEntry; }
    QStringList SupportedUriSchemes() const { return {}; }
    QStringList SupportedMimeTypes() const { return {}; }

public slots:
    void Raise(const QDBusMessage& message) { m_controls->Run(m_commands.raise, message); }
    void Quit(const QDBusMessage& message) { m_controls->Run(m_commands.quit, message); }

private:
    MediaControls* m_controls;
    const MediaCommands& m_commands;
};

// The player interface: what plays, its start and stop, the choice of what plays, and the volume. Nothing
// is ever seeked or opened.
class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(double MinimumRate READ Rate)
    Q_PROPERTY(double MaximumRate READ Rate)
    Q_PROPERTY(bool CanGoNext READ CanStep)
    Q_PROPERTY(bool CanGoPrevious READ CanStep)
    Q_PROPERTY(bool CanPlay READ Yes)
    Q_PROPERTY(bool CanPause READ Yes)
    Q_PROPERTY(bool CanSeek READ No)
    Q_PROPERTY(bool CanControl READ Yes)

public:
    PlayerAdaptor(MediaControls* controls, const MediaCommands& commands)
        : QDBusAbstractAdaptor(controls), m_controls(controls), m_commands(commands) {}

    QString PlaybackStatus() const { return platform::PlaybackStatus(m_controls->View()); }
    double Rate() const { return 1.0; }
    QVariantMap Metadata() const { return platform::Metadata(m_controls->View()); }
    double Volume() const { return m_controls->View().volume; }
    // Writes come through the properties adaptor; this only makes the interface show the volume as writable.
    void SetVolume(double volume) { Q_UNUSED(volume); }
    qlonglong Position() const { return 0; }
    bool CanStep() const { return m_controls->View().canStep; }
    bool Yes() const { return true; }
    bool No() const { return false; }

public slots:
    void Next(const QDBusMessage& message) { m_controls->Run(m_commands.next, message); }
    void Previous(const QDBusMessage& message) { m_controls->Run(m_commands.previous, message); }
    void Pause(const QDBusMessage& message) { m_controls->Run(m_commands.pause, message); }
    void PlayPause(const QDBusMessage& message) { m_controls->Run(m_commands.playPause, message); }
    void Stop(const QDBusMessage& message) { m_controls->Run(m_commands.stop, message); }
    void Play(const QDBusMessage& message) { m_controls->Run(m_commands.play, message); }
    void Seek(qlonglong offset) { Q_UNUSED(offset); }
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position) {
        Q_UNUSED(trackId);
        Q_UNUSED(position);
    }
    void OpenUri(const QString& uri) { Q_UNUSED(uri); }

signals:
    void Seeked(qlonglong position);

private:
    MediaControls* m_controls;
    const MediaCommands& m_commands;
};

// The properties of the two interfaces above. Qt's own answer to a property write stores whatever number the
// bus sends and cannot refuse one; this one refuses a volume that is not a finite number, with an error.
class PropertiesAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.Properties")

public:
    PropertiesAdaptor(MediaControls* controls, std::initializer_list<const QDBusAbstractAdaptor*> interfaces)
        : QDBusAbstractAdaptor(controls), m_controls(controls), m_interfaces(interfaces) {}

public slots:
    QDBusVariant Get(const QString& interfaceName, const QString& name, const QDBusMessage& message) {
        const QVariant value = Read(interfaceName, name);
        if (!value.isValid())
            Refuse(message, QDBusError::UnknownProperty,
                   QStringLiteral("No property %1 in %2").arg(name, interfaceName));
        return QDBusVariant(value);
    }

    QVariantMap GetAll(const QString& interfaceName, const QDBusMessage& message) {
        const QDBusAbstractAdaptor* adaptor = Find(interfaceName);
        if (!adaptor) {
            Refuse(message, QDBusError::UnknownInterface, QStringLiteral("No interface %1").arg(interfaceName));
            return {};
        }
        QVariantMap all;
        const QMetaObject* meta = adaptor->metaObject();
        for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i)
            all.insert(QString::fromLatin1(meta->property(i).name()), meta->property(i).read(adaptor));
        return all;
    }

    void Set(const QString& interfaceName, const QString& name, const QDBusVariant& value,
             const QDBusMessage& message) {
        if (interfaceName != kPlayerInterface || name != QLatin1StringView("Volume")) {
            const QDBusError::ErrorType error =
                Read(interfaceName, name).isValid() ? QDBusError::PropertyReadOnly : QDBusError::UnknownProperty;
            Refuse(message, error, QStringLiteral("%1 cannot be set in %2").arg(name, interfaceName));
            return;
        }
        bool number = false;
        const double volume = value.variant().toDouble(&number);
        // What is not a number at all is refused as a volume that is not a finite one.
        m_controls->SetVolume(number ? volume : std::numeric_limits<double>::quiet_NaN(), message);
    }

private:
    const QDBusAbstractAdaptor* Find(const QString& interfaceName) const {
        for (const QDBusAbstractAdaptor* adaptor : m_interfaces) {
            const QMetaObject* meta = adaptor->metaObject();
            if (interfaceName == QLatin1StringView(meta->classInfo(meta->indexOfClassInfo("D-Bus Interface")).value()))
                return adaptor;
        }
        return nullptr;
    }

    QVariant Read(const QString& interfaceName, const QString& name) const {
        const QDBusAbstractAdaptor* adaptor = Find(interfaceName);
        if (!adaptor)
            return {};
        const QMetaObject* meta = adaptor->metaObject();
        const int index = meta->indexOfProperty(name.toUtf8().constData());
        return index < meta->propertyOffset() ? QVariant() : meta->property(index).read(adaptor);
    }

    MediaControls* m_controls;
    std::vector<const QDBusAbstractAdaptor*> m_interfaces;
};

} // namespace

QVariantMap PlayerProperties(const MediaView& view) {
    return {{QStringLiteral("PlaybackStatus"), PlaybackStatus(view)},
            {QStringLiteral("Metadata"), Metadata(view)},
            {QStringLiteral("CanGoNext"), view.canStep},
            {QStringLiteral("CanGoPrevious"), view.canStep},
            {QStringLiteral("Volume"), view.volume}};
}

QVariantMap ChangedPlayerProperties(const MediaView& before, const MediaView& after) {
    QVariantMap changed;
    if (before.playing != after.playing)
        changed.insert(QStringLiteral("PlaybackStatus"), PlaybackStatus(after));
    if (before.trackId != after.trackId || before.title != after.title)
        changed.insert(QStringLiteral("Metadata"), Metadata(after));
    if (before.canStep != after.canStep) {
        changed.insert(QStringLiteral("CanGoNext"), after.canStep);
        changed.insert(QStringLiteral("CanGoPrevious"), after.canStep);
    }
    if (before.volume != after.volume)
        changed.insert(QStringLiteral("Volume"), after.volume);
    return changed;
}

MediaControls::MediaControls(const MediaIdentity& identity, MediaCommands commands)
    : m_identity(identity), m_commands(std::move(commands)),
      m_serviceName(QStringLiteral("org.mpris.MediaPlayer2.") + identity.busSuffix) {
    if (m_commands.view)
        m_view = m_commands.view();
}

std::unique_ptr<MediaControls> MediaControls::Start(const MediaIdentity& identity, MediaCommands commands) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    std::unique_ptr<MediaControls> controls(new MediaControls(identity, std::move(commands)));
    const auto* root = new RootAdaptor(controls.get(), controls->m_commands);
    const auto* player = new PlayerAdaptor(controls.get(), controls->m_commands);
    new PropertiesAdaptor(controls.get(), {root, player});
    if (!bus.registerObject(kObjectPath, controls.get(), QDBusConnection::ExportAdaptors))
        return nullptr;
    // Another program may hold the name already: the player then goes by a name of its own, as the media
    // controls' convention has it.
    if (!bus.registerService(controls->m_serviceName)) {
        controls->m_serviceName += QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(controls->m_serviceName)) {
            bus.unregisterObject(kObjectPath);
            return nullptr;
        }
    }
    return controls;
}

MediaControls::~MediaControls() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_serviceName);
    bus.unregisterObject(kObjectPath);
}

void MediaControls::Refresh() {
    if (!m_commands.view)
        return;
    const MediaView now = m_commands.view();
    const QVariantMap changed = ChangedPlayerProperties(m_view, now);
    m_view = now;
    if (changed.isEmpty())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

// The command runs before its answer: it opens no box that could keep the caller waiting, so the caller
// learns whether it was done, and an error is told to the one who asked.
void MediaControls::Run(const MediaCommand& command, const QDBusMessage& message) {
    const QString error = command ? command() : QString();
    Refresh();
    if (!error.isEmpty())
        Refuse(message, QDBusError::Failed, error);
}

void MediaControls::SetVolume(double volume, const QDBusMessage& message) {
    if (!std::isfinite(volume)) {
        Refuse(message, QDBusError::InvalidArgs, QStringLiteral("The volume must be a finite number"));
        return;
    }
    Run(m_commands.setVolume ? MediaCommand([this, volume] { return m_commands.setVolume(volume); }) : MediaCommand(),
        message);
}

} // namespace murmex::platform

#include "Mpris.moc"
