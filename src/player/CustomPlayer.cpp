#include "player/CustomPlayer.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "medialib/Bitmap.h"
#include "medialib/LibraryBindings.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"
#include "medialib/PictureConverter.h"
#include "player/PlaybackCore.h"

namespace velmora {

namespace {

constexpr int kStopAttempts = 10;
constexpr int kStopAttemptsWhileIdle = 20;

// Takes the lock within the timeout. Tried in short steps rather than with a timed mutex, whose
// timed lock the thread checker does not see (it then reports every unlock as wrong).
bool tryLockFor(std::mutex& mutex, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!mutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The player whose handler the calling thread is running, if any.
thread_local const TCustomPlayer* t_handlerOf = nullptr;

}  // namespace

std::string AudioDriverName(TAudioDriver driver) {
    switch (driver) {
        case TAudioDriver::adDirectSound:
            return "pulseaudio";
        case TAudioDriver::adWaveOut:
            return "alsa";
        case TAudioDriver::adDefault:
            break;
    }
    return "";
}

std::string VideoDriverName(TVideoDriver driver) {
    switch (driver) {
        case TVideoDriver::vdDirectDraw:
            return "x11";
        case TVideoDriver::vdGDI:
            return "wayland";
        case TVideoDriver::vdDefault:
            break;
    }
    return "";
}

const char* PlayStateName(TPlayState state) {
    switch (state) {
        case TPlayState::psPlay:
            return "psPlay";
        case TPlayState::psPause:
            return "psPause";
        case TPlayState::psResume:
            return "psResume";
        case TPlayState::psStep:
            return "psStep";
        case TPlayState::psStop:
            return "psStop";
        case TPlayState::psEnd:
            return "psEnd";
    }
    return "?";
}

TCustomPlayer::TCustomPlayer() = default;

TCustomPlayer::~TCustomPlayer() {
    OnFileOpen = nullptr;
    OnPosition = nullptr;
    OnState = nullptr;
    OnHook = nullptr;
    OnPictureShown = nullptr;
    Stop(true);
    joinThreads();
}

template <typename Pred>
bool TCustomPlayer::waitPumping(Pred pred, int timeoutMs) {
    const bool onMain = IsMainThread();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (onMain) {
            PumpMessagesFor(std::chrono::milliseconds(5));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    return true;
}

bool TCustomPlayer::LoadLibraries(const std::string& folder) {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    if (loader.LibrariesLoaded(kPlayerSet)) {
        return true;
    }
    loader.SetLibraryPath(folder);
    if (!loader.LoadLibraries(kPlayerSet)) {
        setLastError(loader.LastError());
        return false;
    }
    return true;
}

bool TCustomPlayer::LibrariesLoaded() const {
    return TMediaLibLoader::instance().LibrariesLoaded(kPlayerSet);
}

std::string TCustomPlayer::LastError() const {
    std::lock_guard lock(m_errorMutex);
    return m_lastError;
}

void TCustomPlayer::setLastError(const std::string& text) {
    std::lock_guard lock(m_errorMutex);
    m_lastError = text;
}

void TCustomPlayer::reportError(const std::string& text, bool setLast) {
    Logger().Log(this, TLogLevel::llError, text);
    if (setLast) {
        setLastError(text);
    }
}

bool TCustomPlayer::IsOpen() const {
    return m_core && !m_core->closed();
}

std::int64_t TCustomPlayer::Duration() const {
    return m_core ? m_core->duration() : -1;
}

void TCustomPlayer::SetAspectRatio(float value) {
    if (m_aspectRatio.exchange(value) != value && IsOpen()) {
        pushEvent(PlayerEvent::Relayout);
    }
}

void TCustomPlayer::SetAudioVolume(int value) {
    m_audioVolume = value < 0 ? 0 : (value > 128 ? 128 : value);
}

bool TCustomPlayer::initSdl() {
    Uint32 flags = SDL_INIT_TIMER;
    if (!m_disableAudio) {
        flags |= SDL_INIT_AUDIO;
    }
    if (!m_disableDisplay && !m_offscreenDisplay) {
        flags |= SDL_INIT_VIDEO;
    }
    if (lib::sdl.SDL_InitSubSystem(flags) != 0) {
        char text[512];
        std::snprintf(text, sizeof text, "Could not initialize SDL with ScreenHandle(%u): %s",
                      static_cast<unsigned>(m_hostWindow), lib::sdl.SDL_GetError());
        reportError(text, true);
        return false;
    }
    m_sdlFlags = flags;
    m_sdlInitialised = true;
    if (m_hostWindow != 0) {
        const char* audio = lib::sdl.SDL_GetCurrentAudioDriver();
        const char* video = lib::sdl.SDL_GetCurrentVideoDriver();
        Logger().LogFmt(this, TLogLevel::llDebug, "using audio driver: %s\n", audio ? audio : "");
        Logger().LogFmt(this, TLogLevel::llDebug, "using video driver: %s\n", video ? video : "");
    }
    return true;
}

void TCustomPlayer::quitSdl() {
    if (m_sdlInitialised) {
        lib::sdl.SDL_QuitSubSystem(m_sdlFlags);
        m_sdlInitialised = false;
    }
}

bool TCustomPlayer::Open(const std::string& fileName, std::uintptr_t hostWindow, bool startPaused) {
    if (!LibrariesLoaded()) {
        reportError("libav or libsdl not loaded.", true);
        return false;
    }
    Stop(true);
    setLastError("");
    // The default driver leaves SDL's own choice, and whatever the user set, alone.
    const std::string audioDriver = AudioDriverName(m_audioDriver);
    const std::string videoDriver = VideoDriverName(m_videoDriver);
    if (!audioDriver.empty()) {
        setenv("SDL_AUDIODRIVER", audioDriver.c_str(), 1);
    }
    if (!videoDriver.empty()) {
        setenv("SDL_VIDEODRIVER", videoDriver.c_str(), 1);
    }
    m_hostWindow = hostWindow;
    if (!initSdl()) {
        return false;
    }
    if ((m_sdlFlags & SDL_INIT_VIDEO) != 0) {
        SDL_DisplayMode mode{};
        if (lib::sdl.SDL_GetDesktopDisplayMode(0, &mode) != 0) {
            reportError("SDL_GetVideoInfo() failed", true);
            quitSdl();
            return false;
        }
        m_fullScreenWidth = mode.w;
        m_fullScreenHeight = mode.h;
    }
    {
        // A handler that opens this file runs on (or for) the previous file's event thread,
        // which Stop could not join: it delivers nothing more and ends once the handler returns.
        std::lock_guard lock(m_channelMutex);
        if (m_channel && m_channel->thread.joinable()) {
            m_channel->retired = true;
            m_retiredChannels.push_back(std::move(m_channel));
        }
        m_channel = std::make_shared<EventChannel>();
    }
    {
        // Events left from the previous file; the new core's refresh thread queues its own.
        std::lock_guard lock(m_eventMutex);
        m_events.clear();
    }
    m_seekInProgress = false;
    m_hostChangePending = false;
    m_currentPosition = 0;
    // Reported before any thread of the core can report psPause, so the order always holds.
    changeState(TPlayState::psPlay);
    m_core = std::make_unique<PlaybackCore>(*this, fileName, startPaused);
    if (!m_core->start()) {
        m_core.reset();
        {
            std::lock_guard lock(m_channelMutex);
            m_channel.reset();
        }
        m_state = TPlayState::psStop;
        quitSdl();
        m_currentPosition = 0;
        return false;
    }
    m_fileName = fileName;

    std::int64_t duration = m_core->duration();
    if (m_core->m_imageSequence) {
        duration = 0;
    }
    const int frameWidth = m_core->hasVideo() ? m_core->frameWidth() : -1;
    const int frameHeight = m_core->hasVideo() ? m_core->frameHeight() : -1;
    if (OnFileOpen) {
        auto raise = [&] {
            int width = m_screenWidth.load();
            int height = m_screenHeight.load();
            OnFileOpen(this, duration, frameWidth, frameHeight, width, height);
            m_screenWidth = width;
            m_screenHeight = height;
        };
        if (m_triggerEventInMainThread) {
            RunInMainThread(raise);
        } else {
            raise();
        }
    }

    m_playFinished = false;
    m_playThread = std::thread(&TCustomPlayer::playThread, this);
    // Last: from here on a handler may call Open or Stop, which need the threads above in place.
    m_channel->thread = std::thread(&TCustomPlayer::eventThread, this, m_channel.get());
    return true;
}

void TCustomPlayer::pushEvent(PlayerEvent event) {
    {
        std::lock_guard lock(m_eventMutex);
        m_events.push_back(event);
    }
    m_eventQueued.notify_one();
}

// TPlayThread: every SDL window, renderer and texture lives on this thread.
void TCustomPlayer::playThread() {
    PlaybackCore* core = m_core.get();
    Uint32 windowId = 0;
    try {
        bool quit = false;
        while (!quit) {
            PlayerEvent event{};
            bool haveEvent = false;
            {
                std::unique_lock lock(m_eventMutex);
                m_eventQueued.wait_for(lock, std::chrono::milliseconds(10),
                                       [this] { return !m_events.empty(); });
                if (!m_events.empty()) {
                    event = m_events.front();
                    m_events.pop_front();
                    haveEvent = true;
                }
            }
            std::lock_guard playerLock(m_playerLock);
            if (core->closed()) {
                break;
            }
            if (haveEvent) {
                switch (event) {
                    case PlayerEvent::Quit:
                        core->close();
                        quit = true;
                        continue;
                    case PlayerEvent::Refresh:
                        core->refresh();
                        core->clearRefreshPending();
                        break;
                    case PlayerEvent::Relayout:
                        core->relayout();
                        break;
                    case PlayerEvent::HostChanged:
                        m_hostChangePending = false;
                        core->hostChanged(m_hostWidth.load(), m_hostHeight.load());
                        break;
                }
            }
            if ((m_sdlFlags & SDL_INIT_VIDEO) == 0) {
                continue;
            }
            if (windowId == 0 && core->m_window != nullptr) {
                windowId = lib::sdl.SDL_GetWindowID(core->m_window);
            }
            SDL_Event sdlEvent;
            while (!quit && lib::sdl.SDL_PollEvent(&sdlEvent) != 0) {
                if (sdlEvent.type == SDL_QUIT) {
                    core->close();
                    quit = true;
                } else if (sdlEvent.type == SDL_WINDOWEVENT &&
                           sdlEvent.window.windowID == windowId && windowId != 0) {
                    switch (sdlEvent.window.event) {
                        case SDL_WINDOWEVENT_SIZE_CHANGED:
                            core->resized(sdlEvent.window.data1, sdlEvent.window.data2);
                            break;
                        case SDL_WINDOWEVENT_EXPOSED:
                            core->redraw();
                            break;
                        case SDL_WINDOWEVENT_CLOSE:
                            core->close();
                            quit = true;
                            break;
                        default:
                            break;
                    }
                }
            }
        }
    } catch (const std::exception& error) {
        Logger().Log(this, TLogLevel::llFatal,
                     std::string("PlayThread Exception: ") + error.what());
        core->close();
    }
    core->releaseDisplay();
    changeState(TPlayState::psStop);
    m_playFinished = true;
}

void TCustomPlayer::Stop(bool wait) {
    PlaybackCore* core = m_core.get();
    if (core != nullptr && !core->closed() && !m_playFinished.load()) {
        if (core->paused()) {
            core->togglePause();
            core->clearStep();
        }
        pushEvent(PlayerEvent::Quit);
    }
    if (!wait) {
        return;
    }
    int attempts = 0;
    while (!m_playFinished.load()) {
        waitPumping([this] { return m_playFinished.load(); }, 100);
        if (m_playFinished.load()) {
            break;
        }
        if (tryLockFor(m_playerLock, std::chrono::milliseconds(100))) {
            ++attempts;
            if (core == nullptr || core->closed()) {
                // The state is gone; the event loop ends on its next pass.
            } else if (attempts <= kStopAttempts ||
                       (attempts <= kStopAttemptsWhileIdle && !core->readingInProgress())) {
                pushEvent(PlayerEvent::Quit);
            } else {
                core->close();
            }
            m_playerLock.unlock();
        }
    }
    joinThreads();
}

void TCustomPlayer::joinThreads() {
    if (m_playThread.joinable()) {
        waitPumping([this] { return m_playFinished.load(); }, 60000);
        m_playThread.join();
    }
    // A handler cannot wait for the event thread it runs on (or that waits for it); that thread
    // ends by itself after delivering psStop.
    const bool inHandler = insideOwnHandler();
    if (m_channel && m_channel->thread.joinable() && !inHandler) {
        EventChannel& channel = *m_channel;
        if (!waitPumping([&channel] { return channel.done.load(); }, 2000)) {
            channel.stop = true;
            waitPumping([&channel] { return channel.done.load(); }, 60000);
        }
        channel.thread.join();
    }
    joinRetiredEventThreads(!inHandler);
    if (m_core && !m_playThread.joinable()) {
        m_core->close();
        m_core.reset();
    }
    quitSdl();
}

void TCustomPlayer::joinRetiredEventThreads(bool wait) {
    for (auto it = m_retiredChannels.begin(); it != m_retiredChannels.end();) {
        EventChannel& channel = **it;
        if (wait) {
            waitPumping([&channel] { return channel.done.load(); }, 60000);
        }
        if (channel.done.load()) {
            channel.thread.join();
            it = m_retiredChannels.erase(it);
        } else {
            ++it;
        }
    }
}

bool TCustomPlayer::insideOwnHandler() const {
    return t_handlerOf == this;
}

void TCustomPlayer::toggle(bool wantPaused, bool always) {
    PlaybackCore* core = m_core.get();
    if (core == nullptr || core->closed()) {
        return;
    }
    if (!always && core->paused() == wantPaused) {
        return;
    }
    core->clearStep();
    if (!waitPumping([core] { return core->seekDone().isSet(); }, 250)) {
        core->seekDone().set();
    }
    if (core->closed()) {
        return;
    }
    const bool pausing = !core->paused();
    if (pausing && core->hasVideo()) {
        if (!waitPumping([core] { return core->pictureReady().isSet(); }, 250)) {
            core->pictureReady().set();
        }
        if (core->closed()) {
            return;
        }
    }
    std::lock_guard pauseLock(core->pauseMutex());
    core->togglePause();
    changeState(pausing ? TPlayState::psPause : TPlayState::psResume);
}

void TCustomPlayer::Pause() {
    toggle(true, false);
}

void TCustomPlayer::Resume() {
    toggle(false, false);
}

void TCustomPlayer::TogglePause() {
    toggle(false, true);
}

void TCustomPlayer::Seek(int flags, bool wait, std::int64_t position) {
    PlaybackCore* core = m_core.get();
    if (core == nullptr || core->closed()) {
        return;
    }
    bool placed;
    if ((flags & AVSEEK_FLAG_BYTE) != 0) {
        placed = core->requestSeek(position, 0, flags);
    } else {
        const std::int64_t duration = core->duration();
        if (duration >= 0 && position > duration) {
            position = duration;
        }
        placed = core->requestSeek(position + core->startTime(), position <= 0 ? 1 : 0, flags);
    }
    if (!placed || !wait) {
        return;
    }
    waitPumping([core] { return core->seekDone().isSet() || core->closed(); }, 10000);
    if (core->hasVideo()) {
        waitPumping([core] { return core->pictureReady().isSet() || core->closed(); }, 10000);
    }
}

const Bitmap& TCustomPlayer::CurrentFrame(std::int64_t& pts) {
    if (!m_snapshotConverter) {
        m_snapshotConverter = std::make_unique<PictureConverter>();
    }
    PictureConverter& converter = *m_snapshotConverter;
    Bitmap& bitmap = converter.bitmap();
    pts = -1;
    PlaybackCore* core = m_core.get();
    if (core == nullptr || !core->hasVideo()) {
        bitmap.setSize(0, 0);
        return bitmap;
    }
    const double time = core->withShownPicture([&](const AVFrame& picture) {
        if (!converter.PictureToBitmap(&picture)) {
            bitmap.setSize(0, 0);
        }
    });
    if (std::isnan(time)) {
        // Nothing shown yet: a black picture of the video's size.
        bitmap.setSize(core->frameWidth() & ~1, core->frameHeight() & ~1);
        std::memset(bitmap.data(), 0, bitmap.byteSize());
        return bitmap;
    }
    pts = std::llround(time * 1000000.0) - core->startTime();
    return bitmap;
}

std::vector<std::uint32_t> TCustomPlayer::CurrentVisualisation(int& width, int& height) const {
    width = 0;
    height = 0;
    PlaybackCore* core = m_core.get();
    if (core == nullptr || core->hasVideo() || core->audioDisplay() == AudioDisplay::None) {
        return {};
    }
    return core->visualisationCopy(width, height);
}

void TCustomPlayer::HostWindowChanged(int width, int height) {
    m_hostWidth = width;
    m_hostHeight = height;
    if (IsOpen() && !m_hostChangePending.exchange(true)) {
        pushEvent(PlayerEvent::HostChanged);
    }
}

void TCustomPlayer::pictureShown(bool onWindow) {
    if (OnPictureShown) {
        OnPictureShown(this, onWindow);
    }
}

void TCustomPlayer::runVideoHook(AVFrame& picture, double pts, std::int64_t startTime) {
    if (!m_hookConverter) {
        m_hookConverter = std::make_unique<PictureConverter>();
    }
    PictureConverter& converter = *m_hookConverter;
    if (!converter.PictureToBitmap(&picture)) {
        Logger().Log(this, TLogLevel::llError, "Cannot initialize the toRGB conversion context");
        return;
    }
    Bitmap& bitmap = converter.bitmap();
    {
        std::lock_guard canvas(bitmap.lock());
        try {
            OnHook(this, bitmap, std::llround(pts * 1000000.0) - startTime);
        } catch (const std::exception& error) {
            Logger().Log(this, TLogLevel::llError,
                         std::string("Error occurs OnHook: ") + error.what());
            return;
        } catch (...) {
            Logger().Log(this, TLogLevel::llError, "Error occurs OnHook: unknown error");
            return;
        }
    }
    if (!converter.BitmapToPicture(picture.data, picture.linesize, AV_PIX_FMT_YUV420P)) {
        Logger().Log(this, TLogLevel::llError, "Cannot initialize the fromRGB conversion context");
    }
}

// --- notifications ---------------------------------------------------------------------------

void TCustomPlayer::post(NotificationKind kind, TPlayState state, std::int64_t position) {
    std::lock_guard lock(m_channelMutex);
    if (m_channel) {
        m_channel->ring.post(Notification{kind, state, position});
    }
}

void TCustomPlayer::changeState(TPlayState state) {
    m_state = state;
    if (OnState) {
        post(NotificationKind::State, state, 0);
    } else if (state == TPlayState::psStop) {
        post(NotificationKind::Quit, state, 0);
    }
}

// TEventThread: hands one file's notifications to the host, on the main thread when so
// configured.
void TCustomPlayer::eventThread(EventChannel* channel) {
    while (!channel->stop.load() && !channel->retired.load()) {
        std::optional<Notification> notification =
            channel->ring.take(std::chrono::milliseconds(50));
        if (!notification) {
            continue;
        }
        if (notification->kind == NotificationKind::Quit) {
            break;
        }
        deliver(*channel, *notification);
        if (notification->kind == NotificationKind::State &&
            notification->state == TPlayState::psStop) {
            break;
        }
    }
    channel->done = true;
}

void TCustomPlayer::deliver(EventChannel& channel, const Notification& notification) {
    auto raise = [this, &channel, notification] {
        // Taken before a handler opened another file, delivered after: it is the old file's.
        if (channel.retired.load()) {
            return;
        }
        struct HandlerScope {
            const TCustomPlayer* outer = t_handlerOf;
            explicit HandlerScope(const TCustomPlayer* player) { t_handlerOf = player; }
            ~HandlerScope() { t_handlerOf = outer; }
        } scope(this);
        try {
            if (notification.kind == NotificationKind::Position) {
                m_currentPosition = notification.position;
                if (OnPosition) {
                    OnPosition(this, notification.position);
                }
            } else if (notification.kind == NotificationKind::State && OnState) {
                OnState(this, notification.state);
            }
        } catch (const std::exception& error) {
            Logger().Log(this, TLogLevel::llError, error.what());
        }
    };
    if (m_triggerEventInMainThread) {
        RunInMainThread(raise);
    } else {
        std::lock_guard lock(m_deliveryMutex);
        raise();
    }
}

}  // namespace velmora
