#include "audio/ClipRecords.h"
#include "tests/unit/audio/ClipBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace murmex::test {
namespace {

struct Row {
    int rate;
    int channels;
    std::vector<std::pair<std::string, std::uint32_t>> chunks;
    std::uint32_t frames;
    std::uint32_t length;
};

// The layout every built-in clip must have, byte for byte.
const Row kTable[] = {
    {8000, 1, {{"fmt ", 18}, {"fact", 4}, {"data", 16002}, {"LIST", 4}}, 8001, 16072},
    {16000, 1, {{"fmt ", 18}, {"fact", 4}, {"data", 32002}, {"LIST", 4}}, 16001, 32072},
    {24000, 1, {{"fmt ", 18}, {"fact", 4}, {"data", 48002}, {"LIST", 4}}, 24001, 48072},
    {32000, 1, {{"fmt ", 16}, {"data", 64002}}, 32001, 64046},
    {44100, 1, {{"fmt ", 16}, {"data", 88202}}, 44101, 88246},
    {11025, 2, {{"fmt ", 18}, {"fact", 4}, {"data", 44100}, {"LIST", 4}}, 11025, 44170},
    {11025, 2, {{"fmt ", 18}, {"fact", 4}, {"data", 44100}, {"LIST", 4}}, 11025, 44170},
    {11025, 2, {{"fmt ", 18}, {"fact", 4}, {"data", 44100}, {"LIST", 4}}, 11025, 44170},
};

class ClipTableTest : public testing::TestWithParam<int> {};

TEST(ClipTableTest, ThereAreEightRecords) {
    EXPECT_EQ(audio::BuiltInClipRecords().size(), 8u);
}

TEST_P(ClipTableTest, RecordHeaderAndRiffHeader) {
    const Row& row = kTable[GetParam()];
    const ClipBytes clip = BuiltInClip(GetParam());
    EXPECT_EQ(clip.record[0], 0x08);
    EXPECT_EQ(clip.record[1] | clip.record[2] << 8 | clip.record[3] << 16 | clip.record[4] << 24, int(row.length));
    ASSERT_EQ(clip.image.size(), row.length);
    EXPECT_EQ(std::string(clip.image.begin(), clip.image.begin() + 4), "RIFF");
    EXPECT_EQ(clip.Le(4, 4), row.length - 8);
    EXPECT_EQ(std::string(clip.image.begin() + 8, clip.image.begin() + 12), "WAVE");
}

TEST_P(ClipTableTest, ChunksInOrderFillTheImageExactly) {
    const Row& row = kTable[GetParam()];
    const ClipBytes clip = BuiltInClip(GetParam());
    ASSERT_EQ(clip.chunks.size(), row.chunks.size());
    for (std::size_t i = 0; i < row.chunks.size(); ++i) {
        EXPECT_EQ(clip.chunks[i].id, row.chunks[i].first);
        EXPECT_EQ(clip.chunks[i].size, row.chunks[i].second);
    }
    EXPECT_EQ(clip.chunks.back().offset + clip.chunks.back().size, row.length);
}

TEST_P(ClipTableTest, FormatFactAndList) {
    const Row& row = kTable[GetParam()];
    const ClipBytes clip = BuiltInClip(GetParam());
    const std::size_t fmt = clip.Chunk("fmt ").offset;
    const auto align = static_cast<std::uint32_t>(2 * row.channels);
    EXPECT_EQ(clip.Le(fmt, 2), 1u);
    EXPECT_EQ(clip.Le(fmt + 2, 2), std::uint32_t(row.channels));
    EXPECT_EQ(clip.Le(fmt + 4, 4), std::uint32_t(row.rate));
    EXPECT_EQ(clip.Le(fmt + 8, 4), std::uint32_t(row.rate) * align);
    EXPECT_EQ(clip.Le(fmt + 12, 2), align);
    EXPECT_EQ(clip.Le(fmt + 14, 2), 16u);
    if (clip.Chunk("fmt ").size == 18) {
        EXPECT_EQ(clip.Le(fmt + 16, 2), 0u);
    }
    EXPECT_EQ(clip.Chunk("data").size, row.frames * align);
    if (row.chunks.size() == 4) {
        EXPECT_EQ(clip.Le(clip.Chunk("fact").offset, 4), row.frames);
        const std::size_t list = clip.Chunk("LIST").offset;
        EXPECT_EQ(std::string(clip.image.begin() + list, clip.image.begin() + list + 4), "INFO");
    }
}

INSTANTIATE_TEST_SUITE_P(Clips, ClipTableTest, testing::Range(0, 8));

} // namespace
} // namespace murmex::test
