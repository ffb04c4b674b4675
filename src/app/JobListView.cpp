#include "app/JobListView.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

#include "app/JobListModel.h"
#include "ui/FittedColumns.h"
#include "ui/ProgressCell.h"

namespace velmora::app {

namespace {

constexpr int kProgressColumnWidth = 80;
constexpr int kColumnPaddingPx = 6;

// A header whose fitted sections keep some air around their captions.
class PaddedHeader : public QHeaderView {
public:
    explicit PaddedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    QSize sectionSizeFromContents(int logicalIndex) const override {
        return QHeaderView::sectionSizeFromContents(logicalIndex) + QSize(kColumnPaddingPx, 0);
    }
};

}  // namespace

JobListView::JobListView(QWidget* parent) : QTreeView(parent) {
    setHeader(new PaddedHeader(this));
    setObjectName(QStringLiteral("jobList"));
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTextElideMode(Qt::ElideMiddle);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(false);
    setItemDelegateForColumn(JobListModel::ProgressColumn, new ui::ProgressCell(this));
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QAbstractItemView::doubleClicked, this,
            [this](const QModelIndex& index) { emit rowActivated(index.row()); });
}

JobListView::~JobListView() = default;

void JobListView::setJobModel(JobListModel* model) {
    m_jobs = model;
    setModel(model);
    // The short columns fit their caption and texts in whatever look is applied; the source path
    // takes the rest of the width and is shortened in the middle.
    header()->setSectionResizeMode(JobListModel::SourceFileColumn, QHeaderView::Stretch);
    header()->setSectionResizeMode(JobListModel::ProgressColumn, QHeaderView::Fixed);
    setColumnWidth(JobListModel::ProgressColumn, kProgressColumnWidth);
    m_fittedColumns = std::make_unique<ui::FittedColumns>(
        *this,
        std::vector<int>{JobListModel::NumberColumn, JobListModel::SourceFormatColumn,
                         JobListModel::TargetFormatColumn, JobListModel::CurrentTimeColumn,
                         JobListModel::StatusColumn},
        kColumnPaddingPx);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { emit selectedRowChanged(selectedRow()); });
}

int JobListView::selectedRow() const {
    if (!selectionModel()) {
        return -1;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void JobListView::selectRow(int row) {
    if (!m_jobs || !m_jobs->isValidRow(row)) {
        return;
    }
    const QModelIndex index = m_jobs->index(row, 0);
    selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

QMenu* JobListView::createRowMenu(int row, QWidget* parent) {
    auto* menu = new QMenu(parent);
    QAction* openFile = menu->addAction(QStringLiteral("打开输出文件"));
    QAction* openFolder = menu->addAction(QStringLiteral("打开所在文件夹"));
    const QString output =
        m_jobs && m_jobs->isValidRow(row) ? m_jobs->job(row).outputFile : QString();
    const bool exists = !output.isEmpty() && QFileInfo(output).isFile();
    openFile->setEnabled(exists);
    openFolder->setEnabled(exists);
    connect(openFile, &QAction::triggered, this,
            [this, output] { emit openOutputFileRequested(output); });
    connect(openFolder, &QAction::triggered, this,
            [this, output] { emit openOutputFolderRequested(QFileInfo(output).absolutePath()); });
    return menu;
}

QStringList JobListView::droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    return paths;
}

void JobListView::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void JobListView::dragMoveEvent(QDragMoveEvent* event) {
    if (droppedPaths(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void JobListView::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(paths);
}

void JobListView::contextMenuEvent(QContextMenuEvent* event) {
    const QModelIndex index = indexAt(viewport()->mapFromGlobal(event->globalPos()));
    if (!index.isValid()) {
        return;
    }
    selectRow(index.row());
    QMenu* menu = createRowMenu(index.row(), this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void JobListView::mousePressEvent(QMouseEvent* event) {
    QTreeView::mousePressEvent(event);
    if (!indexAt(event->position().toPoint()).isValid()) {
        clearSelection();
        emit emptyAreaClicked();
    }
}

}  // namespace velmora::app
