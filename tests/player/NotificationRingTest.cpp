#include "player/NotificationRing.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using std::chrono::milliseconds;

std::vector<Notification> drain(NotificationRing& ring) {
    std::vector<Notification> out;
    while (auto n = ring.take(milliseconds(0))) {
        out.push_back(*n);
    }
    return out;
}

Notification position(std::int64_t value) {
    return {NotificationKind::Position, TPlayState::psPlay, value};
}
Notification state(TPlayState value) {
    return {NotificationKind::State, value, 0};
}

TEST(NotificationRingTest, ConsecutivePositionsCollapseIntoTheLatest) {
    NotificationRing ring;
    ring.post(position(100));
    ring.post(position(200));
    const auto got = drain(ring);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].position, 200);
}

TEST(NotificationRingTest, KindsAlternatingAreAllKeptInOrder) {
    NotificationRing ring;
    ring.post(position(1));
    ring.post(state(TPlayState::psPause));
    ring.post(state(TPlayState::psResume));  // collapses with psPause
    ring.post(position(2));
    ring.post(position(3));  // collapses with 2
    const auto got = drain(ring);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].position, 1);
    EXPECT_EQ(got[1].state, TPlayState::psResume);
    EXPECT_EQ(got[2].position, 3);
}

TEST(NotificationRingTest, FullRingDropsTheOldest) {
    NotificationRing ring;
    for (int i = 0; i < NotificationRing::kSlots + 3; ++i) {
        ring.post(i % 2 == 0 ? position(i) : state(TPlayState::psPlay));
    }
    const auto got = drain(ring);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(NotificationRing::kSlots));
    EXPECT_EQ(got.front().kind, NotificationKind::State);  // entry 3; 0..2 were dropped
    EXPECT_EQ(got.back().position, NotificationRing::kSlots + 2);
}

TEST(NotificationRingTest, TakeWaitsOnlyUntilTheTimeout) {
    NotificationRing ring;
    EXPECT_FALSE(ring.take(milliseconds(20)).has_value());
    ring.post(position(5));
    ring.post(position(6));
    EXPECT_EQ(ring.take(milliseconds(20))->position, 6);
    EXPECT_TRUE(ring.empty());
}

}  // namespace
}  // namespace velmora
