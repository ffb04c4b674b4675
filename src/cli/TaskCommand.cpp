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
#include "component/MediaConverter.h"
#include "component/TaskEndSettlement.h"
#include "engine/OptionParser.h"
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
void setUp(TaskEngine& engine, const TaskOptions& options) {
    for (const std::string& input : options.inputs) {
        engine.setOptionText(options.inputOptions, true);
        if (!engine.openInput(input)) {
            throw TranscoderException(engine.lastError());
        }
    }
    const std::vector<OptionLine> lines = SplitOptionText(options.outputOptions);
    std::size_t next = 0;
    for (; next < lines.size() && !addsStream(lines[next].name); ++next) {
        engine.setOption(lines[next].name, lines[next].value);
    }
    if (engine.openOutput(options.output, options.join) < 0) {
        throw TranscoderException(engine.lastError());
    }
    for (; next < lines.size(); ++next) {
        engine.setOption(lines[next].name, lines[next].value);
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
    const auto reporter = options.json ? makeJsonReporter(out)
                                       : makeTextReporter(out, err, ::isatty(STDOUT_FILENO) == 1);

    std::string sources;
    for (const std::string& input : options.inputs) {
        sources += sources.empty() ? "" : " + ";
        sources += input;
    }
    JobOutcome outcome;
    outcome.source = sources;
    outcome.output = options.output;

    const std::unique_ptr<TaskEngine> engine = makeTranscoderTask(TCustomMediaConverter::kMaxFiles);
    engine->reset();
    try {
        setUp(*engine, options);
    } catch (const TranscoderException& error) {
        outcome.status = JobStatus::notAdded;
        outcome.message = error.what();
        outcome.output.clear();
        reporter->finished(outcome);
        reporter->allDone({outcome}, RunTotals{0, 0});
        return kExitJobFailed;
    }
    reporter->added(0, sources, options.output);

    // The engine reports on its worker thread; the latest report waits here for the main loop.
    // The end is decided there too, as the converter decides it, before the outputs are settled.
    std::mutex mutex;
    std::optional<ProgressReport> latest;  // guarded by mutex
    TaskEndReport endReport;               // guarded by mutex
    std::atomic<bool> ended{false};
    engine->setOnProgress([&](const ProgressReport& report) {
        std::lock_guard lock(mutex);
        latest = report;
    });
    engine->setOnTerminate([&] {
        const TaskEndReport report = settleTaskEnd(*engine);
        {
            std::lock_guard lock(mutex);
            endReport = report;
        }
        ended.store(true);
        // The loop below sees the end at once, not at its next tick.
        WakeMainThread();
    });
    engine->setReportIntervalUs(static_cast<std::int64_t>(options.progressIntervalMs) * 1000);

    using Clock = std::chrono::steady_clock;
    const auto started = Clock::now();
    InterruptWatch watch;
    bool stopping = false;
    engine->start(true, ThreadPriority::normal);
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
            reporter->notice(NoticeLevel::info,
                             "Interrupted: stopping the task (press Ctrl-C again after 2 s to "
                             "quit at once)");
            engine->stop(true);
        }
    }
    // Let the worker and the notice finish before reading the end state.
    engine->stop(true);
    outcome.elapsedSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    {
        std::lock_guard lock(mutex);
        applyEndReport(outcome, endReport);
    }
    engine->setOnProgress({});
    engine->setOnTerminate({});
    if (wroteOutput(outcome)) {
        fillOutputFacts(outcome);
    }
    reporter->finished(outcome);
    // A task is its own list: what it did not convert is not estimated.
    reporter->allDone({outcome}, RunTotals{outcome.elapsedSeconds, stopping ? -1 : 0});
    return exitCodeOf({outcome}, stopping);
}

}  // namespace velmora::cli
