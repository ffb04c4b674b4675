#include "engine/ConvertThread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace velmora {

int NiceValueOf(ThreadPriority priority) {
    switch (priority) {
        case ThreadPriority::idle:
            return 19;
        case ThreadPriority::lowest:
            return 10;
        case ThreadPriority::lower:
            return 5;
        default:
            return 0;
    }
}

void ApplyThreadPriority(ThreadPriority priority) {
    // On Linux the nice value of a thread is set through its thread id.
    const auto threadId = static_cast<id_t>(::syscall(SYS_gettid));
    if (priority == ThreadPriority::idle) {
        sched_param parameters{};
        if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &parameters) == 0) {
            return;
        }
    }
    const int nice = NiceValueOf(priority);
    if (nice != getpriority(PRIO_PROCESS, threadId)) {
        setpriority(PRIO_PROCESS, threadId, nice);
    }
}

TConvertThread::TConvertThread(ThreadPriority priority, std::function<void()> body)
    : m_thread([priority, body = std::move(body)] {
          ApplyThreadPriority(priority);
          body();
      }) {}

TConvertThread::~TConvertThread() {
    if (m_thread.joinable()) {
        if (isCurrentThread()) {
            // Destroyed by its own body (an owner freed from its end-of-task callback).
            m_thread.detach();
        } else {
            m_thread.join();
        }
    }
}

TConvertThread& TConvertThread::operator=(TConvertThread&& other) noexcept {
    if (this != &other) {
        join();
        if (m_thread.joinable()) {
            m_thread.detach();
        }
        m_thread = std::move(other.m_thread);
    }
    return *this;
}

void TConvertThread::join() {
    if (m_thread.joinable() && !isCurrentThread()) {
        m_thread.join();
    }
}

}  // namespace velmora
