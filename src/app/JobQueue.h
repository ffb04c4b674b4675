// The job list's queue: the stored jobs beside the rows, the list commands (remove, clear, move
// up and down) and the run through the converter (start, pause, resume, stop), with each task's
// progress and end shown on its own row.
//
// Threads: everything runs on the GUI thread. The converter reports progress on the GUI thread;
// its termination notices come on threads of its own and are carried over with RunInMainThread
// (the notice thread waits), one after another in the order they arrive.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "app/DesktopSeams.h"
#include "component/MediaConverter.h"
#include "engine/ConvertThread.h"
#include "profiles/JobListFile.h"
#include "profiles/JobRecords.h"
#include "profiles/JobSlots.h"
#include "profiles/ListTimeLeft.h"
#include "profiles/OutputNaming.h"

class QWidget;

namespace velmora::app {

class JobListModel;
class LogPane;

enum class QueueState { Idle, Running, Paused, Stopping };

// What Start takes from the settings group.
struct RunSettings {
    std::string outputFolder;
    ExistingFileRule rule = ExistingFileRule::NewName;
    ThreadPriority priority = ThreadPriority::normal;
    int filesAtOnce = 1;
};

// How a run ended, for the after-all action and the desktop notification.
struct RunSummary {
    bool stopped = false;  // ended by the user's Stop
    int tasks = 0;         // tasks the run started with
    int done = 0;
    int incomplete = 0;
    int failed = 0;  // failed while converting or already at Start
};

class JobQueue : public QObject {
    Q_OBJECT
public:
    // dialogParent: the window the queue's message boxes belong to.
    JobQueue(TMediaConverter& converter, JobListModel& jobs, LogPane& log,
             const DesktopSeams& seams, QWidget* dialogParent);
    ~JobQueue() override;

    // Connects the converter's progress and termination notices to the rows.
    void attach();
    // Disconnects them; a notice already on its way is ignored from now on.
    void detach();

    QueueState state() const { return m_state; }
    bool isIdle() const { return m_state == QueueState::Idle; }
    // True while a row is removed or moved: the selection changes then start no preview.
    bool busy() const { return m_busy; }
    const JobSlotTable& jobSlots() const { return m_slots; }
    bool hasFreeSlot() const;
    // The sources and outputs of the listed jobs, which a new job's output must avoid; kept as
    // rows come and go.
    const JobListNames& listedNames() const { return m_listedNames; }

    // Appends a registered job as a new row "准备", stored in the lowest free slot with what it
    // was made from. Its row, or -1 when no slot is free.
    int appendJob(const JobRecords& records, const JobOrigin& origin = {});

    // The listed jobs in row order as the job-list file keeps them: records, origin, state.
    std::vector<JobListEntry> listedJobs() const;
    // Lists the unfinished jobs of a kept list after the rows there are, in their order, each as
    // a new row "准备" in the lowest free slot, exactly as an add stores it. How many were listed
    // (fewer when the slots run out). Only while idle.
    int restoreJobs(const std::vector<JobListEntry>& jobs);

    // Remove asks for a selection first (row -1); Remove, Clear and the moves act only while
    // the queue is idle. A move returns the job's new row, -1 when nothing moved.
    void remove(int row);
    void clear();
    int moveUp(int row);
    int moveDown(int row);

    // Convert: a new run, or the resumption of a paused one.
    void startOrResume(const RunSettings& settings);
    void pause();
    // Asks first; then stops every task and waits for them.
    void stop();

    // The time the rest of the run will take, from the jobs' durations and the speed of the run
    // so far (paused time left out); nothing while idle or before a speed is measured.
    std::optional<std::int64_t> timeLeftUs() const;

    // The converter's notices as they reach the GUI thread.
    void handleProgress(const TProgressInfo& info);
    void handleTerminate(const TTerminateInfo& info);

signals:
    void stateChanged(QueueState state);
    // The list changed in a way its saved copy must follow: a job added, removed, moved or
    // restored, the list cleared, a run built, a job ended, the run ended.
    void jobsChanged();
    // The last task has ended and the converter's tasks are cleared.
    void runEnded(const RunSummary& summary);
    // The run's progress moved on: timeLeftUs() may tell something new.
    void timeLeftChanged();
    // Remove and Clear close the preview.
    void previewStopRequested();

private:
    void setState(QueueState state);
    void start(const RunSettings& settings);
    void resume();
    // Rebuilds the converter's tasks from the stored jobs; rows whose task cannot be set up are
    // marked failed. skipDone leaves the rows that are already done out of the run.
    void buildRunTasks(const RunSettings& settings, bool skipDone);
    void failRowAtStart(int row, const QString& reason);
    void finishRun();
    int rowOfTask(int taskIndex) const;
    void showWarning(const QString& text);

    TMediaConverter& m_converter;
    JobListModel& m_jobs;
    LogPane& m_log;
    const DesktopSeams& m_seams;
    QWidget* m_dialogParent;

    JobSlotTable m_slots;
    JobListNames m_listedNames;  // the names of the full slots' records
    QueueState m_state = QueueState::Idle;
    bool m_stopRequested = false;  // the run was stopped by the user
    bool m_busy = false;
    bool m_attached = false;
    // Task index -> row of the current run: a task that could not be added shifts the indexes
    // of the ones after it.
    std::vector<int> m_taskRows;
    std::vector<bool> m_taskEnded;
    RunSummary m_summary;
    // Per task of the run, for the time estimate; the run's clock and its paused time.
    std::vector<JobProgress> m_taskProgress;
    QElapsedTimer m_runClock;
    QElapsedTimer m_pauseClock;
    std::int64_t m_pausedUs = 0;
};

}  // namespace velmora::app
