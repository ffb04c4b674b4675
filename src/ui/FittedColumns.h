// Keeps chosen columns of a tree view as wide as their caption and their widest text.
//
// The header's own fitting (QHeaderView::ResizeToContents) measures every row of a column
// whenever any cell of the model changes; with a long list whose progress cells change many times
// a second that alone keeps the GUI thread busy. Here a changed or inserted cell only widens its
// column when it no longer fits, and the whole list is measured again only when rows go away, the
// model is reset or the look changes.
#pragma once

#include <QObject>
#include <vector>

class QAbstractItemModel;
class QModelIndex;
class QTreeView;

namespace velmora::ui {

class FittedColumns : public QObject {
public:
    // Fits `columns` of `view`'s current model, each `paddingPx` wider than its widest text (the
    // caption's padding is the header's own). The columns are given a fixed size. Lives no longer
    // than the view.
    FittedColumns(QTreeView& view, std::vector<int> columns, int paddingPx);

    // Measures every row of the fitted columns now (also done, once, after each change that can
    // narrow a column).
    void refit();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void widen(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void widenRows(int firstRow, int lastRow, int firstColumn, int lastColumn);
    void scheduleRefit();
    int cellWidth(int row, int column) const;

    QTreeView& m_view;
    QAbstractItemModel* m_model;
    std::vector<int> m_columns;
    int m_paddingPx;
    bool m_refitPending = false;
};

}  // namespace velmora::ui
