#include "platform/MemoryRiff.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace murmex::platform {
namespace {

constexpr FOURCC kRiff = MakeFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC kList = MakeFOURCC('L', 'I', 'S', 'T');
constexpr std::size_t kHeaderSize = 8;

bool HasType(FOURCC id) {
    return id == kRiff || id == kList;
}

bool Matches(const RiffChunkInfo& found, const RiffChunkInfo& wanted, MemoryRiff::Find mode) {
    switch (mode) {
    case MemoryRiff::Find::Chunk:
        return found.ckid == wanted.ckid;
    case MemoryRiff::Find::Riff:
        return found.ckid == kRiff && found.fccType == wanted.fccType;
    case MemoryRiff::Find::Next:
        break;
    }
    return true;
}

} // namespace

FOURCC StringToFOURCC(std::string_view text) {
    char code[4] = {' ', ' ', ' ', ' '};
    std::copy_n(text.begin(), std::min<std::size_t>(text.size(), 4), code);
    return MakeFOURCC(code[0], code[1], code[2], code[3]);
}

bool MemoryRiff::Open(const void* block, std::size_t size) {
    Close();
    if (block == nullptr || size == 0 || size > std::numeric_limits<std::uint32_t>::max())
        return false;
    m_block = static_cast<const std::uint8_t*>(block);
    m_size = size;
    return true;
}

void MemoryRiff::Close() {
    m_block = nullptr;
    m_size = 0;
    m_position = 0;
    m_open.clear();
}

std::uint32_t MemoryRiff::Word(std::size_t at) const {
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | m_block[at + i];
    return value;
}

// Reads the chunk header at `at` and checks that the whole chunk lies inside the innermost open chunk.
bool MemoryRiff::ReadHeader(std::size_t at, RiffChunkInfo& found) const {
    const std::size_t limit = Limit();
    if (at > limit || limit - at < kHeaderSize)
        return false;
    found.ckid = Word(at);
    found.cksize = Word(at + 4);
    found.dwDataOffset = static_cast<std::uint32_t>(at + kHeaderSize);
    found.fccType = 0;
    if (found.cksize > limit - found.dwDataOffset)
        return false;
    if (HasType(found.ckid)) {
        if (found.cksize < 4)
            return false;
        found.fccType = Word(found.dwDataOffset);
    }
    return true;
}

bool MemoryRiff::Descend(RiffChunkInfo& chunk, Find mode) {
    if (!IsOpen())
        return false;
    std::size_t at = m_position;
    RiffChunkInfo found;
    while (ReadHeader(at, found)) {
        if (Matches(found, chunk, mode)) {
            chunk = found;
            m_open.push_back({found.dwDataOffset, std::size_t{found.dwDataOffset} + found.cksize});
            m_position = found.dwDataOffset + (HasType(found.ckid) ? 4 : 0);
            return true;
        }
        at = std::size_t{found.dwDataOffset} + found.cksize + (found.cksize & 1);
    }
    return false;
}

bool MemoryRiff::Ascend(const RiffChunkInfo& chunk) {
    const std::size_t end = std::size_t{chunk.dwDataOffset} + chunk.cksize;
    if (!IsOpen() || m_open.empty() || m_open.back().dataOffset != chunk.dwDataOffset || m_open.back().end != end)
        return false;
    m_open.pop_back();
    // The pad byte of an odd chunk may be missing at the very end of its surroundings.
    m_position = std::min(end + (chunk.cksize & 1), Limit());
    return true;
}

std::size_t MemoryRiff::Read(void* destination, std::size_t count) {
    if (!IsOpen() || m_position >= Limit())
        return 0;
    const std::size_t copied = std::min(count, Limit() - m_position);
    std::memcpy(destination, m_block + m_position, copied);
    m_position += copied;
    return copied;
}

} // namespace murmex::platform
