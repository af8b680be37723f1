#include "platform/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#if defined(__unix__)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace murmex::platform {

#if defined(__unix__)
bool NotARegularFile(const QString& path) {
    struct stat info = {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return !S_ISREG(info.st_mode);
}

// $XDG_CONFIG_HOME (taken from the home folder when relative), else ~/.config. QSettings would open the file
// to say where it is, and that open blocks on a FIFO.
QString UserSettingsLocation(const QString& organisation, const QString& application) {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    QString folder = QDir::homePath() + QStringLiteral("/.config");
    if (QDir::isAbsolutePath(configured))
        folder = configured;
    else if (!configured.isEmpty())
        folder = QDir::homePath() + QLatin1Char('/') + configured;
    return folder + QLatin1Char('/') + organisation + QLatin1Char('/') + application + QStringLiteral(".conf");
}

bool UsersOwnFolder(const QString& folder) {
    struct stat info = {};
    const uid_t user = geteuid();
    if (user == 0 || stat(QFile::encodeName(folder).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == user && access(QFile::encodeName(folder).constData(), W_OK) == 0;
}
#else
bool NotARegularFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

QString UserSettingsLocation(const QString& organisation, const QString& application) {
    return QSettings(organisation, application).fileName();
}

// A folder that can be written is taken as the user's own; the system's folders cannot be written without
// elevation.
bool UsersOwnFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}
#endif

} // namespace murmex::platform
