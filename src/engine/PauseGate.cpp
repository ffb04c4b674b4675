#include "engine/PauseGate.h"

namespace velmora {

void PauseGate::pause() {
    std::lock_guard lock(m_mutex);
    if (!m_released) {
        m_paused = true;
    }
}

void PauseGate::resume() {
    {
        std::lock_guard lock(m_mutex);
        m_paused = false;
    }
    m_opened.notify_all();
}

void PauseGate::release() {
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_paused = false;
    }
    m_opened.notify_all();
}

void PauseGate::rearm() {
    std::lock_guard lock(m_mutex);
    m_released = false;
    m_paused = false;
}

bool PauseGate::paused() const {
    std::lock_guard lock(m_mutex);
    return m_paused;
}

void PauseGate::pass() {
    std::unique_lock lock(m_mutex);
    m_opened.wait(lock, [this] { return !m_paused || m_released; });
}

}  // namespace velmora
