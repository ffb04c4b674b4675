// The transcoding loop: choosing the input to read, reading, decoding and dispatching packets,
// stream copy, writing packets, the flush at the end, trailers and progress reports.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>

#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"

namespace velmora {

std::string LibraryErrorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    if (lib::avutil.av_strerror != nullptr &&
        lib::avutil.av_strerror(code, buffer, sizeof buffer) == 0) {
        return buffer;
    }
    return FormatText("Error number %d occurred", code);
}

TranscodeSession::TranscodeSession(TCustomTranscoder& owner) : m_owner(owner) {}

TranscodeSession::~TranscodeSession() {
    closeCodecs();
    close();
}

void TranscodeSession::fail(const std::string& text) const {
    throw TranscoderException(text);
}

void TranscodeSession::log(int level, const std::string& text) const {
    Logger().Log(&m_owner, static_cast<TLogLevel>(level), text);
}

void TranscodeSession::transcode(EngineSettings& settings) {
    m_run = RunOptions{};
    m_run.startTimeUs = settings.startTimeUs;
    m_run.recordingTimeUs = settings.recordingTimeUs;
    m_run.limitFileSizeBytes = settings.limitFileSizeBytes;
    m_run.maxFrames = settings.maxFrames;
    m_run.videoSyncMethod = settings.videoSyncMethod;
    m_run.audioSyncMethod = settings.audioSyncMethod;
    m_run.audioDriftThresholdSeconds = settings.audioDriftThresholdSeconds;
    m_run.audioVolume = settings.audioVolume;
    m_run.exitOnError = settings.exitOnError;
    m_run.verbosity = settings.verbosity;
    m_run.copyTimestamps = settings.copyTimestamps;
    m_run.shortest = settings.shortest;
    m_run.inputSync = settings.inputSync;
    m_run.copyInitialNonKeyFrames = settings.copyInitialNonKeyFrames;
    m_run.readAtNativeRate = settings.readAtNativeRate;
    m_run.packetDump = settings.packetDump;
    m_run.hexDump = settings.hexDump;
    m_run.dtsDeltaThresholdSeconds = settings.dtsDeltaThresholdSeconds;
    m_run.topFieldFirst = settings.topFieldFirst;
    m_run.sameQuality = settings.sameQuality;
    m_run.scalerFlags = m_generic.scalerFlags();
    m_run.statisticsFileName = settings.statisticsFileName;
    m_run.qpHistogram = settings.qpHistogram;
    m_run.codecThreads = settings.codecThreads;
    m_hasFrameHooks = !settings.frameHooks.empty();
    // The hooks were configured when their options were parsed; the run takes them over, so
    // that each is configured once and released once, when the task closes.
    m_frameHooks = std::move(settings.frameHookList);
    m_customHookActive = static_cast<bool>(m_owner.onCustomHook);
    m_lastPreviewUs = 0;
    videoBytes = audioBytes = headerBytes = 0;
    framesDuplicated = framesDropped = processedFrames = 0;
    dupDropChanged = false;

    m_currentFile = 0;
    m_skippedPackets = 0;
    m_endedBySizeLimit = false;
    m_reportedTimeSec = 0.0;
    prepareStreams(settings);
    startSizeLimit();
    noteExpectedEnds();
    runLoop();
    discountRemovedGaps();
    if (m_endedBySizeLimit) {
        forgetExpectedEnds();
    }
}

DamageReport TranscodeSession::damage() const {
    DamageReport report;
    report.skippedPackets = m_skippedPackets;
    report.droppedStreams = m_droppedStreams;
    return report;
}

int TranscodeSession::chooseInput() {
    double minOutput = 1e100;
    double minInput = 1e100;
    int fileIndex = -1;
    for (const OutputStream& ost : m_outputStreams) {
        if (!ost.fed) {
            continue;
        }
        const InputStream& ist = m_inputStreams[ost.sourceIndex];
        const InputFile& file = m_inputs[ist.fileIndex];
        if (m_joinMode) {
            const int type = ost.type >= 0 && ost.type < 4 ? ost.type : AVMEDIA_TYPE_DATA;
            if (ost.frameCount >= m_run.maxFrames[type]) {
                return -1;
            }
            fileIndex = m_currentFile;
            continue;
        }
        if (ist.pastRecordingTime || file.noPacket) {
            continue;
        }
        // What was read of the stream, not what its encoder gave back: an encoder that holds
        // pictures back (a look-ahead) must not make its input look behind the others.
        const double outputTime =
            ist.readEndUs == AV_NOPTS_VALUE
                ? 0.0
                : static_cast<double>(ist.readEndUs - m_run.startTimeUs) / AV_TIME_BASE;
        const double inputTime = static_cast<double>(ist.ptsUs);
        if (!file.endReached) {
            if (inputTime < minInput) {
                minInput = inputTime;
                if (m_run.inputSync) {
                    fileIndex = ist.fileIndex;
                }
            }
            if (outputTime < minOutput) {
                minOutput = outputTime;
                if (!m_run.inputSync) {
                    fileIndex = ist.fileIndex;
                }
            }
        }
        const int type = ost.type >= 0 && ost.type < 4 ? ost.type : AVMEDIA_TYPE_DATA;
        if (ost.frameCount >= m_run.maxFrames[type]) {
            return -1;
        }
    }
    return fileIndex;
}

void TranscodeSession::noteReadTime(InputStream& ist, const AVPacket* packet) {
    const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (stamp == AV_NOPTS_VALUE) {
        return;
    }
    int64_t end = stamp;
    if (packet->duration > 0 && stamp <= std::numeric_limits<int64_t>::max() - packet->duration) {
        end += packet->duration;
    }
    const int64_t endUs = lib::avutil.av_rescale_q(end, ist.stream->time_base, AV_TIME_BASE_Q);
    if (ist.readEndUs == AV_NOPTS_VALUE || endUs > ist.readEndUs) {
        ist.readEndUs = endUs;
    }
}

void TranscodeSession::runLoop() {
    m_startClockUs = lib::avutil.av_gettime_relative();
    m_lastReportUs = m_startClockUs;
    for (InputFile& file : m_inputs) {
        file.noPacket = false;
    }
    PacketPtr packet = makePacket();
    int fileIndex = 0;
    while (!m_owner.StopRequested()) {
        m_owner.m_pauseGate.pass();
        if (m_owner.StopRequested()) {
            break;
        }
        fileIndex = chooseInput();
        if (fileIndex < 0) {
            const bool anyNoPacket = std::any_of(m_inputs.begin(), m_inputs.end(),
                                                 [](const InputFile& f) { return f.noPacket; });
            if (m_joinMode || !anyNoPacket) {
                break;
            }
            for (InputFile& file : m_inputs) {
                file.noPacket = false;
            }
            lib::avutil.av_usleep(10000);
            continue;
        }
        if (m_sizeLimit.cut()) {
            break;  // the first output is full
        }
        InputFile& file = m_inputs[fileIndex];
        const int result = readPacket(file, packet.get());
        if (result == AVERROR(EAGAIN)) {
            file.noPacket = true;
            continue;
        }
        if (result < 0) {
            if (!inputEnded(file, fileIndex, result)) {
                continue;
            }
            file.endReached = true;
            if (m_joinMode) {
                if (!switchJoinedFile(fileIndex)) {
                    break;
                }
                continue;
            }
            if (m_run.shortest) {
                break;
            }
            continue;
        }
        for (InputFile& each : m_inputs) {
            each.noPacket = false;
        }
        if (const int skipped = file.readErrors.onPacket(); skipped > 0) {
            m_skippedPackets += skipped;
            if (m_run.verbosity >= 0) {
                log(4, FormatText("Input file #%d: damaged data skipped", fileIndex));
            }
        }
        const bool reported = handlePacket(file, fileIndex, packet.get());
        lib::avcodec.av_packet_unref(packet.get());
        checkRunaway();
        if (!reported) {
            continue;
        }
        const int64_t now = lib::avutil.av_gettime_relative();
        if (now - m_lastReportUs > m_owner.ReportIntervalUs()) {
            m_lastReportUs = now;
            printReport(false, fileIndex);
        }
    }

    flushAll();
    checkSomethingDecoded();
    requireEveryStreamFed();
    writeTrailers();
    printReport(true, -1);
}

bool TranscodeSession::handlePacket(InputFile& file, int fileIndex, AVPacket* packet) {
    if (packet->stream_index < 0 || packet->stream_index >= file.streamCount) {
        return true;  // a stream that appeared after the tables were built
    }
    if (m_run.packetDump) {
        lib::avformat.av_pkt_dump_log2(nullptr, AV_LOG_INFO, packet, m_run.hexDump ? 1 : 0,
                                       file.context->streams[packet->stream_index]);
    }
    const int istIndex = file.firstStream + packet->stream_index;
    InputStream& ist = m_inputStreams[istIndex];
    if (ist.discarded || (!ist.used && !ist.decodingNeeded)) {
        return true;
    }
    const AVRational timeBase = ist.stream->time_base;
    if (file.tsOffsetUs != 0) {
        const int64_t offset = lib::avutil.av_rescale_q(file.tsOffsetUs, AV_TIME_BASE_Q, timeBase);
        if (packet->dts != AV_NOPTS_VALUE) {
            packet->dts += offset;
        }
        if (packet->pts != AV_NOPTS_VALUE) {
            packet->pts += offset;
        }
    }
    if (packet->stream_index < kMaxStreams && file.tsScale[packet->stream_index] != 0.0) {
        const double scale = file.tsScale[packet->stream_index];
        if (packet->dts != AV_NOPTS_VALUE) {
            packet->dts = static_cast<int64_t>(packet->dts * scale);
        }
        if (packet->pts != AV_NOPTS_VALUE) {
            packet->pts = static_cast<int64_t>(packet->pts * scale);
        }
    }
    guardTimeline(file, ist, istIndex, packet);
    if (m_run.recordingTimeUs != std::numeric_limits<int64_t>::max() &&
        packet->pts != AV_NOPTS_VALUE &&
        lib::avutil.av_compare_ts(packet->pts, timeBase, m_run.recordingTimeUs + m_run.startTimeUs,
                                  AV_TIME_BASE_Q) >= 0) {
        ist.pastRecordingTime = true;
        return true;
    }
    noteReadTime(ist, packet);
    noteSourcePacket(ist, packet);
    if (!outputPacket(ist, istIndex, packet)) {
        ++m_skippedPackets;  // the decoder refused it: damaged data, passed over
        const std::string text =
            FormatText("Error while decoding stream #%d.%d (%s)", fileIndex, packet->stream_index,
                       lib::avutil.av_get_media_type_string(ist.stream->codecpar->codec_type));
        if (m_run.exitOnError) {
            fail(text);
        }
        if (m_run.verbosity >= 0) {
            log(6, text);
        }
        return false;
    }
    return true;
}

bool TranscodeSession::outputPacket(InputStream& ist, int istIndex, const AVPacket* packet) {
    if (packet != nullptr) {
        if (ist.nextPtsUs == AV_NOPTS_VALUE) {
            ist.nextPtsUs = ist.ptsUs;
        }
        if (packet->dts != AV_NOPTS_VALUE) {
            ist.nextPtsUs = ist.ptsUs =
                lib::avutil.av_rescale_q(packet->dts, ist.stream->time_base, AV_TIME_BASE_Q);
        }
    }
    bool ok = true;
    if (ist.decodingNeeded && ist.decoderOpen) {
        AVCodecContext* dec = ist.decoderContext.get();
        if (dec->codec_type == AVMEDIA_TYPE_SUBTITLE) {
            if (packet != nullptr && !decodeSubtitle(ist, istIndex, packet)) {
                ok = false;
            }
        } else {
            int result = lib::avcodec.avcodec_send_packet(dec, packet);
            if (result < 0 && result != AVERROR_EOF && result != AVERROR(EAGAIN)) {
                ++ist.decodeErrors;
                ok = false;
            }
            int framesFromPacket = 0;
            while (true) {
                result = lib::avcodec.avcodec_receive_frame(dec, ist.frame.get());
                if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                    break;
                }
                if (result < 0) {
                    ++ist.decodeErrors;
                    ok = false;
                    break;
                }
                ++ist.framesDecoded;
                ++framesFromPacket;
                dispatchFrame(ist, istIndex, ist.frame.get());
                lib::avutil.av_frame_unref(ist.frame.get());
            }
            if (framesFromPacket > 1 && packet != nullptr &&
                dec->codec_type == AVMEDIA_TYPE_VIDEO && m_run.verbosity > 0 &&
                (!ist.multipleFramesWarned || m_run.verbosity > 1)) {
                ist.multipleFramesWarned = true;
                log(3, FormatText("Multiple frames in a packet from stream %d", ist.streamIndex));
            }
        }
    }
    if (packet != nullptr) {
        for (OutputStream& ost : m_outputStreams) {
            if (ost.sourceIndex == istIndex && ost.streamCopy) {
                copyPacket(ost, ist, packet);
            }
        }
    }
    return ok;
}

void TranscodeSession::dispatchFrame(InputStream& ist, int istIndex, AVFrame* frame) {
    const AVRational timeBase = ist.stream->time_base;
    int64_t ptsUs = ist.nextPtsUs != AV_NOPTS_VALUE ? ist.nextPtsUs : ist.ptsUs;
    if (frame->best_effort_timestamp != AV_NOPTS_VALUE) {
        ptsUs = lib::avutil.av_rescale_q(frame->best_effort_timestamp, timeBase, AV_TIME_BASE_Q);
    }
    ist.ptsUs = ptsUs;
    const AVMediaType type = ist.stream->codecpar->codec_type;
    if (type == AVMEDIA_TYPE_VIDEO) {
        int64_t durationUs = 0;
        if (frame->pkt_duration > 0) {
            durationUs = lib::avutil.av_rescale_q(frame->pkt_duration, timeBase, AV_TIME_BASE_Q);
        } else {
            AVRational rate = ist.stream->avg_frame_rate.num > 0 ? ist.stream->avg_frame_rate
                                                                 : ist.stream->r_frame_rate;
            if (rate.num > 0 && rate.den > 0) {
                durationUs = lib::avutil.av_rescale_q(1, av_inv_q(rate), AV_TIME_BASE_Q);
            }
        }
        ist.nextPtsUs = ptsUs + durationUs;
        preprocessFrame(frame, ptsUs);
    } else if (type == AVMEDIA_TYPE_AUDIO) {
        if (frame->sample_rate > 0) {
            ist.nextPtsUs =
                ptsUs + static_cast<int64_t>(frame->nb_samples) * AV_TIME_BASE / frame->sample_rate;
        }
        if (m_run.audioVolume != 256) {
            applyVolume(frame);
        }
    }
    if (m_run.readAtNativeRate) {
        const int64_t elapsed = lib::avutil.av_gettime_relative() - ist.startClockUs;
        if (ptsUs > elapsed + 1000) {
            lib::avutil.av_usleep(static_cast<unsigned>((ptsUs - elapsed) / 1000 * 1000));
        }
    }
    // Frames before the start (an output "ss", or the pre-roll of an input seek, which lands on
    // the key frame before the position asked for) are decoded but not written. Audio frames
    // that straddle the start are trimmed by the audio road.
    if (type == AVMEDIA_TYPE_VIDEO && ptsUs < m_run.startTimeUs) {
        return;
    }
    if (type == AVMEDIA_TYPE_AUDIO && ist.nextPtsUs <= m_run.startTimeUs) {
        return;
    }
    for (OutputStream& ost : m_outputStreams) {
        if (ost.sourceIndex != istIndex || !ost.encodingNeeded) {
            continue;
        }
        if (ost.type == AVMEDIA_TYPE_VIDEO) {
            videoOutput(ost, ist, frame, ptsUs);
        } else if (ost.type == AVMEDIA_TYPE_AUDIO) {
            audioOutput(ost, ist, frame);
        } else {
            fail("invalid codec_type");
        }
    }
}

void TranscodeSession::copyPacket(OutputStream& ost, InputStream& ist, const AVPacket* packet) {
    if (m_run.startTimeUs != 0 && ist.ptsUs < m_run.startTimeUs) {
        return;
    }
    if (ost.frameCount == 0 && !(packet->flags & AV_PKT_FLAG_KEY) &&
        m_run.copyInitialNonKeyFrames == 0) {
        return;
    }
    if (ost.type == AVMEDIA_TYPE_AUDIO) {
        audioBytes += packet->size;
    } else if (ost.type == AVMEDIA_TYPE_VIDEO) {
        videoBytes += packet->size;
        ++ost.syncOpts;
    }
    AVPacket* out = ost.packet.get();
    if (lib::avcodec.av_packet_ref(out, packet) < 0) {
        fail("av_mallocz fail");
    }
    const AVRational from = ist.stream->time_base;
    const AVRational to = ost.stream->time_base;
    const int64_t startShift = lib::avutil.av_rescale_q(m_run.startTimeUs, AV_TIME_BASE_Q, to);
    if (packet->pts != AV_NOPTS_VALUE) {
        out->pts = lib::avutil.av_rescale_q(packet->pts, from, to) - startShift;
    }
    if (packet->dts == AV_NOPTS_VALUE) {
        out->dts = lib::avutil.av_rescale_q(ist.ptsUs, AV_TIME_BASE_Q, to);
    } else {
        out->dts = lib::avutil.av_rescale_q(packet->dts, from, to);
    }
    out->dts -= startShift;
    out->duration = lib::avutil.av_rescale_q(packet->duration, from, to);
    writePacket(ost, out);
    lib::avcodec.av_packet_unref(out);
    ++ost.frameCount;
}

void TranscodeSession::encodeAndWrite(OutputStream& ost, AVFrame* frame) {
    AVCodecContext* enc = ost.encoderContext.get();
    const char* failure =
        ost.type == AVMEDIA_TYPE_VIDEO ? "Video encoding failed" : "Audio encoding failed";
    int result = lib::avcodec.avcodec_send_frame(enc, frame);
    if (result == AVERROR_EOF) {
        return;
    }
    if (result < 0) {
        fail(std::string(failure) + ": " + LibraryErrorText(result));
    }
    AVPacket* packet = ost.packet.get();
    while (true) {
        result = lib::avcodec.avcodec_receive_packet(enc, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            break;
        }
        if (result < 0) {
            fail(std::string(failure) + ": " + LibraryErrorText(result));
        }
        if (ost.type == AVMEDIA_TYPE_VIDEO) {
            videoBytes += packet->size;
            noteVideoPacket(ost, packet);
            size_t sideSize = 0;
            const uint8_t* stats =
                lib::avcodec.av_packet_get_side_data(packet, AV_PKT_DATA_QUALITY_STATS, &sideSize);
            if (stats != nullptr && sideSize >= 4) {
                ost.quality = static_cast<float>(stats[0] | (stats[1] << 8) | (stats[2] << 16) |
                                                 (static_cast<uint32_t>(stats[3]) << 24));
            }
        } else {
            audioBytes += packet->size;
        }
        if (ost.passLog && enc->stats_out != nullptr) {
            std::fputs(enc->stats_out, ost.passLog.get());
        }
        lib::avcodec.av_packet_rescale_ts(packet, enc->time_base, ost.stream->time_base);
        writePacket(ost, packet);
        lib::avcodec.av_packet_unref(packet);
    }
}

void TranscodeSession::writePacket(OutputStream& ost, AVPacket* packet) {
    if (packet == nullptr && ost.bitstreamFilters.empty()) {
        return;  // the end of a stream without filters: nothing held back
    }
    if (packet != nullptr) {
        packet->stream_index = ost.index;
    }
    auto mux = [&](AVPacket* ready) {
        if (!holdForSizeLimit(ost, ready)) {
            muxPacket(ost, ready);
        }
    };
    if (ost.bitstreamFilters.empty()) {
        mux(packet);
        return;
    }
    // Through every bitstream filter in order; a filter may hold packets back or split them.
    // A null entry is the end of the stream: each filter gives what it held back.
    std::vector<PacketPtr> pending;
    pending.push_back(
        PacketPtr(packet != nullptr ? lib::avcodec.av_packet_clone(packet) : nullptr));
    if (packet != nullptr && !pending.front()) {
        fail("av_mallocz fail");
    }
    for (size_t level = 0; level < ost.bitstreamFilters.size(); ++level) {
        AVBSFContext* filter = ost.bitstreamFilters[level].get();
        std::vector<PacketPtr> next;
        for (PacketPtr& item : pending) {
            int result = lib::avcodec.av_bsf_send_packet(filter, item.get());
            while (result >= 0) {
                PacketPtr out = makePacket();
                result = lib::avcodec.av_bsf_receive_packet(filter, out.get());
                if (result >= 0) {
                    next.push_back(std::move(out));
                }
            }
            if (result != AVERROR(EAGAIN) && result != AVERROR_EOF) {
                const std::string text = FormatText(
                    "%s failed for stream %d, codec %s: %s", filter->filter->name, ost.index,
                    ost.encoder != nullptr && !ost.streamCopy ? ost.encoder->name : "copy",
                    LibraryErrorText(result).c_str());
                if (m_run.exitOnError) {
                    fail(text);
                }
                log(3, text);
            }
        }
        if (packet == nullptr) {
            next.push_back(PacketPtr());
        }
        pending = std::move(next);
    }
    for (PacketPtr& item : pending) {
        if (!item) {
            continue;
        }
        item->stream_index = ost.index;
        mux(item.get());
    }
}

void TranscodeSession::muxPacket(OutputStream& ost, AVPacket* packet) {
    int64_t end = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (end != AV_NOPTS_VALUE) {
        const double startSec = end * av_q2d(ost.stream->time_base);
        if (ost.packetsWritten == 0 || startSec < ost.firstTimeSec) {
            ost.firstTimeSec = startSec;
        }
        end += std::max<int64_t>(packet->duration, 0);
        ost.outputTimeSec = std::max(ost.outputTimeSec, end * av_q2d(ost.stream->time_base));
    }
    ++ost.packetsWritten;
    const int result =
        lib::avformat.av_interleaved_write_frame(m_outputs[ost.fileIndex].context, packet);
    if (result < 0) {
        fail("av_interleaved_write_frame(): " + LibraryErrorText(result));
    }
}

bool TranscodeSession::decodeSubtitle(InputStream& ist, int istIndex, const AVPacket* packet) {
    // Frees the decoded subtitle on every way out.
    struct DecodedSubtitle {
        AVSubtitle value{};
        ~DecodedSubtitle() { lib::avcodec.avsubtitle_free(&value); }
    } decoded;
    AVSubtitle& subtitle = decoded.value;
    int gotSubtitle = 0;
    AVPacket* input = const_cast<AVPacket*>(packet);
    if (lib::avcodec.avcodec_decode_subtitle2(ist.decoderContext.get(), &subtitle, &gotSubtitle,
                                              input) < 0) {
        ++ist.decodeErrors;
        return false;
    }
    if (!gotSubtitle) {
        return true;
    }
    ++ist.framesDecoded;
    if (packet->pts == AV_NOPTS_VALUE) {
        if (m_run.exitOnError) {
            fail("Subtitle packets must have a pts");
        }
        log(3, "Subtitle packets must have a pts");
        return true;
    }
    if (m_run.startTimeUs != 0 && lib::avutil.av_rescale_q(packet->pts, ist.stream->time_base,
                                                           AV_TIME_BASE_Q) < m_run.startTimeUs) {
        return true;  // before the output's start
    }
    for (OutputStream& ost : m_outputStreams) {
        if (ost.sourceIndex == istIndex && ost.encodingNeeded) {
            subtitleOutput(ost, ist, packet, subtitle);
        }
    }
    return true;
}

void TranscodeSession::subtitleOutput(OutputStream& ost, InputStream& ist, const AVPacket* packet,
                                      AVSubtitle& subtitle) {
    // The timing and the rectangles are changed for encoding; every output gets them as decoded,
    // and the rectangles must be all there again when the subtitle is freed.
    struct Restore {
        AVSubtitle& subtitle;
        const AVSubtitle saved;
        ~Restore() {
            subtitle.pts = saved.pts;
            subtitle.start_display_time = saved.start_display_time;
            subtitle.end_display_time = saved.end_display_time;
            subtitle.num_rects = saved.num_rects;
        }
    } restore{subtitle, subtitle};
    if (ost.subtitleBuffer.empty()) {
        ost.subtitleBuffer.resize(1048576);
    }
    AVCodecContext* enc = ost.encoderContext.get();
    const int passes = enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE ? 2 : 1;
    const int64_t basePts =
        lib::avutil.av_rescale_q(packet->pts, ist.stream->time_base, AV_TIME_BASE_Q) -
        m_run.startTimeUs;
    for (int pass = 0; pass < passes; ++pass) {
        subtitle.pts = basePts + static_cast<int64_t>(subtitle.start_display_time) * 1000;
        subtitle.end_display_time -= subtitle.start_display_time;
        subtitle.start_display_time = 0;
        if (pass == 1) {
            subtitle.num_rects = 0;  // the second DVB packet clears the display
        }
        const int size = lib::avcodec.avcodec_encode_subtitle(
            enc, ost.subtitleBuffer.data(), static_cast<int>(ost.subtitleBuffer.size()), &subtitle);
        if (size < 0) {
            fail("Subtitle encoding failed");
        }
        AVPacket* out = ost.packet.get();
        if (lib::avcodec.av_new_packet(out, size) < 0) {
            fail("av_mallocz fail");
        }
        std::copy_n(ost.subtitleBuffer.data(), size, out->data);
        out->pts = lib::avutil.av_rescale_q(subtitle.pts, AV_TIME_BASE_Q, ost.stream->time_base);
        out->duration = lib::avutil.av_rescale_q(subtitle.end_display_time, AVRational{1, 1000},
                                                 ost.stream->time_base);
        if (enc->codec_id == AV_CODEC_ID_DVB_SUBTITLE) {
            // The display times are in milliseconds; the clearing packet comes at the end.
            const uint32_t shownMs =
                pass == 0 ? subtitle.start_display_time : subtitle.end_display_time;
            out->pts +=
                lib::avutil.av_rescale_q(shownMs, AVRational{1, 1000}, ost.stream->time_base);
        }
        out->dts = out->pts;
        writePacket(ost, out);
        lib::avcodec.av_packet_unref(out);
        ++ost.frameCount;
    }
}

void TranscodeSession::flushAll() {
    for (size_t i = 0; i < m_inputStreams.size(); ++i) {
        InputStream& ist = m_inputStreams[i];
        if (ist.decodingNeeded && ist.decoderOpen && !ist.flushed &&
            ist.stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
            outputPacket(ist, static_cast<int>(i), nullptr);
            ist.flushed = true;
        }
    }
    for (OutputStream& ost : m_outputStreams) {
        if (!ost.encodingNeeded || !ost.encoderOpen || ost.type == AVMEDIA_TYPE_SUBTITLE) {
            continue;
        }
        if (ost.type == AVMEDIA_TYPE_VIDEO) {
            flushVideoFilters(ost);
        } else {
            flushAudio(ost);
        }
        encodeAndWrite(ost, nullptr);
    }
}

bool TranscodeSession::switchJoinedFile(int fileIndex) {
    // The remaining frames of this file still go out; its decoders are then closed.
    for (size_t i = 0; i < m_inputStreams.size(); ++i) {
        InputStream& ist = m_inputStreams[i];
        if (ist.fileIndex != fileIndex || !ist.decodingNeeded || ist.flushed) {
            continue;
        }
        if (ist.decoderOpen && ist.stream->codecpar->codec_type != AVMEDIA_TYPE_SUBTITLE) {
            outputPacket(ist, static_cast<int>(i), nullptr);
        }
        ist.flushed = true;
        std::lock_guard lock(CodecLock());
        ist.decoderContext.reset();
        ist.decoderOpen = false;
    }
    double endTime = 0.0;
    for (const OutputStream& ost : m_outputStreams) {
        endTime = std::max(endTime, ost.outputTimeSec);
    }
    if (fileIndex + 1 >= static_cast<int>(m_inputs.size())) {
        return false;
    }
    // The encoders stay open: the output is one stream per type, fed by one file after another.
    const int next = fileIndex + 1;
    for (OutputStream& ost : m_outputStreams) {
        ost.fed = false;
        const int source = bestInputStream(ost.type, next);
        if (source < 0) {
            continue;
        }
        InputStream& ist = m_inputStreams[source];
        ist.used = true;
        if (ost.encodingNeeded) {
            ist.decodingNeeded = true;
        }
        ost.sourceIndex = ost.syncIndex = source;
        ost.fed = true;
    }
    openDecoders();
    m_inputs[next].tsOffsetUs += std::llrint(endTime * AV_TIME_BASE);
    m_currentFile = next;
    if (m_run.verbosity >= 0) {
        logStreamMapping(5);
    }
    return true;
}

void TranscodeSession::checkSomethingDecoded() {
    if (m_owner.StopRequested()) {
        return;
    }
    // An encoded stream whose source gave nothing but errors must not end as an empty success.
    for (const OutputStream& ost : m_outputStreams) {
        const InputStream& ist = m_inputStreams[ost.sourceIndex];
        if (ost.encodingNeeded && ist.framesDecoded == 0 && ist.decodeErrors > 0) {
            fail(FormatText("Input stream #%d.%d (%s) could not be decoded", ist.fileIndex,
                            ist.streamIndex, lib::avutil.av_get_media_type_string(ost.type)));
        }
    }
    int64_t packets = 0;
    for (const OutputStream& ost : m_outputStreams) {
        packets += ost.packetsWritten;
    }
    if (packets == 0) {
        fail("No data was written: nothing could be read or decoded from the input");
    }
}

void TranscodeSession::writeTrailers() {
    const size_t count = m_joinMode ? 1 : m_outputs.size();
    for (size_t o = 0; o < count; ++o) {
        OutputFile& file = m_outputs[o];
        if (!file.headerWritten || file.trailerWritten) {
            continue;
        }
        file.trailerWritten = true;
        for (OutputStream& ost : m_outputStreams) {
            if (ost.fileIndex == static_cast<int>(o)) {
                writePacket(ost, nullptr);  // what the bitstream filters still hold
            }
        }
        if (o == 0) {
            releaseHeldPackets(true);
        }
        const int result = lib::avformat.av_write_trailer(file.context);
        if (result < 0) {
            fail(FormatText("Error writing trailer of output file '%s': %s", file.fileName.c_str(),
                            LibraryErrorText(result).c_str()));
        }
        if (file.context->pb != nullptr) {
            lib::avformat.avio_flush(file.context->pb);
            if (file.context->pb->error < 0) {
                fail(FormatText("Error writing output file '%s': %s", file.fileName.c_str(),
                                LibraryErrorText(file.context->pb->error).c_str()));
            }
        }
    }
}

void TranscodeSession::printReport(bool isLast, int fileIndex) {
    if (m_outputs.empty()) {
        return;
    }
    AVIOContext* pb = m_outputs.front().context->pb;
    int64_t totalSize = 0;
    if (pb != nullptr) {
        totalSize = lib::avformat.avio_size(pb);
        if (totalSize < 0) {
            totalSize = lib::avformat.avio_seek(pb, 0, SEEK_CUR);
        }
    }
    const double elapsed =
        static_cast<double>(lib::avutil.av_gettime_relative() - m_startClockUs) / 1e6;
    ProgressReport report;
    report.FileIndex = fileIndex;
    std::string line;
    bool haveVideo = false;
    double time = 1e10;
    for (const OutputStream& ost : m_outputStreams) {
        if (ost.type == AVMEDIA_TYPE_VIDEO && ost.fed) {
            const float quality =
                ost.streamCopy ? -1.0f : ost.quality / static_cast<float>(FF_QP2LAMBDA);
            if (!haveVideo) {
                haveVideo = true;
                report.FrameNumber = static_cast<int>(ost.frameCount);
                report.FPS =
                    elapsed > 1.0 ? static_cast<int>(report.FrameNumber / elapsed + 0.5) : 0;
                report.Quality = quality;
                if (report.FrameNumber < 1) {
                    return;
                }
                line += FormatText("frame=%5d fps=%3d q=%3.1f ", report.FrameNumber, report.FPS,
                                   quality);
                if (isLast) {
                    line += "L";
                }
                line += videoStatusExtras(ost, isLast);
            } else {
                line += FormatText("q=%2.1f ", quality);
            }
        }
        if (ost.outputTimeSec > 0 && ost.outputTimeSec < time) {
            time = ost.outputTimeSec;
        }
    }
    if (time >= 1e10) {
        time = 0.0;  // nothing written yet: no time reached, not 10^10 seconds
    }
    if (time < 0.01) {
        time = 0.01;
    }
    // A stream that has written nothing yet (an encoder filling its look-ahead) joins the
    // minimum later, below where the others already were: the time reported never goes back.
    time = std::max(time, m_reportedTimeSec);
    m_reportedTimeSec = time;
    const bool hasCallback = static_cast<bool>(m_owner.onProgress);
    if (hasCallback || m_run.verbosity > 0 || isLast) {
        report.BitRate = static_cast<float>(totalSize * 8 / time / 1000);
        line += FormatText("size=%8.0fkB time=%0.2f bitrate=%6.1fkbits/s", totalSize / 1024.0, time,
                           report.BitRate);
        if (framesDuplicated != 0 || framesDropped != 0) {
            line += FormatText(" dup=%d drop=%d", framesDuplicated, framesDropped);
        }
    }
    report.CurrentSize = totalSize;
    report.CurrentDuration = static_cast<int64_t>(time * 1000000);
    report.TotalDuration = m_owner.TotalDuration();
    if (hasCallback) {
        m_owner.onProgress(m_owner, report);
        if (dupDropChanged) {
            dupDropChanged = false;
            log(6, line);
        }
    } else if (m_run.verbosity >= 0) {
        log(6, line);
    }
    if (isLast && m_run.verbosity >= 0) {
        const double sum = static_cast<double>(videoBytes + audioBytes + headerBytes);
        log(6, FormatText("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead "
                          "%f%%\r\n",
                          videoBytes / 1024.0, audioBytes / 1024.0, headerBytes / 1024.0,
                          sum > 0 ? (totalSize - sum) * 100.0 / sum : 0.0));
    }
}

void TranscodeSession::closeCodecs() {
    for (OutputStream& ost : m_outputStreams) {
        if (ost.encoderContext) {
            // The second-pass statistics belong to the caller, not to the codec context.
            lib::avutil.av_freep(&ost.encoderContext->stats_in);
            std::lock_guard lock(CodecLock());
            ost.encoderContext.reset();
            ost.encoderOpen = false;
        }
    }
    for (InputStream& ist : m_inputStreams) {
        if (ist.decoderContext) {
            std::lock_guard lock(CodecLock());
            ist.decoderContext.reset();
            ist.decoderOpen = false;
        }
    }
}

void TranscodeSession::close() {
    // Outputs first: close each file once (a joined output has several entries), then remove
    // files that stayed empty. Only regular files are ever removed.
    for (size_t o = 0; o < m_outputOwners.size(); ++o) {
        AVFormatContext* context = m_outputOwners[o].get();
        std::string fileName;
        bool writesFile = false;
        if (context != nullptr) {
            fileName = context->url != nullptr ? context->url : "";
            writesFile = !(context->oformat->flags & AVFMT_NOFILE);
        }
        m_outputOwners[o].reset();
        const bool waitsForVerdict = o < m_partFiles.size() && m_partFiles[o];
        if (writesFile && !fileName.empty() && !waitsForVerdict) {
            std::error_code error;
            if (std::filesystem::is_regular_file(fileName, error) &&
                std::filesystem::file_size(fileName, error) == 0 && !error) {
                std::filesystem::remove(fileName, error);
            }
        }
    }
    collectWrittenOutputs();
    m_heldPackets.clear();
    m_outputOwners.clear();
    m_outputs.clear();
    m_pendingStreams.clear();
    m_droppedStreams.clear();
    {
        std::lock_guard lock(CodecLock());
        m_outputStreams.clear();
        m_inputStreams.clear();
    }
    m_inputs.clear();
    m_joinMode = false;
    m_tablesBuilt = false;
    if (m_frameHooks) {
        m_frameHooks->ReleaseHooks();
        m_frameHooks.reset();
    }
    m_previewer.reset();
    m_statisticsFile.reset();
    m_hookConverter.ConverterReset();
    m_previewConverter.ConverterReset();
}

}  // namespace velmora
