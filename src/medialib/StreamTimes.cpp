#include "medialib/StreamTimes.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "medialib/MediaLibLoader.h"

namespace velmora {

namespace {

// Seconds to microseconds, saturating: a damaged header may state anything.
std::int64_t secondsToUs(double seconds) {
    const double us = seconds * 1e6;
    if (!std::isfinite(us)) {
        return -1;
    }
    constexpr double kLimit = 9.0e18;
    return static_cast<std::int64_t>(std::fmax(-kLimit, std::fmin(kLimit, us)));
}

// The stream's duration in its time base; AV_NOPTS_VALUE when unknown. Without its index (a
// cut download) an AVI is counted from the chunks still there, while the stream header keeps
// the frame count that was written; for video one frame is one tick of the time base. The
// longer of the two is what the file promises.
std::int64_t statedDurationTicks(const AVFormatContext* context, const AVStream* stream) {
    const bool aviVideo = context->iformat != nullptr && context->iformat->name != nullptr &&
                          std::strcmp(context->iformat->name, "avi") == 0 &&
                          stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
    if (aviVideo && stream->nb_frames > 0 &&
        (stream->duration == AV_NOPTS_VALUE || stream->nb_frames > stream->duration)) {
        return stream->nb_frames;
    }
    return stream->duration;
}

}  // namespace

std::int64_t ParseDurationTagUs(const char* text) {
    if (text == nullptr) {
        return -1;
    }
    unsigned hours = 0;
    unsigned minutes = 0;
    double seconds = 0.0;
    int used = 0;
    if (std::sscanf(text, "%u:%2u:%lf%n", &hours, &minutes, &seconds, &used) != 3 ||
        text[used] != '\0' || minutes >= 60 || seconds < 0.0 || seconds >= 60.0) {
        return -1;
    }
    return secondsToUs(hours * 3600.0 + minutes * 60.0 + seconds);
}

std::int64_t StatedStreamEndUs(const AVFormatContext* context, const AVStream* stream) {
    const AVRational base = stream->time_base;
    const std::int64_t duration = statedDurationTicks(context, stream);
    if (duration > 0 && base.num > 0 && base.den > 0) {
        const double start =
            stream->start_time != AV_NOPTS_VALUE ? static_cast<double>(stream->start_time) : 0.0;
        return secondsToUs((start + static_cast<double>(duration)) * av_q2d(base));
    }
    const AVDictionaryEntry* tag =
        lib::avutil.av_dict_get(stream->metadata, "DURATION", nullptr, 0);
    return tag != nullptr ? ParseDurationTagUs(tag->value) : -1;
}

std::int64_t StatedContainerEndUs(const AVFormatContext* context) {
    if (context->duration == AV_NOPTS_VALUE || context->duration <= 0) {
        return -1;
    }
    const double start =
        context->start_time != AV_NOPTS_VALUE ? static_cast<double>(context->start_time) : 0.0;
    return secondsToUs((start + static_cast<double>(context->duration)) / 1e6);
}

bool DurationsAreEstimated(const AVFormatContext* context) {
    return context->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
}

}  // namespace velmora
