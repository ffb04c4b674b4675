// The whole list's time estimate: the media time left over the speed measured so far.
#include "profiles/ListTimeLeft.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

constexpr std::int64_t kSecond = 1'000'000;

struct Row {
    const char* what;
    std::vector<JobProgress> jobs;
    std::int64_t elapsedUs;
    std::optional<std::int64_t> leftUs;
};

TEST(ListTimeLeft, MediaLeftOverTheSpeedSoFar) {
    const Row rows[] = {
        {"six equal jobs, the first done in 2 s",
         {{10 * kSecond, 10 * kSecond, true},
          {10 * kSecond, 0, false},
          {10 * kSecond, 0, false},
          {10 * kSecond, 0, false},
          {10 * kSecond, 0, false},
          {10 * kSecond, 0, false}},
         2 * kSecond,
         10 * kSecond},
        {"half of one job in 1 s",
         {{10 * kSecond, 5 * kSecond, false}, {20 * kSecond, 0, false}},
         kSecond,
         5 * kSecond},
        {"a failed job converts nothing more; its time still counts",
         {{10 * kSecond, 2 * kSecond, true}, {10 * kSecond, 0, false}},
         2 * kSecond,
         10 * kSecond},
        {"unknown duration counts as the known average",
         {{10 * kSecond, 10 * kSecond, true}, {-1, 0, false}, {30 * kSecond, 0, false}},
         kSecond,
         5 * kSecond},
        {"reported past the duration: no negative time left",
         {{10 * kSecond, 12 * kSecond, false}, {10 * kSecond, 0, false}},
         kSecond,
         kSecond},
        {"nothing converted yet", {{10 * kSecond, 0, false}}, kSecond, std::nullopt},
        {"no time passed", {{10 * kSecond, kSecond, false}}, 0, std::nullopt},
        {"no duration known at all", {{-1, kSecond, false}}, kSecond, std::nullopt},
        {"everything ended", {{10 * kSecond, 10 * kSecond, true}}, kSecond, 0},
        {"no jobs", {}, kSecond, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(listTimeLeftUs(row.jobs, row.elapsedUs), row.leftUs) << row.what;
    }
}

TEST(ListTimeLeft, JobDurationFollowsTheCut) {
    JobOrigin origin;
    origin.source.durationUs = 60 * kSecond;
    TInputOptions input;
    TOutputOptions output;
    EXPECT_EQ(jobMediaDurationUs(origin, input, output), 60 * kSecond);
    input.StartTime = 50 * kSecond;
    EXPECT_EQ(jobMediaDurationUs(origin, input, output), 10 * kSecond);
    output.RecordingTime = 4 * kSecond;
    EXPECT_EQ(jobMediaDurationUs(origin, input, output), 4 * kSecond);
    input.StartTime = 70 * kSecond;
    EXPECT_EQ(jobMediaDurationUs(origin, input, output), 0);
    origin.source.durationUs = -1;
    EXPECT_EQ(jobMediaDurationUs(origin, input, output), -1);
}

TEST(ListTimeLeft, TextRoundsUpToWholeSeconds) {
    EXPECT_EQ(timeLeftText(0), "00:00:00");
    EXPECT_EQ(timeLeftText(1), "00:00:01");
    EXPECT_EQ(timeLeftText(59 * kSecond), "00:00:59");
    EXPECT_EQ(timeLeftText(3661 * kSecond), "01:01:01");
    EXPECT_EQ(timeLeftText(100 * 3600 * kSecond), "100:00:00");
    EXPECT_EQ(timeLeftText(-5), "00:00:00");
}

}  // namespace
}  // namespace velmora
