// Playback core: the audio callback, its non-blocking decoder and the drift correction.
#include <algorithm>
#include <chrono>
#include <cstring>

#include "medialib/MediaLogger.h"
#include "player/CustomPlayer.h"
#include "player/PlaybackCore.h"

namespace velmora {

namespace {

constexpr int kSilenceBytes = 1024;

}  // namespace

void PlaybackCore::audioCallbackEntry(void* opaque, Uint8* stream, int length) {
    static_cast<PlaybackCore*>(opaque)->audioCallback(stream, length);
}

// SDL's audio thread. Never waits for packets: with nothing decoded it plays silence.
void PlaybackCore::audioCallback(Uint8* stream, int length) {
    m_audioCallbackTime = now();
    const bool mute = m_owner.Mute();
    const int volume = std::clamp(m_owner.AudioVolume(), 0, SDL_MIX_MAXVOLUME);
    while (length > 0) {
        if (m_audioBufferIndex >= m_audioBufferSize) {
            int size = decodeAudioFrame();
            if (m_audioQueue.aborted()) {
                std::memset(stream, 0, length);
                return;
            }
            if (size < 0) {
                size = kSilenceBytes;
                std::fill_n(m_audioBuffer.begin(), size, 0);
            } else {
                if (m_audioDisplay.load() != AudioDisplay::None) {
                    feedSampleArray(reinterpret_cast<const std::int16_t*>(m_audioBuffer.data()),
                                    size / 2);
                }
                if ((m_syncMaster == SyncMaster::Video && hasVideo()) ||
                    m_syncMaster == SyncMaster::External) {
                    const int frameBytes = 2 * m_audioChannels;
                    const int wanted = playback::synchronizedAudioSize(
                        m_drift, size, audioClock() - masterClock(), m_audioRate, frameBytes);
                    if (wanted > size) {
                        // Fill the added bytes by repeating the last sample frame.
                        if (static_cast<int>(m_audioBuffer.size()) < wanted) {
                            m_audioBuffer.resize(wanted);
                        }
                        for (int at = size; at + frameBytes <= wanted; at += frameBytes) {
                            std::memcpy(&m_audioBuffer[at], &m_audioBuffer[size - frameBytes],
                                        frameBytes);
                        }
                    }
                    size = wanted;
                }
            }
            m_audioBufferSize = size;
            m_audioBufferIndex = 0;
        }
        const int chunk = std::min(length, m_audioBufferSize - m_audioBufferIndex);
        std::memset(stream, 0, chunk);
        if (!mute) {
            lib::sdl.SDL_MixAudioFormat(stream, &m_audioBuffer[m_audioBufferIndex], AUDIO_S16SYS,
                                        static_cast<Uint32>(chunk), volume);
        }
        length -= chunk;
        stream += chunk;
        m_audioBufferIndex += chunk;
        m_audioBytesLeft = m_audioBufferSize - m_audioBufferIndex;
    }
}

// Decodes the next frame into the buffer as interleaved 16-bit samples. Returns its size in
// bytes, or -1 when nothing is available (paused, aborted, queue empty).
int PlaybackCore::decodeAudioFrame() {
    AVCodecContext* codec = m_audioCodec.get();
    AVFrame* frame = m_audioFrame.get();
    for (;;) {
        int received = lib::avcodec.avcodec_receive_frame(codec, frame);
        if (received == 0) {
            // A decoder whose format changed needs a new converter.
            if (!m_resampler || frame->format != m_resamplerFormat ||
                frame->sample_rate != m_resamplerRate ||
                lib::avutil.av_channel_layout_compare(&frame->ch_layout, &m_resamplerLayout) != 0) {
                m_resampler.reset();
                AVChannelLayout outLayout{};
                lib::avutil.av_channel_layout_default(&outLayout, m_audioChannels);
                SwrContext* resampler = nullptr;
                if (lib::swresample.swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16,
                                                        m_audioRate, &frame->ch_layout,
                                                        static_cast<AVSampleFormat>(frame->format),
                                                        frame->sample_rate, 0, nullptr) < 0 ||
                    lib::swresample.swr_init(resampler) < 0) {
                    lib::swresample.swr_free(&resampler);
                    const char* from = lib::avutil.av_get_sample_fmt_name(
                        static_cast<AVSampleFormat>(frame->format));
                    Logger().LogFmt(&m_owner, TLogLevel::llError,
                                    "Cannot convert %s sample format to %s sample format",
                                    from != nullptr ? from : "?", "s16");
                    lib::avutil.av_frame_unref(frame);
                    return -1;
                }
                m_resampler.reset(resampler);
                m_resamplerFormat = frame->format;
                m_resamplerRate = frame->sample_rate;
                lib::avutil.av_channel_layout_uninit(&m_resamplerLayout);
                lib::avutil.av_channel_layout_copy(&m_resamplerLayout, &frame->ch_layout);
            }
            const int maxSamples =
                static_cast<int>(static_cast<std::int64_t>(frame->nb_samples) * m_audioRate /
                                     std::max(1, frame->sample_rate) +
                                 256);
            const int needed = maxSamples * 2 * m_audioChannels;
            if (static_cast<int>(m_audioBuffer.size()) < needed) {
                m_audioBuffer.resize(needed);
            }
            uint8_t* out = m_audioBuffer.data();
            const int samples = lib::swresample.swr_convert(
                m_resampler.get(), &out, maxSamples,
                const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            const std::int64_t pts = frame->pts;
            lib::avutil.av_frame_unref(frame);
            if (samples < 0) {
                Logger().Log(&m_owner, TLogLevel::llError, "av_audio_convert() failed");
                return -1;
            }
            if (samples == 0) {
                continue;
            }
            const int bytes = samples * 2 * m_audioChannels;
            double clock = m_audioClockAtEnd.load();
            if (pts != AV_NOPTS_VALUE) {
                clock = static_cast<double>(pts) * av_q2d(m_audioStream->time_base);
            }
            m_audioClockAtEnd = clock + static_cast<double>(samples) / m_audioRate;
            return bytes;
        }
        if (received != AVERROR(EAGAIN) && received != AVERROR_EOF) {
            Logger().Log(&m_owner, TLogLevel::llInfo, "avcodec_decode_audio2() failed");
        }
        // The decoder wants input.
        if (m_audioPendingPacket) {
            const int sent = lib::avcodec.avcodec_send_packet(codec, m_audioPendingPacket.get());
            if (sent != AVERROR(EAGAIN)) {
                if (sent < 0 && sent != AVERROR_EOF) {
                    Logger().Log(&m_owner, TLogLevel::llInfo, "avcodec_decode_audio2() failed");
                }
                m_audioPendingPacket.reset();
            }
            if (sent == 0 || sent == AVERROR(EAGAIN)) {
                continue;
            }
        }
        if (m_paused.load() || m_audioQueue.aborted()) {
            return -1;
        }
        PacketQueue::Item item;
        if (m_audioQueue.get(item, false) <= 0) {
            return -1;
        }
        if (item.flush) {
            lib::avcodec.avcodec_flush_buffers(codec);
            m_audioBufferSize = 0;
            m_audioBufferIndex = 0;
            continue;
        }
        if (item.packet->data == nullptr && item.packet->size == 0) {
            continue;
        }
        if (item.packet->pts != AV_NOPTS_VALUE) {
            m_audioClockAtEnd =
                static_cast<double>(item.packet->pts) * av_q2d(m_audioStream->time_base);
        }
        m_audioPendingPacket = std::move(item.packet);
    }
}

void PlaybackCore::feedSampleArray(const std::int16_t* samples, int count) {
    std::lock_guard lock(m_sampleMutex);
    while (count > 0) {
        const int chunk = std::min(count, kSampleArraySize - m_sampleIndex);
        std::memcpy(&m_sampleArray[m_sampleIndex], samples, chunk * sizeof(std::int16_t));
        samples += chunk;
        m_sampleIndex = (m_sampleIndex + chunk) % kSampleArraySize;
        count -= chunk;
    }
}

}  // namespace velmora
