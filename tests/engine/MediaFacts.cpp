#include "engine/MediaFacts.h"

#include <algorithm>

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

}  // namespace velmora::test
