#include "app/DesktopNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace velmora::app {

namespace {

constexpr int kServerDefaultTimeout = -1;

}  // namespace

void notifyDesktop(const QString& title, const QString& body) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QStringLiteral("Velmora") << 0u << QStringLiteral("velmora") << title << body
           << QStringList() << QVariantMap() << kServerDefaultTimeout;
    // Fire and forget: a missing service answers with an error nobody needs to read.
    bus.send(notify);
}

}  // namespace velmora::app
