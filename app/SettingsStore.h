// The per-user settings store: the eight window settings and the language, each read once at start
// and written once at an orderly end. Every failure is swallowed; nothing is reported to the user.
// Each operation opens the store on its own. UI thread only.
#pragma once

#include "app/MainState.h"

#include <cstdint>

namespace murmex::SettingsStore {

inline constexpr char kOrganisation[] = "Pellor Quandrel";
inline constexpr char kApplication[] = "Murmex";

// Reads the values in their fixed order into `settings`: a missing value takes its default; a value
// that is not a 32-bit integer ends the read, and it and the values after it keep what `settings` held.
void ReadMainSettings(MainSettings& settings);

// The stored language, or 0 when it is missing or unreadable.
std::int32_t ReadLanguage();

// Writes all eight values (booleans as 1 or 0). A failed write loses nothing that was stored before.
void WriteMainSettings(const MainSettings& settings);

void WriteLanguage(std::int32_t langNum);

} // namespace murmex::SettingsStore
