// Playback core: the video thread (decode, filter, picture queue) and the subtitle thread.
#include <chrono>
#include <cstring>

#include "medialib/MediaLogger.h"
#include "player/CustomPlayer.h"
#include "player/PlaybackCore.h"

namespace velmora {

namespace {

constexpr int kScalerFlags = 4;  // bicubic

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// CCIR-601 RGB -> YUV, as the bitmap subtitles and their blending use it.
int rgbToY(int r, int g, int b) {
    return (263 * r + 516 * g + 100 * b + 512 * 16 + 512) >> 10;
}
int rgbToU(int r, int g, int b) {
    return ((-152 * r - 298 * g + 450 * b + 512) >> 10) + 128;
}
int rgbToV(int r, int g, int b) {
    return ((450 * r - 377 * g - 73 * b + 512) >> 10) + 128;
}

}  // namespace

void PlaybackCore::videoThread() {
    FramePtr decoded = makeFrame();
    FramePtr filtered = makeFrame();
    FilterGraphPtr graph;
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    int graphWidth = 0;
    int graphHeight = 0;
    int graphFormat = -1;
    if (!decoded || !filtered) {
        return;
    }
    for (;;) {
        while (m_paused.load() && !m_abort.load() && !decodeWhilePaused()) {
            sleepMs(10);
        }
        if (m_abort.load()) {
            break;
        }
        const int got = decodeVideoFrame(decoded.get());
        if (got < 0) {
            break;
        }
        if (got == 0) {
            continue;
        }
        // A picture of another size or format needs a new graph.
        if (!graph || decoded->width != graphWidth || decoded->height != graphHeight ||
            decoded->format != graphFormat) {
            graph.reset();
            if (!configureFilters(graph, source, sink, *decoded)) {
                Logger().Log(&m_owner, TLogLevel::llError, "Cannot configure the video filters");
                break;
            }
            graphWidth = decoded->width;
            graphHeight = decoded->height;
            graphFormat = decoded->format;
        }
        const std::int64_t position = decoded->pkt_pos;
        if (lib::avfilter.av_buffersrc_add_frame_flags(source, decoded.get(), 0) < 0) {
            lib::avutil.av_frame_unref(decoded.get());
            break;
        }
        bool failed = false;
        while (lib::avfilter.av_buffersink_get_frame(sink, filtered.get()) >= 0) {
            const AVRational timeBase = m_videoStream->time_base;
            const double pts = filtered->pts == AV_NOPTS_VALUE
                                   ? 0.0
                                   : static_cast<double>(filtered->pts) * av_q2d(timeBase);
            const int result = outputPicture(filtered.get(), pts, position);
            lib::avutil.av_frame_unref(filtered.get());
            if (result < 0) {
                failed = true;
                break;
            }
            m_endReported = false;
            if (!m_seekRequest.load()) {
                m_owner.setSeekInProgress(false);
            }
            if (m_step.load()) {
                togglePause();
            }
        }
        if (failed) {
            break;
        }
    }
}

bool PlaybackCore::configureFilters(FilterGraphPtr& graph, AVFilterContext*& source,
                                    AVFilterContext*& sink, const AVFrame& frame) {
    graph.reset(lib::avfilter.avfilter_graph_alloc());
    if (!graph) {
        return false;
    }
    char scaleOptions[32];
    std::snprintf(scaleOptions, sizeof scaleOptions, "flags=%d", kScalerFlags);
    graph->scale_sws_opts = lib::avutil.av_strdup(scaleOptions);
    graph->nb_threads = 1;
    const AVRational timeBase = m_videoStream->time_base;
    AVRational sar = frame.sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0) {
        sar = AVRational{0, 1};
    }
    char args[256];
    std::snprintf(args, sizeof args,
                  "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", frame.width,
                  frame.height, frame.format, timeBase.num, timeBase.den, sar.num, sar.den);
    source = nullptr;
    sink = nullptr;
    if (lib::avfilter.avfilter_graph_create_filter(&source,
                                                   lib::avfilter.avfilter_get_by_name("buffer"),
                                                   "src", args, nullptr, graph.get()) < 0) {
        return false;
    }
    if (lib::avfilter.avfilter_graph_create_filter(&sink,
                                                   lib::avfilter.avfilter_get_by_name("buffersink"),
                                                   "out", nullptr, nullptr, graph.get()) < 0) {
        return false;
    }
    // The sink takes one format: the planar 4:2:0 of the picture slots.
    const AVPixelFormat formats[] = {AV_PIX_FMT_YUV420P, AV_PIX_FMT_NONE};
    if (lib::avutil.av_opt_set_bin(sink, "pix_fmts", reinterpret_cast<const uint8_t*>(formats),
                                   sizeof(formats[0]), AV_OPT_SEARCH_CHILDREN) < 0) {
        return false;
    }
    if (lib::avfilter.avfilter_link(source, 0, sink, 0) < 0) {
        return false;
    }
    return lib::avfilter.avfilter_graph_config(graph.get(), nullptr) >= 0;
}

int PlaybackCore::decodeVideoFrame(AVFrame* frame) {
    AVCodecContext* codec = m_videoCodec.get();
    for (;;) {
        const int received = lib::avcodec.avcodec_receive_frame(codec, frame);
        if (received == 0) {
            // Count timestamps that fail to increase, and trust whichever kind fails less.
            const std::int64_t reordered = frame->pts;
            const std::int64_t dts = frame->pkt_dts;
            if (dts != AV_NOPTS_VALUE) {
                m_faultyDts += dts <= m_lastDtsForFault ? 1 : 0;
                m_lastDtsForFault = dts;
            }
            if (reordered != AV_NOPTS_VALUE) {
                m_faultyPts += reordered <= m_lastPtsForFault ? 1 : 0;
                m_lastPtsForFault = reordered;
            }
            std::int64_t pts = 0;
            if (reordered != AV_NOPTS_VALUE &&
                (m_decoderReorder == 1 || (m_decoderReorder == -1 && m_faultyPts < m_faultyDts) ||
                 dts == AV_NOPTS_VALUE)) {
                pts = reordered;
            } else if (dts != AV_NOPTS_VALUE) {
                pts = dts;
            }
            frame->pts = pts;
            noteDecodedPicture(*frame);
            bool pass = false;
            {
                std::lock_guard lock(m_pictureMutex);
                m_skipCounter += 1.0;
                if (m_skipCounter >= m_skipFactor) {
                    m_skipCounter -= std::max(1.0, m_skipFactor);
                    pass = true;
                }
            }
            if (pass) {
                return 1;
            }
            lib::avutil.av_frame_unref(frame);
            continue;
        }
        if (received == AVERROR_EOF) {
            if (!m_videoDrained.exchange(true)) {
                decoderDrained();
            }
        } else if (received != AVERROR(EAGAIN)) {
            Logger().Log(&m_owner, TLogLevel::llInfo, "video decoding failed");
        }
        PacketQueue::Item item;
        if (m_videoQueue.get(item, true) < 0) {
            return -1;
        }
        if (item.flush) {
            flushVideo(item.serial);
            continue;
        }
        AVPacket* packet = item.packet.get();
        if (packet->data == nullptr && packet->size == 0) {
            // End of input: the decoder hands out what it holds.
            if (!m_emptyReported.exchange(true)) {
                reportPosition();
            }
            lib::avcodec.avcodec_send_packet(codec, nullptr);
            continue;
        }
        if (received == AVERROR_EOF) {
            // A drained decoder takes packets again only after a flush.
            lib::avcodec.avcodec_flush_buffers(codec);
            m_videoDrained = false;
        }
        lib::avcodec.avcodec_send_packet(codec, packet);
    }
}

void PlaybackCore::noteDecodedPicture(const AVFrame& frame) {
    const double timeBase = av_q2d(m_videoStream->time_base);
    double length = static_cast<double>(frame.pkt_duration) * timeBase;
    if (length <= 0.0) {
        const AVRational rate =
            lib::avformat.av_guess_frame_rate(m_format.get(), m_videoStream, nullptr);
        length = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
    }
    std::lock_guard lock(m_clockMutex);
    m_videoDecodedEnd = static_cast<double>(frame.pts) * timeBase + length;
}

bool PlaybackCore::decodeWhilePaused() const {
    if (m_openedPaused.load() || m_seekRequest.load()) {
        return true;
    }
    const int awaited = m_awaitedSerial.load();
    return m_outputSerial.load() < awaited && m_drainedSerial.load() < awaited;
}

void PlaybackCore::decoderDrained() {
    std::lock_guard lock(m_pictureMutex);
    const int serial = m_decoderSerial.load();
    m_drainedSerial = serial;
    // A seek to the very end finds no picture: its wait ends here. Had the decoder made one,
    // the wait ends when that picture is shown.
    if (serial >= m_awaitedSerial.load() && m_outputSerial.load() < serial) {
        m_pictureReady.set();
    }
}

void PlaybackCore::flushVideo(int serial) {
    lib::avcodec.avcodec_flush_buffers(m_videoCodec.get());
    {
        std::unique_lock lock(m_pictureMutex);
        for (PictureSlot& slot : m_slots) {
            slot.targetTime = 0.0;
        }
        // The event loop drops the stale pictures queued; wait for it so no old picture
        // follows the seek.
        while (m_pictureSize > 0 && !m_abort.load() && !m_videoQueue.aborted()) {
            m_pictureChanged.wait_for(lock, std::chrono::milliseconds(10));
        }
        m_frameLastPts = NAN;
        m_frameLastDelay = 0.0;
        m_frameTimer = now();
        m_skipFactor = 1.0;
        m_skipCounter = 0.0;
    }
    m_faultyPts = 0;
    m_faultyDts = 0;
    m_lastPtsForFault = AV_NOPTS_VALUE;
    m_lastDtsForFault = AV_NOPTS_VALUE;
    {
        std::lock_guard lock(m_clockMutex);
        m_videoDecodedEnd = NAN;
    }
    m_videoDrained = false;
    m_decoderSerial = serial;
}

int PlaybackCore::outputPicture(AVFrame* frame, double pts, std::int64_t position) {
    {
        std::lock_guard lock(m_clockMutex);
        if (pts != 0.0) {
            m_videoPtsClock = pts;
        } else {
            pts = m_videoPtsClock;
        }
        AVRational rate = lib::avformat.av_guess_frame_rate(m_format.get(), m_videoStream, frame);
        double frameDelay = rate.num > 0 && rate.den > 0 ? av_q2d(av_inv_q(rate)) : 0.04;
        frameDelay += frame->repeat_pict * (frameDelay * 0.5);
        m_videoPtsClock += frameDelay;
    }
    return queuePicture(frame, pts, position);
}

int PlaybackCore::queuePicture(AVFrame* frame, double pts, std::int64_t position) {
    {
        std::unique_lock lock(m_pictureMutex);
        if (m_pictureSize > 1 && !m_refreshPending.load()) {
            m_skipFactor = std::max(0.95, m_skipFactor * 0.95);
        }
        while (m_pictureSize >= kPictureSlots && !m_videoQueue.aborted() && !m_abort.load()) {
            m_pictureChanged.wait_for(lock, std::chrono::milliseconds(10));
        }
        if (m_videoQueue.aborted() || m_abort.load()) {
            return -1;
        }
    }
    const int slotIndex = m_pictureWrite;
    PictureSlot& slot = m_slots[slotIndex];
    {
        std::lock_guard slotLock(slot.mutex);
        const int width = frame->width & ~1;
        const int height = frame->height & ~1;
        if (width <= 0 || height <= 0) {
            return 0;
        }
        if (!slot.picture || slot.picture->width != width || slot.picture->height != height) {
            FramePtr picture = makeFrame();
            if (!picture) {
                return -1;
            }
            picture->format = AV_PIX_FMT_YUV420P;
            picture->width = width;
            picture->height = height;
            if (lib::avutil.av_frame_get_buffer(picture.get(), 0) < 0) {
                return -1;
            }
            slot.picture = std::move(picture);
        }
        lib::avutil.av_image_copy(slot.picture->data, slot.picture->linesize,
                                  const_cast<const uint8_t**>(frame->data), frame->linesize,
                                  AV_PIX_FMT_YUV420P, width, height);
        if (m_owner.Hook() && m_owner.OnHook) {
            m_owner.runVideoHook(*slot.picture, pts, m_startTime);
        }
        slot.pts = pts;
        slot.position = position;
        slot.sampleAspect = frame->sample_aspect_ratio;
        slot.serial = m_decoderSerial.load();
    }
    m_pictureWrite = (m_pictureWrite + 1) % kPictureSlots;
    {
        std::lock_guard lock(m_pictureMutex);
        double delay = pts - m_frameLastPts;
        if (std::isnan(delay) || delay <= 0.0 || delay >= 10.0) {
            delay = m_frameLastDelay;
        } else {
            m_frameLastDelay = delay;
        }
        m_frameLastPts = pts;
        if (videoIsSlave()) {
            delay = playback::syncedDelay(delay, videoClock() - masterClock(), true);
        }
        m_frameTimer += delay;
        slot.targetTime = m_frameTimer;
        ++m_pictureSize;
        m_outputSerial = slot.serial;
    }
    m_pictureChanged.notify_all();
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Subtitles

void PlaybackCore::freeSubtitleSlot(SubtitleSlot& slot) {
    if (slot.valid) {
        lib::avcodec.avsubtitle_free(&slot.subtitle);
        slot.valid = false;
    }
}

void PlaybackCore::subtitleThread() {
    for (;;) {
        while (m_paused.load() && !m_abort.load() && !decodeWhilePaused()) {
            sleepMs(10);
        }
        PacketQueue::Item item;
        if (m_subtitleQueue.get(item, true) < 0) {
            return;
        }
        if (item.flush) {
            lib::avcodec.avcodec_flush_buffers(m_subtitleCodec.get());
            continue;
        }
        {
            std::unique_lock lock(m_subtitleMutex);
            while (m_subtitleSize >= kSubtitleSlots && !m_subtitleQueue.aborted()) {
                m_subtitleChanged.wait_for(lock, std::chrono::milliseconds(10));
            }
            if (m_subtitleQueue.aborted()) {
                return;
            }
        }
        AVPacket* packet = item.packet.get();
        SubtitleSlot& slot = m_subtitles[m_subtitleWrite];
        const double pts = packet->pts != AV_NOPTS_VALUE ? static_cast<double>(packet->pts) *
                                                               av_q2d(m_subtitleStream->time_base)
                                                         : 0.0;
        int gotSubtitle = 0;
        AVSubtitle subtitle{};
        if (lib::avcodec.avcodec_decode_subtitle2(m_subtitleCodec.get(), &subtitle, &gotSubtitle,
                                                  packet) < 0 ||
            !gotSubtitle) {
            continue;
        }
        if (subtitle.format != 0) {
            lib::avcodec.avsubtitle_free(&subtitle);
            continue;
        }
        // Palettes become YUV with alpha so blending needs no colour conversion per picture.
        for (unsigned r = 0; r < subtitle.num_rects; ++r) {
            AVSubtitleRect* rect = subtitle.rects[r];
            if (rect->type != SUBTITLE_BITMAP || rect->data[1] == nullptr) {
                continue;
            }
            auto* palette = reinterpret_cast<std::uint32_t*>(rect->data[1]);
            for (int i = 0; i < rect->nb_colors; ++i) {
                const std::uint32_t rgba = palette[i];
                const int a = (rgba >> 24) & 0xFF;
                const int red = (rgba >> 16) & 0xFF;
                const int green = (rgba >> 8) & 0xFF;
                const int blue = rgba & 0xFF;
                const int y = rgbToY(red, green, blue);
                const int u = rgbToU(red, green, blue);
                const int v = rgbToV(red, green, blue);
                palette[i] = (static_cast<std::uint32_t>(a) << 24) | (y << 16) | (u << 8) | v;
            }
        }
        std::lock_guard lock(m_subtitleMutex);
        freeSubtitleSlot(slot);
        slot.subtitle = subtitle;
        slot.pts = pts;
        slot.valid = true;
        m_subtitleWrite = (m_subtitleWrite + 1) % kSubtitleSlots;
        ++m_subtitleSize;
    }
}

}  // namespace velmora
