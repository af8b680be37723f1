#include "platform/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace murmex::platform {

#if defined(Q_OS_UNIX)

namespace {

bool Look(const QString& path, struct stat& status) {
    return !path.isEmpty() && lstat(QFile::encodeName(path).constData(), &status) == 0 && status.st_uid == geteuid();
}

} // namespace

bool IsOwnRegularFile(const QString& path) {
    struct stat status {};
    return Look(path, status) && S_ISREG(status.st_mode);
}

bool IsPrivateFolder(const QString& path) {
    struct stat status {};
    return Look(path, status) && S_ISDIR(status.st_mode) && (status.st_mode & 0777) == 0700;
}

bool MakePrivateFolder(const QString& path) {
    const QString parent = QFileInfo(path).path();
    // The parents are the user's usual folders (such as ~/.cache) and keep the user's usual mode.
    if (!QDir().mkpath(parent))
        return false;
    mkdir(QFile::encodeName(path).constData(), 0700);
    return IsPrivateFolder(path);
}

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

// Elsewhere a user's files are kept apart by the system's own access lists.
bool IsOwnRegularFile(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() && !file.isSymLink();
}

bool IsPrivateFolder(const QString& path) {
    const QFileInfo folder(path);
    return folder.isDir() && !folder.isSymLink();
}

bool MakePrivateFolder(const QString& path) {
    return QDir().mkpath(path) && IsPrivateFolder(path);
}

#endif

} // namespace murmex::platform
