// The preview group on the left of the main window: the video panel, the six picture buttons
// (play, pause, stop, sound on/off, take a snapshot, snapshot settings) and the track bar. Each
// button has a normal and a highlighted picture (shown while the mouse is over it); the sound
// button shows a muted or an unmuted pair. The preview pane drives the controls.
#pragma once

#include <QGroupBox>
#include <array>

#include "app/PreviewTrackBar.h"
#include "app/PreviewVideoPanel.h"

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

    PreviewVideoPanel* videoPanel() const { return m_videoPanel; }
    PreviewTrackBar* trackBar() const { return m_trackBar; }
    QToolButton* button(PreviewButton which) const {
        return m_buttons[static_cast<std::size_t>(which)];
    }

    // The sound button's pictures: muted or sounding.
    void showMuted(bool muted);
    bool showsMuted() const { return m_muted; }

private:
    PreviewVideoPanel* m_videoPanel;
    PreviewTrackBar* m_trackBar;
    std::array<QToolButton*, kPreviewButtonCount> m_buttons{};
    bool m_muted = false;
};

}  // namespace velmora::app
