// A desktop notification through the org.freedesktop.Notifications service of the session bus.
#pragma once

#include <QString>

namespace velmora::app {

// Posts the notification without waiting for an answer. Without a session bus, or when no
// notification service answers, nothing happens and nothing is reported: the notification only
// repeats what the window already shows.
void notifyDesktop(const QString& title, const QString& body);

}  // namespace velmora::app
