#include "cli/ConvertCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <iterator>
#include <ostream>

#include "cli/BatchJobs.h"
#include "cli/ChoiceParsing.h"
#include "cli/ExtOptionsCheck.h"
#include "cli/InterruptWatch.h"
#include "cli/SourceList.h"
#include "medialib/MainThreadQueue.h"
#include "profiles/FileNames.h"
#include "profiles/JobListFile.h"
#include "profiles/StoredSettings.h"
#include "samples/SampleMedia.h"

namespace velmora::cli {

namespace {

std::unique_ptr<ConversionReporter> makeReporter(bool json, std::ostream& out, std::ostream& err) {
    if (json) {
        return makeJsonReporter(out);
    }
    return makeTextReporter(out, err, ::isatty(STDOUT_FILENO) == 1);
}

// One job of a batch: a source with its choices, or a name that gives no job.
struct PlannedJob {
    std::string source;
    JobChoices choices;
    std::string refusal;  // empty: the job is added
};

// Turns the command line's texts into choices; an empty text when they are all valid.
std::string readChoices(const ConvertOptions& options, JobChoices& choices) {
    choices.profileCode = options.profileCode;
    for (const std::string& text : options.settings) {
        std::string error;
        const auto setting = parseOptionSetting(text, &error);
        if (!setting) {
            return error;
        }
        choices.settings.push_back(*setting);
    }
    if (!options.cut.empty()) {
        std::string error;
        choices.cut = parseCutRange(options.cut, &error);
        if (!choices.cut) {
            return error;
        }
    }
    choices.flipHorizontal = options.flipHorizontal;
    choices.flipVertical = options.flipVertical;
    choices.negative = options.negative;
    choices.extOptions = options.extOptions;
    return validateSettings(choices);
}

// Adds every job to the batch, naming each output with the others in view.
void addJobs(BatchJobs& batch, const std::vector<PlannedJob>& jobs, const std::string& outputFolder,
             ExistingFileRule rule) {
    std::vector<std::string> sources;
    for (const PlannedJob& job : jobs) {
        if (job.refusal.empty()) {
            sources.push_back(job.source);
        }
    }
    batch.planSources(sources);
    for (const PlannedJob& job : jobs) {
        if (!job.refusal.empty()) {
            batch.refuseSource(job.source, job.refusal);
        } else {
            batch.addFile(job.source, job.choices, outputFolder, rule);
        }
    }
}

int runAddedJobs(BatchJobs& batch, const RunSettings& settings) {
    InterruptWatch watch;
    return batch.run(settings, [&watch] { return watch.requested(); });
}

// A list must work from any working folder: its paths are made absolute before it is written
// (and then relative to the list's own folder where they lie under it).
std::string absolutePath(const std::string& path) {
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

// Writes the batch's added jobs to the plan file instead of running them.
int writePlan(BatchJobs& batch, const std::string& planFile, ConversionReporter& reporter) {
    std::vector<JobListEntry> jobs = batch.addedJobs();
    for (JobListEntry& job : jobs) {
        job.input.FileName = absolutePath(job.input.FileName);
        job.output.FileName = absolutePath(job.output.FileName);
        job.origin.choices.SourceFile = absolutePath(job.origin.choices.SourceFile);
        job.origin.choices.OutputFile = absolutePath(job.origin.choices.OutputFile);
    }
    std::string error;
    if (!writeJobList(planFile, jobs, &error)) {
        reporter.notice(NoticeLevel::error, "cannot write the job list " + planFile + ": " + error);
        return kExitJobFailed;
    }
    reporter.notice(NoticeLevel::info, "Planned " + std::to_string(jobs.size()) + " job" +
                                           (jobs.size() == 1 ? "" : "s") + " in " + planFile +
                                           "; run them with velmora-cli run-jobs " + planFile);
    const bool allAdded = jobs.size() == batch.outcomes().size();
    return allAdded ? kExitAllDone : kExitJobFailed;
}

// Usage errors of the source names; empty when there are none.
std::string checkSourceNames(const ConvertOptions& options) {
    const auto fromInput = std::ranges::count(options.files, std::string(kStandardInputName));
    if (fromInput > 1) {
        return "\"-\" (names from standard input) can be given once";
    }
    if (options.nulSeparated && fromInput == 0) {
        return "-0 reads the names of \"-\" (standard input); none is given";
    }
    return {};
}

// The names of the command line with "-" replaced by those read from standard input, and each
// folder by its media files.
SourceNames collectSources(const ConvertOptions& options, std::istream& in) {
    std::vector<SourceEntry> names;
    for (const std::string& file : options.files) {
        if (file != kStandardInputName) {
            names.push_back({file, ""});
            continue;
        }
        std::vector<SourceEntry> read = readSourceNames(in, options.nulSeparated ? '\0' : '\n');
        names.insert(names.end(), std::make_move_iterator(read.begin()),
                     std::make_move_iterator(read.end()));
    }
    return expandFolders(names, options.recursive ? FolderWalk::Subfolders : FolderWalk::TopOnly);
}

}  // namespace

int runConvertCommand(const ConvertOptions& options, std::istream& in, std::ostream& out,
                      std::ostream& err) {
    JobChoices choices;
    if (const std::string error = readChoices(options, choices); !error.empty()) {
        err << "error: " << error << '\n';
        return kExitUsage;
    }
    const auto priority = priorityNamed(options.priority);
    if (!priority) {
        err << "error: --priority takes idle, lowest, lower or normal\n";
        return kExitUsage;
    }
    if (options.parallel < 1) {
        err << "error: -j takes a number of at least 1\n";
        return kExitUsage;
    }
    if (const std::string error = checkSourceNames(options); !error.empty()) {
        err << "error: " << error << '\n';
        return kExitUsage;
    }
    const std::string folder =
        options.outputFolder.empty() ? defaultOutputFolder() : options.outputFolder;
    if (const std::string error = prepareOutputFolder(folder); !error.empty()) {
        err << "error: " << error << '\n';
        return kExitJobFailed;
    }

    SetMainThread();
    const auto reporter = makeReporter(options.json, out, err);
    const SourceNames sources = collectSources(options, in);
    BatchJobs batch(*reporter);
    if (!batch.loadLibraries()) {
        return kExitJobFailed;
    }
    for (const std::string& ignored : ignoredExtOptions(options.extOptions)) {
        reporter->notice(NoticeLevel::warning,
                         "--ext-options: nothing in the engine takes \"" + ignored +
                             "\" (an unknown name, or a value it refuses); it is ignored");
    }
    for (const std::string& warning : sources.warnings) {
        reporter->notice(NoticeLevel::warning, warning);
    }
    if (sources.entries.empty()) {
        reporter->notice(NoticeLevel::warning, "no source files to convert");
    }
    std::vector<PlannedJob> jobs;
    for (const SourceEntry& entry : sources.entries) {
        jobs.push_back({entry.name, choices, entry.refusal});
    }
    addJobs(batch, jobs, folder,
            options.overwrite ? ExistingFileRule::Overwrite : ExistingFileRule::NewName);
    if (!options.planFile.empty()) {
        return writePlan(batch, options.planFile, *reporter);
    }
    RunSettings settings;
    settings.parallel = options.parallel;
    settings.priority = *priority;
    return runAddedJobs(batch, settings);
}

int runDemoCommand(const DemoOptions& options, std::ostream& out, std::ostream& err) {
    const std::string folder =
        options.outputFolder.empty() ? defaultOutputFolder() : options.outputFolder;
    const std::string sampleFolder = joinPath(folder, "sample");
    if (const std::string error = prepareOutputFolder(sampleFolder); !error.empty()) {
        err << "error: " << error << '\n';
        return kExitJobFailed;
    }

    SetMainThread();
    const auto reporter = makeReporter(options.json, out, err);
    BatchJobs batch(*reporter);
    if (!batch.loadLibraries()) {
        return kExitJobFailed;
    }

    // 10 s of a moving test picture with a frame counter and a 440 Hz tone.
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 10.0;
    spec.width = 640;
    spec.height = 360;
    spec.frameRate = AVRational{25, 1};
    spec.metadata = {{"title", "Velmora sample clip"}};
    const std::string sample = joinPath(sampleFolder, "velmora-sample.mkv");
    std::string error;
    if (!makeSampleMedia(spec, sample, &error)) {
        reporter->notice(NoticeLevel::error, "cannot make the sample clip: " + error);
        return kExitJobFailed;
    }
    reporter->notice(NoticeLevel::info, "Sample clip: " + sample);

    std::vector<PlannedJob> jobs;
    for (int code : kDemoProfiles) {
        JobChoices choices;
        choices.profileCode = code;
        jobs.push_back({sample, choices, ""});
    }
    addJobs(batch, jobs, folder, ExistingFileRule::Overwrite);
    return runAddedJobs(batch, RunSettings{});
}

}  // namespace velmora::cli
