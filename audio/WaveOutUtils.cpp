#include "audio/WaveOutUtils.h"

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
