// How often the work timer ticks. Someone looking at the window, and the auto-off's last seconds and the
// minute after a power-off request, need it ten times a second; out of sight, a playing generator needs it once
// a second (the auto-off counts playing time, a failed start shows stopped), and a stopped one not at all: the
// settings and the media controls follow each change by themselves. Pure; any thread.
#pragma once

#include "app/AutoOff.h"

#include <cstdint>

namespace murmex {

inline constexpr int kBusyTickMs = 100;
inline constexpr int kRestingTickMs = 1000;

struct WorkTickState {
    bool shown = false; // neither hidden (in the tray, or never shown), minimised, nor taken off the screen
    bool playing = false;
    std::int32_t offCount = 0;
    std::int32_t off1 = 0;
    std::int32_t requestedAt = kNoRequest;
};

// The interval in ms; 0 for a timer that rests altogether.
constexpr int WorkTickMs(const WorkTickState& s) {
    if (s.shown)
        return kBusyTickMs;
    if (!s.playing)
        return 0;
    if (KeptRequest(s.offCount, s.requestedAt) != kNoRequest)
        return kBusyTickMs;
    // The fade must start on time: the busy ticks begin two resting ticks ahead, so that a resting tick that
    // comes late still finds the fade ahead of it.
    constexpr std::int32_t ahead = kFadeTicks + 2 * kRestingTickMs / kBusyTickMs;
    if (s.off1 > 0 && s.off1 < std::int32_t(kOffDelays.size())) {
        const std::int64_t left = std::int64_t(kOffDelays[std::size_t(s.off1)].ticks) - s.offCount;
        if (left > 0 && left <= ahead)
            return kBusyTickMs;
    }
    return kRestingTickMs;
}

} // namespace murmex
