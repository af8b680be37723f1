// The desktop's media controls: the program shows itself on the session bus as a media player (MPRIS2), so
// that media keys, the desktop's player applet and tools such as playerctl can see what plays and control it.
// The player is known by a view of its state and a set of commands; the service only carries them over the
// bus. UI thread.
#pragma once

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <memory>

class QDBusMessage;

namespace murmex::platform {

// What the media controls show of the player.
struct MediaView {
    bool playing = false;
    bool canStep = false; // next and previous are offered
    QString trackId;      // an object path naming what is chosen
    QString title;
    double volume = 0.0; // 0..1

    bool operator==(const MediaView&) const = default;
};

// The player interface's properties in `view`, by their names on the bus.
QVariantMap PlayerProperties(const MediaView& view);
// Those of the player interface's properties whose values differ between `before` and `after`, with their
// values in `after`.
QVariantMap ChangedPlayerProperties(const MediaView& before, const MediaView& after);

// A command's outcome: the error it met, which is its caller's answer; empty when it was done.
using MediaCommand = std::function<QString()>;

// What the media controls can ask of the player. Every command is optional; a missing one does nothing.
struct MediaCommands {
    std::function<MediaView()> view; // the player's state now
    MediaCommand raise;
    MediaCommand quit;
    MediaCommand play;
    MediaCommand pause;
    MediaCommand playPause;
    MediaCommand stop;
    MediaCommand next;
    MediaCommand previous;
    std::function<QString(double volume)> setVolume;
};

struct MediaIdentity {
    QString busSuffix;    // the service is org.mpris.MediaPlayer2.<busSuffix>
    QString identity;     // the name shown to the user
    QString desktopEntry; // the desktop entry's name, without ".desktop"
};

class MediaControls : public QObject {
    Q_OBJECT

public:
    // Registers the player on the session bus, as org.mpris.MediaPlayer2.<busSuffix>, or with that name taken
    // by another program as org.mpris.MediaPlayer2.<busSuffix>.instance<pid>. Without a session bus, or with
    // both names taken, there are no media controls: nothing is returned and nothing is said.
    static std::unique_ptr<MediaControls> Start(const MediaIdentity& identity, MediaCommands commands);
    ~MediaControls() override;

    // Reads the player's view and tells the bus about every property that has changed since the last time.
    void Refresh();

    // For the adaptors.
    const MediaIdentity& Identity() const { return m_identity; }
    const MediaView& View() const { return m_view; }
    // Both act before they answer the caller of `message`: with the error the command met, or as done.
    void Run(const MediaCommand& command, const QDBusMessage& message);
    // A volume that is not a finite number is refused, and nothing is done.
    void SetVolume(double volume, const QDBusMessage& message);

private:
    MediaControls(const MediaIdentity& identity, MediaCommands commands);

    MediaIdentity m_identity;
    MediaCommands m_commands;
    MediaView m_view;
    QString m_serviceName;
};

} // namespace murmex::platform
