// The audio road: volume, conversion of channels, rate and sample format through the resampler,
// drift correction, the FIFO that cuts encoder frames, encoding and the end-of-input flush.
#include <algorithm>
#include <cmath>

#include "engine/AudioSync.h"
#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"

namespace velmora {

namespace {

template <typename Sample>
void scaleSamples(uint8_t* data, int count, int volume) {
    auto* samples = reinterpret_cast<Sample*>(data);
    for (int i = 0; i < count; ++i) {
        samples[i] = static_cast<Sample>(samples[i] * volume / 256.0);
    }
}

void scaleS16(uint8_t* data, int count, int volume) {
    auto* samples = reinterpret_cast<int16_t*>(data);
    for (int i = 0; i < count; ++i) {
        // (s * volume + 128) / 256, rounded toward minus infinity, then clipped.
        const int64_t value = (static_cast<int64_t>(samples[i]) * volume + 128) >> 8;
        samples[i] = static_cast<int16_t>(std::clamp<int64_t>(value, -32768, 32767));
    }
}

void scaleS32(uint8_t* data, int count, int volume) {
    auto* samples = reinterpret_cast<int32_t*>(data);
    for (int i = 0; i < count; ++i) {
        const int64_t value = (static_cast<int64_t>(samples[i]) * volume + 128) >> 8;
        samples[i] = static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
    }
}

// A layout the resampler accepts: an unspecified order becomes the default for its count.
void usableLayout(AVChannelLayout* target, const AVChannelLayout& source) {
    if (source.order == AV_CHANNEL_ORDER_UNSPEC || source.nb_channels <= 0) {
        lib::avutil.av_channel_layout_default(target, std::max(source.nb_channels, 1));
    } else {
        lib::avutil.av_channel_layout_copy(target, &source);
    }
}

// A mono source on two speakers keeps its level: the channel goes to both sides as it is, not
// at the -3 dB the resampler gives a centre channel spread over two.
int copyMonoToBothSides(SwrContext* resampler, const AVChannelLayout& input,
                        const AVChannelLayout& output) {
    if (input.nb_channels != 1 || output.nb_channels != 2) {
        return 0;
    }
    const double matrix[2] = {1.0, 1.0};
    return lib::swresample.swr_set_matrix(resampler, matrix, 1);
}

}  // namespace

void TranscodeSession::applyVolume(AVFrame* frame) const {
    const int volume = m_run.audioVolume;
    const auto format = static_cast<AVSampleFormat>(frame->format);
    const bool planar = lib::avutil.av_sample_fmt_is_planar(format) != 0;
    const int channels = frame->ch_layout.nb_channels;
    const int planes = planar ? channels : 1;
    const int perPlane = frame->nb_samples * (planar ? 1 : channels);
    for (int plane = 0; plane < planes; ++plane) {
        uint8_t* data = frame->extended_data[plane];
        switch (lib::avutil.av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_S16:
                scaleS16(data, perPlane, volume);
                break;
            case AV_SAMPLE_FMT_S32:
                scaleS32(data, perPlane, volume);
                break;
            case AV_SAMPLE_FMT_FLT:
                scaleSamples<float>(data, perPlane, volume);
                break;
            case AV_SAMPLE_FMT_DBL:
                scaleSamples<double>(data, perPlane, volume);
                break;
            default:
                break;  // 8-bit and 64-bit integer samples are left as they are
        }
    }
}

void TranscodeSession::ensureResampler(OutputStream& ost, const AVFrame* frame) {
    AVChannelLayout inputLayout{};
    usableLayout(&inputLayout, frame->ch_layout);
    const bool changed =
        !ost.resampler || ost.resamplerInRate != frame->sample_rate ||
        ost.resamplerInFormat != frame->format ||
        lib::avutil.av_channel_layout_compare(&ost.resamplerInLayout, &inputLayout) != 0;
    if (!changed) {
        lib::avutil.av_channel_layout_uninit(&inputLayout);
        return;
    }
    AVCodecContext* enc = ost.encoderContext.get();
    const auto inputFormat = static_cast<AVSampleFormat>(frame->format);
    const bool channelsDiffer = inputLayout.nb_channels != enc->ch_layout.nb_channels;
    if (channelsDiffer && inputFormat != AV_SAMPLE_FMT_S16 && m_run.verbosity > 0 &&
        !ost.resampler) {
        log(6, "Warning, using s16 intermediate sample format for resampling");
    }
    SwrContext* resampler = nullptr;
    int result = lib::swresample.swr_alloc_set_opts2(&resampler, &enc->ch_layout, enc->sample_fmt,
                                                     enc->sample_rate, &inputLayout, inputFormat,
                                                     frame->sample_rate, 0, nullptr);
    ResamplerPtr owned(resampler);
    if (result >= 0) {
        lib::avutil.av_opt_set_int(resampler, "filter_size", 16, 0);
        lib::avutil.av_opt_set_int(resampler, "phase_shift", 10, 0);
        lib::avutil.av_opt_set(resampler, "cutoff", "0.8", 0);
        result = copyMonoToBothSides(resampler, inputLayout, enc->ch_layout);
    }
    if (result >= 0) {
        result = lib::swresample.swr_init(resampler);
    }
    if (result < 0) {
        lib::avutil.av_channel_layout_uninit(&inputLayout);
        // Same channels and rate: only the sample format was to change.
        if (!channelsDiffer && frame->sample_rate == enc->sample_rate &&
            inputFormat != enc->sample_fmt) {
            const char* from = lib::avutil.av_get_sample_fmt_name(inputFormat);
            const char* to = lib::avutil.av_get_sample_fmt_name(enc->sample_fmt);
            fail(FormatText("Cannot convert %s sample format to %s sample format",
                            from != nullptr ? from : "unknown", to != nullptr ? to : "unknown"));
        }
        fail(FormatText("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                        frame->ch_layout.nb_channels, frame->sample_rate,
                        enc->ch_layout.nb_channels, enc->sample_rate));
    }
    ost.resampler = std::move(owned);
    ost.resamplerInRate = frame->sample_rate;
    ost.resamplerInFormat = frame->format;
    lib::avutil.av_channel_layout_uninit(&ost.resamplerInLayout);
    ost.resamplerInLayout = inputLayout;
}

void TranscodeSession::insertSilence(OutputStream& ost, int64_t samples) {
    AVCodecContext* enc = ost.encoderContext.get();
    // In slices, encoded as they fill up: a long gap never needs one huge buffer.
    constexpr int64_t kSlice = 16384;
    FramePtr silence = makeFrame();
    silence->nb_samples = static_cast<int>(std::min(samples, kSlice));
    silence->format = enc->sample_fmt;
    silence->sample_rate = enc->sample_rate;
    lib::avutil.av_channel_layout_copy(&silence->ch_layout, &enc->ch_layout);
    if (lib::avutil.av_frame_get_buffer(silence.get(), 0) < 0) {
        fail("Out of memory in do_audio_out");
    }
    lib::avutil.av_samples_set_silence(silence->extended_data, 0, silence->nb_samples,
                                       enc->ch_layout.nb_channels, enc->sample_fmt);
    while (samples > 0) {
        const int count = static_cast<int>(std::min<int64_t>(samples, silence->nb_samples));
        if (lib::avutil.av_audio_fifo_write(
                ost.fifo.get(), reinterpret_cast<void**>(silence->extended_data), count) < count) {
            fail("av_fifo_realloc2() failed");
        }
        samples -= count;
        drainAudioFifo(ost, false);
    }
}

void TranscodeSession::audioOutput(OutputStream& ost, InputStream& ist, AVFrame* frame) {
    AVCodecContext* enc = ost.encoderContext.get();
    ensureResampler(ost, frame);
    const int outputRate = enc->sample_rate;
    const auto inputFormat = static_cast<AVSampleFormat>(frame->format);
    const AudioFormatFacts inputFacts{lib::avutil.av_get_bytes_per_sample(inputFormat),
                                      frame->ch_layout.nb_channels, frame->sample_rate};
    const AudioFormatFacts outputFacts{lib::avutil.av_get_bytes_per_sample(enc->sample_fmt),
                                       enc->ch_layout.nb_channels, outputRate};
    const int codedBits = lib::avcodec.av_get_bits_per_sample(enc->codec_id);
    const int64_t inputBytes = static_cast<int64_t>(frame->nb_samples) *
                               std::max(inputFacts.sampleBytes, 1) *
                               std::max(inputFacts.channels, 1);
    auto checkSizes = [&](int64_t bytes) {
        if (ComputeAudioBufferSizes(bytes, inputFacts, outputFacts, enc->frame_size, codedBits)
                .tooLarge()) {
            fail("Buffer sizes too large in do_audio_out");
        }
    };
    checkSizes(inputBytes);

    const double syncInputSeconds =
        static_cast<double>(ist.ptsUs - m_run.startTimeUs) / AV_TIME_BASE;
    const int64_t queued = lib::avutil.av_audio_fifo_size(ost.fifo.get());
    int64_t dropSamples = 0;
    int64_t silenceSamples = 0;

    if (m_run.audioSyncMethod != 0) {
        ost.syncStarted = true;
        const double delta = syncInputSeconds * outputRate - static_cast<double>(ost.syncOpts) -
                             static_cast<double>(queued) - static_cast<double>(ost.gapRemoved);
        // Silence fills a gap, and dropping closes an overlap, for at most the time stamp
        // threshold; a larger drift (a broken time line) is left out of the output. The time
        // before the first sound (an "itsoffset", a late start) is the user's and is filled.
        const int64_t maxCorrection =
            ist.isStart ? -1
                        : static_cast<int64_t>(std::max(0.0, m_run.dtsDeltaThresholdSeconds) *
                                               static_cast<double>(outputRate));
        const AudioSyncStep step =
            DecideAudioSync(m_run.audioSyncMethod, delta, ist.isStart, outputRate,
                            m_run.audioDriftThresholdSeconds, maxCorrection);
        if (step.samplesRemoved != 0) {
            ost.gapRemoved += step.samplesRemoved;
            log(4, FormatText("Output stream #%d.%d: a drift of %.3f s in the sound is not "
                              "corrected",
                              ost.fileIndex, ost.index,
                              static_cast<double>(step.samplesRemoved) / outputRate));
        }
        switch (step.action) {
            case AudioSyncAction::Compensate:
                if (m_run.verbosity > 2) {
                    log(6, FormatText("compensating audio timestamp drift:%f compensation:%d "
                                      "in:%d",
                                      delta, step.compensation, outputRate));
                }
                if (lib::swresample.swr_set_compensation(ost.resampler.get(), step.compensation,
                                                         outputRate) < 0) {
                    fail("Can not compensate audio timestamp drift");
                }
                break;
            case AudioSyncAction::Drop:
                dropSamples = step.samples;
                if (m_run.verbosity > 2) {
                    log(6, FormatText("discarding %lld audio samples",
                                      static_cast<long long>(step.samples)));
                }
                break;
            case AudioSyncAction::InsertSilence: {
                // The buffers must hold the gap as well (in input bytes, as the decoder gave).
                const double gapInput = std::trunc(static_cast<double>(step.samples) *
                                                   inputFacts.sampleRate / outputRate);
                checkSizes(inputBytes + static_cast<int64_t>(std::min(gapInput, 1e15)) *
                                            std::max(inputFacts.channels, 1) * 2);
                silenceSamples = step.samples;
                if (m_run.verbosity > 2) {
                    log(6, FormatText("adding %lld audio samples of silence",
                                      static_cast<long long>(step.samples)));
                }
                break;
            }
            case AudioSyncAction::None:
                break;
        }
        ist.isStart = false;
    } else {
        // Without sync the output follows the samples; the input's time stamps place them:
        // the input says this frame starts here, less what still waits in the FIFO and the
        // resampler. Only a gap wider than the drift threshold moves the time line on.
        const int64_t delay =
            ost.resampler ? lib::swresample.swr_get_delay(ost.resampler.get(), outputRate) : 0;
        const int64_t position = std::llrint(syncInputSeconds * outputRate) - queued - delay;
        const double threshold = m_run.audioDriftThresholdSeconds * outputRate;
        const double tolerance = threshold >= 0.0 ? std::min(threshold, 1e15) : 0.0;
        ost.syncOpts = FollowInputTimeline(ost.syncStarted, ost.syncOpts, position,
                                           static_cast<int64_t>(tolerance));
        ost.syncStarted = true;
    }
    if (syncInputSeconds < 0) {
        // The part of the frame before the start is cut off.
        dropSamples = std::max<int64_t>(dropSamples, std::llrint(-syncInputSeconds * outputRate));
    }

    if (silenceSamples > 0) {
        insertSilence(ost, silenceSamples);
    }

    const int capacity =
        lib::swresample.swr_get_out_samples(ost.resampler.get(), frame->nb_samples);
    if (capacity < 0) {
        fail("Buffer sizes too large in do_audio_out");
    }
    FramePtr converted = makeFrame();
    converted->nb_samples = std::max(capacity, 1);
    converted->format = enc->sample_fmt;
    converted->sample_rate = outputRate;
    lib::avutil.av_channel_layout_copy(&converted->ch_layout, &enc->ch_layout);
    if (lib::avutil.av_frame_get_buffer(converted.get(), 0) < 0) {
        fail("Out of memory in do_audio_out");
    }
    const int count = lib::swresample.swr_convert(
        ost.resampler.get(), converted->extended_data, converted->nb_samples,
        const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (count < 0) {
        const std::string text = "av_audio_convert() failed";
        if (m_run.exitOnError) {
            fail(text);
        }
        log(3, text);
        return;
    }
    // Dropping more than this buffer holds leaves nothing; the next buffer measures again.
    const int skip = static_cast<int>(std::min<int64_t>(dropSamples, count));
    if (count - skip > 0) {
        void* planes[AV_NUM_DATA_POINTERS] = {};
        const bool planar = lib::avutil.av_sample_fmt_is_planar(enc->sample_fmt) != 0;
        const int bytes = lib::avutil.av_get_bytes_per_sample(enc->sample_fmt);
        const int channels = enc->ch_layout.nb_channels;
        const int planeCount = planar ? channels : 1;
        const int offset = skip * bytes * (planar ? 1 : channels);
        for (int p = 0; p < planeCount && p < AV_NUM_DATA_POINTERS; ++p) {
            planes[p] = converted->extended_data[p] + offset;
        }
        if (lib::avutil.av_audio_fifo_write(ost.fifo.get(), planes, count - skip) < 0) {
            fail("av_fifo_realloc2() failed");
        }
    }
    drainAudioFifo(ost, false);
}

void TranscodeSession::drainAudioFifo(OutputStream& ost, bool flush) {
    AVCodecContext* enc = ost.encoderContext.get();
    AVAudioFifo* fifo = ost.fifo.get();
    const bool variable =
        enc->frame_size <= 1 || (enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    // Encoders without a frame size take whatever is there, in slices of a sensible size.
    const int frameSize = variable ? 4096 : enc->frame_size;
    const bool shortLastFrame =
        variable || (enc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    while (true) {
        const int available = lib::avutil.av_audio_fifo_size(fifo);
        int samples = 0;
        int padded = 0;
        if (available <= 0) {
            break;
        }
        if (variable) {
            samples = padded = std::min(available, frameSize);
        } else if (available >= frameSize) {
            samples = padded = frameSize;
        } else if (flush) {
            // The last short frame, padded with silence when the encoder wants whole frames.
            samples = available;
            padded = shortLastFrame ? available : frameSize;
        } else {
            break;
        }
        FramePtr frame = makeFrame();
        frame->nb_samples = padded;
        frame->format = enc->sample_fmt;
        frame->sample_rate = enc->sample_rate;
        lib::avutil.av_channel_layout_copy(&frame->ch_layout, &enc->ch_layout);
        if (lib::avutil.av_frame_get_buffer(frame.get(), 0) < 0) {
            fail("Out of memory in do_audio_out");
        }
        if (padded > samples) {
            lib::avutil.av_samples_set_silence(frame->extended_data, samples, padded - samples,
                                               enc->ch_layout.nb_channels, enc->sample_fmt);
        }
        if (lib::avutil.av_audio_fifo_read(fifo, reinterpret_cast<void**>(frame->extended_data),
                                           samples) < samples) {
            fail("Audio encoding failed");
        }
        frame->pts = ost.syncOpts;
        ost.syncOpts += padded;
        ++ost.frameCount;
        encodeAndWrite(ost, frame.get());
    }
}

void TranscodeSession::flushAudio(OutputStream& ost) {
    AVCodecContext* enc = ost.encoderContext.get();
    if (ost.resampler) {
        // Samples the resampler still holds.
        const int capacity = lib::swresample.swr_get_out_samples(ost.resampler.get(), 0);
        if (capacity > 0) {
            FramePtr rest = makeFrame();
            rest->nb_samples = capacity;
            rest->format = enc->sample_fmt;
            rest->sample_rate = enc->sample_rate;
            lib::avutil.av_channel_layout_copy(&rest->ch_layout, &enc->ch_layout);
            if (lib::avutil.av_frame_get_buffer(rest.get(), 0) >= 0) {
                const int count = lib::swresample.swr_convert(
                    ost.resampler.get(), rest->extended_data, capacity, nullptr, 0);
                if (count > 0) {
                    lib::avutil.av_audio_fifo_write(
                        ost.fifo.get(), reinterpret_cast<void**>(rest->extended_data), count);
                }
            }
        }
    }
    drainAudioFifo(ost, true);
}

}  // namespace velmora
