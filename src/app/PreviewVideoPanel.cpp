#include "app/PreviewVideoPanel.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace velmora::app {

namespace {

// A native window that Qt never paints: the player's SDL renderer owns its pixels. SDL does not
// see the window's own events (Qt selected them first), so exposes and new sizes are passed on.
class NativeSurface : public QWidget {
public:
    explicit NativeSurface(PreviewVideoPanel* panel) : QWidget(panel), m_panel(panel) {
        setObjectName(QStringLiteral("videoSurface"));
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent*) override { emit m_panel->surfaceChanged(pixelSize()); }
    void resizeEvent(QResizeEvent*) override { emit m_panel->surfaceChanged(pixelSize()); }
    void mousePressEvent(QMouseEvent* event) override {
        // A click on the picture gives the panel the keyboard, as a click beside it does.
        m_panel->setFocus(Qt::MouseFocusReason);
        QWidget::mousePressEvent(event);
    }

private:
    QSize pixelSize() const {
        const qreal ratio = devicePixelRatioF();
        return QSize(qRound(width() * ratio), qRound(height() * ratio));
    }

    PreviewVideoPanel* m_panel;
};

}  // namespace

PreviewVideoPanel::PreviewVideoPanel(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("videoPanel"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setStyleSheet(QStringLiteral("#videoPanel { background: black; }"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::StrongFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

bool PreviewVideoPanel::canEmbed() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

std::uintptr_t PreviewVideoPanel::surfaceWindow() {
    if (!canEmbed()) {
        return 0;
    }
    if (m_surface == nullptr) {
        m_surface = new NativeSurface(this);
        layout()->addWidget(m_surface);
        m_surface->hide();
    }
    return static_cast<std::uintptr_t>(m_surface->winId());
}

void PreviewVideoPanel::showSurface() {
    if (surfaceWindow() == 0) {
        return;
    }
    m_picture = QImage();
    m_surface->show();
}

bool PreviewVideoPanel::surfaceShown() const {
    return m_surface != nullptr && m_surface->isVisible();
}

void PreviewVideoPanel::showPicture(const QImage& picture) {
    if (m_surface != nullptr) {
        m_surface->hide();
    }
    const QSize area = contentsRect().size();
    m_picture = picture.isNull() || area.isEmpty()
                    ? picture
                    : picture.scaled(area, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    update();
}

void PreviewVideoPanel::clear() {
    if (m_surface != nullptr) {
        m_surface->hide();
    }
    m_picture = QImage();
    update();
}

void PreviewVideoPanel::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect area = contentsRect();
    painter.fillRect(area, Qt::black);
    if (!m_picture.isNull()) {
        QRect target(QPoint(0, 0), m_picture.size().scaled(area.size(), Qt::KeepAspectRatio));
        target.moveCenter(area.center());
        painter.drawImage(target, m_picture);
    }
}

void PreviewVideoPanel::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
            emit togglePauseRequested();
            return;
        case Qt::Key_Left:
            emit stepRequested(-1);
            return;
        case Qt::Key_Right:
            emit stepRequested(1);
            return;
        default:
            QFrame::keyPressEvent(event);
    }
}

void PreviewVideoPanel::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    QFrame::mousePressEvent(event);
}

}  // namespace velmora::app
