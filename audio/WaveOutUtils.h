// Wave-out helpers shared by the players and the volume controls: the text of the last device error.
// Any thread: a store and the copy it hands back are one step under a lock.
#pragma once

#include "platform/WaveOut.h"

#include <QString>

namespace murmex::audio {

// Makes the text of `code` the last error: `prefix`, a blank and the device's text, or `prefix` alone
// when the device gives no text. Returns a copy of what was stored.
QString StoreWaveOutError(platform::MMRESULT code, const QString& prefix);

QString LastWaveOutError();

} // namespace murmex::audio
