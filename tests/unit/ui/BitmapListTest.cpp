#include "ui/BitmapList.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace murmex::ui {
namespace {

QImage Solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(BitmapListTest, ItemsOutsideTheListOrEmptyAreNull) {
    const TLMDBitmapList list({Solid({4, 4}, Qt::red), QImage(), Solid({2, 2}, Qt::blue)});
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Item(2).size(), QSize(2, 2));
    EXPECT_TRUE(list.Item(1).isNull());
    EXPECT_TRUE(list.Item(-1).isNull());
    EXPECT_TRUE(list.Item(3).isNull());
}

TEST(BitmapListTest, DrawCopiesAnItemOpaqueAtItsNaturalSize) {
    const TLMDBitmapList list({Solid({4, 3}, Qt::red), Solid({2, 2}, Qt::blue)});
    QImage canvas = Solid({8, 8}, Qt::white);
    list.Draw(canvas, 2, 1, 0, 0);
    EXPECT_EQ(canvas.pixelColor(2, 1), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(5, 3), QColor(Qt::red));
    EXPECT_EQ(canvas.pixelColor(6, 3), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(2, 4), QColor(Qt::white));
    list.Draw(canvas, 0, 0, 1, 1);
    EXPECT_EQ(canvas.pixelColor(1, 1), QColor(Qt::blue));
    EXPECT_EQ(canvas.pixelColor(2, 2), QColor(Qt::red));
}

TEST(BitmapListDeathTest, DrawingAnItemThatIsNotThereIsAProgrammingError) {
    const TLMDBitmapList list({Solid({4, 3}, Qt::red)});
    QImage canvas = Solid({8, 8}, Qt::white);
    EXPECT_DEATH(list.Draw(canvas, 0, 0, 1, 1), "item 1 of a list of 1");
    EXPECT_DEATH(list.Draw(canvas, 0, 0, -1, -1), "");
}

} // namespace
} // namespace murmex::ui
