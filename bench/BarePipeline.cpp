// The reference program of the engine benchmark: the shortest efficient road from one input
// with a video and an audio stream to one output, written directly against the loaded media
// libraries. Demux, decode, scale (video) or convert and cut into encoder frames (audio),
// encode, interleaved mux. No options, no synchronisation, no progress: what is left when the
// engine's features are taken away, so that the difference is what those features cost.
//
// Usage: velmora-bench-bare INPUT OUTPUT CONTAINER VCODEC WIDTH HEIGHT VBITRATE ACODEC ABITRATE
//        [VPRESET [SIZELIMIT]]
// VCODEC "-" makes an audio-only output from the input's audio (WIDTH, HEIGHT and VBITRATE are
// then ignored), for the small sound files of the per-file cost benchmark.
// Bit rates are in bit/s; VPRESET names a built-in preset ("libx264-default", "-" for none);
// SIZELIMIT (bytes) stops reading once the packets handed to the muxer reach it, the plainest
// form of a size limit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <string>

#include "engine/EngineSettings.h"
#include "engine/Presets.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {
namespace {

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

void check(int result, const std::string& what) {
    if (result < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        lib::avutil.av_strerror(result, text, sizeof(text));
        fail(what + ": " + text);
    }
}

// Codecs are opened under the codec lock, so they are freed under it as well.
struct LockedCodecContextDeleter {
    void operator()(AVCodecContext* context) const {
        std::lock_guard lock(CodecLock());
        CodecContextDeleter()(context);
    }
};
using CodecPtr = std::unique_ptr<AVCodecContext, LockedCodecContextDeleter>;

struct Job {
    std::string input;
    std::string output;
    std::string container;
    std::string videoEncoder;
    int width = 0;
    int height = 0;
    int64_t videoBitRate = 0;
    std::string audioEncoder;
    int64_t audioBitRate = 0;
    std::string videoPreset;
    int64_t sizeLimit = 0;  // bytes; 0: none
};

void openCodec(AVCodecContext* context, const AVCodec* codec, const char* what) {
    std::lock_guard lock(CodecLock());
    check(lib::avcodec.avcodec_open2(context, codec, nullptr), what);
}

CodecPtr openDecoder(AVStream* stream) {
    const AVCodec* codec = lib::avcodec.avcodec_find_decoder(stream->codecpar->codec_id);
    if (codec == nullptr) {
        fail("no decoder for input stream " + std::to_string(stream->index));
    }
    CodecPtr context(lib::avcodec.avcodec_alloc_context3(codec));
    check(lib::avcodec.avcodec_parameters_to_context(context.get(), stream->codecpar),
          "decoder parameters");
    context->pkt_timebase = stream->time_base;
    context->thread_count = 0;
    openCodec(context.get(), codec, "open decoder");
    return context;
}

const AVCodec* findEncoder(const std::string& name) {
    const AVCodec* codec = lib::avcodec.avcodec_find_encoder_by_name(name.c_str());
    if (codec == nullptr) {
        fail("unknown encoder " + name);
    }
    return codec;
}

// The preset pairs, applied the way the engine applies them to its encoder.
void applyPreset(AVCodecContext* encoder, const std::string& name) {
    const auto text = FindBuiltInPreset(name);
    if (!text) {
        fail("unknown preset " + name);
    }
    EngineSettings settings;
    std::string_view rest = *text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            continue;
        }
        settings.presetOptions.push_back(PresetOption{AVMEDIA_TYPE_VIDEO, name,
                                                      std::string(line.substr(0, equals)),
                                                      std::string(line.substr(equals + 1))});
    }
    ApplyPresetOptions(encoder, AVMEDIA_TYPE_VIDEO, settings);
}

class Pipeline {
public:
    explicit Pipeline(const Job& job) : m_job(job) {}

    void run() {
        openInput();
        openOutput();
        PacketPtr packet = makePacket();
        while ((m_job.sizeLimit <= 0 || m_muxedBytes < m_job.sizeLimit) &&
               lib::avformat.av_read_frame(m_input.get(), packet.get()) >= 0) {
            if (m_videoIn != nullptr && packet->stream_index == m_videoIn->index) {
                decode(m_videoDecoder.get(), packet.get(), true);
            } else if (packet->stream_index == m_audioIn->index) {
                decode(m_audioDecoder.get(), packet.get(), false);
            }
            lib::avcodec.av_packet_unref(packet.get());
        }
        if (m_videoIn != nullptr) {
            decode(m_videoDecoder.get(), nullptr, true);
        }
        decode(m_audioDecoder.get(), nullptr, false);
        flushAudio();
        if (m_videoIn != nullptr) {
            encode(m_videoEncoder.get(), m_videoOut, nullptr);
        }
        encode(m_audioEncoder.get(), m_audioOut, nullptr);
        check(lib::avformat.av_write_trailer(m_output.get()), "write trailer");
    }

private:
    void openInput() {
        AVFormatContext* raw = nullptr;
        check(lib::avformat.avformat_open_input(&raw, m_job.input.c_str(), nullptr, nullptr),
              "open " + m_job.input);
        m_input.reset(raw);
        {
            std::lock_guard lock(CodecLock());
            check(lib::avformat.avformat_find_stream_info(raw, nullptr), "stream info");
        }
        const int audio =
            lib::avformat.av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        check(audio, "audio stream");
        m_audioIn = raw->streams[audio];
        m_audioDecoder = openDecoder(m_audioIn);
        if (audioOnly()) {
            return;
        }
        const int video =
            lib::avformat.av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        check(video, "video stream");
        m_videoIn = raw->streams[video];
        m_videoDecoder = openDecoder(m_videoIn);
    }

    void openOutput() {
        AVFormatContext* raw = nullptr;
        check(lib::avformat.avformat_alloc_output_context2(&raw, nullptr, m_job.container.c_str(),
                                                           m_job.output.c_str()),
              "output format " + m_job.container);
        m_output.reset(raw);
        const bool globalHeader = (raw->oformat->flags & AVFMT_GLOBALHEADER) != 0;
        if (!audioOnly()) {
            openVideoOutput(globalHeader);
        }
        openAudioOutput(globalHeader);
        if (!(raw->oformat->flags & AVFMT_NOFILE)) {
            check(lib::avformat.avio_open2(&raw->pb, m_job.output.c_str(), AVIO_FLAG_WRITE, nullptr,
                                           nullptr),
                  "open " + m_job.output);
        }
        check(lib::avformat.avformat_write_header(raw, nullptr), "write header");
        m_packet = makePacket();
    }

    bool audioOnly() const { return m_job.videoEncoder == "-"; }

    void openVideoOutput(bool globalHeader) {
        AVFormatContext* raw = m_output.get();
        // Video: the asked size, the input's frame rate, the encoder's first pixel format
        // unless it takes the decoder's.
        const AVCodec* videoCodec = findEncoder(m_job.videoEncoder);
        m_videoEncoder.reset(lib::avcodec.avcodec_alloc_context3(videoCodec));
        AVCodecContext* venc = m_videoEncoder.get();
        venc->thread_count = 0;
        if (!m_job.videoPreset.empty()) {
            applyPreset(venc, m_job.videoPreset);
        }
        AVRational rate = m_videoIn->avg_frame_rate;
        if (rate.num <= 0 || rate.den <= 0) {
            rate = AVRational{25, 1};
        }
        venc->framerate = rate;
        venc->time_base = av_inv_q(rate);
        venc->width = m_job.width;
        venc->height = m_job.height;
        venc->bit_rate = m_job.videoBitRate;
        venc->pix_fmt = static_cast<AVPixelFormat>(m_videoIn->codecpar->format);
        if (videoCodec->pix_fmts != nullptr) {
            bool listed = false;
            for (const AVPixelFormat* p = videoCodec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p) {
                listed = listed || *p == venc->pix_fmt;
            }
            if (!listed) {
                venc->pix_fmt = videoCodec->pix_fmts[0];
            }
        }
        if (globalHeader) {
            venc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        openCodec(venc, videoCodec, "open video encoder");
        m_videoOut = lib::avformat.avformat_new_stream(raw, nullptr);
        check(lib::avcodec.avcodec_parameters_from_context(m_videoOut->codecpar, venc),
              "video parameters");
        m_videoOut->time_base = venc->time_base;
        m_videoOut->avg_frame_rate = rate;

        // The picture converter and its output frame.
        m_scaler.reset(lib::swscale.sws_getContext(
            m_videoDecoder->width, m_videoDecoder->height, m_videoDecoder->pix_fmt, venc->width,
            venc->height, venc->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!m_scaler) {
            fail("scaler");
        }
        m_scaled = makeFrame();
        m_scaled->width = venc->width;
        m_scaled->height = venc->height;
        m_scaled->format = venc->pix_fmt;
        check(lib::avutil.av_frame_get_buffer(m_scaled.get(), 0), "scaled frame");
    }

    void openAudioOutput(bool globalHeader) {
        AVFormatContext* raw = m_output.get();
        // Audio: the input's rate and channel count, the encoder's first sample format.
        const AVCodec* audioCodec = findEncoder(m_job.audioEncoder);
        m_audioEncoder.reset(lib::avcodec.avcodec_alloc_context3(audioCodec));
        AVCodecContext* aenc = m_audioEncoder.get();
        aenc->thread_count = 0;
        aenc->sample_rate = m_audioDecoder->sample_rate;
        lib::avutil.av_channel_layout_default(&aenc->ch_layout,
                                              m_audioDecoder->ch_layout.nb_channels);
        aenc->sample_fmt =
            audioCodec->sample_fmts != nullptr ? audioCodec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
        aenc->bit_rate = m_job.audioBitRate;
        aenc->time_base = AVRational{1, aenc->sample_rate};
        if (globalHeader) {
            aenc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        openCodec(aenc, audioCodec, "open audio encoder");
        m_audioOut = lib::avformat.avformat_new_stream(raw, nullptr);
        check(lib::avcodec.avcodec_parameters_from_context(m_audioOut->codecpar, aenc),
              "audio parameters");
        m_audioOut->time_base = aenc->time_base;

        // The sample converter, the FIFO that cuts encoder frames and the frame they go into.
        SwrContext* resampler = nullptr;
        check(lib::swresample.swr_alloc_set_opts2(&resampler, &aenc->ch_layout, aenc->sample_fmt,
                                                  aenc->sample_rate, &m_audioDecoder->ch_layout,
                                                  m_audioDecoder->sample_fmt,
                                                  m_audioDecoder->sample_rate, 0, nullptr),
              "resampler");
        m_resampler.reset(resampler);
        check(lib::swresample.swr_init(resampler), "resampler init");
        m_fifo.reset(
            lib::avutil.av_audio_fifo_alloc(aenc->sample_fmt, aenc->ch_layout.nb_channels, 4096));
        m_converted = makeFrame();
        m_audioFrame = makeFrame();
        m_frameSize = aenc->frame_size > 0 ? aenc->frame_size : 1024;
    }

    void decode(AVCodecContext* decoder, AVPacket* packet, bool video) {
        int result = lib::avcodec.avcodec_send_packet(decoder, packet);
        if (result < 0 && result != AVERROR_EOF) {
            return;  // a damaged packet is skipped
        }
        FramePtr& frame = video ? m_decodedVideo : m_decodedAudio;
        if (!frame) {
            frame = makeFrame();
        }
        while ((result = lib::avcodec.avcodec_receive_frame(decoder, frame.get())) >= 0) {
            if (video) {
                videoFrame(frame.get());
            } else {
                audioFrame(frame.get());
            }
            lib::avutil.av_frame_unref(frame.get());
        }
    }

    void videoFrame(const AVFrame* frame) {
        // The encoder may still hold the previous picture.
        check(lib::avutil.av_frame_make_writable(m_scaled.get()), "scaled frame");
        lib::swscale.sws_scale(m_scaler.get(), frame->data, frame->linesize, 0, frame->height,
                               m_scaled->data, m_scaled->linesize);
        m_scaled->pts = m_videoPts++;
        encode(m_videoEncoder.get(), m_videoOut, m_scaled.get());
    }

    void audioFrame(const AVFrame* frame) {
        AVCodecContext* aenc = m_audioEncoder.get();
        const int capacity =
            lib::swresample.swr_get_out_samples(m_resampler.get(), frame->nb_samples);
        if (capacity > m_convertedCapacity) {
            lib::avutil.av_frame_unref(m_converted.get());
            m_converted->nb_samples = capacity;
            m_converted->format = aenc->sample_fmt;
            check(lib::avutil.av_channel_layout_copy(&m_converted->ch_layout, &aenc->ch_layout),
                  "layout");
            check(lib::avutil.av_frame_get_buffer(m_converted.get(), 0), "audio buffer");
            m_convertedCapacity = capacity;
        }
        const int count = lib::swresample.swr_convert(
            m_resampler.get(), m_converted->extended_data, m_convertedCapacity,
            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
        check(count, "convert samples");
        check(lib::avutil.av_audio_fifo_write(
                  m_fifo.get(), reinterpret_cast<void**>(m_converted->extended_data), count),
              "fifo");
        drainFifo(false);
    }

    void drainFifo(bool last) {
        AVCodecContext* aenc = m_audioEncoder.get();
        while (true) {
            const int available = lib::avutil.av_audio_fifo_size(m_fifo.get());
            if (available <= 0 || (available < m_frameSize && !last)) {
                return;
            }
            const int samples = std::min(available, m_frameSize);
            const bool shortAllowed =
                (aenc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME) != 0;
            const int padded = shortAllowed ? samples : m_frameSize;
            // A new frame each time: the encoder may keep a reference to the last one.
            AVFrame* frame = m_audioFrame.get();
            lib::avutil.av_frame_unref(frame);
            frame->nb_samples = padded;
            frame->format = aenc->sample_fmt;
            frame->sample_rate = aenc->sample_rate;
            check(lib::avutil.av_channel_layout_copy(&frame->ch_layout, &aenc->ch_layout),
                  "layout");
            check(lib::avutil.av_frame_get_buffer(frame, 0), "audio frame");
            if (padded > samples) {
                lib::avutil.av_samples_set_silence(frame->extended_data, samples, padded - samples,
                                                   aenc->ch_layout.nb_channels, aenc->sample_fmt);
            }
            lib::avutil.av_audio_fifo_read(m_fifo.get(),
                                           reinterpret_cast<void**>(frame->extended_data), samples);
            frame->pts = m_audioPts;
            m_audioPts += padded;
            encode(aenc, m_audioOut, frame);
        }
    }

    void flushAudio() {
        const int capacity = lib::swresample.swr_get_out_samples(m_resampler.get(), 0);
        if (capacity > 0 && capacity <= m_convertedCapacity) {
            const int count = lib::swresample.swr_convert(
                m_resampler.get(), m_converted->extended_data, m_convertedCapacity, nullptr, 0);
            if (count > 0) {
                lib::avutil.av_audio_fifo_write(
                    m_fifo.get(), reinterpret_cast<void**>(m_converted->extended_data), count);
            }
        }
        drainFifo(true);
    }

    void encode(AVCodecContext* encoder, AVStream* stream, AVFrame* frame) {
        check(lib::avcodec.avcodec_send_frame(encoder, frame), "encode");
        AVPacket* packet = m_packet.get();
        int result = 0;
        while ((result = lib::avcodec.avcodec_receive_packet(encoder, packet)) >= 0) {
            lib::avcodec.av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
            packet->stream_index = stream->index;
            m_muxedBytes += packet->size;
            check(lib::avformat.av_interleaved_write_frame(m_output.get(), packet), "mux");
        }
        if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
            check(result, "encode");
        }
    }

    const Job& m_job;
    InputFormatPtr m_input;
    OutputFormatPtr m_output;
    AVStream* m_videoIn = nullptr;
    AVStream* m_audioIn = nullptr;
    AVStream* m_videoOut = nullptr;
    AVStream* m_audioOut = nullptr;
    CodecPtr m_videoDecoder;
    CodecPtr m_audioDecoder;
    CodecPtr m_videoEncoder;
    CodecPtr m_audioEncoder;
    ScalerPtr m_scaler;
    ResamplerPtr m_resampler;
    AudioFifoPtr m_fifo;
    FramePtr m_decodedVideo;
    FramePtr m_decodedAudio;
    FramePtr m_scaled;
    FramePtr m_converted;
    FramePtr m_audioFrame;
    PacketPtr m_packet;
    int m_convertedCapacity = 0;
    int m_frameSize = 1024;
    int64_t m_videoPts = 0;
    int64_t m_audioPts = 0;
    int64_t m_muxedBytes = 0;
};

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc < 10 || argc > 12) {
        std::fprintf(stderr,
                     "usage: %s INPUT OUTPUT CONTAINER VCODEC WIDTH HEIGHT VBITRATE ACODEC "
                     "ABITRATE [VPRESET [SIZELIMIT]]\n",
                     argv[0]);
        return 2;
    }
    Job job;
    job.input = argv[1];
    job.output = argv[2];
    job.container = argv[3];
    job.videoEncoder = argv[4];
    job.width = std::atoi(argv[5]);
    job.height = std::atoi(argv[6]);
    job.videoBitRate = std::atoll(argv[7]);
    job.audioEncoder = argv[8];
    job.audioBitRate = std::atoll(argv[9]);
    if (argc >= 11 && std::string(argv[10]) != "-") {
        job.videoPreset = argv[10];
    }
    if (argc == 12) {
        job.sizeLimit = std::atoll(argv[11]);
    }
    if (!TMediaLibLoader::instance().LoadLibraries(kConverterSet)) {
        std::fprintf(stderr, "%s\n", TMediaLibLoader::instance().LastError().c_str());
        return 1;
    }
    try {
        Pipeline(job).run();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora-bench-bare: %s\n", error.what());
        return 1;
    }
    return 0;
}
