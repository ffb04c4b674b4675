// Streams whose decoder cannot be opened (a damaged codec header, a codec without a decoder):
// found when the input is opened, and left out of an output that has other streams to convert
// instead of refusing the whole file.
#include <mutex>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"

namespace velmora {

namespace {

const char* typeName(AVMediaType type) {
    const char* name = lib::avutil.av_get_media_type_string(type);
    return name != nullptr ? name : "unknown";
}

}  // namespace

std::string DecoderOpenFailure(const AVStream* stream, const AVCodec* forced) {
    const AVCodecParameters* parameters = stream->codecpar;
    if (parameters->codec_type != AVMEDIA_TYPE_VIDEO &&
        parameters->codec_type != AVMEDIA_TYPE_AUDIO) {
        return {};
    }
    const AVCodec* codec =
        forced != nullptr ? forced : lib::avcodec.avcodec_find_decoder(parameters->codec_id);
    if (codec == nullptr) {
        return FormatText("no decoder for %s", lib::avcodec.avcodec_get_name(parameters->codec_id));
    }
    CodecContextPtr context(lib::avcodec.avcodec_alloc_context3(codec));
    if (!context || lib::avcodec.avcodec_parameters_to_context(context.get(), parameters) < 0) {
        return "out of memory";
    }
    // A trial only: one thread keeps it cheap.
    context->thread_count = 1;
    context->pkt_timebase = stream->time_base;
    std::lock_guard lock(CodecLock());
    const int result = lib::avcodec.avcodec_open2(context.get(), codec, nullptr);
    context.reset();
    return result < 0 ? LibraryErrorText(result) : std::string();
}

void TranscodeSession::leaveOutUndecodableTypes(bool& useVideo, bool& useAudio, bool useSubtitle,
                                                const EngineSettings& settings, bool firstOnly) {
    struct Kind {
        AVMediaType type;
        bool& used;
        bool copied;
    };
    Kind candidates[] = {{AVMEDIA_TYPE_VIDEO, useVideo, settings.videoStreamCopy},
                         {AVMEDIA_TYPE_AUDIO, useAudio, settings.audioStreamCopy}};
    std::vector<std::string> dropped;
    std::vector<bool*> leftOut;
    for (Kind& kind : candidates) {
        // A copied stream is not decoded; a type with one decodable stream is converted.
        if (!kind.used || kind.copied) {
            continue;
        }
        bool present = false;
        bool decodable = false;
        std::vector<std::string> reasons;
        for (size_t f = 0; f < m_inputs.size() && !(firstOnly && f > 0); ++f) {
            const InputFile& file = m_inputs[f];
            for (unsigned s = 0; s < file.context->nb_streams; ++s) {
                const AVStream* stream = file.context->streams[s];
                if (stream->codecpar->codec_type != kind.type || stream->discard == AVDISCARD_ALL) {
                    continue;
                }
                present = true;
                const std::string failure =
                    s < file.decoderFailures.size() ? file.decoderFailures[s] : std::string();
                if (failure.empty()) {
                    decodable = true;
                } else {
                    reasons.push_back(FormatText("#%d.%d (%s): its decoder cannot be opened: %s",
                                                 static_cast<int>(f), static_cast<int>(s),
                                                 typeName(kind.type), failure.c_str()));
                }
            }
        }
        if (present && !decodable) {
            leftOut.push_back(&kind.used);
            dropped.insert(dropped.end(), reasons.begin(), reasons.end());
        }
    }
    if (leftOut.empty()) {
        return;
    }
    // Nothing would be left to convert: the run fails on the decoder, as it always did.
    const int remaining = (useVideo ? 1 : 0) + (useAudio ? 1 : 0) + (useSubtitle ? 1 : 0) -
                          static_cast<int>(leftOut.size());
    if (remaining <= 0) {
        return;
    }
    for (bool* used : leftOut) {
        *used = false;
    }
    for (const std::string& text : dropped) {
        Logger().Log(&m_owner, TLogLevel::llWarning, "Input stream " + text + "; it is left out");
        m_droppedStreams.push_back(text);
    }
}

}  // namespace velmora
