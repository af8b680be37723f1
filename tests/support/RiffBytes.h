// Builds RIFF images and stored clip records byte by byte for the reader, parser and sound tests.
// Header-only; plain functions.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string_view>
#include <vector>

namespace murmex::test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

inline Bytes Text(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

inline Bytes Le(std::uint32_t value, int width = 4) {
    Bytes bytes;
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return bytes;
}

// A chunk whose size field says `claimed` whatever the body holds; no pad byte.
inline Bytes ChunkClaiming(std::string_view id, std::uint32_t claimed, const Bytes& body) {
    return Cat({Text(id), Le(claimed), body});
}

// A well-formed chunk, padded to an even length.
inline Bytes Chunk(std::string_view id, const Bytes& body) {
    Bytes chunk = ChunkClaiming(id, static_cast<std::uint32_t>(body.size()), body);
    if (body.size() % 2)
        chunk.push_back(0);
    return chunk;
}

inline Bytes Riff(std::string_view form, std::initializer_list<Bytes> chunks) {
    Bytes body = Text(form);
    for (const Bytes& chunk : chunks)
        body.insert(body.end(), chunk.begin(), chunk.end());
    return Chunk("RIFF", body);
}

// The body of a 16-bit PCM "fmt " chunk: 16 bytes, or 18 with the extra-size field.
inline Bytes PcmFormat(unsigned channels, std::uint32_t rate, bool extraSize = true) {
    const unsigned align = 2 * channels;
    Bytes format = Cat({Le(1, 2), Le(channels, 2), Le(rate), Le(rate * align), Le(align, 2), Le(16, 2)});
    if (extraSize)
        format = Cat({format, Le(0, 2)});
    return format;
}

// A stored clip record with only the wave present.
inline Bytes WaveRecord(const Bytes& image) {
    return Cat({Bytes{0x08}, Le(static_cast<std::uint32_t>(image.size())), image});
}

// 16-bit samples as little-endian bytes.
inline Bytes PcmBytes(const std::vector<std::int16_t>& samples) {
    Bytes bytes;
    bytes.reserve(samples.size() * 2);
    for (const std::int16_t s : samples) {
        bytes.push_back(static_cast<std::uint8_t>(s & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((s >> 8) & 0xFF));
    }
    return bytes;
}

// A complete 16-bit PCM image: a 16-byte "fmt " chunk, then the interleaved samples as "data".
inline Bytes WaveImage(std::uint32_t rate, unsigned channels, const std::vector<std::int16_t>& interleaved) {
    return Riff("WAVE", {Chunk("fmt ", PcmFormat(channels, rate, false)), Chunk("data", PcmBytes(interleaved))});
}

// Uniform white noise at about a third of full scale, the same for the same seed.
inline std::vector<std::int16_t> NoiseSamples(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> sample(-12000, 12000);
    std::vector<std::int16_t> samples(count);
    for (std::int16_t& s : samples)
        s = static_cast<std::int16_t>(sample(random));
    return samples;
}

} // namespace murmex::test
