// Whether a file or folder is the user's own, looked at without following a link: for a file that another
// user could have left in a shared folder, and for a folder that must be private. Any thread.
#pragma once

#include <QString>

namespace murmex::platform {

// A regular file (not a link, FIFO, device or folder) that belongs to the user running the program.
bool IsOwnRegularFile(const QString& path);

// A folder (not a link to one) of the user's own that nobody else may enter: mode 0700.
bool IsPrivateFolder(const QString& path);

// Makes `path` a private folder unless it is one already, with its parents as needed; true when it is one now.
// A folder of that name that is not private is left as it is, and the answer is false.
bool MakePrivateFolder(const QString& path);

} // namespace murmex::platform
