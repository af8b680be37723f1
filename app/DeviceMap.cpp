#include "app/DeviceMap.h"

#include "audio/ListError.h"

#include <algorithm>

namespace murmex {
namespace {

std::int32_t IdAt(const audio::TDeviceList& list, int position) {
    if (position < 0 || position >= int(list.size()))
        throw audio::EListError::OutOfBounds(position);
    return list[std::size_t(position)].Id;
}

} // namespace

int DeviceListIndex(const audio::TDeviceList& list, std::int32_t id) {
    const auto found = std::find_if(list.begin(), list.end(), [id](const auto& entry) { return entry.Id == id; });
    return found == list.end() ? 0 : int(found - list.begin());
}

std::int32_t PreviousDevice(const audio::TDeviceList& list, std::int32_t id) {
    int p = DeviceListIndex(list, id) - 1;
    if (p < 0)
        p = int(list.size()) - 1;
    return IdAt(list, p);
}

std::int32_t NextDevice(const audio::TDeviceList& list, std::int32_t id) {
    int p = DeviceListIndex(list, id) + 1;
    if (p > int(list.size()) - 1)
        p = 0;
    return IdAt(list, p);
}

std::int32_t RelocatedDevice(const audio::TDeviceList& list, std::int32_t id, const QString& storedName,
                             const QStringList& namesAtId) {
    if (storedName.isEmpty()) {
        const bool listed = std::any_of(list.begin(), list.end(), [id](const auto& entry) { return entry.Id == id; });
        return listed ? id : -1;
    }
    if (namesAtId.contains(storedName))
        return id;
    auto found = std::find_if(list.begin(), list.end(), [&](const auto& entry) { return entry.Key == storedName; });
    if (found == list.end())
        found = std::find_if(list.begin(), list.end(), [&](const auto& entry) { return entry.Name == storedName; });
    return found == list.end() ? -1 : found->Id;
}

std::int32_t DeviceOfKey(const audio::TDeviceList& list, const QString& key) {
    const auto found = std::find_if(list.begin(), list.end(), [&](const auto& entry) { return entry.Key == key; });
    return found == list.end() ? -1 : found->Id;
}

} // namespace murmex
