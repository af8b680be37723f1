// What a way of reaching the sound gives the wave-out: an open stream on one output that plays one buffer,
// from its start, a number of times. The sound server's protocol is one way, PortAudio the other; one is
// picked at start (platform/SoundBackend.h).
#pragma once

#include "platform/WaveOut.h"

#include <algorithm>
#include <functional>
#include <string>

namespace murmex::platform {

struct WaveOut::Device {
    virtual ~Device() = default;

    // Plays the buffer `header` holds from its start, `plays` times; the stream sets WHDR_DONE once the
    // last sample has been heard. The header is queued (WHDR_INQUEUE) already.
    virtual MMRESULT Play(WaveHeader& header, std::uint64_t plays) = 0;
    // Stops at once; afterwards the stream no longer reads the buffer nor writes its header.
    virtual MMRESULT Stop() = 0;
    // Lets go of the stream; on success the device may be destroyed.
    virtual MMRESULT Release() = 0;
    // The stream has ended by itself (its server or output went away).
    virtual bool Ended() const = 0;
    virtual Placement Where() const { return Placement::Unknown; }
    virtual std::string MovedByUser() const { return {}; }
    virtual bool SetWake(std::function<void()>) { return false; }

    WaveHeader* header = nullptr;
    int inChannels = 0;
};

inline void MarkDone(WaveHeader& header) {
    header.dwFlags.fetch_or(WHDR_DONE);
    header.dwFlags.fetch_and(~WHDR_INQUEUE);
}

inline bool Queued(const WaveHeader* header) {
    return header && (header->dwFlags.load() & WHDR_INQUEUE);
}

inline std::int16_t Sample(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

// The program-wide volume, left in the low 16 bits and right in the high ones.
std::uint32_t ProgramVolume();
// Takes a volume set outside the program (in the desktop's mixer) as the program's.
void TakeProgramVolume(std::uint32_t volume);
// Takes the output the user moved the program's sound to outside it (in the desktop's mixer) as its choice.
void TakeProgramOutput(const std::string& key);

} // namespace murmex::platform
