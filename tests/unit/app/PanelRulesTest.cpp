// The rules of the generator panel, the settings pages and the hover test.
#include "app/Generator.h"
#include "app/Hover.h"
#include "app/SettingsPages.h"

#include <gtest/gtest.h>

#include <climits>

namespace murmex {
namespace {

TEST(GeneratorRulesTest, FaceForEveryLanguageStateAndMouse) {
    struct Row {
        int lang;
        bool on;
        int idle, hovered, hoveredPressed;
    };
    const Row table[] = {{0, false, 15, 16, 17}, {0, true, 18, 19, 20}, {1, false, 21, 22, 23}, {1, true, 24, 25, 26}};
    for (const Row& row : table) {
        SCOPED_TRACE(testing::Message() << "lang " << row.lang << " on " << row.on);
        EXPECT_EQ(GeneratorFaceIndex(row.lang, row.on, false, false), row.idle);
        EXPECT_EQ(GeneratorFaceIndex(row.lang, row.on, true, false), row.hovered);
        EXPECT_EQ(GeneratorFaceIndex(row.lang, row.on, true, true), row.hoveredPressed);
        EXPECT_EQ(GeneratorFaceIndex(row.lang, row.on, false, true), row.idle) << "held off the button looks idle";
    }
    EXPECT_EQ(GeneratorLampColour(false), 12615680u);
    EXPECT_EQ(GeneratorLampColour(true), 255u);
}

TEST(GeneratorRulesTest, OneMarkShowsTheChosenNoiseAndOtherNumbersTouchNone) {
    for (int n = 1; n <= 8; ++n) {
        const auto marks = NoiseMarks(n);
        ASSERT_TRUE(marks) << n;
        for (int i = 1; i <= 8; ++i)
            EXPECT_EQ((*marks)[std::size_t(i - 1)], i == n ? 31 : 30) << n << " " << i;
    }
    for (int n : {0, 9, -1, INT_MIN, INT_MAX})
        EXPECT_FALSE(NoiseMarks(n)) << n;
}

TEST(GeneratorRulesTest, TheNoiseChoiceIsLockedWhileRunning) {
    EXPECT_EQ(ChooseNoise(false, 3), 3);
    EXPECT_EQ(ChooseNoise(true, 3), std::nullopt);
    EXPECT_EQ(NoiseCursor(false), Qt::PointingHandCursor);
    EXPECT_EQ(NoiseCursor(true), Qt::ForbiddenCursor);
}

TEST(HoverTest, StrictlyInsideTheControlPlacedOnTheWindow) {
    const QPoint window(100, 10);
    const QRect button(25, 510, 164, 50); // screen 125..289 x 520..570
    EXPECT_TRUE(CursorOver({126, 521}, window, button, true));
    EXPECT_TRUE(CursorOver({288, 569}, window, button, true));
    for (QPoint edge : {QPoint(125, 540), QPoint(289, 540), QPoint(200, 520), QPoint(200, 570)})
        EXPECT_FALSE(CursorOver(edge, window, button, true)) << edge.x() << "," << edge.y();
    EXPECT_FALSE(CursorOver({200, 540}, window, button, false)) << "a hidden window has nothing under the cursor";
    EXPECT_TRUE(CursorOver({200, 540}, window, button, true));
    EXPECT_FALSE(CursorOver({200, 540}, {0, 0}, button, true)) << "the window's place counts";
}

TEST(SettingsPagesTest, EachPageShowsItsOwnControls) {
    EXPECT_EQ(PageVisibility(0, 3), (PageControls{.language = true}));
    EXPECT_EQ(PageVisibility(1, 3), (PageControls{.device = true}));
    EXPECT_EQ(PageVisibility(2, 3), (PageControls{.options = true, .offAction = true}));
    EXPECT_EQ(PageVisibility(2, 0), (PageControls{.options = true})) << "no action without a delay";
    EXPECT_EQ(PageVisibility(0, 0), (PageControls{.language = true}));
    for (int page : {-1, 3, INT_MIN, INT_MAX})
        EXPECT_EQ(PageVisibility(page, 3), std::nullopt) << page;
}

TEST(SettingsPagesTest, TabFacesInBothLanguages) {
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(TabFace(k, false, 0), 1 + k);
        EXPECT_EQ(TabFace(k, true, 0), 7 + k);
        EXPECT_EQ(TabFace(k, false, 1), 4 + k);
        EXPECT_EQ(TabFace(k, true, 1), 10 + k);
        EXPECT_EQ(TabFace(k, true, 2), std::nullopt);
        EXPECT_EQ(TabFace(k, false, -1), std::nullopt);
    }
    EXPECT_EQ(TickBoxPicture(false), 12);
    EXPECT_EQ(TickBoxPicture(true), 13);
}

} // namespace
} // namespace murmex
