// Small reads of the desktop the window needs, one function each so that tests can replace them.
#pragma once

#include <QPoint>

namespace murmex::platform {

// Width of the virtual desktop: all monitors together.
int VirtualScreenWidth();

// The mouse cursor in screen coordinates.
QPoint CursorPos();

} // namespace murmex::platform
