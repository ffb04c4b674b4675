#include "cli/ConvertCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
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

// Adds every job and runs the batch; the shared tail of convert and demo.
int runBatch(BatchJobs& batch, const std::vector<PlannedJob>& jobs, const std::string& outputFolder,
             ExistingFileRule rule, const RunSettings& settings) {
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
    InterruptWatch watch;
    return batch.run(settings, [&watch] { return watch.requested(); });
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
    RunSettings settings;
    settings.parallel = options.parallel;
    settings.priority = *priority;
    return runBatch(batch, jobs, folder,
                    options.overwrite ? ExistingFileRule::Overwrite : ExistingFileRule::NewName,
                    settings);
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
    return runBatch(batch, jobs, folder, ExistingFileRule::Overwrite, RunSettings{});
}

}  // namespace velmora::cli
