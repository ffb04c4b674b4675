#include "ui/ProgressCell.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTreeView>

namespace velmora::ui {
namespace {

TEST(ProgressCell, ShowsTheModelsNumberClampedToAPercentage) {
    const struct {
        QVariant value;
        int shown;
    } rows[] = {{0, 0}, {42, 42}, {100, 100}, {250, 100}, {-3, 0}, {QStringLiteral("x"), 0}};
    QStandardItemModel model(1, 1);
    for (const auto& row : rows) {
        model.setData(model.index(0, 0), row.value);
        EXPECT_EQ(ProgressCell::percentOf(model.index(0, 0)), row.shown)
            << row.value.toString().toStdString();
    }
}

TEST(ProgressCell, DrawsTheBarInTheLookOfTheList) {
    QTreeView view;
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), 50);
    view.setModel(&model);
    // A look that paints the bar's chunk in pure red: the cell must show it.
    view.setStyleSheet(
        QStringLiteral("QProgressBar { border: none; background: white; color: white; }"
                       "QProgressBar::chunk { background: #ff0000; }"));
    ProgressCell cell(&view);
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.widget = &view;
    option.rect = QRect(0, 0, 100, 20);
    QImage image(100, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        cell.paint(&painter, option, model.index(0, 0));
    }
    EXPECT_EQ(image.pixelColor(10, 10), QColor(Qt::red));
    EXPECT_EQ(image.pixelColor(90, 10), QColor(Qt::white));
}

}  // namespace
}  // namespace velmora::ui
