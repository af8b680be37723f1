// The checks made before the program opens a file of its own (the settings, the chosen output, the help) or
// chooses a folder for one: what stands at a path, and whether it is the user's own, looked at without
// following a link where another user could have left one. Any thread.
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

// A regular file (not a link, FIFO, device or folder) that belongs to the user running the program.
bool IsOwnRegularFile(const QString& path);

// A folder (not a link to one) of the user's own that nobody else may enter: mode 0700.
bool IsPrivateFolder(const QString& path);

// Makes `path` a private folder unless it is one already, with its parents as needed; true when it is one now.
// A folder of that name that is not private is left as it is, and the answer is false.
bool MakePrivateFolder(const QString& path);

} // namespace murmex::platform
