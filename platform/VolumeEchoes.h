// Tells apart what the sound server reports of a stream's volume: the echoes of volumes this program set, and
// changes made outside it (in the desktop's mixer). Pure; its owner's lock guards it.
#pragma once

#include <chrono>
#include <cstdint>

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

    // The stream starts at `held`.
    explicit VolumeEchoes(Volume held = {}) : m_held(held) {}

    // The program sets `volume` at `now`.
    void Set(Volume volume, Clock::time_point now);
    // The server reports `volume` at `now`. True when it was set outside the program: it is then the one held.
    bool Outside(Volume volume, Clock::time_point now);

private:
    Volume m_held;
};

} // namespace murmex::platform
