#include "audio/WaveRead.h"

#include "platform/MemoryRiff.h"

#include <array>

namespace murmex::audio {
namespace {

using platform::MemoryRiff;
using platform::RiffChunkInfo;
using platform::StringToFOURCC;

std::uint16_t Half(const std::uint8_t* b) {
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t Word(const std::uint8_t* b) {
    return static_cast<std::uint32_t>(Half(b)) | (static_cast<std::uint32_t>(Half(b + 2)) << 16);
}

WaveFormatRecord Decode(const std::array<std::uint8_t, WaveFormatRecord::kStoredSize>& b) {
    return {.wFormatTag = Half(&b[0]),
            .nChannels = Half(&b[2]),
            .nSamplesPerSec = Word(&b[4]),
            .nAvgBytesPerSec = Word(&b[8]),
            .nBlockAlign = Half(&b[12]),
            .wBitsPerSample = Half(&b[14]),
            .cbSize = Half(&b[16])};
}

// The "WAVE" form, its format, then its data, in that order, as a player needs them.
bool ReadChunks(MemoryRiff& riff, WaveFormatRecord& format, std::vector<std::uint8_t>& data) {
    RiffChunkInfo wave{.fccType = StringToFOURCC("WAVE")};
    RiffChunkInfo fmt{.ckid = StringToFOURCC("fmt")};
    RiffChunkInfo chunk{.ckid = StringToFOURCC("data")};
    if (!riff.Descend(wave, MemoryRiff::Find::Riff) || !riff.Descend(fmt, MemoryRiff::Find::Chunk))
        return false;
    // A longer chunk (an extensible format) does not fit the record and is refused rather than cut; a
    // shorter one is not a PCM format at all.
    if (fmt.cksize < 16 || fmt.cksize > WaveFormatRecord::kStoredSize)
        return false;
    std::array<std::uint8_t, WaveFormatRecord::kStoredSize> stored{};
    if (riff.Read(stored.data(), fmt.cksize) != fmt.cksize)
        return false;
    format = Decode(stored);
    if (!riff.Ascend(fmt) || !riff.Descend(chunk, MemoryRiff::Find::Chunk))
        return false;
    // A device cannot loop a buffer with nothing in it.
    if (chunk.cksize == 0)
        return false;
    data.resize(chunk.cksize);
    return riff.Read(data.data(), data.size()) == data.size();
}

} // namespace

bool ReadWave(const TLMDWave& wave, WaveFormatRecord& format, std::vector<std::uint8_t>& data) {
    format = {};
    MemoryRiff riff;
    bool ok = false;
    if (riff.Open(wave.Data(), wave.Size())) {
        ok = ReadChunks(riff, format, data);
        riff.Close();
    }
    if (!ok) {
        format = {};
        data.clear();
    }
    return ok;
}

} // namespace murmex::audio
