// PortAudio, loaded only when a run needs it: a run on the sound server never maps it, nor ALSA and JACK that
// come with it (about 1 MB). The calls are PortAudio's own; every one is null until Load() has succeeded.
#pragma once

#include <portaudio.h>

namespace murmex::platform::portaudio {

struct Library {
    decltype(&Pa_Initialize) Initialize = nullptr;
    decltype(&Pa_Terminate) Terminate = nullptr;
    decltype(&Pa_GetDeviceCount) GetDeviceCount = nullptr;
    decltype(&Pa_GetDeviceInfo) GetDeviceInfo = nullptr;
    decltype(&Pa_GetDefaultOutputDevice) GetDefaultOutputDevice = nullptr;
    decltype(&Pa_OpenStream) OpenStream = nullptr;
    decltype(&Pa_StartStream) StartStream = nullptr;
    decltype(&Pa_StopStream) StopStream = nullptr;
    decltype(&Pa_AbortStream) AbortStream = nullptr;
    decltype(&Pa_CloseStream) CloseStream = nullptr;
    decltype(&Pa_IsStreamStopped) IsStreamStopped = nullptr;
    decltype(&Pa_IsStreamActive) IsStreamActive = nullptr;
    decltype(&Pa_GetErrorText) GetErrorText = nullptr;
    // ALSA's own, where PortAudio speaks ALSA: lets go of ALSA's configuration (see PortAudioBackend.cpp).
    int (*AlsaConfigFree)() = nullptr;
};

// Loads the library once; false when it is not there. Any thread.
bool Load();

// The calls; all null while Load() has not succeeded.
const Library& Pa();

} // namespace murmex::platform::portaudio
