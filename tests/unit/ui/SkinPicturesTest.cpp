// The pictures painted at build time, against the sizes and roles the window gives them.
#include "ui/BitmapList.h"
#include "ui/FormShape.h"
#include "ui/SkinAssets.h"

#include <gtest/gtest.h>

namespace murmex::ui {
namespace {

struct Items {
    layout::List list;
    int first, last;
    QSize size;
};

// What each item shows is in the window description; these are the items the window uses.
const Items kUsed[] = {
    {layout::List::Btn, 0, 7, {22, 23}},      // title-bar buttons, hovered and normal
    {layout::List::Btn, 8, 11, {19, 10}},     // arrows
    {layout::List::Btn, 12, 13, {18, 18}},    // tick boxes
    {layout::List::Btn, 15, 26, {164, 50}},   // generator faces
    {layout::List::Btn, 30, 31, {23, 23}},    // noise selectors
    {layout::List::Btn, 34, 49, {104, 22}},   // noise name plates, Russian then English
    {layout::List::Btn, 60, 65, {92, 19}},    // panel headings
    {layout::List::Scroll, 0, 25, {21, 142}}, // volume scales
    {layout::List::YellowMenu, 0, 0, {278, 42}}, {layout::List::YellowMenu, 1, 12, {82, 23}},
};

TEST(SkinPicturesTest, EveryItemTheWindowUsesExistsAtItsSize) {
    for (const Items& used : kUsed) {
        const TLMDBitmapList list = TLMDBitmapList::FromResources(layout::ListOf(used.list));
        for (int n = used.first; n <= used.last; ++n) {
            const QImage& item = list.Item(n);
            ASSERT_FALSE(item.isNull()) << layout::ListOf(used.list).name << " item " << n;
            EXPECT_EQ(item.size(), used.size) << layout::ListOf(used.list).name << " item " << n;
            EXPECT_FALSE(item.hasAlphaChannel()) << layout::ListOf(used.list).name << " item " << n;
        }
    }
}

TEST(SkinPicturesTest, ListsHaveTheirLengths) {
    EXPECT_EQ(TLMDBitmapList::FromResources(layout::ListOf(layout::List::Btn)).Count(), 66);
    EXPECT_EQ(TLMDBitmapList::FromResources(layout::ListOf(layout::List::Scroll)).Count(), 26);
    EXPECT_EQ(TLMDBitmapList::FromResources(layout::ListOf(layout::List::YellowMenu)).Count(), 13);
}

TEST(SkinPicturesTest, LetteredPicturesDifferBetweenTheLanguages) {
    const TLMDBitmapList btn = TLMDBitmapList::FromResources(layout::ListOf(layout::List::Btn));
    for (auto [russian, english] : {std::pair{21, 15}, {24, 18}, {34, 42}, {41, 49}, {60, 61}, {64, 65}})
        EXPECT_NE(btn.Item(russian), btn.Item(english)) << russian << " and " << english;
    const TLMDBitmapList tabs = TLMDBitmapList::FromResources(layout::ListOf(layout::List::YellowMenu));
    for (int k = 1; k <= 3; ++k) {
        EXPECT_NE(tabs.Item(k), tabs.Item(k + 3));
        EXPECT_NE(tabs.Item(k), tabs.Item(k + 6)) << "plain and lit tab " << k;
    }
}

TEST(SkinPicturesTest, TheSkinIsMagentaExactlyOutsideTheOutline) {
    const QImage skin = SkinPicture(layout::kSkinResource);
    ASSERT_EQ(skin.size(), QSize(802, 602));
    const QRegion region = RegionOf(layout::WindowRegion());
    int wrong = 0;
    for (int y = 0; y < skin.height(); ++y)
        for (int x = 0; x < skin.width(); ++x)
            wrong += (skin.pixelColor(x, y) == layout::kOutsideColour) == region.contains(QPoint(x, y));
    EXPECT_EQ(wrong, 0);
}

TEST(SkinPicturesTest, PicturesOutsideTheLists) {
    EXPECT_EQ(SkinPicture(layout::kTextureResource).size(), QSize(125, 24));
    EXPECT_EQ(SkinPicture(":/skin/left.png").size(), QSize(30, 12));
    EXPECT_EQ(SkinPicture(":/skin/right.png").size(), QSize(36, 12));
    EXPECT_EQ(SkinPicture(":/skin/level.png").size(), QSize(36, 12));
    for (const char* lamp : {"GOFFBUTTON", "GONBUTTON", "OFFBUTTON", "ONBUTTON", "DISABLEBUTTON"})
        EXPECT_EQ(SkinPicture(std::string(layout::kLampResourceFolder) + lamp + ".png").size(), QSize(14, 14)) << lamp;
    for (const auto& item : layout::TrayMenuItems())
        EXPECT_EQ(SkinPicture(item.glyph).size(), QSize(11, 11)) << item.name;
    for (int size : layout::kIconSizes) {
        const QImage icon = SkinPicture(std::string(layout::kIconResourceFolder) + std::to_string(size) + ".png");
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_TRUE(icon.hasAlphaChannel()) << size;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << "rounded corner of the " << size << " icon";
    }
}

} // namespace
} // namespace murmex::ui
