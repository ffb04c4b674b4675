// The request to power the computer off, through systemd-logind over the system bus. Only the
// program's entry links this: the window receives it as a seam, and no test binary contains it.
#pragma once

#include <QString>

namespace velmora::app {

// Asks logind for a normal power-off (Manager.PowerOff): programs that hold a shutdown inhibitor
// are honoured and the system may ask the user to authenticate. Never a forced power-off.
// False, with the bus's reason in *error, when the request is refused or cannot be sent.
bool requestPowerOff(QString* error);

}  // namespace velmora::app
