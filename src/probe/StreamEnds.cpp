#include "probe/StreamEnds.h"

#include <algorithm>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/StreamTimes.h"

namespace velmora {

namespace {

// The end of the last packet of each stream (0 for a stream without packets, -1 for one whose
// packets carry no time); false when the time limit ran out first.
bool scanPacketEnds(AVFormatContext* context, std::vector<std::int64_t>& ends) {
    PacketPtr packet = makePacket();
    if (!packet) {
        return false;
    }
    std::vector<bool> seen(ends.size(), false);
    const std::int64_t deadlineUs =
        lib::avutil.av_gettime_relative() + std::int64_t{kStreamScanLimitMs} * 1000;
    for (std::int64_t count = 0;; ++count) {
        if (count % 256 == 0 && lib::avutil.av_gettime_relative() > deadlineUs) {
            return false;
        }
        if (lib::avformat.av_read_frame(context, packet.get()) < 0) {
            // The end of the file, or data it cannot read past.
            for (std::size_t i = 0; i < ends.size(); ++i) {
                if (!seen[i]) {
                    ends[i] = 0;
                }
            }
            return true;
        }
        const int index = packet->stream_index;
        if (index >= 0 && static_cast<std::size_t>(index) < seen.size()) {
            seen[static_cast<std::size_t>(index)] = true;
        }
        const std::int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (index >= 0 && static_cast<std::size_t>(index) < ends.size() &&
            stamp != AV_NOPTS_VALUE) {
            const AVRational base = context->streams[index]->time_base;
            const std::int64_t end = lib::avutil.av_rescale_q(
                stamp + std::max<std::int64_t>(packet->duration, 0), base, AV_TIME_BASE_Q);
            ends[static_cast<std::size_t>(index)] =
                std::max(ends[static_cast<std::size_t>(index)], end);
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
}

}  // namespace

std::vector<std::int64_t> MeasureStreamEndsUs(TCustomMediaProbe& probe) {
    AVFormatContext* context = probe.FormatContext();
    if (context == nullptr) {
        return {};
    }
    std::vector<std::int64_t> ends(context->nb_streams, -1);
    if (DurationsAreEstimated(context)) {
        if (!scanPacketEnds(context, ends)) {
            std::fill(ends.begin(), ends.end(), -1);
        }
        return ends;
    }
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        ends[i] = StatedStreamEndUs(context, context->streams[i]);
    }
    return ends;
}

}  // namespace velmora
