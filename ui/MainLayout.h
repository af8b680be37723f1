// The description of the main window as data: its size, shape and colours, the three picture lists, every
// control with its kind, parent, place, pictures, lettering, cursor and stacking, and the pictures drawn
// straight onto the window. Read by the window when it builds itself and by the picture painter at build
// time, so both agree on where each picture stands. Plain constants; any thread.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

namespace murmex::ui::layout {

// The description's names and words as Qt text.
inline QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The skin picture is the window's whole background; the window is larger by the shadow depth.
inline constexpr QSize kSkinSize{802, 602};
inline constexpr int kShadowDepth = 6;
inline constexpr QSize kFormSize{kSkinSize.width() + kShadowDepth, kSkinSize.height() + kShadowDepth};

inline constexpr QColor kFormColour{0x36, 0x6A, 0xB3};
inline constexpr QColor kFormFontColour{0xD7, 0xED, 0xFF};
inline constexpr int kFormFontHeight = 11;
// Skin pixels of this colour lie outside the window's outline.
inline constexpr QColor kOutsideColour{0xFF, 0x00, 0xFF};

// One rectangle of the window's outline, right and bottom exclusive.
struct RegionRect {
    int left, top, right, bottom;
};
// An 800 x 600 area one pixel in from the window's corner, its corners cut back in steps.
std::span<const RegionRect> WindowRegion();

enum class List : std::uint8_t { None, Btn, Scroll, YellowMenu };

struct ListSpec {
    List list;
    std::string_view name;     // the list's name in the window
    std::string_view resource; // resource folder holding item N as "N.png"
    int count;
};
std::span<const ListSpec> Lists();
const ListSpec& ListOf(List list);

enum class Kind : std::uint8_t {
    Image,        // one numbered picture of a list
    Picture,      // one fixed picture
    FillLabel,    // text only, drawn over the skin; used in shadowed pairs
    Label,        // transparent text label, as wide as its text
    Field,        // read-only field that arrows beside it change
    Edit,         // ordinary edit field
    TexturePanel, // container filled with the panel texture
    Lamp,         // filled rectangle showing a colour
    Indicator,    // ten-lamp level column
};

// Where a control goes in the stacking order of its parent, at creation and at every show.
enum class Stack : std::uint8_t { AsCreated, Front, Back };

// What every show of the window does to the control: leave it, place and show it, or place and hide it
// (a settings page shows it again).
enum class OnShow : std::uint8_t { Keep, Show, Hide };

struct Lettering {
    int height = 0; // character height in pixels; 0 keeps the window's font
    bool bold = false;
    QRgb colour = 0;
};

struct ControlSpec {
    std::string_view name;
    Kind kind;
    QRect rect;              // relative to the parent, as placed once the window is shown
    std::string_view parent; // empty: the window
    List list = List::None;
    int listIndex = 0;
    std::string_view picture{}; // a Picture's resource
    std::string_view text{};
    Lettering font{};
    bool hand = false;
    Stack stack = Stack::AsCreated;
    OnShow onShow = OnShow::Keep;
    bool dragsWindow = false; // presses go on to the window, which starts a move

private:
    // A copy with `change` applied to it. (Defined before its uses: clang cannot evaluate it otherwise.)
    template <class Change> constexpr ControlSpec With(Change change) const {
        ControlSpec copy = *this;
        change(copy);
        return copy;
    }

public:
    // Small changes of a description, so that the window's table reads one control to a line.
    constexpr ControlSpec In(std::string_view panel) const {
        return With([&](auto& c) { c.parent = panel; });
    }
    constexpr ControlSpec Hand() const {
        return With([](auto& c) { c.hand = true; });
    }
    constexpr ControlSpec Shown() const {
        return With([](auto& c) { c.onShow = OnShow::Show; });
    }
    constexpr ControlSpec Hidden() const {
        return With([](auto& c) { c.onShow = OnShow::Hide; });
    }
    constexpr ControlSpec Front() const {
        return With([](auto& c) { c.stack = Stack::Front; });
    }
    constexpr ControlSpec Back() const {
        return With([](auto& c) { c.stack = Stack::Back; });
    }
    constexpr ControlSpec Text(std::string_view t) const {
        return With([&](auto& c) { c.text = t; });
    }
    constexpr ControlSpec Drags() const {
        return With([](auto& c) { c.dragsWindow = true; });
    }
};

constexpr ControlSpec ListImage(std::string_view name, QRect rect, List list, int index) {
    return {.name = name, .kind = Kind::Image, .rect = rect, .parent = {}, .list = list, .listIndex = index};
}
constexpr ControlSpec FixedPicture(std::string_view name, QRect rect, std::string_view resource) {
    return {.name = name, .kind = Kind::Picture, .rect = rect, .parent = {}, .picture = resource};
}
constexpr ControlSpec Lettered(std::string_view name, Kind kind, QRect rect, Lettering font = {}) {
    return {.name = name, .kind = kind, .rect = rect, .parent = {}, .font = font};
}
constexpr ControlSpec Plain(std::string_view name, Kind kind, QRect rect) {
    return {.name = name, .kind = kind, .rect = rect, .parent = {}};
}

// In creation order, which is also the initial stacking order: later ones stand in front.
std::span<const ControlSpec> Controls();
// The control of that name; a name that is not in the description is a programming error.
const ControlSpec& Control(std::string_view name);
// The control's rectangle in window coordinates.
QRect WindowRect(const ControlSpec& control);

// A picture the window draws over a control through an off-screen bitmap of the same size.
struct DirectSpec {
    std::string_view bitmap;
    std::string_view over;
    QPoint at;
    QSize size;
};
std::span<const DirectSpec> DirectPictures();

inline constexpr std::string_view kTrayHint = "Murmex";
inline constexpr std::string_view kMenuHeading = "Murmex";
inline constexpr QSize kTrayIconSize{32, 32};
inline constexpr int kIconSizes[] = {128, 96, 72, 64, 48, 32, 24, 16};

struct MenuItemSpec {
    std::string_view name;
    std::string_view caption; // until the texts of the current language replace it
    std::string_view glyph;   // resource of its 11 x 11 picture
};
std::span<const MenuItemSpec> TrayMenuItems();

// Resources of the pictures that are not list items.
inline constexpr std::string_view kSkinResource = ":/skin/skin.png";
inline constexpr std::string_view kTextureResource = ":/skin/texture.png";
inline constexpr std::string_view kLampResourceFolder = ":/skin/lamps/";
inline constexpr std::string_view kIconResourceFolder = ":/skin/icon/";

} // namespace murmex::ui::layout
