// The ring that carries state and position notifications from the playback threads to the
// event thread. Consecutive notifications of the same kind collapse into the latest one, so a
// slow receiver sees the newest position instead of a backlog.
//
// Any thread may post; one thread takes. Everything is guarded by m_mutex.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

#include "player/PlayerTypes.h"

namespace velmora {

enum class NotificationKind : int { Position = 1, State = 2, Quit = 3 };

struct Notification {
    NotificationKind kind = NotificationKind::Position;
    TPlayState state = TPlayState::psPlay;
    std::int64_t position = 0;
};

class NotificationRing {
public:
    static constexpr int kSlots = 10;

    void post(const Notification& notification);
    // The oldest entry, waiting up to timeout for one; nullopt when none came.
    std::optional<Notification> take(std::chrono::milliseconds timeout);
    bool empty() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_notEmpty;
    std::array<Notification, kSlots> m_slots{};  // guarded by m_mutex
    int m_read = 0;                              // guarded by m_mutex: oldest entry
    int m_count = 0;                             // guarded by m_mutex
};

}  // namespace velmora
