// The preview group on the left of the main window: the video panel, the six picture buttons
// (play, pause, stop, sound on/off, take a snapshot, snapshot settings) and the track bar. The
// pane's behaviour (the player, seeking, snapshots) arrives with the preview; until then the
// controls are in place and the window only moves the track bar back to its start.
#pragma once

#include <QGroupBox>
#include <array>

class QFrame;
class QSlider;
class QToolButton;

namespace velmora::app {

enum class PreviewButton { Play, Pause, Stop, Sound, Snapshot, SnapshotSettings };
inline constexpr std::size_t kPreviewButtonCount = 6;

class PreviewGroup : public QGroupBox {
    Q_OBJECT
public:
    // The track bar's range before a file is opened.
    static constexpr int kInitialTrackMax = 10;

    explicit PreviewGroup(QWidget* parent = nullptr);

    QFrame* videoPanel() const { return m_videoPanel; }
    QSlider* trackBar() const { return m_trackBar; }
    QToolButton* button(PreviewButton which) const {
        return m_buttons[static_cast<std::size_t>(which)];
    }

private:
    QFrame* m_videoPanel;
    QSlider* m_trackBar;
    std::array<QToolButton*, kPreviewButtonCount> m_buttons{};
};

}  // namespace velmora::app
