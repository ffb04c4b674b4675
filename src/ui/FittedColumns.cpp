#include "ui/FittedColumns.h"

#include <QAbstractItemModel>
#include <QEvent>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>
#include <algorithm>

namespace velmora::ui {

FittedColumns::FittedColumns(QTreeView& view, std::vector<int> columns, int paddingPx)
    : m_view(view), m_model(view.model()), m_columns(std::move(columns)), m_paddingPx(paddingPx) {
    for (int column : m_columns) {
        m_view.header()->setSectionResizeMode(column, QHeaderView::Fixed);
    }
    if (m_model != nullptr) {
        connect(m_model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                    widen(topLeft, bottomRight);
                });
        connect(m_model, &QAbstractItemModel::rowsInserted, this,
                [this](const QModelIndex& parent, int first, int last) {
                    if (!parent.isValid()) {
                        widenRows(first, last, 0, m_model->columnCount() - 1);
                    }
                });
        connect(m_model, &QAbstractItemModel::rowsRemoved, this, &FittedColumns::scheduleRefit);
        connect(m_model, &QAbstractItemModel::rowsMoved, this, &FittedColumns::scheduleRefit);
        connect(m_model, &QAbstractItemModel::modelReset, this, &FittedColumns::scheduleRefit);
        connect(m_model, &QAbstractItemModel::layoutChanged, this, &FittedColumns::scheduleRefit);
        connect(m_model, &QAbstractItemModel::headerDataChanged, this,
                &FittedColumns::scheduleRefit);
    }
    // A new look or font changes every text's width, the captions' included.
    m_view.installEventFilter(this);
    m_view.header()->installEventFilter(this);
    refit();
}

void FittedColumns::refit() {
    m_refitPending = false;
    if (m_model == nullptr) {
        return;
    }
    const int rows = m_model->rowCount();
    for (int column : m_columns) {
        int width = m_view.header()->sectionSizeHint(column);
        for (int row = 0; row < rows; ++row) {
            width = std::max(width, cellWidth(row, column));
        }
        m_view.header()->resizeSection(column, width);
    }
}

bool FittedColumns::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange) {
        scheduleRefit();
    }
    return QObject::eventFilter(watched, event);
}

void FittedColumns::widen(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (topLeft.isValid() && bottomRight.isValid() && !topLeft.parent().isValid()) {
        widenRows(topLeft.row(), bottomRight.row(), topLeft.column(), bottomRight.column());
    }
}

void FittedColumns::widenRows(int firstRow, int lastRow, int firstColumn, int lastColumn) {
    // Also while a refit is pending: the list may be looked at before the event loop runs it.
    for (int column : m_columns) {
        if (column < firstColumn || column > lastColumn) {
            continue;
        }
        int width = m_view.header()->sectionSize(column);
        for (int row = firstRow; row <= lastRow; ++row) {
            width = std::max(width, cellWidth(row, column));
        }
        if (width > m_view.header()->sectionSize(column)) {
            m_view.header()->resizeSection(column, width);
        }
    }
}

void FittedColumns::scheduleRefit() {
    // Many removals or look changes in a row are measured once, when the event loop comes back.
    if (!m_refitPending) {
        m_refitPending = true;
        QTimer::singleShot(0, this, [this] {
            if (m_refitPending) {
                refit();
            }
        });
    }
}

int FittedColumns::cellWidth(int row, int column) const {
    const QSize hint = m_view.sizeHintForIndex(m_model->index(row, column));
    return hint.isValid() ? hint.width() + m_paddingPx : 0;
}

}  // namespace velmora::ui
