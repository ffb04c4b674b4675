#include "engine/MediaFacts.h"

#include <algorithm>
#include <cmath>

#include "medialib/LibraryHandles.h"

namespace velmora::test {

const StreamFacts* MediaFacts::find(AVMediaType type) const {
    for (const StreamFacts& stream : streams) {
        if (stream.type == type) {
            return &stream;
        }
    }
    return nullptr;
}

double StreamFacts::displayAspect() const {
    if (height <= 0) {
        return 0.0;
    }
    const double sample = sampleAspect.num > 0 && sampleAspect.den > 0 ? av_q2d(sampleAspect) : 1.0;
    return sample * width / height;
}

int MediaFacts::count(AVMediaType type) const {
    return static_cast<int>(std::count_if(streams.begin(), streams.end(),
                                          [type](const StreamFacts& s) { return s.type == type; }));
}

MediaFacts ReadMediaFacts(const std::string& path) {
    MediaFacts facts;
    AVFormatContext* raw = nullptr;
    int result = lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (result < 0) {
        facts.error = "cannot open " + path;
        return facts;
    }
    InputFormatPtr context(raw);
    if (lib::avformat.avformat_find_stream_info(raw, nullptr) < 0) {
        facts.error = "no stream information in " + path;
        return facts;
    }
    facts.opened = true;
    facts.format = raw->iformat->name;
    std::vector<bool> seen(raw->nb_streams, false);
    for (unsigned i = 0; i < raw->nb_streams; ++i) {
        const AVCodecParameters* parameters = raw->streams[i]->codecpar;
        StreamFacts stream;
        stream.type = parameters->codec_type;
        stream.codec = lib::avcodec.avcodec_get_name(parameters->codec_id);
        stream.width = parameters->width;
        stream.height = parameters->height;
        stream.channels = parameters->ch_layout.nb_channels;
        stream.sampleRate = parameters->sample_rate;
        stream.bitRate = parameters->bit_rate;
        stream.sampleAspect = raw->streams[i]->sample_aspect_ratio.num > 0
                                  ? raw->streams[i]->sample_aspect_ratio
                                  : parameters->sample_aspect_ratio;
        facts.streams.push_back(stream);
    }
    PacketPtr packet = makePacket();
    while (lib::avformat.av_read_frame(raw, packet.get()) >= 0) {
        const int index = packet->stream_index;
        if (index >= 0 && index < static_cast<int>(facts.streams.size())) {
            StreamFacts& stream = facts.streams[index];
            const double base = av_q2d(raw->streams[index]->time_base);
            const int64_t ts = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
            ++stream.packets;
            stream.packetSeconds +=
                static_cast<double>(std::max<int64_t>(packet->duration, 0)) * base;
            if (packet->flags & AV_PKT_FLAG_KEY) {
                ++stream.keyPackets;
            }
            if (ts != AV_NOPTS_VALUE) {
                const double start = ts * base;
                const double end = (ts + std::max<int64_t>(packet->duration, 0)) * base;
                if (!seen[index] || start < stream.firstSeconds) {
                    stream.firstSeconds = start;
                }
                stream.endSeconds = std::max(seen[index] ? stream.endSeconds : end, end);
                seen[index] = true;
            }
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
    return facts;
}

AudioPeaks DecodeAudioPeaks(const std::string& path) {
    AudioPeaks result;
    AVFormatContext* raw = nullptr;
    if (lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        return result;
    }
    InputFormatPtr context(raw);
    if (lib::avformat.avformat_find_stream_info(raw, nullptr) < 0) {
        return result;
    }
    const int index =
        lib::avformat.av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0) {
        return result;
    }
    const AVCodecParameters* parameters = raw->streams[index]->codecpar;
    const AVCodec* codec = lib::avcodec.avcodec_find_decoder(parameters->codec_id);
    CodecContextPtr decoder(lib::avcodec.avcodec_alloc_context3(codec));
    if (codec == nullptr || !decoder ||
        lib::avcodec.avcodec_parameters_to_context(decoder.get(), parameters) < 0 ||
        lib::avcodec.avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        return result;
    }
    const int channels = parameters->ch_layout.nb_channels;
    result.peaks.assign(static_cast<size_t>(std::max(channels, 0)), 0.0);
    PacketPtr packet = makePacket();
    FramePtr frame = makeFrame();
    // Every sample as a double, whatever the decoder's format.
    auto take = [&](const AVFrame* decoded) {
        const auto format = static_cast<AVSampleFormat>(decoded->format);
        const bool planar = lib::avutil.av_sample_fmt_is_planar(format) != 0;
        for (int c = 0; c < channels; ++c) {
            for (int i = 0; i < decoded->nb_samples; ++i) {
                const int plane = planar ? c : 0;
                const int at = planar ? i : i * channels + c;
                const uint8_t* data = decoded->extended_data[plane];
                double value = 0.0;
                switch (lib::avutil.av_get_packed_sample_fmt(format)) {
                    case AV_SAMPLE_FMT_S16:
                        value = reinterpret_cast<const int16_t*>(data)[at] / 32768.0;
                        break;
                    case AV_SAMPLE_FMT_S32:
                        value = reinterpret_cast<const int32_t*>(data)[at] / 2147483648.0;
                        break;
                    case AV_SAMPLE_FMT_FLT:
                        value = reinterpret_cast<const float*>(data)[at];
                        break;
                    case AV_SAMPLE_FMT_DBL:
                        value = reinterpret_cast<const double*>(data)[at];
                        break;
                    default:
                        break;
                }
                result.peaks[c] = std::max(result.peaks[c], std::abs(value));
            }
        }
        result.samples += decoded->nb_samples;
    };
    auto drain = [&]() {
        while (lib::avcodec.avcodec_receive_frame(decoder.get(), frame.get()) >= 0) {
            take(frame.get());
            lib::avutil.av_frame_unref(frame.get());
        }
    };
    while (lib::avformat.av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index &&
            lib::avcodec.avcodec_send_packet(decoder.get(), packet.get()) >= 0) {
            drain();
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
    lib::avcodec.avcodec_send_packet(decoder.get(), nullptr);
    drain();
    return result;
}

}  // namespace velmora::test
