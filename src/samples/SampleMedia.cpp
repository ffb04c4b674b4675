#include "samples/SampleMedia.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "samples/FrameNumberCode.h"

namespace velmora {
namespace {

// Carries a failure from deep inside the writer to makeSampleMedia, which turns it into text.
class SampleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const std::string& message) {
    throw SampleError(message);
}

std::string libraryErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    if (lib::avutil.av_strerror(code, text, sizeof(text)) < 0) {
        return "error " + std::to_string(code);
    }
    return text;
}

void check(int result, const std::string& what) {
    if (result < 0) {
        fail(what + ": " + libraryErrorText(result));
    }
}

// Filter arguments must not depend on the process locale.
std::string number(double value) {
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof(text), value);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

std::string rational(AVRational value) {
    return std::to_string(value.num) + "/" + std::to_string(value.den);
}

// Encoders are opened under the codec lock, so they are freed under it as well.
struct LockedCodecContextDeleter {
    void operator()(AVCodecContext* context) const {
        std::lock_guard lock(CodecLock());
        CodecContextDeleter()(context);
    }
};
using EncoderPtr = std::unique_ptr<AVCodecContext, LockedCodecContextDeleter>;

// One generated stream: a source filter graph feeding an encoder feeding one output stream.
struct StreamWriter {
    std::string encoderName;
    FilterGraphPtr graph;
    AVFilterContext* sink = nullptr;
    EncoderPtr encoder;
    AVStream* stream = nullptr;
    int64_t nextPts = 0;  // encoder time base: where the next frame starts
    bool finished = false;
};

const AVCodec* findEncoder(const std::string& name, AVMediaType type) {
    const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    const AVCodec* codec = lib::avcodec.avcodec_find_encoder_by_name(name.c_str());
    if (codec == nullptr) {
        fail(std::string("unknown ") + kind + " encoder '" + name + "'");
    }
    if (codec->type != type) {
        fail("'" + name + "' is not a " + kind + " encoder");
    }
    return codec;
}

// Parses description into a graph whose one open output ends in a buffer sink.
void buildGraph(StreamWriter& writer, AVMediaType type, const std::string& description) {
    writer.graph.reset(lib::avfilter.avfilter_graph_alloc());
    if (!writer.graph) {
        fail("out of memory");
    }
    // The clips are tiny; one thread keeps the graph cheap to set up.
    writer.graph->nb_threads = 1;
    const AVFilter* sinkFilter = lib::avfilter.avfilter_get_by_name(
        type == AVMEDIA_TYPE_VIDEO ? "buffersink" : "abuffersink");
    check(lib::avfilter.avfilter_graph_create_filter(&writer.sink, sinkFilter, "out", nullptr,
                                                     nullptr, writer.graph.get()),
          "cannot create the filter sink");

    FilterInOutPtr sinkInput(lib::avfilter.avfilter_inout_alloc());
    if (!sinkInput) {
        fail("out of memory");
    }
    sinkInput->name = lib::avutil.av_strdup("out");
    sinkInput->filter_ctx = writer.sink;
    sinkInput->pad_idx = 0;
    sinkInput->next = nullptr;
    AVFilterInOut* openInputs = sinkInput.release();
    const int parsed = lib::avfilter.avfilter_graph_parse_ptr(
        writer.graph.get(), description.c_str(), &openInputs, nullptr, nullptr);
    sinkInput.reset(openInputs);
    check(parsed, "invalid filter graph \"" + description + "\"");
    check(lib::avfilter.avfilter_graph_config(writer.graph.get(), nullptr),
          "cannot set up the filter graph \"" + description + "\"");
}

void setDictionary(AVDictionary** dictionary, const std::map<std::string, std::string>& tags) {
    for (const auto& [key, value] : tags) {
        check(lib::avutil.av_dict_set(dictionary, key.c_str(), value.c_str(), 0),
              "cannot set tag '" + key + "'");
    }
}

EncoderPtr allocateEncoder(const AVCodec* codec, const AVFormatContext* output) {
    EncoderPtr encoder(lib::avcodec.avcodec_alloc_context3(codec));
    if (!encoder) {
        fail("out of memory");
    }
    encoder->flags |= AV_CODEC_FLAG_BITEXACT;
    // One thread: the output then does not depend on the machine's core count.
    encoder->thread_count = 1;
    if (codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) {
        encoder->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    }
    if (output->oformat->flags & AVFMT_GLOBALHEADER) {
        encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    return encoder;
}

void openEncoder(StreamWriter& writer, const AVCodec* codec) {
    std::lock_guard lock(CodecLock());
    check(lib::avcodec.avcodec_open2(writer.encoder.get(), codec, nullptr),
          "cannot open encoder '" + writer.encoderName + "'");
}

void addStream(StreamWriter& writer, AVFormatContext* output,
               const std::map<std::string, std::string>& tags) {
    writer.stream = lib::avformat.avformat_new_stream(output, nullptr);
    if (writer.stream == nullptr) {
        fail("out of memory");
    }
    check(
        lib::avcodec.avcodec_parameters_from_context(writer.stream->codecpar, writer.encoder.get()),
        "cannot copy the encoder parameters");
    writer.stream->time_base = writer.encoder->time_base;
    writer.stream->avg_frame_rate = writer.encoder->framerate;
    setDictionary(&writer.stream->metadata, tags);
}

// Key frames exactly every `interval` frames: the encoders also start one at a scene change,
// which their scene-change threshold turns off (0 for libx264, a huge value for the others).
void setKeyFrameInterval(AVCodecContext* encoder, int interval) {
    encoder->gop_size = interval;
    encoder->keyint_min = interval;
    const bool x264 = std::string(encoder->codec->name) == "libx264";
    const int result = lib::avutil.av_opt_set(encoder, "sc_threshold", x264 ? "0" : "1000000000",
                                              AV_OPT_SEARCH_CHILDREN);
    if (result < 0 && result != AVERROR_OPTION_NOT_FOUND) {
        check(result, "cannot turn off scene-change key frames");
    }
}

StreamWriter makeVideo(const SampleSpec& spec, AVFormatContext* output) {
    if (spec.width <= 0 || spec.height <= 0) {
        fail("invalid picture size " + std::to_string(spec.width) + "x" +
             std::to_string(spec.height));
    }
    if (spec.frameRate.num <= 0 || spec.frameRate.den <= 0) {
        fail("invalid frame rate " + rational(spec.frameRate));
    }
    StreamWriter writer;
    writer.encoderName = spec.videoCodec;
    const AVCodec* codec = findEncoder(spec.videoCodec, AVMEDIA_TYPE_VIDEO);

    // Without an extra filter the encoder's preferred format is used; after one, any format the
    // encoder takes may be kept, so a filter can choose it.
    std::string formats;
    if (codec->pix_fmts == nullptr) {
        formats = "yuv420p";
    } else {
        for (const AVPixelFormat* format = codec->pix_fmts; *format != AV_PIX_FMT_NONE; ++format) {
            if (!formats.empty()) {
                if (spec.videoFilter.empty()) {
                    break;
                }
                formats += "|";
            }
            formats += lib::avutil.av_get_pix_fmt_name(*format);
        }
    }
    const std::string common = "size=" + std::to_string(spec.width) + "x" +
                               std::to_string(spec.height) + ":rate=" + rational(spec.frameRate) +
                               ":duration=" + number(spec.durationSeconds);
    std::string description =
        spec.movingPicture ? "testsrc2=" + common : "color=color=0x3060c0:" + common;
    if (spec.frameNumberCode) {
        description += "," + frameNumberCodeFilter(spec.width, spec.height);
    }
    if (!spec.videoFilter.empty()) {
        description += "," + spec.videoFilter;
    }
    description += ",format=pix_fmts=" + formats;
    buildGraph(writer, AVMEDIA_TYPE_VIDEO, description);

    writer.encoder = allocateEncoder(codec, output);
    AVCodecContext* encoder = writer.encoder.get();
    encoder->width = lib::avfilter.av_buffersink_get_w(writer.sink);
    encoder->height = lib::avfilter.av_buffersink_get_h(writer.sink);
    encoder->pix_fmt =
        static_cast<AVPixelFormat>(lib::avfilter.av_buffersink_get_format(writer.sink));
    encoder->framerate = spec.frameRate;
    encoder->time_base = av_inv_q(spec.frameRate);
    encoder->sample_aspect_ratio = AVRational{1, 1};
    if (spec.videoBitRate > 0) {
        encoder->bit_rate = spec.videoBitRate;
    }
    if (spec.keyFrameInterval > 0) {
        setKeyFrameInterval(encoder, spec.keyFrameInterval);
    }
    if (spec.videoCodec == "libx264") {
        // Fixtures should be quick to make; this preset still has B-frames and CABAC.
        check(lib::avutil.av_opt_set(encoder->priv_data, "preset", "veryfast", 0),
              "cannot set the x264 preset");
        // The x264 AVX-512 routines make the output vary from run to run; capping them at AVX2
        // keeps equal specs giving equal files.
        if (lib::avutil.av_get_cpu_flags() & AV_CPU_FLAG_AVX512) {
            check(lib::avutil.av_opt_set(encoder->priv_data, "x264-params", "asm=avx2", 0),
                  "cannot set the x264 options");
        }
    }
    openEncoder(writer, codec);
    addStream(writer, output, spec.videoMetadata);
    return writer;
}

StreamWriter makeAudio(const SampleSpec& spec, AVFormatContext* output) {
    if (spec.sampleRate <= 0) {
        fail("invalid sample rate " + std::to_string(spec.sampleRate));
    }
    if (spec.channels <= 0 || spec.channels > 64) {
        fail("invalid channel count " + std::to_string(spec.channels));
    }
    if (!(spec.toneHz > 0) || !std::isfinite(spec.toneHz)) {
        fail("invalid tone frequency " + number(spec.toneHz));
    }
    StreamWriter writer;
    writer.encoderName = spec.audioCodec;
    const AVCodec* codec = findEncoder(spec.audioCodec, AVMEDIA_TYPE_AUDIO);
    if (codec->supported_samplerates != nullptr) {
        bool supported = false;
        for (const int* rate = codec->supported_samplerates; *rate != 0; ++rate) {
            supported = supported || *rate == spec.sampleRate;
        }
        if (!supported) {
            fail("audio encoder '" + spec.audioCodec + "' does not support " +
                 std::to_string(spec.sampleRate) + " Hz");
        }
    }
    const AVSampleFormat sampleFormat =
        codec->sample_fmts != nullptr ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;

    AVChannelLayout layout{};
    lib::avutil.av_channel_layout_default(&layout, spec.channels);
    char layoutName[128] = {};
    const int described =
        lib::avutil.av_channel_layout_describe(&layout, layoutName, sizeof(layoutName));
    lib::avutil.av_channel_layout_uninit(&layout);
    check(described, "cannot describe a layout of " + std::to_string(spec.channels) + " channels");

    const std::string description =
        "sine=frequency=" + number(spec.toneHz) +
        ":sample_rate=" + std::to_string(spec.sampleRate) +
        ":duration=" + number(spec.durationSeconds) +
        ",aformat=sample_fmts=" + lib::avutil.av_get_sample_fmt_name(sampleFormat) +
        ":sample_rates=" + std::to_string(spec.sampleRate) + ":channel_layouts=" + layoutName;
    buildGraph(writer, AVMEDIA_TYPE_AUDIO, description);

    writer.encoder = allocateEncoder(codec, output);
    AVCodecContext* encoder = writer.encoder.get();
    encoder->sample_fmt = sampleFormat;
    encoder->sample_rate = spec.sampleRate;
    encoder->time_base = AVRational{1, spec.sampleRate};
    lib::avutil.av_channel_layout_default(&encoder->ch_layout, spec.channels);
    openEncoder(writer, codec);
    // Encoders with a fixed frame size must get exactly that many samples per frame.
    if (encoder->frame_size > 0 && !(codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE)) {
        lib::avfilter.av_buffersink_set_frame_size(writer.sink,
                                                   static_cast<unsigned>(encoder->frame_size));
    }
    addStream(writer, output, spec.audioMetadata);
    return writer;
}

// Encoders with a fixed frame size and no short last frame refuse the tail of the tone; it is
// padded with silence to a whole frame.
FramePtr padLastFrame(const AVCodecContext* encoder, AVFrame* frame) {
    FramePtr padded = makeFrame();
    if (!padded) {
        fail("out of memory");
    }
    padded->format = frame->format;
    padded->sample_rate = frame->sample_rate;
    padded->nb_samples = encoder->frame_size;
    check(lib::avutil.av_channel_layout_copy(&padded->ch_layout, &frame->ch_layout),
          "cannot copy the channel layout");
    check(lib::avutil.av_frame_get_buffer(padded.get(), 0), "cannot allocate an audio frame");
    check(lib::avutil.av_frame_copy_props(padded.get(), frame), "cannot copy frame properties");
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const int channels = frame->ch_layout.nb_channels;
    lib::avutil.av_samples_copy(padded->extended_data, frame->extended_data, 0, 0,
                                frame->nb_samples, channels, format);
    lib::avutil.av_samples_set_silence(padded->extended_data, frame->nb_samples,
                                       encoder->frame_size - frame->nb_samples, channels, format);
    return padded;
}

void writePackets(StreamWriter& writer, AVFormatContext* output, AVPacket* packet,
                  const std::string& streamNames) {
    for (;;) {
        const int result = lib::avcodec.avcodec_receive_packet(writer.encoder.get(), packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return;
        }
        check(result, "encoder '" + writer.encoderName + "' failed");
        lib::avcodec.av_packet_rescale_ts(packet, writer.encoder->time_base,
                                          writer.stream->time_base);
        packet->stream_index = writer.stream->index;
        check(lib::avformat.av_interleaved_write_frame(output, packet),
              "container '" + std::string(output->oformat->name) + "' refused a packet of " +
                  writer.encoderName + " (streams: " + streamNames + ")");
    }
}

// Moves one frame (or the end of the stream) from the graph through the encoder to the muxer.
void step(StreamWriter& writer, AVFormatContext* output, AVFrame* frame, AVPacket* packet,
          const std::string& streamNames) {
    AVCodecContext* encoder = writer.encoder.get();
    const int result = lib::avfilter.av_buffersink_get_frame(writer.sink, frame);
    if (result == AVERROR_EOF) {
        writer.finished = true;
        check(lib::avcodec.avcodec_send_frame(encoder, nullptr),
              "encoder '" + writer.encoderName + "' failed");
    } else {
        check(result, "the " + writer.encoderName + " source filter failed");
        const AVRational sinkTimeBase = lib::avfilter.av_buffersink_get_time_base(writer.sink);
        frame->pts = lib::avutil.av_rescale_q(frame->pts, sinkTimeBase, encoder->time_base);
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        FramePtr padded;
        AVFrame* toSend = frame;
        if (encoder->codec_type == AVMEDIA_TYPE_AUDIO) {
            if (encoder->frame_size > 0 && frame->nb_samples < encoder->frame_size &&
                !(encoder->codec->capabilities &
                  (AV_CODEC_CAP_VARIABLE_FRAME_SIZE | AV_CODEC_CAP_SMALL_LAST_FRAME))) {
                padded = padLastFrame(encoder, frame);
                toSend = padded.get();
            }
            writer.nextPts = frame->pts + toSend->nb_samples;
        } else {
            writer.nextPts = frame->pts + 1;
        }
        const int sent = lib::avcodec.avcodec_send_frame(encoder, toSend);
        lib::avutil.av_frame_unref(frame);
        check(sent, "encoder '" + writer.encoderName + "' failed");
    }
    writePackets(writer, output, packet, streamNames);
}

void writeSample(const SampleSpec& spec, const std::string& path, bool& fileOpened) {
    const LibrarySet needed = libraryBit(MediaLibrary::avcodec) |
                              libraryBit(MediaLibrary::avfilter) |
                              libraryBit(MediaLibrary::avformat) | libraryBit(MediaLibrary::avutil);
    if (!TMediaLibLoader::instance().LibrariesLoaded(needed)) {
        fail("media libraries not loaded");
    }
    if (!spec.video && !spec.audio) {
        fail("the sample has neither video nor audio");
    }
    if (!(spec.durationSeconds > 0) || !std::isfinite(spec.durationSeconds)) {
        fail("invalid duration " + number(spec.durationSeconds));
    }

    // A named container is looked up by name alone: the file name must not stand in for a
    // misspelt one.
    const AVOutputFormat* format =
        spec.container.empty()
            ? lib::avformat.av_guess_format(nullptr, path.c_str(), nullptr)
            : lib::avformat.av_guess_format(spec.container.c_str(), nullptr, nullptr);
    if (format == nullptr) {
        fail(spec.container.empty() ? "cannot tell the container from the file name '" + path + "'"
                                    : "unknown container '" + spec.container + "'");
    }
    AVFormatContext* rawOutput = nullptr;
    const int allocated =
        lib::avformat.avformat_alloc_output_context2(&rawOutput, format, nullptr, path.c_str());
    OutputFormatPtr output(rawOutput);
    check(allocated, std::string("cannot set up container '") + format->name + "'");
    const std::string containerName = output->oformat->name;
    output->flags |= AVFMT_FLAG_BITEXACT;
    setDictionary(&output->metadata, spec.metadata);

    auto checkAccepted = [&](const std::string& encoderName, AVMediaType type) {
        const AVCodec* codec = findEncoder(encoderName, type);
        const AVCodecID defaultCodec = type == AVMEDIA_TYPE_VIDEO ? output->oformat->video_codec
                                                                  : output->oformat->audio_codec;
        if (defaultCodec == AV_CODEC_ID_NONE) {
            fail("container '" + containerName + "' takes no " +
                 lib::avutil.av_get_media_type_string(type) + " (encoder '" + encoderName + "')");
        }
        if (lib::avformat.avformat_query_codec(output->oformat, codec->id, FF_COMPLIANCE_NORMAL) ==
            0) {
            fail("container '" + containerName + "' does not take " +
                 lib::avcodec.avcodec_get_name(codec->id) + " (encoder '" + encoderName + "')");
        }
    };
    if (spec.video) {
        checkAccepted(spec.videoCodec, AVMEDIA_TYPE_VIDEO);
    }
    if (spec.audio) {
        checkAccepted(spec.audioCodec, AVMEDIA_TYPE_AUDIO);
    }

    std::vector<StreamWriter> writers;
    if (spec.video) {
        writers.push_back(makeVideo(spec, output.get()));
    }
    if (spec.audio) {
        writers.push_back(makeAudio(spec, output.get()));
    }
    std::string streamNames;
    for (const StreamWriter& writer : writers) {
        streamNames += (streamNames.empty() ? "" : ", ") + writer.encoderName;
    }

    if (!(output->oformat->flags & AVFMT_NOFILE)) {
        fileOpened = true;
        check(
            lib::avformat.avio_open2(&output->pb, path.c_str(), AVIO_FLAG_WRITE, nullptr, nullptr),
            "cannot create '" + path + "'");
    }
    check(lib::avformat.avformat_write_header(output.get(), nullptr),
          "container '" + containerName + "' refused the streams (" + streamNames + ")");

    FramePtr frame = makeFrame();
    PacketPtr packet = makePacket();
    if (!frame || !packet) {
        fail("out of memory");
    }
    // Feed the stream that is furthest behind, so the muxer gets the packets nearly in order.
    for (;;) {
        StreamWriter* next = nullptr;
        for (StreamWriter& writer : writers) {
            if (!writer.finished &&
                (next == nullptr ||
                 lib::avutil.av_compare_ts(writer.nextPts, writer.encoder->time_base, next->nextPts,
                                           next->encoder->time_base) < 0)) {
                next = &writer;
            }
        }
        if (next == nullptr) {
            break;
        }
        step(*next, output.get(), frame.get(), packet.get(), streamNames);
    }
    check(lib::avformat.av_write_trailer(output.get()), "cannot finish '" + path + "'");
    if (output->pb != nullptr && output->pb->error < 0) {
        check(output->pb->error, "cannot write '" + path + "'");
    }
}

}  // namespace

bool makeSampleMedia(const SampleSpec& spec, const std::string& path, std::string* error) {
    std::string message;
    bool fileOpened = false;
    try {
        writeSample(spec, path, fileOpened);
        return true;
    } catch (const SampleError& failure) {
        message = failure.what();
    } catch (const std::exception& failure) {
        message = std::string("sample generation failed: ") + failure.what();
    } catch (...) {
        message = "sample generation failed";
    }
    if (fileOpened) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

bool truncateCopy(const std::string& from, const std::string& to, double fraction) {
    if (!(fraction >= 0.0 && fraction <= 1.0)) {
        return false;
    }
    try {
        std::ifstream input(from, std::ios::binary);
        if (!input) {
            return false;
        }
        std::error_code sizeError;
        const std::uintmax_t size = std::filesystem::file_size(from, sizeError);
        if (sizeError) {
            return false;
        }
        const auto keep =
            static_cast<std::size_t>(std::floor(static_cast<double>(size) * fraction));
        std::vector<char> bytes(keep);
        if (keep > 0 && !input.read(bytes.data(), static_cast<std::streamsize>(keep))) {
            return false;
        }
        std::ofstream output(to, std::ios::binary | std::ios::trunc);
        if (!output) {
            return false;
        }
        output.write(bytes.data(), static_cast<std::streamsize>(keep));
        output.close();
        return static_cast<bool>(output);
    } catch (...) {
        return false;
    }
}

}  // namespace velmora
