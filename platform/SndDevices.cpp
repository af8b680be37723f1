#include "platform/SndDevices.h"

#include "platform/AudioHost.h"

#include <string>

namespace murmex::platform {

int GetSndDeviceCountDS() {
    return audiohost::OutputDeviceCount();
}

const char* GetSndDeviceNameDS(int index, SndStringHandle* handle) {
    auto* name = new std::string(index >= 0 ? audiohost::OutputDeviceName(index) : std::string());
    *handle = name;
    return name->c_str();
}

const char* GetSndDeviceKeyDS(int index, SndStringHandle* handle) {
    auto* key = new std::string(index >= 0 ? audiohost::OutputDeviceKey(index) : std::string());
    *handle = key;
    return key->c_str();
}

bool IsSndDeviceDefaultDS(int index) {
    return audiohost::StandsForDefault(index);
}

void DSFreeString(SndStringHandle handle) {
    delete static_cast<std::string*>(handle);
}

} // namespace murmex::platform
