#include "ui/FittedColumns.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTreeView>

namespace velmora::ui {
namespace {

constexpr int kPadding = 6;
constexpr int kRows = 200;

// Counts how many cells the view measures.
class CountingDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    mutable int measured = 0;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        ++measured;
        return QStyledItemDelegate::sizeHint(option, index);
    }
};

class FittedColumnsTest : public ::testing::Test {
protected:
    FittedColumnsTest() : model(kRows, 2) {
        model.setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("State")});
        for (int row = 0; row < kRows; ++row) {
            model.setData(model.index(row, 0), QStringLiteral("row %1").arg(row));
            model.setData(model.index(row, 1), QStringLiteral("ready"));
        }
        view.header()->setStretchLastSection(false);
        view.setItemDelegate(&delegate);
        view.setModel(&model);
        view.resize(400, 300);
    }

    int textWidth(int row, int column) const {
        return view.sizeHintForIndex(model.index(row, column)).width() + kPadding;
    }

    int width(int column) const { return view.header()->sectionSize(column); }

    QStandardItemModel model;
    QTreeView view;
    CountingDelegate delegate;
};

TEST_F(FittedColumnsTest, ColumnsFitTheirWidestTextAndCaption) {
    model.setData(model.index(17, 1), QStringLiteral("a much longer state than the others"));
    FittedColumns fitted(view, {0, 1}, kPadding);
    EXPECT_EQ(width(1), textWidth(17, 1));
    EXPECT_GE(width(0), view.header()->sectionSizeHint(0));
    for (int row = 0; row < kRows; ++row) {
        EXPECT_GE(width(0), textWidth(row, 0)) << row;
    }
    EXPECT_EQ(view.header()->sectionResizeMode(1), QHeaderView::Fixed);
}

TEST_F(FittedColumnsTest, AChangedCellIsMeasuredAloneAndOnlyWidensItsColumn) {
    FittedColumns fitted(view, {0, 1}, kPadding);
    const int before = width(1);

    delegate.measured = 0;
    model.setData(model.index(150, 1), QStringLiteral("converting, with a long state text"));
    // The header's own fitting would measure all rows of the column again here.
    EXPECT_LE(delegate.measured, 2);
    EXPECT_EQ(width(1), textWidth(150, 1));
    EXPECT_GT(width(1), before);

    // A shorter text keeps the width until the list is measured again.
    const int wide = width(1);
    model.setData(model.index(150, 1), QStringLiteral("done"));
    EXPECT_EQ(width(1), wide);
}

TEST_F(FittedColumnsTest, InsertedRowsWidenRemovedRowsNarrowOnceTheEventLoopRuns) {
    FittedColumns fitted(view, {0, 1}, kPadding);
    const int before = width(0);
    QList<QStandardItem*> row{new QStandardItem(QStringLiteral("an inserted row with a long name")),
                              new QStandardItem(QStringLiteral("ready"))};
    model.appendRow(row);
    EXPECT_EQ(width(0), textWidth(kRows, 0));

    model.removeRow(kRows);
    EXPECT_GT(width(0), before);
    QApplication::processEvents();
    EXPECT_EQ(width(0), before);
}

TEST_F(FittedColumnsTest, ANewLookIsMeasuredAgain) {
    FittedColumns fitted(view, {0, 1}, kPadding);
    const int before = width(1);
    QFont large = view.font();
    large.setPointSizeF(large.pointSizeF() * 2.5);
    view.setFont(large);
    QApplication::processEvents();
    EXPECT_GT(width(1), before);
    EXPECT_EQ(width(1), std::max(view.header()->sectionSizeHint(1), textWidth(0, 1)));
}

}  // namespace
}  // namespace velmora::ui
