// velmora-cli's batch: job creation for each source file, as the window's one-file add does it
// (probe, option settings, output naming, option records, AddTask and SetOutputFile), and the run
// of the converter's queue with up to n files at once, reported through a ConversionReporter.
//
// Threads: everything runs on the main thread. The converter raises progress on the main thread
// (TriggerEventInMainThread) while run() pumps the main-thread queue; termination notices come on
// the component's own threads and are handed over through a locked list.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/ConversionReporter.h"
#include "component/MediaConverter.h"
#include "engine/ConvertThread.h"
#include "profiles/JobChoices.h"
#include "profiles/JobListFile.h"
#include "profiles/JobRecords.h"
#include "profiles/ListTimeLeft.h"
#include "profiles/OutputNaming.h"

namespace velmora::cli {

inline constexpr int kExitAllDone = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitUsage = 2;

struct RunSettings {
    int parallel = 1;  // files converted at once
    ThreadPriority priority = ThreadPriority::normal;
    int progressIntervalMs = 500;
};

// 130 when the run was interrupted; 1 when a job was not added or did not end done; else 0.
int exitCodeOf(const std::vector<JobOutcome>& outcomes, bool interrupted);

// True when the job's end left an output it wrote: a failed job's part file is removed, and a
// file at its name (kept by --overwrite) is an older one.
bool wroteOutput(const JobOutcome& outcome);

// The size and duration of a written output (both -1 when it is missing or unreadable).
void fillOutputFacts(JobOutcome& outcome);

// The priority names of --priority; nothing for another text.
std::optional<ThreadPriority> priorityNamed(std::string_view name);

// Why no file can be made in the folder ("cannot write to DIR: permission denied"); empty when
// one can.
std::string folderWriteProblem(const std::string& folder);

// Creates the output folder (and its parents) when missing; an empty text on success, else why it
// cannot be used or written to.
std::string prepareOutputFolder(const std::string& folder);

class BatchJobs {
public:
    explicit BatchJobs(ConversionReporter& reporter);

    // Loads the converter's media libraries; false after reporting the loader's text.
    bool loadLibraries();

    // The sources of every job this batch will add: no job's output may overwrite one of them,
    // even one whose job comes later.
    void planSources(const std::vector<std::string>& sources);

    // Job creation for one source. False when the job could not be added: its outcome is then
    // recorded as not added and reported with the probe's, the option settings', the naming
    // rules' or the component's text, or as a source without audio for an audio profile.
    bool addFile(const std::string& sourceFile, const JobChoices& choices,
                 const std::string& outputFolder, ExistingFileRule rule);

    // A job of a job list with its fixed records, shown as job number + 1. False when the
    // converter refuses its records (recorded and reported as not added).
    bool addListedJob(const JobListEntry& entry, int number);

    // A job of a job list whose output is already there and complete: recorded and reported as
    // done without running it.
    void skipDoneJob(const JobListEntry& entry, int number, const std::string& message);

    // A job of a job list that cannot run (its source changed, its folder takes no files):
    // recorded and reported as not added, with the reason.
    void refuseListedJob(const JobListEntry& entry, int number, const std::string& message);

    // Records a name that gives no job (a folder that cannot be read, a name that is no path) as
    // not added, with the reason.
    void refuseSource(const std::string& source, const std::string& message);

    // Runs the added jobs to their end. interrupted is polled between pumps: once it returns true
    // the tasks are stopped (outputs closed) and the run ends. Returns the exit code.
    int run(const RunSettings& settings, const std::function<bool()>& interrupted);

    const std::vector<JobOutcome>& outcomes() const { return m_outcomes; }
    // The added jobs as a job list holds them, in the order they were added.
    const std::vector<JobListEntry>& addedJobs() const { return m_addedJobs; }
    TMediaConverter& converter() { return m_converter; }

private:
    using Clock = std::chrono::steady_clock;

    bool refuse(JobOutcome outcome, const std::string& message);
    void acceptJob(const JobOutcome& outcome, JobListEntry entry);
    void finishJob(const TTerminateInfo& info);
    // The wall time the run's jobs still need, now; -1 when it cannot be estimated.
    std::int64_t listTimeLeftUs(Clock::time_point now) const;

    ConversionReporter& m_reporter;
    TMediaConverter m_converter;
    std::vector<JobOutcome> m_outcomes;            // one per source, in the order they were given
    std::vector<int> m_taskJobs;                   // converter task index -> index in m_outcomes
    std::vector<JobListEntry> m_addedJobs;         // converter task index -> its list entry
    std::vector<velmora::JobProgress> m_workDone;  // converter task index -> for the estimate
    Clock::time_point m_runStart;
    std::vector<std::optional<Clock::time_point>> m_taskStarts;  // unset while a task waits
    std::set<int> m_endedJobs;
    // The sources of this batch's jobs (planned or added) and the output names given to them.
    JobListNames m_listed;
    int m_parallel = 1;
    int m_endedTasks = 0;
    bool m_stopping = false;  // the run was told to stop

    std::mutex m_noticeMutex;
    std::vector<TTerminateInfo> m_notices;  // guarded by m_noticeMutex
};

}  // namespace velmora::cli
