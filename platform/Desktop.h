// Small reads of the desktop and hand-overs to it the window needs, one function each so that tests can
// replace them. UI thread.
#pragma once

#include <QPoint>

class QUrl;

namespace murmex::platform {

// Width of the virtual desktop: all monitors together.
int VirtualScreenWidth();

// The mouse cursor in screen coordinates.
QPoint CursorPos();

// Whether the desktop has a notification area that can take an icon now. It can come and go while the
// program runs (a panel restarts, a tray host is ended).
bool TrayAvailable();

// Hands a document or web address to the program the user's desktop opens it with, without waiting for it.
// Whether that worked is not reported.
void OpenUrl(const QUrl& url);

} // namespace murmex::platform
