// The wave-out over the desktop's sound server: one stream per open device, fed from the one buffer in its
// write callback on the main loop's thread. The server holds three seconds of sound and asks for more when two
// are left, so a loop that never changes wakes the program about once a second; the volume is the stream's
// own on the server, heard at once whatever the buffer, and a stop corks and flushes the stream at once.
#include "platform/SoundBackend.h"
#include "platform/SoundServer.h"
#include "platform/VolumeEchoes.h"

#include <cmath>

namespace murmex::platform::serverpath {
namespace {

// The server's error codes travel as codes above this base.
constexpr MMRESULT kServerBase = 0x20000;

MMRESULT FromServer(int error) {
    return kServerBase + static_cast<MMRESULT>(error > 0 ? error : PA_ERR_UNKNOWN);
}

// The server holds three seconds of the loop and asks for more a second at a time, so the stream wakes
// us about once a second. What is left between the two (the buffer less twice the request) is the
// latency the server asks of its output for this stream: one second here, so that an output playing
// only this stream renders it in large blocks. A request of half the buffer or more would leave none,
// and the server would then run the output at its smallest latency, waking every half millisecond.
constexpr pa_usec_t kServerBuffer = 3 * PA_USEC_PER_SEC;
constexpr pa_usec_t kServerRequest = PA_USEC_PER_SEC;

pa_volume_t ServerVolume(std::uint32_t gain) {
    return gain >= 0xFFFF ? PA_VOLUME_NORM : pa_sw_volume_from_linear(gain / 65535.0);
}

// A volume above silence stays above it, however low.
std::uint32_t ProgramGain(pa_volume_t volume) {
    const long gain = std::lround(std::clamp(pa_sw_volume_to_linear(volume), 0.0, 1.0) * 65535.0);
    return static_cast<std::uint32_t>(volume > PA_VOLUME_MUTED ? std::max(gain, 1L) : gain);
}

pa_cvolume StreamVolume(std::uint32_t volume) {
    pa_cvolume cv;
    pa_cvolume_init(&cv);
    cv.channels = 2;
    cv.values[0] = ServerVolume(volume & 0xFFFF);
    cv.values[1] = ServerVolume(volume >> 16);
    return cv;
}

VolumeEchoes::Volume EchoVolume(const pa_cvolume& volume) {
    return {volume.values[0], volume.channels > 1 ? volume.values[1] : volume.values[0]};
}

std::atomic<int> g_openStreams{0};

struct ServerDevice;
// The open streams, under soundserver::Lock.
std::vector<ServerDevice*>& OpenDevices() {
    static auto* open = new std::vector<ServerDevice*>;
    return *open;
}

struct ServerDevice final : WaveOut::Device, soundserver::Listener {
    pa_stream* stream = nullptr;
    std::uint32_t index = PA_INVALID_INDEX;
    std::string key; // the output's key; kDefaultOutputKey follows the desktop's default
    // Who moved the stream shows only once the outputs have been read after the move.
    bool moveToJudge = false;
    std::string movedByUser; // the output the user last moved the stream to, or empty
    // Read by the write callback, under the lock.
    const std::uint8_t* data = nullptr;
    std::uint32_t frames = 0;
    std::uint32_t position = 0;
    std::uint64_t playsLeft = 0;
    pa_operation* drain = nullptr;
    std::function<void()> wake;
    std::atomic<bool> ended{false};
    std::atomic<bool> elsewhere{false};
    VolumeEchoes echoes;

    MMRESULT Play(WaveHeader& queued, std::uint64_t plays) override;
    MMRESULT Stop() override;
    MMRESULT Release() override;
    bool Ended() const override { return ended.load() && Queued(header); }
    WaveOut::Placement Where() const override {
        return elsewhere.load() ? WaveOut::Placement::Elsewhere : WaveOut::Placement::OnOutput;
    }
    std::string MovedByUser() const override {
        const soundserver::Lock lock;
        return movedByUser;
    }
    bool SetWake(std::function<void()> w) override {
        const soundserver::Lock lock;
        wake = std::move(w);
        return true;
    }

    void Wake() {
        if (wake)
            wake();
    }
    void Fill(std::size_t bytes);
    void MoveBackIfListed();
    bool JudgeMove();

    bool OutputsRead(bool changed) override {
        const bool usersMove = moveToJudge && JudgeMove();
        if (changed) {
            MoveBackIfListed();
            Wake();
        }
        return usersMove;
    }
    void ConnectionLost() override {
        ended.store(true);
        Wake();
    }
    bool InputVolumeChanged(std::uint32_t input, const pa_cvolume& volume) override {
        if (input != index || volume.channels == 0)
            return false;
        const VolumeEchoes::Volume reported = EchoVolume(volume);
        if (!echoes.Outside(reported, VolumeEchoes::Clock::now()))
            return false;
        TakeProgramVolume(ProgramGain(reported.left) | (ProgramGain(reported.right) << 16));
        return true;
    }
};

// Writes up to `bytes` of the loop from the play position (a mono clip on both channels); once the last play
// is written, the stream is drained and the buffer reported done when the server has played it.
void ServerDevice::Fill(std::size_t bytes) {
    while (bytes >= 4 && data && playsLeft > 0) {
        void* buffer = nullptr;
        std::size_t size = bytes;
        if (pa_stream_begin_write(stream, &buffer, &size) < 0 || !buffer)
            return;
        auto* out = static_cast<std::int16_t*>(buffer);
        const std::size_t count = size / 4;
        std::size_t written = 0;
        while (written < count && playsLeft > 0) {
            const std::size_t n = std::min<std::size_t>(count - written, frames - position);
            const std::uint8_t* in = data + static_cast<std::size_t>(position) * inChannels * 2;
            for (std::size_t i = 0; i < n; ++i, in += inChannels * 2) {
                *out++ = Sample(in);
                *out++ = inChannels == 2 ? Sample(in + 2) : Sample(in);
            }
            written += n;
            position += static_cast<std::uint32_t>(n);
            if (position == frames) {
                position = 0;
                --playsLeft;
            }
        }
        pa_stream_write(stream, buffer, written * 4, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= written * 4;
        if (playsLeft == 0 && !drain) {
            // A short buffer may never fill the server's start threshold: start it now.
            if (pa_operation* trigger = pa_stream_trigger(stream, nullptr, nullptr))
                pa_operation_unref(trigger);
            drain = pa_stream_drain(
                stream,
                [](pa_stream*, int success, void* user) {
                    const soundserver::CallbackScope scope;
                    auto* d = static_cast<ServerDevice*>(user);
                    if (d->drain) {
                        pa_operation_unref(d->drain);
                        d->drain = nullptr;
                    }
                    if (success && d->header) {
                        MarkDone(*d->header);
                        d->Wake();
                    }
                },
                this);
        }
    }
}

void ServerDevice::MoveBackIfListed() {
    if (key == kDefaultOutputKey || !stream || index == PA_INVALID_INDEX)
        return;
    if (soundserver::SinkOf(key).empty()) {
        if (!elsewhere.exchange(true))
            Wake();
        return;
    }
    const char* now = pa_stream_get_device_name(stream);
    if (now && key == now)
        return;
    // The stream's moved event tells when it is there: a server may answer before it has moved it.
    if (pa_context* context = soundserver::Context())
        if (pa_operation* move = pa_context_move_sink_input_by_name(context, index, key.c_str(), nullptr, nullptr))
            pa_operation_unref(move);
}

void StateChanged(pa_stream* stream, void* user) {
    const soundserver::CallbackScope scope;
    auto* d = static_cast<ServerDevice*>(user);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
        d->ended.store(true);
        d->Wake();
    }
    soundserver::Signal();
}

// The server moves a stream off an output it removes, and one that follows the desktop's default along with the
// default; the user moves it in the desktop's mixer. The event does not say which: the outputs read after it do.
void Moved(pa_stream*, void* user) {
    const soundserver::CallbackScope scope;
    static_cast<ServerDevice*>(user)->moveToJudge = true;
    soundserver::ReadOutputsAgain();
}

// A move away from a chosen output that is still listed, or away from the default output to another one, is the
// user's: the output moved to becomes the stream's own. True when it was the user's.
bool ServerDevice::JudgeMove() {
    moveToJudge = false;
    const char* at = pa_stream_get_device_name(stream);
    const std::string now = at ? at : "";
    const std::string chosen = soundserver::SinkOf(key);
    bool usersMove = false;
    if (!now.empty() && now != chosen && !chosen.empty() && !soundserver::SinkOf(now).empty()) {
        key = now;
        movedByUser = now;
        usersMove = true;
        TakeProgramOutput(now);
    }
    const bool away = key != kDefaultOutputKey && now != key;
    if (elsewhere.exchange(away) != away || usersMove)
        Wake();
    return usersMove;
}

MMRESULT ServerDevice::Play(WaveHeader& queued, std::uint64_t plays) {
    const soundserver::Lock lock;
    if (ended.load() || pa_stream_get_state(stream) != PA_STREAM_READY)
        return FromServer(PA_ERR_CONNECTIONTERMINATED);
    if (drain) {
        pa_operation_cancel(drain);
        pa_operation_unref(drain);
        drain = nullptr;
    }
    header = &queued;
    data = queued.lpData;
    frames = queued.dwBufferLength / static_cast<std::uint32_t>(inChannels * 2);
    position = 0;
    playsLeft = plays;
    const std::size_t writable = pa_stream_writable_size(stream);
    Fill(writable == static_cast<std::size_t>(-1) ? 0 : writable);
    if (pa_operation* uncork = pa_stream_cork(stream, 0, nullptr, nullptr))
        pa_operation_unref(uncork);
    return MMSYSERR_NOERROR;
}

MMRESULT ServerDevice::Stop() {
    const soundserver::Lock lock;
    data = nullptr;
    playsLeft = 0;
    position = 0;
    if (drain) {
        pa_operation_cancel(drain);
        pa_operation_unref(drain);
        drain = nullptr;
    }
    if (pa_stream_get_state(stream) == PA_STREAM_READY) {
        if (pa_operation* cork = pa_stream_cork(stream, 1, nullptr, nullptr))
            pa_operation_unref(cork);
        if (pa_operation* flush = pa_stream_flush(stream, nullptr, nullptr))
            pa_operation_unref(flush);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT ServerDevice::Release() {
    const soundserver::Lock lock;
    auto& open = OpenDevices();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    soundserver::RemoveListener(this);
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_moved_callback(stream, nullptr, nullptr);
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
    g_openStreams.fetch_sub(1);
    return MMSYSERR_NOERROR;
}

bool Listed(const std::string& key) {
    const auto outputs = soundserver::Outputs();
    return std::any_of(outputs->begin(), outputs->end(), [&](const soundserver::Output& o) { return o.key == key; });
}

std::unique_ptr<WaveOut::Device> Open(const std::string& key, const WaveFormatEx& format, const std::string& title,
                                      MMRESULT& error) {
    if (!Listed(key)) {
        error = key == kDefaultOutputKey ? MMSYSERR_NODRIVER : MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    auto device = std::make_unique<ServerDevice>();
    device->key = key;
    device->inChannels = format.nChannels;

    const soundserver::Lock lock;
    pa_context* context = soundserver::Context();
    if (!context) {
        error = FromServer(PA_ERR_CONNECTIONTERMINATED);
        return nullptr;
    }
    pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, format.nSamplesPerSec, 2};
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    pa_proplist* properties = pa_proplist_new();
    const std::string name = title.empty() ? std::string("Murmex") : title;
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, name.c_str());
    device->stream = pa_stream_new_with_proplist(context, name.c_str(), &sampleFormat, &map, properties);
    pa_proplist_free(properties);
    if (!device->stream) {
        error = FromServer(pa_context_errno(context));
        return nullptr;
    }
    ServerDevice* d = device.get();
    pa_stream_set_state_callback(d->stream, StateChanged, d);
    pa_stream_set_moved_callback(d->stream, Moved, d);
    pa_stream_set_write_callback(
        d->stream,
        [](pa_stream*, std::size_t bytes, void* user) {
            const soundserver::CallbackScope scope;
            static_cast<ServerDevice*>(user)->Fill(bytes);
        },
        d);
    pa_buffer_attr attributes;
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kServerBuffer, &sampleFormat));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kServerRequest, &sampleFormat));
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    const pa_cvolume volume = StreamVolume(ProgramVolume());
    d->echoes = VolumeEchoes(EchoVolume(volume));
    const bool chosen = d->key != kDefaultOutputKey;
    if (pa_stream_connect_playback(d->stream, chosen ? d->key.c_str() : nullptr, &attributes, PA_STREAM_START_CORKED,
                                   &volume, nullptr) == 0) {
        for (;;) {
            const pa_stream_state_t state = pa_stream_get_state(d->stream);
            if (state == PA_STREAM_READY || state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED)
                break;
            soundserver::Wait();
        }
    }
    if (pa_stream_get_state(d->stream) != PA_STREAM_READY) {
        error = FromServer(pa_context_errno(context));
        pa_stream_set_state_callback(d->stream, nullptr, nullptr);
        pa_stream_set_write_callback(d->stream, nullptr, nullptr);
        pa_stream_set_moved_callback(d->stream, nullptr, nullptr);
        pa_stream_unref(d->stream);
        return nullptr;
    }
    d->index = pa_stream_get_index(d->stream);
    OpenDevices().push_back(d);
    soundserver::AddListener(d);
    g_openStreams.fetch_add(1);
    return device;
}

bool Gone(const std::string& key) {
    return key.empty() || soundserver::SinkOf(key).empty();
}

void ApplyVolume() {
    const soundserver::Lock lock;
    pa_context* context = soundserver::Context();
    if (!context)
        return;
    const pa_cvolume volume = StreamVolume(ProgramVolume());
    const auto now = VolumeEchoes::Clock::now();
    for (ServerDevice* d : OpenDevices()) {
        d->echoes.Set(EchoVolume(volume), now);
        if (pa_operation* set = pa_context_set_sink_input_volume(context, d->index, &volume, nullptr, nullptr))
            pa_operation_unref(set);
    }
}

std::string ErrorText(MMRESULT code) {
    if (code > kServerBase && code < kServerBase + PA_ERR_MAX)
        return pa_strerror(static_cast<int>(code - kServerBase));
    return {};
}

class Backend final : public SoundBackend, public soundserver::Listener {
public:
    std::vector<SoundOutput> Outputs() const override {
        const auto listed = soundserver::Outputs(); // held: a new reading may replace it meanwhile
        std::vector<SoundOutput> outputs;
        for (const soundserver::Output& output : *listed)
            outputs.push_back({output.key, output.name});
        return outputs;
    }
    SoundOutput DefaultOutput() const override {
        const auto outputs = soundserver::Outputs();
        return outputs->empty() ? SoundOutput{} : SoundOutput{outputs->front().key, outputs->front().name};
    }
    bool Listed(const std::string& key) const override { return serverpath::Listed(key); }
    bool CanOpen(const std::string& key, const WaveFormatEx&) override { return !Gone(key); }
    std::unique_ptr<WaveOut::Device> Open(const std::string& key, const WaveFormatEx& format, const std::string& title,
                                          MMRESULT& error) override {
        return serverpath::Open(key, format, title, error);
    }
    void ApplyVolume() override { serverpath::ApplyVolume(); }
    std::string ErrorText(MMRESULT code) const override { return serverpath::ErrorText(code); }
    int OpenStreams() const override { return g_openStreams.load(); }
    bool Pending() const override { return !soundserver::Answered(); }
    void SetDefaultLabel(const std::string& label) override { soundserver::SetDefaultLabel(label); }
    void SetChangeObserver(std::function<void()> observer) override {
        soundserver::SetOutputsObserver(std::move(observer));
    }
    void AwaitOutput(const void* owner, const std::string& key, const WaveFormatEx&,
                     std::function<void()> wake) override {
        const soundserver::Lock lock;
        m_awaited.erase(
            std::remove_if(m_awaited.begin(), m_awaited.end(), [&](const Awaiting& a) { return a.owner == owner; }),
            m_awaited.end());
        if (!key.empty())
            m_awaited.push_back({owner, key, std::move(wake)});
    }

private:
    // The server tells of every output that comes; an awaited one is told on at once.
    bool OutputsRead(bool changed) override {
        for (const Awaiting& a : m_awaited) {
            if (changed && !Gone(a.key))
                a.wake();
        }
        return false;
    }

    struct Awaiting {
        const void* owner;
        std::string key;
        std::function<void()> wake;
    };
    std::vector<Awaiting> m_awaited; // under soundserver::Lock
};

} // namespace

std::unique_ptr<SoundBackend> StartBackend() {
    if (!soundserver::Start("Murmex", "murmex"))
        return nullptr;
    auto backend = std::make_unique<Backend>();
    const soundserver::Lock lock;
    soundserver::AddListener(backend.get());
    return backend;
}

} // namespace murmex::platform::serverpath
