// The desktop's media controls joined to the main window: they show the generator and the chosen noise, and
// their commands run as the window's own. UI thread.
#pragma once

#include "platform/Mpris.h"

#include <memory>

namespace murmex {

class TfmMain;

// Nothing, and nothing said, without a session bus. A `windowless` program offers no raise. The result must go
// before the window and its text holder do.
std::unique_ptr<platform::MediaControls> StartMediaControls(TfmMain& fmMain, bool windowless = false);

} // namespace murmex
