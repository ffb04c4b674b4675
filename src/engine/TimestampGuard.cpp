#include "engine/TimestampGuard.h"

#include <algorithm>

namespace velmora {

namespace {

bool known(int64_t time) {
    return time != kUnknownTime;
}

// A time beyond the file's end by more than the threshold; false when the end is unknown.
bool beyondEnd(const TimelineContext& context, int64_t timeUs) {
    return known(context.fileEndUs) && timeUs > context.fileEndUs + context.thresholdUs;
}

}  // namespace

TimelineStep NextTimelineStep(const StreamTimeline& stream, const TimelineContext& context,
                              int64_t timeUs) {
    TimelineStep step;
    if (!known(timeUs)) {
        return step;
    }
    if (!stream.started) {
        // A stream that begins where the file has long ended was stamped by a broken writer;
        // it is aligned to its own first time stamp. One that begins later than the others
        // within the file's duration is content that starts late, and keeps its place.
        const bool farAhead =
            known(context.fileEndUs)
                ? beyondEnd(context, timeUs)
                : known(context.othersUs) && timeUs > context.othersUs + context.thresholdUs;
        if (farAhead) {
            step.event = TimelineEvent::StartAligned;
            step.shiftUs = context.fileStartUs - timeUs;
        }
        return step;
    }
    if (!known(stream.predictedUs)) {
        return step;
    }
    const int64_t delta = timeUs - stream.predictedUs;
    bool remove = false;
    if (context.discontinuousFormat) {
        remove = delta > context.thresholdUs || delta < -context.thresholdUs ||
                 (known(stream.lastUs) && timeUs + 1 < stream.lastUs);
    } else if (delta < -context.thresholdUs) {
        remove = true;  // a stream never goes back in time
    } else if (delta > context.thresholdUs) {
        // A pause in one stream while the others go on (a silent stretch, a still picture) is
        // content; a stream that leaps past every other one is not.
        remove = known(context.othersUs) ? timeUs > context.othersUs + context.thresholdUs
                                         : beyondEnd(context, timeUs);
    }
    if (remove) {
        step.event = TimelineEvent::Discontinuity;
        step.shiftUs = -delta;
    }
    return step;
}

void ApplyTimelineStep(StreamTimeline& stream, const TimelineStep& step,
                       const TimelineContext& context, int64_t timeUs) {
    stream.correctionUs += step.shiftUs;
    if (step.event != TimelineEvent::Discontinuity) {
        return;  // a stream aligned from beyond the file's end was never within its span
    }
    if (step.shiftUs < 0) {
        const bool within = known(context.fileEndUs) && !beyondEnd(context, timeUs);
        (within ? stream.removedWithinFileUs : stream.removedBeyondFileUs) -= step.shiftUs;
    } else if (step.shiftUs > 0) {
        // A jump back first undoes a jump far ahead (the way back from a wild packet), then
        // what was removed from within the file.
        int64_t back = step.shiftUs;
        const int64_t fromBeyond = std::min(back, stream.removedBeyondFileUs);
        stream.removedBeyondFileUs -= fromBeyond;
        back -= fromBeyond;
        stream.removedWithinFileUs = std::max<int64_t>(0, stream.removedWithinFileUs - back);
    }
}

void NoteTimelinePacket(StreamTimeline& stream, int64_t timeUs, int64_t durationUs) {
    if (!known(timeUs)) {
        return;
    }
    stream.started = true;
    stream.lastUs = timeUs;
    stream.predictedUs = timeUs + (durationUs > 0 ? durationUs : 0);
}

int64_t RunawayLimitUs(int64_t expectedUs) {
    if (expectedUs <= 0) {
        return kUnknownTime;
    }
    return expectedUs + expectedUs / 2 + 10000000;
}

}  // namespace velmora
