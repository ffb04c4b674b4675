// Owning handles for media-library objects: std::unique_ptr with the bound free function.
#pragma once

#include <memory>

#include "medialib/LibraryBindings.h"

namespace velmora {

struct FrameDeleter {
    void operator()(AVFrame* frame) const { lib::avutil.av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { lib::avcodec.av_packet_free(&packet); }
};
// Frees a codec context; the caller holds CodecLock() when the codec was opened.
struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { lib::avcodec.avcodec_free_context(&context); }
};
struct CodecParametersDeleter {
    void operator()(AVCodecParameters* parameters) const {
        lib::avcodec.avcodec_parameters_free(&parameters);
    }
};
// An opened input (avformat_open_input).
struct InputFormatDeleter {
    void operator()(AVFormatContext* context) const {
        lib::avformat.avformat_close_input(&context);
    }
};
// An output context: closes its file when one was opened, then frees the context.
struct OutputFormatDeleter {
    void operator()(AVFormatContext* context) const {
        if (context->oformat != nullptr && !(context->oformat->flags & AVFMT_NOFILE) &&
            context->pb != nullptr) {
            lib::avformat.avio_closep(&context->pb);
        }
        lib::avformat.avformat_free_context(context);
    }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { lib::avfilter.avfilter_graph_free(&graph); }
};
struct FilterInOutDeleter {
    void operator()(AVFilterInOut* inOut) const { lib::avfilter.avfilter_inout_free(&inOut); }
};
struct ScalerDeleter {
    void operator()(SwsContext* context) const { lib::swscale.sws_freeContext(context); }
};
struct ResamplerDeleter {
    void operator()(SwrContext* context) const { lib::swresample.swr_free(&context); }
};
struct AudioFifoDeleter {
    void operator()(AVAudioFifo* fifo) const { lib::avutil.av_audio_fifo_free(fifo); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* dictionary) const { lib::avutil.av_dict_free(&dictionary); }
};
struct BitstreamFilterDeleter {
    void operator()(AVBSFContext* context) const { lib::avcodec.av_bsf_free(&context); }
};
struct LibraryMemoryDeleter {
    void operator()(void* memory) const { lib::avutil.av_free(memory); }
};

using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using CodecParametersPtr = std::unique_ptr<AVCodecParameters, CodecParametersDeleter>;
using InputFormatPtr = std::unique_ptr<AVFormatContext, InputFormatDeleter>;
using OutputFormatPtr = std::unique_ptr<AVFormatContext, OutputFormatDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using FilterInOutPtr = std::unique_ptr<AVFilterInOut, FilterInOutDeleter>;
using ScalerPtr = std::unique_ptr<SwsContext, ScalerDeleter>;
using ResamplerPtr = std::unique_ptr<SwrContext, ResamplerDeleter>;
using AudioFifoPtr = std::unique_ptr<AVAudioFifo, AudioFifoDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;
using BitstreamFilterPtr = std::unique_ptr<AVBSFContext, BitstreamFilterDeleter>;
using LibraryMemoryPtr = std::unique_ptr<void, LibraryMemoryDeleter>;

inline FramePtr makeFrame() {
    return FramePtr(lib::avutil.av_frame_alloc());
}
inline PacketPtr makePacket() {
    return PacketPtr(lib::avcodec.av_packet_alloc());
}

}  // namespace velmora
