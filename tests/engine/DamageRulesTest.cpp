// The rules that decide what damaged input means for a run: gaps in a stream's time line, read
// failures that are damage rather than the end, picture sizes an encoder refuses.
#include <gtest/gtest.h>

#include <vector>

#include "engine/FrameSizeFit.h"
#include "engine/InputReadErrors.h"
#include "engine/TimestampGuard.h"

namespace velmora {
namespace {

constexpr int64_t kSecond = 1000000;

TEST(TimestampGuardTest, RemovesGapsThatNoContentExplains) {
    const struct {
        const char* name;
        bool discontinuousFormat;
        bool started;
        int64_t predicted;  // seconds
        int64_t last;
        int64_t fileEnd;  // seconds; kUnknownTime: no duration
        int64_t others;   // seconds; kUnknownTime: no other stream yet
        int64_t time;     // the packet
        TimelineEvent event;
        int64_t shift;  // seconds
    } rows[] = {
        {"first packet at the start", false, false, 0, 0, 6, kUnknownTime, 0, TimelineEvent::None,
         0},
        {"first packet an hour past a 6 s file", false, false, 0, 0, 6, 3, 3600000,
         TimelineEvent::StartAligned, -3600000},
        {"late start within the file's duration", false, false, 0, 0, 600, 1, 15,
         TimelineEvent::None, 0},
        {"no duration: far ahead of the other streams", false, false, 0, 0, kUnknownTime, 2, 500,
         TimelineEvent::StartAligned, -500},
        {"no duration, no other stream: kept", false, false, 0, 0, kUnknownTime, kUnknownTime, 500,
         TimelineEvent::None, 0},
        {"on time", false, true, 5, 5, 6, 5, 5, TimelineEvent::None, 0},
        {"jump back beyond the threshold", false, true, 50, 50, 60, 50, 20,
         TimelineEvent::Discontinuity, 30},
        {"small step back kept outside transport streams", false, true, 50, 50, 60, 50, 49,
         TimelineEvent::None, 0},
        {"jump ahead of every other stream", false, true, 3, 3, 1006, 3, 1003,
         TimelineEvent::Discontinuity, -1000},
        {"pause while the others went on", false, true, 3, 3, 60, 30, 30, TimelineEvent::None, 0},
        {"alone, a still picture within the file", false, true, 3, 3, 60, kUnknownTime, 40,
         TimelineEvent::None, 0},
        {"alone, a jump past the file's end", false, true, 3, 3, 6, kUnknownTime, 1003,
         TimelineEvent::Discontinuity, -1000},
        {"transport stream: a jump beyond the threshold", true, true, 3, 3, 6, 30, 30,
         TimelineEvent::Discontinuity, -27},
        {"transport stream: a step back", true, true, 5, 5, 6, 5, 4, TimelineEvent::Discontinuity,
         1},
        {"transport stream: small jump kept", true, true, 3, 3, 6, 3, 9, TimelineEvent::None, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        StreamTimeline stream;
        stream.started = row.started;
        stream.predictedUs = row.predicted * kSecond;
        stream.lastUs = row.last * kSecond;
        TimelineContext context;
        context.discontinuousFormat = row.discontinuousFormat;
        context.fileStartUs = 0;
        context.fileEndUs = row.fileEnd == kUnknownTime ? kUnknownTime : row.fileEnd * kSecond;
        context.othersUs = row.others == kUnknownTime ? kUnknownTime : row.others * kSecond;
        const TimelineStep step = NextTimelineStep(stream, context, row.time * kSecond);
        EXPECT_EQ(step.event, row.event);
        EXPECT_EQ(step.shiftUs, row.shift * kSecond);
    }
}

TEST(TimestampGuardTest, AWildPacketIsPutBackAndTheStreamReturns) {
    // One packet stamped 47721 s out (a flipped bit) between packets 40 ms apart.
    TimelineContext context;
    context.discontinuousFormat = true;
    context.fileEndUs = 6 * kSecond;
    StreamTimeline stream;
    const int64_t frame = 40000;
    std::vector<int64_t> corrected;
    for (const int64_t raw :
         {int64_t{0}, frame, 47721 * kSecond + 2 * frame, 3 * frame, 4 * frame}) {
        const int64_t time = raw + stream.correctionUs;
        const TimelineStep step = NextTimelineStep(stream, context, time);
        stream.correctionUs += step.shiftUs;
        NoteTimelinePacket(stream, time + step.shiftUs, frame);
        corrected.push_back(time + step.shiftUs);
    }
    EXPECT_EQ(corrected, (std::vector<int64_t>{0, frame, 2 * frame, 3 * frame, 4 * frame}));
    EXPECT_EQ(stream.correctionUs, 0);
}

TEST(TimestampGuardTest, CountsTheGapsRemovedFromWithinTheFilesSpan) {
    TimelineContext context;
    context.fileEndUs = 1006 * kSecond;  // a duration taken from time stamps that jump
    StreamTimeline stream;
    auto step = [&](int64_t shiftSeconds, int64_t atSeconds) {
        ApplyTimelineStep(stream, {TimelineEvent::Discontinuity, shiftSeconds * kSecond}, context,
                          atSeconds * kSecond);
    };
    step(-1000, 1003);  // a jump within the stated span
    EXPECT_EQ(stream.removedWithinFileUs, 1000 * kSecond);
    EXPECT_EQ(stream.correctionUs, -1000 * kSecond);
    step(-40000, 41003);  // a wild packet far beyond the end is not counted ...
    EXPECT_EQ(stream.removedWithinFileUs, 1000 * kSecond);
    step(40000, 1004);  // ... and its way back takes nothing from the earlier gap
    EXPECT_EQ(stream.removedWithinFileUs, 1000 * kSecond);
    step(1000, 5);  // a jump back within the file gives it back
    EXPECT_EQ(stream.removedWithinFileUs, 0);
    // A stream aligned from beyond the end was never within the span.
    StreamTimeline late;
    ApplyTimelineStep(late, {TimelineEvent::StartAligned, -3600000 * kSecond}, context,
                      3600000 * kSecond);
    EXPECT_EQ(late.removedWithinFileUs, 0);
    EXPECT_EQ(late.correctionUs, -3600000 * kSecond);
}

TEST(TimestampGuardTest, RunawayLimitIsHalfAgainPlusTenSeconds) {
    EXPECT_EQ(RunawayLimitUs(6 * kSecond), 19 * kSecond);
    EXPECT_EQ(RunawayLimitUs(100 * kSecond), 160 * kSecond);
    EXPECT_EQ(RunawayLimitUs(0), kUnknownTime);
    EXPECT_EQ(RunawayLimitUs(-1), kUnknownTime);
}

TEST(InputReadErrorsTest, TellsDamageFromTheEnd) {
    using Verdict = InputReadErrors::Verdict;
    InputReadErrors errors;
    // Damage: a failure, then the demuxer finds its way and packets follow.
    EXPECT_EQ(errors.onFailure(1000), Verdict::TryAgain);
    EXPECT_EQ(errors.onPacket(), 1);
    EXPECT_EQ(errors.onPacket(), 0);
    // Two failures that each moved on, then a packet: two damaged places.
    EXPECT_EQ(errors.onFailure(2000), Verdict::TryAgain);
    EXPECT_EQ(errors.onFailure(3000), Verdict::TryAgain);
    EXPECT_EQ(errors.onPacket(), 2);
    // The end: the same failure at the same place again.
    EXPECT_EQ(errors.onFailure(9000), Verdict::TryAgain);
    EXPECT_EQ(errors.onFailure(9000), Verdict::End);
    // Without a position to compare, the second failure in a row ends the input.
    InputReadErrors unknown;
    EXPECT_EQ(unknown.onFailure(-1), Verdict::TryAgain);
    EXPECT_EQ(unknown.onFailure(-1), Verdict::End);
    // Failures that keep moving on without a packet end it after a bound.
    InputReadErrors garbage;
    int tries = 0;
    while (garbage.onFailure(100 * tries) == Verdict::TryAgain) {
        ++tries;
    }
    EXPECT_EQ(tries, InputReadErrors::kMaxFailuresInARow);
}

TEST(FrameSizeFitTest, RoundsDownToWhatTheEncoderTakes) {
    const struct {
        const char* name;
        int log2ChromaWidth;
        int log2ChromaHeight;
        bool wholeMacroblocks;
        FrameSize size;
        FrameSize fitted;
    } rows[] = {
        {"4:2:0 odd size", 1, 1, false, {321, 241}, {320, 240}},
        {"4:2:0 even size kept", 1, 1, false, {320, 240}, {320, 240}},
        {"4:2:2 only the width", 1, 0, false, {321, 241}, {320, 241}},
        {"4:4:4 anything", 0, 0, false, {321, 241}, {321, 241}},
        {"whole macroblocks", 1, 1, true, {321, 241}, {320, 240}},
        {"whole macroblocks, not 16", 1, 1, true, {200, 150}, {192, 144}},
        {"never below one unit", 1, 1, true, {7, 3}, {16, 16}},
        {"one pixel 4:2:0", 1, 1, false, {1, 1}, {2, 2}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const FrameSize fitted = FitFrameSize(
            row.size,
            EncoderSizeAlignment(row.log2ChromaWidth, row.log2ChromaHeight, row.wholeMacroblocks));
        EXPECT_EQ(fitted.width, row.fitted.width);
        EXPECT_EQ(fitted.height, row.fitted.height);
    }
}

}  // namespace
}  // namespace velmora
