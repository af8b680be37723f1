// Reads a built-in clip record byte by byte at known offsets, independently of the program's own record parser
// and RIFF reader, so that the tests check the bytes and not those readers. Plain functions.
#pragma once

#include "tests/support/SignalStats.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace murmex::test {

struct ChunkAt {
    std::string id;
    std::uint32_t size = 0;
    std::size_t offset = 0; // of the chunk's data within the image
};

struct ClipBytes {
    std::span<const std::uint8_t> record;
    std::span<const std::uint8_t> image; // the record without its flag byte and length
    std::vector<ChunkAt> chunks;         // the chunks of the "WAVE" form, in order

    std::uint32_t Le(std::size_t offset, int width) const;
    const ChunkAt& Chunk(const std::string& id) const;
    int Channels() const { return static_cast<int>(Le(Chunk("fmt ").offset + 2, 2)); }
    int Rate() const { return static_cast<int>(Le(Chunk("fmt ").offset + 4, 4)); }
    // The samples of one channel of the "data" chunk.
    Signal Channel(int channel) const;
};

ClipBytes BuiltInClip(int index);

} // namespace murmex::test
