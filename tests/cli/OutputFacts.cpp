#include "OutputFacts.h"

#include <cstdlib>
#include <mutex>

#include "medialib/LibraryBindings.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"

namespace velmora::cli::test {

namespace {

// The engine replaces the one encoder name that no longer exists.
const AVCodec* encoderOf(const std::string& codec) {
    const std::string name = codec == "libfaac" ? "aac" : codec;
    return lib::avcodec.avcodec_find_encoder_by_name(name.c_str());
}

// For containers that record no duration: from the earliest packet start to the latest packet
// end, over every stream.
double packetSpan(AVFormatContext* context) {
    PacketPtr packet = makePacket();
    double first = -1;
    double last = -1;
    while (lib::avformat.av_read_frame(context, packet.get()) >= 0) {
        const AVStream* stream = context->streams[packet->stream_index];
        if (packet->pts != AV_NOPTS_VALUE) {
            const double base = av_q2d(stream->time_base);
            const double start = static_cast<double>(packet->pts) * base;
            const double end = static_cast<double>(packet->pts + packet->duration) * base;
            first = first < 0 ? start : std::min(first, start);
            last = std::max(last, end);
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
    return first < 0 ? -1 : last - first;
}

}  // namespace

OutputFacts readOutputFacts(const std::string& path) {
    OutputFacts facts;
    AVFormatContext* raw = nullptr;
    const int opened = lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (opened < 0) {
        facts.error = "cannot open " + path;
        return facts;
    }
    InputFormatPtr context(raw);
    {
        std::lock_guard lock(CodecLock());
        if (lib::avformat.avformat_find_stream_info(context.get(), nullptr) < 0) {
            facts.error = "no stream information in " + path;
            return facts;
        }
    }
    facts.opened = true;
    const std::string names = context->iformat->name;
    facts.format = names.substr(0, names.find(','));
    double longest = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* stream = context->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        if (stream->duration != AV_NOPTS_VALUE) {
            longest = std::max(longest,
                               static_cast<double>(stream->duration) * av_q2d(stream->time_base));
        }
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && !facts.hasVideo) {
            facts.hasVideo = true;
            facts.videoCodec = lib::avcodec.avcodec_get_name(parameters->codec_id);
            facts.width = parameters->width;
            facts.height = parameters->height;
            const AVRational sample = stream->sample_aspect_ratio.num > 0
                                          ? stream->sample_aspect_ratio
                                          : parameters->sample_aspect_ratio;
            facts.displayAspect = parameters->height > 0
                                      ? (sample.num > 0 && sample.den > 0 ? av_q2d(sample) : 1.0) *
                                            parameters->width / parameters->height
                                      : 0;
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO && !facts.hasAudio) {
            facts.hasAudio = true;
            facts.audioCodec = lib::avcodec.avcodec_get_name(parameters->codec_id);
            facts.channels = parameters->ch_layout.nb_channels;
            facts.sampleRate = parameters->sample_rate;
        }
    }
    if (context->duration != AV_NOPTS_VALUE) {
        facts.durationSeconds = static_cast<double>(context->duration) / AV_TIME_BASE;
    } else if (longest >= 0) {
        facts.durationSeconds = longest;
    } else {
        facts.durationSeconds = packetSpan(context.get());
    }
    return facts;
}

namespace {

// The encoder the engine uses: the named one, else the muxer's default for the file name (or the
// forced format).
const AVCodec* chosenEncoder(const std::string& encoderName, const std::string& fileName,
                             const std::string& format, bool video) {
    if (!encoderName.empty()) {
        return encoderOf(encoderName);
    }
    const AVOutputFormat* muxer = lib::avformat.av_guess_format(
        format.empty() ? nullptr : format.c_str(), fileName.c_str(), nullptr);
    if (muxer == nullptr) {
        return nullptr;
    }
    return lib::avcodec.avcodec_find_encoder(video ? muxer->video_codec : muxer->audio_codec);
}

}  // namespace

std::string expectedCodec(const std::string& encoderName, const std::string& fileName,
                          const std::string& format, bool video) {
    const AVCodec* encoder = chosenEncoder(encoderName, fileName, format, video);
    return encoder ? lib::avcodec.avcodec_get_name(encoder->id) : "";
}

int expectedSampleRate(const std::string& encoderName, const std::string& fileName,
                       const std::string& format, int requested) {
    const AVCodec* encoder = chosenEncoder(encoderName, fileName, format, false);
    if (encoder == nullptr || encoder->supported_samplerates == nullptr) {
        return requested;
    }
    int best = encoder->supported_samplerates[0];
    for (const int* rate = encoder->supported_samplerates; *rate != 0; ++rate) {
        if (std::abs(*rate - requested) < std::abs(best - requested)) {
            best = *rate;
        }
    }
    return best;
}

int expectedChannels(const std::string& encoderName, const std::string& fileName,
                     const std::string& format, int requested) {
    const AVCodec* encoder = chosenEncoder(encoderName, fileName, format, false);
    if (encoder == nullptr || encoder->ch_layouts == nullptr) {
        return requested;
    }
    for (const AVChannelLayout* layout = encoder->ch_layouts; layout->nb_channels != 0; ++layout) {
        if (layout->nb_channels == requested) {
            return requested;
        }
    }
    return encoder->ch_layouts[0].nb_channels;
}

}  // namespace velmora::cli::test
