// Where the main window stands on the desktop and how large it is.
#pragma once

namespace murmex {

// Outer size of the borderless window; the visible outline is cut from it by the window shape.
inline constexpr int kFormWidth = 808;
inline constexpr int kFormHeight = 608;
inline constexpr int kFormTop = 10;

// Horizontal place of the window: centred on the virtual desktop, rounded toward zero. On a desktop
// narrower than the window this is negative and is kept so.
constexpr int TopCentreLeft(int virtualScreenWidth, int formWidth) {
    return (virtualScreenWidth - formWidth) / 2;
}

} // namespace murmex
