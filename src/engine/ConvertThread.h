// The worker thread of a task: an owned, joinable thread that runs the task body at the priority
// it was given.
#pragma once

#include <functional>
#include <thread>

namespace velmora {

// Priority of a worker thread. idle -> SCHED_IDLE, lowest -> nice 10, lower -> nice 5, every
// other value -> nice 0 (raising a priority needs privileges the program does not ask for).
enum class ThreadPriority { idle, lowest, lower, normal, higher, highest, timeCritical };

// The nice value a priority maps to (idle: 19, used when SCHED_IDLE is refused).
int NiceValueOf(ThreadPriority priority);

// Applies the priority to the calling thread; failures are ignored (the thread keeps running at
// its inherited priority).
void ApplyThreadPriority(ThreadPriority priority);

class TConvertThread {
public:
    TConvertThread() = default;
    // Starts body on a new thread that first applies the priority.
    TConvertThread(ThreadPriority priority, std::function<void()> body);
    ~TConvertThread();
    TConvertThread(TConvertThread&& other) noexcept = default;
    TConvertThread& operator=(TConvertThread&& other) noexcept;

    bool joinable() const { return m_thread.joinable(); }
    bool isCurrentThread() const { return m_thread.get_id() == std::this_thread::get_id(); }
    // Waits for the body to end; does nothing on the thread itself or when not started.
    void join();

private:
    std::thread m_thread;
};

}  // namespace velmora
