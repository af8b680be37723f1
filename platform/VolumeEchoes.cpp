#include "platform/VolumeEchoes.h"

namespace murmex::platform {

void VolumeEchoes::Set(Volume volume, Clock::time_point) {
    m_held = volume;
}

bool VolumeEchoes::Outside(Volume volume, Clock::time_point) {
    if (volume == m_held)
        return false;
    m_held = volume;
    return true;
}

} // namespace murmex::platform
