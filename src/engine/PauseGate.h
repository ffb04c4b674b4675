// A gate the task loop passes once per round: closed by Pause, opened by Resume and by Stop.
//
// Any thread may pause, resume or open the gate; only the task's own thread passes it.
#pragma once

#include <condition_variable>
#include <mutex>

namespace velmora {

class PauseGate {
public:
    // Closes the gate; the next pass() blocks until resume() or release().
    void pause();
    // Opens a paused gate.
    void resume();
    // Opens the gate for good (a stop request); later pause() calls have no effect until rearm().
    void release();
    // Makes the gate usable again for a new run (open, not released).
    void rearm();
    bool paused() const;
    // Returns at once when open; otherwise waits until resumed or released.
    void pass();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_paused = false;    // guarded by m_mutex
    bool m_released = false;  // guarded by m_mutex
};

}  // namespace velmora
