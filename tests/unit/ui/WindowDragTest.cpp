#include "ui/WindowDrag.h"

#include <gtest/gtest.h>

namespace murmex::ui {
namespace {

TEST(WindowDragTest, LeftDragKeepsTheGrabPointUnderTheCursor) {
    WindowDrag drag;
    drag.Press(Qt::LeftButton, {300, 40}, {100, 10});
    EXPECT_EQ(drag.Move(Qt::LeftButton, {350, 90}), QPoint(150, 60));
    EXPECT_EQ(drag.Move(Qt::LeftButton, {0, 0}), QPoint(-200, -30)) << "not clamped to the desktop";
    drag.Release(Qt::NoButton);
    EXPECT_EQ(drag.Move(Qt::LeftButton, {400, 400}), std::nullopt);
}

TEST(WindowDragTest, OtherButtonsDoNotDrag) {
    WindowDrag drag;
    drag.Press(Qt::RightButton, {300, 40}, {100, 10});
    drag.Press(Qt::MiddleButton, {300, 40}, {100, 10});
    EXPECT_EQ(drag.Move(Qt::RightButton | Qt::MiddleButton, {350, 90}), std::nullopt);
    EXPECT_FALSE(drag.Active());
}

TEST(WindowDragTest, ReleasingAnotherButtonKeepsTheDragAndALostReleaseEndsIt) {
    WindowDrag drag;
    drag.Press(Qt::LeftButton | Qt::RightButton, {10, 10}, {0, 0});
    drag.Release(Qt::LeftButton); // right released, left still down
    EXPECT_EQ(drag.Move(Qt::LeftButton, {20, 15}), QPoint(10, 5));
    EXPECT_EQ(drag.Move(Qt::NoButton, {30, 30}), std::nullopt) << "left released outside the window";
    EXPECT_EQ(drag.Move(Qt::LeftButton, {40, 40}), std::nullopt);
}

} // namespace
} // namespace murmex::ui
