// Turning the computer off when the auto-off asks for it. UI thread.
#pragma once

namespace murmex::platform {

// Asks the system's login manager to power the computer off, as a user's own request from the desktop
// would: programs that hold off a shutdown are respected, and no one is asked for a password. The request
// is sent and not waited for; a missing bus or a refusal goes unnoticed and the program goes on.
void RequestPowerOff();

} // namespace murmex::platform
