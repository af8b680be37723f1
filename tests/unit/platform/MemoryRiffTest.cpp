#include "platform/MemoryRiff.h"

#include "tests/support/RiffBytes.h"

#include <gtest/gtest.h>

#include <string>

namespace murmex::platform {
namespace {

using namespace murmex::test;
using Find = MemoryRiff::Find;

RiffChunkInfo Looking(std::string_view id, std::string_view type = {}) {
    return {.ckid = StringToFOURCC(id), .fccType = type.empty() ? 0 : StringToFOURCC(type)};
}

std::string Name(FOURCC code) {
    std::string name;
    for (int i = 0; i < 4; ++i)
        name += static_cast<char>(code >> (8 * i));
    return name;
}

// The ids met by walking every chunk inside the first RIFF chunk, descending into nothing deeper.
std::string Walk(const Bytes& image) {
    MemoryRiff riff;
    RiffChunkInfo form;
    if (!riff.Open(image.data(), image.size()) || !riff.Descend(form, Find::Next))
        return "not opened";
    std::string ids;
    RiffChunkInfo chunk;
    while (riff.Descend(chunk, Find::Next)) {
        ids += Name(chunk.ckid) + "/" + std::to_string(chunk.cksize) + " ";
        if (!riff.Ascend(chunk))
            return ids + "ascend failed";
    }
    return ids;
}

TEST(MemoryRiffTest, ShortCodesArePaddedWithBlanks) {
    EXPECT_EQ(StringToFOURCC("fmt"), MakeFOURCC('f', 'm', 't', ' '));
    EXPECT_EQ(StringToFOURCC("WAVE"), 0x45564157u);
    EXPECT_EQ(StringToFOURCC("WAVEFORM"), StringToFOURCC("WAVE"));
}

TEST(MemoryRiffTest, FindsTheFormAskedForAndSkipsTheChunksBeforeIt) {
    const Bytes block = Cat({Chunk("JUNK", Text("abc")), Riff("AVI ", {}), Riff("WAVE", {Chunk("data", Text("xy"))})});
    MemoryRiff riff;
    ASSERT_TRUE(riff.Open(block.data(), block.size()));
    RiffChunkInfo form = Looking("", "WAVE");
    ASSERT_TRUE(riff.Descend(form, Find::Riff));
    EXPECT_EQ(form.ckid, StringToFOURCC("RIFF"));
    EXPECT_EQ(form.fccType, StringToFOURCC("WAVE"));
    EXPECT_EQ(form.cksize, 4u + 10u);
    EXPECT_EQ(form.dwDataOffset, 12u + 12u + 8u);

    RiffChunkInfo other = Looking("", "MIDI");
    riff.Close();
    ASSERT_TRUE(riff.Open(block.data(), block.size()));
    EXPECT_FALSE(riff.Descend(other, Find::Riff));
}

TEST(MemoryRiffTest, FindsAChunkPastOddSizedOnesAndReadsOnlyInsideIt) {
    const Bytes block = Cat({Riff("WAVE", {Chunk("odd1", Text("a")), Chunk("odd3", Text("bcd")),
                                           Chunk("data", Text("12345")), Chunk("tail", Text("zz"))})});
    MemoryRiff riff;
    ASSERT_TRUE(riff.Open(block.data(), block.size()));
    RiffChunkInfo form = Looking("", "WAVE"), data = Looking("data");
    ASSERT_TRUE(riff.Descend(form, Find::Riff));
    ASSERT_TRUE(riff.Descend(data, Find::Chunk));
    EXPECT_EQ(data.cksize, 5u);
    EXPECT_EQ(data.dwDataOffset, 12u + 10u + 12u + 8u);

    char buffer[16] = {};
    EXPECT_EQ(riff.Read(buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::string(buffer), "12345");
    EXPECT_EQ(riff.Read(buffer, sizeof buffer), 0u);

    // Past the pad byte, the next chunk follows.
    ASSERT_TRUE(riff.Ascend(data));
    RiffChunkInfo tail = Looking("tail");
    ASSERT_TRUE(riff.Descend(tail, Find::Chunk));
    EXPECT_EQ(riff.Read(buffer, 2), 2u);
    EXPECT_EQ(Walk(block), "odd1/1 odd3/3 data/5 tail/2 ");
}

TEST(MemoryRiffTest, SizesThatRunPastTheBlockOrTheParentAreRefused) {
    const Bytes fmt = Chunk("fmt ", PcmFormat(1, 8000));
    // The data chunk claims more than the block holds.
    const Bytes pastBlock = Riff("WAVE", {fmt, ChunkClaiming("data", 100, Text("1234"))});
    // The RIFF chunk ends before its data chunk does, though the block holds all of it.
    Bytes pastParent = Cat({Riff("WAVE", {fmt, Chunk("data", Text("1234"))}), Text("1234")});
    pastParent[4] -= 4;
    // The RIFF chunk itself claims more than the block.
    Bytes riffPastBlock = Riff("WAVE", {fmt, Chunk("data", Text("1234"))});
    riffPastBlock[4] += 2;

    for (const Bytes& block : {pastBlock, pastParent}) {
        MemoryRiff riff;
        ASSERT_TRUE(riff.Open(block.data(), block.size()));
        RiffChunkInfo form = Looking("", "WAVE"), format = Looking("fmt"), data = Looking("data");
        ASSERT_TRUE(riff.Descend(form, Find::Riff));
        ASSERT_TRUE(riff.Descend(format, Find::Chunk));
        ASSERT_TRUE(riff.Ascend(format));
        EXPECT_FALSE(riff.Descend(data, Find::Chunk));
    }
    MemoryRiff riff;
    ASSERT_TRUE(riff.Open(riffPastBlock.data(), riffPastBlock.size()));
    RiffChunkInfo form = Looking("", "WAVE");
    EXPECT_FALSE(riff.Descend(form, Find::Riff));
}

TEST(MemoryRiffTest, CutHeadersAreRefused) {
    // Too short for a chunk header; a "RIFF" too small to hold its form type.
    for (const Bytes& block : {Text("RIFF"), Cat({Text("RIFF"), Le(2), Text("WA")})}) {
        MemoryRiff riff;
        ASSERT_TRUE(riff.Open(block.data(), block.size()));
        RiffChunkInfo any;
        EXPECT_FALSE(riff.Descend(any, Find::Next)) << block.size();
    }
    // A form that ends six bytes into the header of its first chunk.
    const Bytes block = Riff("WAVE", {Text("data12")});
    MemoryRiff riff;
    ASSERT_TRUE(riff.Open(block.data(), block.size()));
    RiffChunkInfo form = Looking("", "WAVE"), any;
    ASSERT_TRUE(riff.Descend(form, Find::Riff));
    EXPECT_FALSE(riff.Descend(any, Find::Next));
}

TEST(MemoryRiffTest, AnOddChunkAtTheVeryEndNeedsNoPadByte) {
    Bytes block = Riff("WAVE", {Chunk("data", Text("abc"))});
    block.pop_back();
    block[4] -= 1;
    MemoryRiff riff;
    ASSERT_TRUE(riff.Open(block.data(), block.size()));
    RiffChunkInfo form = Looking("", "WAVE"), data = Looking("data"), more = Looking("more");
    ASSERT_TRUE(riff.Descend(form, Find::Riff));
    ASSERT_TRUE(riff.Descend(data, Find::Chunk));
    char buffer[8] = {};
    EXPECT_EQ(riff.Read(buffer, sizeof buffer), 3u);
    ASSERT_TRUE(riff.Ascend(data));
    EXPECT_FALSE(riff.Descend(more, Find::Chunk));
    ASSERT_TRUE(riff.Ascend(form));
}

TEST(MemoryRiffTest, OnlyTheInnermostChunkCanBeLeftAndAClosedReaderDoesNothing) {
    const Bytes block = Riff("WAVE", {Chunk("LIST", Cat({Text("INFO"), Chunk("INAM", Text("name"))}))});
    MemoryRiff riff;
    ASSERT_TRUE(riff.Open(block.data(), block.size()));
    RiffChunkInfo form = Looking("", "WAVE"), list = Looking("LIST"), name = Looking("INAM");
    ASSERT_TRUE(riff.Descend(form, Find::Riff));
    ASSERT_TRUE(riff.Descend(list, Find::Chunk));
    EXPECT_EQ(list.fccType, StringToFOURCC("INFO"));
    ASSERT_TRUE(riff.Descend(name, Find::Chunk));
    EXPECT_FALSE(riff.Ascend(form));
    EXPECT_TRUE(riff.Ascend(name));
    EXPECT_TRUE(riff.Ascend(list));
    EXPECT_TRUE(riff.Ascend(form));
    EXPECT_FALSE(riff.Ascend(form));

    riff.Close();
    char buffer[4];
    EXPECT_EQ(riff.Read(buffer, sizeof buffer), 0u);
    EXPECT_FALSE(riff.Descend(form, Find::Next));
    EXPECT_FALSE(riff.Open(nullptr, 10));
    EXPECT_FALSE(riff.Open(block.data(), 0));
}

} // namespace
} // namespace murmex::platform
