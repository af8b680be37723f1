#include "platform/Ownership.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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

#else

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
