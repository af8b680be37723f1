// The auto-off countdown over synthetic ticks of 100 ms, and its two wrapping selectors.
#include "app/AutoOff.h"
#include "app/WorkTick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <vector>

using namespace murmex;

namespace {

// The countdown as the work timer drives it: ticks count only while playing, and an action that fires with the
// power-off chosen is a request.
struct Countdown {
    std::int32_t count = 0;
    std::int32_t requestedAt = kNoRequest;
    std::vector<std::int64_t> fired; // the tick numbers, counted from the first, at which the action fired
    std::int64_t ticks = 0;

    void Run(std::int64_t n, std::int32_t off1, bool playing = true, std::int32_t off2 = kOffActionClose) {
        for (std::int64_t i = 0; i < n; ++i) {
            ++ticks;
            if (!playing)
                continue;
            const OffTick tick = CountOffTick(count, off1);
            count = tick.count;
            if (tick.fire)
                fired.push_back(ticks);
            if (tick.fire && off2 == kOffActionShutdown)
                requestedAt = count;
            requestedAt = KeptRequest(count, requestedAt);
        }
    }
};

constexpr std::int32_t kMinute = 600;

} // namespace

TEST(AutoOffTest, TenMinutesFireAtTick6000ExactlyOnce) {
    Countdown c;
    c.Run(20 * kMinute, 1);
    EXPECT_EQ(c.fired, std::vector<std::int64_t>{6000});
}

TEST(AutoOffTest, StoppingPausesTheCountWithoutResettingIt) {
    Countdown c;
    c.Run(6 * kMinute, 1);
    c.Run(30 * kMinute, 1, false);
    EXPECT_EQ(c.count, 6 * kMinute);
    EXPECT_TRUE(c.fired.empty());
    c.Run(4 * kMinute, 1);
    ASSERT_EQ(c.fired.size(), 1u);
    EXPECT_EQ(c.fired[0], c.ticks);
}

TEST(AutoOffTest, ADelayAlreadyPassedNeverFires) {
    Countdown c;
    c.Run(40 * kMinute, 9); // "60"
    c.Run(60 * kMinute, 3); // "30", chosen at 40 minutes
    EXPECT_TRUE(c.fired.empty());
    // A delay whose limit still lies ahead fires when the count meets it.
    c.count = 40 * kMinute;
    c.Run(20 * kMinute, 9);
    EXPECT_EQ(c.fired.size(), 1u);
}

// Ten minutes played towards "20", then "10" chosen: the count is past the new limit, nothing fires, and nothing
// goes silent.
TEST(AutoOffTest, ACountPastAShorterDelayChosenLaterKeepsTheFullVolume) {
    Countdown c;
    c.Run(10 * kMinute, 2, true, kOffActionShutdown);
    for (int tick = 0; tick < kMinute; ++tick) {
        c.Run(1, 1, true, kOffActionShutdown);
        ASSERT_EQ(FadeShare(c.count, 1, c.requestedAt), 1.0) << tick;
    }
    EXPECT_TRUE(c.fired.empty());
}

TEST(AutoOffTest, OffResetsOnlyWhilePlaying) {
    Countdown c;
    c.Run(5 * kMinute, 1);
    c.Run(10, 0, false); // "--" while stopped keeps the count
    EXPECT_EQ(c.count, 5 * kMinute);
    c.Run(1, 0); // "--" while playing resets it at the next tick
    EXPECT_EQ(c.count, 0);
    c.Run(10 * kMinute, 1);
    EXPECT_EQ(c.fired.size(), 1u);
    // A spent countdown fires again only after a reset through "--" while playing.
    c.Run(30 * kMinute, 1);
    EXPECT_EQ(c.fired.size(), 1u);
    c.Run(1, 0);
    c.Run(10 * kMinute, 1);
    EXPECT_EQ(c.fired.size(), 2u);
}

TEST(AutoOffTest, TheCountSaturatesInsteadOfOverflowing) {
    constexpr auto top = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(CountOffTick(top - 1, 9).count, top);
    const OffTick last = CountOffTick(top, 9);
    EXPECT_EQ(last.count, top);
    EXPECT_FALSE(last.fire);
    // An edited store's delay index outside the table counts but fires nothing.
    EXPECT_FALSE(CountOffTick(5999, 10).fire);
}

// A resting timer counts a second's ticks at once: a count that would pass the limit stops on it and fires there,
// once.
TEST(AutoOffTest, ManyTicksAtOnceFireOnTheLimit) {
    const OffTick over = CountOffTick(5995, 1, 10);
    EXPECT_EQ(over.count, 6000);
    EXPECT_TRUE(over.fire);
    EXPECT_FALSE(CountOffTick(6000, 1, 10).fire);
    EXPECT_EQ(CountOffTick(5990, 1, 0).count, 5990);
}

TEST(WorkTickTest, BusyWhileSeenOrNearTheEndRestingWhilePlayingUnseenOffWhileStopped) {
    EXPECT_EQ(WorkTickMs({.shown = true}), 100);
    EXPECT_EQ(WorkTickMs({}), 0);
    EXPECT_EQ(WorkTickMs({.playing = true, .offCount = 5929, .off1 = 1}), 1000);
    EXPECT_EQ(WorkTickMs({.playing = true, .offCount = 5930, .off1 = 1}), 100);  // the fade is 2 s ahead
    EXPECT_EQ(WorkTickMs({.playing = true, .offCount = 6000, .off1 = 1}), 1000); // nothing ahead
    EXPECT_EQ(WorkTickMs({.playing = true, .offCount = 6600, .off1 = 1, .requestedAt = 6000}), 100);
}

TEST(AutoOffTest, EveryDelayFiresAtItsOwnLimit) {
    const char* texts[] = {"--", "10", "20", "30", "35", "40", "45", "50", "55", "60"};
    const std::int32_t minutes[] = {0, 10, 20, 30, 35, 40, 45, 50, 55, 60};
    for (std::int32_t off1 = 1; off1 < 10; ++off1) {
        SCOPED_TRACE(off1);
        EXPECT_EQ(kOffDelays[std::size_t(off1)].text, texts[off1]);
        Countdown c;
        c.Run(61 * kMinute, off1);
        EXPECT_EQ(c.fired, std::vector<std::int64_t>{minutes[off1] * kMinute});
    }
    EXPECT_EQ(kOffDelays[0].text, texts[0]);
}

TEST(AutoOffTest, BothSelectorsWrapAround) {
    EXPECT_EQ(WrapOffDelay(10), 0); // up from "60"
    EXPECT_EQ(WrapOffDelay(-1), 9); // down from "--"
    EXPECT_EQ(WrapOffDelay(12), 0); // an edited store
    EXPECT_EQ(WrapOffDelay(std::numeric_limits<std::int32_t>::min()), 9);
    EXPECT_EQ(WrapOffDelay(std::numeric_limits<std::int32_t>::max()), 0);
    EXPECT_EQ(WrapOffDelay(5), 5);
    EXPECT_EQ(WrapOffAction(3), kOffActionClose);
    EXPECT_EQ(WrapOffAction(-1), kOffActionSuspend);
    EXPECT_EQ(WrapOffAction(kOffActionShutdown), kOffActionShutdown);
    EXPECT_EQ(WrapOffAction(kOffActionSuspend), kOffActionSuspend);
    EXPECT_EQ(WrapOffAction(std::numeric_limits<std::int32_t>::max()), kOffActionClose);
    EXPECT_EQ(WrapOffAction(std::numeric_limits<std::int32_t>::min()), kOffActionSuspend);
}

TEST(AutoOffTest, TheFadeCoversTheLastFiftyTicksOfAKnownDelayOnly) {
    constexpr std::int32_t sixty = 36000;
    EXPECT_EQ(FadeShare(sixty - 51, 9, kNoRequest), 1.0);
    EXPECT_EQ(FadeShare(sixty - 50, 9, kNoRequest), 1.0);
    EXPECT_DOUBLE_EQ(FadeShare(sixty - 49, 9, kNoRequest), 0.98);
    EXPECT_DOUBLE_EQ(FadeShare(sixty - 1, 9, kNoRequest), 0.02);
    EXPECT_EQ(FadeShare(sixty, 9, kNoRequest), 0.0); // the tick the action fires
    EXPECT_EQ(FadeShare(sixty + 1, 9, kNoRequest), 1.0);
    EXPECT_EQ(FadeShare(std::numeric_limits<std::int32_t>::max(), 9, kNoRequest), 1.0);
    EXPECT_EQ(FadeShare(std::numeric_limits<std::int32_t>::min(), 9, kNoRequest), 1.0);
    // No auto-off, and delays the table does not have, never fade.
    EXPECT_EQ(FadeShare(0, 0, kNoRequest), 1.0);
    EXPECT_EQ(FadeShare(5990, -1, kNoRequest), 1.0);
    EXPECT_EQ(FadeShare(5990, 10, kNoRequest), 1.0);
    EXPECT_DOUBLE_EQ(FadeShare(5990, 1, kNoRequest), 0.2);
}

// A power-off takes the computer down in its own time: a minute of silence after the request, and only a
// program still running after it (the request was refused) hears the noise come back, over five seconds.
TEST(AutoOffTest, AfterAPowerOffRequestAMinuteOfSilenceThenTheNoiseFadesBackIn) {
    Countdown c;
    c.Run(10 * kMinute, 1, true, kOffActionShutdown);
    ASSERT_EQ(c.fired.size(), 1u);
    std::vector<double> shares;
    for (int tick = 0; tick < kMinute + 2 * kFadeTicks; ++tick) {
        c.Run(1, 1, true, kOffActionShutdown);
        shares.push_back(FadeShare(c.count, 1, c.requestedAt));
    }
    EXPECT_EQ(std::count(shares.begin(), shares.begin() + kMinute, 0.0), kMinute);
    for (int tick = kMinute; tick < kMinute + kFadeTicks; ++tick)
        EXPECT_GT(shares[std::size_t(tick)], shares[std::size_t(tick - 1)]) << tick;
    EXPECT_EQ(std::count(shares.begin() + kMinute + kFadeTicks - 1, shares.end(), 1.0), kFadeTicks + 1);
    EXPECT_EQ(c.fired.size(), 1u);
}
