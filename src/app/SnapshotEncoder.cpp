#include "app/SnapshotEncoder.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaUtils.h"
#include "medialib/PictureConverter.h"

namespace velmora::app {

namespace {

// JPEG quantiser scale: 2 is close to the best the format gives, at a modest size.
constexpr int kJpegQuality = 2;
// The picture from its own palette, error-diffused so gradients stay smooth.
constexpr const char* kGifFilters =
    "[in]split[picture][stats];[stats]palettegen=max_colors=256:reserve_transparent=0[palette];"
    "[picture][palette]paletteuse=dither=sierra2_4a[out]";

void setError(std::string* error, const std::string& text) {
    if (error != nullptr) {
        *error = text;
    }
}

std::string libraryError(const std::string& what, int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    lib::avutil.av_strerror(code, text, sizeof text);
    return what + ": " + text;
}

// An opened encoder, closed under the codec lock like every codec of the program.
struct OpenedCodec {
    CodecContextPtr context;
    ~OpenedCodec() {
        std::lock_guard lock(CodecLock());
        context.reset();
    }
};

// The bitmap as a picture of the given pixel format.
FramePtr pictureOf(const Bitmap& bitmap, AVPixelFormat format, std::string* error) {
    PictureConverter converter;
    {
        std::lock_guard lock(bitmap.lock());
        converter.bitmap().assign(bitmap);
    }
    FramePtr picture = makeFrame();
    if (!picture) {
        setError(error, "out of memory");
        return nullptr;
    }
    picture->format = format;
    picture->width = bitmap.width();
    picture->height = bitmap.height();
    const int allocated = lib::avutil.av_frame_get_buffer(picture.get(), 0);
    if (allocated < 0) {
        setError(error, libraryError("cannot make a picture", allocated));
        return nullptr;
    }
    if (!converter.BitmapToPicture(picture->data, picture->linesize, format)) {
        setError(error, "cannot convert the picture");
        return nullptr;
    }
    return picture;
}

// Encodes one picture with the named encoder into one packet.
bool encodePicture(const char* encoderName, AVFrame& picture, OpenedCodec& codec, PacketPtr& packet,
                   std::string* error) {
    const AVCodec* encoder = lib::avcodec.avcodec_find_encoder_by_name(encoderName);
    if (encoder == nullptr) {
        setError(error, std::string("no ") + encoderName + " encoder in the media libraries");
        return false;
    }
    codec.context.reset(lib::avcodec.avcodec_alloc_context3(encoder));
    AVCodecContext* context = codec.context.get();
    if (context == nullptr) {
        setError(error, "out of memory");
        return false;
    }
    context->width = picture.width;
    context->height = picture.height;
    context->pix_fmt = static_cast<AVPixelFormat>(picture.format);
    context->time_base = AVRational{1, 25};
    context->sample_aspect_ratio = AVRational{1, 1};
    context->thread_count = 1;
    if (encoder->id == AV_CODEC_ID_MJPEG) {
        context->flags |= AV_CODEC_FLAG_QSCALE;
        context->global_quality = FF_QP2LAMBDA * kJpegQuality;
        picture.quality = context->global_quality;
    }
    int result;
    {
        std::lock_guard lock(CodecLock());
        result = lib::avcodec.avcodec_open2(context, encoder, nullptr);
    }
    if (result < 0) {
        setError(error,
                 libraryError(std::string("cannot open the ") + encoderName + " encoder", result));
        return false;
    }
    picture.pts = 0;
    packet = makePacket();
    if (!packet) {
        setError(error, "out of memory");
        return false;
    }
    result = lib::avcodec.avcodec_send_frame(context, &picture);
    if (result >= 0) {
        result = lib::avcodec.avcodec_send_frame(context, nullptr);
    }
    if (result >= 0) {
        result = lib::avcodec.avcodec_receive_packet(context, packet.get());
    }
    if (result < 0) {
        setError(error,
                 libraryError(std::string("cannot encode the picture as ") + encoderName, result));
        return false;
    }
    return true;
}

bool writeBytes(const std::string& path, const AVPacket& packet, std::string* error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file) {
        file.write(reinterpret_cast<const char*>(packet.data), packet.size);
        file.close();
    }
    if (!file) {
        setError(error, "cannot write " + path);
        return false;
    }
    return true;
}

// A single-picture encoder's packet is the whole file (JPEG, PNG).
bool writeCodedPicture(const Bitmap& bitmap, const char* encoderName, AVPixelFormat format,
                       const std::string& path, std::string* error) {
    FramePtr picture = pictureOf(bitmap, format, error);
    if (!picture) {
        return false;
    }
    OpenedCodec codec;
    PacketPtr packet;
    return encodePicture(encoderName, *picture, codec, packet, error) &&
           writeBytes(path, *packet, error);
}

// The picture reduced to a palette made from the picture itself, dithered (8-bit paletted).
FramePtr palettedPicture(const Bitmap& bitmap, std::string* error) {
    FramePtr picture = pictureOf(bitmap, AV_PIX_FMT_BGR24, error);
    if (!picture) {
        return nullptr;
    }
    FilterGraphPtr graph(lib::avfilter.avfilter_graph_alloc());
    if (!graph) {
        setError(error, "out of memory");
        return nullptr;
    }
    graph->nb_threads = 1;
    char arguments[160];
    std::snprintf(arguments, sizeof arguments,
                  "video_size=%dx%d:pix_fmt=%d:time_base=1/25:pixel_aspect=1/1", picture->width,
                  picture->height, static_cast<int>(AV_PIX_FMT_BGR24));
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    int result = lib::avfilter.avfilter_graph_create_filter(
        &source, lib::avfilter.avfilter_get_by_name("buffer"), "in", arguments, nullptr,
        graph.get());
    if (result >= 0) {
        result = lib::avfilter.avfilter_graph_create_filter(
            &sink, lib::avfilter.avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
            graph.get());
    }
    if (result < 0) {
        setError(error, libraryError("cannot make the GIF filters", result));
        return nullptr;
    }
    // The graph's open input is our source's output, its open output our sink's input.
    FilterInOutPtr sourceEnd(lib::avfilter.avfilter_inout_alloc());
    FilterInOutPtr sinkEnd(lib::avfilter.avfilter_inout_alloc());
    if (!sourceEnd || !sinkEnd) {
        setError(error, "out of memory");
        return nullptr;
    }
    sourceEnd->name = lib::avutil.av_strdup("in");
    sourceEnd->filter_ctx = source;
    sinkEnd->name = lib::avutil.av_strdup("out");
    sinkEnd->filter_ctx = sink;
    AVFilterInOut* inputs = sinkEnd.release();
    AVFilterInOut* outputs = sourceEnd.release();
    result = lib::avfilter.avfilter_graph_parse_ptr(graph.get(), kGifFilters, &inputs, &outputs,
                                                    nullptr);
    lib::avfilter.avfilter_inout_free(&inputs);
    lib::avfilter.avfilter_inout_free(&outputs);
    if (result >= 0) {
        result = lib::avfilter.avfilter_graph_config(graph.get(), nullptr);
    }
    if (result < 0) {
        setError(error, libraryError("cannot set up the GIF palette", result));
        return nullptr;
    }
    picture->pts = 0;
    // The palette is made once the picture is complete: the end of input follows it.
    result = lib::avfilter.av_buffersrc_add_frame_flags(source, picture.get(), 0);
    if (result >= 0) {
        result = lib::avfilter.av_buffersrc_add_frame_flags(source, nullptr, 0);
    }
    FramePtr paletted = makeFrame();
    if (result >= 0 && paletted) {
        result = lib::avfilter.av_buffersink_get_frame(sink, paletted.get());
    }
    if (result < 0 || !paletted || paletted->format != AV_PIX_FMT_PAL8) {
        setError(error, libraryError("cannot reduce the picture to a palette",
                                     result < 0 ? result : AVERROR(EINVAL)));
        return nullptr;
    }
    return paletted;
}

bool writeGif(const Bitmap& bitmap, const std::string& path, std::string* error) {
    FramePtr paletted = palettedPicture(bitmap, error);
    if (!paletted) {
        return false;
    }
    OpenedCodec codec;
    PacketPtr packet;
    if (!encodePicture("gif", *paletted, codec, packet, error)) {
        return false;
    }
    AVFormatContext* allocated = nullptr;
    int result = lib::avformat.avformat_alloc_output_context2(&allocated, nullptr, "gif", nullptr);
    OutputFormatPtr output(allocated);
    if (result < 0 || !output) {
        setError(error, libraryError("no GIF writer in the media libraries",
                                     result < 0 ? result : AVERROR(ENOMEM)));
        return false;
    }
    AVStream* stream = lib::avformat.avformat_new_stream(output.get(), nullptr);
    if (stream == nullptr ||
        lib::avcodec.avcodec_parameters_from_context(stream->codecpar, codec.context.get()) < 0) {
        setError(error, "cannot describe the GIF picture");
        return false;
    }
    stream->time_base = codec.context->time_base;
    const std::string libraryName = ToLibraryFileName(path);
    result = lib::avformat.avio_open2(&output->pb, libraryName.c_str(), AVIO_FLAG_WRITE, nullptr,
                                      nullptr);
    if (result < 0) {
        setError(error, ErrorText(path, result));
        return false;
    }
    result = lib::avformat.avformat_write_header(output.get(), nullptr);
    if (result >= 0) {
        packet->stream_index = stream->index;
        lib::avcodec.av_packet_rescale_ts(packet.get(), codec.context->time_base,
                                          stream->time_base);
        result = lib::avformat.av_interleaved_write_frame(output.get(), packet.get());
    }
    if (result >= 0) {
        result = lib::avformat.av_write_trailer(output.get());
    }
    if (result >= 0 && output->pb->error < 0) {
        result = output->pb->error;
    }
    if (result < 0) {
        setError(error, libraryError("cannot write " + path, result));
        return false;
    }
    return true;
}

bool write(const Bitmap& bitmap, SnapshotFormat format, const std::string& path,
           std::string* error) {
    switch (format) {
        case SnapshotFormat::Bmp:
            if (!bitmap.saveBmp(path)) {
                setError(error, "cannot write " + path);
                return false;
            }
            return true;
        case SnapshotFormat::Jpg:
            // Full-range 4:2:0, the JPEG files every viewer reads.
            return writeCodedPicture(bitmap, "mjpeg", AV_PIX_FMT_YUVJ420P, path, error);
        case SnapshotFormat::Png:
            return writeCodedPicture(bitmap, "png", AV_PIX_FMT_RGB24, path, error);
        case SnapshotFormat::Gif:
            return writeGif(bitmap, path, error);
    }
    setError(error, "unknown picture type");
    return false;
}

}  // namespace

bool writeSnapshot(const Bitmap& bitmap, SnapshotFormat format, const std::string& path,
                   std::string* error) {
    if (bitmap.empty()) {
        setError(error, "no picture");
        return false;
    }
    if (format != SnapshotFormat::Bmp &&
        !TMediaLibLoader::instance().LibrariesLoaded(kConverterSet)) {
        setError(error, "the media libraries are not loaded");
        return false;
    }
    if (write(bitmap, format, path, error)) {
        return true;
    }
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
    return false;
}

}  // namespace velmora::app
