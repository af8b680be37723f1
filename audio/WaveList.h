// The clip list: items read from stored clip records, each holding a RIFF/WAVE image in one block that never
// moves. Filled once on the UI thread and read-only afterwards; a player shares the block of its clip and
// reads it on its own thread.
#pragma once

#include "audio/ListError.h"

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace murmex::audio {

// The image check ran past the end of a stored image. The placeholder stays unfilled: there is no file.
class EWaveDataError : public std::runtime_error {
public:
    EWaveDataError() : std::runtime_error("GetWaveData: Cannot open file %s") {}
};

// A stored record ends before its fields do, goes on after them, or holds a compressed image.
class EWaveRecordError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Empty, or one image in a block of its own that never changes or moves. Copies share the block, which
// lives as long as the last of them: a player holds a copy, so the clip list may go before the player.
class TLMDWave {
public:
    TLMDWave() = default;
    explicit TLMDWave(std::span<const std::uint8_t> image);

    const std::uint8_t* Data() const { return m_block.get(); }
    std::size_t Size() const { return m_size; }
    bool Empty() const { return m_size == 0; }
    std::span<const std::uint8_t> Image() const { return {m_block.get(), m_size}; }

private:
    std::shared_ptr<const std::uint8_t[]> m_block;
    std::size_t m_size = 0;
};

struct TLMDWaveListItem {
    std::int32_t Ident = 0;
    std::string Description;
    bool Compressed = false;
    TLMDWave Wave;
};

class TLMDWaveList {
public:
    int Count() const { return static_cast<int>(m_items.size()); }
    // Throws EListError for an index outside 0..Count()-1.
    const TLMDWaveListItem& Items(std::int64_t Index) const;
    void Add(std::unique_ptr<TLMDWaveListItem> item);

private:
    // Items are held by pointer so that a reference handed to a player stays valid while the list grows.
    std::vector<std::unique_ptr<TLMDWaveListItem>> m_items;
};

// True when the image starts like a RIFF/WAVE image whose first chunk is "fmt ". Throws EWaveDataError when
// the image ends before the fields the check reads.
bool CheckWaveImage(std::span<const std::uint8_t> image);

// Reads one stored record; an image that fails the check leaves the item's wave empty. Throws EWaveRecordError
// or EWaveDataError.
std::unique_ptr<TLMDWaveListItem> ReadWaveRecord(std::span<const std::uint8_t> record);

// Appends one item per record, in order. The first error ends the filling and reaches the caller; the items
// read before it stay in the list.
void FillWaveList(TLMDWaveList& list, std::span<const std::span<const std::uint8_t>> records);

} // namespace murmex::audio
