#include "medialib/MainThreadQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

namespace velmora {
namespace {

TEST(MainThreadQueueTest, RunsDirectlyOnTheMainThread) {
    ASSERT_TRUE(IsMainThread());
    bool ran = false;
    RunInMainThread([&] { ran = true; });
    EXPECT_TRUE(ran);
    EXPECT_EQ(PumpMessages(), 0);
}

TEST(MainThreadQueueTest, WorkerWaitsUntilTheMainThreadPumps) {
    std::atomic<bool> returned{false};
    std::thread::id ranOn;
    std::thread worker([&] {
        RunInMainThread([&] { ranOn = std::this_thread::get_id(); });
        returned = true;
    });
    int ran = 0;
    while (ran == 0) {
        ran += PumpMessagesFor(std::chrono::milliseconds(100));
    }
    worker.join();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(returned);
    EXPECT_EQ(ranOn, std::this_thread::get_id());
}

TEST(MainThreadQueueTest, ExceptionReachesTheCaller) {
    std::string caught;
    std::thread worker([&] {
        try {
            RunInMainThread([] { throw std::runtime_error("handler failed"); });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
    });
    while (PumpMessagesFor(std::chrono::milliseconds(100)) == 0) {
    }
    worker.join();
    EXPECT_EQ(caught, "handler failed");
}

TEST(MainThreadQueueTest, WakeupIsCalledForEachQueuedCall) {
    std::atomic<int> wakeups{0};
    SetMainThreadWakeup([&] { ++wakeups; });
    std::thread worker([] {
        RunInMainThread([] {});
        RunInMainThread([] {});
    });
    int ran = 0;
    while (ran < 2) {
        ran += PumpMessagesFor(std::chrono::milliseconds(100));
    }
    worker.join();
    SetMainThreadWakeup({});
    EXPECT_EQ(wakeups.load(), 2);
}

TEST(MainThreadQueueTest, PostedCallsDoNotWaitAndKeepTheirOrder) {
    std::vector<int> order;
    std::thread worker([&] {
        PostToMainThread([&] { order.push_back(1); });
        RunInMainThread([&] { order.push_back(2); });
        PostToMainThread([&] { order.push_back(3); });
    });
    while (order.size() < 2) {
        PumpMessagesFor(std::chrono::milliseconds(100));
    }
    // The worker returned from its last post without the main thread pumping.
    worker.join();
    PumpMessages();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

// A wake ends a wait that has no call to run; one given before the wait is kept for it. The wait
// is an hour long, so a lost wake shows as a hang (the test's time-out), never as a slow pass.
TEST(MainThreadQueueTest, WakeEndsTheWaitWithoutAQueuedCall) {
    constexpr auto kLongWait = std::chrono::hours(1);
    WakeMainThread();
    EXPECT_EQ(PumpMessagesFor(kLongWait), 0);

    std::atomic<bool> stateChanged{false};
    std::thread worker([&] {
        stateChanged = true;
        WakeMainThread();
    });
    // The wake may come before or during the wait; either way the wait sees the change.
    while (!stateChanged) {
        PumpMessagesFor(kLongWait);
    }
    worker.join();
    EXPECT_TRUE(stateChanged);
}

}  // namespace
}  // namespace velmora
