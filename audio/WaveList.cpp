#include "audio/WaveList.h"

#include <algorithm>
#include <cstring>

namespace murmex::audio {
namespace {

constexpr std::uint8_t kCompressed = 0x01;
constexpr std::uint8_t kDescription = 0x02;
constexpr std::uint8_t kIdent = 0x04;
constexpr std::uint8_t kWave = 0x08;

// Sequential little-endian reads from a byte range; a read past the end throws the error the caller names.
template <typename Error> class Cursor {
public:
    explicit Cursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::span<const std::uint8_t> Take(std::size_t count) {
        if (count > m_bytes.size() - m_position)
            throw Error();
        const auto taken = m_bytes.subspan(m_position, count);
        m_position += count;
        return taken;
    }
    std::uint32_t Uint32() {
        const auto b = Take(4);
        return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    bool Id(const char (&id)[5]) { return std::memcmp(Take(4).data(), id, 4) == 0; }
    bool AtEnd() const { return m_position == m_bytes.size(); }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

struct CutShort : EWaveRecordError {
    CutShort() : EWaveRecordError("Clip record is cut short") {}
};

} // namespace

TLMDWave::TLMDWave(std::span<const std::uint8_t> image) : m_size(image.size()) {
    if (m_size == 0)
        return;
    auto block = std::make_shared_for_overwrite<std::uint8_t[]>(m_size);
    std::copy(image.begin(), image.end(), block.get());
    m_block = std::move(block);
}

const TLMDWaveListItem& TLMDWaveList::Items(std::int64_t Index) const {
    if (Index < 0 || Index >= Count())
        throw EListError::OutOfBounds(Index);
    return *m_items[static_cast<std::size_t>(Index)];
}

void TLMDWaveList::Add(std::unique_ptr<TLMDWaveListItem> item) {
    m_items.push_back(std::move(item));
}

bool CheckWaveImage(std::span<const std::uint8_t> image) {
    if (image.empty())
        return false;
    Cursor<EWaveDataError> in(image);
    if (!in.Id("RIFF"))
        return false;
    in.Uint32(); // the RIFF size is not trusted here; the reader bounds every chunk by the image instead
    if (!in.Id("WAVE") || !in.Id("fmt "))
        return false;
    in.Uint32();
    in.Take(14); // the format is judged when a player reads the image; here it only has to be present
    return true;
}

std::unique_ptr<TLMDWaveListItem> ReadWaveRecord(std::span<const std::uint8_t> record) {
    Cursor<CutShort> in(record);
    auto item = std::make_unique<TLMDWaveListItem>();
    const std::uint8_t flags = in.Take(1)[0];
    item->Compressed = (flags & kCompressed) != 0;
    if (flags & kDescription) {
        const auto text = in.Take(in.Take(1)[0]);
        item->Description.assign(text.begin(), text.end());
    }
    if (flags & kIdent)
        item->Ident = static_cast<std::int32_t>(in.Uint32());
    if (flags & kWave) {
        // Without a reader for the compressed form its length is unknown, and so is where the record ends.
        if (item->Compressed)
            throw EWaveRecordError("Compressed clip records cannot be read");
        TLMDWave wave(in.Take(in.Uint32()));
        if (CheckWaveImage(wave.Image()))
            item->Wave = std::move(wave);
    }
    if (!in.AtEnd())
        throw EWaveRecordError("Clip record goes on after its end");
    return item;
}

void FillWaveList(TLMDWaveList& list, std::span<const std::span<const std::uint8_t>> records) {
    for (const auto record : records)
        list.Add(ReadWaveRecord(record));
}

} // namespace murmex::audio
