// Keeps the time line of each input stream free of gaps that no content explains: a stream
// stamped far beyond the end of its file, a jump in the middle of a stream, a single packet
// with a wild time stamp. Such gaps are removed where the packets are read, before anything is
// decoded, copied or duplicated, by a correction of that stream's time stamps.
//
// Pure arithmetic on microseconds; the caller (the transcoding loop) keeps one StreamTimeline
// per input stream and applies the shift it is told.
#pragma once

#include <cstdint>
#include <limits>

namespace velmora {

inline constexpr int64_t kUnknownTime = std::numeric_limits<int64_t>::min();

// What the guard knows about one input stream; every time is already corrected.
struct StreamTimeline {
    bool started = false;
    int64_t correctionUs = 0;            // added to every time stamp of the stream
    int64_t lastUs = kUnknownTime;       // time of its last packet
    int64_t predictedUs = kUnknownTime;  // where its next packet should be
    // Time removed from within the span the file states for itself: a duration the file took
    // from its own time stamps counts that gap, which the output does not hold.
    int64_t removedWithinFileUs = 0;
    int64_t removedBeyondFileUs = 0;  // removed from beyond it (the way to a wild packet)
};

// What the guard knows about the stream's file and the other streams in it.
struct TimelineContext {
    // The format itself declares discontinuous time stamps (MPEG-TS and the like): any jump
    // beyond the threshold, or any step back, is a discontinuity.
    bool discontinuousFormat = false;
    int64_t thresholdUs = 10000000;  // "dts_delta_threshold"
    int64_t fileStartUs = 0;
    int64_t fileEndUs = kUnknownTime;  // start + duration; unknown when the file gives none
    // The latest time of the file's other audio and video streams that have begun; unknown
    // when none has.
    int64_t othersUs = kUnknownTime;
};

enum class TimelineEvent {
    None,
    StartAligned,   // the stream began far beyond the end of its file
    Discontinuity,  // the stream's time stamps jumped
};

struct TimelineStep {
    TimelineEvent event = TimelineEvent::None;
    int64_t shiftUs = 0;  // to add to the stream's correction
};

// The step for a packet of an audio or video stream at timeUs (its time with the stream's
// correction applied). A stream's first packet is aligned to the file's start when it lies
// more than the threshold beyond the file's end (or, when the file gives no duration, ahead of
// every other stream). Later packets: in a discontinuous format every jump beyond the threshold
// or step back is removed, as is in any format a jump back beyond the threshold; a jump forward
// beyond the threshold is removed when nothing explains it, that is when the stream gets more
// than the threshold ahead of the file's other streams, or, alone in its file, beyond its end.
TimelineStep NextTimelineStep(const StreamTimeline& stream, const TimelineContext& context,
                              int64_t timeUs);

// Applies a step taken for a packet at timeUs (before the step) to the stream.
void ApplyTimelineStep(StreamTimeline& stream, const TimelineStep& step,
                       const TimelineContext& context, int64_t timeUs);

// Notes a packet at timeUs (corrected) lasting durationUs (0 when unknown).
void NoteTimelinePacket(StreamTimeline& stream, int64_t timeUs, int64_t durationUs);

// The output time at which a run is taken to have run away: 1.5 times the expected duration
// plus 10 seconds; kUnknownTime when the expected duration is unknown (not positive).
int64_t RunawayLimitUs(int64_t expectedUs);

}  // namespace velmora
