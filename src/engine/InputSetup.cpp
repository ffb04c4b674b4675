// Opening an input file with the pending input-side settings.
#include <cmath>
#include <filesystem>
#include <mutex>

#include "engine/CodecResolver.h"
#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {

namespace {

// Forced decoder of one media type; an empty name forces nothing.
bool resolveDecoder(const std::string& name, AVMediaType type, const void* sender,
                    const AVCodec*& codec, std::string& error) {
    CodecResolution resolution = ResolveCodec(name, type, CodecDirection::Decoder, 0, sender);
    if (!resolution.ok()) {
        error = resolution.error;
        return false;
    }
    codec = resolution.codec;
    return true;
}

}  // namespace

bool TranscodeSession::openInput(const std::string& fileName, EngineSettings& settings) {
    const AVInputFormat* inputFormat = nullptr;
    if (!settings.formatName.empty()) {
        inputFormat = lib::avformat.av_find_input_format(settings.formatName.c_str());
        if (inputFormat == nullptr) {
            m_lastError = FormatText("Unknown input format: \"%s\"", settings.formatName.c_str());
            return false;
        }
        settings.formatName.clear();
    }

    AVFormatContext* raw = lib::avformat.avformat_alloc_context();
    if (raw == nullptr) {
        m_lastError = "avformat_alloc_context failed";
        return false;
    }
    // A stop request interrupts blocking reads of this input.
    raw->interrupt_callback.callback = [](void* opaque) -> int {
        return static_cast<TCustomTranscoder*>(opaque)->StopRequested() ? 1 : 0;
    };
    raw->interrupt_callback.opaque = &m_owner;

    // Format parameters of raw inputs, as the demuxers' own options.
    DictionaryPtr options = m_generic.formatDictionary(false);
    AVDictionary* dict = options.release();
    if (settings.audioSampleRate > 0) {
        lib::avutil.av_dict_set_int(&dict, "sample_rate", settings.audioSampleRate,
                                    AV_DICT_DONT_OVERWRITE);
    }
    if (settings.audioChannels > 0) {
        lib::avutil.av_dict_set_int(&dict, "channels", settings.audioChannels,
                                    AV_DICT_DONT_OVERWRITE);
    }
    if (settings.frameRate.num > 0 && settings.frameRate.den > 0) {
        lib::avutil.av_dict_set(
            &dict, "framerate",
            FormatText("%d/%d", settings.frameRate.num, settings.frameRate.den).c_str(),
            AV_DICT_DONT_OVERWRITE);
    }
    if (settings.frameWidth > 0 && settings.frameHeight > 0) {
        lib::avutil.av_dict_set(
            &dict, "video_size",
            FormatText("%dx%d", settings.frameWidth, settings.frameHeight).c_str(),
            AV_DICT_DONT_OVERWRITE);
    }
    if (settings.pixelFormat != AV_PIX_FMT_NONE) {
        lib::avutil.av_dict_set(&dict, "pixel_format",
                                lib::avutil.av_get_pix_fmt_name(settings.pixelFormat),
                                AV_DICT_DONT_OVERWRITE);
    }
    if (!settings.videoStandard.empty()) {
        lib::avutil.av_dict_set(&dict, "standard", settings.videoStandard.c_str(), 0);
    }
    options.reset(dict);

    InputFile file;
    file.fileName = fileName;
    std::string error;
    const AVCodec* videoDecoder = nullptr;
    const AVCodec* audioDecoder = nullptr;
    const AVCodec* subtitleDecoder = nullptr;
    if (!resolveDecoder(settings.videoCodecName, AVMEDIA_TYPE_VIDEO, &m_owner, videoDecoder,
                        error) ||
        !resolveDecoder(settings.audioCodecName, AVMEDIA_TYPE_AUDIO, &m_owner, audioDecoder,
                        error) ||
        !resolveDecoder(settings.subtitleCodecName, AVMEDIA_TYPE_SUBTITLE, &m_owner,
                        subtitleDecoder, error)) {
        lib::avformat.avformat_free_context(raw);
        m_lastError = error;
        return false;
    }
    if (settings.pgmyuvFormat) {
        videoDecoder = lib::avcodec.avcodec_find_decoder(AV_CODEC_ID_PGMYUV);
    }
    if (videoDecoder != nullptr) {
        raw->video_codec_id = videoDecoder->id;
    }
    if (audioDecoder != nullptr) {
        raw->audio_codec_id = audioDecoder->id;
    }
    if (subtitleDecoder != nullptr) {
        raw->subtitle_codec_id = subtitleDecoder->id;
    }

    AVDictionary* openOptions = options.release();
    int result =
        lib::avformat.avformat_open_input(&raw, fileName.c_str(), inputFormat, &openOptions);
    lib::avutil.av_dict_free(&openOptions);
    if (result < 0) {
        // avformat_open_input frees the context on failure.
        m_lastError = fileName + ": " + LibraryErrorText(result);
        return false;
    }
    file.context.reset(raw);
    AVFormatContext* context = raw;

    if (settings.programId != 0) {
        bool found = false;
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            context->streams[i]->discard = AVDISCARD_ALL;
        }
        for (unsigned p = 0; p < context->nb_programs; ++p) {
            AVProgram* program = context->programs[p];
            if (program->id == settings.programId) {
                found = true;
                for (unsigned s = 0; s < program->nb_stream_indexes; ++s) {
                    context->streams[program->stream_index[s]]->discard = AVDISCARD_DEFAULT;
                }
            } else {
                program->discard = AVDISCARD_ALL;
            }
        }
        if (!found) {
            m_lastError = "Specified program id not found";
            return false;
        }
        settings.programId = 0;
    }

    {
        std::lock_guard lock(CodecLock());
        result = lib::avformat.avformat_find_stream_info(context, nullptr);
    }
    if (result < 0) {
        m_lastError = FormatText("%s: could not find codec parameters", fileName.c_str());
        if (settings.verbosity >= 0) {
            log(6, m_lastError);
        }
        return false;
    }

    int64_t position = settings.startTimeUs;
    if (context->start_time != AV_NOPTS_VALUE) {
        position += context->start_time;
    }
    if (settings.startTimeUs != 0) {
        if (lib::avformat.av_seek_frame(context, -1, position, AVSEEK_FLAG_BACKWARD) < 0 &&
            settings.verbosity > 0) {
            log(6, FormatText("%s: could not seek to position %0.3f", fileName.c_str(),
                              static_cast<double>(position) / AV_TIME_BASE));
        }
        settings.startTimeUs = 0;
    }

    file.forcedDecoders.assign(context->nb_streams, nullptr);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        AVStream* stream = context->streams[i];
        AVCodecParameters* parameters = stream->codecpar;
        switch (parameters->codec_type) {
            case AVMEDIA_TYPE_VIDEO: {
                if (parameters->width > 0 && parameters->height > 0) {
                    settings.frameWidth = parameters->width;
                    settings.frameHeight = parameters->height;
                    AVRational aspect = stream->sample_aspect_ratio.num > 0
                                            ? stream->sample_aspect_ratio
                                            : parameters->sample_aspect_ratio;
                    settings.frameAspectRatio =
                        aspect.num > 0 ? av_q2d(aspect) * parameters->width / parameters->height
                                       : 4.0 / 3.0;
                }
                settings.pixelFormat = static_cast<AVPixelFormat>(parameters->format);
                AVRational rate = stream->r_frame_rate;
                if (rate.num <= 0 || rate.den <= 0) {
                    rate = stream->avg_frame_rate;
                }
                if (rate.num > 0 && rate.den > 0) {
                    settings.frameRate = rate;
                }
                file.forcedDecoders[i] = videoDecoder;
                if (settings.videoDisable) {
                    stream->discard = AVDISCARD_ALL;
                } else if (settings.videoDiscard != 0) {
                    stream->discard = static_cast<AVDiscard>(settings.videoDiscard);
                }
                break;
            }
            case AVMEDIA_TYPE_AUDIO:
                if (parameters->ch_layout.nb_channels > 0) {
                    settings.audioChannels = parameters->ch_layout.nb_channels;
                }
                if (parameters->sample_rate > 0) {
                    settings.audioSampleRate = parameters->sample_rate;
                }
                settings.sampleFormat = static_cast<AVSampleFormat>(parameters->format);
                file.forcedDecoders[i] = audioDecoder;
                if (settings.audioDisable) {
                    stream->discard = AVDISCARD_ALL;
                }
                break;
            case AVMEDIA_TYPE_SUBTITLE:
                file.forcedDecoders[i] = subtitleDecoder;
                if (settings.subtitleDisable) {
                    stream->discard = AVDISCARD_ALL;
                }
                break;
            case AVMEDIA_TYPE_DATA:
            case AVMEDIA_TYPE_ATTACHMENT:
            case AVMEDIA_TYPE_UNKNOWN:
                break;
            default:
                m_lastError = "invalid codec_type";
                return false;
        }
    }

    // A stream whose decoder refuses it (a damaged codec header) can be left out of the outputs
    // rather than failing the whole file; outputs are decided before the run, so find it now.
    file.decoderFailures.resize(context->nb_streams);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        if (context->streams[i]->discard != AVDISCARD_ALL) {
            file.decoderFailures[i] =
                DecoderOpenFailure(context->streams[i], file.forcedDecoders[i]);
        }
    }

    if (context->duration != AV_NOPTS_VALUE && context->duration > settings.totalDurationUs) {
        settings.totalDurationUs = context->duration;
    }
    for (int i = 0; i < kMaxStreams; ++i) {
        file.tsScale[i] = settings.nextInputTsScale[i];
    }
    settings.nextInputTsScale.fill(0.0);
    file.tsOffsetUs = settings.inputTsOffsetUs - (settings.copyTimestamps ? 0 : position);

    if (settings.verbosity >= 0) {
        lib::avformat.av_dump_format(context, static_cast<int>(m_inputs.size()), fileName.c_str(),
                                     0);
    }
    m_inputs.push_back(std::move(file));

    settings.videoChannel = 0;
    settings.videoCodecName.clear();
    settings.audioCodecName.clear();
    settings.subtitleCodecName.clear();
    return true;
}

}  // namespace velmora
