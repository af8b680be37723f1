#include "platform/WaveOut.h"

#include "platform/AudioHost.h"

#include <portaudio.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace murmex::platform {
namespace {

// A noise generator needs no low latency, and larger device buffers mean fewer wake-ups; but a volume
// change is heard up to the latency later, and a slider should still feel immediate. The callback
// fills a twentieth of a second at a time.
constexpr double kSuggestedLatency = 0.2;
constexpr unsigned long kCallbacksPerSecond = 20;

// PortAudio's own error codes (negative) travel as codes above this base.
constexpr MMRESULT kPortAudioBase = 0x10000;

std::atomic<std::uint32_t> g_volume{0xFFFFFFFFu};

MMRESULT FromPortAudio(PaError error) {
    return error == paNoError ? MMSYSERR_NOERROR : kPortAudioBase + static_cast<MMRESULT>(-error);
}

bool ValidFormat(const WaveFormatEx& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && f.wBitsPerSample == 16 && (f.nChannels == 1 || f.nChannels == 2) &&
           f.nBlockAlign == f.nChannels * 2 && f.nSamplesPerSec > 0 && f.nSamplesPerSec <= 768000;
}

// Why a device id cannot be used, or MMSYSERR_NOERROR.
MMRESULT CheckDevice(int deviceId) {
    if (audiohost::OutputDevice(deviceId) != paNoDevice)
        return MMSYSERR_NOERROR;
    return deviceId == WAVE_MAPPER ? MMSYSERR_NODRIVER : MMSYSERR_BADDEVICEID;
}

} // namespace

// What the stream callback works from. Written by Write while the stream is stopped, then read (and the
// play position advanced) only by the callback until Reset has stopped the stream again.
struct WaveOut::Device {
    PaStream* stream = nullptr;
    int inChannels = 0;
    int outChannels = 0;
    WaveHeader* header = nullptr;
    const std::uint8_t* data = nullptr;
    std::uint32_t frames = 0;
    std::uint32_t position = 0;
    std::uint64_t playsLeft = 0;
    double sampleRate = 0;
    double lastSampleHeardAt = -1; // stream time at which the last sample reaches the listener
};

namespace {

inline std::int16_t Sample(const std::uint8_t* p) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
}

inline std::int16_t Scaled(int sample, int gain) {
    return static_cast<std::int16_t>(gain == 0xFFFF ? sample : sample * gain / 0xFFFF);
}

// Copies `count` frames from the play position, applying the left/right volume; a mono clip goes to
// both channels of a stereo device.
void CopyFrames(const WaveOut::Device& d, std::int16_t* out, unsigned long count, int gainL, int gainR) {
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

void MarkDone(WaveHeader& header) {
    header.dwFlags.fetch_or(WHDR_DONE);
    header.dwFlags.fetch_and(~WHDR_INQUEUE);
}

// Real-time: no locks, no allocation, no logging. Once the buffer has run out the stream plays silence
// until its last sample has been heard, and only then reports the buffer done: a Reset right after
// the done flag must not cut off the end.
int PlayCallback(const void*, void* output, unsigned long frameCount, const PaStreamCallbackTimeInfo* time,
                 PaStreamCallbackFlags, void* user) {
    auto& d = *static_cast<WaveOut::Device*>(user);
    auto* out = static_cast<std::int16_t*>(output);
    const std::uint32_t volume = g_volume.load(std::memory_order_relaxed);
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

bool Queued(const WaveHeader* header) {
    return header && (header->dwFlags.load() & WHDR_INQUEUE);
}

// A stream that would not stop or close may still call back into its device, so the device is never
// freed; it stays reachable here until the process ends.
void Keep(std::unique_ptr<WaveOut::Device> device) {
    struct Kept {
        std::mutex mutex;
        std::vector<std::unique_ptr<WaveOut::Device>> devices;
    };
    static auto* kept = new Kept;
    const std::lock_guard lock(kept->mutex);
    kept->devices.push_back(std::move(device));
}

} // namespace

WaveOut::WaveOut() = default;

WaveOut::~WaveOut() {
    if (!m_device)
        return;
    Reset();
    if (Close() != MMSYSERR_NOERROR)
        Keep(std::move(m_device));
}

bool WaveOut::IsOpen() const {
    return m_device != nullptr;
}

bool WaveOut::Lost() const {
    if (!m_device)
        return false;
    // The callback marks the buffer done before it ends the stream, so a stream seen ended with its buffer
    // still queued afterwards did not end by finishing the buffer.
    PaError active = 0;
    {
        const auto lock = audiohost::Lock();
        active = Pa_IsStreamActive(m_device->stream);
    }
    return active != 1 && Queued(m_device->header);
}

namespace {

// The stream parameters for playing `format` on a device id, under audiohost::Lock(); false when PortAudio
// knows no such device.
bool StreamParameters(int deviceId, PaStreamParameters& params) {
    params = {};
    params.device = audiohost::OutputDevice(deviceId);
    const PaDeviceInfo* info = params.device == paNoDevice ? nullptr : Pa_GetDeviceInfo(params.device);
    if (!info)
        return false;
    params.channelCount = std::min(2, info->maxOutputChannels);
    params.sampleFormat = paInt16;
    params.suggestedLatency = std::max(kSuggestedLatency, info->defaultLowOutputLatency);
    return true;
}

PaError OpenStream(PaStream** stream, const PaStreamParameters& params, const WaveFormatEx& format,
                   PaStreamCallback* callback, void* user) {
    audiohost::QuietStderr quiet;
    return Pa_OpenStream(stream, nullptr, &params, format.nSamplesPerSec,
                         std::max(64ul, format.nSamplesPerSec / kCallbacksPerSecond), paClipOff | paDitherOff, callback,
                         user);
}

int NeverCalled(const void*, void*, unsigned long, const PaStreamCallbackTimeInfo*, PaStreamCallbackFlags, void*) {
    return paAbort;
}

} // namespace

MMRESULT WaveOut::Open(int deviceId, const WaveFormatEx& format) {
    if (m_device)
        return MMSYSERR_ERROR;
    if (!ValidFormat(format))
        return WAVERR_BADFORMAT;
    if (const MMRESULT refused = CheckDevice(deviceId))
        return refused;
    auto device = std::make_unique<Device>();
    device->inChannels = format.nChannels;
    device->sampleRate = format.nSamplesPerSec;

    const auto lock = audiohost::Lock();
    PaStreamParameters params;
    if (!StreamParameters(deviceId, params))
        return MMSYSERR_BADDEVICEID;
    device->outChannels = params.channelCount;
    const PaError error = OpenStream(&device->stream, params, format, PlayCallback, device.get());
    if (error != paNoError)
        return FromPortAudio(error);
    m_device = std::move(device);
    audiohost::CountOpenStream(+1);
    return MMSYSERR_NOERROR;
}

bool WaveOut::Gone(int deviceId, const WaveFormatEx& format) {
    if (!ValidFormat(format) || audiohost::OutputDevice(deviceId) == paNoDevice)
        return true;
    const auto lock = audiohost::Lock();
    PaStreamParameters params;
    if (!StreamParameters(deviceId, params))
        return true;
    PaStream* stream = nullptr;
    const PaError error = OpenStream(&stream, params, format, NeverCalled, nullptr);
    if (error == paNoError)
        Pa_CloseStream(stream); // never started, so nothing of it can still run
    return error != paNoError && error != paDeviceUnavailable;
}

MMRESULT WaveOut::PrepareHeader(WaveHeader& header) {
    if (!m_device)
        return MMSYSERR_INVALHANDLE;
    if (!header.lpData && header.dwBufferLength > 0)
        return MMSYSERR_INVALPARAM;
    header.dwFlags.fetch_or(WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOut::Write(WaveHeader& header) {
    if (!m_device)
        return MMSYSERR_INVALHANDLE;
    const std::uint32_t flags = header.dwFlags.load();
    if (!(flags & WHDR_PREPARED))
        return WAVERR_UNPREPARED;
    Device& d = *m_device;
    if (Queued(d.header))
        return WAVERR_STILLPLAYING;
    const bool looped = (flags & WHDR_BEGINLOOP) && (flags & WHDR_ENDLOOP);
    d.header = &header;
    d.data = header.lpData;
    d.frames = header.dwBufferLength / static_cast<std::uint32_t>(d.inChannels * 2);
    d.position = 0;
    d.playsLeft = looped ? std::max<std::uint32_t>(header.dwLoops, 1) : 1;
    d.lastSampleHeardAt = -1;
    if (d.frames == 0) {
        MarkDone(header);
        return MMSYSERR_NOERROR;
    }
    header.dwFlags.store((flags & ~WHDR_DONE) | WHDR_INQUEUE);

    const auto lock = audiohost::Lock();
    if (Pa_IsStreamStopped(d.stream) == 0)
        Pa_StopStream(d.stream); // an earlier buffer ran to its end
    const PaError error = Pa_StartStream(d.stream);
    if (error != paNoError) {
        header.dwFlags.fetch_and(~WHDR_INQUEUE);
        d.header = nullptr;
        return FromPortAudio(error);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOut::Reset() {
    if (!m_device)
        return MMSYSERR_INVALHANDLE;
    Device& d = *m_device;
    {
        const auto lock = audiohost::Lock();
        const PaError stopped = Pa_IsStreamStopped(d.stream); // 1, 0 or an error
        PaError error = stopped < 0 ? stopped : paNoError;
        if (stopped == 0)
            error = audiohost::AbortStream.load()(d.stream);
        // The stream may still be running: the buffer stays queued and the position is the callback's.
        if (error != paNoError)
            return FromPortAudio(error);
    }
    if (d.header) {
        MarkDone(*d.header);
        d.header = nullptr;
    }
    d.position = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOut::UnprepareHeader(WaveHeader& header) {
    if (!m_device)
        return MMSYSERR_INVALHANDLE;
    if (header.dwFlags.load() & WHDR_INQUEUE)
        return WAVERR_STILLPLAYING;
    header.dwFlags.fetch_and(~WHDR_PREPARED);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOut::Close() {
    if (!m_device)
        return MMSYSERR_INVALHANDLE;
    if (Queued(m_device->header))
        return WAVERR_STILLPLAYING;
    PaError error = paNoError;
    {
        const auto lock = audiohost::Lock();
        error = audiohost::CloseStream.load()(m_device->stream);
    }
    if (error != paNoError)
        return FromPortAudio(error);
    m_device.reset();
    audiohost::CountOpenStream(-1);
    return MMSYSERR_NOERROR;
}

std::string WaveOutGetErrorText(MMRESULT code) {
    switch (code) {
    case MMSYSERR_ERROR:
        return "An unspecified error occurred.";
    case MMSYSERR_BADDEVICEID:
        return "The device identifier is out of range.";
    case MMSYSERR_INVALHANDLE:
        return "The device handle is not valid.";
    case MMSYSERR_NODRIVER:
        return "No sound output device is present.";
    case MMSYSERR_INVALPARAM:
        return "An invalid parameter was passed.";
    case WAVERR_BADFORMAT:
        return "The device does not support this wave format.";
    case WAVERR_STILLPLAYING:
        return "The device is still playing a buffer.";
    case WAVERR_UNPREPARED:
        return "The buffer has not been prepared.";
    default:
        break;
    }
    if (code > kPortAudioBase && code - kPortAudioBase <= static_cast<MMRESULT>(-paNotInitialized) &&
        code - kPortAudioBase >= static_cast<MMRESULT>(-paBadBufferPtr))
        return Pa_GetErrorText(-static_cast<PaError>(code - kPortAudioBase));
    return {};
}

MMRESULT WaveOutSetVolume(int deviceId, std::uint32_t volume) {
    if (const MMRESULT refused = CheckDevice(deviceId))
        return refused;
    g_volume.store(volume, std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveOutGetVolume(int deviceId, std::uint32_t& volume) {
    if (const MMRESULT refused = CheckDevice(deviceId))
        return refused;
    volume = g_volume.load(std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

int WaveOutOpenStreams() {
    return audiohost::OpenStreams();
}

} // namespace murmex::platform
