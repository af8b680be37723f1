// The colour of the generator lamp, as the platform stores colour values (red in the low byte). Constants;
// any thread.
#pragma once

#include <cstdint>

namespace murmex {

inline constexpr std::uint32_t kLampStopped = 12615680; // #0080C0
inline constexpr std::uint32_t kLampRunning = 255;      // #FF0000

constexpr std::uint32_t GeneratorLampColour(bool generatorOn) {
    return generatorOn ? kLampRunning : kLampStopped;
}

} // namespace murmex
