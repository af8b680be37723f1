#include "audio/WaveOutUtils.h"

#include <algorithm>
#include <mutex>

namespace murmex::audio {
namespace {

// Never destroyed: a player may still store an error while the process ends.
struct LastError {
    std::mutex mutex;
    QString text;
};
LastError& Last() {
    static auto* last = new LastError;
    return *last;
}

} // namespace

QString StoreWaveOutError(platform::MMRESULT code, const QString& prefix) {
    const QString system = QString::fromLocal8Bit(platform::WaveOutGetErrorText(code));
    const QString text = system.isEmpty() ? prefix : prefix + QLatin1Char(' ') + system;
    LastError& last = Last();
    const std::lock_guard lock(last.mutex);
    last.text = text;
    return last.text;
}

QString LastWaveOutError() {
    LastError& last = Last();
    const std::lock_guard lock(last.mutex);
    return last.text;
}

} // namespace murmex::audio

namespace murmex::audio {
namespace {

constexpr std::int64_t kFullVolume = 0xFFFF;
constexpr std::int64_t kSteps = 100;

// n / d rounded to the nearest integer, halves to the even neighbour; n >= 0, d > 0.
std::int64_t RoundHalfEven(std::int64_t n, std::int64_t d) {
    std::int64_t q = n / d;
    const std::int64_t twice = 2 * (n % d);
    if (twice > d || (twice == d && q % 2 != 0))
        ++q;
    return q;
}

std::int32_t g_volumeDevice = 0; // UI thread only

} // namespace

std::uint16_t TrackBarToVolume(int position, int minimum, int maximum) {
    const std::int64_t level = std::clamp<std::int64_t>(std::int64_t(maximum) + minimum - position, 0, kSteps);
    return static_cast<std::uint16_t>(RoundHalfEven(level * kFullVolume, kSteps));
}

int VolumeToTrackBar(std::uint16_t volume, int minimum, int maximum) {
    const std::int64_t steps = RoundHalfEven(std::int64_t(volume) * kSteps, kFullVolume);
    return maximum - static_cast<int>(volume > 0 ? std::max<std::int64_t>(steps, 1) : steps) + minimum;
}

void SetVolumeDevice(std::int32_t id) {
    g_volumeDevice = id;
}

std::int32_t FDeviceId() {
    return g_volumeDevice;
}

bool SetWaveOutVolume(std::uint16_t left, std::uint16_t right) {
    const platform::MMRESULT result = platform::WaveOutSetVolume(g_volumeDevice, left + (std::uint32_t(right) << 16));
    if (result == platform::MMSYSERR_NOERROR)
        return true;
    StoreWaveOutError(result, QString());
    return false;
}

bool GetWaveOutVolume(std::uint16_t& left, std::uint16_t& right) {
    left = 0;
    right = 0;
    std::uint32_t volume = 0;
    const platform::MMRESULT result = platform::WaveOutGetVolume(g_volumeDevice, volume);
    if (result != platform::MMSYSERR_NOERROR) {
        StoreWaveOutError(result, QString());
        return false;
    }
    left = static_cast<std::uint16_t>(volume & 0xFFFF);
    right = static_cast<std::uint16_t>(volume >> 16);
    return true;
}

namespace {

QString LibraryText(const SndDeviceLibrary& library, const decltype(SndDeviceLibrary::name)& call, int id) {
    platform::SndStringHandle handle = nullptr;
    const char* text = call(id, &handle);
    const QString name = text ? QString::fromUtf8(text) : QString();
    library.freeString(handle);
    return name;
}

} // namespace

QString SndDeviceName(const SndDeviceLibrary& library, int id) {
    return LibraryText(library, library.name, id);
}

QString SndDeviceKey(const SndDeviceLibrary& library, int id) {
    return library.key ? LibraryText(library, library.key, id) : SndDeviceName(library, id);
}

// Only the ASCII letters: a locale's own rules would miss the marks (Turkish upper-cases "i" to a dotted capital).
bool IsSpdifName(const QString& name) {
    QString upper = name;
    for (QChar& c : upper) {
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - u'a' + u'A');
    }
    return upper.contains(QLatin1StringView("SPDIF")) || upper.contains(QLatin1StringView("IEC958"));
}

void FillDeviceList(TDeviceList& list, bool showSpdif, const SndDeviceLibrary& library) {
    list.clear();
    const int count = library.count();
    for (int i = 0; i < count; ++i) {
        QString name = SndDeviceName(library, i);
        if (!showSpdif && IsSpdifName(name) && !(library.isDefault && library.isDefault(i)))
            continue;
        QString key = SndDeviceKey(library, i);
        list.push_back({std::move(name), i, std::move(key)});
    }
}

} // namespace murmex::audio
