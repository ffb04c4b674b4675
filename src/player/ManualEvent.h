// A manual-reset event: stays set until reset; waits are always bounded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velmora {

class ManualEvent {
public:
    explicit ManualEvent(bool initiallySet = false) : m_set(initiallySet) {}

    void set() {
        {
            std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_changed.notify_all();
    }
    void reset() {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }
    bool isSet() const {
        std::lock_guard lock(m_mutex);
        return m_set;
    }
    // True when the event is set within the timeout.
    bool waitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_set; });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set;  // guarded by m_mutex
};

}  // namespace velmora
