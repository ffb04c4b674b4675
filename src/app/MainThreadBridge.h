// Drains the process-wide main-thread queue from the Qt event loop: whenever a worker queues a
// call (a converter's progress, a logger line, a termination notice), the loop is woken and runs
// it. One bridge per process, created on the GUI thread, for as long as the window lives.
#pragma once

namespace velmora::app {

class MainThreadBridge {
public:
    MainThreadBridge();
    // Removes the wake-up and runs whatever is still queued.
    ~MainThreadBridge();

    MainThreadBridge(const MainThreadBridge&) = delete;
    MainThreadBridge& operator=(const MainThreadBridge&) = delete;
};

}  // namespace velmora::app
