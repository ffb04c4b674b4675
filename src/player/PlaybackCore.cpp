// Playback core: lifecycle, the read thread, stream components, clocks, requests.
#include "player/PlaybackCore.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"
#include "medialib/MediaUtils.h"
#include "medialib/TextFormat.h"
#include "player/CustomPlayer.h"

namespace velmora {

namespace {

void sleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

constexpr int kMaxReadFailures = 10;

int interruptCallback(void* opaque) {
    return static_cast<const std::atomic<bool>*>(opaque)->load() ? 1 : 0;
}

}  // namespace

PlaybackCore::PlaybackCore(TCustomPlayer& owner, std::string fileName, bool startPaused)
    : m_owner(owner), m_fileName(std::move(fileName)) {
    if (startPaused) {
        m_paused = true;
        m_openedPaused = true;
    }
    m_sampleArray.assign(kSampleArraySize, 0);
}

PlaybackCore::~PlaybackCore() {
    close();
    releaseDisplay();
}

double PlaybackCore::now() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void PlaybackCore::report(const std::string& text, bool setLastError) {
    m_owner.reportError(text, setLastError);
}

bool PlaybackCore::start() {
    try {
        m_readThread = std::thread(&PlaybackCore::readThread, this);
    } catch (const std::system_error&) {
        report("SDL_CreateThread() failed.", true);
        return false;
    }
    const bool onMain = IsMainThread();
    while (m_openStatus.load() == 0) {
        if (onMain) {
            PumpMessages();
        }
        sleepMs(10);
    }
    if (m_openStatus.load() == 1) {
        if (!hasVideo() && !m_owner.DisableDisplay()) {
            m_audioDisplay = AudioDisplay::Waveform;
        }
        m_refreshThread = std::thread(&PlaybackCore::refreshRefreshThread, this);
        return true;
    }
    // The read thread cleans up after a failed open and ends by itself.
    m_readThread.join();
    m_closed = true;
    return false;
}

void PlaybackCore::close() {
    std::lock_guard lock(m_closeMutex);
    if (m_closed.load()) {
        return;
    }
    m_abort = true;
    m_videoQueue.abort();
    m_audioQueue.abort();
    m_subtitleQueue.abort();
    // Taking each lock once orders the abort flag before any waiter's next check, so a thread
    // between its check and its wait cannot miss the notification.
    { std::lock_guard lock(m_pictureMutex); }
    m_pictureChanged.notify_all();
    { std::lock_guard lock(m_subtitleMutex); }
    m_subtitleChanged.notify_all();
    if (m_refreshThread.joinable()) {
        m_refreshThread.join();
    }
    if (m_readThread.joinable()) {
        m_readThread.join();
    }
    m_seekDone.set();
    m_pictureReady.set();
    m_closed = true;
}

// ---------------------------------------------------------------------------------------------
// Read thread

void PlaybackCore::readThread() {
    if (openInput() == 0) {
        m_openStatus = 1;
        readLoop();
        // A failing input ends the loop early: hold the streams until the player closes us.
        while (!m_abort.load()) {
            sleepMs(100);
        }
    } else {
        m_openStatus = -1;
    }
    shutdownInput();
}

int PlaybackCore::openInput() {
    AVFormatContext* context = lib::avformat.avformat_alloc_context();
    if (context == nullptr) {
        m_owner.setLastError("av_mallocz() failed.");
        return -1;
    }
    context->interrupt_callback.callback = interruptCallback;
    context->interrupt_callback.opaque = &m_abort;
    AVDictionary* options = nullptr;
    if (m_owner.FrameWidth() > 0 && m_owner.FrameHeight() > 0) {
        const std::string size =
            std::to_string(m_owner.FrameWidth()) + "x" + std::to_string(m_owner.FrameHeight());
        lib::avutil.av_dict_set(&options, "video_size", size.c_str(), 0);
    }
    const std::string libraryName = ToLibraryFileName(m_fileName);
    int result =
        lib::avformat.avformat_open_input(&context, libraryName.c_str(), nullptr, &options);
    lib::avutil.av_dict_free(&options);
    if (result < 0) {
        // avformat_open_input frees the context on failure.
        const std::string text = ErrorText(m_fileName, result);
        m_owner.setLastError(text);
        Logger().Log(&m_owner, TLogLevel::llError, text);
        return -1;
    }
    m_format.reset(context);
    {
        std::lock_guard codecLock(CodecLock());
        result = lib::avformat.avformat_find_stream_info(context, nullptr);
    }
    if (result < 0) {
        const std::string text =
            FormatText("%s: could not find codec parameters", m_fileName.c_str());
        m_owner.setLastError(text);
        Logger().Log(&m_owner, TLogLevel::llError, text);
        return -1;
    }
    if (context->pb != nullptr) {
        context->pb->eof_reached = 0;
    }
    if (m_seekByBytes < 0) {
        m_seekByBytes = (context->iformat->flags & AVFMT_TS_DISCONT) != 0 ? 1 : 0;
    }
    const std::string formatName = context->iformat->name != nullptr ? context->iformat->name : "";
    m_imageSequence = formatName == "image2";
    m_captureDevice =
        formatName == "vfwcap" || formatName == "vfwcapture" || formatName == "video4linux2,v4l2";
    m_startTime = context->start_time != AV_NOPTS_VALUE ? context->start_time : 0;
    m_duration = context->duration != AV_NOPTS_VALUE ? context->duration : -1;

    for (unsigned i = 0; i < context->nb_streams; ++i) {
        context->streams[i]->discard = AVDISCARD_ALL;
    }
    // The best stream of each kind is the one the demuxer saw the most frames of.
    int wantedVideo = -1;
    int wantedAudio = -1;
    int wantedSubtitle = -1;
    if (!m_owner.DisableVideo() && !m_owner.DisableDisplay()) {
        wantedVideo =
            lib::avformat.av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    }
    if (!m_owner.DisableAudio()) {
        wantedAudio = lib::avformat.av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1,
                                                        wantedVideo, nullptr, 0);
    }
    if (!m_owner.DisableVideo() && !m_owner.DisableDisplay()) {
        wantedSubtitle = lib::avformat.av_find_best_stream(
            context, AVMEDIA_TYPE_SUBTITLE, -1, wantedAudio >= 0 ? wantedAudio : wantedVideo,
            nullptr, 0);
    }
    if (wantedAudio >= 0) {
        openComponent(wantedAudio);
    }
    if (wantedVideo >= 0) {
        openComponent(wantedVideo);
    }
    if (m_videoIndex < 0 && !m_owner.DisableDisplay()) {
        m_audioDisplay = AudioDisplay::Spectrum;
    }
    if (wantedSubtitle >= 0) {
        openComponent(wantedSubtitle);
    }
    if (m_videoIndex < 0 && m_audioIndex < 0) {
        const std::string text =
            FormatText("%s: could not open codecs, no stream to play.", m_fileName.c_str());
        m_owner.setLastError(text);
        Logger().Log(&m_owner, TLogLevel::llError, text);
        return -1;
    }
    return 0;
}

void PlaybackCore::readLoop() {
    AVFormatContext* context = m_format.get();
    PacketPtr packet = makePacket();
    bool lastPaused = false;
    bool localEof = false;
    bool endLogged = false;
    bool emptySent = false;
    int failures = 0;
    if (!packet) {
        return;
    }
    while (!m_abort.load()) {
        const bool paused = m_paused.load();
        if (paused != lastPaused) {
            lastPaused = paused;
            if (paused) {
                m_readPauseResult = lib::avformat.av_read_pause(context);
            } else {
                lib::avformat.av_read_play(context);
            }
        }
        if (m_seekRequest.load()) {
            doSeek();
            localEof = false;
            endLogged = false;
            emptySent = false;
        }
        const int total =
            m_audioQueue.byteSize() + m_videoQueue.byteSize() + m_subtitleQueue.byteSize();
        const bool audioShort = m_audioIndex >= 0 && m_audioQueue.byteSize() <= kMaxAudioQueueBytes;
        const bool videoShort = m_videoIndex >= 0 && m_videoQueue.count() <= kMinFrames;
        const bool subtitleShort = m_subtitleIndex >= 0 && m_subtitleQueue.count() <= kMinFrames;
        if (total > kMaxQueueBytes || !(audioShort || videoShort || subtitleShort)) {
            sleepMs(10);
            continue;
        }
        if (localEof || (context->pb != nullptr && lib::avformat.avio_feof(context->pb))) {
            if (m_videoIndex >= 0 && !emptySent) {
                // One empty packet tells the decoder to hand out the pictures it still holds.
                // A seek waiting for its picture waits on: the decoder may still make it.
                m_videoQueue.putEmpty();
                emptySent = true;
            }
            sleepMs(10);
            if (m_audioQueue.count() == 0 && m_videoQueue.count() == 0 &&
                m_subtitleQueue.count() == 0 && (m_videoIndex < 0 || m_videoDrained.load())) {
                m_eofReached = true;
            }
            continue;
        }
        m_reading = true;
        const int result = lib::avformat.av_read_frame(context, packet.get());
        m_reading = false;
        if (m_abort.load()) {
            lib::avcodec.av_packet_unref(packet.get());
            break;
        }
        if (result < 0) {
            if (result == AVERROR(EAGAIN)) {
                sleepMs(10);
                continue;
            }
            if (!endLogged && !m_imageSequence) {
                endLogged = true;
                if (result == AVERROR_EOF) {
                    Logger().LogFmt(&m_owner, TLogLevel::llInfo, "reach end of file: %s",
                                    m_fileName.c_str());
                } else {
                    char text[AV_ERROR_MAX_STRING_SIZE] = {};
                    lib::avutil.av_strerror(result, text, sizeof text);
                    report(FormatText("error #%d while reading file: %s", result, text), true);
                }
            }
            if (result == AVERROR_EOF) {
                localEof = true;
            }
            if (context->pb != nullptr && context->pb->error != 0) {
                // The input is broken: end playback so the host sees psStop.
                m_owner.pushEvent(PlayerEvent::Quit);
                break;
            }
            if (result != AVERROR_EOF) {
                sleepMs(100);
                // An input that keeps failing ends like the end instead of retrying forever.
                if (++failures >= kMaxReadFailures) {
                    localEof = true;
                }
            }
            continue;
        }
        failures = 0;
        const int index = packet->stream_index;
        if (index == m_audioIndex) {
            m_audioQueue.put(packet.get());
        } else if (index == m_videoIndex) {
            m_videoQueue.put(packet.get());
        } else if (index == m_subtitleIndex) {
            m_subtitleQueue.put(packet.get());
        } else {
            lib::avcodec.av_packet_unref(packet.get());
        }
    }
}

void PlaybackCore::doSeek() {
    AVFormatContext* context = m_format.get();
    std::int64_t target;
    std::int64_t increment;
    int flags;
    {
        std::lock_guard lock(m_seekMutex);
        target = m_seekTarget;
        increment = m_seekIncrement;
        flags = m_seekFlags;
    }
    std::int64_t minTs;
    std::int64_t maxTs;
    playback::seekWindow(target, increment, minTs, maxTs);
    int result = lib::avformat.avformat_seek_file(context, -1, minTs, target, maxTs, flags);
    if (result < 0) {
        result = lib::avformat.av_seek_frame(context, -1, target, flags);
    }
    if (result < 0) {
        result = lib::avformat.av_seek_frame(context, -1, target, flags ^ AVSEEK_FLAG_BACKWARD);
    }
    if (result < 0) {
        report(FormatText("%s: error while seeking", m_fileName.c_str()), false);
        m_pictureReady.set();
    } else {
        if (m_audioIndex >= 0) {
            m_audioQueue.flush();
            m_audioQueue.putFlush();
        }
        if (m_subtitleIndex >= 0) {
            m_subtitleQueue.flush();
            m_subtitleQueue.putFlush();
        }
        if (m_videoIndex >= 0) {
            // From here on every queued picture of an older serial is stale, and the seek's
            // wait ends with the first picture of the new one on screen.
            const int serial = ++m_flushCounter;
            {
                std::lock_guard lock(m_pictureMutex);
                m_awaitedSerial = serial;
                m_pictureReady.reset();
            }
            m_videoQueue.flush();
            m_videoQueue.putFlush(serial);
        }
    }
    m_endReported = false;
    m_eofReached = false;
    m_videoDrained = false;
    m_emptyReported = false;
    m_seekRequest = false;
    m_seekDone.set();
    if (m_videoIndex < 0) {
        m_owner.setSeekInProgress(false);
    }
}

void PlaybackCore::shutdownInput() {
    if (m_openStatus.load() != 1) {
        m_openStatus = -1;
    }
    closeComponent(m_audioIndex);
    closeComponent(m_videoIndex);
    closeComponent(m_subtitleIndex);
    const bool failed = m_openStatus.load() != 1;
    m_format.reset();
    if (failed) {
        m_openStatus = -2;
    }
}

int PlaybackCore::openComponent(int streamIndex) {
    AVFormatContext* context = m_format.get();
    if (streamIndex < 0 || streamIndex >= static_cast<int>(context->nb_streams)) {
        return -1;
    }
    AVStream* stream = context->streams[streamIndex];
    const AVCodec* decoder = lib::avcodec.avcodec_find_decoder(stream->codecpar->codec_id);
    CodecContextPtr codec(decoder != nullptr ? lib::avcodec.avcodec_alloc_context3(decoder)
                                             : nullptr);
    if (!codec || lib::avcodec.avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) {
        report("avcodec_open() failed.", false);
        return -1;
    }
    codec->pkt_timebase = stream->time_base;
    codec->workaround_bugs = 1;
    codec->err_recognition = 1;
    codec->error_concealment = 3;
    codec->lowres = 0;
    codec->idct_algo = 0;
    codec->thread_count = 1;
    int result;
    {
        std::lock_guard codecLock(CodecLock());
        result = lib::avcodec.avcodec_open2(codec.get(), decoder, nullptr);
    }
    if (result < 0) {
        std::lock_guard codecLock(CodecLock());
        codec.reset();
        report("avcodec_open() failed.", false);
        return -1;
    }
    switch (codec->codec_type) {
        case AVMEDIA_TYPE_AUDIO: {
            const int channels = codec->ch_layout.nb_channels;
            SDL_AudioSpec wanted{};
            SDL_AudioSpec obtained{};
            wanted.freq = codec->sample_rate;
            wanted.format = AUDIO_S16SYS;
            wanted.channels = static_cast<Uint8>(channels == 1 ? 1 : 2);
            wanted.silence = 0;
            wanted.samples = 1024;
            wanted.callback = &PlaybackCore::audioCallbackEntry;
            wanted.userdata = this;
            m_audioDevice = lib::sdl.SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
            if (m_audioDevice == 0 || wanted.freq <= 0) {
                report(std::string("SDL_OpenAudioDevice() failed: ") + lib::sdl.SDL_GetError(),
                       false);
                std::lock_guard codecLock(CodecLock());
                codec.reset();
                return -1;
            }
            m_hardwareBufferSize = static_cast<int>(obtained.size);
            m_audioRate = obtained.freq;
            m_audioChannels = obtained.channels;
            m_audioStream = stream;
            m_audioIndex = streamIndex;
            m_audioDuration = stream->duration != AV_NOPTS_VALUE
                                  ? lib::avutil.av_rescale_q(stream->duration, stream->time_base,
                                                             AVRational{1, AV_TIME_BASE})
                                  : -1;
            m_audioBuffer.assign(288000, 0);
            m_audioBufferSize = 0;
            m_audioBufferIndex = 0;
            m_audioFrame = makeFrame();
            m_drift = playback::AudioDriftState{};
            m_drift.coefficient = std::exp(std::log(0.01) / 20.0);
            m_drift.threshold = 2.0 * 1024 / m_audioRate;
            m_audioCodec = std::move(codec);
            stream->discard = AVDISCARD_DEFAULT;
            m_audioQueue.putFlush();
            lib::sdl.SDL_PauseAudioDevice(m_audioDevice, 0);
            break;
        }
        case AVMEDIA_TYPE_VIDEO:
            m_videoStream = stream;
            m_videoIndex = streamIndex;
            m_videoCodec = std::move(codec);
            stream->discard = AVDISCARD_DEFAULT;
            m_videoQueue.putFlush(++m_flushCounter);
            m_videoThread = std::thread(&PlaybackCore::videoThread, this);
            break;
        case AVMEDIA_TYPE_SUBTITLE:
            m_subtitleStream = stream;
            m_subtitleIndex = streamIndex;
            m_subtitleCodec = std::move(codec);
            stream->discard = AVDISCARD_DEFAULT;
            m_subtitleQueue.putFlush();
            m_subtitleThread = std::thread(&PlaybackCore::subtitleThread, this);
            break;
        default: {
            std::lock_guard codecLock(CodecLock());
            codec.reset();
            return -1;
        }
    }
    return 0;
}

void PlaybackCore::closeComponent(int streamIndex) {
    if (streamIndex < 0) {
        return;
    }
    if (streamIndex == m_videoIndex) {
        m_videoQueue.abort();
        { std::lock_guard lock(m_pictureMutex); }
        m_pictureChanged.notify_all();
        if (m_videoThread.joinable()) {
            m_videoThread.join();
        }
        m_videoQueue.flush();
        std::lock_guard codecLock(CodecLock());
        m_videoCodec.reset();
    } else if (streamIndex == m_audioIndex) {
        m_audioQueue.abort();
        if (m_audioDevice != 0) {
            // Waits for a running callback to return.
            lib::sdl.SDL_CloseAudioDevice(m_audioDevice);
            m_audioDevice = 0;
        }
        m_audioQueue.flush();
        m_resampler.reset();
        lib::avutil.av_channel_layout_uninit(&m_resamplerLayout);
        m_audioPendingPacket.reset();
        m_audioFrame.reset();
        std::lock_guard codecLock(CodecLock());
        m_audioCodec.reset();
    } else if (streamIndex == m_subtitleIndex) {
        m_subtitleQueue.abort();
        {
            std::lock_guard lock(m_subtitleMutex);
            m_subtitleStreamChanged = true;
        }
        m_subtitleChanged.notify_all();
        if (m_subtitleThread.joinable()) {
            m_subtitleThread.join();
        }
        m_subtitleQueue.flush();
        {
            std::lock_guard lock(m_subtitleMutex);
            for (SubtitleSlot& slot : m_subtitles) {
                freeSubtitleSlot(slot);
            }
            m_subtitleSize = 0;
        }
        std::lock_guard codecLock(CodecLock());
        m_subtitleCodec.reset();
    }
    if (m_format && streamIndex < static_cast<int>(m_format->nb_streams)) {
        m_format->streams[streamIndex]->discard = AVDISCARD_ALL;
    }
}

// ---------------------------------------------------------------------------------------------
// Requests and clocks

bool PlaybackCore::requestSeek(std::int64_t target, std::int64_t increment, int flags) {
    if (m_seekRequest.load()) {
        return false;
    }
    m_owner.setSeekInProgress(true);
    {
        std::lock_guard lock(m_seekMutex);
        m_seekTarget = target;
        m_seekIncrement = increment;
        m_seekFlags = flags & 0x0F;
    }
    m_seekDone.reset();
    m_seekRequest = true;
    return true;
}

void PlaybackCore::togglePause() {
    const bool wasPaused = m_paused.load();
    if (wasPaused) {
        // A paused open resumed before its first picture was shown reports no psPause.
        m_openedPaused = false;
        std::lock_guard pictureLock(m_pictureMutex);
        std::lock_guard clockLock(m_clockMutex);
        const double t = now();
        // How far the frame timer moves on: the time since the picture on screen was shown.
        // Pictures queued while paused keep their spacing and move on by the same amount.
        double shift = 0.0;
        if (m_pictureShown) {
            shift = t + m_currentPtsDrift - m_currentPts;
            m_frameTimer += shift;
            if (m_readPauseResult.load() != AVERROR(ENOSYS)) {
                m_currentPts = m_currentPtsDrift + t;
            }
            m_currentPtsDrift = m_currentPts - t;
        } else if (t > m_frameTimer) {
            // Nothing shown yet: the drift is still zero, so the arithmetic above would put
            // every later picture hours ahead. The newest queued picture becomes due now.
            shift = t - m_frameTimer;
            m_frameTimer = t;
        }
        for (int i = 0; i < m_pictureSize; ++i) {
            m_slots[(m_pictureRead + i) % kPictureSlots].targetTime += shift;
        }
    }
    m_paused = !wasPaused;
}

int PlaybackCore::frameWidth() const {
    return m_videoCodec ? m_videoCodec->width : -1;
}

int PlaybackCore::frameHeight() const {
    return m_videoCodec ? m_videoCodec->height : -1;
}

double PlaybackCore::audioClock() const {
    const int bytesPerSecond = m_audioRate * 2 * m_audioChannels;
    if (bytesPerSecond <= 0) {
        return 0.0;
    }
    return m_audioClockAtEnd.load() - static_cast<double>(m_audioBytesLeft.load()) / bytesPerSecond;
}

double PlaybackCore::videoClock() const {
    std::lock_guard lock(m_clockMutex);
    if (m_paused.load()) {
        return m_currentPts;
    }
    if (m_pictureShown) {
        return m_currentPtsDrift + now();
    }
    return static_cast<double>(m_startTime) / AV_TIME_BASE;
}

double PlaybackCore::externalClock() const {
    std::lock_guard lock(m_clockMutex);
    return m_externalClock + (now() - m_externalClockTime);
}

double PlaybackCore::masterClock() const {
    switch (m_syncMaster) {
        case SyncMaster::Video:
            return hasVideo() ? videoClock() : audioClock();
        case SyncMaster::Audio:
            return hasAudio() ? audioClock() : videoClock();
        case SyncMaster::External:
            break;
    }
    return externalClock();
}

bool PlaybackCore::videoIsSlave() const {
    return (m_syncMaster == SyncMaster::Audio && hasAudio()) ||
           m_syncMaster == SyncMaster::External;
}

int PlaybackCore::audioVolumeUsed() const {
    return m_owner.AudioVolume();
}

void PlaybackCore::refreshRefreshThread() {
    while (!m_abort.load()) {
        if (!m_refreshPending.exchange(true)) {
            m_owner.pushEvent(PlayerEvent::Refresh);
        }
        sleepMs(m_audioDisplay.load() != AudioDisplay::None && !hasVideo() ? 20 : 5);
    }
}

void PlaybackCore::reportPosition() {
    double clock = hasVideo() ? videoClock() : audioClock();
    double videoEnd = NAN;
    if (hasVideo()) {
        std::lock_guard clockLock(m_clockMutex);
        videoEnd = m_videoDecodedEnd;
    }
    if (!std::isnan(videoEnd)) {
        // The picture clock runs on from the picture on screen; it never passes the end of the
        // pictures decoded so far (an event loop held up, the end of a cut file).
        clock = std::min(clock, videoEnd);
    }
    std::lock_guard lock(m_reportMutex);
    bool atEnd = m_eofReached.load() && !m_captureDevice && !m_endReported.load();
    if (atEnd && hasVideo()) {
        // The end comes once the last picture has left the queue.
        std::lock_guard pictureLock(m_pictureMutex);
        atEnd = m_pictureSize == 0;
    }
    if (atEnd) {
        // Everything is decoded and played out (late pictures may have been dropped): the file
        // ends where its pictures and its sound end, not at a duration its header declares.
        if (!std::isnan(videoEnd)) {
            clock = std::max(clock, videoEnd);
        }
        if (hasAudio()) {
            clock = std::max(clock, m_audioClockAtEnd.load());
        }
    }
    std::int64_t position = std::llround(clock * 1000000.0) - m_startTime;
    if (!hasVideo() && m_audioDuration > 0 && position >= m_audioDuration &&
        position < m_duration) {
        position = m_duration;
    }
    if (m_duration > 0 && position >= m_duration) {
        position = m_duration;
    }
    if (position < 0) {
        position = 0;
    }
    if (m_endReported.load()) {
        // After the end the position stays where the file ended (the picture clock would go
        // back to the last picture shown, or run on).
        position = m_endPosition;
    }
    if ((atEnd || position == m_duration) && m_lastReported != position) {
        // The host's last position is where the file really ended.
        m_positionReported = false;
    }
    m_owner.setCurrentPosition(position);
    if (!m_positionReported || std::llabs(position - m_lastReported) > 10000) {
        m_positionReported = true;
        m_lastReported = position;
        m_owner.post(NotificationKind::Position, TPlayState::psPlay, position);
    }
    if (atEnd) {
        m_endPosition = position;
        m_endReported = true;
        m_owner.changeState(TPlayState::psEnd);
    }
}

}  // namespace velmora
