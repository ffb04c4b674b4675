#include "player/NotificationRing.h"

namespace velmora {

void NotificationRing::post(const Notification& notification) {
    {
        std::lock_guard lock(m_mutex);
        const int newest = (m_read + m_count - 1 + kSlots) % kSlots;
        if (m_count > 0 && m_slots[newest].kind == notification.kind) {
            m_slots[newest] = notification;
        } else {
            if (m_count == kSlots) {
                // Full: the oldest entry makes room.
                m_read = (m_read + 1) % kSlots;
                --m_count;
            }
            m_slots[(m_read + m_count) % kSlots] = notification;
            ++m_count;
        }
    }
    m_notEmpty.notify_all();
}

std::optional<Notification> NotificationRing::take(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    if (!m_notEmpty.wait_for(lock, timeout, [this] { return m_count > 0; })) {
        return std::nullopt;
    }
    Notification result = m_slots[m_read];
    m_read = (m_read + 1) % kSlots;
    --m_count;
    return result;
}

bool NotificationRing::empty() const {
    std::lock_guard lock(m_mutex);
    return m_count == 0;
}

void NotificationRing::clear() {
    std::lock_guard lock(m_mutex);
    m_read = 0;
    m_count = 0;
}

}  // namespace velmora
