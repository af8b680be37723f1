// The wave-out over PortAudio: where no sound server answers, and on other systems.
#include "platform/PortAudioBackend.h"
#include "platform/PortAudioLib.h"

#include <portaudio.h>

#include <algorithm>

namespace murmex::platform::portaudiopath {
namespace {

// A noise generator needs no low latency, and larger device buffers mean fewer wake-ups; but a volume
// change is heard up to the latency later, and a slider should still feel immediate. The callback
// fills a twentieth of a second at a time.
constexpr double kSuggestedLatency = 0.2;
constexpr unsigned long kCallbacksPerSecond = 20;

// PortAudio's own error codes (negative) travel as codes above this base.
constexpr MMRESULT kPortAudioBase = 0x10000;

// A call a test has put in place of the library's own, or the library's.
PaError (*Replaced(const std::atomic<PaError (*)(PaStream*)>& replacement, PaError (*own)(PaStream*)))(PaStream*) {
    const auto replaced = replacement.load();
    return replaced ? replaced : own;
}

MMRESULT FromPortAudio(PaError error) {
    return error == paNoError ? MMSYSERR_NOERROR : kPortAudioBase + static_cast<MMRESULT>(-error);
}

inline std::int16_t Scaled(int sample, int gain) {
    return static_cast<std::int16_t>(gain == 0xFFFF ? sample : sample * gain / 0xFFFF);
}

// What the stream callback works from. Written by Play while the stream is stopped, then read (and the play
// position advanced) only by the callback until Stop has stopped the stream again.
struct PortAudioDevice final : WaveOut::Device {
    PaStream* stream = nullptr;
    int outChannels = 0;
    const std::uint8_t* data = nullptr;
    std::uint32_t frames = 0;
    std::uint32_t position = 0;
    std::uint64_t playsLeft = 0;
    double sampleRate = 0;
    double lastSampleHeardAt = -1; // stream time at which the last sample reaches the listener

    std::shared_ptr<Watched> watched; // null on the default output, which never goes elsewhere

    MMRESULT Play(WaveHeader& queued, std::uint64_t plays) override;
    MMRESULT Stop() override;
    MMRESULT Release() override;
    bool Ended() const override;
    WaveOut::Placement Where() const override { return watched ? watched->where.load() : WaveOut::Placement::OnOutput; }
};

// Copies `count` frames from the play position, applying the left/right volume; a mono clip goes to
// both channels of a stereo device.
void CopyFrames(const PortAudioDevice& d, std::int16_t* out, unsigned long count, int gainL, int gainR) {
    const std::uint8_t* in = d.data + static_cast<std::size_t>(d.position) * d.inChannels * 2;
    for (unsigned long i = 0; i < count; ++i, in += d.inChannels * 2) {
        const int left = Sample(in);
        const int right = d.inChannels == 2 ? Sample(in + 2) : left;
        if (d.outChannels == 2) {
            *out++ = Scaled(left, gainL);
            *out++ = Scaled(right, gainR);
        } else {
            *out++ = Scaled((left + right) / 2, gainL);
        }
    }
}

// Real-time: no locks, no allocation, no logging. Once the buffer has run out the stream plays silence
// until its last sample has been heard, and only then reports the buffer done: a Reset right after
// the done flag must not cut off the end.
int PlayCallback(const void*, void* output, unsigned long frameCount, const PaStreamCallbackTimeInfo* time,
                 PaStreamCallbackFlags, void* user) {
    auto& d = *static_cast<PortAudioDevice*>(user);
    auto* out = static_cast<std::int16_t*>(output);
    const std::uint32_t volume = ProgramVolume();
    const int gainL = static_cast<int>(volume & 0xFFFF);
    const int gainR = static_cast<int>(volume >> 16);
    unsigned long written = 0;
    while (written < frameCount && d.playsLeft > 0) {
        const unsigned long n = std::min<unsigned long>(frameCount - written, d.frames - d.position);
        CopyFrames(d, out + written * d.outChannels, n, gainL, gainR);
        written += n;
        d.position += static_cast<std::uint32_t>(n);
        if (d.position == d.frames) {
            d.position = 0;
            if (--d.playsLeft == 0)
                d.lastSampleHeardAt = time->outputBufferDacTime + static_cast<double>(written) / d.sampleRate;
        }
    }
    std::fill(out + written * d.outChannels, out + frameCount * d.outChannels, std::int16_t{0});
    if (d.playsLeft > 0 || time->currentTime < d.lastSampleHeardAt)
        return paContinue;
    MarkDone(*d.header);
    return paComplete;
}

// The stream parameters for playing on a device id, under Lock(); false when PortAudio knows no
// such device.
bool StreamParameters(int deviceId, PaStreamParameters& params) {
    params = {};
    params.device = OutputDevice(deviceId);
    const PaDeviceInfo* info = params.device == paNoDevice ? nullptr : portaudio::Pa().GetDeviceInfo(params.device);
    if (!info)
        return false;
    params.channelCount = std::min(2, info->maxOutputChannels);
    params.sampleFormat = paInt16;
    params.suggestedLatency = std::max(kSuggestedLatency, info->defaultLowOutputLatency);
    return true;
}

PaError OpenStream(PaStream** stream, const PaStreamParameters& params, const WaveFormatEx& format,
                   PaStreamCallback* callback, void* user) {
    QuietStderr quiet;
    return portaudio::Pa().OpenStream(stream, nullptr, &params, format.nSamplesPerSec,
                                      std::max(64ul, format.nSamplesPerSec / kCallbacksPerSecond),
                                      paClipOff | paDitherOff, callback, user);
}

int NeverCalled(const void*, void*, unsigned long, const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void*) {
    return paAbort;
}

bool PortAudioDevice::Ended() const {
    // The callback marks the buffer done before it ends the stream, so a stream seen ended with its buffer
    // still queued afterwards did not end by finishing the buffer.
    PaError active = 0;
    {
        const auto lock = Lock();
        active = portaudio::Pa().IsStreamActive(stream);
    }
    return active != 1 && Queued(header);
}

MMRESULT PortAudioDevice::Play(WaveHeader& queued, std::uint64_t plays) {
    header = &queued;
    data = queued.lpData;
    frames = queued.dwBufferLength / static_cast<std::uint32_t>(inChannels * 2);
    position = 0;
    playsLeft = plays;
    lastSampleHeardAt = -1;
    const auto lock = Lock();
    if (portaudio::Pa().IsStreamStopped(stream) == 0)
        portaudio::Pa().StopStream(stream); // an earlier buffer ran to its end
    return FromPortAudio(Replaced(StartStream, portaudio::Pa().StartStream)(stream));
}

MMRESULT PortAudioDevice::Stop() {
    const auto lock = Lock();
    const PaError stopped = portaudio::Pa().IsStreamStopped(stream); // 1, 0 or an error
    PaError error = stopped < 0 ? stopped : paNoError;
    if (stopped == 0)
        error = Replaced(AbortStream, portaudio::Pa().AbortStream)(stream);
    if (error == paNoError)
        position = 0;
    return FromPortAudio(error);
}

MMRESULT PortAudioDevice::Release() {
    PaError error = paNoError;
    {
        const auto lock = Lock();
        error = Replaced(CloseStream, portaudio::Pa().CloseStream)(stream);
    }
    // A stream that would not close is kept for life, and where it plays matters no more.
    if (watched)
        Unwatch(watched);
    if (error == paNoError)
        CountOpenStream(-1);
    return FromPortAudio(error);
}

MMRESULT CheckDevice(int deviceId) {
    if (OutputDevice(deviceId) != paNoDevice)
        return MMSYSERR_NOERROR;
    return deviceId == WAVE_MAPPER ? MMSYSERR_NODRIVER : MMSYSERR_BADDEVICEID;
}

std::unique_ptr<WaveOut::Device> Open(int deviceId, const WaveFormatEx& format, MMRESULT& error) {
    if ((error = CheckDevice(deviceId)))
        return nullptr;
    auto device = std::make_unique<PortAudioDevice>();
    device->inChannels = format.nChannels;
    device->sampleRate = format.nSamplesPerSec;
    const auto lock = Lock();
    PaStreamParameters params;
    if (!StreamParameters(deviceId, params)) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    device->outChannels = params.channelCount;
    error = FromPortAudio(OpenStream(&device->stream, params, format, PlayCallback, device.get()));
    if (error)
        return nullptr;
    CountOpenStream(+1);
    return device;
}

} // namespace

std::unique_ptr<WaveOut::Device> OpenDevice(const std::string& key, const WaveFormatEx& format, MMRESULT& error) {
    const int id = DeviceOfKey(key);
    if (id < -1) {
        error = MMSYSERR_BADDEVICEID;
        return nullptr;
    }
    auto device = Open(id, format, error);
    // The list may have been read while the output was away: it is read again first.
    if (!device && Unresolved(id) && RefreshFor(key))
        device = Open(DeviceOfKey(key), format, error);
    if (device && key != kDefaultOutputKey) {
        auto& opened = static_cast<PortAudioDevice&>(*device);
        opened.watched = std::make_shared<Watched>();
        opened.watched->key = key;
        opened.watched->format = format;
        Watch(opened.watched);
    }
    return device;
}

bool Gone(int deviceId, const WaveFormatEx& format) {
    if (OutputDevice(deviceId) == paNoDevice)
        return true;
    const auto lock = Lock();
    PaStreamParameters params;
    if (!StreamParameters(deviceId, params))
        return true;
    PaStream* stream = nullptr;
    const PaError error = OpenStream(&stream, params, format, NeverCalled, nullptr);
    if (error == paNoError)
        portaudio::Pa().CloseStream(stream); // never started, so nothing of it can still run
    return error != paNoError && error != paDeviceUnavailable;
}

std::string ErrorText(MMRESULT code) {
    if (!portaudio::Load())
        return {};
    if (code > kPortAudioBase && code - kPortAudioBase <= static_cast<MMRESULT>(-paNotInitialized) &&
        code - kPortAudioBase >= static_cast<MMRESULT>(-paBadBufferPtr))
        return portaudio::Pa().GetErrorText(-static_cast<PaError>(code - kPortAudioBase));
    return {};
}

} // namespace murmex::platform::portaudiopath
