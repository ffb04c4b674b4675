// The shutter sound of a snapshot: a WAV file played through SDL's audio without waiting for it.
// GUI thread only. The audio device is opened for each sound and closed once it has played.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>

namespace velmora::app {

class SnapshotSound : public QObject {
    Q_OBJECT
public:
    // Files above this size are not taken for a short sound.
    static constexpr std::int64_t kMaxFileBytes = 4 * 1024 * 1024;

    explicit SnapshotSound(QObject* parent = nullptr);
    ~SnapshotSound() override;

    // Starts playing the WAV file and returns at once. False, with nothing played, when SDL is
    // not loaded, the file is missing, too large or no WAV, or no audio device can be opened.
    bool play(const QString& file);
    // True from a successful play() until the sound has ended.
    bool playing() const { return m_device != 0; }

private:
    void close();

    std::uint32_t m_device = 0;  // SDL_AudioDeviceID
    bool m_audioStarted = false;
    QTimer m_closer;
};

}  // namespace velmora::app
