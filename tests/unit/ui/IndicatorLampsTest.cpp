#include "ui/IIndicator.h"

#include <gtest/gtest.h>

namespace murmex::ui {
namespace {

using enum LampPicture;

// How many lamps from the bottom are lit, and whether the lit ones have the right colours.
int LitFromBottom(const std::array<LampPicture, kLampCount>& lamps) {
    int lit = 0;
    while (lit < kLampCount && (lamps[std::size_t(lit)] == GreenOn || lamps[std::size_t(lit)] == RedOn))
        ++lit;
    for (int k = lit; k < kLampCount; ++k)
        EXPECT_TRUE(lamps[std::size_t(k)] == GreenOff || lamps[std::size_t(k)] == RedOff) << "lamp " << k + 1;
    return lit;
}

TEST(IndicatorLampsTest, ThresholdsLightOneLampPer3276AndTheTopOneAbove30000) {
    const std::pair<std::int32_t, int> table[] = {
        {0, 1},     {3276, 1},  {3277, 2},  {6552, 2},  {6553, 3},  {9829, 4},  {13104, 4}, {13105, 5},  {16381, 6},
        {19656, 6}, {19657, 7}, {22933, 8}, {26208, 8}, {26209, 9}, {26999, 9}, {30000, 9}, {30001, 10}, {32767, 10},
    };
    for (auto [value, lit] : table)
        EXPECT_EQ(LitFromBottom(IndicatorLamps(value, true, true)), lit) << "value " << value;
}

TEST(IndicatorLampsTest, SevenGreenLampsThenThreeRed) {
    const auto all = IndicatorLamps(32767, true, true);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(all[std::size_t(k)], GreenOn);
    for (int k = 7; k < 10; ++k)
        EXPECT_EQ(all[std::size_t(k)], RedOn);
    const auto none = IndicatorLamps(0, false, true);
    EXPECT_EQ(none[0], GreenOff);
    EXPECT_EQ(none[6], GreenOff);
    EXPECT_EQ(none[7], RedOff);
}

TEST(IndicatorLampsTest, InactiveLeavesLampsUnlitButTheTopLampFollowsTheValue) {
    EXPECT_EQ(LitFromBottom(IndicatorLamps(29000, false, true)), 0);
    const auto high = IndicatorLamps(31000, false, true);
    EXPECT_EQ(high[9], RedOn);
    EXPECT_EQ(high[8], RedOff);
    EXPECT_EQ(high[0], GreenOff);
}

TEST(IndicatorLampsTest, DisabledShowsEveryLampGrey) {
    for (bool active : {false, true})
        for (const LampPicture lamp : IndicatorLamps(31000, active, false))
            EXPECT_EQ(lamp, Disabled);
}

TEST(IndicatorLampsTest, ValuesAreClampedToTheBounds) {
    EXPECT_EQ(ClampLevel(-5), 0);
    EXPECT_EQ(ClampLevel(40000), 32767);
    EXPECT_EQ(ClampLevel(12345), 12345);
}

TEST(IndicatorLampsTest, LampPlacesAtTheDefaultAndTheWindowsSize) {
    EXPECT_EQ(LampTop(1, 142), 127);
    EXPECT_EQ(LampTop(10, 142), 1) << "ten lamps flush between rows 1 and 140";
    const int tops[] = {125, 111, 97, 83, 69, 55, 41, 27, 13, -1};
    for (int k = 1; k <= 10; ++k)
        EXPECT_EQ(LampTop(k, 140), tops[k - 1]) << "lamp " << k;
}

} // namespace
} // namespace murmex::ui
