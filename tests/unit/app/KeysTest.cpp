// The window's keys: what the widget test of the keys does not press.
#include "app/Keys.h"

#include <gtest/gtest.h>

namespace murmex {
namespace {

TEST(KeysTest, AHeldKeyRepeatsOnlyTheVolumeSteps) {
    EXPECT_EQ(KeyActionFor(Qt::Key_Up, Qt::NoModifier, true).command, KeyCommand::VolumeUp);
    for (int key : {int(Qt::Key_Space), int(Qt::Key_Escape), int(Qt::Key_4)})
        EXPECT_EQ(KeyActionFor(key, Qt::NoModifier, true).command, KeyCommand::Stay) << key;
    EXPECT_EQ(KeyActionFor(Qt::Key_Q, Qt::ControlModifier, true).command, KeyCommand::Stay);
}

// A repeat reported as a release and a press carries the release's time; a real second press comes later.
TEST(KeysTest, APressAtTheTimeOfTheSameKeysReleaseIsARepeat) {
    KeyRepeats repeats;
    repeats.Released(Qt::Key_Return, 5000);
    EXPECT_TRUE(repeats.Repeated(Qt::Key_Return, 5000, false));
    EXPECT_FALSE(repeats.Repeated(Qt::Key_Return, 5090, false));
    EXPECT_FALSE(repeats.Repeated(Qt::Key_Space, 5000, false));
    repeats.Released(Qt::Key_Space, 0); // a time the system did not give
    EXPECT_FALSE(repeats.Repeated(Qt::Key_Space, 0, false));
}

TEST(KeysTest, KeypadDigitsChooseAndOtherModifiersLeaveTheKeyAlone) {
    EXPECT_EQ(KeyActionFor(Qt::Key_8, Qt::KeypadModifier, false), (KeyAction{KeyCommand::Noise, 8}));
    EXPECT_EQ(KeyActionFor(Qt::Key_9, Qt::NoModifier, false).command, KeyCommand::None);
    EXPECT_EQ(KeyActionFor(Qt::Key_1, Qt::ControlModifier, false).command, KeyCommand::None);
    EXPECT_EQ(KeyActionFor(Qt::Key_F4, Qt::AltModifier, false).command, KeyCommand::None);
    EXPECT_EQ(KeyActionFor(Qt::Key_F1, Qt::NoModifier, false).command, KeyCommand::Help);
    EXPECT_EQ(KeyActionFor(Qt::Key_Tab, Qt::NoModifier, false).command, KeyCommand::Stay) << "the focus stays";
}

} // namespace
} // namespace murmex
