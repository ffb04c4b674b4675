// The start of a run: stream tables, mapping of output streams to input streams, stream copy or
// encoding set-up, opening of encoders and decoders, chapters, metadata maps and headers.
#include <algorithm>
#include <cstdio>
#include <mutex>

#include "engine/FrameSizeFit.h"
#include "engine/SubtitleHeader.h"
#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"

namespace velmora {

namespace {

const char* typeName(AVMediaType type) {
    const char* name = lib::avutil.av_get_media_type_string(type);
    return name != nullptr ? name : "unknown";
}

bool pixelFormatListed(const AVCodec* codec, AVPixelFormat format) {
    if (codec == nullptr || codec->pix_fmts == nullptr) {
        return true;
    }
    for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p) {
        if (*p == format) {
            return true;
        }
    }
    return false;
}

// The JPEG encoders refuse limited-range pictures unless told to break the standard; the scaler
// converts into the full-range twin of the format instead.
bool prefersFullRange(const AVCodec* codec) {
    return codec != nullptr && (codec->id == AV_CODEC_ID_MJPEG || codec->id == AV_CODEC_ID_LJPEG);
}

AVPixelFormat fullRangeEquivalent(AVPixelFormat format) {
    switch (format) {
        case AV_PIX_FMT_YUV420P:
            return AV_PIX_FMT_YUVJ420P;
        case AV_PIX_FMT_YUV422P:
            return AV_PIX_FMT_YUVJ422P;
        case AV_PIX_FMT_YUV444P:
            return AV_PIX_FMT_YUVJ444P;
        default:
            return format;
    }
}

// Rounds the encoder's picture size down to one it accepts: whole chroma samples of its pixel
// format, whole macroblocks for RealVideo 1 and 2. The picture is then scaled to it.
void fitSizeToEncoder(AVCodecContext* enc, TCustomTranscoder& owner) {
    const AVPixFmtDescriptor* descriptor = lib::avutil.av_pix_fmt_desc_get(enc->pix_fmt);
    const bool wholeMacroblocks =
        enc->codec_id == AV_CODEC_ID_RV10 || enc->codec_id == AV_CODEC_ID_RV20;
    const SizeAlignment alignment = EncoderSizeAlignment(
        descriptor != nullptr ? descriptor->log2_chroma_w : 0,
        descriptor != nullptr ? descriptor->log2_chroma_h : 0, wholeMacroblocks);
    const FrameSize fitted = FitFrameSize({enc->width, enc->height}, alignment);
    if (fitted.width != enc->width || fitted.height != enc->height) {
        Logger().LogFmt(&owner, TLogLevel::llWarning,
                        "Frame size %dx%d changed to %dx%d: the encoder takes widths in multiples "
                        "of %d and heights in multiples of %d",
                        enc->width, enc->height, fitted.width, fitted.height, alignment.horizontal,
                        alignment.vertical);
        enc->width = fitted.width;
        enc->height = fitted.height;
    }
}

}  // namespace

void TranscodeSession::prepareStreams(EngineSettings& settings) {
    m_inputStreams.clear();
    m_outputStreams.clear();
    for (size_t f = 0; f < m_inputs.size(); ++f) {
        InputFile& file = m_inputs[f];
        file.firstStream = static_cast<int>(m_inputStreams.size());
        file.streamCount = static_cast<int>(file.context->nb_streams);
        file.endReached = false;
        file.noPacket = false;
        for (unsigned i = 0; i < file.context->nb_streams; ++i) {
            InputStream ist;
            ist.fileIndex = static_cast<int>(f);
            ist.streamIndex = static_cast<int>(i);
            ist.stream = file.context->streams[i];
            ist.decoder = file.forcedDecoders.size() > i ? file.forcedDecoders[i] : nullptr;
            ist.discarded = ist.stream->discard == AVDISCARD_ALL;
            ist.undecodable = i < file.decoderFailures.size() && !file.decoderFailures[i].empty();
            ist.frame = makeFrame();
            if (m_run.readAtNativeRate) {
                ist.startClockUs = lib::avutil.av_gettime_relative();
            }
            m_inputStreams.push_back(std::move(ist));
        }
    }

    // The output-stream table, in output order. A joined output has one context for several
    // entries; its streams appear once.
    const size_t fileCount = m_joinMode ? 1 : m_outputs.size();
    for (size_t o = 0; o < fileCount; ++o) {
        OutputFile& file = m_outputs[o];
        if (file.context->nb_streams == 0) {
            fail(FormatText("Output file #%d does not contain any stream", static_cast<int>(o)));
        }
        file.firstStream = static_cast<int>(m_outputStreams.size());
        for (OutputStream& ost : m_pendingStreams[o]) {
            ost.fileIndex = static_cast<int>(o);
            ost.packet = makePacket();
            m_outputStreams.push_back(std::move(ost));
        }
        m_pendingStreams[o].clear();
    }
    m_tablesBuilt = true;

    mapStreams(settings);
    discoverVideoFormats();

    for (OutputStream& ost : m_outputStreams) {
        InputStream& ist = m_inputStreams[ost.sourceIndex];
        lib::avutil.av_dict_copy(&ost.stream->metadata, ist.stream->metadata,
                                 AV_DICT_DONT_OVERWRITE);
        if (ost.streamCopy) {
            setUpStreamCopy(ost, ist);
        } else {
            setUpEncoding(ost, ist);
        }
    }

    openEncoders(settings);
    openDecoders();
    for (InputStream& ist : m_inputStreams) {
        ist.nextPtsUs = AV_NOPTS_VALUE;
        ist.ptsUs = 0;
        ist.isStart = true;
    }
    applyMetadataMaps(settings);
    copyChapters();
    openOutputFiles();
    writeHeaders();
    if (m_run.verbosity >= 0) {
        logStreamMapping(5);
    }
}

void TranscodeSession::mapStreams(EngineSettings& settings) {
    const std::vector<StreamMap>& maps = settings.streamMaps;
    if (!maps.empty() && maps.size() != m_outputStreams.size()) {
        fail("Number of stream maps must match number of output streams");
    }
    auto findStream = [this](int file, int stream) -> int {
        if (file < 0 || file >= static_cast<int>(m_inputs.size()) || stream < 0 ||
            stream >= m_inputs[file].streamCount) {
            return -1;
        }
        return m_inputs[file].firstStream + stream;
    };
    for (const StreamMap& map : maps) {
        if (findStream(map.fileIndex, map.streamIndex) < 0) {
            fail(FormatText("Could not find input stream #%d.%d", map.fileIndex, map.streamIndex));
        }
        if (findStream(map.syncFileIndex, map.syncStreamIndex) < 0) {
            fail(FormatText("Could not find sync stream #%d.%d", map.syncFileIndex,
                            map.syncStreamIndex));
        }
    }

    for (size_t i = 0; i < m_outputStreams.size(); ++i) {
        OutputStream& ost = m_outputStreams[i];
        if (!maps.empty()) {
            const StreamMap& map = maps[i];
            const int source = findStream(map.fileIndex, map.streamIndex);
            const AVMediaType inputType = m_inputStreams[source].stream->codecpar->codec_type;
            if (inputType != ost.type) {
                logStreamMapping(3);
                fail(FormatText("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                                map.fileIndex, map.streamIndex, typeName(inputType), ost.fileIndex,
                                ost.index, typeName(ost.type)));
            }
            ost.sourceIndex = source;
            ost.syncIndex = findStream(map.syncFileIndex, map.syncStreamIndex);
        } else {
            // The unused stream of that type with the most frames (the first on a tie); for an
            // encoded output, one that can be decoded when there is such a stream.
            auto pick = [&](bool decodableOnly) {
                int best = -1;
                int64_t bestFrames = -1;
                int last = -1;
                for (size_t s = 0; s < m_inputStreams.size(); ++s) {
                    const InputStream& ist = m_inputStreams[s];
                    if (ist.stream->codecpar->codec_type != ost.type || ist.discarded ||
                        (decodableOnly && ist.undecodable)) {
                        continue;
                    }
                    if (m_joinMode && ist.fileIndex != 0) {
                        continue;
                    }
                    last = static_cast<int>(s);
                    if (ist.used) {
                        continue;
                    }
                    const int64_t frames = ist.stream->nb_frames;
                    if (frames > bestFrames) {
                        best = static_cast<int>(s);
                        bestFrames = frames;
                    }
                }
                return best < 0 && !m_joinMode ? last : best;
            };
            int best = ost.streamCopy ? -1 : pick(true);
            if (best < 0) {
                best = pick(false);
            }
            if (best < 0) {
                logStreamMapping(3);
                fail(FormatText("Could not find input stream matching output stream #%d.%d (%s)",
                                ost.fileIndex, ost.index, typeName(ost.type)));
            }
            ost.sourceIndex = best;
            ost.syncIndex = best;
        }
        m_inputStreams[ost.sourceIndex].used = true;
        ost.fed = true;
    }
}

int TranscodeSession::bestInputStream(AVMediaType type, int fileIndex) const {
    int best = -1;
    int64_t bestFrames = -1;
    for (size_t s = 0; s < m_inputStreams.size(); ++s) {
        const InputStream& ist = m_inputStreams[s];
        if (ist.fileIndex != fileIndex || ist.discarded || ist.used ||
            ist.stream->codecpar->codec_type != type) {
            continue;
        }
        if (ist.stream->nb_frames > bestFrames) {
            best = static_cast<int>(s);
            bestFrames = ist.stream->nb_frames;
        }
    }
    return best;
}

void TranscodeSession::setUpStreamCopy(OutputStream& ost, InputStream& ist) {
    const AVCodecParameters* input = ist.stream->codecpar;
    if (input->extradata_size < 0 ||
        static_cast<uint64_t>(input->extradata_size) + AV_INPUT_BUFFER_PADDING_SIZE >
            static_cast<uint64_t>(INT32_MAX)) {
        fail("icodec.extradata_size is invalid (too large)");
    }
    if (ost.type == AVMEDIA_TYPE_VIDEO) {
        if (m_owner.onCustomHook) {
            fail("-vcodec copy and CustomHook are incompatible (frames are not decoded)");
        }
        if (m_hasFrameHooks) {
            fail("-vcodec copy and -vhook are incompatible (frames are not decoded)");
        }
        if (m_owner.Preview() || m_owner.PreviewBitmap()) {
            fail("-vcodec copy and PostHooks are incompatible (frames are not decoded)");
        }
    } else if (ost.type == AVMEDIA_TYPE_AUDIO) {
        if (m_run.audioVolume != 256) {
            fail("-acodec copy and -vol are incompatible (frames are not decoded)");
        }
    } else if (ost.type != AVMEDIA_TYPE_SUBTITLE) {
        fail("invalid codec_type of output stream");
    }
    AVCodecParameters* output = ost.stream->codecpar;
    const uint32_t requestedTag = ost.encoderContext->codec_tag;
    if (lib::avcodec.avcodec_parameters_copy(output, input) < 0) {
        fail("av_mallocz fail");
    }
    const AVOutputFormat* format = m_outputs[ost.fileIndex].context->oformat;
    uint32_t tag = requestedTag != 0 ? requestedTag : input->codec_tag;
    if (format->codec_tag != nullptr &&
        lib::avformat.av_codec_get_id(format->codec_tag, tag) != input->codec_id &&
        lib::avformat.av_codec_get_tag(format->codec_tag, input->codec_id) > 0) {
        tag = 0;
    }
    output->codec_tag = tag;
    ost.stream->time_base = ist.stream->time_base;
    if (ost.type == AVMEDIA_TYPE_VIDEO) {
        ost.stream->avg_frame_rate = ist.stream->avg_frame_rate;
        ost.stream->r_frame_rate = ist.stream->r_frame_rate;
        if (ost.stream->sample_aspect_ratio.num == 0) {
            ost.stream->sample_aspect_ratio = ist.stream->sample_aspect_ratio;
        }
    } else if (ost.type == AVMEDIA_TYPE_AUDIO) {
        if ((input->codec_id == AV_CODEC_ID_MP3 && input->block_align == 1) ||
            input->codec_id == AV_CODEC_ID_AC3) {
            output->block_align = 0;
        }
    }
    // The copy needs no decoder; the input stream is decoded only when another output encodes it.
}

void TranscodeSession::setUpEncoding(OutputStream& ost, InputStream& ist) {
    ost.encodingNeeded = true;
    ist.decodingNeeded = true;
    AVCodecContext* enc = ost.encoderContext.get();
    const AVCodecParameters* input = ist.stream->codecpar;
    if (ost.type == AVMEDIA_TYPE_AUDIO) {
        if (enc->sample_rate <= 0) {
            enc->sample_rate = input->sample_rate;
            enc->time_base = AVRational{1, enc->sample_rate};
        }
        if (enc->ch_layout.nb_channels <= 0) {
            lib::avutil.av_channel_layout_default(&enc->ch_layout, input->ch_layout.nb_channels);
        }
        ost.fifo.reset(
            lib::avutil.av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, 1024));
        if (!ost.fifo) {
            fail("av_fifo_alloc fail");
        }
        ost.audioFrame = makeFrame();
    } else if (ost.type == AVMEDIA_TYPE_VIDEO) {
        if (input->format == AV_PIX_FMT_NONE) {
            fail("Video pixel format is unknown, stream cannot be encoded");
        }
        const int sourceWidth = input->width - ost.cropLeft - ost.cropRight;
        const int sourceHeight = input->height - ost.cropTop - ost.cropBottom;
        if (enc->width <= 0 || enc->height <= 0) {
            enc->width = sourceWidth;
            enc->height = sourceHeight;
        }
        // The size the source gives (the pending size is the source's unless one was chosen).
        const bool sizeFromSource = enc->width == sourceWidth && enc->height == sourceHeight;
        if (enc->pix_fmt == AV_PIX_FMT_NONE) {
            const AVPixelFormat inputFormat = static_cast<AVPixelFormat>(input->format);
            enc->pix_fmt = pixelFormatListed(ost.encoder, inputFormat) || ost.encoder == nullptr
                               ? inputFormat
                               : ost.encoder->pix_fmts[0];
        }
        if (prefersFullRange(ost.encoder)) {
            enc->pix_fmt = fullRangeEquivalent(enc->pix_fmt);
        }
        fitSizeToEncoder(enc, m_owner);
        if (enc->sample_aspect_ratio.num == 0 && input->sample_aspect_ratio.num > 0) {
            enc->sample_aspect_ratio = input->sample_aspect_ratio;
            ost.stream->sample_aspect_ratio = input->sample_aspect_ratio;
        }
        if (sizeFromSource) {
            shapePictureForAspect(ost);
        }
        ost.expectedWidth = ost.firstWidth = input->width;
        ost.expectedHeight = ost.firstHeight = input->height;
        ost.expectedFormat = input->format;
        if (ost.filtersUsed) {
            const int requestedWidth = enc->width;
            const int requestedHeight = enc->height;
            buildFilterGraph(ost, input->width, input->height, input->format,
                             input->sample_aspect_ratio);
            // The encoder takes the size arriving at the sink.
            enc->width = lib::avfilter.av_buffersink_get_w(ost.filterSink);
            enc->height = lib::avfilter.av_buffersink_get_h(ost.filterSink);
            const int filteredWidth = enc->width;
            const int filteredHeight = enc->height;
            fitSizeToEncoder(enc, m_owner);
            if (enc->width != filteredWidth || enc->height != filteredHeight) {
                // The user's filters give a size the encoder refuses: a scale after them fits it.
                const FrameSize fitted{enc->width, enc->height};
                ost.filterText += FormatText(",scale=%d:%d", fitted.width, fitted.height);
                ost.filterSource = ost.filterSink = nullptr;
                enc->width = requestedWidth;
                enc->height = requestedHeight;
                buildFilterGraph(ost, input->width, input->height, input->format,
                                 input->sample_aspect_ratio);
                enc->width = fitted.width;
                enc->height = fitted.height;
            }
        } else {
            ost.scaling = enc->width != input->width - ost.cropLeft - ost.cropRight ||
                          enc->height != input->height - ost.cropTop - ost.cropBottom ||
                          enc->pix_fmt != input->format;
        }
        applyDisplayAspect(ost);
    } else if (ost.type == AVMEDIA_TYPE_SUBTITLE) {
        if (enc->time_base.num <= 0 || enc->time_base.den <= 0) {
            enc->time_base = AVRational{1, 1000};
        }
        // Text subtitle encoders take the styles of the source.
        const std::string header = enc->subtitle_header == nullptr
                                       ? SubtitleSourceHeader(ist.stream->codecpar, ist.decoder)
                                       : std::string();
        if (!header.empty()) {
            enc->subtitle_header = static_cast<uint8_t*>(lib::avutil.av_mallocz(header.size() + 1));
            if (enc->subtitle_header == nullptr) {
                fail("av_mallocz fail");
            }
            std::copy(header.begin(), header.end(), enc->subtitle_header);
            enc->subtitle_header_size = static_cast<int>(header.size());
        }
    } else {
        fail("invalid codec_type of output stream");
    }
}

void TranscodeSession::openEncoders(EngineSettings& settings) {
    for (OutputStream& ost : m_outputStreams) {
        if (!ost.encodingNeeded) {
            continue;
        }
        AVCodecContext* enc = ost.encoderContext.get();
        const AVCodec* codec = ost.encoder;
        if (codec == nullptr && enc->codec_id != AV_CODEC_ID_NONE) {
            codec = lib::avcodec.avcodec_find_encoder(enc->codec_id);
        }
        if (codec == nullptr) {
            logStreamMapping(3);
            const std::string text =
                FormatText("Encoder (codec id %d) not found for output stream #%d.%d (%s)",
                           enc->codec_id, ost.fileIndex, ost.index, typeName(ost.type));
            log(3, text);
            fail(text);
        }
        if (settings.pass != 0 && (enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2))) {
            openPassLog(ost, settings);
        }
        // A thread count from a preset or option stands; otherwise the run's share applies.
        if (enc->thread_count == 0) {
            enc->thread_count = m_run.codecThreads;
        }
        AVDictionary* options = nullptr;
        int result = 0;
        {
            std::lock_guard lock(CodecLock());
            result = lib::avcodec.avcodec_open2(enc, codec, &options);
        }
        lib::avutil.av_dict_free(&options);
        if (result < 0) {
            logStreamMapping(3);
            const std::string text = FormatText(
                "Error while opening encoder for output stream #%d.%d (%s) - maybe incorrect "
                "parameters such as bit_rate, rate, width or height. Please check error log "
                "message to find out more detail information.",
                ost.fileIndex, ost.index, typeName(ost.type));
            log(3, text + " (" + LibraryErrorText(result) + ")");
            fail(text);
        }
        ost.encoderOpen = true;
        ost.encoder = codec;
        headerBytes += enc->extradata_size;
        if (lib::avcodec.avcodec_parameters_from_context(ost.stream->codecpar, enc) < 0) {
            fail("av_mallocz fail");
        }
        ost.stream->time_base = enc->time_base;
        if (ost.type == AVMEDIA_TYPE_VIDEO) {
            ost.stream->avg_frame_rate = enc->framerate;
        }
        if (ost.type == AVMEDIA_TYPE_AUDIO && ost.fifo) {
            // The FIFO holds the encoder's own sample format.
            ost.fifo.reset(
                lib::avutil.av_audio_fifo_alloc(enc->sample_fmt, enc->ch_layout.nb_channels, 1024));
        }
    }
    // Bitstream filters see the parameters the stream finally carries.
    for (OutputStream& ost : m_outputStreams) {
        for (const std::string& entry : ost.bitstreamFilterNames) {
            // "name" or "name=key=value:key=value".
            const size_t split = entry.find('=');
            const std::string name = entry.substr(0, split);
            const std::string arguments = split == std::string::npos ? "" : entry.substr(split + 1);
            const AVBitStreamFilter* filter = lib::avcodec.av_bsf_get_by_name(name.c_str());
            AVBSFContext* context = nullptr;
            if (filter == nullptr || lib::avcodec.av_bsf_alloc(filter, &context) < 0) {
                fail(FormatText("Unknown bitstream filter %s", name.c_str()));
            }
            BitstreamFilterPtr owned(context);
            if (!arguments.empty()) {
                const int set = context->priv_data == nullptr
                                    ? AVERROR(EINVAL)
                                    : lib::avutil.av_set_options_string(
                                          context->priv_data, arguments.c_str(), "=", ":");
                if (set < 0) {
                    fail(FormatText(
                        "%s failed for stream %d, codec %s: %s", name.c_str(), ost.index,
                        ost.encoder != nullptr && !ost.streamCopy ? ost.encoder->name : "copy",
                        LibraryErrorText(set).c_str()));
                }
            }
            const AVCodecParameters* parameters = ost.bitstreamFilters.empty()
                                                      ? ost.stream->codecpar
                                                      : ost.bitstreamFilters.back()->par_out;
            lib::avcodec.avcodec_parameters_copy(context->par_in, parameters);
            context->time_base_in = ost.stream->time_base;
            const int result = lib::avcodec.av_bsf_init(context);
            if (result < 0) {
                fail(FormatText(
                    "%s failed for stream %d, codec %s: %s", name.c_str(), ost.index,
                    ost.encoder != nullptr && !ost.streamCopy ? ost.encoder->name : "copy",
                    LibraryErrorText(result).c_str()));
            }
            ost.bitstreamFilters.push_back(std::move(owned));
        }
        if (!ost.bitstreamFilters.empty()) {
            lib::avcodec.avcodec_parameters_copy(ost.stream->codecpar,
                                                 ost.bitstreamFilters.back()->par_out);
        }
    }
}

void TranscodeSession::openPassLog(OutputStream& ost, const EngineSettings& settings) {
    const std::string prefix =
        settings.passLogFilePrefix.empty() ? "velmora2pass" : settings.passLogFilePrefix;
    int streamNumber = 0;
    for (const OutputStream& other : m_outputStreams) {
        if (&other == &ost) {
            break;
        }
        ++streamNumber;
    }
    std::string name = prefix + "-" + std::to_string(streamNumber) + ".log";
    if (name.size() > 1023) {
        name.resize(1023);
    }
    AVCodecContext* enc = ost.encoderContext.get();
    // Encoders that keep a statistics file of their own (libx264) use the same name; the
    // others have no such option and ignore this.
    lib::avutil.av_opt_set(enc, "stats", name.c_str(), AV_OPT_SEARCH_CHILDREN);
    if (enc->flags & AV_CODEC_FLAG_PASS1) {
        ost.passLog.reset(std::fopen(name.c_str(), "wb"));
        if (!ost.passLog) {
            fail(FormatText("Cannot write log file %s for pass-1 encoding", name.c_str()));
        }
    } else {
        std::FILE* file = std::fopen(name.c_str(), "rb");
        if (file == nullptr) {
            fail(FormatText("Cannot read file: Error reading log file \"%s\" for pass-2 encoding",
                            name.c_str()));
        }
        std::string text;
        char buffer[4096];
        size_t count = 0;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
            text.append(buffer, count);
        }
        std::fclose(file);
        enc->stats_in = lib::avutil.av_strdup(text.c_str());
        if (enc->stats_in == nullptr) {
            fail(
                FormatText("Could not allocate file buffer: Error reading log file \"%s\" for "
                           "pass-2 encoding",
                           name.c_str()));
        }
    }
}

void TranscodeSession::openDecoders() {
    for (InputStream& ist : m_inputStreams) {
        if (!ist.decodingNeeded || ist.decoderOpen || ist.flushed) {
            continue;
        }
        const AVCodecParameters* parameters = ist.stream->codecpar;
        const AVCodec* codec = ist.decoder != nullptr
                                   ? ist.decoder
                                   : lib::avcodec.avcodec_find_decoder(parameters->codec_id);
        if (codec == nullptr) {
            logStreamMapping(3);
            fail(FormatText("Decoder (codec id %d) not found for input stream #%d.%d (%s)",
                            parameters->codec_id, ist.fileIndex, ist.streamIndex,
                            typeName(parameters->codec_type)));
        }
        ist.decoderContext.reset(lib::avcodec.avcodec_alloc_context3(codec));
        AVCodecContext* dec = ist.decoderContext.get();
        if (dec == nullptr || lib::avcodec.avcodec_parameters_to_context(dec, parameters) < 0) {
            fail("av_mallocz fail");
        }
        dec->pkt_timebase = ist.stream->time_base;
        dec->thread_count = m_run.codecThreads;
        m_generic.applyToCodec(dec, parameters->codec_type, false);
        int result = 0;
        {
            std::lock_guard lock(CodecLock());
            result = lib::avcodec.avcodec_open2(dec, codec, nullptr);
        }
        if (result < 0) {
            logStreamMapping(3);
            fail(FormatText("Error while opening decoder for input stream #%d.%d (%s)",
                            ist.fileIndex, ist.streamIndex, typeName(parameters->codec_type)));
        }
        ist.decoderOpen = true;
    }
}

void TranscodeSession::applyMetadataMaps(const EngineSettings& settings) {
    for (const MetadataMap& map : settings.metadataMaps) {
        if (map.outputFileIndex < 0 || map.outputFileIndex >= static_cast<int>(m_outputs.size())) {
            fail(FormatText("Invalid output file index %d map_meta_data(%d,%d)",
                            map.outputFileIndex, map.outputFileIndex, map.inputFileIndex));
        }
        if (map.inputFileIndex < 0 || map.inputFileIndex >= static_cast<int>(m_inputs.size())) {
            fail(FormatText("Invalid input file index %d map_meta_data(%d,%d)", map.inputFileIndex,
                            map.outputFileIndex, map.inputFileIndex));
        }
        lib::avutil.av_dict_copy(&m_outputs[map.outputFileIndex].context->metadata,
                                 m_inputs[map.inputFileIndex].context->metadata,
                                 AV_DICT_DONT_OVERWRITE);
    }
}

void TranscodeSession::copyChapters() {
    const size_t outputCount = m_joinMode ? 1 : m_outputs.size();
    for (const InputFile& input : m_inputs) {
        const AVFormatContext* in = input.context.get();
        for (unsigned c = 0; c < in->nb_chapters; ++c) {
            const AVChapter* chapter = in->chapters[c];
            const int64_t offset = -input.tsOffsetUs - m_run.startTimeUs;
            const int64_t startUs = offset;
            const int64_t shift =
                lib::avutil.av_rescale_q(startUs, AV_TIME_BASE_Q, chapter->time_base);
            const int64_t recording =
                m_run.recordingTimeUs == std::numeric_limits<int64_t>::max()
                    ? std::numeric_limits<int64_t>::max()
                    : lib::avutil.av_rescale_q(m_run.recordingTimeUs, AV_TIME_BASE_Q,
                                               chapter->time_base);
            if (chapter->end < shift) {
                continue;
            }
            if (recording != std::numeric_limits<int64_t>::max() &&
                recording + shift <= chapter->start) {
                continue;
            }
            for (size_t o = 0; o < outputCount; ++o) {
                AVFormatContext* out = m_outputs[o].context;
                auto* copy = static_cast<AVChapter*>(lib::avutil.av_mallocz(sizeof(AVChapter)));
                if (copy == nullptr) {
                    fail("av_mallocz fail");
                }
                copy->id = chapter->id;
                copy->time_base = chapter->time_base;
                copy->start = std::max<int64_t>(0, chapter->start - shift);
                copy->end = std::min(recording, chapter->end - shift);
                lib::avutil.av_dict_copy(&copy->metadata, chapter->metadata, 0);
                void* grown = lib::avutil.av_realloc(out->chapters,
                                                     sizeof(AVChapter*) * (out->nb_chapters + 1));
                if (grown == nullptr) {
                    lib::avutil.av_dict_free(&copy->metadata);
                    lib::avutil.av_free(copy);
                    fail("av_realloc fail");
                }
                out->chapters = static_cast<AVChapter**>(grown);
                out->chapters[out->nb_chapters++] = copy;
            }
        }
    }
}

void TranscodeSession::writeHeaders() {
    const size_t count = m_joinMode ? 1 : m_outputs.size();
    for (size_t o = 0; o < count; ++o) {
        OutputFile& file = m_outputs[o];
        DictionaryPtr options = m_generic.formatDictionary(true);
        AVDictionary* dict = options.release();
        const int result = lib::avformat.avformat_write_header(file.context, &dict);
        lib::avutil.av_dict_free(&dict);
        if (result < 0) {
            logStreamMapping(3);
            const std::string text = FormatText(
                "Could not write header for output file #%d (incorrect codec parameters ?)",
                static_cast<int>(o));
            log(3, text + " (" + LibraryErrorText(result) + ")");
            fail(text);
        }
        file.headerWritten = true;
    }
}

std::vector<std::string> TranscodeSession::streamMappingLines() const {
    std::vector<std::string> lines{"Stream mapping:"};
    for (const OutputStream& ost : m_outputStreams) {
        if (ost.sourceIndex < 0) {
            continue;
        }
        const InputStream& ist = m_inputStreams[ost.sourceIndex];
        std::string line =
            FormatText("  Stream #%d.%d -> #%d.%d (%s)", ist.fileIndex, ist.streamIndex,
                       ost.fileIndex, ost.index, typeName(ost.type));
        if (ost.syncIndex >= 0 && ost.syncIndex != ost.sourceIndex) {
            const InputStream& sync = m_inputStreams[ost.syncIndex];
            line += FormatText(" [sync #%d.%d (%s)]", sync.fileIndex, sync.streamIndex,
                               typeName(sync.stream->codecpar->codec_type));
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void TranscodeSession::logStreamMapping(int level) {
    for (const std::string& line : streamMappingLines()) {
        log(level, line);
    }
}

}  // namespace velmora
