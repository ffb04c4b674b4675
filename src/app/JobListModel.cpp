#include "app/JobListModel.h"

#include <QFileInfo>
#include <algorithm>
#include <array>
#include <utility>

#include "component/TaskEndDecision.h"

namespace velmora::app {

namespace {

constexpr std::array<const char*, JobListModel::kColumnCount> kCaptions = {
    "序号", "视频源文件", "源格式", "目标格式", "当前时间", "转换进度", "状态"};

// The extension without its dot, upper case ("MKV"); empty without one.
QString formatOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1).toUpper();
}

}  // namespace

QString statusText(JobStatus status) {
    switch (status) {
        case JobStatus::Ready:
            return QStringLiteral("准备");
        case JobStatus::Converting:
            return QStringLiteral("转换中...");
        case JobStatus::Paused:
            return QStringLiteral("暂停");
        // The end states read as the component words them for a job row.
        case JobStatus::Stopped:
            return QString::fromUtf8(endStateStatusText(TaskEndState::Stopped));
        case JobStatus::Done:
            return QString::fromUtf8(endStateStatusText(TaskEndState::Done));
        case JobStatus::Incomplete:
            return QString::fromUtf8(endStateStatusText(TaskEndState::Incomplete));
        case JobStatus::Failed:
            return QString::fromUtf8(endStateStatusText(TaskEndState::Failed));
    }
    return {};
}

JobListModel::JobListModel(QObject* parent) : QAbstractTableModel(parent) {}

int JobListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int JobListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

bool JobListModel::isValidRow(int row) const {
    return row >= 0 && row < static_cast<int>(m_rows.size());
}

QVariant JobListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !isValidRow(index.row())) {
        return {};
    }
    const JobRow& row = job(index.row());
    if (role == Qt::ToolTipRole) {
        if (!row.detail.isEmpty()) {
            return row.detail;
        }
        return index.column() == SourceFileColumn ? QVariant(row.sourceFile) : QVariant();
    }
    if (role == Qt::TextAlignmentRole && index.column() != SourceFileColumn) {
        return static_cast<int>(Qt::AlignCenter);
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
        case NumberColumn:
            return index.row() + 1;
        case SourceFileColumn:
            return row.sourceFile;
        case SourceFormatColumn:
            return row.sourceFormat;
        case TargetFormatColumn:
            return row.targetFormat;
        case CurrentTimeColumn:
            return row.currentTime;
        case ProgressColumn:
            return row.progress;
        case StatusColumn:
            return statusText(row.status);
        default:
            return {};
    }
}

QVariant JobListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= kColumnCount) {
        return {};
    }
    return QString::fromUtf8(kCaptions[static_cast<std::size_t>(section)]);
}

JobRow JobListModel::rowFor(const QString& sourceFile, const QString& outputFile) {
    JobRow row;
    row.sourceFile = sourceFile;
    row.sourceFormat = formatOf(sourceFile);
    row.targetFormat = formatOf(outputFile);
    row.outputFile = outputFile;
    return row;
}

int JobListModel::appendJob(JobRow row) {
    const int index = static_cast<int>(m_rows.size());
    beginInsertRows({}, index, index);
    m_rows.push_back(std::move(row));
    endInsertRows();
    return index;
}

void JobListModel::removeJob(int row) {
    if (!isValidRow(row)) {
        return;
    }
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    // The rows below moved up one place: their numbers change.
    if (row < rowCount()) {
        emit dataChanged(index(row, NumberColumn), index(rowCount() - 1, NumberColumn));
    }
}

void JobListModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

bool JobListModel::swapWithNext(int row) {
    if (!isValidRow(row) || !isValidRow(row + 1)) {
        return false;
    }
    // Moving row+1 before row keeps the selection model's rows attached to their jobs.
    beginMoveRows({}, row + 1, row + 1, {}, row);
    std::swap(m_rows[static_cast<std::size_t>(row)], m_rows[static_cast<std::size_t>(row + 1)]);
    endMoveRows();
    emit dataChanged(index(row, NumberColumn), index(row + 1, NumberColumn));
    return true;
}

void JobListModel::rowChanged(int row) {
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

// The setters below repaint a row only when what it shows changes: the converter reports
// progress many times a second, mostly with the same percentage, time and status.
void JobListModel::setProgress(int row, int percent) {
    if (isValidRow(row) && assignProgress(m_rows[static_cast<std::size_t>(row)], percent)) {
        rowChanged(row);
    }
}

void JobListModel::setCurrentTime(int row, const QString& text) {
    if (isValidRow(row) && assignCurrentTime(m_rows[static_cast<std::size_t>(row)], text)) {
        rowChanged(row);
    }
}

void JobListModel::setStatus(int row, JobStatus status, const QString& detail) {
    if (isValidRow(row) && assignStatus(m_rows[static_cast<std::size_t>(row)], status, detail)) {
        rowChanged(row);
    }
}

void JobListModel::showProgress(int row, std::optional<int> percent, const QString& currentTime,
                                JobStatus status) {
    if (!isValidRow(row)) {
        return;
    }
    JobRow& job = m_rows[static_cast<std::size_t>(row)];
    // Every part is assigned; one announcement covers them all.
    bool changed = percent && assignProgress(job, *percent);
    changed = assignCurrentTime(job, currentTime) || changed;
    changed = assignStatus(job, status, {}) || changed;
    if (changed) {
        rowChanged(row);
    }
}

void JobListModel::setDone(int row, const QString& detail) {
    if (!isValidRow(row)) {
        return;
    }
    JobRow& job = m_rows[static_cast<std::size_t>(row)];
    bool changed = assignProgress(job, 100);
    changed = assignStatus(job, JobStatus::Done, detail) || changed;
    if (changed) {
        rowChanged(row);
    }
}

bool JobListModel::assignProgress(JobRow& job, int percent) {
    const int clamped = std::clamp(percent, 0, 100);
    if (job.progress == clamped) {
        return false;
    }
    job.progress = clamped;
    return true;
}

bool JobListModel::assignCurrentTime(JobRow& job, const QString& text) {
    if (job.currentTime == text) {
        return false;
    }
    job.currentTime = text;
    return true;
}

bool JobListModel::assignStatus(JobRow& job, JobStatus status, const QString& detail) {
    if (job.status == status && job.detail == detail) {
        return false;
    }
    job.status = status;
    job.detail = detail;
    return true;
}

void JobListModel::setOutputFile(int row, const QString& outputFile) {
    if (isValidRow(row)) {
        m_rows[static_cast<std::size_t>(row)].outputFile = outputFile;
        rowChanged(row);
    }
}

int JobListModel::countWithStatus(JobStatus status) const {
    return static_cast<int>(
        std::ranges::count(m_rows, status, [](const JobRow& row) { return row.status; }));
}

}  // namespace velmora::app
