#include "app/JobQueue.h"

#include <QPointer>
#include <QStringList>
#include <algorithm>
#include <limits>

#include "app/JobListModel.h"
#include "app/LogPane.h"
#include "medialib/MainThreadQueue.h"
#include "profiles/StoredSettings.h"
#include "profiles/TaskBuilding.h"

namespace velmora::app {

namespace {

constexpr std::int64_t kMicrosecondsPerSecond = 1'000'000;
// Failures listed by name in the box that reports rows which could not start.
constexpr int kListedStartFailures = 5;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Whole seconds of output written so far, as the "当前时间" column shows them.
QString convertedTimeText(std::int64_t currentUs) {
    return QString::number(std::max<std::int64_t>(currentUs, 0) / kMicrosecondsPerSecond) +
           QStringLiteral("   (秒)");
}

int percentOf(std::int64_t currentUs, std::int64_t totalUs) {
    if (currentUs <= 0) {
        return 0;
    }
    if (currentUs >= totalUs) {
        return 100;
    }
    // currentUs < totalUs here, so only the product can overflow.
    if (currentUs > std::numeric_limits<std::int64_t>::max() / 100) {
        return static_cast<int>(currentUs / (totalUs / 100));
    }
    return static_cast<int>(currentUs * 100 / totalUs);
}

bool isDoneRow(const JobRow& row) {
    return row.status == JobStatus::Done;
}

JobState jobStateOf(JobStatus status) {
    switch (status) {
        case JobStatus::Ready:
            return JobState::Ready;
        case JobStatus::Converting:
            return JobState::Converting;
        case JobStatus::Paused:
            return JobState::Paused;
        case JobStatus::Stopped:
            return JobState::Stopped;
        case JobStatus::Done:
            return JobState::Done;
        case JobStatus::Incomplete:
            return JobState::Incomplete;
        case JobStatus::Failed:
            return JobState::Failed;
    }
    return JobState::Ready;
}

}  // namespace

JobQueue::JobQueue(TMediaConverter& converter, JobListModel& jobs, LogPane& log,
                   const DesktopSeams& seams, QWidget* dialogParent)
    : QObject(dialogParent),
      m_converter(converter),
      m_jobs(jobs),
      m_log(log),
      m_seams(seams),
      m_dialogParent(dialogParent) {}

JobQueue::~JobQueue() {
    detach();
}

void JobQueue::attach() {
    QPointer<JobQueue> self(this);
    m_converter.SetTriggerEventInMainThread(true);
    m_converter.SetOnProgress([self](TCustomMediaConverter&, PProgressInfo info) {
        if (self && info) {
            self->handleProgress(*info);
        }
    });
    m_converter.SetOnTerminate([self](TCustomMediaConverter&, const TTerminateInfo& info) {
        // On the converter's notice thread: the GUI thread handles it while this thread waits,
        // so the notices are handled one at a time, in order.
        RunInMainThread([self, &info] {
            if (self) {
                self->handleTerminate(info);
            }
        });
    });
    m_attached = true;
}

void JobQueue::detach() {
    if (!m_attached) {
        return;
    }
    m_attached = false;
    m_converter.SetOnCustomHook({});
    m_converter.SetOnProgress({});
    m_converter.SetOnTerminate({});
}

void JobQueue::setState(QueueState state) {
    m_state = state;
    emit stateChanged(state);
}

bool JobQueue::hasFreeSlot() const {
    return m_slots.countInState(kSlotFree) > 0;
}

int JobQueue::appendJob(const JobRecords& records, const JobOrigin& origin) {
    const auto slot = m_slots.store(records.input, records.output, origin);
    if (!slot) {
        return -1;
    }
    m_listedNames.sources.add(records.input.FileName);
    m_listedNames.outputs.add(records.output.FileName);
    const int row = m_jobs.appendJob(
        JobListModel::rowFor(fromUtf8(records.input.FileName), fromUtf8(records.output.FileName)));
    emit jobsChanged();
    return row;
}

std::vector<JobListEntry> JobQueue::listedJobs() const {
    std::vector<JobListEntry> jobs;
    jobs.reserve(static_cast<std::size_t>(m_jobs.rowCount()));
    for (int row = 0; row < m_jobs.rowCount(); ++row) {
        const JobSlot& slot = m_slots.slot(row);
        const JobRow& shown = m_jobs.job(row);
        JobListEntry entry;
        entry.input = slot.input;
        entry.output = slot.output;
        entry.origin = slot.origin;
        entry.state = jobStateOf(shown.status);
        entry.detail = shown.detail.toStdString();
        jobs.push_back(std::move(entry));
    }
    return jobs;
}

int JobQueue::restoreJobs(const std::vector<JobListEntry>& jobs) {
    if (!isIdle()) {
        return 0;
    }
    int restored = 0;
    for (const JobListEntry& job : jobs) {
        if (isFinished(job.state)) {
            continue;
        }
        if (!m_slots.store(job.input, job.output, job.origin)) {
            break;
        }
        m_listedNames.sources.add(job.input.FileName);
        m_listedNames.outputs.add(job.output.FileName);
        m_jobs.appendJob(
            JobListModel::rowFor(fromUtf8(job.input.FileName), fromUtf8(job.output.FileName)));
        ++restored;
    }
    if (restored > 0) {
        emit jobsChanged();
    }
    return restored;
}

void JobQueue::remove(int row) {
    if (!m_jobs.isValidRow(row)) {
        m_seams.messageBox(m_dialogParent, QMessageBox::Information, QStringLiteral("提示"),
                           QStringLiteral("请先选择您需要删除的项目！"), QMessageBox::Ok);
        return;
    }
    if (!isIdle()) {
        return;
    }
    m_busy = true;
    emit previewStopRequested();
    // While the tasks registered at add time still match the rows, the row's task goes too.
    if (m_jobs.job(row).status == JobStatus::Ready &&
        m_converter.TasksCount() >= m_jobs.rowCount()) {
        m_converter.RemoveTask(row);
    }
    m_listedNames.sources.remove(m_slots.slot(row).input.FileName);
    m_listedNames.outputs.remove(m_slots.slot(row).output.FileName);
    m_jobs.removeJob(row);
    m_slots.retire(row);
    m_busy = false;
    emit previewStopRequested();
    emit jobsChanged();
}

void JobQueue::clear() {
    if (!isIdle()) {
        return;
    }
    m_converter.ClearTasks();
    emit previewStopRequested();
    m_jobs.clear();
    m_slots.reset();
    m_listedNames = {};
    emit jobsChanged();
}

int JobQueue::moveUp(int row) {
    if (!isIdle() || row <= 0 || !m_jobs.isValidRow(row)) {
        return -1;
    }
    m_busy = true;
    m_jobs.swapWithNext(row - 1);
    m_slots.swapSlots(row - 1, row);
    m_busy = false;
    emit jobsChanged();
    return row - 1;
}

int JobQueue::moveDown(int row) {
    if (!isIdle() || !m_jobs.isValidRow(row) || !m_jobs.isValidRow(row + 1)) {
        return -1;
    }
    m_busy = true;
    m_jobs.swapWithNext(row);
    m_slots.swapSlots(row, row + 1);
    m_busy = false;
    emit jobsChanged();
    return row + 1;
}

void JobQueue::startOrResume(const RunSettings& settings) {
    if (m_state == QueueState::Paused) {
        resume();
    } else if (isIdle() && m_jobs.rowCount() > 0) {
        start(settings);
    }
}

void JobQueue::start(const RunSettings& settings) {
    bool skipDone = false;
    if (m_jobs.countWithStatus(JobStatus::Done) > 0) {
        const auto answer =
            m_seams.messageBox(m_dialogParent, QMessageBox::Question, QStringLiteral("提示"),
                               QStringLiteral("列表中有已完成的任务，是否重新转换？"),
                               QMessageBox::Yes | QMessageBox::No);
        skipDone = answer != QMessageBox::Yes;
    }
    if (const std::string problem = ensureFolder(settings.outputFolder); !problem.empty()) {
        showWarning(QStringLiteral("无法使用输出目录：") + fromUtf8(problem));
        return;
    }
    m_stopRequested = false;
    buildRunTasks(settings, skipDone);
    emit jobsChanged();
    if (m_taskRows.empty()) {
        return;
    }
    m_converter.SetThreadPriority(settings.priority);
    m_runClock.start();
    m_pausedUs = 0;
    setState(QueueState::Running);
    m_converter.StartTask(std::min(static_cast<int>(m_taskRows.size()), settings.filesAtOnce));
}

void JobQueue::buildRunTasks(const RunSettings& settings, bool skipDone) {
    const TaskList list =
        ::velmora::buildTasks(m_slots, settings.outputFolder, settings.rule, fileExistsOnDisk);
    // The tasks registered at add time only proved that each job can be set up.
    m_converter.ClearTasks();
    m_log.clearLines();
    m_taskRows.clear();
    m_taskProgress.clear();
    m_summary = RunSummary{};

    std::vector<bool> inRun(static_cast<std::size_t>(m_jobs.rowCount()), false);
    for (int row = 0; row < m_jobs.rowCount(); ++row) {
        inRun[static_cast<std::size_t>(row)] = !(skipDone && isDoneRow(m_jobs.job(row)));
    }
    for (int row = 0; row < m_jobs.rowCount(); ++row) {
        if (inRun[static_cast<std::size_t>(row)]) {
            m_jobs.setProgress(row, 0);
            m_jobs.setCurrentTime(row, QStringLiteral("0"));
            m_jobs.setStatus(row, JobStatus::Ready);
        }
    }

    QStringList failures;
    for (const TaskSpec& spec : list.tasks) {
        const int row = spec.slotIndex;
        if (!m_jobs.isValidRow(row) || !inRun[static_cast<std::size_t>(row)]) {
            continue;
        }
        TaskSpec task = spec;
        // A job kept since an earlier session (or added long ago) converts only the source it
        // was made for.
        if (const std::string change =
                sourceChangeReason(task.inputFileName(), m_slots.slot(row).origin.source);
            !change.empty()) {
            const QString reason = fromUtf8(change);
            m_log.appendNotice(QStringLiteral("***") + reason);
            failRowAtStart(row, reason);
            failures << reason;
            continue;
        }
        m_jobs.setOutputFile(row, fromUtf8(task.outputFileName()));
        const int index = m_converter.AddTask(task.inputFileName(), &task.input);
        if (index < 0) {
            const QString reason = fromUtf8(m_converter.LastErrMsg());
            m_log.appendNotice(QStringLiteral("***打开文件失败: ") + reason);
            failRowAtStart(row, reason);
            failures << fromUtf8(task.inputFileName()) + QStringLiteral(": ") + reason;
            continue;
        }
        if (!m_converter.SetOutputFile(index, task.outputFileName(), &task.output)) {
            const QString reason = fromUtf8(m_converter.LastErrMsg());
            m_converter.RemoveTask(index);
            m_log.appendNotice(QStringLiteral("***不能进行正常转换: ") + reason);
            failRowAtStart(row, reason);
            failures << fromUtf8(task.inputFileName()) + QStringLiteral(": ") + reason;
            continue;
        }
        m_taskRows.push_back(row);
        m_taskProgress.push_back(
            {jobMediaDurationUs(m_slots.slot(row).origin, task.input, task.output), 0, false});
    }
    for (const int row : list.skippedSlots) {
        if (m_jobs.isValidRow(row) && inRun[static_cast<std::size_t>(row)]) {
            const QString reason = QString::fromUtf8(kNoOutputNameMessage) +
                                   fromUtf8(m_slots.slot(row).output.FileName);
            failRowAtStart(row, reason);
            failures << reason;
        }
    }
    m_taskEnded.assign(m_taskRows.size(), false);
    m_summary.tasks = static_cast<int>(m_taskRows.size());

    if (!failures.isEmpty()) {
        QString text = QStringLiteral("以下任务无法开始转换：");
        for (qsizetype i = 0; i < failures.size() && i < kListedStartFailures; ++i) {
            text += QLatin1Char('\n') + failures[i];
        }
        if (failures.size() > kListedStartFailures) {
            text += QStringLiteral("\n……");
        }
        showWarning(text);
    }
}

void JobQueue::failRowAtStart(int row, const QString& reason) {
    m_jobs.setStatus(row, JobStatus::Failed, reason);
    ++m_summary.failed;
}

void JobQueue::resume() {
    m_pausedUs += m_pauseClock.nsecsElapsed() / 1000;
    setState(QueueState::Running);
    m_converter.ResumeTasks();
    // The rows keep "暂停" until their task reports progress again.
}

void JobQueue::pause() {
    if (m_state != QueueState::Running) {
        return;
    }
    // Started before the state is announced: the time estimate it triggers leaves the pause out.
    m_pauseClock.start();
    setState(QueueState::Paused);
    m_converter.PauseTasks();
    for (int row = 0; row < m_jobs.rowCount(); ++row) {
        if (m_jobs.job(row).status == JobStatus::Converting) {
            m_jobs.setStatus(row, JobStatus::Paused);
        }
    }
}

void JobQueue::stop() {
    if (m_state != QueueState::Running && m_state != QueueState::Paused) {
        return;
    }
    const auto answer = m_seams.messageBox(
        m_dialogParent, QMessageBox::Information, QStringLiteral("提示信息"),
        QStringLiteral("您确实要终止目前的转换工作吗？"), QMessageBox::Ok | QMessageBox::Cancel);
    // The run may have ended while the question was open.
    if (answer != QMessageBox::Ok ||
        (m_state != QueueState::Running && m_state != QueueState::Paused)) {
        return;
    }
    m_stopRequested = true;
    setState(QueueState::Stopping);
    // Waits for every task; their notices, the last one included, are handled meanwhile.
    m_converter.StopTasks(true);
}

std::optional<std::int64_t> JobQueue::timeLeftUs() const {
    if (isIdle() || m_taskProgress.empty()) {
        return std::nullopt;
    }
    std::int64_t elapsedUs = m_runClock.nsecsElapsed() / 1000 - m_pausedUs;
    if (m_state == QueueState::Paused && m_pauseClock.isValid()) {
        elapsedUs -= m_pauseClock.nsecsElapsed() / 1000;
    }
    return listTimeLeftUs(m_taskProgress, elapsedUs);
}

int JobQueue::rowOfTask(int taskIndex) const {
    if (taskIndex < 0 || taskIndex >= static_cast<int>(m_taskRows.size())) {
        return -1;
    }
    return m_taskRows[static_cast<std::size_t>(taskIndex)];
}

void JobQueue::handleProgress(const TProgressInfo& info) {
    if (!m_attached || isIdle()) {
        return;
    }
    const int row = rowOfTask(info.TaskIndex);
    if (row < 0 || m_taskEnded[static_cast<std::size_t>(info.TaskIndex)]) {
        return;
    }
    JobProgress& progress = m_taskProgress[static_cast<std::size_t>(info.TaskIndex)];
    progress.convertedUs = info.CurrentDuration;
    if (progress.durationUs <= 0 && info.TotalDuration > 0) {
        progress.durationUs = info.TotalDuration;
    }
    // A report that was already on its way when the user paused does not undo the pause.
    m_jobs.showProgress(row,
                        info.TotalDuration > 0
                            ? std::optional(percentOf(info.CurrentDuration, info.TotalDuration))
                            : std::nullopt,
                        convertedTimeText(info.CurrentDuration),
                        m_state == QueueState::Paused ? JobStatus::Paused : JobStatus::Converting);
    emit timeLeftChanged();
}

void JobQueue::handleTerminate(const TTerminateInfo& info) {
    if (!m_attached) {
        return;
    }
    if (info.TaskIndex < 0) {
        finishRun();
        return;
    }
    const int row = rowOfTask(info.TaskIndex);
    if (row >= 0 && !m_taskEnded[static_cast<std::size_t>(info.TaskIndex)]) {
        m_taskEnded[static_cast<std::size_t>(info.TaskIndex)] = true;
        JobProgress& progress = m_taskProgress[static_cast<std::size_t>(info.TaskIndex)];
        progress.ended = true;
        if (isDone(info.EndState) && !info.Exception) {
            progress.convertedUs = std::max(progress.convertedUs, progress.durationUs);
        }
        const QString remark = fromUtf8(info.EndStateText);
        // A failure never reads "完成", whatever else the record says.
        switch (info.Exception ? TaskEndState::Failed : info.EndState) {
            case TaskEndState::Failed:
                m_jobs.setStatus(row, JobStatus::Failed,
                                 info.ExceptionMsg.empty() ? remark : fromUtf8(info.ExceptionMsg));
                ++m_summary.failed;
                break;
            case TaskEndState::Incomplete:
                m_jobs.setStatus(row, JobStatus::Incomplete, remark);
                ++m_summary.incomplete;
                break;
            case TaskEndState::Stopped:
                // The row keeps its status until the whole run has ended.
                break;
            case TaskEndState::Done:
            case TaskEndState::DoneWithSkippedData:
            case TaskEndState::DoneWithDroppedStream:
                m_jobs.setDone(row, remark);
                ++m_summary.done;
                break;
        }
        emit jobsChanged();
        emit timeLeftChanged();
    }
    if (info.Exception) {
        m_seams.messageBox(m_dialogParent, QMessageBox::Warning, QStringLiteral("Velmora"),
                           fromUtf8(info.ExceptionMsg), QMessageBox::Ok);
    }
}

void JobQueue::finishRun() {
    if (isIdle()) {
        return;
    }
    setState(QueueState::Idle);
    if (m_stopRequested) {
        for (int row = 0; row < m_jobs.rowCount(); ++row) {
            const JobStatus status = m_jobs.job(row).status;
            if (status == JobStatus::Converting || status == JobStatus::Paused) {
                m_jobs.setStatus(row, JobStatus::Stopped);
            }
        }
    }
    m_converter.ClearTasks();
    m_taskRows.clear();
    m_taskEnded.clear();
    m_taskProgress.clear();
    m_summary.stopped = m_stopRequested;
    emit jobsChanged();
    emit runEnded(m_summary);
}

void JobQueue::showWarning(const QString& text) {
    m_seams.messageBox(m_dialogParent, QMessageBox::Warning, QStringLiteral("Velmora"), text,
                       QMessageBox::Ok);
}

}  // namespace velmora::app
