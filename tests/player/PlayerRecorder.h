// Records what a player reports, for the player tests.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "medialib/MainThreadQueue.h"
#include "player/CustomPlayer.h"

namespace velmora::test {

// Handlers run on the event thread (attach) unless the test asks for the main thread.
struct Recorder {
    std::mutex mutex;
    std::vector<TPlayState> states;
    std::vector<std::int64_t> positions;

    void attach(TCustomPlayer& player, bool inMainThread = false) {
        player.SetTriggerEventInMainThread(inMainThread);
        player.OnState = [this](TCustomPlayer*, TPlayState state) {
            std::lock_guard lock(mutex);
            states.push_back(state);
        };
        player.OnPosition = [this](TCustomPlayer*, std::int64_t pts) {
            std::lock_guard lock(mutex);
            positions.push_back(pts);
        };
    }
    bool hasState(TPlayState state) {
        std::lock_guard lock(mutex);
        return std::find(states.begin(), states.end(), state) != states.end();
    }
    std::int64_t lastPosition() {
        std::lock_guard lock(mutex);
        return positions.empty() ? -1 : positions.back();
    }
    std::vector<std::int64_t> positionsCopy() {
        std::lock_guard lock(mutex);
        return positions;
    }
    // Runs main-thread calls until pred holds; false after the timeout.
    template <typename Pred>
    static bool waitFor(Pred pred, int timeoutMs = 10000) {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!pred()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            PumpMessagesFor(std::chrono::milliseconds(5));
        }
        return true;
    }
    // Runs main-thread calls for a while.
    static void pumpFor(int milliseconds) {
        waitFor([] { return false; }, milliseconds);
    }
};

}  // namespace velmora::test
