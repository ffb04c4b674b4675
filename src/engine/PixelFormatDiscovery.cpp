// Learning what stream analysis could not: an AVI read without its index gives its packets in
// file order, and when a recorder wrote seconds of audio ahead of the first picture the analysis
// ends before any picture was decoded. The pictures decode fine; the first ones are decoded here,
// within a bound, and the packets read on the way are kept for the run.
#include <mutex>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {

namespace {

// How far ahead an input is read to find the first picture.
constexpr size_t kMaxPacketsAhead = 1000;
constexpr int64_t kMaxBytesAhead = 64 * 1024 * 1024;
constexpr int kMaxRetries = 100;  // "try again" answers, 10 ms apart

// A decoder opened for the search only; closed under the codec lock.
struct TrialDecoder {
    CodecContextPtr context;
    ~TrialDecoder() {
        std::lock_guard lock(CodecLock());
        context.reset();
    }
};

bool formatKnown(const AVCodecParameters* parameters) {
    return parameters->format != AV_PIX_FMT_NONE && parameters->width > 0 && parameters->height > 0;
}

}  // namespace

void TranscodeSession::discoverVideoFormats() {
    for (const OutputStream& ost : m_outputStreams) {
        if (ost.type != AVMEDIA_TYPE_VIDEO || ost.streamCopy || ost.sourceIndex < 0) {
            continue;
        }
        InputStream& ist = m_inputStreams[ost.sourceIndex];
        if (formatKnown(ist.stream->codecpar) || ist.undecodable) {
            continue;
        }
        if (discoverVideoFormat(ist)) {
            const AVCodecParameters* parameters = ist.stream->codecpar;
            const char* name =
                lib::avutil.av_get_pix_fmt_name(static_cast<AVPixelFormat>(parameters->format));
            log(5, FormatText("Input stream #%d.%d: picture format %s, %dx%d, found by decoding",
                              ist.fileIndex, ist.streamIndex, name != nullptr ? name : "?",
                              parameters->width, parameters->height));
        }
        // Otherwise the stream set-up refuses it, as it always did.
    }
}

bool TranscodeSession::discoverVideoFormat(InputStream& ist) {
    InputFile& file = m_inputs[ist.fileIndex];
    AVCodecParameters* parameters = ist.stream->codecpar;
    const AVCodec* codec = ist.decoder != nullptr
                               ? ist.decoder
                               : lib::avcodec.avcodec_find_decoder(parameters->codec_id);
    if (codec == nullptr) {
        return false;
    }
    TrialDecoder decoder;
    decoder.context.reset(lib::avcodec.avcodec_alloc_context3(codec));
    AVCodecContext* dec = decoder.context.get();
    if (dec == nullptr || lib::avcodec.avcodec_parameters_to_context(dec, parameters) < 0) {
        return false;
    }
    dec->pkt_timebase = ist.stream->time_base;
    dec->thread_count = 1;
    {
        std::lock_guard lock(CodecLock());
        if (lib::avcodec.avcodec_open2(dec, codec, nullptr) < 0) {
            return false;
        }
    }
    FramePtr frame = makeFrame();
    // True once a picture came out; a packet the decoder refuses is passed over.
    auto decodes = [&](const AVPacket* packet) {
        if (packet->stream_index != ist.streamIndex) {
            return false;
        }
        const int sent = lib::avcodec.avcodec_send_packet(dec, packet);
        if (sent < 0 && sent != AVERROR(EAGAIN)) {
            return false;
        }
        return lib::avcodec.avcodec_receive_frame(dec, frame.get()) >= 0;
    };
    bool found = false;
    int64_t bytes = 0;
    for (const PacketPtr& packet : file.readAhead) {
        bytes += packet->size;
        found = found || decodes(packet.get());
    }
    int retries = 0;
    while (!found && file.readAhead.size() < kMaxPacketsAhead && bytes < kMaxBytesAhead &&
           !m_owner.StopRequested()) {
        PacketPtr packet = makePacket();
        const int result = lib::avformat.av_read_frame(file.context.get(), packet.get());
        if (result == AVERROR(EAGAIN) && ++retries <= kMaxRetries) {
            lib::avutil.av_usleep(10000);
            continue;
        }
        if (result < 0) {
            break;  // the run reads on from here and meets the failure itself
        }
        bytes += packet->size;
        found = decodes(packet.get());
        file.readAhead.push_back(std::move(packet));
    }
    if (!found) {
        return false;
    }
    parameters->format = frame->format;
    if (parameters->width <= 0 || parameters->height <= 0) {
        parameters->width = frame->width;
        parameters->height = frame->height;
    }
    if (parameters->sample_aspect_ratio.num <= 0) {
        parameters->sample_aspect_ratio = frame->sample_aspect_ratio;
    }
    return true;
}

int TranscodeSession::readPacket(InputFile& file, AVPacket* packet) {
    if (file.readAhead.empty()) {
        return lib::avformat.av_read_frame(file.context.get(), packet);
    }
    const int result = lib::avcodec.av_packet_ref(packet, file.readAhead.front().get());
    file.readAhead.pop_front();
    return result;
}

}  // namespace velmora
