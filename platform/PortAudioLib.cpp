#include "platform/PortAudioLib.h"

#include <mutex>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace murmex::platform::portaudio {
namespace {

Library g_library;
std::once_flag g_loadOnce;
bool g_loaded = false;

#if defined(_WIN32)
void* Open(const char* name) {
    return reinterpret_cast<void*>(LoadLibraryA(name));
}
void* Find(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}
constexpr const char* kNames[] = {"portaudio.dll", "libportaudio-2.dll"};
#else
void* Open(const char* name) {
    return dlopen(name, RTLD_NOW | RTLD_LOCAL);
}
void* Find(void* library, const char* name) {
    return dlsym(library, name);
}
constexpr const char* kNames[] = {"libportaudio.so.2", "libportaudio.2.dylib", "libportaudio.so"};
#endif

template <typename Function> bool Bind(void* library, Function& function, const char* name) {
    function = reinterpret_cast<Function>(Find(library, name));
    return function != nullptr;
}

} // namespace

bool Load() {
    std::call_once(g_loadOnce, [] {
        void* library = nullptr;
        for (const char* name : kNames) {
            if ((library = Open(name)))
                break;
        }
        if (!library)
            return;
        Library l;
        const bool all =
            Bind(library, l.Initialize, "Pa_Initialize") && Bind(library, l.Terminate, "Pa_Terminate") &&
            Bind(library, l.GetDeviceCount, "Pa_GetDeviceCount") &&
            Bind(library, l.GetDeviceInfo, "Pa_GetDeviceInfo") &&
            Bind(library, l.GetDefaultOutputDevice, "Pa_GetDefaultOutputDevice") &&
            Bind(library, l.OpenStream, "Pa_OpenStream") && Bind(library, l.StartStream, "Pa_StartStream") &&
            Bind(library, l.StopStream, "Pa_StopStream") && Bind(library, l.AbortStream, "Pa_AbortStream") &&
            Bind(library, l.CloseStream, "Pa_CloseStream") && Bind(library, l.IsStreamStopped, "Pa_IsStreamStopped") &&
            Bind(library, l.IsStreamActive, "Pa_IsStreamActive") && Bind(library, l.GetErrorText, "Pa_GetErrorText");
        if (!all)
            return; // the library stays loaded, unused: a half-bound one is never called
#if !defined(_WIN32)
        // ALSA came with PortAudio, where PortAudio speaks it.
        if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD))
            Bind(alsa, l.AlsaConfigFree, "snd_config_update_free_global");
#endif
        g_library = l;
        g_loaded = true;
    });
    return g_loaded;
}

const Library& Pa() {
    return g_library;
}

} // namespace murmex::platform::portaudio
