// Whether the pointer is over a control: the window tests the controls against where its own pointer events
// last saw the pointer, instead of giving each control enter and leave handlers of its own. Pure; any thread.
#pragma once

#include <QPoint>
#include <QRect>

#include <limits>

namespace murmex {

// True when the cursor (screen coordinates) lies strictly inside `control`, given in window coordinates,
// of a window whose outer top-left is `windowPos`. A cursor on an edge is outside. A window that is hidden
// or minimised has nothing under the cursor.
constexpr bool CursorOver(QPoint cursor, QPoint windowPos, QRect control, bool windowShown) {
    if (!windowShown)
        return false;
    const int left = windowPos.x() + control.x();
    const int top = windowPos.y() + control.y();
    return left < cursor.x() && cursor.x() < left + control.width() && top < cursor.y() &&
           cursor.y() < top + control.height();
}

// Where the pointer is while it is outside the window: above and left of every control, so that no hover
// test, the tabs' included, finds it inside one.
inline constexpr QPoint kNoCursor{std::numeric_limits<int>::min(), std::numeric_limits<int>::min()};

// The two pictures of a small button: lit while the cursor is over it.
struct HoverFaces {
    int hovered;
    int plain;
};

inline constexpr HoverFaces kHelpFaces{0, 1};
inline constexpr HoverFaces kInternetFaces{2, 3};
inline constexpr HoverFaces kMinFaces{4, 5};
inline constexpr HoverFaces kCloseFaces{6, 7};
// The up and down arrows of the language and auto-off selectors.
inline constexpr HoverFaces kUpArrowFaces{9, 8};
inline constexpr HoverFaces kDownArrowFaces{11, 10};

constexpr int HoverPicture(HoverFaces faces, bool hovered) {
    return hovered ? faces.hovered : faces.plain;
}

} // namespace murmex
