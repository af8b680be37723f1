// RIFF/WAVE images for tests: the smallest complete image ("fmt " then "data") of 16-bit PCM samples.
#pragma once

#include <cstdint>
#include <vector>

namespace murmex::test {

std::vector<std::uint8_t> WaveImage(int rate, int channels, const std::vector<std::int16_t>& interleaved);

} // namespace murmex::test
