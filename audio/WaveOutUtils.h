// Wave-out helpers shared by the players, the volume controls and the device choice: the text of the last
// device error (any thread: a store and the copy it hands back are one step under a lock), the program's
// output volume with its track-bar conversions, and the list of output devices (both UI thread only).
#pragma once

#include "platform/SndDevices.h"
#include "platform/WaveOut.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

namespace murmex::audio {

// Makes the text of `code` the last error: `prefix`, a blank and the device's text, or `prefix` alone
// when the device gives no text. Returns a copy of what was stored.
QString StoreWaveOutError(platform::MMRESULT code, const QString& prefix);

QString LastWaveOutError();

// --- Volume -----------------------------------------------------------------------------------------------

// A track bar's position as a channel volume 0..65535: the bar is inverted, so its minimum is full volume.
// Rounds to the nearest integer, halves to the even neighbour (position 50 of 0..100 gives 32768).
std::uint16_t TrackBarToVolume(int position, int minimum = 0, int maximum = 100);

// The track-bar position for a channel volume, the inverse of TrackBarToVolume with the same rounding, except
// that a volume above silence stays at least one step from it (a mixer may set volumes below half a step).
int VolumeToTrackBar(std::uint16_t volume, int minimum = 0, int maximum = 100);

// The output device the volume calls address (FDeviceId); 0 until the generator first starts.
void SetVolumeDevice(std::int32_t id);
std::int32_t FDeviceId();

// Writes or reads both channel volumes through the volume device. A device that refuses leaves its error
// text as the last error, with an empty prefix, and the call answers false; nothing is shown. A failed read
// leaves both outputs 0.
bool SetWaveOutVolume(std::uint16_t left, std::uint16_t right);
bool GetWaveOutVolume(std::uint16_t& left, std::uint16_t& right);

// --- Output devices ---------------------------------------------------------------------------------------

struct TDeviceEntry {
    QString Name;
    std::int32_t Id = 0; // the device's position in the sound-device library's full list
    QString Key;         // what finds the device again when its position has changed

    bool operator==(const TDeviceEntry&) const = default;
};
using TDeviceList = std::vector<TDeviceEntry>;

// The sound-device library's calls, replaceable by tests. Without `key`, a device's name is its key; without
// `isDefault`, no device stands for the default output.
struct SndDeviceLibrary {
    std::function<int()> count = platform::GetSndDeviceCountDS;
    std::function<const char*(int, platform::SndStringHandle*)> name = platform::GetSndDeviceNameDS;
    std::function<void(platform::SndStringHandle)> freeString = platform::DSFreeString;
    std::function<const char*(int, platform::SndStringHandle*)> key;
    std::function<bool(int)> isDefault;
};

// The name of device `id` as the library gives it; every name fetched is given back to the library.
QString SndDeviceName(const SndDeviceLibrary& library, int id);
// Its key, alike; its name when the library has no keys.
QString SndDeviceKey(const SndDeviceLibrary& library, int id);

// True for an S/PDIF output: "SPDIF" or "IEC958" (as sound servers call it) anywhere in the name, with its
// ASCII letters upper-cased whatever the locale.
bool IsSpdifName(const QString& name);

// Empties `list` and fills it with the library's devices in its order, leaving out S/PDIF outputs unless
// `showSpdif`. The entry that stands for the default output is never left out: its name is the default output's.
void FillDeviceList(TDeviceList& list, bool showSpdif, const SndDeviceLibrary& library = {});

} // namespace murmex::audio
