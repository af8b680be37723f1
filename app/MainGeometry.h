// Where the main window stands on the desktop.
#pragma once

namespace murmex {

// The outer size of the window is the window shape's (ui/MainLayout); this is where it stands.
inline constexpr int kFormTop = 10;

// Horizontal place of the window: centred on the virtual desktop, rounded toward zero. On a desktop
// narrower than the window this is negative and is kept so.
constexpr int TopCentreLeft(int virtualScreenWidth, int formWidth) {
    return (virtualScreenWidth - formWidth) / 2;
}

} // namespace murmex
