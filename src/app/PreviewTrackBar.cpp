#include "app/PreviewTrackBar.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace velmora::app {

PreviewTrackBar::PreviewTrackBar(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("trackBar"));
    // The keyboard seeks through the video panel; arrow keys here would move the handle
    // without seeking.
    setFocusPolicy(Qt::NoFocus);
}

void PreviewTrackBar::mousePressEvent(QMouseEvent* event) {
    emit mouseDown();
    if (event->button() == Qt::LeftButton && maximum() > minimum()) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect handle =
            style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
        const QPoint at = event->position().toPoint();
        if (!handle.contains(at)) {
            const QRect groove =
                style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
            const int span = groove.width() - handle.width();
            const int offset = at.x() - groove.x() - handle.width() / 2;
            setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), offset,
                                                     std::max(span, 1), option.upsideDown));
        }
    }
    QSlider::mousePressEvent(event);
}

void PreviewTrackBar::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    emit mouseUp();
}

}  // namespace velmora::app
