#include "app/PowerOff.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace velmora::app {

bool requestPowerOff(QString* error) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        if (error) {
            *error = QStringLiteral("no system bus: ") + bus.lastError().message();
        }
        return false;
    }
    QDBusInterface logind(QStringLiteral("org.freedesktop.login1"),
                          QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), bus);
    // interactive = true: the system may ask the user to authenticate instead of refusing.
    const QDBusReply<void> reply = logind.call(QStringLiteral("PowerOff"), true);
    if (!reply.isValid()) {
        if (error) {
            *error = reply.error().message();
        }
        return false;
    }
    return true;
}

}  // namespace velmora::app
