#include "cli/RunJobsCommand.h"

#include <unistd.h>

#include <filesystem>
#include <map>
#include <ostream>
#include <vector>

#include "cli/BatchJobs.h"
#include "cli/InterruptWatch.h"
#include "cli/ListedOutputCheck.h"
#include "medialib/MainThreadQueue.h"
#include "profiles/JobListFile.h"
#include "profiles/JobOrigin.h"

namespace velmora::cli {

namespace {

// The list's refusal in the command line's words; the reader's own detail follows.
std::string listProblemText(const JobListRead& read, const std::string& path) {
    std::string detail;
    if (const std::size_t at = read.error.find(path + ": "); at != std::string::npos) {
        detail = ": " + read.error.substr(at + path.size() + 2);
    }
    switch (read.problem) {
        case JobListProblem::Missing:
            return "no job list at " + path;
        case JobListProblem::Unreadable:
            return "cannot read the job list " + path + detail;
        case JobListProblem::Newer:
            return "the job list " + path + " was written by a newer Velmora; it is left as it is";
        case JobListProblem::Damaged:
        case JobListProblem::None:
            break;
    }
    return "the job list " + path + " is damaged; it is left as it is" + detail;
}

// Why a listed job's source can no longer be converted as planned; empty while it can.
std::string sourceProblem(const JobListEntry& job) {
    if (!job.origin.source.known()) {
        return {};
    }
    const SourceFacts now = readSourceFacts(job.input.FileName);
    if (!now.known()) {
        return "the source is gone or no longer a file";
    }
    if (!now.sameFile(job.origin.source)) {
        return "the source has changed since the list was planned";
    }
    return {};
}

// For each job, the earlier job of the list that names the same output (-1 when none). A planned
// list has none; one made or edited otherwise might, and two shards must never write one file:
// every shard sees the same list, so each leaves the same later job out.
std::vector<int> earlierOutputOwners(const std::vector<JobListEntry>& jobs) {
    std::map<std::string, int> owners;
    std::vector<int> earlier;
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        const std::string name =
            std::filesystem::path(jobs[k].output.FileName).lexically_normal().string();
        const auto [owner, added] = owners.emplace(name, static_cast<int>(k));
        earlier.push_back(added ? -1 : owner->second);
    }
    return earlier;
}

// Adds one listed job to the batch, or records it as done or refused.
void takeJob(BatchJobs& batch, ConversionReporter& reporter, const JobListEntry& job, int number) {
    const ListedOutputCheck output = checkListedOutput(job);
    if (output.state == ListedOutput::Complete) {
        batch.skipDoneJob(job, number, "already converted: the output is there and complete");
        return;
    }
    if (const std::string problem = sourceProblem(job); !problem.empty()) {
        batch.refuseListedJob(job, number, problem);
        return;
    }
    const std::string folder = std::filesystem::path(job.output.FileName).parent_path().string();
    if (const std::string problem = prepareOutputFolder(folder.empty() ? "." : folder);
        !problem.empty()) {
        batch.refuseListedJob(job, number, problem);
        return;
    }
    if (output.state == ListedOutput::Unverified) {
        reporter.notice(NoticeLevel::info, "[" + std::to_string(number + 1) + "] " +
                                               job.output.FileName + " is converted again (" +
                                               output.reason + ")");
    }
    batch.addListedJob(job, number);
}

}  // namespace

int runRunJobsCommand(const RunJobsOptions& options, const EnvironmentLookup& environment,
                      std::ostream& out, std::ostream& err) {
    const auto priority = priorityNamed(options.priority);
    if (!priority) {
        err << "error: --priority takes idle, lowest, lower or normal\n";
        return kExitUsage;
    }
    if (options.parallel < 1) {
        err << "error: -j takes a number of at least 1\n";
        return kExitUsage;
    }
    Shard shard;
    if (options.shard) {
        std::string error;
        const std::optional<Shard> parsed = parseShard(*options.shard, environment, &error);
        if (!parsed) {
            err << "error: " << error << '\n';
            return kExitUsage;
        }
        shard = *parsed;
    }
    const JobListRead list = readJobList(options.listFile);
    if (!list.jobs) {
        err << "error: " << listProblemText(list, options.listFile) << '\n';
        return kExitJobFailed;
    }

    SetMainThread();
    const auto reporter = options.json ? makeJsonReporter(out)
                                       : makeTextReporter(out, err, ::isatty(STDOUT_FILENO) == 1);
    BatchJobs batch(*reporter);
    if (!batch.loadLibraries()) {
        return kExitJobFailed;
    }
    if (shard.count > 1) {
        reporter->notice(NoticeLevel::info, "Shard " + std::to_string(shard.index) + " of " +
                                                std::to_string(shard.count) +
                                                ": jobs k with k mod " +
                                                std::to_string(shard.count) + " = " +
                                                std::to_string(shard.index) + " (k from 0)");
    }
    const std::vector<JobListEntry>& jobs = *list.jobs;
    const std::vector<int> earlierOwners = earlierOutputOwners(jobs);
    for (std::size_t k = 0; k < jobs.size(); ++k) {
        if (!shard.holds(static_cast<int>(k))) {
            continue;
        }
        if (earlierOwners[k] >= 0) {
            batch.refuseListedJob(jobs[k], static_cast<int>(k),
                                  "job " + std::to_string(earlierOwners[k] + 1) +
                                      " of the list writes the same output");
            continue;
        }
        takeJob(batch, *reporter, jobs[k], static_cast<int>(k));
    }
    RunSettings settings;
    settings.parallel = options.parallel;
    settings.priority = *priority;
    InterruptWatch watch;
    return batch.run(settings, [&watch] { return watch.requested(); });
}

}  // namespace velmora::cli
