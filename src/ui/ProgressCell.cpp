#include "ui/ProgressCell.h"

#include <QApplication>
#include <QPainter>
#include <QProgressBar>
#include <QStyleOptionProgressBar>
#include <algorithm>

namespace velmora::ui {

namespace {

constexpr int kMarginPx = 2;

}  // namespace

ProgressCell::ProgressCell(QWidget* view)
    : QStyledItemDelegate(view), m_styleSource(new QProgressBar(view)) {
    m_styleSource->setObjectName(QStringLiteral("progressCellStyle"));
    m_styleSource->hide();
}

int ProgressCell::percentOf(const QModelIndex& index) {
    bool isNumber = false;
    const int value = index.data(Qt::DisplayRole).toInt(&isNumber);
    return isNumber ? std::clamp(value, 0, 100) : 0;
}

void ProgressCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    // The cell's background and selection as for any other cell, without its text.
    QStyleOptionViewItem background = option;
    initStyleOption(&background, index);
    background.text.clear();
    QStyle* viewStyle = option.widget ? option.widget->style() : QApplication::style();
    viewStyle->drawControl(QStyle::CE_ItemViewItem, &background, painter, option.widget);

    const int percent = percentOf(index);
    QStyleOptionProgressBar bar;
    bar.initFrom(m_styleSource);
    bar.rect = option.rect.adjusted(kMarginPx, kMarginPx, -kMarginPx, -kMarginPx);
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = percent;
    bar.text = QString::number(percent) + QLatin1Char('%');
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    bar.state |= QStyle::State_Horizontal;
    m_styleSource->ensurePolished();
    painter->save();
    m_styleSource->style()->drawControl(QStyle::CE_ProgressBar, &bar, painter, m_styleSource);
    painter->restore();
}

}  // namespace velmora::ui
