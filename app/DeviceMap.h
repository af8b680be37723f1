// The rules of the output device choice: where a device id stands in the device list, the stepper of the
// arrows (wrapping at both ends), and finding a stored device again after the ids have shifted. Pure
// functions; any thread.
#pragma once

#include "audio/WaveOutUtils.h"

#include <QString>

#include <cstdint>

namespace murmex {

// The position of the first entry with device id `id`, or 0 when no entry has it.
int DeviceListIndex(const audio::TDeviceList& list, std::int32_t id);

// The device id the up arrow (previous device) or the down arrow (next device) selects from `id`, wrapping
// at both ends; an id that is not listed steps from the first position. An empty list has no device to
// step to: throws EListError for position -1 (up) or 0 (down).
std::int32_t PreviousDevice(const audio::TDeviceList& list, std::int32_t id);
std::int32_t NextDevice(const audio::TDeviceList& list, std::int32_t id);

// The device id to use for a stored choice `id` with its stored name: when the device at `id` is now called
// otherwise (`nameAtId`, empty when there is none) and a listed device bears the stored name, that device's
// id; else `id` unchanged. A choice stored without a name is kept as it is.
std::int32_t RelocatedDevice(const audio::TDeviceList& list, std::int32_t id, const QString& storedName,
                             const QString& nameAtId);

} // namespace murmex
