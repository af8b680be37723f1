#include "platform/Desktop.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

namespace murmex::platform {

int VirtualScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry().width() : 0;
}

QPoint CursorPos() {
    return QCursor::pos();
}

} // namespace murmex::platform
