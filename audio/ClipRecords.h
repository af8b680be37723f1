// The stored records of the eight built-in clips, in list order: flag byte, wave length, RIFF/WAVE image.
// The bytes are generated at build time and are constant for the life of the process; any thread may read them.
#pragma once

#include <cstdint>
#include <span>

namespace murmex::audio {

std::span<const std::span<const std::uint8_t>> BuiltInClipRecords();

} // namespace murmex::audio
