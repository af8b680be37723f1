#include "platform/SoundBackend.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace murmex::platform {

// Each way's own start: the backend it makes, or null when it cannot be used.
namespace portaudiopath {
std::unique_ptr<SoundBackend> StartBackend();
}
#if MURMEX_HAVE_SOUND_SERVER
namespace serverpath {
std::unique_ptr<SoundBackend> StartBackend();
}
#endif

namespace {

// Before the start: no outputs, and nothing opens.
class NoSound final : public SoundBackend {
public:
    std::vector<SoundOutput> Outputs() const override { return {}; }
    SoundOutput DefaultOutput() const override { return {}; }
    bool Listed(const std::string&) const override { return false; }
    bool CanOpen(const std::string&, const WaveFormatEx&) override { return false; }
    std::unique_ptr<WaveOut::Device> Open(const std::string&, const WaveFormatEx&, const std::string&,
                                          MMRESULT& error) override {
        error = MMSYSERR_NODRIVER;
        return nullptr;
    }
    std::string ErrorText(MMRESULT) const override { return {}; }
    int OpenStreams() const override { return 0; }
};

// Published once and never destroyed, as every backend put in place.
std::atomic<SoundBackend*> g_backend{nullptr};
std::atomic<bool> g_started{false};
std::atomic<bool> g_ran{false};
std::once_flag g_startOnce;
std::thread::id g_startedOn; // written once, before g_ran

std::unique_ptr<SoundBackend> Pick() {
#if MURMEX_HAVE_SOUND_SERVER
    const char* path = std::getenv("MURMEX_SOUND_PATH");
    if (!path || std::string(path) != "portaudio")
        if (auto server = serverpath::StartBackend())
            return server;
#endif
    return portaudiopath::StartBackend();
}

} // namespace

bool StartSound() {
    std::call_once(g_startOnce, [] {
        g_startedOn = std::this_thread::get_id();
        g_ran.store(true);
        bool started = true;
        if (!g_backend.load()) {
            std::unique_ptr<SoundBackend> backend = Pick();
            started = backend != nullptr;
            if (backend)
                g_backend.store(backend.release());
        }
        g_started.store(started);
    });
    return g_started.load();
}

SoundBackend& Sound() {
    static auto* none = new NoSound;
    SoundBackend* backend = g_backend.load();
    return backend ? *backend : *none;
}

std::thread::id SoundStartedOn() {
    return g_ran.load() ? g_startedOn : std::thread::id();
}

SoundOutput OutputOf(int deviceId) {
    const SoundBackend& sound = Sound();
    if (deviceId == -1)
        return sound.DefaultOutput();
    const std::vector<SoundOutput> outputs = sound.Outputs();
    if (deviceId < 0 || deviceId >= static_cast<int>(outputs.size()))
        return {};
    return outputs[static_cast<std::size_t>(deviceId)];
}

SoundOutput OutputOfKey(const std::string& key) {
    const SoundBackend& sound = Sound();
    if (key == kDefaultOutputKey && sound.DefaultOutput().key == key)
        return sound.DefaultOutput();
    for (const SoundOutput& output : sound.Outputs()) {
        if (output.key == key)
            return output;
    }
    return {key, {}};
}

void UseSoundBackend(std::unique_ptr<SoundBackend> backend) {
    g_backend.store(backend.release());
}

} // namespace murmex::platform
