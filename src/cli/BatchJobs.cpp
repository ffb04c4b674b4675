#include "cli/BatchJobs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "cli/InterruptWatch.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "probe/MediaProbe.h"
#include "profiles/FileNames.h"
#include "profiles/JobCreation.h"
#include "profiles/ProfileCatalogue.h"
#include "profiles/StoredSettings.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

// "Permission denied" as the middle of a sentence.
std::string systemErrorText(int number) {
    std::string text = std::generic_category().message(number);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

// The folder a file is made in.
std::string folderOf(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

// True when the source holds no audio stream; false when it does or cannot be opened (the add
// tells why it cannot).
bool hasNoAudio(TMediaConverter& converter, const std::string& sourceFile) {
    TMediaProbe& probe = converter.MediaProbe();
    if (!probe.Open(sourceFile)) {
        return false;
    }
    const bool none = probe.AudioStreamCount() == 0;
    probe.Close();
    return none;
}

}  // namespace

std::string folderWriteProblem(const std::string& folder) {
    // The effective rights decide, as they do when the file is created.
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0) {
        return {};
    }
    return "cannot write to " + folder + ": " + systemErrorText(errno);
}

int exitCodeOf(const std::vector<JobOutcome>& outcomes, bool interrupted) {
    if (interrupted) {
        return kInterruptedExitCode;
    }
    for (const JobOutcome& outcome : outcomes) {
        if (outcome.status != JobStatus::done) {
            return kExitJobFailed;
        }
    }
    return kExitAllDone;
}

bool wroteOutput(const JobOutcome& outcome) {
    return outcome.status != JobStatus::failed && outcome.status != JobStatus::notAdded;
}

void fillOutputFacts(JobOutcome& outcome) {
    outcome.sizeBytes = -1;
    outcome.durationUs = -1;
    std::error_code error;
    const auto size = fs::file_size(fs::path(outcome.output), error);
    if (outcome.output.empty() || error) {
        return;
    }
    outcome.sizeBytes = static_cast<std::int64_t>(size);
    TMediaProbe probe;
    TFileStreamInfo info;
    if (probe.Open(outcome.output) && probe.GetFileStreamInfo(info)) {
        outcome.durationUs = info.Duration;
    }
}

std::optional<ThreadPriority> priorityNamed(std::string_view name) {
    if (name == "idle") {
        return ThreadPriority::idle;
    }
    if (name == "lowest") {
        return ThreadPriority::lowest;
    }
    if (name == "lower") {
        return ThreadPriority::lower;
    }
    if (name == "normal") {
        return ThreadPriority::normal;
    }
    return std::nullopt;
}

std::string prepareOutputFolder(const std::string& folder) {
    if (const std::string problem = ensureFolder(folder); !problem.empty()) {
        return "unusable output folder: " + problem;
    }
    return folderWriteProblem(folder);
}

BatchJobs::BatchJobs(ConversionReporter& reporter) : m_reporter(reporter) {}

bool BatchJobs::loadLibraries() {
    if (m_converter.AVLibLoaded() || m_converter.LoadAVLib(DefaultLibraryFolder())) {
        return true;
    }
    m_reporter.notice(NoticeLevel::error,
                      "cannot load the media libraries: " + m_converter.LastErrMsg());
    return false;
}

void BatchJobs::planSources(const std::vector<std::string>& sources) {
    for (const std::string& source : sources) {
        m_listed.sources.add(source);
    }
}

void BatchJobs::refuseSource(const std::string& source, const std::string& message) {
    JobOutcome outcome;
    outcome.job = static_cast<int>(m_outcomes.size());
    outcome.source = source;
    refuse(outcome, message);
}

bool BatchJobs::refuse(JobOutcome outcome, const std::string& message) {
    outcome.status = JobStatus::notAdded;
    outcome.message = message;
    m_outcomes.push_back(outcome);
    m_reporter.finished(outcome);
    return false;
}

bool BatchJobs::addFile(const std::string& sourceFile, const JobChoices& choices,
                        const std::string& outputFolder, ExistingFileRule rule) {
    JobOutcome outcome;
    outcome.job = static_cast<int>(m_outcomes.size());
    outcome.source = sourceFile;

    // An audio profile converts nothing from a source without sound: say so now, not when the
    // job runs.
    const TProfileEntry* profile = findProfile(choices.profileCode);
    if (profile != nullptr && profile->AudioOnly && hasNoAudio(m_converter, sourceFile)) {
        return refuse(outcome, "the source has no audio stream");
    }

    const JobCreation created =
        createJob(m_converter, sourceFile, choices, outputFolder, rule, m_listed);
    outcome.output = created.records.output.FileName;  // empty until the output is named
    switch (created.failedAt) {
        case JobStep::Added:
            break;
        case JobStep::OpenSource:
        case JobStep::AddTask:
            return refuse(outcome, "cannot open the source: " + created.message);
        case JobStep::Options:
            return refuse(outcome, created.message);
        case JobStep::OutputName:
            return refuse(outcome, "no free output name for " + created.message);
        case JobStep::OutputIsSource:
            outcome.output = created.message;
            return refuse(outcome, "the output " + created.message + " would overwrite " +
                                       (sameFilePath(created.message, sourceFile)
                                            ? std::string("its source")
                                            : "the source of another job of this batch"));
        case JobStep::SourceIsListedOutput:
            return refuse(outcome, "the source is the output of an earlier job of this batch");
        case JobStep::SetOutputFile:
            // A folder that takes no files says so in words the user can act on.
            if (std::string problem = folderWriteProblem(folderOf(outcome.output));
                !problem.empty()) {
                return refuse(outcome, problem);
            }
            return refuse(outcome, "cannot convert with these options: " + created.message);
    }
    m_listed.outputs.add(outcome.output);
    // Usually planned already; a second listing of one name costs nothing.
    m_listed.sources.add(sourceFile);
    acceptJob(outcome,
              {created.records.input, created.records.output, created.origin, JobState::Ready, ""});
    return true;
}

bool BatchJobs::addListedJob(const JobListEntry& entry, int number) {
    JobOutcome outcome;
    outcome.job = number;
    outcome.source = entry.input.FileName;
    outcome.output = entry.output.FileName;
    const JobCreation created = registerJob(m_converter, {entry.input, entry.output});
    if (!created.added()) {
        if (std::string problem = folderWriteProblem(folderOf(outcome.output)); !problem.empty()) {
            return refuse(outcome, problem);
        }
        return refuse(outcome, "cannot convert with the listed options: " + created.message);
    }
    JobListEntry accepted = entry;
    accepted.state = JobState::Ready;
    accepted.detail.clear();
    acceptJob(outcome, std::move(accepted));
    return true;
}

void BatchJobs::skipDoneJob(const JobListEntry& entry, int number, const std::string& message) {
    JobOutcome outcome;
    outcome.job = number;
    outcome.source = entry.input.FileName;
    outcome.output = entry.output.FileName;
    outcome.status = JobStatus::done;
    outcome.message = message;
    outcome.skipped = true;
    fillOutputFacts(outcome);
    m_outcomes.push_back(outcome);
    m_reporter.finished(outcome);
}

void BatchJobs::refuseListedJob(const JobListEntry& entry, int number, const std::string& message) {
    JobOutcome outcome;
    outcome.job = number;
    outcome.source = entry.input.FileName;
    outcome.output = entry.output.FileName;
    refuse(outcome, message);
}

void BatchJobs::acceptJob(const JobOutcome& outcome, JobListEntry entry) {
    m_taskJobs.push_back(static_cast<int>(m_outcomes.size()));
    m_workDone.push_back({jobMediaDurationUs(entry.origin, entry.input, entry.output), 0, false});
    m_addedJobs.push_back(std::move(entry));
    m_outcomes.push_back(outcome);
    m_reporter.added(outcome.job, outcome.source, outcome.output);
}

std::int64_t BatchJobs::listTimeLeftUs(Clock::time_point now) const {
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - m_runStart);
    return velmora::listTimeLeftUs(m_workDone, elapsed.count()).value_or(-1);
}

void BatchJobs::finishJob(const TTerminateInfo& info) {
    if (info.TaskIndex < 0 || info.TaskIndex >= static_cast<int>(m_taskJobs.size())) {
        return;
    }
    const std::size_t task = static_cast<std::size_t>(info.TaskIndex);
    const int job = m_taskJobs[task];
    JobOutcome& outcome = m_outcomes[static_cast<std::size_t>(job)];
    velmora::JobProgress& work = m_workDone[task];
    const auto now = Clock::now();
    // A task stopped while it was still waiting never ran.
    outcome.elapsedSeconds =
        m_taskStarts[task] ? std::chrono::duration<double>(now - *m_taskStarts[task]).count() : 0;
    applyEndReport(outcome, info.EndReport);
    if (m_taskStarts[task] && wroteOutput(outcome)) {
        fillOutputFacts(outcome);
    }
    // A job that ended has nothing left to convert, except one stopped before its end: the
    // summary counts what it still needs.
    if (outcome.status == JobStatus::done && work.durationUs > 0) {
        work.convertedUs = work.durationUs;
    }
    work.ended = outcome.status != JobStatus::stopped;
    m_endedJobs.insert(job);
    m_reporter.finished(outcome);

    // Each ending task lets the component start the next waiting one, unless the run stops.
    const std::size_t next = static_cast<std::size_t>(m_parallel + m_endedTasks);
    ++m_endedTasks;
    if (!m_stopping && next < m_taskStarts.size() && !m_taskStarts[next]) {
        m_taskStarts[next] = now;
    }
}

int BatchJobs::run(const RunSettings& settings, const std::function<bool()>& interrupted) {
    const int tasks = m_converter.TasksCount();
    if (tasks == 0) {
        m_reporter.allDone(m_outcomes, RunTotals{0, 0});
        return exitCodeOf(m_outcomes, false);
    }
    m_parallel = std::max(1, settings.parallel);
    m_endedTasks = 0;
    m_stopping = false;
    m_taskStarts.assign(static_cast<std::size_t>(tasks), std::nullopt);
    const auto now = Clock::now();
    m_runStart = now;
    for (int task = 0; task < std::min(tasks, m_parallel); ++task) {
        m_taskStarts[static_cast<std::size_t>(task)] = now;
    }

    m_converter.SetProgressInterval(settings.progressIntervalMs);
    m_converter.SetThreadPriority(settings.priority);
    m_converter.SetTriggerEventInMainThread(true);
    m_converter.SetOnProgress([this](TCustomMediaConverter&, PProgressInfo info) {
        if (info->TaskIndex < 0 || info->TaskIndex >= static_cast<int>(m_taskJobs.size())) {
            return;
        }
        const std::size_t task = static_cast<std::size_t>(info->TaskIndex);
        const int job = m_taskJobs[task];
        if (m_endedJobs.contains(job)) {
            return;  // a late report of a job that has already ended
        }
        JobProgress progress;
        progress.job = m_outcomes[static_cast<std::size_t>(job)].job;
        progress.convertedUs = info->CurrentDuration;
        progress.totalUs = info->TotalDuration;
        progress.frame = info->FrameNumber;
        progress.fps = info->FPS;
        // A report proves the task runs, should its start have gone unseen.
        std::optional<Clock::time_point>& start = m_taskStarts[task];
        if (!start) {
            start = Clock::now();
        }
        const auto now = Clock::now();
        progress.elapsedSeconds = std::chrono::duration<double>(now - *start).count();
        m_workDone[task].convertedUs = progress.convertedUs;
        progress.listTimeLeftUs = listTimeLeftUs(now);
        m_reporter.progress(progress);
    });
    m_converter.SetOnTerminate([this](TCustomMediaConverter&, const TTerminateInfo& info) {
        {
            std::lock_guard lock(m_noticeMutex);
            m_notices.push_back(info);
        }
        // The loop below takes the notice at once, not at its next tick.
        WakeMainThread();
    });

    m_converter.StartTask(m_parallel);
    bool allDone = false;
    while (!allDone) {
        PumpMessagesFor(std::chrono::milliseconds(50));
        std::vector<TTerminateInfo> notices;
        {
            std::lock_guard lock(m_noticeMutex);
            notices.swap(m_notices);
        }
        for (const TTerminateInfo& info : notices) {
            if (info.TaskIndex < 0) {
                allDone = true;
            } else {
                finishJob(info);
            }
        }
        if (!m_stopping && !allDone && interrupted && interrupted()) {
            m_stopping = true;
            m_reporter.notice(NoticeLevel::info,
                              "Interrupted: stopping the conversions (press Ctrl-C again after 2 "
                              "s to quit at once)");
            m_converter.StopTasks(true);
        }
    }
    m_converter.SetOnProgress({});
    m_converter.SetOnTerminate({});
    m_converter.ClearTasks();
    const auto end = Clock::now();
    m_reporter.allDone(
        m_outcomes,
        RunTotals{std::chrono::duration<double>(end - m_runStart).count(), listTimeLeftUs(end)});
    return exitCodeOf(m_outcomes, m_stopping);
}

}  // namespace velmora::cli
