// The preview pane: drives the player for the preview group of the main window. A selected job
// row's source is opened paused in the video panel; the picture buttons play, pause, restart
// ("停止" opens the file again at its start), switch the sound and take snapshots; the track bar
// seeks when it is let go; with the keyboard in the video panel, Space pauses or plays and
// Left/Right step 5 s. The pane never follows the playing position: the player's OnPosition,
// OnState and OnHook stay switched off.
//
// GUI thread only. The player's pictures reach the panel through SDL on a native window where
// there is one; elsewhere the pane paints them into the panel.
#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/DesktopSeams.h"
#include "app/SnapshotSound.h"
#include "player/CustomPlayer.h"

namespace velmora::app {

class PreviewGroup;
class SnapshotMenu;

struct PreviewSetup {
    DesktopSeams seams;  // the folder chooser and opening the snapshot folder
    std::string settingsPath;
    std::string defaultSnapshotFolder;  // used when system.ini names none
    QString soundsFolder;               // cam.wav, the shutter sound, is played from here
    std::string libraryFolder;          // where the media libraries are looked for first
    // The preview file while a job row is selected; empty when no row is.
    std::function<QString()> selectedPreviewFile;
};

// The status bar's text after a snapshot.
inline constexpr const char* kSnapshotTakenText =
    "已经为您捕获视频快照，您可以点击“快照设置”按钮打开快照目录查看图片。";

class PreviewPane : public QObject {
    Q_OBJECT
public:
    // Between pausing the current preview and opening the next file.
    static constexpr int kSettleMs = 50;
    // One step of the Left and Right keys.
    static constexpr std::int64_t kKeyStepUs = 5000000;
    static constexpr int kTrackTickFrequency = 5;

    PreviewPane(PreviewGroup& group, PreviewSetup setup, QObject* parent = nullptr);
    ~PreviewPane() override;

    // A job row was selected: its source opens paused in the panel. Libraries that cannot be
    // loaded leave the pane as it is; a file that cannot be opened leaves the panel black and
    // puts the player's reason into the log.
    void preview(const QString& file);
    // Remove, Clear, an empty click on the list and closing the window: the preview ends.
    void stop();

    // The picture buttons.
    void play();
    void pause();
    void restart();
    void toggleSound();
    void takeSnapshot();

    // Checks the snapshot type's radio item (the type read at start-up).
    void showSnapshotPicture(const std::string& type);

    TMediaPlayer& player() { return *m_player; }
    // The duration the player reported for the open file (microseconds, -1 unknown).
    std::int64_t previewDuration() const { return m_duration; }
    SnapshotMenu& snapshotMenu() const { return *m_menu; }
    const SnapshotSound& sound() const { return m_sound; }

signals:
    void logLine(const QString& line);
    void statusMessage(const QString& text);
    void listFocusRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool openPreview(const QString& file);
    void fileOpened(std::int64_t duration);
    void trackReleased();
    void step(int direction);
    // Any thread: a picture the panel has to paint itself is ready.
    void pictureReady();
    void paintPicture(int generation);
    void detachNotifications();
    std::string libraryFolder() const;

    PreviewGroup& m_group;
    PreviewSetup m_setup;
    std::unique_ptr<TMediaPlayer> m_player;
    SnapshotMenu* m_menu;
    // Compared by address only: the filter also sees the button's last events while the group
    // that owns it is being destroyed.
    const QObject* m_snapshotSettingsButton = nullptr;
    SnapshotSound m_sound;
    QString m_file;  // the file last opened
    std::int64_t m_duration = 0;
    // Changes with every open and stop, so a paint queued for an earlier file is dropped.
    std::atomic<int> m_generation{0};
    std::atomic<bool> m_paintQueued{false};
};

}  // namespace velmora::app
