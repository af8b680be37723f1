#include "ui/MainLayout.h"
#include "ui/FormShape.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace murmex::ui::layout {
namespace {

bool OutsideTheWindow(const ControlSpec& c) {
    return c.name == "Edit_Focus" || c.name == "Lbl_Title_2";
}

TEST(MainLayoutTest, NamesAreUniqueAndParentsComeFirst) {
    std::set<std::string_view> seen;
    for (const ControlSpec& c : Controls()) {
        if (!c.parent.empty()) {
            EXPECT_TRUE(seen.count(c.parent)) << c.name << " is created before its parent " << c.parent;
            EXPECT_EQ(Control(c.parent).kind, Kind::TexturePanel) << c.name;
        }
        EXPECT_TRUE(seen.insert(c.name).second) << c.name << " twice";
    }
}

TEST(MainLayoutTest, EveryControlStandsInsideTheOutlineOrWhollyOutsideIt) {
    const QRegion region = RegionOf(WindowRegion());
    for (const ControlSpec& c : Controls()) {
        const QRect r = WindowRect(c);
        if (OutsideTheWindow(c)) {
            EXPECT_FALSE(region.intersects(r)) << c.name << " would be seen";
        } else {
            EXPECT_EQ(region.intersected(r), QRegion(r)) << c.name << " is cut by the outline";
        }
        if (!c.parent.empty()) {
            EXPECT_TRUE(QRect(QPoint(), Control(c.parent).rect.size()).contains(c.rect)) << c.name;
        }
    }
}

TEST(MainLayoutTest, PictureNumbersNameItemsOfTheirList) {
    for (const ControlSpec& c : Controls()) {
        if (c.kind != Kind::Image)
            continue;
        ASSERT_NE(c.list, List::None) << c.name;
        EXPECT_GE(c.listIndex, 0) << c.name;
        EXPECT_LT(c.listIndex, ListOf(c.list).count) << c.name;
    }
}

TEST(MainLayoutTest, PageTabsArePlacedFromTheStrip) {
    const QRect strip = Control("Img_Yellow_Fon1").rect;
    const QRect tabs[] = {Control("Btn_Yellow_1").rect, Control("Btn_Yellow_2").rect, Control("Btn_Yellow_3").rect};
    EXPECT_EQ(tabs[0].topLeft(), strip.topLeft() + QPoint(12, 7));
    EXPECT_EQ(tabs[1].topLeft(), tabs[0].topLeft() + QPoint(86, 0));
    EXPECT_EQ(tabs[2].topLeft(), tabs[1].topLeft() + QPoint(86, 0));
}

TEST(MainLayoutTest, EachNoisePlateSitsCentredUnderItsSelector) {
    for (int n = 1; n <= 8; ++n) {
        const QRect mark = Control("Cb_Noise_" + std::to_string(n)).rect;
        const QRect plate = Control("Img_Noise_" + std::to_string(n)).rect;
        EXPECT_EQ(plate.top(), mark.bottom() + 1) << n;
        EXPECT_LE(std::abs(plate.center().x() - mark.center().x()), 1) << n;
    }
}

TEST(MainLayoutTest, DirectPicturesCoverTheirControls) {
    for (const DirectSpec& d : DirectPictures())
        EXPECT_EQ(QRect(d.at, d.size), WindowRect(Control(d.over))) << d.bitmap;
}

} // namespace
} // namespace murmex::ui::layout
