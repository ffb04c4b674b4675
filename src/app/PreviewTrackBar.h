// The preview's track bar: a seek control only, it never follows the playing position. It tells
// when a mouse button goes down and up on it; a click beside the handle moves the handle there
// first, so the release seeks to where the user clicked.
#pragma once

#include <QSlider>

namespace velmora::app {

class PreviewTrackBar : public QSlider {
    Q_OBJECT
public:
    explicit PreviewTrackBar(QWidget* parent = nullptr);

signals:
    void mouseDown();
    // After the bar has taken the release, so value() is where the handle was let go.
    void mouseUp();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace velmora::app
