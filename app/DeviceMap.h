// The rules of the output device choice: where a device id stands in the device list, the stepper of the
// arrows (wrapping at both ends), and finding a stored device again after the ids have shifted. Pure
// functions; any thread.
#pragma once

#include "audio/WaveOutUtils.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace murmex {

// The position of the first entry with device id `id`, or 0 when no entry has it.
int DeviceListIndex(const audio::TDeviceList& list, std::int32_t id);

// The device id the up arrow (previous device) or the down arrow (next device) selects from `id`, wrapping
// at both ends; an id that is not listed steps from the first position. An empty list has no device to
// step to: throws EListError for position -1 (up) or 0 (down).
std::int32_t PreviousDevice(const audio::TDeviceList& list, std::int32_t id);
std::int32_t NextDevice(const audio::TDeviceList& list, std::int32_t id);

// The device id to use for a stored choice `id` with its stored key (or, in older files, its name): `id` while
// the device at `id` still bears it (`namesAtId`: its name and key, empty when there is none); else the listed
// device whose key, or else whose name, it is; else -1, the default output, rather than whatever `id` names
// now. A choice stored without a name keeps its id while a listed device has it, and else is the default output.
std::int32_t RelocatedDevice(const audio::TDeviceList& list, std::int32_t id, const QString& storedName,
                             const QStringList& namesAtId);

// The id of the listed device with key `key`, or -1, the default output, while none is listed.
std::int32_t DeviceOfKey(const audio::TDeviceList& list, const QString& key);

} // namespace murmex
