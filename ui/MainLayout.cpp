#include "ui/MainLayout.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace murmex::ui::layout {
namespace {

constexpr RegionRect kRegion[] = {
    {6, 1, 796, 2},     {4, 2, 798, 3},     {3, 3, 799, 4},     {2, 4, 800, 6},     {1, 6, 801, 596},
    {2, 596, 800, 598}, {3, 598, 799, 599}, {4, 599, 798, 600}, {6, 600, 796, 601},
};

constexpr ListSpec kLists[] = {
    {List::Btn, "BitmapList_Btn", ":/skin/btn/", 66},
    {List::Scroll, "BitmapList_Scroll", ":/skin/scroll/", 26},
    {List::YellowMenu, "BitmapList_YellowMenu", ":/skin/yellowmenu/", 13},
};

constexpr QRgb kHeadingBlue = 0xFF366AB3;
constexpr QRgb kLightLabel = 0xFFC8E1BB;
constexpr QRgb kFieldText = 0xFFD7EDFF;
constexpr Lettering kTitle{27, false, 0xFFFFB632};
constexpr Lettering kTitleShadow{27, false, 0xFFB66107};
constexpr Lettering kPageLabel{12, false, kLightLabel};
constexpr Lettering kVolume{11, true, kLightLabel};
constexpr Lettering kField12{12, false, kFieldText};
constexpr Lettering kField11{11, false, kFieldText};

using enum Kind;
using enum List;

constexpr ControlSpec kControls[] = {
    // Title band.
    Lettered("Label_Title_Name_Shadow", FillLabel, {9, 3, 109, 34}, kTitleShadow).Text("Murmex").Drags().Back().Shown(),
    Lettered("Label_Title_Name", FillLabel, {8, 2, 109, 34}, kTitle).Text("Murmex").Drags().Front().Shown(),
    // The title buttons start with their hovered pictures; the work timer puts the right ones in place.
    ListImage("Sb_Help", {702, 5, 22, 23}, Btn, 0).Shown(),
    ListImage("Sb_Internet", {726, 5, 22, 23}, Btn, 2).Shown(),
    ListImage("Sb_Min", {750, 5, 22, 23}, Btn, 4).Shown(),
    ListImage("Sb_Close", {774, 5, 22, 23}, Btn, 6).Shown(),
    Plain("Panel_Indicator_Generator", TexturePanel, {750, 37, 22, 9}).Shown(),
    Plain("Indicator_Generator", Lamp, {1, 1, 20, 7}).In("Panel_Indicator_Generator").Shown(),
    Lettered("Lbl_Title_1", Label, {15, 60, 126, 23}, {19, true, kHeadingBlue}).Shown(),

    // Generator panel. Lettered pictures start in Russian, until the language is applied.
    ListImage("Img_Generator", {32, 97, 92, 19}, Btn, 60).Hand(),
    ListImage("Cb_Noise_1", {140, 137, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_2", {280, 137, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_3", {70, 227, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_4", {350, 227, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_5", {70, 317, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_6", {350, 317, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_7", {140, 407, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Cb_Noise_8", {280, 407, 23, 23}, Btn, 30).Hand().Shown(),
    ListImage("Img_Noise_1", {100, 160, 104, 22}, Btn, 34).Hand().Shown(),
    ListImage("Img_Noise_2", {240, 160, 104, 22}, Btn, 35).Hand().Shown(),
    ListImage("Img_Noise_3", {30, 250, 104, 22}, Btn, 36).Hand().Shown(),
    ListImage("Img_Noise_4", {310, 250, 104, 22}, Btn, 37).Hand().Shown(),
    ListImage("Img_Noise_5", {30, 340, 104, 22}, Btn, 38).Hand().Shown(),
    ListImage("Img_Noise_6", {310, 340, 104, 22}, Btn, 39).Hand().Shown(),
    ListImage("Img_Noise_7", {100, 430, 104, 22}, Btn, 40).Hand().Shown(),
    ListImage("Img_Noise_8", {240, 430, 104, 22}, Btn, 41).Hand().Shown(),
    // Its own picture shows only until the face is drawn over it.
    ListImage("Sb_Generator", {25, 510, 164, 50}, Btn, 26).Hand(),

    // Volume panel.
    ListImage("Img_Volume", {506, 97, 92, 19}, Btn, 62).Hand(),
    FixedPicture("Img_Left", {520, 120, 36, 12}, ":/skin/left.png"),
    FixedPicture("Img_Right", {700, 120, 36, 12}, ":/skin/right.png"),
    ListImage("Img_1_L", {520, 135, 21, 142}, Scroll, 0).Back().Shown(),
    ListImage("Img_1_R", {700, 135, 21, 142}, Scroll, 0).Back().Shown(),
    Plain("Left_Indicator", Indicator, {560, 135, 14, 140}),
    Plain("Right_Indicator", Indicator, {740, 135, 14, 140}),
    FixedPicture("Img_Level_L", {520, 284, 41, 12}, ":/skin/level.png"),
    Lettered("Lbl_Vol_L", Label, {558, 281, 16, 13}, kVolume).Text("00").Hand(),
    FixedPicture("Img_Level_R", {700, 284, 41, 12}, ":/skin/level.png"),
    Lettered("Lbl_Vol_R", Label, {738, 281, 16, 13}, kVolume).Text("00").Hand(),

    // Settings panel: heading and page tabs (the tabs' pictures fill only their top 23 rows).
    ListImage("Img_Setting", {506, 319, 92, 19}, Btn, 64).Hand(),
    ListImage("Img_Yellow_Fon1", {498, 343, 278, 42}, YellowMenu, 0).Back().Shown(),
    ListImage("Btn_Yellow_1", {510, 350, 82, 42}, YellowMenu, 10).Hand().Front().Shown(),
    ListImage("Btn_Yellow_2", {596, 350, 82, 42}, YellowMenu, 5).Hand().Front().Shown(),
    ListImage("Btn_Yellow_3", {682, 350, 82, 42}, YellowMenu, 6).Hand().Front().Shown(),

    // Page 0: interface language.
    Lettered("Lbl_Lang", Label, {502, 394, 78, 14}, kPageLabel).Hidden(),
    Plain("Panel_Lang", TexturePanel, {502, 412, 264, 22}).Hidden(),
    Lettered("Edit_Lang", Field, {2, 1, 236, 20}, kField12).In("Panel_Lang"),
    ListImage("Sb_Lang_Up", {244, 1, 19, 10}, Btn, 8).In("Panel_Lang").Hand(),
    ListImage("Sb_Lang_Down", {244, 11, 19, 10}, Btn, 10).In("Panel_Lang").Hand(),

    // Page 1: audio device.
    Lettered("Lbl_Obj1", Label, {502, 394, 120, 14}, kPageLabel).Hidden(),
    Plain("Panel_Obj1", TexturePanel, {502, 412, 264, 22}).Hidden(),
    Lettered("Edit_Obj1", Field, {2, 1, 236, 20}, kField12).In("Panel_Obj1").Text("No"),
    ListImage("Sb_Obj1_Up", {244, 1, 19, 10}, Btn, 8).In("Panel_Obj1").Hand(),
    ListImage("Sb_Obj1_Down", {244, 11, 19, 10}, Btn, 10).In("Panel_Obj1").Hand(),
    ListImage("Cb_SPDIF", {502, 460, 18, 18}, Btn, 12).Hand().Hidden(),
    Lettered("Lbl_SPDIF", Label, {524, 460, 193, 14}, kPageLabel).Hidden(),

    // Page 2: start-up, hints and auto-off.
    Lettered("Lbl_Off_Title", Label, {502, 394, 39, 14}, kPageLabel).Hidden(),
    Plain("Panel_Off_1", TexturePanel, {502, 412, 80, 22}).Hidden(),
    Lettered("Edit_Off_1", Field, {4, 1, 22, 20}, kField11).In("Panel_Off_1").Text("00"),
    Lettered("Label1", Label, {30, 8, 22, 14}, {12, false, 0xFF000000}).In("Panel_Off_1").Text("min"),
    ListImage("Sb_Off_1_Up", {60, 1, 19, 10}, Btn, 8).In("Panel_Off_1").Hand(),
    ListImage("Sb_Off_1_Down", {60, 11, 19, 10}, Btn, 10).In("Panel_Off_1").Hand(),
    Plain("Panel_Off_2", TexturePanel, {586, 412, 180, 22}).Hidden(),
    Lettered("Edit_Off_2", Field, {4, 1, 150, 20}, kField11).In("Panel_Off_2"),
    ListImage("Sb_Off_2_Up", {160, 1, 19, 10}, Btn, 8).In("Panel_Off_2").Hand(),
    ListImage("Sb_Off_2_Down", {160, 11, 19, 10}, Btn, 10).In("Panel_Off_2").Hand(),
    ListImage("Cb_Min_FormShow", {502, 440, 18, 18}, Btn, 12).Hand().Hidden(),
    Lettered("Lbl_Min_FormShow", Label, {524, 440, 88, 14}, kPageLabel).Hidden(),
    ListImage("Cb_HintShow", {502, 460, 18, 18}, Btn, 12).Hand().Hidden(),
    Lettered("Lbl_HintShow", Label, {524, 460, 67, 14}, kPageLabel).Hidden(),

    // Below the visible outline, for the program's own use.
    Plain("Edit_Focus", Edit, {3, 647, 121, 21}),
    Plain("Lbl_Title_2", Label, {295, 664, 117, 23}),
};

constexpr DirectSpec kDirect[] = {
    {"Bmp_Generator", "Sb_Generator", {25, 510}, {164, 50}},
    {"Bmp_Scroll_L", "Img_1_L", {520, 135}, {21, 142}},
    {"Bmp_Scroll_R", "Img_1_R", {700, 135}, {21, 142}},
};

constexpr MenuItemSpec kMenuItems[] = {
    {"TrayMenu_1", "Start Generator", ":/skin/glyph/start.png"},
    {"TrayMenu_2", "Generator Shut Down", ":/skin/glyph/stop.png"},
    {"TrayMenu_3", "Go to our website", ":/skin/glyph/web.png"},
    {"TrayMenu_4", "Exit", ":/skin/glyph/exit.png"},
};

} // namespace

std::span<const RegionRect> WindowRegion() {
    return kRegion;
}

std::span<const ListSpec> Lists() {
    return kLists;
}

const ListSpec& ListOf(List list) {
    const auto* found = std::find_if(std::begin(kLists), std::end(kLists), [&](auto& l) { return l.list == list; });
    if (found == std::end(kLists)) {
        std::fputs("murmex: a control names no picture list\n", stderr);
        std::abort();
    }
    return *found;
}

std::span<const ControlSpec> Controls() {
    return kControls;
}

const ControlSpec& Control(std::string_view name) {
    const auto* found =
        std::find_if(std::begin(kControls), std::end(kControls), [&](auto& c) { return c.name == name; });
    if (found == std::end(kControls)) {
        std::fprintf(stderr, "murmex: no control %.*s in the window description\n", int(name.size()), name.data());
        std::abort();
    }
    return *found;
}

QRect WindowRect(const ControlSpec& control) {
    if (control.parent.empty())
        return control.rect;
    return control.rect.translated(WindowRect(Control(control.parent)).topLeft());
}

std::span<const DirectSpec> DirectPictures() {
    return kDirect;
}

std::span<const MenuItemSpec> TrayMenuItems() {
    return kMenuItems;
}

} // namespace murmex::ui::layout
