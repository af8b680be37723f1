// Reads RIFF chunks from a block of memory, in the manner of a memory-file RIFF reader: open over the block,
// descend into chunks, read, ascend, close. Every step is checked against the block and the enclosing chunks;
// nothing outside the block is ever read. The block is only read, never copied. One reader per thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace murmex::platform {

using FOURCC = std::uint32_t;

constexpr FOURCC MakeFOURCC(char a, char b, char c, char d) {
    return static_cast<std::uint8_t>(a) | (static_cast<std::uint8_t>(b) << 8) | (static_cast<std::uint8_t>(c) << 16) |
           (static_cast<FOURCC>(static_cast<std::uint8_t>(d)) << 24);
}

// The code of up to four characters, padded with blanks ("fmt" gives "fmt ").
FOURCC StringToFOURCC(std::string_view text);

// One chunk as found by Descend. For "RIFF" and "LIST" chunks `fccType` is the form or list type; their size
// counts the type too.
struct RiffChunkInfo {
    FOURCC ckid = 0;
    std::uint32_t cksize = 0;
    FOURCC fccType = 0;
    std::uint32_t dwDataOffset = 0; // offset of the chunk's data in the block, past id and size
};

class MemoryRiff {
public:
    enum class Find {
        Next,  // the next chunk, whatever its id
        Chunk, // the next chunk with id `ckid`, skipping the others
        Riff,  // the next "RIFF" chunk of form type `fccType`, skipping the others
    };

    // Fails for a null or empty block, or one too large for the 32-bit offsets of RIFF.
    bool Open(const void* block, std::size_t size);
    void Close();
    bool IsOpen() const { return m_block != nullptr; }

    // Searches from the current position to the end of the innermost open chunk (or the block) and enters
    // the chunk found: `chunk` is filled and the position moves to its data (past the type of a "RIFF" or
    // "LIST"). Fails when nothing matches or a chunk claims more bytes than its surroundings hold.
    bool Descend(RiffChunkInfo& chunk, Find mode);
    // Leaves the innermost open chunk, which must be `chunk`: the position moves past its end and pad byte.
    bool Ascend(const RiffChunkInfo& chunk);
    // Copies at most `count` bytes from the current position, never past the end of the innermost open chunk.
    // Returns the number copied.
    std::size_t Read(void* destination, std::size_t count);

private:
    struct OpenChunk {
        std::uint32_t dataOffset;
        std::size_t end;
    };
    std::size_t Limit() const { return m_open.empty() ? m_size : m_open.back().end; }
    bool ReadHeader(std::size_t at, RiffChunkInfo& found) const;
    std::uint32_t Word(std::size_t at) const;

    const std::uint8_t* m_block = nullptr;
    std::size_t m_size = 0;
    std::size_t m_position = 0;
    std::vector<OpenChunk> m_open; // the chunks descended into, innermost last
};

} // namespace murmex::platform
