#include "player/PlaybackMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora::playback {
namespace {

struct RectCase {
    float aspect;
    double sar;
    int pictureWidth, pictureHeight, windowWidth, windowHeight;
    Rect expected;
};

TEST(PlaybackMathTest, DisplayRectLetterboxesStretchesAndForces) {
    const RectCase cases[] = {
        // own aspect 4:3 in a wide window: pillarbox, centred
        {0.0f, 1.0, 320, 240, 800, 400, {134, 0, 532, 400}},
        // own aspect 16:9 in a 4:3 window: letterbox
        {0.0f, 0.0, 640, 360, 640, 480, {0, 60, 640, 360}},
        // anamorphic: sample aspect 4/3 makes 480x480 wide
        {0.0f, 4.0 / 3.0, 480, 480, 640, 480, {0, 0, 640, 480}},
        // -1 fills the whole window whatever the picture
        {-1.0f, 1.0, 320, 240, 500, 100, {0, 0, 500, 100}},
        // forced 1:1
        {1.0f, 1.0, 320, 240, 640, 480, {80, 0, 480, 480}},
    };
    for (const RectCase& c : cases) {
        const Rect r = displayRect(c.aspect, c.sar, c.pictureWidth, c.pictureHeight, c.windowWidth,
                                   c.windowHeight);
        EXPECT_EQ(r.x, c.expected.x) << c.aspect << " " << c.windowWidth;
        EXPECT_EQ(r.y, c.expected.y) << c.aspect << " " << c.windowWidth;
        EXPECT_EQ(r.width, c.expected.width) << c.aspect << " " << c.windowWidth;
        EXPECT_EQ(r.height, c.expected.height) << c.aspect << " " << c.windowWidth;
    }
}

TEST(PlaybackMathTest, SyncedDelayFollowsTheMaster) {
    struct Case {
        double delay, diff;
        bool slave;
        double expected;
    };
    const Case cases[] = {
        {0.04, 0.0, true, 0.04},                                 // in step
        {0.04, -0.05, true, 0.0},                                // video behind: show at once
        {0.04, 0.05, true, 0.08},                                // video ahead: wait twice as long
        {0.04, 12.0, true, 0.04},                                // too far apart to correct
        {0.005, 0.011, true, 0.01},                              // threshold never below 10 ms
        {0.005, 0.009, true, 0.005}, {0.04, -1.0, false, 0.04},  // video is the master
    };
    for (const Case& c : cases) {
        EXPECT_DOUBLE_EQ(syncedDelay(c.delay, c.diff, c.slave), c.expected) << c.diff;
    }
}

TEST(PlaybackMathTest, AudioSizeIsCorrectedOnlyAfterTwentyMeasuresAndWithinTenPercent) {
    AudioDriftState state;
    state.coefficient = std::exp(std::log(0.01) / 20.0);
    state.threshold = 2.0 * 1024 / 44100;
    const int size = 4096;  // 1024 stereo frames
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(synchronizedAudioSize(state, size, 0.5, 44100, 4), size);
    }
    // 0.5 s ahead wants far more than 110 %: bounded to ((1024 * 110) / 100) * 4.
    EXPECT_EQ(synchronizedAudioSize(state, size, 0.5, 44100, 4), 1126 * 4);
    // Still drifting on average, now behind: bounded below to ((1024 * 90) / 100) * 4.
    EXPECT_EQ(synchronizedAudioSize(state, size, -0.5, 44100, 4), 921 * 4);
    // A jump of 10 s or more restarts the average.
    EXPECT_EQ(synchronizedAudioSize(state, size, 11.0, 44100, 4), size);
    EXPECT_EQ(state.count, 0);
    EXPECT_EQ(state.sum, 0.0);
}

TEST(PlaybackMathTest, SeekWindowDependsOnTheIncrement) {
    std::int64_t lo = 0;
    std::int64_t hi = 0;
    seekWindow(1000, 0, lo, hi);
    EXPECT_EQ(lo, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(hi, std::numeric_limits<std::int64_t>::max());
    seekWindow(1000, 10, lo, hi);
    EXPECT_EQ(lo, 992);
    EXPECT_EQ(hi, std::numeric_limits<std::int64_t>::max());
    seekWindow(1000, -10, lo, hi);
    EXPECT_EQ(lo, std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(hi, 1008);
}

}  // namespace
}  // namespace velmora::playback
