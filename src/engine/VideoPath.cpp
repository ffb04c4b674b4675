// The video road: crop and scale (or the filter graph), frame-rate synchronisation by dropping
// and duplicating, encoding.
#include <algorithm>
#include <cmath>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"
#include "engine/VideoSync.h"
#include "medialib/Bitmap.h"

namespace velmora {

namespace {

// Least time between two preview pictures of one task.
constexpr int64_t kPreviewIntervalUs = 100000;

// The scaler's flag names, for the filter graph's scaler options.
std::string scalerFlagNames(int flags) {
    static const struct {
        int flag;
        const char* name;
    } kNames[] = {{SWS_FAST_BILINEAR, "fast_bilinear"},
                  {SWS_BILINEAR, "bilinear"},
                  {SWS_BICUBIC, "bicubic"},
                  {SWS_X, "experimental"},
                  {SWS_POINT, "neighbor"},
                  {SWS_AREA, "area"},
                  {SWS_BICUBLIN, "bicublin"},
                  {SWS_GAUSS, "gauss"},
                  {SWS_SINC, "sinc"},
                  {SWS_LANCZOS, "lanczos"},
                  {SWS_SPLINE, "spline"},
                  {SWS_ACCURATE_RND, "accurate_rnd"},
                  {SWS_FULL_CHR_H_INT, "full_chroma_int"},
                  {SWS_FULL_CHR_H_INP, "full_chroma_inp"},
                  {SWS_BITEXACT, "bitexact"}};
    std::string text;
    for (const auto& entry : kNames) {
        if (flags & entry.flag) {
            text += (text.empty() ? "" : "+") + std::string(entry.name);
        }
    }
    return text.empty() ? "bicubic" : text;
}

// Moves the picture's data pointers to the crop origin (left, top) for every plane.
void cropPointers(const AVFrame* frame, int left, int top, const uint8_t* data[4],
                  int linesize[4]) {
    const AVPixFmtDescriptor* descriptor =
        lib::avutil.av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    for (int plane = 0; plane < 4; ++plane) {
        data[plane] = frame->data[plane];
        linesize[plane] = frame->linesize[plane];
    }
    if (descriptor == nullptr || (descriptor->flags & AV_PIX_FMT_FLAG_PAL)) {
        return;
    }
    for (int c = 0; c < descriptor->nb_components; ++c) {
        const AVComponentDescriptor& component = descriptor->comp[c];
        const int plane = component.plane;
        if (data[plane] != frame->data[plane]) {
            continue;  // already moved for another component of the same plane
        }
        const bool chroma = (c == 1 || c == 2) && !(descriptor->flags & AV_PIX_FMT_FLAG_RGB);
        const int x = chroma ? left >> descriptor->log2_chroma_w : left;
        const int y = chroma ? top >> descriptor->log2_chroma_h : top;
        data[plane] = frame->data[plane] + static_cast<ptrdiff_t>(y) * frame->linesize[plane] +
                      static_cast<ptrdiff_t>(x) * component.step;
    }
}

}  // namespace

void TranscodeSession::preprocessFrame(AVFrame* frame, int64_t ptsUs) {
    ++processedFrames;
    if (!m_customHookActive && (!m_frameHooks || m_frameHooks->empty())) {
        return;
    }
    // Hooks draw on the picture: it must not be shared with the decoder.
    if (lib::avutil.av_frame_make_writable(frame) < 0) {
        log(3, "hook buf malloc error.");
        return;
    }
    const auto format = static_cast<AVPixelFormat>(frame->format);
    if (m_customHookActive) {
        if (!m_hookConverter.PictureToBitmap(frame)) {
            log(3, "Cannot initialize the toRGB conversion context");
            m_customHookActive = false;
            return;
        }
        HookFrame hook;
        hook.bitmap = &m_hookConverter.bitmap();
        hook.frameNumber = processedFrames;
        hook.pts = ptsUs;
        try {
            m_owner.onCustomHook(m_owner, hook);
        } catch (const std::exception& error) {
            log(3, std::string("Error occurs OnCustomHook: ") + error.what());
            hook.update = false;
        } catch (...) {
            log(3, "Error occurs OnCustomHook: unknown exception");
            hook.update = false;
        }
        // A handler that resized the bitmap would have the copy back run past the picture.
        const Bitmap& drawn = m_hookConverter.bitmap();
        if (hook.update && (drawn.width() != frame->width || drawn.height() != frame->height)) {
            log(3, FormatText("Error occurs OnCustomHook: the bitmap was resized to %dx%d",
                              drawn.width(), drawn.height()));
            hook.update = false;
        }
        if (hook.update && !m_hookConverter.BitmapToPicture(frame->data, frame->linesize, format)) {
            log(3, "Cannot initialize the fromRGB conversion context");
            hook.stopHook = true;
        }
        if (hook.stopHook) {
            m_customHookActive = false;
            if (m_frameHooks) {
                m_frameHooks->ReleaseHooks();
            }
        }
        return;
    }
    HookPicture picture{};
    for (int plane = 0; plane < 4; ++plane) {
        picture.data[plane] = frame->data[plane];
        picture.linesize[plane] = frame->linesize[plane];
    }
    m_frameHooks->ProcessHooks(&picture, format, frame->width, frame->height, ptsUs);
}

void TranscodeSession::servePreview(const AVFrame* picture, int64_t ptsUs) {
    const bool bitmapWanted = m_owner.PreviewBitmap() && m_owner.onPreviewBitmap;
    const bool windowWanted = !bitmapWanted && m_owner.Preview();
    if (!bitmapWanted && !windowWanted) {
        return;
    }
    const int64_t now = lib::avutil.av_gettime_relative();
    if (m_lastPreviewUs != 0 && now - m_lastPreviewUs <= kPreviewIntervalUs) {
        return;
    }
    m_lastPreviewUs = now;
    if (!m_previewConverter.PictureToBitmap(picture)) {
        log(3, "Cannot initialize the toRGB conversion context");
        if (bitmapWanted) {
            m_owner.SetPreviewBitmap(false);
        } else {
            m_owner.SetPreview(false);
        }
        return;
    }
    if (bitmapWanted) {
        PreviewFrame preview;
        preview.bitmap = &m_previewConverter.bitmap();
        preview.frameNumber = processedFrames;
        preview.pts = ptsUs;
        m_owner.onPreviewBitmap(m_owner, preview);
        return;
    }
    if (!m_previewer) {
        m_previewer = std::make_unique<TPreviewer>();
    }
    const auto* task = dynamic_cast<const TTranscoder*>(&m_owner);
    if (!m_previewer->Show(m_previewConverter.bitmap(), task != nullptr ? task->TaskIndex + 1 : 1,
                           ptsUs)) {
        m_owner.SetPreview(false);
        m_previewer.reset();
    }
}

void TranscodeSession::buildFilterGraph(OutputStream& ost, int width, int height, int format,
                                        AVRational aspect) {
    AVCodecContext* enc = ost.encoderContext.get();
    ost.graphWidth = width;
    ost.graphHeight = height;
    ost.graphFormat = format;
    auto filterError = [this](const std::string& reason) {
        fail(reason.empty() ? "Error opening filters!" : "Error opening filters: " + reason);
    };
    ost.filterGraph.reset(lib::avfilter.avfilter_graph_alloc());
    AVFilterGraph* graph = ost.filterGraph.get();
    if (graph == nullptr) {
        filterError("");
    }
    graph->nb_threads = 0;
    if (aspect.num <= 0 || aspect.den <= 0) {
        aspect = AVRational{0, 1};
    }
    const std::string sourceArguments =
        FormatText("video_size=%dx%d:pix_fmt=%d:time_base=1/%d:pixel_aspect=%d/%d", width, height,
                   format, AV_TIME_BASE, aspect.num, aspect.den);
    int result = lib::avfilter.avfilter_graph_create_filter(
        &ost.filterSource, lib::avfilter.avfilter_get_by_name("buffer"), "src",
        sourceArguments.c_str(), nullptr, graph);
    if (result < 0) {
        filterError(LibraryErrorText(result));
    }
    result = lib::avfilter.avfilter_graph_create_filter(
        &ost.filterSink, lib::avfilter.avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
        graph);
    if (result < 0) {
        filterError(LibraryErrorText(result));
    }
    // The engine's sink accepts exactly the encoder's pixel format.
    const AVPixelFormat encoderFormat = enc->pix_fmt;
    result = lib::avutil.av_opt_set_bin(ost.filterSink, "pix_fmts",
                                        reinterpret_cast<const uint8_t*>(&encoderFormat),
                                        sizeof(encoderFormat), AV_OPT_SEARCH_CHILDREN);
    if (result < 0) {
        filterError(LibraryErrorText(result));
    }

    AVFilterContext* last = ost.filterSource;
    const int croppedWidth = width - ost.cropLeft - ost.cropRight;
    const int croppedHeight = height - ost.cropTop - ost.cropBottom;
    if (ost.cropTop || ost.cropBottom || ost.cropLeft || ost.cropRight) {
        AVFilterContext* crop = nullptr;
        const std::string arguments = FormatText("x=%d:y=%d:w=%d:h=%d", ost.cropLeft, ost.cropTop,
                                                 croppedWidth, croppedHeight);
        result = lib::avfilter.avfilter_graph_create_filter(
            &crop, lib::avfilter.avfilter_get_by_name("crop"), "crop", arguments.c_str(), nullptr,
            graph);
        if (result < 0 || (result = lib::avfilter.avfilter_link(last, 0, crop, 0)) < 0) {
            filterError(LibraryErrorText(result));
        }
        last = crop;
    }
    if (enc->width != croppedWidth || enc->height != croppedHeight) {
        AVFilterContext* scale = nullptr;
        const std::string arguments = FormatText("w=%d:h=%d:flags=%s", enc->width, enc->height,
                                                 scalerFlagNames(m_run.scalerFlags).c_str());
        result = lib::avfilter.avfilter_graph_create_filter(
            &scale, lib::avfilter.avfilter_get_by_name("scale"), "scale", arguments.c_str(),
            nullptr, graph);
        if (result < 0 || (result = lib::avfilter.avfilter_link(last, 0, scale, 0)) < 0) {
            filterError(LibraryErrorText(result));
        }
        last = scale;
    }
    const std::string scalerOptions = "flags=" + scalerFlagNames(m_run.scalerFlags);
    graph->scale_sws_opts = lib::avutil.av_strdup(scalerOptions.c_str());

    if (!ost.filterText.empty()) {
        FilterInOutPtr outputs(lib::avfilter.avfilter_inout_alloc());
        FilterInOutPtr inputs(lib::avfilter.avfilter_inout_alloc());
        if (!outputs || !inputs) {
            filterError("");
        }
        outputs->name = lib::avutil.av_strdup("in");
        outputs->filter_ctx = last;
        outputs->pad_idx = 0;
        outputs->next = nullptr;
        inputs->name = lib::avutil.av_strdup("out");
        inputs->filter_ctx = ost.filterSink;
        inputs->pad_idx = 0;
        inputs->next = nullptr;
        AVFilterInOut* in = inputs.release();
        AVFilterInOut* out = outputs.release();
        result = lib::avfilter.avfilter_graph_parse_ptr(graph, ost.filterText.c_str(), &in, &out,
                                                        nullptr);
        inputs.reset(in);
        outputs.reset(out);
        if (result < 0) {
            filterError(LibraryErrorText(result));
        }
    } else {
        result = lib::avfilter.avfilter_link(last, 0, ost.filterSink, 0);
        if (result < 0) {
            filterError(LibraryErrorText(result));
        }
    }
    result = lib::avfilter.avfilter_graph_config(graph, nullptr);
    if (result < 0) {
        filterError(LibraryErrorText(result));
    }
}

void TranscodeSession::videoOutput(OutputStream& ost, InputStream& ist, AVFrame* frame,
                                   int64_t ptsUs) {
    if (!ost.filtersUsed) {
        AVFrame* picture = frame;
        if (ost.scaling || frame->width != ost.expectedWidth ||
            frame->height != ost.expectedHeight || frame->format != ost.expectedFormat) {
            scaleFrame(ost, ist, frame);
            if (ost.scaling) {
                picture = ost.scaledFrame.get();
            }
        }
        encodeVideoFrames(ost, picture, ptsUs);
        return;
    }
    if (frame->width != ost.graphWidth || frame->height != ost.graphHeight ||
        frame->format != ost.graphFormat) {
        // A new picture size (the next file of a join, or a change inside the stream): the
        // graph is rebuilt for it and scales to the encoder's size.
        const char* formatName =
            lib::avutil.av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format));
        log(0, FormatText("Input Stream #%d.%d frame size changed to %dx%d, %s", ist.fileIndex,
                          ist.streamIndex, frame->width, frame->height,
                          formatName != nullptr ? formatName : "none"));
        // Pictures the old graph still holds (a deinterlacer keeps one) go out first.
        flushVideoFilters(ost);
        ost.filterSource = ost.filterSink = nullptr;
        buildFilterGraph(ost, frame->width, frame->height, frame->format,
                         frame->sample_aspect_ratio);
    }
    FramePtr input(lib::avutil.av_frame_clone(frame));
    if (!input) {
        fail("av_mallocz fail");
    }
    input->pts = ptsUs;
    int result = lib::avfilter.av_buffersrc_add_frame_flags(ost.filterSource, input.get(),
                                                            AV_BUFFERSRC_FLAG_KEEP_REF);
    if (result < 0) {
        fail("Error while feeding the filter graph: " + LibraryErrorText(result));
    }
    FramePtr filtered = makeFrame();
    const AVRational sinkBase = lib::avfilter.av_buffersink_get_time_base(ost.filterSink);
    while ((result = lib::avfilter.av_buffersink_get_frame(ost.filterSink, filtered.get())) >= 0) {
        const int64_t filteredUs =
            filtered->pts == AV_NOPTS_VALUE
                ? ptsUs
                : lib::avutil.av_rescale_q(filtered->pts, sinkBase, AV_TIME_BASE_Q);
        // A chosen display aspect stays; otherwise the filters' word on the shape is taken.
        if (filtered->sample_aspect_ratio.num > 0 && ost.displayAspect <= 0.0) {
            ost.encoderContext->sample_aspect_ratio = filtered->sample_aspect_ratio;
        }
        encodeVideoFrames(ost, filtered.get(), filteredUs);
        lib::avutil.av_frame_unref(filtered.get());
    }
}

void TranscodeSession::flushVideoFilters(OutputStream& ost) {
    if (!ost.filtersUsed || ost.filterSource == nullptr) {
        return;
    }
    if (lib::avfilter.av_buffersrc_add_frame_flags(ost.filterSource, nullptr, 0) < 0) {
        return;
    }
    FramePtr filtered = makeFrame();
    const AVRational sinkBase = lib::avfilter.av_buffersink_get_time_base(ost.filterSink);
    while (lib::avfilter.av_buffersink_get_frame(ost.filterSink, filtered.get()) >= 0) {
        if (filtered->pts != AV_NOPTS_VALUE) {
            encodeVideoFrames(ost, filtered.get(),
                              lib::avutil.av_rescale_q(filtered->pts, sinkBase, AV_TIME_BASE_Q));
        }
        lib::avutil.av_frame_unref(filtered.get());
    }
}

void TranscodeSession::scaleFrame(OutputStream& ost, InputStream& ist, AVFrame* frame) {
    AVCodecContext* enc = ost.encoderContext.get();
    if (frame->width != ost.expectedWidth || frame->height != ost.expectedHeight ||
        frame->format != ost.expectedFormat) {
        const char* formatName =
            lib::avutil.av_get_pix_fmt_name(static_cast<AVPixelFormat>(frame->format));
        log(0, FormatText("Input Stream #%d.%d frame size changed to %dx%d, %s", ist.fileIndex,
                          ist.streamIndex, frame->width, frame->height,
                          formatName != nullptr ? formatName : "none"));
        // The crop bands follow the picture, rounded down to even numbers.
        auto scaleBand = [](int band, int now, int first) {
            return first > 0 ? (band * now / first) & ~1 : band;
        };
        ost.cropTop = scaleBand(ost.firstCropTop, frame->height, ost.firstHeight);
        ost.cropBottom = scaleBand(ost.firstCropBottom, frame->height, ost.firstHeight);
        ost.cropLeft = scaleBand(ost.firstCropLeft, frame->width, ost.firstWidth);
        ost.cropRight = scaleBand(ost.firstCropRight, frame->width, ost.firstWidth);
        ost.expectedWidth = frame->width;
        ost.expectedHeight = frame->height;
        ost.expectedFormat = frame->format;
        // The encoder keeps its size; the new picture is scaled to it.
        ost.scaling = true;
        ost.scaler.reset();
    }
    if (!ost.scaling) {
        return;
    }
    const int sourceWidth = frame->width - ost.cropLeft - ost.cropRight;
    const int sourceHeight = frame->height - ost.cropTop - ost.cropBottom;
    if (sourceWidth <= 0 || sourceHeight <= 0) {
        if (m_run.exitOnError) {
            fail("error cropping picture");
        }
        log(3, "error cropping picture");
        return;
    }
    if (!ost.scaler) {
        ost.scaler.reset(lib::swscale.sws_getContext(
            sourceWidth, sourceHeight, static_cast<AVPixelFormat>(frame->format), enc->width,
            enc->height, enc->pix_fmt, m_run.scalerFlags, nullptr, nullptr, nullptr));
        if (!ost.scaler) {
            fail("Cannot get resampling context");
        }
    }
    if (!ost.scaledFrame) {
        ost.scaledFrame = makeFrame();
        ost.scaledFrame->width = enc->width;
        ost.scaledFrame->height = enc->height;
        ost.scaledFrame->format = enc->pix_fmt;
        if (lib::avutil.av_frame_get_buffer(ost.scaledFrame.get(), 0) < 0) {
            fail("Cannot allocate temp picture, check pix fmt");
        }
    }
    // The encoder may still hold a reference to the last picture.
    if (lib::avutil.av_frame_make_writable(ost.scaledFrame.get()) < 0) {
        fail("Cannot allocate temp picture, check pix fmt");
    }
    const uint8_t* data[4];
    int linesize[4];
    cropPointers(frame, ost.cropLeft, ost.cropTop, data, linesize);
    lib::swscale.sws_scale(ost.scaler.get(), data, linesize, 0, sourceHeight, ost.scaledFrame->data,
                           ost.scaledFrame->linesize);
    lib::avutil.av_frame_copy_props(ost.scaledFrame.get(), frame);
}

double TranscodeSession::pictureFrames(const OutputStream& ost) const {
    // The rate the pictures come at: what the filters make of it when they set one, else the
    // source's own. Far beyond any real rate change, a broken rate is taken as unknown.
    constexpr double kMostFrames = 1000.0;
    AVRational rate{0, 1};
    if (ost.filtersUsed && ost.filterSink != nullptr) {
        rate = lib::avfilter.av_buffersink_get_frame_rate(ost.filterSink);
    }
    if ((rate.num <= 0 || rate.den <= 0) && ost.sourceIndex >= 0) {
        const AVStream* stream = m_inputStreams[ost.sourceIndex].stream;
        rate = stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0
                   ? stream->avg_frame_rate
                   : stream->r_frame_rate;
    }
    const AVRational timeBase = ost.encoderContext->time_base;
    if (rate.num <= 0 || rate.den <= 0 || timeBase.num <= 0 || timeBase.den <= 0) {
        return 1.0;
    }
    const double frames = 1.0 / av_q2d(rate) / av_q2d(timeBase);
    return std::isfinite(frames) && frames > 0.0 && frames <= kMostFrames ? frames : 1.0;
}

void TranscodeSession::encodeVideoFrames(OutputStream& ost, AVFrame* picture, int64_t ptsUs) {
    AVCodecContext* enc = ost.encoderContext.get();
    const double frameSeconds = av_q2d(enc->time_base);
    const double syncInputPts =
        static_cast<double>(ptsUs - m_run.startTimeUs) / AV_TIME_BASE / frameSeconds -
        static_cast<double>(ost.gapRemoved);
    // A gap between pictures is filled with copies of the last one for at most the time stamp
    // threshold; a longer one (a broken time line) is removed rather than filled. The time
    // before the first picture (an "itsoffset", a late start) is the user's and is filled.
    const int64_t maxDuplicates =
        ost.frameCount == 0
            ? -1
            : static_cast<int64_t>(std::max(0.0, m_run.dtsDeltaThresholdSeconds / frameSeconds));
    const VideoSyncResult sync =
        VideoSyncStep(m_run.videoSyncMethod, ost.variableFrameRate, syncInputPts,
                      pictureFrames(ost), ost.syncOpts, maxDuplicates);
    int64_t frames = sync.frames;
    if (sync.framesRemoved > 0) {
        ost.gapRemoved += sync.framesRemoved;
        log(4, FormatText("Output stream #%d.%d: a gap of %.3f s in the pictures is not filled",
                          ost.fileIndex, ost.index,
                          static_cast<double>(sync.framesRemoved) * frameSeconds));
    }
    if (m_run.videoSyncMethod != 0) {
        if (frames == 0) {
            ++framesDropped;
            dupDropChanged = true;
            if (m_run.verbosity > 2) {
                log(6, "*** drop!");
            }
        } else if (frames > 1) {
            framesDuplicated += static_cast<int>(frames - 1);
            dupDropChanged = true;
            if (m_run.verbosity > 2) {
                log(6, FormatText("*** %d dup!", static_cast<int>(frames - 1)));
            }
        }
    }
    frames = std::min<int64_t>(frames, m_run.maxFrames[AVMEDIA_TYPE_VIDEO] - ost.frameCount);
    if (frames <= 0) {
        return;
    }
    FramePtr output = makeFrame();
    for (int64_t i = 0; i < frames && !m_owner.StopRequested(); ++i) {
        if (lib::avutil.av_frame_ref(output.get(), picture) < 0) {
            fail("av_mallocz fail");
        }
        output->pts = ost.syncOpts;
        output->pict_type = AV_PICTURE_TYPE_NONE;
        // "sameq": the quality the decoder reported for the picture, where it reports one.
        output->quality =
            m_run.sameQuality && picture->quality > 0 ? picture->quality : enc->global_quality;
        if (m_run.topFieldFirst != -1) {
            output->top_field_first = m_run.topFieldFirst;
        }
        encodeAndWrite(ost, output.get());
        servePreview(picture, ptsUs);
        lib::avutil.av_frame_unref(output.get());
        ++ost.syncOpts;
        ++ost.frameCount;
    }
}

}  // namespace velmora
