#include "platform/WaveOut.h"

#include "platform/SoundBackend.h"

#include <mutex>
#include <utility>
#include <vector>

namespace murmex::platform {
namespace {

std::atomic<std::uint32_t> g_volume{0xFFFFFFFFu};
std::atomic<bool> g_volumeFromOutside{false};

// Never destroyed: a stream of a player that outlives the program's orderly end may still write it.
struct OutsideOutput {
    std::mutex mutex;
    std::string key;
    bool news = false;
};
OutsideOutput& Outside() {
    static auto* outside = new OutsideOutput;
    return *outside;
}

bool ValidFormat(const WaveFormatEx& f) {
    return f.wFormatTag == WAVE_FORMAT_PCM && f.wBitsPerSample == 16 && (f.nChannels == 1 || f.nChannels == 2) &&
           f.nBlockAlign == f.nChannels * 2 && f.nSamplesPerSec > 0 && f.nSamplesPerSec <= 768000;
}

std::string KeyOf(int deviceId) {
    return OutputOf(deviceId).key;
}

// Why a device id cannot be used, or MMSYSERR_NOERROR.
MMRESULT CheckDevice(int deviceId) {
    const std::string key = KeyOf(deviceId);
    if (!key.empty() && Sound().Listed(key))
        return MMSYSERR_NOERROR;
    return deviceId == WAVE_MAPPER ? MMSYSERR_NODRIVER : MMSYSERR_BADDEVICEID;
}

} // namespace

std::uint32_t ProgramVolume() {
    return g_volume.load(std::memory_order_relaxed);
}

void TakeProgramVolume(std::uint32_t volume) {
    g_volume.store(volume, std::memory_order_relaxed);
    g_volumeFromOutside.store(true);
}

void TakeProgramOutput(const std::string& key) {
    OutsideOutput& outside = Outside();
    const std::lock_guard lock(outside.mutex);
    outside.key = key;
    outside.news = true;
}

void KeepForLife(std::shared_ptr<const void> what) {
    struct Kept {
        std::mutex mutex;
        std::vector<std::shared_ptr<const void>> things;
    };
    static auto* kept = new Kept;
    const std::lock_guard lock(kept->mutex);
    kept->things.push_back(std::move(what));
}

WaveOut::WaveOut() = default;

WaveOut::~WaveOut() {
    if (!m_device)
        return;
    Reset();
    if (Close() != MMSYSERR_NOERROR)
        KeepForLife(std::shared_ptr<Device>(std::move(m_device)));
}

bool WaveOut::IsOpen() const {
    return m_device != nullptr;
}

bool WaveOut::Lost() const {
    return m_device && m_device->Ended();
}

WaveOut::Placement WaveOut::WhereItPlays() const {
    return m_device ? m_device->Where() : Placement::Unknown;
}

std::string WaveOut::MovedByUser() const {
    return m_device ? m_device->MovedByUser() : std::string();
}

bool WaveOut::SetWake(std::function<void()> wake) {
    return m_device && m_device->SetWake(std::move(wake));
}

MMRESULT WaveOut::Open(int deviceId, const WaveFormatEx& format, const std::string& title) {
    if (m_device)
        return MMSYSERR_ERROR;
    if (!ValidFormat(format))
        return WAVERR_BADFORMAT;
    // Whether the output is there is the way's to say: it may find it again first.
    const std::string key = KeyOf(deviceId);
    if (key.empty())
        return deviceId == WAVE_MAPPER ? MMSYSERR_NODRIVER : MMSYSERR_BADDEVICEID;
    return OpenOutput(key, format, title);
}

MMRESULT WaveOut::OpenOutput(const std::string& key, const WaveFormatEx& format, const std::string& title) {
    if (m_device)
        return MMSYSERR_ERROR;
    if (!ValidFormat(format))
        return WAVERR_BADFORMAT;
    MMRESULT error = MMSYSERR_NOERROR;
    m_device = Sound().Open(key, format, title, error);
    return m_device ? MMSYSERR_NOERROR : error;
}

bool WaveOut::Gone(int deviceId, const WaveFormatEx& format) {
    if (!ValidFormat(format))
        return true;
    const std::string key = KeyOf(deviceId);
    return key.empty() || !Sound().CanOpen(key, format);
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
    if (header.dwBufferLength / static_cast<std::uint32_t>(d.inChannels * 2) == 0) {
        d.header = &header;
        MarkDone(header);
        return MMSYSERR_NOERROR;
    }
    header.dwFlags.store((flags & ~WHDR_DONE) | WHDR_INQUEUE);
    const MMRESULT error = d.Play(header, looped ? std::max<std::uint32_t>(header.dwLoops, 1) : 1);
    if (error != MMSYSERR_NOERROR) {
        header.dwFlags.fetch_and(~WHDR_INQUEUE);
        d.header = nullptr;
    }
    return error;
}

MMRESULT WaveOut::Reset() {
    if (!m_device)
        return MMSYSERR_INVALHANDLE;
    Device& d = *m_device;
    // The stream may still be running when it would not stop: the buffer then stays queued.
    if (const MMRESULT error = d.Stop())
        return error;
    if (d.header) {
        MarkDone(*d.header);
        d.header = nullptr;
    }
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
    if (const MMRESULT error = m_device->Release())
        return error;
    m_device.reset();
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
    return Sound().ErrorText(code);
}

// The volume is the program's, whatever output is there: it is kept even while the device id names no
// output, and the caller still learns why that id cannot be used.
MMRESULT WaveOutSetVolume(int deviceId, std::uint32_t volume) {
    g_volume.store(volume, std::memory_order_relaxed);
    Sound().ApplyVolume();
    return CheckDevice(deviceId);
}

MMRESULT WaveOutGetVolume(int deviceId, std::uint32_t& volume) {
    if (const MMRESULT refused = CheckDevice(deviceId))
        return refused;
    volume = g_volume.load(std::memory_order_relaxed);
    return MMSYSERR_NOERROR;
}

bool WaveOutTakeOutsideVolume(std::uint32_t& volume) {
    if (!g_volumeFromOutside.exchange(false))
        return false;
    volume = g_volume.load(std::memory_order_relaxed);
    return true;
}

bool WaveOutTakeOutsideOutput(std::string& key) {
    OutsideOutput& outside = Outside();
    const std::lock_guard lock(outside.mutex);
    if (!std::exchange(outside.news, false))
        return false;
    key = outside.key;
    return true;
}

int WaveOutOpenStreams() {
    return Sound().OpenStreams();
}

} // namespace murmex::platform
