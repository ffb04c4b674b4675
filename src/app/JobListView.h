// The job list's view: one selected row at a time, files and folders dropped from the desktop,
// a row's context menu to open its output, and a click on the empty area that clears the
// selection.
#pragma once

#include <QTreeView>
#include <memory>

class QMenu;

namespace velmora::ui {
class FittedColumns;
}

namespace velmora::app {

class JobListModel;

class JobListView : public QTreeView {
    Q_OBJECT
public:
    explicit JobListView(QWidget* parent = nullptr);
    ~JobListView() override;

    void setJobModel(JobListModel* model);

    // The selected row, -1 when none.
    int selectedRow() const;
    void selectRow(int row);

    // The context menu of a row: "打开输出文件" and "打开所在文件夹", enabled once the row's
    // output exists. Owned by the caller.
    QMenu* createRowMenu(int row, QWidget* parent);

    // The local files and folders a drop carries, in its order.
    static QStringList droppedPaths(const QMimeData* data);

signals:
    void filesDropped(const QStringList& paths);
    void openOutputFileRequested(const QString& path);
    void openOutputFolderRequested(const QString& folder);
    void selectedRowChanged(int row);
    // A click that left no row selected.
    void emptyAreaClicked();
    void rowActivated(int row);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    JobListModel* m_jobs = nullptr;
    std::unique_ptr<ui::FittedColumns> m_fittedColumns;
};

}  // namespace velmora::app
