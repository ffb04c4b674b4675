// Rules of the output side that are plain arithmetic: the size limit's estimate and cut, the
// chosen display aspect on the size written, the audio time line without sync, and the frame
// count of a rate change.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "engine/AudioSync.h"
#include "engine/DisplayAspect.h"
#include "engine/OutputSizeLimit.h"
#include "engine/VideoSync.h"
#include "support/MediaLibraries.h"

namespace velmora {
namespace {

TEST(OutputSizeLimitTest, CountsWhatIsHandedAndCutsAtTheFirstPacketThatDoesNotFit) {
    OutputSizeLimit limit;
    limit.start(10000, ContainerOverhead{10, 1.0, 1000}, 2000);
    ASSERT_TRUE(limit.active());
    EXPECT_EQ(limit.estimateBytes(0), 3000);  // header and the index to come
    EXPECT_TRUE(limit.admit(4000, 0));        // 3000 + 4000 + 10
    EXPECT_EQ(limit.estimateBytes(0), 7010);
    EXPECT_FALSE(limit.admit(3000, 0));  // would reach 10020
    EXPECT_TRUE(limit.cut());
    EXPECT_FALSE(limit.admit(1, 0)) << "nothing after the cut, however small";
    EXPECT_EQ(limit.estimateBytes(0), 7010);
}

TEST(OutputSizeLimitTest, WrittenBytesAreTheFloorAndTheFactorGrowsThePayload) {
    OutputSizeLimit limit;
    limit.start(100000, ContainerOverhead{0, 1.05, 0}, 0);
    ASSERT_TRUE(limit.admit(20000, 0));
    EXPECT_EQ(limit.estimateBytes(0), 21000);
    // The muxer already wrote more than was counted: the file is at least that large.
    EXPECT_EQ(limit.estimateBytes(50000), 50000);
    EXPECT_FALSE(limit.admit(48000, 50000));
}

TEST(OutputSizeLimitTest, NoLimitAdmitsEverything) {
    OutputSizeLimit limit;
    limit.start(0, ContainerOverheadOf("matroska"), 5000);
    EXPECT_FALSE(limit.active());
    EXPECT_TRUE(limit.admit(int64_t{1} << 40, 0));
    EXPECT_FALSE(limit.cut());
}

TEST(OutputSizeLimitTest, OverheadByMuxerName) {
    EXPECT_EQ(ContainerOverheadOf("avi").bytesPerPacket, 25);
    EXPECT_EQ(ContainerOverheadOf("mp4").trailerBytes, ContainerOverheadOf("mov").trailerBytes);
    EXPECT_GT(ContainerOverheadOf("mpegts").payloadFactor, 1.0);
    // A muxer not in the table gets a cautious guess, not nothing.
    const ContainerOverhead unknown = ContainerOverheadOf("no-such-muxer");
    EXPECT_GT(unknown.bytesPerPacket, 0);
    EXPECT_GT(unknown.payloadFactor, 1.0);
}

TEST(DisplayAspectTest, ShapedWidthKeepsTheFittedAlignment) {
    const struct {
        const char* name;
        int height;
        int fittedWidth;
        double aspect;
        int width;
    } rows[] = {
        {"4:3 on 352 lines, macroblocks", 352, 640, 4.0 / 3, 464},
        {"16:9 on 352 lines, macroblocks", 352, 640, 16.0 / 9, 624},
        {"4:3 on 360 lines, even widths", 360, 638, 4.0 / 3, 480},
        {"odd fitted width: any width", 101, 175, 2.0, 202},
        {"no aspect chosen", 352, 640, 0.0, 640},
        {"absurd aspect stays finite", 352, 640, 1e300, 16384},
        {"not a number", 352, 640, std::nan(""), 640},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ShapedWidth(row.height, row.fittedWidth, row.aspect), row.width);
    }
}

TEST(DisplayAspectTest, OnlyCodecsAndContainersWithoutAnAspectFieldNeedTheShape) {
    EXPECT_TRUE(AspectNeedsPictureShape(AV_CODEC_ID_RV10, "rm"));
    EXPECT_TRUE(AspectNeedsPictureShape(AV_CODEC_ID_FLV1, "flv"));
    EXPECT_TRUE(AspectNeedsPictureShape(AV_CODEC_ID_WMV2, "asf"));
    EXPECT_FALSE(AspectNeedsPictureShape(AV_CODEC_ID_RV10, "matroska"));
    EXPECT_FALSE(AspectNeedsPictureShape(AV_CODEC_ID_MPEG4, "avi"));
    EXPECT_FALSE(AspectNeedsPictureShape(AV_CODEC_ID_H264, "rm"));
}

TEST(DisplayAspectTest, SampleAspectForTheSizeWritten) {
    test::requireMediaLibraries();
    const AVRational wide = SampleAspectFor(4.0 / 3, 640, 360);
    EXPECT_EQ(wide.num * 4, wide.den * 3);  // 3:4
    const AVRational rounded = SampleAspectFor(4.0 / 3, 640, 352);
    EXPECT_NEAR(av_q2d(rounded) * 640 / 352, 4.0 / 3, 0.005);
    const AVRational unknownSize = SampleAspectFor(4.0 / 3, 0, 0);
    EXPECT_EQ(unknownSize.num, unknownSize.den);
    EXPECT_EQ(SampleAspectFor(0.0, 640, 360).num, 0);
    EXPECT_EQ(SampleAspectFor(-1.0, 640, 360).num, 0);
}

TEST(AudioTimelineTest, FollowsTheSamplesAndMovesOnlyForARealGap) {
    const struct {
        const char* name;
        bool started;
        int64_t position;
        int64_t input;
        int64_t result;
    } rows[] = {
        {"first buffer takes the input's time", false, 0, 2205, 2205},
        {"first buffer before zero starts at zero", false, 0, -300, 0},
        {"time stamps a little ahead", true, 48000, 48024, 48000},
        {"time stamps a little behind", true, 48000, 47976, 48000},
        {"at the tolerance", true, 48000, 52800, 48000},
        {"a gap beyond it", true, 48000, 52801, 52801},
        {"far behind never moves back", true, 48000, 1000, 48000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FollowInputTimeline(row.started, row.position, row.input, 4800), row.result);
    }
    // Wobbling time stamps never add up to a gap.
    int64_t position = 0;
    bool started = false;
    for (int frame = 0; frame < 1000; ++frame) {
        const int64_t input = frame * 1024 + (frame % 2 ? 24 : -24);
        position = FollowInputTimeline(started, position, input, 4800);
        started = true;
        position += 1024;
    }
    EXPECT_EQ(position, 1000 * 1024);
}

TEST(VideoSyncTest, RateChangeEndsWithThePicturesEnd) {
    // 100 pictures of 25 per second into 10 per second: four seconds, 40 frames, give or take
    // one; into 50 per second, 200.
    for (const double pictureFrames : {0.4, 2.0}) {
        SCOPED_TRACE(pictureFrames);
        int64_t position = 0;
        int64_t written = 0;
        for (int i = 0; i < 100; ++i) {
            const int64_t frames =
                VideoSyncStep(1, false, i * pictureFrames, pictureFrames, position).frames;
            written += frames;
            position += frames;  // the caller moves on by what it wrote
        }
        EXPECT_NEAR(static_cast<double>(written), 100 * pictureFrames, 1.0);
        EXPECT_EQ(position, written);
    }
    // Equal rates keep the wide tolerance: a picture one period early still goes out once.
    int64_t position = 5;
    EXPECT_EQ(VideoSyncStep(1, false, 4.0, 1.0, position).frames, 1);
}

}  // namespace
}  // namespace velmora
