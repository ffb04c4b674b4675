// The job list as a Qt model: one row per job in list order, seven columns. The number column is
// always the row's position, so the rows are renumbered 1..n by every add, removal and move.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <optional>
#include <vector>

namespace velmora::app {

// A row's status. Done covers the done states that carry a remark (skipped data, a dropped
// stream); the remark is the row's detail.
enum class JobStatus { Ready, Converting, Paused, Stopped, Done, Incomplete, Failed };

// "准备", "转换中...", "暂停", "停止", "完成", "不完整", "失败".
QString statusText(JobStatus status);

struct JobRow {
    QString sourceFile;
    QString sourceFormat;  // extension of the source without the dot, upper case
    QString targetFormat;  // extension of the output without the dot, upper case
    QString currentTime = QStringLiteral("0");
    int progress = 0;  // 0..100
    JobStatus status = JobStatus::Ready;
    QString detail;      // why it failed or is incomplete, or a done state's remark
    QString outputFile;  // the name the output was last given
};

class JobListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        NumberColumn,
        SourceFileColumn,
        SourceFormatColumn,
        TargetFormatColumn,
        CurrentTimeColumn,
        ProgressColumn,
        StatusColumn,
        kColumnCount
    };

    explicit JobListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display: the column texts, and the progress column's number 0..100. Tool tip: the row's
    // detail when it has one (every column), else the source path on the source column.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A new job's row for a source and its output, as an add shows it.
    static JobRow rowFor(const QString& sourceFile, const QString& outputFile);

    // Appends a row; its index.
    int appendJob(JobRow row);
    void removeJob(int row);
    void clear();
    // Exchanges two neighbouring rows; false when either is out of range.
    bool swapWithNext(int row);

    const JobRow& job(int row) const { return m_rows.at(static_cast<std::size_t>(row)); }
    bool isValidRow(int row) const;

    void setProgress(int row, int percent);
    void setCurrentTime(int row, const QString& text);
    void setStatus(int row, JobStatus status, const QString& detail = {});
    // One progress report: the percentage (when the length is known), the converted time and the
    // status, announced as one change of the row.
    void showProgress(int row, std::optional<int> percent, const QString& currentTime,
                      JobStatus status);
    // A job that ended well: full bar and "完成" with its remark, announced as one change.
    void setDone(int row, const QString& detail);
    void setOutputFile(int row, const QString& outputFile);

    int countWithStatus(JobStatus status) const;

private:
    void rowChanged(int row);
    // Each stores its part of a row; true when that changed what the row shows.
    static bool assignProgress(JobRow& job, int percent);
    static bool assignCurrentTime(JobRow& job, const QString& text);
    static bool assignStatus(JobRow& job, JobStatus status, const QString& detail);

    std::vector<JobRow> m_rows;
};

}  // namespace velmora::app
