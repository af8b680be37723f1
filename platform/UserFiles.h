// The checks made before the program opens a file of its own (the settings, the chosen output) or chooses a
// folder for one. Any thread.
#pragma once

#include <QString>

namespace murmex::platform {

// True when something other than a regular file stands at `path` (a FIFO, a device, a folder, a socket),
// symbolic links followed. Opening such a thing could block the program or read what is not a settings
// file. A missing path is not one.
bool NotARegularFile(const QString& path);

// Where the user's own native settings of `organisation` and `application` are kept, found without opening
// anything: the file where they are a file (QSettings' own rule), else the registry key's name.
QString UserSettingsLocation(const QString& organisation, const QString& application);

// A folder of this user's own, where a portable copy may keep its files: owned by the user and writable,
// and never for the superuser, whose files belong in the system's places.
bool UsersOwnFolder(const QString& folder);

} // namespace murmex::platform
