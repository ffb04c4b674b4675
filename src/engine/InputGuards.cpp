// The run's guards against damaged input: a failed read told from the end of the input, gaps in
// a stream's time line removed where the packets are read, and an output that runs far past
// its input stopped.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {

namespace {

// An audio or video stream the run reads: one whose time line is kept.
bool isTimedStream(const InputStream& ist) {
    const AVMediaType kind = ist.stream->codecpar->codec_type;
    return (kind == AVMEDIA_TYPE_VIDEO || kind == AVMEDIA_TYPE_AUDIO) &&
           (ist.used || ist.decodingNeeded) && !ist.discarded;
}

}  // namespace

bool TranscodeSession::inputEnded(InputFile& file, int fileIndex, int result) {
    if (m_owner.StopRequested()) {
        return true;
    }
    AVIOContext* pb = file.context->pb;
    const int64_t position = pb != nullptr ? lib::avformat.avio_seek(pb, 0, SEEK_CUR) : -1;
    if (file.readErrors.onFailure(position) == InputReadErrors::Verdict::End) {
        return true;
    }
    // The end of a file answers the same way twice; damage is followed by more packets.
    if (result != AVERROR_EOF && m_run.verbosity > 0) {
        log(6, FormatText("Input file #%d: %s; reading on", fileIndex,
                          LibraryErrorText(result).c_str()));
    }
    return false;
}

void TranscodeSession::guardTimeline(InputFile& file, InputStream& ist, int istIndex,
                                     AVPacket* packet) {
    const AVRational timeBase = ist.stream->time_base;
    const int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    const bool discontinuous = (file.context->iformat->flags & AVFMT_TS_DISCONT) != 0;
    int64_t correctionUs = 0;
    if (!isTimedStream(ist)) {
        // Sparse streams (subtitles, data) are not judged by their gaps; where the format's time
        // stamps jump as a whole they take the correction of the file's first timed stream.
        if (discontinuous) {
            for (int s = 0; s < file.streamCount; ++s) {
                const InputStream& other = m_inputStreams[file.firstStream + s];
                if (isTimedStream(other)) {
                    correctionUs = other.timeline.correctionUs;
                    break;
                }
            }
        }
    } else if (stamp != AV_NOPTS_VALUE) {
        int64_t timeUs =
            lib::avutil.av_rescale_q(stamp, timeBase, AV_TIME_BASE_Q) + ist.timeline.correctionUs;
        if (!m_run.copyTimestamps) {
            const TimelineContext facts = timelineContext(file, istIndex);
            const TimelineStep step = NextTimelineStep(ist.timeline, facts, timeUs);
            if (step.event != TimelineEvent::None) {
                ApplyTimelineStep(ist.timeline, step, facts, timeUs);
                logTimelineStep(file, ist, step, timeUs);
                timeUs += step.shiftUs;
            }
        }
        correctionUs = ist.timeline.correctionUs;
        const int64_t durationUs =
            packet->duration > 0
                ? lib::avutil.av_rescale_q(packet->duration, timeBase, AV_TIME_BASE_Q)
                : 0;
        NoteTimelinePacket(ist.timeline, timeUs, durationUs);
    }
    if (correctionUs != 0) {
        const int64_t shift = lib::avutil.av_rescale_q(correctionUs, AV_TIME_BASE_Q, timeBase);
        if (packet->dts != AV_NOPTS_VALUE) {
            packet->dts += shift;
        }
        if (packet->pts != AV_NOPTS_VALUE) {
            packet->pts += shift;
        }
    }
    // Reordering keeps a picture within a few frames of its decoding time; a presentation time
    // beyond the threshold from it is damaged, and the decoder is left to guess it instead.
    if (isTimedStream(ist) && !m_run.copyTimestamps && packet->pts != AV_NOPTS_VALUE &&
        packet->dts != AV_NOPTS_VALUE &&
        std::llabs(lib::avutil.av_rescale_q(packet->pts - packet->dts, timeBase, AV_TIME_BASE_Q)) >
            static_cast<int64_t>(m_run.dtsDeltaThresholdSeconds * 1e6)) {
        packet->pts = AV_NOPTS_VALUE;
    }
}

TimelineContext TranscodeSession::timelineContext(const InputFile& file, int istIndex) const {
    const AVFormatContext* context = file.context.get();
    TimelineContext facts;
    facts.discontinuousFormat = (context->iformat->flags & AVFMT_TS_DISCONT) != 0;
    facts.thresholdUs = static_cast<int64_t>(m_run.dtsDeltaThresholdSeconds * 1e6);
    // The packets carry the file's offset ("itsoffset", the start) by now; so do these.
    facts.fileStartUs =
        (context->start_time != AV_NOPTS_VALUE ? context->start_time : 0) + file.tsOffsetUs;
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0) {
        facts.fileEndUs = facts.fileStartUs + context->duration;
    }
    for (int s = 0; s < file.streamCount; ++s) {
        const InputStream& other = m_inputStreams[file.firstStream + s];
        if (file.firstStream + s == istIndex || !isTimedStream(other) || !other.timeline.started) {
            continue;
        }
        if (facts.othersUs == kUnknownTime || other.timeline.lastUs > facts.othersUs) {
            facts.othersUs = other.timeline.lastUs;
        }
    }
    return facts;
}

void TranscodeSession::logTimelineStep(const InputFile& file, const InputStream& ist,
                                       const TimelineStep& step, int64_t timeUs) {
    const bool discontinuous = (file.context->iformat->flags & AVFMT_TS_DISCONT) != 0;
    if (step.event == TimelineEvent::StartAligned) {
        log(4, FormatText("Input stream #%d.%d begins at %.3f s, far beyond the end of its file: "
                          "it is aligned to its own first time stamp",
                          ist.fileIndex, ist.streamIndex, static_cast<double>(timeUs) / 1e6));
        return;
    }
    if (m_run.verbosity >= 3) {
        log(6, FormatText("timestamp discontinuity %lld, new offset= %lld",
                          static_cast<long long>(-step.shiftUs),
                          static_cast<long long>(file.tsOffsetUs + ist.timeline.correctionUs)));
    }
    // Expected in formats that declare such jumps; anywhere else it means a broken file.
    if (!discontinuous) {
        log(4, FormatText("Input stream #%d.%d: its time stamps jump by %.3f s at %.3f s; the gap "
                          "is removed",
                          ist.fileIndex, ist.streamIndex, static_cast<double>(-step.shiftUs) / 1e6,
                          static_cast<double>(timeUs + step.shiftUs) / 1e6));
    }
}

void TranscodeSession::discountRemovedGaps() {
    // Per input file: the largest gap its streams lost from within the span it states. Every
    // stream of the file is expected to end that much earlier, since the file's duration (taken
    // from its time stamps) spans the gap.
    std::vector<int64_t> removedUs(m_inputs.size(), 0);
    for (const InputStream& ist : m_inputStreams) {
        removedUs[ist.fileIndex] =
            std::max(removedUs[ist.fileIndex], ist.timeline.removedWithinFileUs);
    }
    int64_t joinedUs = 0;
    for (int64_t removed : removedUs) {
        joinedUs += removed;
    }
    for (OutputStream& ost : m_outputStreams) {
        if (ost.expectedEndUs <= 0 || ost.sourceIndex < 0) {
            continue;
        }
        const int64_t removed =
            m_joinMode ? joinedUs : removedUs[m_inputStreams[ost.sourceIndex].fileIndex];
        if (removed > 0) {
            ost.expectedEndUs = ost.expectedEndUs > removed ? ost.expectedEndUs - removed : -1;
        }
    }
}

void TranscodeSession::checkRunaway() const {
    const int64_t totalUs = m_owner.TotalDuration();
    if (totalUs <= 0) {
        return;
    }
    // An input moved later on the output's time line ("itsoffset", "copyts") ends later.
    int64_t delayUs = 0;
    for (const InputFile& file : m_inputs) {
        const int64_t start =
            file.context->start_time != AV_NOPTS_VALUE ? file.context->start_time : 0;
        delayUs = std::max(delayUs, start + file.tsOffsetUs);
    }
    const int64_t expectedUs = totalUs + delayUs;
    const int64_t limitUs = RunawayLimitUs(expectedUs);
    // The span the outputs cover, so that an output offset ("itsoffset") does not count.
    double first = 0.0;
    double last = 0.0;
    bool any = false;
    for (const OutputStream& ost : m_outputStreams) {
        if (ost.packetsWritten == 0) {
            continue;
        }
        first = any ? std::min(first, ost.firstTimeSec) : ost.firstTimeSec;
        last = any ? std::max(last, ost.outputTimeSec) : ost.outputTimeSec;
        any = true;
    }
    if (any && (last - first) * 1e6 > static_cast<double>(limitUs)) {
        fail(
            FormatText("The output reached %.1f s, far beyond the %.1f s the input lasts: its "
                       "time stamps are broken. The conversion was stopped",
                       last - first, static_cast<double>(expectedUs) / 1e6));
    }
}

}  // namespace velmora
