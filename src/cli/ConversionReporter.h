// What velmora-cli shows while a batch runs: live progress lines on a terminal, one line per
// report otherwise, or one JSON object per event (docs/velmora-cli-events.md describes them).
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "component/EventRecords.h"

namespace velmora::cli {

struct JobProgress {
    int job = 0;
    std::int64_t convertedUs = 0;  // output time reached
    std::int64_t totalUs = -1;     // expected total; -1 when unknown
    int frame = -1;                // frames written; -1 without a video output
    int fps = -1;                  // the engine's rate: 0 while it has none yet, -1 without video
    double elapsedSeconds = 0;     // wall time since the job started
    // Wall time the run's unfinished jobs still need; -1 while it cannot be estimated.
    std::int64_t listTimeLeftUs = -1;
};

// done covers the "done with" end states too; incomplete, failed and stopped are the others.
enum class JobStatus { done, incomplete, failed, stopped, notAdded };

struct JobOutcome {
    int job = 0;
    std::string source;
    std::string output;  // empty until the job's output is named
    JobStatus status = JobStatus::notAdded;
    std::string message;                   // why it failed, or what its end state means
    double elapsedSeconds = 0;             // wall time of the conversion; 0 when it never ran
    std::int64_t durationUs = -1;          // duration of the output file, -1 when unknown
    std::int64_t sizeBytes = -1;           // size of the output file, -1 when missing
    std::optional<TaskEndState> endState;  // set once the job has ended
    // Done without running: its output was already there and read back complete (run-jobs).
    bool skipped = false;
};

// The whole run: its wall time and the estimated time its jobs not converted would still need
// (0 when every job ended; -1 when no estimate can be made).
struct RunTotals {
    double elapsedSeconds = 0;
    std::int64_t timeLeftUs = -1;
};

enum class NoticeLevel { info, warning, error };

// As the text output shows it: "done", "incomplete", "failed", "stopped", "not added".
const char* statusName(JobStatus status);
// "done", "done-with-skipped-data", "done-with-dropped-stream", "incomplete", "failed",
// "stopped".
const char* endStateName(TaskEndState state);
// The job's status, end state and message from the component's decision.
void applyEndReport(JobOutcome& outcome, const TaskEndReport& report);

// Frames per second: the engine's rate, or frames over elapsed time while the engine has none
// (it gives 0 until a second has passed, so short jobs and first reports would show 0). -1
// without a video output.
int framesPerSecond(const JobProgress& progress);

// Converted media time as a multiple of the elapsed wall time; 0 before any time has passed.
double speedOf(const JobProgress& progress);

// Percent, seconds converted, fps, speed as a multiple of real time and the remaining time; then
// the time the whole run still needs, when it is known.
std::string formatProgressLine(const std::string& label, const JobProgress& progress);

// The summary's last line: "Run time 00:01:02, all jobs ended", or with the time the jobs not
// converted would still need.
std::string formatRunTotals(const RunTotals& totals);

class ConversionReporter {
public:
    virtual ~ConversionReporter() = default;
    virtual void added(int job, const std::string& source, const std::string& output) = 0;
    virtual void progress(const JobProgress& progress) = 0;
    // The outcome of one job: its end, or its refusal when it could not be added.
    virtual void finished(const JobOutcome& outcome) = 0;
    virtual void allDone(const std::vector<JobOutcome>& outcomes, const RunTotals& totals) = 0;
    // A message that is not tied to one job's outcome (errors before any job, warnings about
    // the command line, the interruption).
    virtual void notice(NoticeLevel level, const std::string& text) = 0;
};

// Progress, outcomes and information go to out, warnings and errors to err. liveLines: redraw
// one line per running job in place (for a terminal).
std::unique_ptr<ConversionReporter> makeTextReporter(std::ostream& out, std::ostream& err,
                                                     bool liveLines);

// The version of the JSON events; it changes only when a field changes its meaning or goes.
inline constexpr int kEventSchemaVersion = 1;
std::unique_ptr<ConversionReporter> makeJsonReporter(std::ostream& out);

}  // namespace velmora::cli
