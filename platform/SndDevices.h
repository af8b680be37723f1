// The sound-device library: how many outputs there are and what each is called. A device's position
// here is the id the wave-out calls accept. The list is read when the sound starts (platform/SoundBackend.h).
// Any thread.
#pragma once

namespace murmex::platform {

using SndStringHandle = void*;

// Number of output devices; 0 when there are none, the sound system cannot be reached or the audio host
// has not been started (platform/SoundBackend.h).
int GetSndDeviceCountDS();

// The name of output device `index` (UTF-8), valid until DSFreeString(*handle). An index that names no
// device gives an empty name. Every call must be paired with one DSFreeString.
const char* GetSndDeviceNameDS(int index, SndStringHandle* handle);

void DSFreeString(SndStringHandle handle);

// What finds output device `index` again when its position has changed (UTF-8), paired with DSFreeString
// as the name is. An index that names no device gives an empty key.
const char* GetSndDeviceKeyDS(int index, SndStringHandle* handle);

// True when output device `index` stands for the desktop's default output, wherever that is at the moment; its
// name then carries the default output's name.
bool IsSndDeviceDefaultDS(int index);

} // namespace murmex::platform
