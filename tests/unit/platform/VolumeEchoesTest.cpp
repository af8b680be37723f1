#include "platform/VolumeEchoes.h"

#include <gtest/gtest.h>

namespace murmex::platform {
namespace {

using namespace std::chrono_literals;
using Volume = VolumeEchoes::Volume;

const VolumeEchoes::Clock::time_point t0;
constexpr Volume kFull{65536, 65536}, kHalfLeft{52016, 65536}, kHalf{52016, 52016}, kMixer{20000, 20000};

// Both sliders set at once pass through one channel's change; the server may report the two in either order,
// and again unchanged after unrelated updates.
TEST(VolumeEchoesTest, TheProgramsOwnVolumesAreNeverOutsideChangesWhateverTheirOrder) {
    VolumeEchoes echoes(kFull);
    echoes.Set(kHalfLeft, t0);
    echoes.Set(kHalf, t0 + 1ms);
    EXPECT_FALSE(echoes.Outside(kHalf, t0 + 5ms));
    EXPECT_FALSE(echoes.Outside(kHalfLeft, t0 + 6ms)) << "the in-between volume, reported after the final one";
    EXPECT_FALSE(echoes.Outside(kHalf, t0 + 7ms)) << "an unrelated update";

    echoes.Set(kFull, t0 + 10ms);
    echoes.Set(kHalfLeft, t0 + 11ms);
    EXPECT_FALSE(echoes.Outside(kFull, t0 + 15ms));
    EXPECT_FALSE(echoes.Outside(kHalfLeft, t0 + 16ms));
    EXPECT_TRUE(echoes.Outside(kMixer, t0 + 20ms));
    EXPECT_FALSE(echoes.Outside(kMixer, t0 + 21ms)) << "the mixer's change, reported again";
}

// A reported volume of the program's is used up; one never reported (a set to the volume the stream had
// already is not reported at all) is forgotten after a while. The user may choose any of them in the mixer.
TEST(VolumeEchoesTest, AChangeInTheMixerToAnOlderVolumeOfTheProgramsIsTaken) {
    VolumeEchoes echoes(kFull);
    echoes.Set(kHalf, t0);
    EXPECT_FALSE(echoes.Outside(kHalf, t0 + 5ms));
    echoes.Set(kHalf, t0 + 10ms);
    EXPECT_TRUE(echoes.Outside(kMixer, t0 + 20ms));
    EXPECT_TRUE(echoes.Outside(kHalf, t0 + 30ms));

    echoes.Set(kHalfLeft, t0 + 1s);
    echoes.Set(kFull, t0 + 1s + 1ms);
    EXPECT_FALSE(echoes.Outside(kFull, t0 + 1s + 5ms));
    EXPECT_TRUE(echoes.Outside(kHalfLeft, t0 + 1min));
}

} // namespace
} // namespace murmex::platform
