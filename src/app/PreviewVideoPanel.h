// The video panel of the preview group. Where the window system gives native windows (X11) the
// player draws into a native child window of the panel through SDL; elsewhere (offscreen,
// Wayland without XWayland), or when SDL cannot use that window, the panel paints the pictures
// the player hands over. With the keyboard focus it takes Space (pause or play) and Left/Right
// (5 s back or forward); a click gives it the focus.
#pragma once

#include <QFrame>
#include <QImage>
#include <cstdint>

namespace velmora::app {

class PreviewVideoPanel : public QFrame {
    Q_OBJECT
public:
    explicit PreviewVideoPanel(QWidget* parent = nullptr);

    // True where the player can draw into a native window of the panel.
    static bool canEmbed();
    // The native window for the player, made on first use; 0 where canEmbed() is false.
    std::uintptr_t surfaceWindow();
    // From now on the player draws on the native window.
    void showSurface();
    bool surfaceShown() const;
    // Shows a picture painted by the panel itself: scaled to fit, centred, black around it.
    void showPicture(const QImage& picture);
    // Black, nothing shown.
    void clear();
    // The picture as painted (already scaled to the panel); null when none is.
    const QImage& picture() const { return m_picture; }

signals:
    void togglePauseRequested();
    // -1 back, +1 forward.
    void stepRequested(int direction);
    // The native window was exposed or resized; its size in device pixels.
    void surfaceChanged(QSize size);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QWidget* m_surface = nullptr;
    QImage m_picture;
};

}  // namespace velmora::app
