#include "ui/FormShape.h"

#include <gtest/gtest.h>

namespace murmex::ui {
namespace {

// The outline as a person describes it: an 800 x 600 area one pixel in from the corner whose corners are
// cut back by 5, 3, 2, 1 and 1 pixels from the outermost row inwards.
bool InsideByDescription(int x, int y) {
    if (x < 1 || x > 800 || y < 1 || y > 600)
        return false;
    constexpr int cut[] = {5, 3, 2, 1, 1};
    const int fromTop = y - 1, fromBottom = 600 - y;
    const int row = std::min(fromTop, fromBottom);
    const int inset = row < 5 ? cut[row] : 0;
    return x >= 1 + inset && x <= 800 - inset;
}

TEST(WindowRegionTest, EveryPixelIsInOrOutAsTheSteppedOutlineSays) {
    const QRegion region = RegionOf(layout::WindowRegion());
    int mismatches = 0;
    for (int y = -1; y <= 608; ++y)
        for (int x = -1; x <= 808; ++x)
            mismatches += region.contains(QPoint(x, y)) != InsideByDescription(x, y);
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(region.boundingRect(), QRect(1, 1, 800, 600));
}

TEST(WindowRegionTest, CornersAndEdges) {
    const QRegion region = RegionOf(layout::WindowRegion());
    for (QPoint out : {QPoint(0, 0), QPoint(0, 300), QPoint(400, 0), QPoint(801, 300), QPoint(400, 601), QPoint(5, 1),
                       QPoint(796, 1), QPoint(1, 5), QPoint(1, 596), QPoint(5, 600), QPoint(800, 5)})
        EXPECT_FALSE(region.contains(out)) << out.x() << "," << out.y();
    for (QPoint in : {QPoint(6, 1), QPoint(795, 1), QPoint(1, 6), QPoint(800, 595), QPoint(6, 600), QPoint(2, 4),
                      QPoint(3, 3), QPoint(4, 2), QPoint(799, 597)})
        EXPECT_TRUE(region.contains(in)) << in.x() << "," << in.y();
}

} // namespace
} // namespace murmex::ui
