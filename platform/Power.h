// Turning the computer off or suspending it when the auto-off asks for it. UI thread.
#pragma once

#include <QString>

#include <functional>

namespace murmex::platform {

// Asks the system's login manager to power the computer off, as a user's own request from the desktop
// would: programs that hold off a shutdown are respected, and no one is asked for a password. The request
// is sent and not waited for; a missing bus or a refusal goes unnoticed and the program goes on.
void RequestPowerOff();

// Asks the login manager to suspend the computer in the same way. The program goes on after a suspend, so
// the answer matters: it is looked at in the background, and `refused` is called once, on this thread, with
// the reason when the request is refused, goes unanswered or cannot be sent; never when it is carried out.
void RequestSuspend(std::function<void(const QString& why)> refused);

} // namespace murmex::platform
