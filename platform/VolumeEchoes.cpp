#include "platform/VolumeEchoes.h"

#include <algorithm>

namespace murmex::platform {

void VolumeEchoes::Forget(Clock::time_point now) {
    while (!m_awaited.empty() && (now - m_awaited.front().set > kEchoWithin || m_awaited.size() > kMostAwaited))
        m_awaited.pop_front();
}

void VolumeEchoes::Set(Volume volume, Clock::time_point now) {
    // The server does not report a volume the stream has already.
    if (volume != m_held)
        m_awaited.push_back({volume, now});
    m_held = volume;
    Forget(now);
}

bool VolumeEchoes::Outside(Volume volume, Clock::time_point now) {
    Forget(now);
    const auto echo =
        std::find_if(m_awaited.begin(), m_awaited.end(), [&](const Awaited& a) { return a.volume == volume; });
    if (echo != m_awaited.end()) {
        m_awaited.erase(echo);
        return false;
    }
    if (volume == m_held)
        return false;
    m_held = volume;
    return true;
}

} // namespace murmex::platform
