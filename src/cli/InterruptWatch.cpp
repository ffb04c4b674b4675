#include "cli/InterruptWatch.h"

#include <signal.h>
#include <unistd.h>

namespace velmora::cli {

namespace {

volatile sig_atomic_t g_interrupts = 0;
struct sigaction g_previousInt {};
struct sigaction g_previousTerm {};

extern "C" void onInterrupt(int) {
    if (g_interrupts > 0) {
        _exit(kInterruptedExitCode);
    }
    g_interrupts = 1;
}

}  // namespace

InterruptWatch::InterruptWatch() {
    g_interrupts = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previousInt);
    sigaction(SIGTERM, &action, &g_previousTerm);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
}

bool InterruptWatch::requested() const {
    return g_interrupts != 0;
}

}  // namespace velmora::cli
