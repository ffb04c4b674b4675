// Creating an output file and its streams with the pending output-side settings.
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "engine/CodecResolver.h"
#include "engine/DisplayAspect.h"
#include "engine/Presets.h"
#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"

namespace velmora {

namespace {

int strictness(const GenericOptions& generic, AVMediaType kind) {
    std::optional<std::string> value = generic.codecValue(kind, "strict");
    return value ? std::atoi(value->c_str()) : 0;
}

// The encoder for a stream: by name (failure raises with the resolver's text) or guessed from the
// format and the file name; null when nothing fits (the failure comes when encoders are opened).
const AVCodec* chooseEncoder(const std::string& name, AVMediaType type, AVFormatContext* context,
                             const GenericOptions& generic, const void* sender) {
    if (!name.empty()) {
        CodecResolution resolution =
            ResolveCodec(name, type, CodecDirection::Encoder, strictness(generic, type), sender);
        if (!resolution.ok()) {
            throw TranscoderException(resolution.error);
        }
        return resolution.codec;
    }
    const AVCodecID id =
        lib::avformat.av_guess_codec(context->oformat, nullptr, context->url, nullptr, type);
    return id == AV_CODEC_ID_NONE ? nullptr : lib::avcodec.avcodec_find_encoder(id);
}

// "start,end,q/start,end,q...": q >= 1 is a fixed quantizer, q < 1 a quality factor -q/100.
void parseRateControlOverride(AVCodecContext* encoder, const std::string& text) {
    std::vector<RcOverride> entries;
    size_t position = 0;
    while (position <= text.size()) {
        size_t end = text.find('/', position);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string item = text.substr(position, end - position);
        int start = 0;
        int stop = 0;
        int q = 0;
        if (std::sscanf(item.c_str(), "%d,%d,%d", &start, &stop, &q) != 3) {
            throw TranscoderException("error parsing rc_override");
        }
        RcOverride entry{};
        entry.start_frame = start;
        entry.end_frame = stop;
        if (q > 0) {
            entry.qscale = q;
            entry.quality_factor = 1.0f;
        } else {
            entry.qscale = 0;
            entry.quality_factor = -q / 100.0f;
        }
        entries.push_back(entry);
        position = end + 1;
    }
    auto* table =
        static_cast<RcOverride*>(lib::avutil.av_mallocz(sizeof(RcOverride) * entries.size()));
    if (table == nullptr) {
        throw TranscoderException("error parsing rc_override");
    }
    std::copy(entries.begin(), entries.end(), table);
    encoder->rc_override = table;
    encoder->rc_override_count = static_cast<int>(entries.size());
}

uint16_t* copyMatrix(const std::array<uint16_t, 64>& matrix) {
    auto* copy = static_cast<uint16_t*>(lib::avutil.av_malloc(sizeof(uint16_t) * 64));
    if (copy != nullptr) {
        std::copy(matrix.begin(), matrix.end(), copy);
    }
    return copy;
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
        return std::filesystem::equivalent(a, b, error);
    }
    return std::filesystem::weakly_canonical(a, error) ==
           std::filesystem::weakly_canonical(b, error);
}

// Media types present in the inputs (only the first input in join mode).
bool inputsHaveType(const std::vector<InputFile>& inputs, AVMediaType type, bool firstOnly) {
    for (size_t f = 0; f < inputs.size(); ++f) {
        const AVFormatContext* context = inputs[f].context.get();
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            if (context->streams[i]->codecpar->codec_type == type) {
                return true;
            }
        }
        if (firstOnly) {
            break;
        }
    }
    return false;
}

}  // namespace

AVFormatContext* TranscodeSession::lastOutputContext() const {
    return m_outputOwners.empty() ? nullptr : m_outputOwners.back().get();
}

int TranscodeSession::openOutput(const std::string& fileName, bool join, EngineSettings& settings) {
    if (m_joinMode) {
        m_lastError = "Cannot join more than one output file.";
        return -1;
    }
    for (size_t i = 0; i < m_inputs.size(); ++i) {
        if (sameFile(fileName, m_inputs[i].fileName)) {
            // Writing over a source would destroy it while it is being read.
            m_lastError = FormatText("Output file '%s' is the same as input file #%d",
                                     fileName.c_str(), static_cast<int>(i));
            return -1;
        }
    }

    AVFormatContext* raw = nullptr;
    const char* formatName = settings.formatName.empty() ? nullptr : settings.formatName.c_str();
    lib::avformat.avformat_alloc_output_context2(&raw, nullptr, formatName, fileName.c_str());
    if (raw == nullptr) {
        m_lastError =
            formatName != nullptr
                ? FormatText("Requested output format '%s' is not a suitable output format",
                             formatName)
                : FormatText("Unable to find a suitable output format for '%s'", fileName.c_str());
        return -1;
    }
    OutputFormatPtr owner(raw);
    const AVOutputFormat* format = raw->oformat;

    std::vector<OutputStream> streams;
    const bool firstOnly = join;
    bool useVideo = format->video_codec != AV_CODEC_ID_NONE || !settings.videoCodecName.empty() ||
                    settings.videoStreamCopy;
    bool useAudio = format->audio_codec != AV_CODEC_ID_NONE || !settings.audioCodecName.empty() ||
                    settings.audioStreamCopy;
    bool useSubtitle = format->subtitle_codec != AV_CODEC_ID_NONE ||
                       !settings.subtitleCodecName.empty() || settings.subtitleStreamCopy;
    if (!m_inputs.empty()) {
        useVideo = useVideo && inputsHaveType(m_inputs, AVMEDIA_TYPE_VIDEO, firstOnly);
        useAudio = useAudio && inputsHaveType(m_inputs, AVMEDIA_TYPE_AUDIO, firstOnly);
        useSubtitle = useSubtitle && inputsHaveType(m_inputs, AVMEDIA_TYPE_SUBTITLE, firstOnly);
    }
    useVideo = useVideo && !settings.videoDisable;
    useAudio = useAudio && !settings.audioDisable;
    useSubtitle = useSubtitle && !settings.subtitleDisable;
    leaveOutUndecodableTypes(useVideo, useAudio, useSubtitle, settings, firstOnly);
    const char* step = "";
    try {
        if (useVideo) {
            step = "new_video_stream fail: %s";
            addVideoStream(raw, streams, settings);
        }
        if (useAudio) {
            step = "new_audio_stream fail: %s";
            addAudioStream(raw, streams, settings);
        }
        if (useSubtitle) {
            step = "new_subtitle_stream fail: %s";
            addSubtitleStream(raw, streams, settings);
        }
    } catch (const TranscoderException& error) {
        m_lastError = FormatText(step, error.what());
        return -1;
    }
    // The stream switches are consumed even when the format had no stream of that type.
    settings.videoDisable = settings.audioDisable = settings.subtitleDisable = false;

    if (settings.recordTimestampSeconds != 0) {
        const std::time_t seconds = static_cast<std::time_t>(settings.recordTimestampSeconds);
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        char text[64];
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
        lib::avutil.av_dict_set(&raw->metadata, "creation_time", text, 0);
    }
    for (const auto& [key, value] : settings.metadata) {
        lib::avutil.av_dict_set(&raw->metadata, key.c_str(), value.c_str(), 0);
    }
    settings.metadata.clear();

    if ((format->flags & AVFMT_NEEDNUMBER) &&
        !lib::avformat.av_filename_number_test(fileName.c_str())) {
        m_lastError = fileName + ": " + LibraryErrorText(AVERROR(EDOM));
        return -1;
    }
    // Nothing is created here: the file comes into being when the run starts (OutputCommit.cpp).
    // What is already known to be in the way is refused now.
    if (!(format->flags & AVFMT_NOFILE)) {
        const std::string problem = outputLocationProblem(fileName);
        if (!problem.empty()) {
            m_lastError = problem;
            return -1;
        }
    }

    raw->max_delay = static_cast<int>(settings.muxMaxDelaySeconds * AV_TIME_BASE);
    settings.streamIds.fill(0);

    OutputFile file;
    file.context = raw;
    file.fileName = fileName;
    m_outputs.push_back(file);
    m_outputOwners.push_back(std::move(owner));
    m_pendingStreams.push_back(std::move(streams));

    if (join && m_inputs.size() > 1) {
        m_joinMode = true;
        int64_t sum = 0;
        for (const InputFile& input : m_inputs) {
            if (input.context->duration != AV_NOPTS_VALUE && input.context->duration > 0) {
                sum += input.context->duration;
            }
        }
        settings.totalDurationUs = sum == 0 ? -1 : sum;
        for (size_t i = 1; i < m_inputs.size(); ++i) {
            m_outputs.push_back(file);
        }
    }
    return static_cast<int>(m_outputs.size());
}

void TranscodeSession::newStream(AVMediaType type, EngineSettings& settings) {
    if (m_outputOwners.empty()) {
        throw TranscoderException("At least one output file must be specified");
    }
    AVFormatContext* context = m_outputOwners.back().get();
    std::vector<OutputStream>& streams = m_pendingStreams.back();
    switch (type) {
        case AVMEDIA_TYPE_VIDEO:
            addVideoStream(context, streams, settings);
            break;
        case AVMEDIA_TYPE_AUDIO:
            addAudioStream(context, streams, settings);
            break;
        default:
            addSubtitleStream(context, streams, settings);
            break;
    }
}

OutputStream& TranscodeSession::createStream(AVFormatContext* context,
                                             std::vector<OutputStream>& streams, AVMediaType type,
                                             const StreamKindSettings& kind,
                                             EngineSettings& settings) {
    const AVCodec* encoder = nullptr;
    if (!kind.streamCopy) {
        encoder = chooseEncoder(kind.codecName, type, context, m_generic, &m_owner);
    }
    AVStream* stream = lib::avformat.avformat_new_stream(context, nullptr);
    if (stream == nullptr) {
        throw TranscoderException("Could not alloc stream");
    }
    if (stream->index < kMaxStreams && settings.streamIds[stream->index] != 0) {
        stream->id = settings.streamIds[stream->index];
    }
    OutputStream ost;
    ost.index = stream->index;
    ost.stream = stream;
    ost.type = type;
    ost.encoder = encoder;
    ost.encoderContext.reset(lib::avcodec.avcodec_alloc_context3(encoder));
    if (!ost.encoderContext) {
        throw TranscoderException("Could not alloc stream");
    }
    ost.encoderContext->codec_type = type;
    if (encoder != nullptr) {
        ost.encoderContext->codec_id = encoder->id;
    }
    // Automatic until the run gives its share of threads (openEncoders) or an option says
    // otherwise.
    ost.encoderContext->thread_count = 0;
    ost.encoderContext->codec_tag = kind.tag;
    // The bitstream filters given so far belong to this stream only.
    ost.bitstreamFilterNames = std::move(kind.bitstreamFilters);
    kind.bitstreamFilters.clear();
    streams.push_back(std::move(ost));
    return streams.back();
}

void TranscodeSession::addVideoStream(AVFormatContext* context, std::vector<OutputStream>& streams,
                                      EngineSettings& settings) {
    OutputStream& ost = createStream(context, streams, AVMEDIA_TYPE_VIDEO,
                                     {settings.videoStreamCopy, settings.videoCodecName,
                                      settings.videoTag, settings.videoBitstreamFilters},
                                     settings);
    const AVCodec* encoder = ost.encoder;
    AVCodecContext* enc = ost.encoderContext.get();
    const int globalHeader = settings.videoGlobalHeader;
    if ((globalHeader & 1) ||
        (globalHeader == 0 && (context->oformat->flags & AVFMT_GLOBALHEADER))) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (globalHeader & 2) {
        enc->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
    }
    const AVRational aspect =
        SampleAspectFor(settings.frameAspectRatio, settings.frameWidth, settings.frameHeight);

    if (settings.videoStreamCopy) {
        ost.streamCopy = true;
        ost.stream->sample_aspect_ratio = aspect;
    } else {
        AVRational rate = settings.frameRate.num > 0 && settings.frameRate.den > 0
                              ? settings.frameRate
                              : AVRational{25, 1};
        ApplyPresetOptions(enc, AVMEDIA_TYPE_VIDEO, settings, &m_owner);
        m_generic.applyToCodec(enc, AVMEDIA_TYPE_VIDEO, true);
        if (encoder != nullptr && encoder->supported_framerates != nullptr && !settings.forceFps) {
            rate = encoder->supported_framerates[lib::avutil.av_find_nearest_q_idx(
                rate, encoder->supported_framerates)];
        }
        enc->framerate = rate;
        enc->time_base = av_inv_q(rate);
        enc->width = settings.frameWidth;
        enc->height = settings.frameHeight;
        enc->sample_aspect_ratio = aspect;
        ost.stream->sample_aspect_ratio = aspect;
        // Applied again once the size is final (the source's, rounded for the encoder).
        ost.displayAspect = settings.frameAspectRatio;
        enc->pix_fmt = settings.pixelFormat;
        if (encoder != nullptr && encoder->pix_fmts != nullptr) {
            bool listed = false;
            for (const AVPixelFormat* p = encoder->pix_fmts; *p != AV_PIX_FMT_NONE; ++p) {
                listed = listed || *p == enc->pix_fmt;
            }
            if (!listed) {
                enc->pix_fmt = encoder->pix_fmts[0];
            }
        }
        if (settings.intraOnly) {
            enc->gop_size = 0;
        }
        if (settings.videoQscale > 0.0 || settings.sameQuality) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            const double qscale = settings.videoQscale > 0.0 ? settings.videoQscale : 2.0;
            enc->global_quality = static_cast<int>(FF_QP2LAMBDA * qscale);
        }
        if (settings.intraMatrix) {
            enc->intra_matrix = copyMatrix(*settings.intraMatrix);
        }
        if (settings.interMatrix) {
            enc->inter_matrix = copyMatrix(*settings.interMatrix);
        }
        if (!settings.rateControlOverride.empty()) {
            parseRateControlOverride(enc, settings.rateControlOverride);
        }
        if (enc->rc_initial_buffer_occupancy == 0) {
            enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * 3 / 4;
        }
        enc->intra_dc_precision = settings.intraDcPrecision - 8;
        if (settings.psnr) {
            enc->flags |= AV_CODEC_FLAG_PSNR;
        }
        if (settings.pass == 1) {
            enc->flags |= AV_CODEC_FLAG_PASS1;
        } else if (settings.pass == 2) {
            enc->flags |= AV_CODEC_FLAG_PASS2;
        }
        ost.filterText = settings.videoFilters;
        if (settings.deinterlace) {
            // Deinterlacing is the first filter of the picture's road.
            ost.filterText = ost.filterText.empty() ? "yadif" : "yadif," + ost.filterText;
        }
        ost.filtersUsed = !ost.filterText.empty();
        ost.cropTop = ost.firstCropTop = settings.cropTop;
        ost.cropBottom = ost.firstCropBottom = settings.cropBottom;
        ost.cropLeft = ost.firstCropLeft = settings.cropLeft;
        ost.cropRight = ost.firstCropRight = settings.cropRight;
        ost.variableFrameRate = (context->oformat->flags & AVFMT_VARIABLE_FPS) != 0;
    }
    if (!settings.videoLanguage.empty()) {
        lib::avutil.av_dict_set(&ost.stream->metadata, "language", settings.videoLanguage.c_str(),
                                0);
        settings.videoLanguage.clear();
    }
    settings.videoDisable = false;
    settings.videoCodecName.clear();
    settings.videoStreamCopy = false;
    settings.pixelFormat = AV_PIX_FMT_NONE;
}

void TranscodeSession::addAudioStream(AVFormatContext* context, std::vector<OutputStream>& streams,
                                      EngineSettings& settings) {
    OutputStream& ost = createStream(context, streams, AVMEDIA_TYPE_AUDIO,
                                     {settings.audioStreamCopy, settings.audioCodecName,
                                      settings.audioTag, settings.audioBitstreamFilters},
                                     settings);
    const AVCodec* encoder = ost.encoder;
    AVCodecContext* enc = ost.encoderContext.get();
    if (context->oformat->flags & AVFMT_GLOBALHEADER) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (settings.audioStreamCopy) {
        ost.streamCopy = true;
    } else {
        ApplyPresetOptions(enc, AVMEDIA_TYPE_AUDIO, settings, &m_owner);
        m_generic.applyToCodec(enc, AVMEDIA_TYPE_AUDIO, true);
        if (settings.audioQscale > kNoAudioQscale) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            enc->global_quality = static_cast<int>(FF_QP2LAMBDA * settings.audioQscale);
        }
        const int channels = settings.audioChannels > 0 ? settings.audioChannels : 2;
        lib::avutil.av_channel_layout_uninit(&enc->ch_layout);
        lib::avutil.av_channel_layout_default(&enc->ch_layout, channels);
        if (encoder != nullptr && encoder->ch_layouts != nullptr) {
            bool listed = false;
            for (const AVChannelLayout* l = encoder->ch_layouts; l->nb_channels != 0; ++l) {
                listed = listed || l->nb_channels == channels;
            }
            if (!listed) {
                lib::avutil.av_channel_layout_uninit(&enc->ch_layout);
                lib::avutil.av_channel_layout_copy(&enc->ch_layout, &encoder->ch_layouts[0]);
            }
        }
        enc->sample_fmt = settings.sampleFormat;
        if (encoder != nullptr && encoder->sample_fmts != nullptr) {
            bool listed = false;
            for (const AVSampleFormat* f = encoder->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
                listed = listed || *f == enc->sample_fmt;
            }
            if (!listed) {
                enc->sample_fmt = encoder->sample_fmts[0];
            }
        }
        if (enc->sample_fmt == AV_SAMPLE_FMT_NONE) {
            enc->sample_fmt = AV_SAMPLE_FMT_S16;
        }
        enc->sample_rate = settings.audioSampleRate > 0 ? settings.audioSampleRate : 44100;
        if (encoder != nullptr && encoder->supported_samplerates != nullptr) {
            int best = encoder->supported_samplerates[0];
            for (const int* r = encoder->supported_samplerates; *r != 0; ++r) {
                if (std::abs(*r - enc->sample_rate) < std::abs(best - enc->sample_rate)) {
                    best = *r;
                }
            }
            if (best != enc->sample_rate) {
                log(4, FormatText("Requested sampling rate unsupported using closest supported "
                                  "(%d): %s cannot take %d Hz",
                                  best, encoder->name, enc->sample_rate));
                enc->sample_rate = best;
            }
        }
        enc->time_base = AVRational{1, enc->sample_rate};
    }
    if (!settings.audioLanguage.empty()) {
        lib::avutil.av_dict_set(&ost.stream->metadata, "language", settings.audioLanguage.c_str(),
                                0);
    }
    settings.audioDisable = false;
    settings.audioCodecName.clear();
    settings.audioStreamCopy = false;
}

void TranscodeSession::addSubtitleStream(AVFormatContext* context,
                                         std::vector<OutputStream>& streams,
                                         EngineSettings& settings) {
    OutputStream& ost = createStream(context, streams, AVMEDIA_TYPE_SUBTITLE,
                                     {settings.subtitleStreamCopy, settings.subtitleCodecName,
                                      settings.subtitleTag, settings.subtitleBitstreamFilters},
                                     settings);
    if (settings.subtitleStreamCopy) {
        ost.streamCopy = true;
    } else {
        ApplyPresetOptions(ost.encoderContext.get(), AVMEDIA_TYPE_SUBTITLE, settings, &m_owner);
        m_generic.applyToCodec(ost.encoderContext.get(), AVMEDIA_TYPE_SUBTITLE, true);
    }
    if (!settings.subtitleLanguage.empty()) {
        lib::avutil.av_dict_set(&ost.stream->metadata, "language",
                                settings.subtitleLanguage.c_str(), 0);
        settings.subtitleLanguage.clear();
    }
    settings.subtitleDisable = false;
    settings.subtitleCodecName.clear();
    settings.subtitleStreamCopy = false;
}

}  // namespace velmora
