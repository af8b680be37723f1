// The rules of the settings area: which controls each of the three pages shows, the faces of the page tabs
// and the pictures of the option tick boxes. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <optional>

namespace murmex {

inline constexpr int kPageCount = 3;

// What a page shows; everything else of the settings area is hidden.
struct PageControls {
    bool language = false;  // the language caption and selector
    bool device = false;    // the output device caption, selector and the S/PDIF option
    bool options = false;   // the start-up and hint options, the auto-off caption and delay
    bool offAction = false; // the auto-off action: only on the options page, and only with a delay chosen

    bool operator==(const PageControls&) const = default;
};

// The controls of page `pageNum` with the auto-off delay index `off1`, or nothing for a page that does not
// exist (then nothing changes).
constexpr std::optional<PageControls> PageVisibility(std::int32_t pageNum, std::int32_t off1) {
    switch (pageNum) {
    case 0:
        return PageControls{.language = true};
    case 1:
        return PageControls{.device = true};
    case 2:
        return PageControls{.options = true, .offAction = off1 != 0};
    default:
        return std::nullopt;
    }
}

// The picture of tab `tab` (0..2) of the tab strip: lit while hovered or while its page is shown. English
// faces 1..3 plain and 7..9 lit, Russian 4..6 and 10..12; nothing for another language.
constexpr std::optional<int> TabFace(int tab, bool lit, std::int32_t langNum) {
    switch (langNum) {
    case 0:
        return (lit ? 7 : 1) + tab;
    case 1:
        return (lit ? 10 : 4) + tab;
    default:
        return std::nullopt;
    }
}

inline constexpr int kTickBoxOff = 12;
inline constexpr int kTickBoxOn = 13;

constexpr int TickBoxPicture(bool ticked) {
    return ticked ? kTickBoxOn : kTickBoxOff;
}

} // namespace murmex
