#include "medialib/MainThreadQueue.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace velmora {

namespace {

struct PendingCall {
    const std::function<void()>* fn;
    std::exception_ptr error;
    bool done = false;
    std::unique_ptr<std::function<void()>> posted;  // owned function of a posted call
};

struct Queue {
    std::mutex mutex;
    std::condition_variable queued;  // a call was added
    std::condition_variable ran;     // a call finished
    std::deque<PendingCall*> calls;  // guarded by mutex; posted calls are owned by the queue
    std::function<void()> wakeup;    // guarded by mutex
    bool woken = false;              // guarded by mutex; a WakeMainThread not yet seen by a wait
    std::thread::id mainThread = std::this_thread::get_id();
};

Queue& queue() {
    static Queue instance;
    return instance;
}

// Static initialisation runs on the program's initial thread: that is the main thread.
[[maybe_unused]] const bool kMainThreadRecorded = (queue(), true);

}  // namespace

bool IsMainThread() {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    return q.mainThread == std::this_thread::get_id();
}

void SetMainThread() {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.mainThread = std::this_thread::get_id();
}

namespace {

void enqueue(PendingCall* call) {
    Queue& q = queue();
    std::function<void()> wakeup;
    {
        std::lock_guard lock(q.mutex);
        q.calls.push_back(call);
        wakeup = q.wakeup;
    }
    q.queued.notify_all();
    if (wakeup) {
        wakeup();
    }
}

}  // namespace

void PostToMainThread(std::function<void()> fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    auto call = std::make_unique<PendingCall>();
    call->posted = std::make_unique<std::function<void()>>(std::move(fn));
    call->fn = call->posted.get();
    enqueue(call.release());
}

void RunInMainThread(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    Queue& q = queue();
    PendingCall call{&fn, nullptr, false, nullptr};
    enqueue(&call);
    std::unique_lock lock(q.mutex);
    q.ran.wait(lock, [&] { return call.done; });
    if (call.error) {
        std::rethrow_exception(call.error);
    }
}

namespace {

int runQueued(std::unique_lock<std::mutex>& lock) {
    Queue& q = queue();
    int count = 0;
    while (!q.calls.empty()) {
        PendingCall* call = q.calls.front();
        q.calls.pop_front();
        // The queue owns a posted call (handed over in PostToMainThread); nobody waits for it.
        std::unique_ptr<PendingCall> postedCall(call->posted ? call : nullptr);
        lock.unlock();
        try {
            (*call->fn)();
        } catch (...) {
            call->error = std::current_exception();
        }
        lock.lock();
        ++count;
        if (postedCall) {
            continue;
        }
        call->done = true;
        q.ran.notify_all();
    }
    return count;
}

}  // namespace

int PumpMessages() {
    std::unique_lock lock(queue().mutex);
    return runQueued(lock);
}

int PumpMessagesFor(std::chrono::milliseconds timeout) {
    Queue& q = queue();
    std::unique_lock lock(q.mutex);
    q.queued.wait_for(lock, timeout, [&] { return !q.calls.empty() || q.woken; });
    q.woken = false;
    return runQueued(lock);
}

void WakeMainThread() {
    Queue& q = queue();
    {
        std::lock_guard lock(q.mutex);
        q.woken = true;
    }
    q.queued.notify_all();
}

void SetMainThreadWakeup(std::function<void()> wakeup) {
    Queue& q = queue();
    std::lock_guard lock(q.mutex);
    q.wakeup = std::move(wakeup);
}

}  // namespace velmora
