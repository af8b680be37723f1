#include "platform/Desktop.h"

#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QUrl>

namespace murmex::platform {

int VirtualScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry().width() : 0;
}

QPoint CursorPos() {
    return QCursor::pos();
}

bool TrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void OpenUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace murmex::platform
