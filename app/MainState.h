// The main window's own state, kept under the names the rest of the program uses for it.
// Read and written on the UI thread only.
#pragma once

#include <cstdint>

namespace murmex {

// The eight values kept between runs (the language is stored on its own). The initialisers are the
// state of a freshly created window, which is not the same as the defaults of an empty store; the read of
// the store replaces every one of them.
struct MainSettings {
    bool Min_FormShow = false;
    bool HintShow = false;
    std::int32_t Noise_Num = 0;
    std::int32_t Off_1 = 0;
    std::int32_t Off_2 = 0;
    bool SPDIF = false;
    std::int32_t Value_L = 0;
    std::int32_t Value_R = 0;

    bool operator==(const MainSettings&) const = default;
};

struct MainState : MainSettings {
    bool Generator_On = false;
    bool First_Tick = true;
    std::int32_t Off_Count = 0;
    std::int32_t Lang_Num = 0;
    std::int32_t Page_Num = 0;
    std::int32_t Vol_Base_Y = 0;

    // Recomputed or set by the mouse; never stored.
    bool Generator_Pressed = false;
    bool Generator_Hover = false;
    bool Slider_L_Hover = false;
    bool Slider_R_Hover = false;
    bool Slider_L_Pressed = false;
    bool Slider_R_Pressed = false;
};

} // namespace murmex
