// Moving a borderless window with the mouse when the platform cannot run its own move loop
// (for instance with no window manager): the press remembers where in the window it was grabbed,
// each move while the left button is held puts the window under the cursor again.
#pragma once

#include <QPoint>
#include <Qt>

#include <optional>

namespace murmex::ui {

class WindowDrag {
public:
    // Starts a drag when the left button is among `buttons`; other buttons do nothing.
    void Press(Qt::MouseButtons buttons, QPoint cursor, QPoint windowPos);

    // The window's new top-left for a cursor move, or nothing when no drag is running.
    std::optional<QPoint> Move(Qt::MouseButtons buttons, QPoint cursor);

    void Release(Qt::MouseButtons buttons);

    bool Active() const { return m_grab.has_value(); }

private:
    std::optional<QPoint> m_grab; // cursor minus window top-left at the press
};

} // namespace murmex::ui
