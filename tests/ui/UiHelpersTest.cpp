// The data-folder lookup and the progress-bar cell.
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

#include "ui/DataFolders.h"
#include "ui/ProgressCell.h"

namespace velmora::test {

class UiHelpersTest : public QObject {
    Q_OBJECT

private slots:
    void dataFolderNextToTheExecutableElseInstalled();
    void progressCellClampsItsValue();
    void progressCellDrawsTheBarInTheLook();
};

void UiHelpersTest::dataFolderNextToTheExecutableElseInstalled() {
    QTemporaryDir root;
    QDir dir(root.path());
    dir.mkpath(QStringLiteral("build/bin/skins"));
    dir.mkpath(QStringLiteral("usr/bin"));
    dir.mkpath(QStringLiteral("usr/share/velmora/skins"));
    dir.mkpath(QStringLiteral("usr/share/velmora/help"));

    const QString buildBin = dir.filePath(QStringLiteral("build/bin"));
    const QString installedBin = dir.filePath(QStringLiteral("usr/bin"));
    QCOMPARE(ui::dataFolder(QStringLiteral("skins"), buildBin),
             dir.filePath(QStringLiteral("build/bin/skins")));
    QCOMPARE(ui::dataFolder(QStringLiteral("skins"), installedBin),
             dir.filePath(QStringLiteral("usr/share/velmora/skins")));
    QCOMPARE(ui::dataFolder(QStringLiteral("help"), installedBin),
             dir.filePath(QStringLiteral("usr/share/velmora/help")));
    // Neither exists: the place next to the executable is named.
    QCOMPARE(ui::dataFolder(QStringLiteral("sounds"), installedBin),
             dir.filePath(QStringLiteral("usr/bin/sounds")));
}

void UiHelpersTest::progressCellClampsItsValue() {
    QStandardItemModel model(5, 1);
    const QList<QVariant> values = {0, 42, 100, 250, -3};
    const QList<int> shown = {0, 42, 100, 100, 0};
    for (int row = 0; row < values.size(); ++row) {
        model.setData(model.index(row, 0), values[row]);
        QCOMPARE(ui::ProgressCell::percentOf(model.index(row, 0)), shown[row]);
    }
    model.setData(model.index(0, 0), QStringLiteral("not a number"));
    QCOMPARE(ui::ProgressCell::percentOf(model.index(0, 0)), 0);
}

void UiHelpersTest::progressCellDrawsTheBarInTheLook() {
    QTreeView view;
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), 50);
    view.setModel(&model);
    // A look that paints the bar's chunk in pure red: the cell must show it.
    view.setStyleSheet(
        QStringLiteral("QProgressBar { border: none; background: white; color: white; }"
                       "QProgressBar::chunk { background: #ff0000; }"));
    ui::ProgressCell cell(&view);
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
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::red));
    QCOMPARE(image.pixelColor(90, 10), QColor(Qt::white));
}

}  // namespace velmora::test

QTEST_MAIN(velmora::test::UiHelpersTest)
#include "UiHelpersTest.moc"
