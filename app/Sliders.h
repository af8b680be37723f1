// The rules of the volume panel: the user's volumes 0..100, the slider picture for a volume, the volume a
// drag on a slider gives, and the level the indicators show for a volume. Pure functions; any thread.
#pragma once

#include <algorithm>
#include <cstdint>

namespace murmex {

inline constexpr std::int32_t kVolumeMax = 100;

// A volume from an edited store takes the nearest end of 0..100 before anything is computed from it.
constexpr std::int32_t ClampVolume(std::int32_t value) {
    return std::clamp(value, 0, kVolumeMax);
}

// The picture of the slider's list for a volume: 0 for silence, else one of 25 steps of four (1..4 gives 1,
// 97..100 gives 25).
constexpr int ScalePicture(std::int32_t value) {
    const std::int32_t v = ClampVolume(value);
    return v == 0 ? 0 : (v + 3) / 4;
}

// The volume a drag gives for a cursor `windowY` pixels below the window's top: the slider's zero point is
// `volBaseY` (226 with the layout's slider at 135), 100 steps above it is full volume.
constexpr std::int32_t SliderValue(int windowY, int volBaseY) {
    const int d = std::clamp(windowY - 30, volBaseY - kVolumeMax, volBaseY);
    return volBaseY - d;
}

inline constexpr int kIndicatorJitter = 5000;

// The level an indicator shows for a volume: silence shows nothing, any other volume 220 steps per unit
// plus a jitter `r` in 0..4999 drawn anew for every tick.
constexpr std::int32_t IndicatorLevel(std::int32_t value, int r) {
    const std::int32_t v = ClampVolume(value);
    return v > 0 ? r + v * 220 : 0;
}

} // namespace murmex
