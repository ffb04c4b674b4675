#include "app/SnapshotSound.h"

#include <QFile>
#include <QFileInfo>

#include "medialib/LibraryBindings.h"
#include "medialib/MediaLibLoader.h"

namespace velmora::app {

namespace {

// Time given to the device to play out its last buffer after the sound's own length.
constexpr int kTailMs = 300;

}  // namespace

SnapshotSound::SnapshotSound(QObject* parent) : QObject(parent) {
    m_closer.setSingleShot(true);
    connect(&m_closer, &QTimer::timeout, this, &SnapshotSound::close);
}

SnapshotSound::~SnapshotSound() {
    close();
}

bool SnapshotSound::play(const QString& file) {
    close();
    const QFileInfo info(file);
    if (!info.isFile() || info.size() > kMaxFileBytes ||
        !TMediaLibLoader::instance().LibrariesLoaded(libraryBit(MediaLibrary::SDL))) {
        return false;
    }
    if (lib::sdl.SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return false;
    }
    m_audioStarted = true;
    const QByteArray name = QFile::encodeName(file);
    SDL_RWops* source = lib::sdl.SDL_RWFromFile(name.constData(), "rb");
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    // The loader closes the source whatever happens.
    if (source == nullptr ||
        lib::sdl.SDL_LoadWAV_RW(source, 1, &spec, &samples, &length) == nullptr) {
        close();
        return false;
    }
    spec.callback = nullptr;  // queued, not pulled
    m_device = lib::sdl.SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    const int bytesPerSecond = spec.freq * spec.channels * (SDL_AUDIO_BITSIZE(spec.format) / 8);
    const bool queued = m_device != 0 && bytesPerSecond > 0 &&
                        lib::sdl.SDL_QueueAudio(m_device, samples, length) == 0;
    lib::sdl.SDL_FreeWAV(samples);
    if (!queued) {
        close();
        return false;
    }
    lib::sdl.SDL_PauseAudioDevice(m_device, 0);
    const auto lengthMs =
        static_cast<int>(static_cast<std::int64_t>(length) * 1000 / bytesPerSecond);
    m_closer.start(lengthMs + kTailMs);
    return true;
}

void SnapshotSound::close() {
    m_closer.stop();
    if (m_device != 0) {
        lib::sdl.SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
    if (m_audioStarted) {
        lib::sdl.SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_audioStarted = false;
    }
}

}  // namespace velmora::app
