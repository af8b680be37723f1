#include "tests/unit/audio/ClipBytes.h"

#include "audio/ClipRecords.h"

#include <stdexcept>

namespace murmex::test {

std::uint32_t ClipBytes::Le(std::size_t offset, int width) const {
    if (offset + static_cast<std::size_t>(width) > image.size())
        throw std::out_of_range("read past the image");
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | image[offset + static_cast<std::size_t>(i)];
    return value;
}

const ChunkAt& ClipBytes::Chunk(const std::string& id) const {
    for (const ChunkAt& chunk : chunks)
        if (chunk.id == id)
            return chunk;
    throw std::out_of_range("no chunk " + id);
}

Signal ClipBytes::Channel(int channel) const {
    const ChunkAt& data = Chunk("data");
    const auto stride = static_cast<std::size_t>(2 * Channels());
    Signal samples;
    for (std::size_t at = data.offset + 2 * static_cast<std::size_t>(channel); at < data.offset + data.size;
         at += stride)
        samples.push_back(static_cast<std::int16_t>(Le(at, 2)));
    return samples;
}

ClipBytes BuiltInClip(int index) {
    ClipBytes clip;
    clip.record = audio::BuiltInClipRecords()[static_cast<std::size_t>(index)];
    clip.image = clip.record.subspan(5);
    // Chunks start after "RIFF", its size and "WAVE", and follow each other, padded to even offsets.
    for (std::size_t at = 12; at + 8 <= clip.image.size();) {
        ChunkAt chunk{std::string(clip.image.begin() + static_cast<std::ptrdiff_t>(at),
                                  clip.image.begin() + static_cast<std::ptrdiff_t>(at) + 4),
                      clip.Le(at + 4, 4), at + 8};
        at = chunk.offset + chunk.size + (chunk.size & 1);
        clip.chunks.push_back(chunk);
    }
    return clip;
}

} // namespace murmex::test
