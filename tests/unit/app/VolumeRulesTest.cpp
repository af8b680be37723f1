// The volume conversions, the sliders and the level the indicators show.
#include "app/Sliders.h"
#include "audio/WaveOutUtils.h"
#include "ui/IIndicator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace murmex {
namespace {

using audio::TrackBarToVolume;
using audio::VolumeToTrackBar;

TEST(VolumeConversionTest, TrackBarPositionsRoundHalfToEven) {
    EXPECT_EQ(TrackBarToVolume(0), 65535);
    EXPECT_EQ(TrackBarToVolume(100), 0);
    EXPECT_EQ(TrackBarToVolume(50), 32768) << "32767.5 goes to the even neighbour";
    EXPECT_EQ(TrackBarToVolume(90), 6554) << "6553.5";
    EXPECT_EQ(TrackBarToVolume(70), 19660) << "19660.5";
    EXPECT_EQ(TrackBarToVolume(100 - 1), 655);
    EXPECT_EQ(TrackBarToVolume(100 - 99), 64880);
    EXPECT_EQ(TrackBarToVolume(5, 5, 105), 65535) << "the bar's own range";
}

TEST(VolumeConversionTest, VolumesGoBackToTheirPositions) {
    EXPECT_EQ(VolumeToTrackBar(65535), 0);
    EXPECT_EQ(VolumeToTrackBar(32768), 50);
    EXPECT_EQ(VolumeToTrackBar(0), 100);
    EXPECT_EQ(VolumeToTrackBar(1), 99) << "above silence: one step at least";
    EXPECT_EQ(VolumeToTrackBar(983), 99) << "1.49996 rounds down";
    EXPECT_EQ(VolumeToTrackBar(984), 98) << "1.5015 rounds up";
    for (int position = 0; position <= 100; ++position)
        EXPECT_EQ(VolumeToTrackBar(TrackBarToVolume(position)), position) << position;
}

TEST(VolumeConversionTest, ADeviceThatIsNotThereRefusesQuietly) {
    audio::SetVolumeDevice(100000);
    EXPECT_FALSE(audio::SetWaveOutVolume(1000, 2000));
    EXPECT_EQ(audio::LastWaveOutError(), QStringLiteral(" The device identifier is out of range."));
    std::uint16_t left = 7, right = 7;
    EXPECT_FALSE(audio::GetWaveOutVolume(left, right));
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
    audio::SetVolumeDevice(0);
}

TEST(SliderTest, ValueFromTheCursorsHeightInTheWindow) {
    EXPECT_EQ(SliderValue(156, 226), 100);
    EXPECT_EQ(SliderValue(100, 226), 100);
    EXPECT_EQ(SliderValue(157, 226), 99);
    EXPECT_EQ(SliderValue(206, 226), 50);
    EXPECT_EQ(SliderValue(255, 226), 1);
    EXPECT_EQ(SliderValue(256, 226), 0);
    EXPECT_EQ(SliderValue(600, 226), 0);
    EXPECT_EQ(SliderValue(-5000, 226), 100);
}

TEST(SliderTest, OnePictureForEachFourSteps) {
    const std::pair<int, int> cases[] = {{0, 0},   {1, 1},    {4, 1},  {5, 2},    {8, 2},       {9, 3},       {96, 24},
                                         {97, 25}, {100, 25}, {-5, 0}, {250, 25}, {INT_MIN, 0}, {INT_MAX, 25}};
    for (auto [value, picture] : cases)
        EXPECT_EQ(ScalePicture(value), picture) << value;
    EXPECT_EQ(ClampVolume(-5), 0);
    EXPECT_EQ(ClampVolume(250), 100);
    EXPECT_EQ(ClampVolume(37), 37);
}

int LitLamps(std::int32_t level) {
    const auto lamps = ui::IndicatorLamps(ui::ClampLevel(level), true, true);
    return int(std::count_if(lamps.begin(), lamps.end(), [](auto lamp) {
        return lamp == ui::LampPicture::GreenOn || lamp == ui::LampPicture::RedOn;
    }));
}

TEST(IndicatorLevelTest, RangesAndLampsForAVolume) {
    EXPECT_EQ(IndicatorLevel(100, 0), 22000);
    EXPECT_EQ(IndicatorLevel(100, 4999), 26999);
    EXPECT_EQ(IndicatorLevel(1, 0), 220);
    EXPECT_EQ(IndicatorLevel(1, 4999), 5219);
    EXPECT_EQ(IndicatorLevel(0, 4999), 0) << "silence shows nothing";
    EXPECT_EQ(IndicatorLevel(250, 0), 22000) << "an edited volume counts as full";
    EXPECT_EQ(IndicatorLevel(-3, 4999), 0);
    for (int r : {0, 2500, 4999}) {
        EXPECT_GE(LitLamps(IndicatorLevel(100, r)), 7) << r;
        EXPECT_LE(LitLamps(IndicatorLevel(100, r)), 9) << r;
        EXPECT_GE(LitLamps(IndicatorLevel(1, r)), 1) << r;
        EXPECT_LE(LitLamps(IndicatorLevel(1, r)), 2) << r;
    }
}

} // namespace
} // namespace murmex
