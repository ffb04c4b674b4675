#include "cli/BatchJobs.h"

#include <filesystem>

#include "cli/InterruptWatch.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "probe/MediaProbe.h"
#include "profiles/JobRecords.h"

namespace velmora::cli {

namespace {

namespace fs = std::filesystem;

}  // namespace

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
    std::error_code error;
    const fs::path path(folder);
    if (fs::is_directory(path, error)) {
        return {};
    }
    if (fs::exists(path, error)) {
        return "the output folder " + folder + " exists but is not a folder";
    }
    fs::create_directories(path, error);
    if (error || !fs::is_directory(path)) {
        return "cannot create the output folder " + folder + ": " +
               (error ? error.message() : std::string("unknown error"));
    }
    return {};
}

BatchJobs::BatchJobs(ConversionReporter& reporter) : m_reporter(reporter) {}

bool BatchJobs::loadLibraries() {
    if (m_converter.AVLibLoaded() || m_converter.LoadAVLib(DefaultLibraryFolder())) {
        return true;
    }
    m_reporter.notice("cannot load the media libraries: " + m_converter.LastErrMsg());
    return false;
}

void BatchJobs::planSources(const std::vector<std::string>& sources) {
    for (const std::string& source : sources) {
        if (!namesAny(m_batchSources, source)) {
            m_batchSources.push_back(source);
        }
    }
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

    // As in a window add, the probe must open the source before anything else is done.
    TMediaProbe& probe = m_converter.MediaProbe();
    if (!probe.Open(sourceFile)) {
        return refuse(outcome, "cannot open the source: " + probe.LastError());
    }
    TFileStreamInfo info;
    const std::int64_t durationUs = probe.GetFileStreamInfo(info) ? info.Duration : -1;
    probe.Close();

    const ResolvedJob resolved = resolveJob(choices, sourceFile, outputFolder, durationUs);
    if (!resolved.pending) {
        return refuse(outcome, resolved.error);
    }

    JobListNames list{m_batchSources, m_claimedOutputs};
    if (!namesAny(list.sources, sourceFile)) {
        list.sources.push_back(sourceFile);
    }
    JobBuild build = buildOneFileJob(*resolved.pending, rule, fileExistsOnDisk, list);
    if (!build.records) {
        switch (build.failure) {
            case JobBuildFailure::OutputIsSource:
                outcome.output = build.clash;
                return refuse(outcome, "the output " + build.clash + " would overwrite " +
                                           (sameFilePath(build.clash, sourceFile)
                                                ? std::string("its source")
                                                : "the source of another job of this batch"));
            case JobBuildFailure::SourceIsListedOutput:
                return refuse(outcome, "the source is the output of an earlier job of this batch");
            default:
                return refuse(outcome, "no free output name for " + build.clash);
        }
    }
    JobRecords& records = *build.records;
    outcome.output = records.output.FileName;
    records.output.ExtOptions = choices.extOptions;

    const int task = m_converter.AddTask(sourceFile, &records.input);
    if (task < 0) {
        return refuse(outcome, "cannot open the source: " + m_converter.LastErrMsg());
    }
    if (!m_converter.SetOutputFile(task, outcome.output, &records.output)) {
        const std::string message = m_converter.LastErrMsg();
        m_converter.RemoveTask(task);
        return refuse(outcome, "cannot convert with these options: " + message);
    }
    m_claimedOutputs.push_back(outcome.output);
    if (!namesAny(m_batchSources, sourceFile)) {
        m_batchSources.push_back(sourceFile);
    }
    m_taskJobs.push_back(outcome.job);
    m_outcomes.push_back(outcome);
    m_reporter.added(outcome.job, outcome.source, outcome.output);
    return true;
}

void BatchJobs::finishJob(const TTerminateInfo& info) {
    if (info.TaskIndex < 0 || info.TaskIndex >= static_cast<int>(m_taskJobs.size())) {
        return;
    }
    const int job = m_taskJobs[static_cast<std::size_t>(info.TaskIndex)];
    JobOutcome& outcome = m_outcomes[static_cast<std::size_t>(job)];
    const auto now = Clock::now();
    outcome.seconds =
        std::chrono::duration<double>(now - m_taskStarts[static_cast<std::size_t>(info.TaskIndex)])
            .count();
    applyEndReport(outcome, info.EndReport);
    fillOutputFacts(outcome);
    m_endedJobs.insert(job);
    m_reporter.finished(outcome);

    // Each ending task lets the component start the next waiting one.
    const std::size_t next = static_cast<std::size_t>(m_parallel + m_endedTasks);
    ++m_endedTasks;
    if (next < m_taskStarts.size()) {
        m_taskStarts[next] = now;
    }
}

int BatchJobs::run(const RunSettings& settings, const std::function<bool()>& interrupted) {
    const int tasks = m_converter.TasksCount();
    if (tasks == 0) {
        m_reporter.allDone(m_outcomes);
        return exitCodeOf(m_outcomes, false);
    }
    m_parallel = std::max(1, settings.parallel);
    m_endedTasks = 0;
    m_taskStarts.assign(static_cast<std::size_t>(tasks), Clock::now());

    m_converter.SetProgressInterval(settings.progressIntervalMs);
    m_converter.SetThreadPriority(settings.priority);
    m_converter.SetTriggerEventInMainThread(true);
    m_converter.SetOnProgress([this](TCustomMediaConverter&, PProgressInfo info) {
        if (info->TaskIndex < 0 || info->TaskIndex >= static_cast<int>(m_taskJobs.size())) {
            return;
        }
        const std::size_t task = static_cast<std::size_t>(info->TaskIndex);
        JobProgress progress;
        progress.job = m_taskJobs[task];
        if (m_endedJobs.contains(progress.job)) {
            return;  // a late report of a job that has already ended
        }
        progress.convertedUs = info->CurrentDuration;
        progress.totalUs = info->TotalDuration;
        progress.frame = info->FrameNumber;
        progress.fps = info->FPS;
        progress.elapsedSeconds =
            std::chrono::duration<double>(Clock::now() - m_taskStarts[task]).count();
        m_reporter.progress(progress);
    });
    m_converter.SetOnTerminate([this](TCustomMediaConverter&, const TTerminateInfo& info) {
        std::lock_guard lock(m_noticeMutex);
        m_notices.push_back(info);
    });

    m_converter.StartTask(m_parallel);
    bool stopping = false;
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
        if (!stopping && !allDone && interrupted && interrupted()) {
            stopping = true;
            m_reporter.notice(
                "Interrupted: stopping the conversions (press Ctrl-C again after 2 s to quit at "
                "once)");
            m_converter.StopTasks(true);
        }
    }
    m_converter.SetOnProgress({});
    m_converter.SetOnTerminate({});
    m_converter.ClearTasks();
    m_reporter.allDone(m_outcomes);
    return exitCodeOf(m_outcomes, stopping);
}

}  // namespace velmora::cli
