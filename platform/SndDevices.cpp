#include "platform/SndDevices.h"

#include "platform/SoundBackend.h"

#include <string>

namespace murmex::platform {
namespace {

// The output at `index` in the list in use, or an empty one.
SoundOutput OutputAt(int index) {
    const std::vector<SoundOutput> outputs = Sound().Outputs();
    if (index < 0 || index >= static_cast<int>(outputs.size()))
        return {};
    return outputs[static_cast<std::size_t>(index)];
}

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
    return Handed(OutputAt(index).name, handle);
}

const char* GetSndDeviceKeyDS(int index, SndStringHandle* handle) {
    return Handed(OutputAt(index).key, handle);
}

bool IsSndDeviceDefaultDS(int index) {
    return index >= 0 && OutputAt(index).key == kDefaultOutputKey;
}

void DSFreeString(SndStringHandle handle) {
    delete static_cast<std::string*>(handle);
}

} // namespace murmex::platform
