// Reads the format and the sample data out of a clip's RIFF/WAVE image. Pure function of its arguments: a
// player calls it on its own thread while other threads read the same clip.
#pragma once

#include "audio/WaveList.h"
#include "platform/WaveOut.h"

#include <cstdint>
#include <vector>

namespace murmex::audio {

using WaveFormatRecord = platform::WaveFormatEx;

// Fills `format` from the "fmt " chunk and `data` with a copy of the "data" chunk of the "WAVE" form. The format
// is zeroed first; a 16-byte chunk leaves `cbSize` 0. Fails for an empty wave, a malformed image, a "fmt " chunk
// shorter than 16 or longer than 18 bytes, or an empty "data" chunk; on failure both are left empty.
bool ReadWave(const TLMDWave& wave, WaveFormatRecord& format, std::vector<std::uint8_t>& data);

} // namespace murmex::audio
