#pragma once

namespace velmora::cli {

// Ctrl-C handling for a running batch: the first SIGINT (or SIGTERM) only raises a flag that the
// batch loop reads to stop its tasks cleanly; a second one ends the process at once with 130.
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

}  // namespace velmora::cli
