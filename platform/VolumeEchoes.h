// Tells apart what the sound server reports of a stream's volume: the echoes of volumes this program set, and
// changes made outside it (in the desktop's mixer). The server reports the volume after each change, but it
// may report several quick changes late, in another order, or as one; it reports no change to the volume the
// stream already has, and some servers report the volume unchanged after unrelated updates. So a report is
// the program's own when it shows the volume held (the last one set, or taken from outside), or a volume the
// program set in the last few seconds and has not seen reported yet; that report uses it up, so the user can
// still choose the same volume in the mixer. Pure; its owner's lock guards it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace murmex::platform {

// A stream's volume as the server holds it, per channel.
struct ChannelVolumes {
    std::uint32_t left = 0;
    std::uint32_t right = 0;
    bool operator==(const ChannelVolumes&) const = default;
};

class VolumeEchoes {
public:
    using Clock = std::chrono::steady_clock;
    using Volume = ChannelVolumes;

    // How long a volume set waits for its report, and how many wait at most.
    static constexpr Clock::duration kEchoWithin = std::chrono::seconds(5);
    static constexpr std::size_t kMostAwaited = 64;

    // The stream starts at `held`.
    explicit VolumeEchoes(Volume held = {}) : m_held(held) {}

    // The program sets `volume` at `now`.
    void Set(Volume volume, Clock::time_point now);
    // The server reports `volume` at `now`. True when it was set outside the program: it is then the one held.
    bool Outside(Volume volume, Clock::time_point now);

private:
    struct Awaited {
        Volume volume;
        Clock::time_point set;
    };

    void Forget(Clock::time_point now);

    Volume m_held;
    std::deque<Awaited> m_awaited; // oldest first
};

} // namespace murmex::platform
