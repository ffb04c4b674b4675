#include "cli/ConvertCommand.h"

#include <unistd.h>

#include <cstdio>
#include <ostream>

#include "cli/BatchJobs.h"
#include "cli/ChoiceParsing.h"
#include "cli/InterruptWatch.h"
#include "medialib/MainThreadQueue.h"
#include "profiles/FileNames.h"
#include "profiles/StoredSettings.h"
#include "samples/SampleMedia.h"

namespace velmora::cli {

namespace {

std::unique_ptr<ConversionReporter> makeReporter(bool json, std::ostream& out) {
    if (json) {
        return makeJsonReporter(out);
    }
    return makeTextReporter(out, ::isatty(STDOUT_FILENO) == 1);
}

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
int runBatch(BatchJobs& batch, const std::vector<std::pair<std::string, JobChoices>>& jobs,
             const std::string& outputFolder, ExistingFileRule rule, const RunSettings& settings) {
    std::vector<std::string> sources;
    for (const auto& job : jobs) {
        sources.push_back(job.first);
    }
    batch.planSources(sources);
    for (const auto& [file, choices] : jobs) {
        batch.addFile(file, choices, outputFolder, rule);
    }
    InterruptWatch watch;
    return batch.run(settings, [&watch] { return watch.requested(); });
}

}  // namespace

int runConvertCommand(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
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
    const std::string folder =
        options.outputFolder.empty() ? defaultOutputFolder() : options.outputFolder;
    if (const std::string error = prepareOutputFolder(folder); !error.empty()) {
        err << "error: " << error << '\n';
        return kExitJobFailed;
    }

    SetMainThread();
    const auto reporter = makeReporter(options.json, out);
    BatchJobs batch(*reporter);
    if (!batch.loadLibraries()) {
        return kExitJobFailed;
    }
    std::vector<std::pair<std::string, JobChoices>> jobs;
    for (const std::string& file : options.files) {
        jobs.emplace_back(file, choices);
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
    const auto reporter = makeReporter(options.json, out);
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
        err << "error: cannot make the sample clip: " << error << '\n';
        return kExitJobFailed;
    }
    reporter->notice("Sample clip: " + sample);

    std::vector<std::pair<std::string, JobChoices>> jobs;
    for (int code : kDemoProfiles) {
        JobChoices choices;
        choices.profileCode = code;
        jobs.emplace_back(sample, choices);
    }
    return runBatch(batch, jobs, folder, ExistingFileRule::Overwrite, RunSettings{});
}

}  // namespace velmora::cli
