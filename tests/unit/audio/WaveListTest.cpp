#include "audio/WaveList.h"

#include "audio/ClipRecords.h"
#include "tests/support/RiffBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace murmex::audio {
namespace {

using namespace murmex::test;

const Bytes kImage = Riff("WAVE", {Chunk("fmt ", PcmFormat(1, 8000)), Chunk("data", Text("abcd"))});

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& error) {
        return error.what();
    }
    return "no error";
}

TEST(WaveListTest, TheBuiltInListHoldsTheStoredImagesUnchanged) {
    TLMDWaveList list;
    FillWaveList(list, BuiltInClipRecords());
    ASSERT_EQ(list.Count(), 8);
    for (int i = 0; i < 8; ++i) {
        const TLMDWaveListItem& item = list.Items(i);
        const auto stored = BuiltInClipRecords()[static_cast<std::size_t>(i)].subspan(5);
        EXPECT_EQ(item.Ident, 0);
        EXPECT_EQ(item.Description, "");
        EXPECT_FALSE(item.Compressed);
        ASSERT_EQ(item.Wave.Size(), stored.size());
        EXPECT_TRUE(std::equal(stored.begin(), stored.end(), item.Wave.Data()));
    }
    EXPECT_EQ(list.Items(0).Wave.Size(), 16072u);
    EXPECT_EQ(list.Items(7).Wave.Size(), 44170u);
}

TEST(WaveListTest, AnIndexOutsideTheListIsRefusedWithTheIndexInTheMessage) {
    TLMDWaveList list;
    FillWaveList(list, BuiltInClipRecords());
    EXPECT_THROW(list.Items(8), EListError);
    EXPECT_EQ(MessageOf([&] { list.Items(8); }), "List index out of bounds (8)");
    EXPECT_EQ(MessageOf([&] { list.Items(-1); }), "List index out of bounds (-1)");
    EXPECT_EQ(MessageOf([] { TLMDWaveList().Items(0); }), "List index out of bounds (0)");
}

TEST(WaveListTest, EveryFieldTheFlagsAnnounceIsRead) {
    const std::string description(255, 'd');
    const Bytes full =
        Cat({Bytes{0x0E, 255}, Text(description), Le(0x80000001u), Le(std::uint32_t(kImage.size())), kImage});
    const auto item = ReadWaveRecord(full);
    EXPECT_EQ(item->Description, description);
    EXPECT_EQ(item->Ident, INT32_MIN + 1);
    EXPECT_FALSE(item->Compressed);
    EXPECT_TRUE(std::equal(kImage.begin(), kImage.end(), item->Wave.Data()));

    const auto bare = ReadWaveRecord(Bytes{0x01});
    EXPECT_TRUE(bare->Compressed);
    EXPECT_TRUE(bare->Wave.Empty());
    EXPECT_EQ(bare->Ident, 0);
}

TEST(WaveListTest, RecordsCutShortOrRunningOnAreRefused) {
    Bytes record = Cat({Bytes{0x0E, 3}, Text("abc"), Le(7), Le(std::uint32_t(kImage.size())), kImage});
    ASSERT_NO_THROW(ReadWaveRecord(record));
    for (std::size_t length = 0; length < record.size(); ++length)
        EXPECT_THROW(ReadWaveRecord(std::span(record).first(length)), EWaveRecordError) << length;
    record.push_back(0);
    EXPECT_THROW(ReadWaveRecord(record), EWaveRecordError);
    // Its length is unknown, so a compressed wave cannot be skipped either.
    EXPECT_THROW(ReadWaveRecord(Cat({Bytes{0x09}, Le(std::uint32_t(kImage.size())), kImage})), EWaveRecordError);
}

TEST(WaveListTest, AnImageThatFailsTheCheckLeavesTheWaveEmpty) {
    Bytes notRiff = kImage, notWave = kImage, fmtNotFirst = kImage;
    notRiff[3] = 'X';
    notWave[8] = 'A';
    fmtNotFirst[12] = 'F';
    for (const Bytes& image : {Bytes{}, notRiff, notWave, fmtNotFirst, Text("RIFX")}) {
        const auto item = ReadWaveRecord(WaveRecord(image));
        EXPECT_TRUE(item->Wave.Empty()) << image.size();
        EXPECT_EQ(item->Wave.Data(), nullptr);
    }
    // The check reads no further than the format's block align.
    const Bytes header(kImage.begin(), kImage.begin() + 34);
    EXPECT_FALSE(ReadWaveRecord(WaveRecord(header))->Wave.Empty());
}

TEST(WaveListTest, TheCheckRunningPastTheImageIsAnErrorThatStopsTheFilling) {
    for (std::size_t length : {3, 4, 11, 15, 19, 33}) {
        const Bytes image(kImage.begin(), kImage.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(MessageOf([&] { ReadWaveRecord(WaveRecord(image)); }), "GetWaveData: Cannot open file %s") << length;
    }
    const Bytes good = WaveRecord(kImage), cut = WaveRecord(Text("RIFF"));
    const std::span<const std::uint8_t> records[] = {good, cut, good};
    TLMDWaveList list;
    EXPECT_THROW(FillWaveList(list, records), EWaveDataError);
    EXPECT_EQ(list.Count(), 1);
}

} // namespace
} // namespace murmex::audio
