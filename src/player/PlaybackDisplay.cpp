// Playback core: refresh timing, display into the window, subtitles on screen, and the audio
// visualisations. Event loop thread only, except withShownPicture and visualisationCopy.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "medialib/MediaLogger.h"
#include "player/CustomPlayer.h"
#include "player/PlaybackCore.h"

namespace velmora {

namespace {

constexpr std::uint32_t kBlack = 0xFF000000u;
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

}  // namespace

void PlaybackCore::refresh() {
    if (m_closed.load() || m_abort.load()) {
        return;
    }
    if (hasVideo()) {
        refreshPicture();
    } else if (hasAudio()) {
        displayAudio();
        reportPosition();
    }
    // A paused open reports psPause once its first picture is on screen, after its position.
    std::lock_guard pauseLock(m_pauseMutex);
    if (m_openedPaused.load() && m_paused.load() && (m_pictureShown || !hasVideo())) {
        m_openedPaused = false;
        m_owner.changeState(TPlayState::psPause);
    }
}

void PlaybackCore::refreshPicture() {
    bool dropped = false;
    for (;;) {
        std::unique_lock lock(m_pictureMutex);
        if (m_pictureSize == 0) {
            break;
        }
        PictureSlot& slot = m_slots[m_pictureRead];
        const auto drop = [&] {
            m_pictureRead = (m_pictureRead + 1) % kPictureSlots;
            --m_pictureSize;
            dropped = true;
            lock.unlock();
            m_pictureChanged.notify_all();
        };
        if (slot.serial < m_awaitedSerial.load()) {
            // Decoded before the latest seek.
            drop();
            continue;
        }
        // The first picture of an open or of a seek is shown at once, even while paused, and
        // never dropped: it is the picture the host asked for.
        const bool first = slot.serial > m_shownSerial;
        if (m_paused.load() && !first) {
            break;
        }
        const double t = now();
        if (!first && t < slot.targetTime) {
            return;  // not due yet; the position is reported when it is shown
        }
        double nextTarget;
        if (m_pictureSize > 1) {
            nextTarget =
                std::max(slot.targetTime, m_slots[(m_pictureRead + 1) % kPictureSlots].targetTime);
        } else {
            nextTarget = slot.targetTime + videoClock() - slot.pts;
        }
        if (!first && m_frameDrop && !m_captureDevice && t > nextTarget) {
            m_skipFactor *= 1.05;
            if (m_pictureSize > 1 || t > nextTarget + 0.5) {
                drop();
                continue;
            }
        }
        showSlot(lock, t);
        break;
    }
    if (!dropped) {
        reportPosition();
    }
}

void PlaybackCore::showSlot(std::unique_lock<std::mutex>& pictureLock, double t) {
    PictureSlot& slot = m_slots[m_pictureRead];
    {
        std::lock_guard clockLock(m_clockMutex);
        m_currentPts = slot.pts;
        m_currentPtsDrift = slot.pts - t;
        m_currentPosition = slot.position;
        m_pictureShown = true;
    }
    const int serial = slot.serial;
    const double shownPts = slot.pts;
    {
        std::lock_guard slotLock(slot.mutex);
        std::lock_guard shownLock(m_shown.mutex);
        std::swap(slot.picture, m_shown.picture);
        m_shown.pts = slot.pts;
        m_shown.sampleAspect = slot.sampleAspect;
    }
    m_shownSerial = serial;
    m_pictureRead = (m_pictureRead + 1) % kPictureSlots;
    --m_pictureSize;
    if (serial >= m_awaitedSerial.load()) {
        m_pictureReady.set();
    }
    pictureLock.unlock();
    m_pictureChanged.notify_all();
    updateSubtitles(shownPts);
    displayShown();
}

void PlaybackCore::redraw() {
    if (m_closed.load()) {
        return;
    }
    if (hasVideo()) {
        displayShown();
    } else if (hasAudio()) {
        displayAudio();
    }
}

void PlaybackCore::resized(int width, int height) {
    m_windowWidth = width;
    m_windowHeight = height;
    m_owner.SetScreenWidth(width);
    m_owner.SetScreenHeight(height);
    redraw();
}

void PlaybackCore::hostChanged(int width, int height) {
    if (width <= 0 || height <= 0) {
        redraw();
        return;
    }
    if (m_window != nullptr && m_owner.hostWindow() != 0) {
        // SDL learns the new size of a window it took over only from us.
        int current[2] = {0, 0};
        lib::sdl.SDL_GetWindowSize(m_window, &current[0], &current[1]);
        if (current[0] != width || current[1] != height) {
            lib::sdl.SDL_SetWindowSize(m_window, width, height);
        }
    }
    resized(width, height);
}

void PlaybackCore::relayout() {
    m_forceLayout = true;
    redraw();
}

void PlaybackCore::updateSubtitles(double picturePts) {
    if (m_subtitleIndex < 0) {
        return;
    }
    std::lock_guard lock(m_subtitleMutex);
    if (m_subtitleStreamChanged) {
        for (SubtitleSlot& slot : m_subtitles) {
            freeSubtitleSlot(slot);
        }
        m_subtitleRead = m_subtitleWrite = m_subtitleSize = 0;
        m_subtitleStreamChanged = false;
        return;
    }
    while (m_subtitleSize > 0) {
        SubtitleSlot& current = m_subtitles[m_subtitleRead];
        const double end = current.pts + current.subtitle.end_display_time / 1000.0;
        bool expired = picturePts > end;
        if (!expired && m_subtitleSize > 1) {
            const SubtitleSlot& next = m_subtitles[(m_subtitleRead + 1) % kSubtitleSlots];
            expired = picturePts > next.pts + next.subtitle.start_display_time / 1000.0;
        }
        if (!expired) {
            break;
        }
        freeSubtitleSlot(current);
        m_subtitleRead = (m_subtitleRead + 1) % kSubtitleSlots;
        --m_subtitleSize;
        m_subtitleChanged.notify_all();
    }
}

void PlaybackCore::blendSubtitles(AVFrame& picture, double picturePts) {
    std::lock_guard lock(m_subtitleMutex);
    if (m_subtitleSize == 0) {
        return;
    }
    const SubtitleSlot& slot = m_subtitles[m_subtitleRead];
    if (!slot.valid || picturePts < slot.pts + slot.subtitle.start_display_time / 1000.0) {
        return;
    }
    for (unsigned r = 0; r < slot.subtitle.num_rects; ++r) {
        const AVSubtitleRect* rect = slot.subtitle.rects[r];
        if (rect->type != SUBTITLE_BITMAP || rect->data[0] == nullptr || rect->data[1] == nullptr) {
            continue;
        }
        const auto* palette = reinterpret_cast<const std::uint32_t*>(rect->data[1]);
        for (int y = 0; y < rect->h; ++y) {
            const int py = rect->y + y;
            if (py < 0 || py >= picture.height) {
                continue;
            }
            for (int x = 0; x < rect->w; ++x) {
                const int px = rect->x + x;
                if (px < 0 || px >= picture.width) {
                    continue;
                }
                const std::uint32_t entry = palette[rect->data[0][y * rect->linesize[0] + x]];
                const int alpha = (entry >> 24) & 0xFF;
                if (alpha == 0) {
                    continue;
                }
                uint8_t& luma = picture.data[0][py * picture.linesize[0] + px];
                luma = static_cast<uint8_t>(
                    (luma * (255 - alpha) + ((entry >> 16) & 0xFF) * alpha) / 255);
                // Each chroma sample covers 2x2 pixels: a quarter of the alpha per pixel.
                const int quarter = alpha / 4;
                uint8_t& u = picture.data[1][(py / 2) * picture.linesize[1] + px / 2];
                uint8_t& v = picture.data[2][(py / 2) * picture.linesize[2] + px / 2];
                u = static_cast<uint8_t>((u * (255 - quarter) + ((entry >> 8) & 0xFF) * quarter) /
                                         255);
                v = static_cast<uint8_t>((v * (255 - quarter) + (entry & 0xFF) * quarter) / 255);
            }
        }
    }
}

bool PlaybackCore::ensureWindow() {
    if (m_owner.DisableDisplay()) {
        return false;
    }
    int wantWidth = m_owner.ScreenWidth();
    int wantHeight = m_owner.ScreenHeight();
    if (wantWidth <= 0 || wantHeight <= 0) {
        if (hasVideo() && frameWidth() > 0 && frameHeight() > 0) {
            wantWidth = frameWidth() & ~1;
            wantHeight = frameHeight() & ~1;
        } else {
            wantWidth = 640;
            wantHeight = 480;
        }
    }
    if (m_owner.OffscreenDisplay() || m_windowFailed) {
        // No window: the host draws the pictures; the visualisation takes the output area's size.
        m_windowWidth = wantWidth;
        m_windowHeight = wantHeight;
        return false;
    }
    if (m_window == nullptr) {
        if (m_owner.hostWindow() != 0) {
            m_window =
                lib::sdl.SDL_CreateWindowFrom(reinterpret_cast<const void*>(m_owner.hostWindow()));
        } else {
            m_window = lib::sdl.SDL_CreateWindow("MediaPlayer", SDL_WINDOWPOS_UNDEFINED,
                                                 SDL_WINDOWPOS_UNDEFINED, wantWidth, wantHeight,
                                                 SDL_WINDOW_RESIZABLE);
        }
        if (m_window != nullptr) {
            m_renderer = lib::sdl.SDL_CreateRenderer(m_window, -1, 0);
            if (m_renderer == nullptr) {
                m_renderer = lib::sdl.SDL_CreateRenderer(m_window, -1, SDL_RENDERER_SOFTWARE);
            }
        }
        if (m_window == nullptr || m_renderer == nullptr) {
            report("SDL: could not set video mode.", false);
            m_windowFailed = true;
            if (m_window != nullptr) {
                lib::sdl.SDL_DestroyWindow(m_window);
                m_window = nullptr;
            }
            m_windowWidth = wantWidth;
            m_windowHeight = wantHeight;
            return false;
        }
        lib::sdl.SDL_GetWindowSize(m_window, &m_windowWidth, &m_windowHeight);
        if (m_owner.hostWindow() != 0 &&
            (m_owner.ScreenWidth() <= 0 || m_owner.ScreenHeight() <= 0)) {
            // A host window gives the output area its own client size.
            m_owner.SetScreenWidth(m_windowWidth);
            m_owner.SetScreenHeight(m_windowHeight);
        }
        m_forceLayout = false;
        return true;
    }
    if (m_owner.hostWindow() == 0 &&
        (m_forceLayout || wantWidth != m_windowWidth || wantHeight != m_windowHeight)) {
        lib::sdl.SDL_SetWindowSize(m_window, wantWidth, wantHeight);
    }
    if (m_forceLayout || m_owner.hostWindow() != 0) {
        lib::sdl.SDL_GetWindowSize(m_window, &m_windowWidth, &m_windowHeight);
    } else {
        m_windowWidth = wantWidth;
        m_windowHeight = wantHeight;
    }
    m_forceLayout = false;
    return true;
}

void PlaybackCore::displayShown() {
    const bool haveWindow = ensureWindow();
    bool onWindow = false;
    {
        std::lock_guard shownLock(m_shown.mutex);
        if (!m_shown.picture) {
            return;
        }
        if (m_subtitleIndex >= 0) {
            blendSubtitles(*m_shown.picture, m_shown.pts);
        }
        onWindow = haveWindow && presentPicture(*m_shown.picture);
    }
    m_owner.pictureShown(onWindow);
}

bool PlaybackCore::presentPicture(AVFrame& picture) {
    if (m_texture == nullptr || m_textureWidth != picture.width ||
        m_textureHeight != picture.height) {
        if (m_texture != nullptr) {
            lib::sdl.SDL_DestroyTexture(m_texture);
        }
        m_texture =
            lib::sdl.SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_IYUV,
                                       SDL_TEXTUREACCESS_STREAMING, picture.width, picture.height);
        if (m_texture == nullptr) {
            return false;
        }
        m_textureWidth = picture.width;
        m_textureHeight = picture.height;
    }
    lib::sdl.SDL_UpdateYUVTexture(m_texture, nullptr, picture.data[0], picture.linesize[0],
                                  picture.data[1], picture.linesize[1], picture.data[2],
                                  picture.linesize[2]);
    const AVRational aspect = m_shown.sampleAspect;
    const double sar = aspect.num > 0 && aspect.den > 0 ? av_q2d(aspect) : 0.0;
    const playback::Rect rect = playback::displayRect(
        m_owner.AspectRatio(), sar, picture.width, picture.height, m_windowWidth, m_windowHeight);
    const SDL_Rect target{rect.x, rect.y, rect.width, rect.height};
    lib::sdl.SDL_SetRenderDrawColor(m_renderer, 0, 0, 0, 255);
    lib::sdl.SDL_RenderClear(m_renderer);
    lib::sdl.SDL_RenderCopy(m_renderer, m_texture, nullptr, &target);
    lib::sdl.SDL_RenderPresent(m_renderer);
    return true;
}

void PlaybackCore::displayAudio() {
    const AudioDisplay mode = m_audioDisplay.load();
    if (mode == AudioDisplay::None || m_owner.DisableDisplay()) {
        return;
    }
    // Without a window the visualisation is still drawn, for the host to show.
    const bool onWindow = ensureWindow();
    const int width = std::max(1, m_windowWidth);
    const int height = std::max(1, m_windowHeight);
    const int channels = std::max(1, m_audioChannels);
    {
        std::lock_guard lock(m_sampleMutex);
        if (m_visualWidth != width || m_visualHeight != height) {
            m_visual.assign(static_cast<std::size_t>(width) * height, kBlack);
            m_visualWidth = width;
            m_visualHeight = height;
            m_spectrumColumn = 0;
        }
        if (mode == AudioDisplay::Waveform) {
            std::fill(m_visual.begin(), m_visual.end(), kBlack);
            // Start at the strongest rising zero crossing of the last 1000 samples so the
            // picture holds still on a steady tone.
            const int shown = width * channels;
            int start =
                (m_sampleIndex - shown - 1000 * channels + 2 * kSampleArraySize) % kSampleArraySize;
            start -= start % channels;
            int best = start;
            int bestScore = -1;
            for (int i = 0; i < 1000; ++i) {
                const int at = (start + i * channels) % kSampleArraySize;
                const int before = (at - channels + kSampleArraySize) % kSampleArraySize;
                const int a = m_sampleArray[before];
                const int b = m_sampleArray[at];
                if (a < 0 && b >= 0 && b - a > bestScore) {
                    bestScore = b - a;
                    best = at;
                }
            }
            const int band = height / channels;
            for (int ch = 0; ch < channels; ++ch) {
                const int middle = band * ch + band / 2;
                int previousY = middle;
                for (int x = 0; x < width; ++x) {
                    const int at = (best + x * channels + ch) % kSampleArraySize;
                    const int amplitude = m_sampleArray[at] * band * 9 / 20 / 32768;
                    const int y = std::clamp(middle - amplitude, 0, height - 1);
                    const int from = std::min(previousY, y);
                    const int to = std::max(previousY, y);
                    for (int yy = from; yy <= to; ++yy) {
                        m_visual[static_cast<std::size_t>(yy) * width + x] = kWhite;
                    }
                    previousY = y;
                }
            }
        } else {
            // Spectrum: one column per refresh, scrolling across the window.
            int bits = 1;
            while ((1 << bits) < 2 * height) {
                ++bits;
            }
            const int size = 1 << bits;
            if (m_rdft == nullptr || m_rdftBits != bits) {
                if (m_rdft != nullptr) {
                    lib::avcodec.av_rdft_end(m_rdft);
                }
                m_rdft = lib::avcodec.av_rdft_init(bits, DFT_R2C);
                m_rdftBits = bits;
                m_rdftData.assign(static_cast<std::size_t>(size) * 2, 0.0f);
            }
            if (m_rdft == nullptr) {
                return;
            }
            const int used = std::min(channels, 2);
            const int start =
                ((m_sampleIndex - size * channels + 2 * kSampleArraySize) % kSampleArraySize) /
                channels * channels;
            for (int ch = 0; ch < used; ++ch) {
                FFTSample* data = &m_rdftData[static_cast<std::size_t>(size) * ch];
                for (int i = 0; i < size; ++i) {
                    const double w = (i - size / 2.0) / (size / 2.0);
                    const int at = (start + i * channels + ch) % kSampleArraySize;
                    data[i] = static_cast<FFTSample>(m_sampleArray[at] * (1.0 - w * w));
                }
                lib::avcodec.av_rdft_calc(m_rdft, data);
            }
            const int x = m_spectrumColumn % width;
            for (int y = 0; y < height; ++y) {
                auto magnitude = [&](int ch) {
                    const FFTSample* data = &m_rdftData[static_cast<std::size_t>(size) * ch];
                    const double re = data[2 * y];
                    const double im = 2 * y + 1 < size ? data[2 * y + 1] : 0.0;
                    const double value = std::sqrt(64.0 * std::sqrt(re * re + im * im));
                    return std::min(255, static_cast<int>(value));
                };
                const int a = magnitude(0);
                const int b = used > 1 ? magnitude(1) : a;
                const std::uint32_t colour = kBlack | (static_cast<std::uint32_t>(a) << 16) |
                                             (static_cast<std::uint32_t>(b) << 8) |
                                             static_cast<std::uint32_t>((a + b) / 2);
                m_visual[static_cast<std::size_t>(height - 1 - y) * width + x] = colour;
            }
            m_spectrumColumn = (x + 1) % width;
        }
    }
    if (onWindow) {
        presentVisualisation();
    }
    m_owner.pictureShown(onWindow);
}

void PlaybackCore::presentVisualisation() {
    std::lock_guard lock(m_sampleMutex);
    if (m_visualTexture != nullptr) {
        int w = 0;
        int h = 0;
        lib::sdl.SDL_QueryTexture(m_visualTexture, nullptr, nullptr, &w, &h);
        if (w != m_visualWidth || h != m_visualHeight) {
            lib::sdl.SDL_DestroyTexture(m_visualTexture);
            m_visualTexture = nullptr;
        }
    }
    if (m_visualTexture == nullptr) {
        m_visualTexture =
            lib::sdl.SDL_CreateTexture(m_renderer, SDL_PIXELFORMAT_ARGB8888,
                                       SDL_TEXTUREACCESS_STREAMING, m_visualWidth, m_visualHeight);
        if (m_visualTexture == nullptr) {
            return;
        }
    }
    lib::sdl.SDL_UpdateTexture(m_visualTexture, nullptr, m_visual.data(),
                               m_visualWidth * static_cast<int>(sizeof(std::uint32_t)));
    lib::sdl.SDL_RenderCopy(m_renderer, m_visualTexture, nullptr, nullptr);
    lib::sdl.SDL_RenderPresent(m_renderer);
}

void PlaybackCore::releaseDisplay() {
    if (m_texture != nullptr) {
        lib::sdl.SDL_DestroyTexture(m_texture);
        m_texture = nullptr;
    }
    if (m_visualTexture != nullptr) {
        lib::sdl.SDL_DestroyTexture(m_visualTexture);
        m_visualTexture = nullptr;
    }
    if (m_renderer != nullptr) {
        lib::sdl.SDL_DestroyRenderer(m_renderer);
        m_renderer = nullptr;
    }
    if (m_window != nullptr) {
        lib::sdl.SDL_DestroyWindow(m_window);
        m_window = nullptr;
    }
    if (m_rdft != nullptr) {
        lib::avcodec.av_rdft_end(m_rdft);
        m_rdft = nullptr;
    }
}

double PlaybackCore::withShownPicture(const std::function<void(const AVFrame&)>& fn) {
    std::lock_guard shownLock(m_shown.mutex);
    if (!m_shown.picture) {
        return NAN;
    }
    fn(*m_shown.picture);
    return m_shown.pts;
}

std::vector<std::uint32_t> PlaybackCore::visualisationCopy(int& width, int& height) const {
    std::lock_guard lock(m_sampleMutex);
    width = m_visualWidth;
    height = m_visualHeight;
    return m_visual;
}

}  // namespace velmora
