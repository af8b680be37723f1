// The per-user settings store: the eight window settings and the language. Each operation opens the store on
// its own; only a regular file is ever opened as the store. UI thread only.
#pragma once

#include "app/MainState.h"

#include <QString>

#include <cstdint>

namespace murmex::SettingsStore {

inline constexpr char kOrganisation[] = "Pellor Quandrel";
inline constexpr char kApplication[] = "Murmex";

// Where the store is kept: the settings file, or the registry key where the platform has one.
QString Location();

// True when something other than a regular file stands where the store is kept: the store is then neither
// read nor written, and the program runs on its defaults.
bool Unusable();

// Reads the eight values: each one that is missing or is not a 32-bit integer takes its default (what a
// first run uses), and the others are read as stored. A stored action outside the two the auto-off has
// takes "close": a damaged store must never arm a power-off.
MainSettings ReadMainSettings();

// The stored language, or 0 when it is missing or unreadable.
std::int32_t ReadLanguage();

// Write all eight values (booleans as 1 or 0), or the language. False when the store could not be written;
// what was stored before then stays as it was.
bool WriteMainSettings(const MainSettings& settings);
bool WriteLanguage(std::int32_t langNum);

} // namespace murmex::SettingsStore
