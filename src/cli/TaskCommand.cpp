#include "cli/TaskCommand.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <ostream>

#include "cli/BatchJobs.h"
#include "cli/ConversionReporter.h"
#include "cli/InterruptWatch.h"
#include "engine/OptionParser.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"

namespace velmora::cli {

namespace {

bool addsStream(const std::string& name) {
    return name == "newvideo" || name == "newaudio" || name == "newsubtitle";
}

// Sets up the engine: inputs, then the output. The output's lines apply in order, as on a
// command line: those before the first "new..." line configure the output as it is opened, the
// rest (codec and the like, then "newaudio" ...) configure each extra stream they precede.
// Raises TranscoderException with the engine's text.
void setUp(TTranscoder& engine, const TaskOptions& options) {
    for (const std::string& input : options.inputs) {
        engine.SetOptionText(options.inputOptions, true);
        if (!engine.OpenInput(input)) {
            throw TranscoderException(engine.LastError());
        }
    }
    const std::vector<OptionLine> lines = SplitOptionText(options.outputOptions);
    std::size_t next = 0;
    for (; next < lines.size() && !addsStream(lines[next].name); ++next) {
        engine.SetOption(lines[next].name, lines[next].value);
    }
    if (engine.OpenOutput(options.output, options.join) < 0) {
        throw TranscoderException(engine.LastError());
    }
    for (; next < lines.size(); ++next) {
        engine.SetOption(lines[next].name, lines[next].value);
    }
}

}  // namespace

int runTaskCommand(const TaskOptions& options, std::ostream& out, std::ostream& err) {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath(DefaultLibraryFolder());
    if (!loader.LoadLibraries(kConverterSet)) {
        err << "error: cannot load the media libraries: " << loader.LastError() << '\n';
        return kExitJobFailed;
    }
    SetMainThread();
    const auto reporter =
        options.json ? makeJsonReporter(out) : makeTextReporter(out, ::isatty(STDOUT_FILENO) == 1);

    std::string sources;
    for (const std::string& input : options.inputs) {
        sources += sources.empty() ? "" : " + ";
        sources += input;
    }
    JobOutcome outcome;
    outcome.source = sources;
    outcome.output = options.output;

    TTranscoder engine;
    engine.Reset();
    try {
        setUp(engine, options);
    } catch (const TranscoderException& error) {
        outcome.status = JobStatus::notAdded;
        outcome.message = error.what();
        outcome.output.clear();
        reporter->finished(outcome);
        reporter->allDone({outcome});
        return kExitJobFailed;
    }
    reporter->added(0, sources, options.output);

    // The engine reports on its worker thread; the latest report waits here for the main loop.
    std::mutex mutex;
    std::optional<ProgressReport> latest;  // guarded by mutex
    std::atomic<bool> ended{false};
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport& report) {
        std::lock_guard lock(mutex);
        latest = report;
    };
    engine.onTerminate = [&](TCustomTranscoder&) { ended.store(true); };
    engine.SetReportIntervalUs(static_cast<std::int64_t>(options.progressIntervalMs) * 1000);

    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    InterruptWatch watch;
    bool stopping = false;
    if (!engine.Start(true)) {
        ended.store(true);
    }
    while (!ended.load()) {
        PumpMessagesFor(std::chrono::milliseconds(50));
        std::optional<ProgressReport> report;
        {
            std::lock_guard lock(mutex);
            report.swap(latest);
        }
        if (report && !ended.load()) {
            JobProgress progress;
            progress.convertedUs = report->CurrentDuration;
            progress.totalUs = report->TotalDuration;
            progress.frame = report->FrameNumber;
            progress.fps = report->FPS;
            progress.elapsedSeconds = std::chrono::duration<double>(Clock::now() - started).count();
            reporter->progress(progress);
        }
        if (!stopping && watch.requested()) {
            stopping = true;
            reporter->notice("Interrupted: stopping the task (Ctrl-C again to quit now)");
            engine.Stop(true);
        }
    }
    // Let the worker and the notice finish before reading the end state.
    engine.Stop(true);
    outcome.seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (engine.Exception()) {
        outcome.status = JobStatus::failed;
        outcome.message = engine.ExceptionMessage();
    } else {
        outcome.status = engine.Finished() ? JobStatus::done : JobStatus::stopped;
    }
    engine.onProgress = nullptr;
    engine.onTerminate = nullptr;
    fillOutputFacts(outcome);
    reporter->finished(outcome);
    reporter->allDone({outcome});
    return exitCodeOf({outcome}, stopping);
}

}  // namespace velmora::cli
