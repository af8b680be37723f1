#include "platform/AudioHost.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#if defined(__unix__)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace murmex::platform::audiohost {
namespace {

struct Host {
    bool started = false;
    std::vector<PaDeviceIndex> outputs; // device id -> PortAudio device
    PaDeviceIndex defaultOutput = paNoDevice;
};

const Host& Started() {
    static const Host host = [] {
        Host h;
#if defined(__unix__)
        // JACK's client library tries to launch a server it cannot find; asking it not to saves time.
        setenv("JACK_NO_START_SERVER", "1", 0);
#endif
        QuietStderr quiet;
        if (Pa_Initialize() != paNoError)
            return h;
        h.started = true;
        const PaDeviceIndex count = Pa_GetDeviceCount();
        for (PaDeviceIndex i = 0; i < count; ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (info && info->maxOutputChannels > 0)
                h.outputs.push_back(i);
        }
        h.defaultOutput = Pa_GetDefaultOutputDevice();
        return h;
    }();
    return host;
}

std::mutex g_calls;

} // namespace

std::unique_lock<std::mutex> Lock() {
    Started();
    return std::unique_lock<std::mutex>(g_calls);
}

int OutputDeviceCount() {
    return static_cast<int>(Started().outputs.size());
}

PaDeviceIndex OutputDevice(int deviceId) {
    const Host& host = Started();
    if (deviceId == -1)
        return host.defaultOutput;
    if (deviceId < 0 || deviceId >= static_cast<int>(host.outputs.size()))
        return paNoDevice;
    return host.outputs[static_cast<std::size_t>(deviceId)];
}

std::string OutputDeviceName(int deviceId) {
    const PaDeviceIndex device = OutputDevice(deviceId);
    if (device == paNoDevice)
        return {};
    const auto lock = Lock();
    const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
    return info && info->name ? std::string(info->name) : std::string();
}

#if defined(__unix__)
QuietStderr::QuietStderr() {
    std::fflush(stderr);
    m_saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (m_saved >= 0 && null >= 0)
        dup2(null, STDERR_FILENO);
    if (null >= 0)
        close(null);
}

QuietStderr::~QuietStderr() {
    if (m_saved < 0)
        return;
    std::fflush(stderr);
    dup2(m_saved, STDERR_FILENO);
    close(m_saved);
}
#else
QuietStderr::QuietStderr() = default;
QuietStderr::~QuietStderr() = default;
#endif

} // namespace murmex::platform::audiohost
