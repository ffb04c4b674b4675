#include "app/MainThreadBridge.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "medialib/MainThreadQueue.h"

namespace velmora::app {

MainThreadBridge::MainThreadBridge() {
    SetMainThread();
    // The wake-up may run on any thread, even just after this bridge is gone, so it posts to the
    // application object, which outlives every window; a pump with nothing queued is harmless.
    SetMainThreadWakeup([] {
        if (QCoreApplication* application = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                application, [] { PumpMessages(); }, Qt::QueuedConnection);
        }
    });
}

MainThreadBridge::~MainThreadBridge() {
    SetMainThreadWakeup({});
    PumpMessages();
}

}  // namespace velmora::app
