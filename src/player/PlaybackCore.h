// The playback core: everything that plays one open file.
//
// Threads: the read thread demultiplexes into three packet queues; the video thread decodes and
// filters pictures into a two-slot picture queue; the subtitle thread decodes bitmap subtitles
// into a four-slot queue; SDL's audio thread runs the audio callback, which decodes without ever
// blocking; the refresh thread asks the player's event loop (TPlayThread) to refresh, and the
// event loop shows pictures on time. The player component (TCustomPlayer) creates one core per
// Open, places seek and pause requests into it and closes it.
//
// Threading contract: start() and close() are called by the player with its lock held or from
// the event loop; the display functions (refresh, redraw, releaseDisplay) only from the event
// loop thread, which owns every SDL window, renderer and texture.
#pragma once

#include <array>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "medialib/LibraryHandles.h"
#include "player/ManualEvent.h"
#include "player/PacketQueue.h"
#include "player/PlaybackMath.h"

namespace velmora {

class TCustomPlayer;

enum class SyncMaster : int { Audio = 0, Video = 1, External = 2 };
enum class AudioDisplay : int { None = 0, Waveform = 1, Spectrum = 2 };

class PlaybackCore {
    friend class TCustomPlayer;

public:
    static constexpr int kPictureSlots = 2;
    static constexpr int kSubtitleSlots = 4;
    static constexpr int kSampleArraySize = 131072;
    static constexpr int kMaxQueueBytes = 15 * 1024 * 1024;
    static constexpr int kMaxAudioQueueBytes = 327680;
    static constexpr int kMinFrames = 5;

    PlaybackCore(TCustomPlayer& owner, std::string fileName, bool startPaused);
    ~PlaybackCore();
    PlaybackCore(const PlaybackCore&) = delete;
    PlaybackCore& operator=(const PlaybackCore&) = delete;

    // Starts the read thread and waits for the open result (pumping main-thread calls when on
    // the main thread). False: the owner's last error says why; nothing is left running.
    bool start();
    // Stops every thread of the core and closes streams and input. Idempotent.
    void close();
    bool closed() const { return m_closed.load(); }

    // --- requests from the player ---
    // False when a seek is already pending.
    bool requestSeek(std::int64_t target, std::int64_t increment, int flags);
    bool seekPending() const { return m_seekRequest.load(); }
    std::int64_t seekTarget() {
        std::lock_guard lock(m_seekMutex);
        return m_seekTarget;
    }
    // Toggles pause with the clock arithmetic that keeps the frame timer in step.
    void togglePause();
    bool paused() const { return m_paused.load(); }
    void clearStep() { m_step = false; }

    bool hasVideo() const { return m_videoIndex >= 0; }
    bool hasAudio() const { return m_audioIndex >= 0; }
    std::int64_t startTime() const { return m_startTime; }  // microseconds
    std::int64_t duration() const { return m_duration; }    // microseconds, -1 unknown
    int frameWidth() const;
    int frameHeight() const;
    bool readingInProgress() const { return m_reading.load(); }
    AudioDisplay audioDisplay() const { return m_audioDisplay.load(); }
    void setAudioDisplay(AudioDisplay mode) { m_audioDisplay = mode; }
    int audioVolumeUsed() const;

    ManualEvent& seekDone() { return m_seekDone; }
    // Set once the first picture after the latest seek is on screen, or the decoder ran dry
    // after that seek without one (a seek to the very end), or the seek failed; reset by a seek.
    ManualEvent& pictureReady() { return m_pictureReady; }

    // Hands the picture on screen (4:2:0) to fn under its lock; returns its time in seconds, or
    // NAN when no picture has been shown yet.
    double withShownPicture(const std::function<void(const AVFrame&)>& fn);
    // Serialises a pause toggle and its state report with the report of a paused open's first
    // picture, so psPause and psResume always arrive in the order they happened.
    std::mutex& pauseMutex() { return m_pauseMutex; }

    // --- event loop (TPlayThread) only ---
    // Shows the next picture when it is due; while paused only the first picture of a paused
    // open or of a seek. Reports the position.
    void refresh();
    void redraw();
    void resized(int width, int height);
    // The host window was exposed or got this size (0 x 0: size unknown): draw again.
    void hostChanged(int width, int height);
    void relayout();
    void releaseDisplay();
    bool refreshPending() const { return m_refreshPending.load(); }
    void clearRefreshPending() { m_refreshPending = false; }

    // Clocks in seconds.
    double audioClock() const;
    double videoClock() const;
    double externalClock() const;
    double masterClock() const;

    // The visualisation picture (ARGB, row after row) as last drawn; for tests.
    std::vector<std::uint32_t> visualisationCopy(int& width, int& height) const;

private:
    struct PictureSlot {
        std::mutex mutex;  // the slot's picture: written by the video thread, taken for display
        FramePtr picture;  // YUV 4:2:0 copy of the filtered picture
        double pts = 0.0;
        double targetTime = 0.0;  // guarded by m_pictureMutex
        std::int64_t position = -1;
        AVRational sampleAspect{0, 1};
        int serial = 0;  // the decoder's flush serial when the picture was made
    };
    // The picture on screen. Showing a slot swaps its picture in here, so the video thread
    // refills the slot with the buffer of the picture shown before and never overwrites the
    // one on screen.
    struct ShownPicture {
        std::mutex mutex;  // taken after a slot's lock, never before
        FramePtr picture;
        double pts = NAN;
        AVRational sampleAspect{0, 1};
    };
    struct SubtitleSlot {
        double pts = 0.0;
        AVSubtitle subtitle{};
        bool valid = false;
    };

    void readThread();
    int openInput();
    void readLoop();
    void shutdownInput();
    int openComponent(int streamIndex);
    void closeComponent(int streamIndex);
    void doSeek();

    void videoThread();
    bool configureFilters(FilterGraphPtr& graph, AVFilterContext*& source, AVFilterContext*& sink,
                          const AVFrame& frame);
    int decodeVideoFrame(AVFrame* frame);
    void flushVideo(int serial);
    // Video thread: notes where the newest decoded picture ends (skipped ones included).
    void noteDecodedPicture(const AVFrame& frame);
    // Whether the video thread decodes although playback is paused: a paused open has no
    // picture yet, or a seek has none yet.
    bool decodeWhilePaused() const;
    // Video thread: the decoder has handed out everything it had.
    void decoderDrained();
    int outputPicture(AVFrame* frame, double pts, std::int64_t position);
    int queuePicture(AVFrame* frame, double pts, std::int64_t position);

    void subtitleThread();
    void freeSubtitleSlot(SubtitleSlot& slot);

    static void audioCallbackEntry(void* opaque, Uint8* stream, int length);
    void audioCallback(Uint8* stream, int length);
    int decodeAudioFrame();
    void feedSampleArray(const std::int16_t* samples, int count);

    void refreshRefreshThread();
    void reportPosition();
    void updateSubtitles(double picturePts);
    void refreshPicture();
    // Event loop: makes the read slot the picture on screen and releases the slot.
    void showSlot(std::unique_lock<std::mutex>& pictureLock, double now);

    // display (event loop thread)
    bool ensureWindow();
    // Shows the picture on screen on the window when there is one, and tells the owner either
    // way.
    void displayShown();
    // Draws the picture into the window (under the shown picture's lock); false when it could not.
    bool presentPicture(AVFrame& picture);
    void displayAudio();
    void blendSubtitles(AVFrame& picture, double picturePts);
    void presentVisualisation();

    double now() const;
    bool videoIsSlave() const;
    void report(const std::string& text, bool setLastError);

    TCustomPlayer& m_owner;
    const std::string m_fileName;

    // Set by the read thread before the open status becomes 1, read-only afterwards.
    InputFormatPtr m_format;
    int m_audioIndex = -1;
    int m_videoIndex = -1;
    int m_subtitleIndex = -1;
    AVStream* m_audioStream = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_subtitleStream = nullptr;
    CodecContextPtr m_audioCodec;
    CodecContextPtr m_videoCodec;
    CodecContextPtr m_subtitleCodec;
    std::int64_t m_startTime = 0;
    std::int64_t m_duration = -1;
    std::int64_t m_audioDuration = -1;
    bool m_imageSequence = false;
    bool m_captureDevice = false;
    int m_seekByBytes = -1;
    const SyncMaster m_syncMaster = SyncMaster::Audio;
    const bool m_frameDrop = true;
    const int m_decoderReorder = -1;

    PacketQueue m_audioQueue;
    PacketQueue m_videoQueue;
    PacketQueue m_subtitleQueue;

    std::thread m_readThread;
    std::thread m_videoThread;
    std::thread m_subtitleThread;
    std::thread m_refreshThread;

    std::atomic<int> m_openStatus{0};  // 0 pending, 1 success, -1 failed, -2 failed and cleaned
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_closed{false};
    std::mutex m_closeMutex;  // serialises close()
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_step{false};
    std::atomic<int> m_readPauseResult{0};
    std::atomic<bool> m_seekRequest{false};
    std::mutex m_seekMutex;  // guards the three seek fields below
    std::int64_t m_seekTarget = 0;
    std::int64_t m_seekIncrement = 0;
    int m_seekFlags = 0;
    std::atomic<bool> m_refreshPending{false};
    std::atomic<bool> m_eofReached{false};
    std::atomic<bool> m_endReported{false};
    std::atomic<bool> m_reading{false};
    std::atomic<bool> m_videoDrained{false};
    // A paused open whose first picture has not been shown yet (psPause is reported then).
    std::atomic<bool> m_openedPaused{false};
    std::mutex m_pauseMutex;
    std::atomic<bool> m_emptyReported{false};
    // Flush serials tell pictures from before and after a seek apart. The read thread numbers
    // every flush marker it puts into the video queue (1 at open, then one per seek); the video
    // thread stamps each picture with the serial of the last marker it took.
    int m_flushCounter = 0;                // read thread only
    std::atomic<int> m_awaitedSerial{0};   // the latest seek's serial; written under m_pictureMutex
    std::atomic<int> m_decoderSerial{0};   // video thread: serial of the last marker taken
    std::atomic<int> m_outputSerial{0};    // video thread: serial of the last picture queued
    std::atomic<int> m_drainedSerial{-1};  // video thread: serial when the decoder last ran dry
    ManualEvent m_seekDone{true};
    ManualEvent m_pictureReady{true};

    // Picture queue. m_pictureMutex guards indexes, size, target times, the skip factor and the
    // frame-timing fields; each slot's picture has its own lock.
    std::array<PictureSlot, kPictureSlots> m_slots;
    mutable std::mutex m_pictureMutex;
    std::condition_variable m_pictureChanged;
    int m_pictureRead = 0;
    int m_pictureWrite = 0;
    int m_pictureSize = 0;
    int m_shownSerial = 0;  // serial of the picture on screen; 0 before the first
    ShownPicture m_shown;
    double m_skipFactor = 1.0;
    double m_skipCounter = 0.0;
    double m_frameTimer = 0.0;
    double m_frameLastPts = NAN;
    double m_frameLastDelay = 0.0;

    // Video clock fields: written by the video thread and the event loop, guarded by m_clockMutex.
    mutable std::mutex m_clockMutex;
    double m_videoPtsClock = 0.0;    // running picture time of the decoder output
    double m_videoDecodedEnd = NAN;  // end of the newest picture decoded since the last flush
    double m_currentPts = 0.0;       // time of the picture on screen
    double m_currentPtsDrift = 0.0;
    std::int64_t m_currentPosition = -1;
    bool m_pictureShown = false;
    double m_externalClock = 0.0;
    double m_externalClockTime = 0.0;

    // Timestamp fault counters (video thread only).
    int m_faultyPts = 0;
    int m_faultyDts = 0;
    std::int64_t m_lastPtsForFault = AV_NOPTS_VALUE;
    std::int64_t m_lastDtsForFault = AV_NOPTS_VALUE;

    // Subtitle queue, guarded by m_subtitleMutex.
    std::array<SubtitleSlot, kSubtitleSlots> m_subtitles;
    std::mutex m_subtitleMutex;
    std::condition_variable m_subtitleChanged;
    int m_subtitleRead = 0;
    int m_subtitleWrite = 0;
    int m_subtitleSize = 0;
    bool m_subtitleStreamChanged = false;

    // Audio state: touched by the audio callback; opened and closed by the read thread while
    // the device is stopped. The clock is read by other threads through the atomics.
    SDL_AudioDeviceID m_audioDevice = 0;
    std::vector<std::uint8_t> m_audioBuffer;
    int m_audioBufferSize = 0;
    int m_audioBufferIndex = 0;
    PacketPtr m_audioPendingPacket;
    FramePtr m_audioFrame;
    ResamplerPtr m_resampler;
    int m_resamplerFormat = -1;
    int m_resamplerRate = 0;
    AVChannelLayout m_resamplerLayout{};
    int m_audioRate = 0;
    int m_audioChannels = 0;
    std::atomic<double> m_audioClockAtEnd{0.0};
    std::atomic<int> m_audioBytesLeft{0};
    playback::AudioDriftState m_drift;
    int m_hardwareBufferSize = 0;
    std::atomic<double> m_audioCallbackTime{0.0};

    // Visualisation, guarded by m_sampleMutex.
    mutable std::mutex m_sampleMutex;
    std::vector<std::int16_t> m_sampleArray;
    int m_sampleIndex = 0;
    std::atomic<AudioDisplay> m_audioDisplay{AudioDisplay::None};
    RDFTContext* m_rdft = nullptr;  // event loop only
    int m_rdftBits = 0;
    std::vector<FFTSample> m_rdftData;
    int m_spectrumColumn = 0;
    std::vector<std::uint32_t> m_visual;  // guarded by m_sampleMutex (copied by tests)
    int m_visualWidth = 0;
    int m_visualHeight = 0;

    // Position reporting (event loop and read thread), guarded by m_reportMutex.
    std::mutex m_reportMutex;
    bool m_positionReported = false;
    std::int64_t m_lastReported = 0;
    std::int64_t m_endPosition = 0;  // the position reported with psEnd

    // Display objects: event loop thread only.
    SDL_Window* m_window = nullptr;
    SDL_Renderer* m_renderer = nullptr;
    SDL_Texture* m_texture = nullptr;
    int m_textureWidth = 0;
    int m_textureHeight = 0;
    SDL_Texture* m_visualTexture = nullptr;
    int m_windowWidth = 0;
    int m_windowHeight = 0;
    bool m_forceLayout = false;
    bool m_windowFailed = false;
};

}  // namespace velmora
