// The player component: plays one media file into a host window (or a window of its own) and
// reports its state and position through events.
//
// Open, Stop, Pause, Resume, TogglePause, Seek and CurrentFrame run on the caller's thread
// (normally the main thread); every wait they make is bounded and, on the main thread, keeps
// running queued main-thread calls. TPlayThread runs the event loop that shows pictures;
// TEventThread delivers notifications from the ring as events, on the main thread when
// TriggerEventInMainThread is set, otherwise on itself, one handler at a time.
//
// Handlers may call Open, Stop, Pause, Resume, Seek and CurrentFrame (a play list opens the next
// file when one ends). When a handler opens another file, the rest of the previous file's
// notifications (its psStop among them) are dropped. The player must not be destroyed from one
// of its own handlers.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "player/NotificationRing.h"
#include "player/PlayerTypes.h"

struct AVFrame;

namespace velmora {

class PlaybackCore;
class Bitmap;
class PictureConverter;

// Events handled by the player's event loop.
enum class PlayerEvent : int { Refresh = 25, Quit = 26, Relayout = 27, HostChanged = 28 };

class TCustomPlayer {
public:
    TCustomPlayer();
    virtual ~TCustomPlayer();
    TCustomPlayer(const TCustomPlayer&) = delete;
    TCustomPlayer& operator=(const TCustomPlayer&) = delete;

    // Loads the player library set; on failure the loader's text becomes LastError().
    bool LoadLibraries(const std::string& folder);
    bool LibrariesLoaded() const;

    // Plays fileName into hostWindow (a native window id; 0: a window of the player's own, or
    // none with DisableDisplay). False with LastError() when the file cannot be played.
    bool Open(const std::string& fileName, std::uintptr_t hostWindow = 0, bool startPaused = false);
    // Ends playback. With wait, returns once every playback thread has ended.
    void Stop(bool wait);
    void Pause();
    void Resume();
    void TogglePause();
    // flags: 1 backward, 2 bytes, 4 any frame, 8 frame number. position: microseconds from the
    // start of the file (or a byte offset with flag 2).
    void Seek(int flags, bool wait, std::int64_t position);
    // The picture on screen as a 24-bit bitmap owned by the player (0x0 without video);
    // pts: its time in microseconds from the start (-1 without video).
    const Bitmap& CurrentFrame(std::int64_t& pts);
    // The audio visualisation as last drawn (ARGB, row after row); empty when there is none.
    std::vector<std::uint32_t> CurrentVisualisation(int& width, int& height) const;
    // The host window was exposed or resized (width x height, its new client size): the picture
    // is drawn again at that size. Hosts whose window events SDL does not see itself (an X11
    // window SDL took over from another program) call this from their paint and resize events.
    // The caller's thread; calls made before the player's event loop got to the last one
    // collapse into it.
    void HostWindowChanged(int width, int height);
    std::string LastError() const;

    bool IsOpen() const;
    TPlayState State() const { return m_state.load(); }
    std::int64_t CurrentPosition() const { return m_currentPosition.load(); }
    std::int64_t Duration() const;

    // --- properties ---
    float AspectRatio() const { return m_aspectRatio.load(); }
    void SetAspectRatio(float value);
    TAudioDriver AudioDriver() const { return m_audioDriver; }
    void SetAudioDriver(TAudioDriver value) { m_audioDriver = value; }
    TVideoDriver VideoDriver() const { return m_videoDriver; }
    void SetVideoDriver(TVideoDriver value) { m_videoDriver = value; }
    int AudioVolume() const { return m_audioVolume.load(); }
    void SetAudioVolume(int value);
    bool Mute() const { return m_mute.load(); }
    void SetMute(bool value) { m_mute = value; }
    bool DisableAudio() const { return m_disableAudio; }
    void SetDisableAudio(bool value) { m_disableAudio = value; }
    bool DisableVideo() const { return m_disableVideo; }
    void SetDisableVideo(bool value) { m_disableVideo = value; }
    bool DisableDisplay() const { return m_disableDisplay; }
    void SetDisableDisplay(bool value) { m_disableDisplay = value; }
    // Pictures are decoded, timed and shown as usual but no SDL window is made (SDL's video is
    // not even started): the host draws them from CurrentFrame / CurrentVisualisation when
    // OnPictureShown tells it to. For hosts without a native window to embed into.
    bool OffscreenDisplay() const { return m_offscreenDisplay; }
    void SetOffscreenDisplay(bool value) { m_offscreenDisplay = value; }
    int FrameWidth() const { return m_frameWidth; }
    void SetFrameWidth(int value) { m_frameWidth = value; }
    int FrameHeight() const { return m_frameHeight; }
    void SetFrameHeight(int value) { m_frameHeight = value; }
    bool Hook() const { return m_hook.load(); }
    void SetHook(bool value) { m_hook = value; }
    int ScreenWidth() const { return m_screenWidth.load(); }
    void SetScreenWidth(int value) { m_screenWidth = value; }
    int ScreenHeight() const { return m_screenHeight.load(); }
    void SetScreenHeight(int value) { m_screenHeight = value; }
    bool TriggerEventInMainThread() const { return m_triggerEventInMainThread; }
    void SetTriggerEventInMainThread(bool value) { m_triggerEventInMainThread = value; }

    // --- events; assign while closed ---
    TFileOpenEvent OnFileOpen;
    TPositionEvent OnPosition;
    TPlayStateEvent OnState;
    THookEvent OnHook;
    TPictureShownEvent OnPictureShown;

    // --- used by the playback core ---
    void post(NotificationKind kind, TPlayState state, std::int64_t position);
    void changeState(TPlayState state);
    void pushEvent(PlayerEvent event);
    // Logs text at error level; for failures of Open itself also stores it as the last error.
    void reportError(const std::string& text, bool setLastError);
    void setLastError(const std::string& text);
    void setSeekInProgress(bool value) { m_seekInProgress = value; }
    bool seekInProgress() const { return m_seekInProgress.load(); }
    void setCurrentPosition(std::int64_t value) { m_currentPosition = value; }
    std::uintptr_t hostWindow() const { return m_hostWindow; }
    int fullScreenWidth() const { return m_fullScreenWidth; }
    int fullScreenHeight() const { return m_fullScreenHeight; }
    // Raises OnPictureShown (event-loop thread).
    void pictureShown(bool onWindow);
    // Runs the video hook on a 4:2:0 picture in place (video thread).
    void runVideoHook(AVFrame& picture, double pts, std::int64_t startTime);
    // For tests: the playback core while a file is open (null otherwise).
    PlaybackCore* core() const { return m_core.get(); }

private:
    // One TEventThread with the ring it delivers from; every opened file gets its own.
    struct EventChannel {
        NotificationRing ring;
        std::thread thread;
        std::atomic<bool> done{false};     // the thread has left its loop
        std::atomic<bool> retired{false};  // a newer file took over: deliver nothing more
        std::atomic<bool> stop{false};     // end now, without waiting for psStop
    };

    void playThread();
    void eventThread(EventChannel* channel);
    void deliver(EventChannel& channel, const Notification& notification);
    // Whether the calling thread is running one of this player's handlers.
    bool insideOwnHandler() const;
    // Joins the event threads of earlier files that have ended; with wait, waits for them.
    void joinRetiredEventThreads(bool wait);
    bool initSdl();
    void quitSdl();
    void joinThreads();
    void toggle(bool wantPaused, bool always);
    // Waits up to timeout for pred, in short steps, pumping main-thread calls on the main thread.
    template <typename Pred>
    bool waitPumping(Pred pred, int timeoutMs);

    // Settings (any thread reads them).
    std::atomic<float> m_aspectRatio{0.0f};
    TAudioDriver m_audioDriver = TAudioDriver::adDefault;
    TVideoDriver m_videoDriver = TVideoDriver::vdDefault;
    std::atomic<int> m_audioVolume{128};
    std::atomic<bool> m_mute{false};
    bool m_disableAudio = false;
    bool m_disableVideo = false;
    bool m_disableDisplay = false;
    bool m_offscreenDisplay = false;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    std::atomic<bool> m_hook{false};
    std::atomic<int> m_screenWidth{0};
    std::atomic<int> m_screenHeight{0};
    bool m_triggerEventInMainThread = true;

    friend class PlaybackCore;

    // The caller's thread owns m_core's lifetime; TPlayThread closes it (never frees it).
    std::unique_ptr<PlaybackCore> m_core;
    std::mutex m_playerLock;  // held while the event loop handles an event
    mutable std::mutex m_errorMutex;
    std::string m_lastError;  // guarded by m_errorMutex
    std::string m_fileName;
    std::uintptr_t m_hostWindow = 0;
    int m_fullScreenWidth = 0;
    int m_fullScreenHeight = 0;
    bool m_sdlInitialised = false;
    std::uint32_t m_sdlFlags = 0;
    std::atomic<TPlayState> m_state{TPlayState::psStop};
    std::atomic<std::int64_t> m_currentPosition{0};
    std::atomic<bool> m_seekInProgress{false};

    // TPlayThread and its event queue.
    std::thread m_playThread;
    std::atomic<bool> m_playFinished{true};
    std::mutex m_eventMutex;
    std::condition_variable m_eventQueued;
    std::deque<PlayerEvent> m_events;  // guarded by m_eventMutex

    // The host window's last reported size; a change is pending until the event loop took it.
    std::atomic<int> m_hostWidth{0};
    std::atomic<int> m_hostHeight{0};
    std::atomic<bool> m_hostChangePending{false};

    // The current file's TEventThread and ring (posting threads read the pointer under
    // m_channelMutex), and those of earlier files still ending (caller's thread only).
    mutable std::mutex m_channelMutex;
    std::shared_ptr<EventChannel> m_channel;
    std::vector<std::shared_ptr<EventChannel>> m_retiredChannels;
    std::mutex m_deliveryMutex;  // held while a handler runs on an event thread

    // Snapshot converter (caller's thread) and hook converter (video thread), each with its
    // bitmap; made on first use.
    std::unique_ptr<PictureConverter> m_snapshotConverter;
    std::unique_ptr<PictureConverter> m_hookConverter;
};

// The published player.
class TMediaPlayer : public TCustomPlayer {
public:
    std::string About;
    static constexpr const char* Version() { return "2.3"; }
};

}  // namespace velmora
