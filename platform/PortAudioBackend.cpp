#include "platform/PortAudioBackend.h"
#include "platform/LibraryNoise.h"
#include "platform/PortAudioLib.h"
#include "platform/Sanitizers.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#if defined(__unix__)
#include <fcntl.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#endif

namespace murmex::platform::portaudiopath {
namespace {

struct Host {
    bool started = false;
    std::vector<std::string> names;     // device id -> its name at start
    std::vector<PaDeviceIndex> outputs; // device id -> PortAudio device now, or paNoDevice
    PaDeviceIndex defaultOutput = paNoDevice;
    std::string defaultName;
};

// Published at the start and replaced by Refresh(); never destroyed.
std::atomic<const Host*> g_host{nullptr};
std::once_flag g_startOnce;
std::atomic<int> g_openStreams{0};

const Host* Current() {
    return g_host.load(std::memory_order_acquire);
}

// Never destroyed, like the host it guards.
std::mutex& Calls() {
    static auto* calls = new std::mutex;
    return *calls;
}

// Listing the outputs opens every device ALSA knows of and so loads all its plugins (an AC-3 encoder with a
// video codec library among them), which would stay for the whole run. ALSA lets go of its configuration
// and of the plugins no stream uses; it reads again what a stream needs when one is opened. Under the
// sanitizers the plugins stay: what they keep after they are unloaded can no longer be told apart from a
// leak of ours, and ThreadSanitizer's suppressions name them by the addresses they were loaded at.
// A refresh's Pa_Terminate lets go of them as well: under the sanitizers every plugin loaded so far is then
// marked never to be unloaded.
void ReleaseProbingMemory() {
#if defined(__linux__) && !MURMEX_UNDER_ASAN && !MURMEX_UNDER_TSAN
    if (portaudio::Pa().AlsaConfigFree)
        portaudio::Pa().AlsaConfigFree();
#elif defined(__linux__)
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "/libasound_module_")) {
                // Only marks the loaded library; the reference taken here is never given back either.
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            }
            return 0;
        },
        nullptr);
#endif
}

// PortAudio's outputs now, in its order, with their names. Under Lock(), PortAudio initialised.
std::vector<std::pair<PaDeviceIndex, std::string>> ListOutputs() {
    std::vector<std::pair<PaDeviceIndex, std::string>> outputs;
    const PaDeviceIndex count = portaudio::Pa().GetDeviceCount();
    for (PaDeviceIndex i = 0; i < count; ++i) {
        const PaDeviceInfo* info = portaudio::Pa().GetDeviceInfo(i);
        if (info && info->maxOutputChannels > 0)
            outputs.emplace_back(i, info->name ? info->name : "");
    }
    return outputs;
}

void ReadDefault(Host& host) {
    host.defaultOutput = portaudio::Pa().GetDefaultOutputDevice();
    const PaDeviceInfo* info =
        host.defaultOutput == paNoDevice ? nullptr : portaudio::Pa().GetDeviceInfo(host.defaultOutput);
    host.defaultName = info && info->name ? info->name : "";
}

// Old tables stay reachable (and so are not reported as leaks): a reader may still hold one.
void Retire(const Host* host) {
    static auto* retired = new std::vector<const Host*>;
    retired->push_back(host); // under Lock()
}

// Reads the list at start; false when PortAudio cannot be used.
bool ReadAtStart() {
    auto* host = new Host;
#if defined(__unix__)
    // JACK's client library tries to launch a server it cannot find; asking it not to saves time.
    setenv("JACK_NO_START_SERVER", "1", 0);
#endif
    const auto lock = Lock();
    QuietStderr quiet;
    if (portaudio::Load() && portaudio::Pa().Initialize() == paNoError) {
        host->started = true;
        for (auto& [device, name] : ListOutputs()) {
            host->outputs.push_back(device);
            host->names.push_back(std::move(name));
        }
        ReadDefault(*host);
    }
    ReleaseProbingMemory();
    g_host.store(host, std::memory_order_release);
    return host->started;
}

} // namespace

std::unique_lock<std::mutex> Lock() {
    return std::unique_lock<std::mutex>(Calls());
}

int OutputDeviceCount() {
    const Host* host = Current();
    return host ? static_cast<int>(host->outputs.size()) : 0;
}

PaDeviceIndex OutputDevice(int deviceId) {
    const Host* host = Current();
    if (!host)
        return paNoDevice;
    if (deviceId == -1)
        return host->defaultOutput;
    if (deviceId < 0 || deviceId >= static_cast<int>(host->outputs.size()))
        return paNoDevice;
    return host->outputs[static_cast<std::size_t>(deviceId)];
}

bool Unresolved(int deviceId) {
    const Host* host = Current();
    return host && host->started && deviceId >= -1 && deviceId < static_cast<int>(host->names.size()) &&
           OutputDevice(deviceId) == paNoDevice;
}

std::string OutputDeviceName(int deviceId) {
    const Host* host = Current();
    if (!host)
        return {};
    if (deviceId == -1)
        return host->defaultName;
    if (deviceId < 0 || deviceId >= static_cast<int>(host->names.size()))
        return {};
    return host->names[static_cast<std::size_t>(deviceId)];
}

int DeviceOfKey(const std::string& key) {
    if (key == kDefaultOutputKey)
        return -1;
    const Host* host = Current();
    if (!host || key.empty())
        return -2;
    for (std::size_t i = 0; i < host->names.size(); ++i) {
        if (host->names[i] == key)
            return static_cast<int>(i);
    }
    return -2;
}

bool Refresh() {
    const Host* old = Current();
    if (!old || !old->started)
        return false;
    const auto lock = Lock();
    if (g_openStreams.load() > 0)
        return false;
    old = Current(); // another refresh may have come first
    auto* host = new Host(*old);
    {
        QuietStderr quiet;
        portaudio::Pa().Terminate();
        // PortAudio down would leave every device id without a device; the next refresh tries again.
        std::vector<std::pair<PaDeviceIndex, std::string>> outputs;
        host->defaultOutput = paNoDevice;
        host->defaultName.clear();
        if (portaudio::Pa().Initialize() == paNoError) {
            outputs = ListOutputs();
            ReadDefault(*host);
        }
        // The n-th device id of a name is the n-th output of that name now.
        std::vector<bool> taken(outputs.size(), false);
        for (std::size_t id = 0; id < host->names.size(); ++id) {
            host->outputs[id] = paNoDevice;
            for (std::size_t i = 0; i < outputs.size(); ++i) {
                if (!taken[i] && outputs[i].second == host->names[id]) {
                    taken[i] = true;
                    host->outputs[id] = outputs[i].first;
                    break;
                }
            }
        }
    }
#if defined(__linux__)
    // pixman, which the AC-3 encoder's codec libraries draw in, allocates about 12 kB in its constructor and
    // frees none of it when unloaded: loaded again by every refresh, it would grow the process by that much
    // each time. Once a refresh has loaded it, it stays (about 0.5 MB of mapped pages).
    if (void* pixman = dlopen("libpixman-1.so.0", RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
        dlclose(pixman);
#endif
    ReleaseProbingMemory();
    Retire(old);
    g_host.store(host, std::memory_order_release);
    return true;
}

void CountOpenStream(int change) {
    g_openStreams.fetch_add(change);
}

int OpenStreams() {
    return g_openStreams.load();
}

namespace {

// Device ids are positions in the list read at the start; an output's key is its name there.
class Backend final : public SoundBackend {
public:
    std::vector<SoundOutput> Outputs() const override {
        std::vector<SoundOutput> outputs;
        for (int id = 0; id < OutputDeviceCount(); ++id) {
            std::string name = OutputDeviceName(id);
            outputs.push_back({name, name});
        }
        return outputs;
    }
    SoundOutput DefaultOutput() const override { return {kDefaultOutputKey, OutputDeviceName(-1)}; }
    bool Listed(const std::string& key) const override {
        const int id = DeviceOfKey(key);
        return id >= -1 && OutputDevice(id) != paNoDevice;
    }
    bool CanOpen(const std::string& key, const WaveFormatEx& format) override {
        const int id = DeviceOfKey(key);
        return id >= -1 && !Gone(id, format);
    }
    std::unique_ptr<WaveOut::Device> Open(const std::string& key, const WaveFormatEx& format, const std::string&,
                                          MMRESULT& error) override {
        return OpenDevice(key, format, error);
    }
    std::string ErrorText(MMRESULT code) const override { return portaudiopath::ErrorText(code); }
    void AwaitOutput(const void* owner, const std::string& key, const WaveFormatEx& format,
                     std::function<void()> wake) override {
        Await(owner, key, format, std::move(wake));
    }
    int OpenStreams() const override { return portaudiopath::OpenStreams(); }
};

} // namespace

std::unique_ptr<SoundBackend> StartBackend() {
    if (!ReadAtStart())
        return nullptr;
    return std::make_unique<Backend>();
}

#if defined(__unix__)
QuietStderr::QuietStderr() : m_held(HoldStderr()) {
    std::fflush(stderr);
    // Not inherited: a program started meanwhile from another thread would keep the terminal's end open.
    m_saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
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
QuietStderr::QuietStderr() : m_held(HoldStderr()) {}
QuietStderr::~QuietStderr() = default;
#endif

} // namespace murmex::platform::portaudiopath
