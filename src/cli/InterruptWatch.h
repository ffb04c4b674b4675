#pragma once

#include <cstdint>

namespace velmora::cli {

// Ctrl-C handling for a running batch: the first SIGINT (or SIGTERM) only raises a flag that the
// batch loop reads to stop its tasks cleanly. Signals within kSameRequestMs of the first belong
// to the same request (timeout and process managers signal a process and its group together, so
// one request often arrives twice); one that comes later ends the process at once with 130.
// The previous handlers come back when the watch ends.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    bool requested() const;
};

constexpr int kInterruptedExitCode = 130;
constexpr std::int64_t kSameRequestMs = 2000;

// The rule above, for a signal arriving nowMs after a first one that arrived at firstMs (-1: none
// yet): true when it ends the process.
constexpr bool signalEndsProcess(std::int64_t firstMs, std::int64_t nowMs) {
    return firstMs >= 0 && nowMs - firstMs >= kSameRequestMs;
}

}  // namespace velmora::cli
