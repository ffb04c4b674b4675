#include "cli/InterruptWatch.h"

#include <signal.h>
#include <time.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

// Milliseconds of the monotonic clock at the first signal; -1 before it. Only the handler writes
// it (signals are blocked while the handler runs, so it never races with itself).
volatile sig_atomic_t g_requested = 0;
volatile std::int64_t g_firstSignalMs = -1;
struct sigaction g_previousInt {};
struct sigaction g_previousTerm {};

std::int64_t monotonicMs() {
    // clock_gettime is async-signal-safe.
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

extern "C" void onInterrupt(int) {
    const std::int64_t now = monotonicMs();
    if (signalEndsProcess(g_firstSignalMs, now)) {
        _exit(kInterruptedExitCode);
    }
    if (g_firstSignalMs < 0) {
        g_firstSignalMs = now;
    }
    g_requested = 1;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    g_requested = 0;
    g_firstSignalMs = -1;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // Either signal blocks both while the handler runs.
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    sigaction(SIGINT, &action, &g_previousInt);
    sigaction(SIGTERM, &action, &g_previousTerm);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
}

bool InterruptWatch::requested() const {
    return g_requested != 0;
}

}  // namespace velmora::cli
