// The progress-bar cell of the job list: the column's value (0..100) drawn as a progress bar
// with its percentage, in the look of the window's style sheet.
#pragma once

#include <QStyledItemDelegate>

class QProgressBar;

namespace velmora::ui {

class ProgressCell : public QStyledItemDelegate {
    Q_OBJECT
public:
    // view: the list whose cells are drawn; it also owns the hidden bar that carries the style.
    explicit ProgressCell(QWidget* view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The value a cell shows: the model's number clamped to 0..100.
    static int percentOf(const QModelIndex& index);

private:
    // Style sheets match widgets, not cells: the cells are drawn as this hidden bar, so the
    // rules a look gives QProgressBar apply to them too.
    QProgressBar* m_styleSource;
};

}  // namespace velmora::ui
