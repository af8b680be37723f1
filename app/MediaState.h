// What the desktop's media controls show of the generator, read from the window's state, and the rules of
// the commands they send: stepping through the noises and a volume kept in balance. Pure functions; any
// thread.
#pragma once

#include "app/MainState.h"
#include "platform/Mpris.h"

#include <QString>

#include <cstdint>

namespace murmex {

struct TfmHelp;

// The object path naming noise `noise` to the media controls; the standard "no track" path for a number
// that names no noise.
QString NoiseTrackId(std::int32_t noise);

// The name of noise `noise` in the holder's language; empty for a number that names no noise.
QString NoiseName(const TfmHelp& texts, std::int32_t noise);

// The media view of the window's state: the generator's state, the chosen noise under its name (none
// without a text holder), the louder volume, and next and previous only while the choice is free.
platform::MediaView MediaViewOf(const MainState& state, const TfmHelp* texts);

// The noise `step` places on from `noise` (+1 next, -1 previous), wrapping around the eight. From a number
// that names no noise, next gives the first noise and previous the last.
std::int32_t SteppedNoise(std::int32_t noise, int step);

// The volume the media controls show: the louder slider, 0..1.
double MediaVolume(std::int32_t valueL, std::int32_t valueR);

struct SliderValues {
    std::int32_t left = 0;
    std::int32_t right = 0;

    bool operator==(const SliderValues&) const = default;
};

// The sliders for a volume of `volume` (0..1, out of range values taken as the nearest end): the louder one
// goes to it and the other keeps its share of it; two sliders at 0 both go to it.
SliderValues SlidersForVolume(std::int32_t valueL, std::int32_t valueR, double volume);

} // namespace murmex
