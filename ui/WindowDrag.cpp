#include "ui/WindowDrag.h"

namespace murmex::ui {

void WindowDrag::Press(Qt::MouseButtons buttons, QPoint cursor, QPoint windowPos) {
    if (buttons.testFlag(Qt::LeftButton))
        m_grab = cursor - windowPos;
}

std::optional<QPoint> WindowDrag::Move(Qt::MouseButtons buttons, QPoint cursor) {
    if (!m_grab)
        return std::nullopt;
    if (!buttons.testFlag(Qt::LeftButton)) {
        m_grab.reset(); // the release went elsewhere
        return std::nullopt;
    }
    return cursor - *m_grab;
}

void WindowDrag::Release(Qt::MouseButtons buttons) {
    if (!buttons.testFlag(Qt::LeftButton))
        m_grab.reset();
}

} // namespace murmex::ui
