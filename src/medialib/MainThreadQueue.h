// The one road onto the main thread.
//
// RunInMainThread(fn) runs fn on the main thread and blocks the caller until it has run; on the
// main thread itself it runs fn directly. The main thread drains the queue with PumpMessages()
// from its event loop (the Qt application, the command-line loop or a test) and from every wait
// it makes on a worker, so that a worker waiting here can never deadlock such a wait.
#pragma once

#include <chrono>
#include <functional>

namespace velmora {

// True on the thread that initialised the program (or the one set by SetMainThread).
bool IsMainThread();
// Makes the calling thread the main thread; for programs and tests that drive the queue from a
// thread other than the initial one.
void SetMainThread();

// Runs fn on the main thread and waits for it. An exception thrown by fn is rethrown here.
void RunInMainThread(const std::function<void()>& fn);

// Queues fn for the main thread and returns at once; calls run in the order they were posted,
// interleaved in order with RunInMainThread calls. On the main thread fn runs directly. An
// exception thrown by a posted call is dropped.
void PostToMainThread(std::function<void()> fn);

// Runs every call queued so far; returns how many ran. Main thread only.
int PumpMessages();

// Waits up to `timeout` for a queued call or a WakeMainThread() and runs what is queued; for
// main-thread waits that would otherwise sleep. Returns how many calls ran.
int PumpMessagesFor(std::chrono::milliseconds timeout);

// Ends the current (or the next) PumpMessagesFor wait early without queuing a call: a worker
// calls it after changing state the main thread waits for, so that the wait sees the change at
// once instead of at its timeout. A wake given while nobody waits is kept for the next wait.
void WakeMainThread();

// Called (from the queuing thread) whenever a call is queued, so an event loop can wake up and
// pump. Pass an empty function to remove it.
void SetMainThreadWakeup(std::function<void()> wakeup);

}  // namespace velmora
