// The auto-off: the table of delays the user can choose, the two selectors that wrap around, and the
// countdown of playing time in 100 ms ticks, which the work timer advances by the ticks' worth of time that has
// passed while the generator plays. Pure; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

namespace murmex {

struct OffDelay {
    std::string_view text; // what the delay field shows
    std::int32_t ticks;    // 100 ms ticks of playing after which the action fires; 0 for no auto-off
};

// Ten minutes a step up to 30, then five a step up to 60.
inline constexpr std::array<OffDelay, 10> kOffDelays{{
    {"--", 0},
    {"10", 6000},
    {"20", 12000},
    {"30", 18000},
    {"35", 21000},
    {"40", 24000},
    {"45", 27000},
    {"50", 30000},
    {"55", 33000},
    {"60", 36000},
}};

inline constexpr std::int32_t kOffActionClose = 0;
inline constexpr std::int32_t kOffActionShutdown = 1;
inline constexpr std::int32_t kOffActionSuspend = 2;

// The delay index brought back into the table: anything past the last is "--" and anything below "--" is
// the last, so the arrows wrap around and an edited store shows a delay the table has.
constexpr std::int32_t WrapOffDelay(std::int32_t off1) {
    constexpr auto last = std::int32_t(kOffDelays.size()) - 1;
    if (off1 > last)
        return 0;
    if (off1 < 0)
        return last;
    return off1;
}

// The action index, wrapping around its entries the same way.
constexpr std::int32_t WrapOffAction(std::int32_t off2) {
    if (off2 > kOffActionSuspend)
        return kOffActionClose;
    if (off2 < kOffActionClose)
        return kOffActionSuspend;
    return off2;
}

// The countdown advanced by `ticks` of playing (one, or more when the work timer rests), with the delay chosen
// now. "--" resets the count; otherwise it counts on and the action is due when the count reaches the delay's
// limit, so it fires once; a count that would pass the limit stops on it, as though the timer had ticked there.
// The count stops at its largest value instead of overflowing; by then no delay lies ahead.
struct OffTick {
    std::int32_t count = 0;
    bool fire = false;
};

constexpr OffTick CountOffTick(std::int32_t offCount, std::int32_t off1, std::int64_t ticks = 1) {
    if (off1 <= 0)
        return {0, false};
    constexpr std::int64_t most = std::numeric_limits<std::int32_t>::max();
    const std::int64_t count = offCount + ticks < most ? offCount + ticks : most;
    if (off1 < std::int32_t(kOffDelays.size())) {
        const std::int32_t limit = kOffDelays[std::size_t(off1)].ticks;
        if (offCount < limit && count >= limit)
            return {limit, true};
    }
    return {std::int32_t(count), false};
}

// The gentle end: over the last ticks before the action the output volume goes down step by step, and is 0 on
// the tick the action fires. A power-off takes the computer down in its own time: the output stays at 0 for a
// minute after the request, and a program still running after that was refused, so the noise fades back in
// over as many ticks as it faded out. The silence belongs to a request that was made: a count that is past the
// limit only because a shorter delay was chosen later fired nothing, and plays on at full volume.
inline constexpr std::int32_t kFadeTicks = 50;
inline constexpr std::int32_t kShutdownSilenceTicks = 600;
inline constexpr std::int32_t kNoRequest = -1;

// The count at which a power-off was asked for, kept while its silence and the fade back last; kNoRequest once
// they are over, or when the count has started again below it.
constexpr std::int32_t KeptRequest(std::int32_t offCount, std::int32_t requestedAt) {
    if (requestedAt == kNoRequest || offCount < requestedAt ||
        std::int64_t(offCount) - requestedAt >= kShutdownSilenceTicks + kFadeTicks)
        return kNoRequest;
    return requestedAt;
}

// The share of the user's volume to play with the count `offCount` (as it stands after the tick), the delay
// `off1`, and `requestedAt`, the count at which the power-off was asked for (kNoRequest for none): 1 with no
// auto-off, earlier than the fade, after a close, and once the noise is back.
constexpr double FadeShare(std::int32_t offCount, std::int32_t off1, std::int32_t requestedAt) {
    if (KeptRequest(offCount, requestedAt) != kNoRequest) {
        const std::int64_t back = std::int64_t(offCount) - requestedAt - kShutdownSilenceTicks;
        return back <= 0 ? 0.0 : double(back) / kFadeTicks;
    }
    if (off1 <= 0 || off1 >= std::int32_t(kOffDelays.size()))
        return 1.0;
    const std::int64_t left = std::int64_t(kOffDelays[std::size_t(off1)].ticks) - offCount;
    return left >= 0 && left < kFadeTicks ? double(left) / kFadeTicks : 1.0;
}

} // namespace murmex
