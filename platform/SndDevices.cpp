#include "platform/SndDevices.h"

#include "platform/SoundBackend.h"

#include <string>

namespace murmex::platform {
namespace {

const char* Handed(std::string text, SndStringHandle* handle) {
    auto* held = new std::string(std::move(text));
    *handle = held;
    return held->c_str();
}

} // namespace

int GetSndDeviceCountDS() {
    return static_cast<int>(Sound().Outputs().size());
}

const char* GetSndDeviceNameDS(int index, SndStringHandle* handle) {
    return Handed(OutputOf(index >= 0 ? index : -2).name, handle);
}

const char* GetSndDeviceKeyDS(int index, SndStringHandle* handle) {
    return Handed(OutputOf(index >= 0 ? index : -2).key, handle);
}

bool IsSndDeviceDefaultDS(int index) {
    return index >= 0 && OutputOf(index).key == kDefaultOutputKey;
}

void DSFreeString(SndStringHandle handle) {
    delete static_cast<std::string*>(handle);
}

} // namespace murmex::platform
