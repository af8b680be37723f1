// The rules of the generator panel: the lamp colour, the face of the generator button, the noise marks and
// the lock of the noise choice while the generator runs. Pure functions; any thread.
#pragma once

#include <Qt>

#include <array>
#include <cstdint>
#include <optional>

namespace murmex {

// Colours as the platform stores colour values (red in the low byte).
inline constexpr std::uint32_t kLampStopped = 12615680; // #0080C0
inline constexpr std::uint32_t kLampRunning = 255;      // #FF0000

constexpr std::uint32_t GeneratorLampColour(bool generatorOn) {
    return generatorOn ? kLampRunning : kLampStopped;
}

// The picture of the generator button: English faces from 15, Russian from 21; three more while running;
// one more while hovered, two while hovered and pressed. Pressed without hover shows the idle face, so the
// button looks released while the cursor is off it with the button still held.
constexpr int GeneratorFaceIndex(std::int32_t langNum, bool generatorOn, bool hover, bool pressed) {
    const int base = langNum == 1 ? 21 : 15;
    return base + (generatorOn ? 3 : 0) + (hover ? (pressed ? 2 : 1) : 0);
}

inline constexpr int kNoiseCount = 8;
inline constexpr int kNoiseMarkOff = 30;
inline constexpr int kNoiseMarkOn = 31;

// The pictures of the eight noise marks, or nothing for a noise number that names no noise (then no mark is
// touched).
constexpr std::optional<std::array<int, kNoiseCount>> NoiseMarks(std::int32_t noiseNum) {
    if (noiseNum < 1 || noiseNum > kNoiseCount)
        return std::nullopt;
    std::array<int, kNoiseCount> marks{};
    for (int n = 1; n <= kNoiseCount; ++n)
        marks[std::size_t(n - 1)] = n == noiseNum ? kNoiseMarkOn : kNoiseMarkOff;
    return marks;
}

// The noise a click on noise `n` selects, or nothing while the generator runs: the choice is locked then.
constexpr std::optional<std::int32_t> ChooseNoise(bool generatorOn, std::int32_t n) {
    if (generatorOn)
        return std::nullopt;
    return n;
}

// The cursor of the sixteen noise controls: a hand while a noise can be chosen, "not allowed" while locked.
constexpr Qt::CursorShape NoiseCursor(bool generatorOn) {
    return generatorOn ? Qt::ForbiddenCursor : Qt::PointingHandCursor;
}

} // namespace murmex
