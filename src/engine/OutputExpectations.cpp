// What a run owes each output stream: where it should end (checked once the output is written)
// and that it gets something at all when its source had something to give.
#include <algorithm>
#include <limits>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "medialib/StreamTimes.h"

namespace velmora {

namespace {

constexpr int64_t kNoCap = std::numeric_limits<int64_t>::max();

bool hasDuration(AVMediaType type) {
    // Subtitles are sparse: their last event may come long before the end of the film.
    return type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO;
}

int typeSlot(AVMediaType type) {
    return type >= 0 && type < 4 ? type : AVMEDIA_TYPE_DATA;
}

}  // namespace

void TranscodeSession::noteExpectedEnds() {
    // A frame limit ends the loop for every stream, so the shortest cap applies to all of them;
    // a limit whose frame length is unknown leaves nothing to expect.
    int64_t capUs = m_run.recordingTimeUs;
    bool capKnown = true;
    for (const OutputStream& ost : m_outputStreams) {
        const int64_t limit = m_run.maxFrames[typeSlot(ost.type)];
        if (limit == EngineSettings::kNoFrameLimit) {
            continue;
        }
        double frameSeconds = 0.0;
        const AVCodecContext* enc = ost.encoderContext.get();
        if (ost.type == AVMEDIA_TYPE_VIDEO) {
            if (!ost.streamCopy && enc != nullptr && enc->time_base.num > 0) {
                frameSeconds = av_q2d(enc->time_base);
            } else if (ost.sourceIndex >= 0) {
                const AVRational rate = m_inputStreams[ost.sourceIndex].stream->avg_frame_rate;
                frameSeconds = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0.0;
            }
        } else if (ost.type == AVMEDIA_TYPE_AUDIO && !ost.streamCopy && enc != nullptr &&
                   enc->frame_size > 0 && enc->sample_rate > 0) {
            frameSeconds = static_cast<double>(enc->frame_size) / enc->sample_rate;
        }
        if (frameSeconds <= 0.0) {
            capKnown = false;
            continue;
        }
        capUs =
            std::min(capUs, static_cast<int64_t>(static_cast<double>(limit) * frameSeconds * 1e6));
    }

    int64_t joinedEndUs = 0;
    for (const InputFile& file : m_inputs) {
        const int64_t end = StatedContainerEndUs(file.context.get());
        if (end < 0 || DurationsAreEstimated(file.context.get())) {
            joinedEndUs = -1;
            break;
        }
        joinedEndUs += file.context->duration;
    }

    int64_t shortestUs = kNoCap;
    for (OutputStream& ost : m_outputStreams) {
        ost.expectedEndUs = -1;
        if (!capKnown || !hasDuration(ost.type) || ost.sourceIndex < 0) {
            continue;
        }
        int64_t endUs = -1;
        if (m_joinMode) {
            endUs = joinedEndUs < 0 ? -1 : joinedEndUs - m_run.startTimeUs;
        } else {
            const InputStream& ist = m_inputStreams[ost.sourceIndex];
            const InputFile& file = m_inputs[ist.fileIndex];
            const AVFormatContext* context = file.context.get();
            if (DurationsAreEstimated(context)) {
                continue;  // a guess from the bit rate promises nothing
            }
            int64_t sourceEndUs = StatedStreamEndUs(context, ist.stream);
            if (sourceEndUs < 0) {
                sourceEndUs = StatedContainerEndUs(context);
            }
            if (sourceEndUs < 0) {
                continue;
            }
            // The packets of the source reach the output shifted by the file's offset and the
            // output's start.
            endUs = sourceEndUs + file.tsOffsetUs - m_run.startTimeUs;
        }
        endUs = std::min(endUs, capUs);
        if (endUs > 0) {
            ost.expectedEndUs = endUs;
            shortestUs = std::min(shortestUs, endUs);
        }
    }
    // "shortest" ends every stream with the first input that ends.
    if (m_run.shortest && m_inputs.size() > 1 && shortestUs != kNoCap) {
        for (OutputStream& ost : m_outputStreams) {
            if (ost.expectedEndUs > shortestUs) {
                ost.expectedEndUs = shortestUs;
            }
        }
    }
}

void TranscodeSession::forgetExpectedEnds() {
    for (OutputStream& ost : m_outputStreams) {
        ost.expectedEndUs = -1;
    }
}

void TranscodeSession::noteSourcePacket(InputStream& ist, const AVPacket* packet) {
    const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (m_run.startTimeUs == 0 || stamp == AV_NOPTS_VALUE ||
        lib::avutil.av_compare_ts(stamp, ist.stream->time_base, m_run.startTimeUs,
                                  AV_TIME_BASE_Q) >= 0) {
        ++ist.packetsInRange;
    }
}

void TranscodeSession::requireEveryStreamFed() {
    if (m_owner.StopRequested() || m_endedBySizeLimit) {
        return;
    }
    for (const OutputStream& ost : m_outputStreams) {
        if (ost.frameCount >= m_run.maxFrames[typeSlot(ost.type)]) {
            return;  // the run was cut short on purpose
        }
    }
    for (const OutputStream& ost : m_outputStreams) {
        if (ost.packetsWritten > 0 || ost.sourceIndex < 0 || !hasDuration(ost.type)) {
            continue;
        }
        const InputStream& ist = m_inputStreams[ost.sourceIndex];
        if (ist.packetsInRange > 0) {
            fail(FormatText(
                "Output stream #%d.%d (%s) received no data although input stream "
                "#%d.%d had %lld packets for it",
                ost.fileIndex, ost.index, lib::avutil.av_get_media_type_string(ost.type),
                ist.fileIndex, ist.streamIndex, static_cast<long long>(ist.packetsInRange)));
        }
    }
}

}  // namespace velmora
