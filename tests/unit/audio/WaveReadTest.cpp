#include "audio/WaveRead.h"

#include "audio/ClipRecords.h"
#include "tests/support/RiffBytes.h"
#include "tests/unit/audio/ClipBytes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace murmex::audio {
namespace {

using namespace murmex::test;

const Bytes kFormat = Chunk("fmt ", PcmFormat(2, 11025));
const Bytes kData = Chunk("data", Text("0123456789abcdef"));

struct Read {
    bool ok;
    WaveFormatRecord format;
    Bytes data;
};

Read ReadImage(const Bytes& image) {
    Read result{false, {}, Bytes(7, 0xEE)};
    result.ok = ReadWave(TLMDWave(image), result.format, result.data);
    return result;
}

TEST(WaveReadTest, EveryBuiltInClipGivesItsFormatAndItsDataChunk) {
    TLMDWaveList list;
    FillWaveList(list, BuiltInClipRecords());
    for (int i = 0; i < list.Count(); ++i) {
        const ClipBytes clip = BuiltInClip(i);
        WaveFormatRecord format;
        std::vector<std::uint8_t> data;
        ASSERT_TRUE(ReadWave(list.Items(i).Wave, format, data)) << i;
        const std::size_t fmt = clip.Chunk("fmt ").offset;
        EXPECT_EQ(format, (WaveFormatRecord{1, std::uint16_t(clip.Channels()), std::uint32_t(clip.Rate()),
                                            clip.Le(fmt + 8, 4), std::uint16_t(2 * clip.Channels()), 16, 0}));
        const auto stored = clip.image.subspan(clip.Chunk("data").offset, clip.Chunk("data").size);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), stored.begin(), stored.end())) << i;
    }
}

TEST(WaveReadTest, ASixteenByteFormatLeavesTheExtraSizeZero) {
    // The chunk after the format starts with non-zero bytes that a careless read would take for the extra size.
    const Read read = ReadImage(Riff("WAVE", {Chunk("fmt ", PcmFormat(1, 32000, false)), kData}));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.format.nSamplesPerSec, 32000u);
    EXPECT_EQ(read.format.wBitsPerSample, 16u);
    EXPECT_EQ(read.format.cbSize, 0u);
    EXPECT_EQ(read.data, Text("0123456789abcdef"));
}

TEST(WaveReadTest, ChunksNotAskedForAreSkippedWhateverTheirSize) {
    const Read read = ReadImage(Riff("WAVE", {Chunk("fact", Le(4)), kFormat, Chunk("odd ", Text("xyz")),
                                              Chunk("data", Text("12345")), Chunk("LIST", Text("INFO"))}));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.format.nChannels, 2u);
    EXPECT_EQ(read.data, Text("12345"));
}

TEST(WaveReadTest, MalformedImagesAreRefusedAndLeaveNothingBehind) {
    Bytes dataPastBlock = Riff("WAVE", {kFormat, kData});
    dataPastBlock.resize(dataPastBlock.size() - 3);
    Bytes dataPastRiff = Cat({Riff("WAVE", {kFormat, kData}), Bytes(4, 0)});
    dataPastRiff[4] -= 4;
    Bytes riffPastBlock = Riff("WAVE", {kFormat, kData});
    riffPastBlock[4] += 2;
    const std::pair<const char*, Bytes> cases[] = {
        {"empty", {}},
        {"not RIFF", Chunk("LIST", Cat({Text("WAVE"), kFormat, kData}))},
        {"another form", Riff("AVI ", {kFormat, kData})},
        {"no format", Riff("WAVE", {kData})},
        {"no data", Riff("WAVE", {kFormat})},
        {"data before format", Riff("WAVE", {kData, kFormat})},
        {"format too short", Riff("WAVE", {Chunk("fmt ", Bytes(14, 1)), kData})},
        {"empty data", Riff("WAVE", {kFormat, Chunk("data", {})})},
        {"data past the block", dataPastBlock},
        {"data past the RIFF chunk", dataPastRiff},
        {"RIFF past the block", riffPastBlock},
        {"half a clip", Bytes(BuiltInClip(5).image.begin(), BuiltInClip(5).image.begin() + 20000)},
    };
    for (const auto& [name, image] : cases) {
        const Read read = ReadImage(image);
        EXPECT_FALSE(read.ok) << name;
        EXPECT_EQ(read.format, WaveFormatRecord{}) << name;
        EXPECT_TRUE(read.data.empty()) << name;
    }
}

TEST(WaveReadTest, AFormatChunkLongerThanTheRecordIsRefusedAndNothingIsWrittenPastIt) {
    // An extensible format: 40 bytes, where the record holds 18.
    const Bytes extensible = Cat({PcmFormat(2, 48000), Le(22, 2), Bytes(22, 0x55)});
    struct Guarded {
        WaveFormatRecord format;
        std::uint8_t guard[64];
    } target;
    std::memset(target.guard, 0xAA, sizeof target.guard);
    std::vector<std::uint8_t> data;
    EXPECT_FALSE(ReadWave(TLMDWave(Riff("WAVE", {Chunk("fmt ", extensible), kData})), target.format, data));
    EXPECT_EQ(target.format, WaveFormatRecord{});
    EXPECT_TRUE(std::all_of(std::begin(target.guard), std::end(target.guard), [](auto b) { return b == 0xAA; }));
    EXPECT_TRUE(data.empty());
}

} // namespace
} // namespace murmex::audio
