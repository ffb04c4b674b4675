// The size limit ("fs") of the first output, fed from the run. Its packets are held and handed
// to the muxer in time order across its streams: an encoder with a look-ahead gives its packets
// a second or two after the audio of the same time, and a limit applied in the order packets
// come would end the audio there and the pictures far earlier.
#include <algorithm>
#include <deque>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"

namespace velmora {

namespace {

// A stream that gives nothing for this long does not hold the others back.
constexpr int64_t kLongestWaitUs = 10 * AV_TIME_BASE;

int64_t writePosition(const AVFormatContext* context) {
    return context != nullptr && context->pb != nullptr
               ? std::max<int64_t>(lib::avformat.avio_seek(context->pb, 0, SEEK_CUR), 0)
               : 0;
}

// Streams that deliver steadily; a subtitle stream may be silent for minutes.
bool deliversSteadily(const OutputStream& ost) {
    return ost.fed && (ost.type == AVMEDIA_TYPE_VIDEO || ost.type == AVMEDIA_TYPE_AUDIO);
}

}  // namespace

void TranscodeSession::startSizeLimit() {
    m_heldPackets.clear();
    m_heldPerStream.assign(m_outputStreams.size(), 0);
    const AVFormatContext* first = m_outputs.empty() ? nullptr : m_outputs.front().context;
    // Only a file has a size; a muxer that writes no byte stream of its own has none to limit.
    const bool limited = m_run.limitFileSizeBytes > 0 && first != nullptr && first->pb != nullptr;
    m_sizeLimit.start(limited ? m_run.limitFileSizeBytes : 0,
                      ContainerOverheadOf(first != nullptr ? first->oformat->name : ""),
                      writePosition(first));
}

bool TranscodeSession::holdForSizeLimit(OutputStream& ost, const AVPacket* packet) {
    if (ost.fileIndex != 0 || !m_sizeLimit.active()) {
        return false;
    }
    if (m_sizeLimit.cut()) {
        return true;  // past the limit: neither this packet nor any after it
    }
    const size_t streamTableIndex = static_cast<size_t>(&ost - m_outputStreams.data());
    HeldPacket held;
    held.streamTableIndex = streamTableIndex;
    held.packet.reset(lib::avcodec.av_packet_clone(packet));
    if (!held.packet) {
        fail("av_mallocz fail");
    }
    const int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    if (stamp != AV_NOPTS_VALUE) {
        held.timeUs = lib::avutil.av_rescale_q(stamp, ost.stream->time_base, AV_TIME_BASE_Q);
    } else {
        // Without a time it goes out after everything held so far.
        held.timeUs = m_heldPackets.empty() ? 0 : m_heldPackets.back().timeUs;
    }
    const auto place = std::upper_bound(
        m_heldPackets.begin(), m_heldPackets.end(), held.timeUs,
        [](int64_t timeUs, const HeldPacket& other) { return timeUs < other.timeUs; });
    m_heldPackets.insert(place, std::move(held));
    ++m_heldPerStream[streamTableIndex];
    releaseHeldPackets(false);
    return true;
}

void TranscodeSession::releaseHeldPackets(bool all) {
    // The earliest packet is due once every steadily delivering stream of the output has one
    // held (nothing earlier can come from it any more), or once the others have waited long.
    auto due = [this]() {
        if (m_heldPackets.back().timeUs - m_heldPackets.front().timeUs > kLongestWaitUs) {
            return true;
        }
        for (size_t i = 0; i < m_outputStreams.size(); ++i) {
            const OutputStream& ost = m_outputStreams[i];
            if (ost.fileIndex == 0 && deliversSteadily(ost) && m_heldPerStream[i] == 0) {
                return false;
            }
        }
        return true;
    };
    while (!m_heldPackets.empty() && (all || due())) {
        HeldPacket next = std::move(m_heldPackets.front());
        m_heldPackets.pop_front();
        --m_heldPerStream[next.streamTableIndex];
        if (!m_sizeLimit.admit(next.packet->size, writePosition(m_outputs.front().context))) {
            // Full: what is still held stays out as well.
            m_endedBySizeLimit = true;
            m_heldPackets.clear();
            std::fill(m_heldPerStream.begin(), m_heldPerStream.end(), 0);
            return;
        }
        muxPacket(m_outputStreams[next.streamTableIndex], next.packet.get());
    }
}

}  // namespace velmora
