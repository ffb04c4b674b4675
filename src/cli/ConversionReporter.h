// What velmora-cli shows while a batch runs: live progress lines on a terminal, one line per
// report otherwise, or one JSON object per event.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
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
    int frame = -1;
    int fps = -1;
    double elapsedSeconds = 0;  // wall time since the job started
};

// done covers the "done with" end states too; incomplete, failed and stopped are the others.
enum class JobStatus { done, incomplete, failed, stopped, notAdded };

struct JobOutcome {
    int job = 0;
    std::string source;
    std::string output;
    JobStatus status = JobStatus::notAdded;
    std::string message;                   // why it failed, or what its end state means
    double seconds = 0;                    // wall time of the conversion
    std::int64_t durationUs = -1;          // duration of the output file, -1 when unknown
    std::int64_t sizeBytes = -1;           // size of the output file, -1 when missing
    std::optional<TaskEndState> endState;  // set once the job has ended
};

const char* statusName(JobStatus status);
// "done", "done-with-skipped-data", "done-with-dropped-stream", "incomplete", "failed",
// "stopped".
const char* endStateName(TaskEndState state);
// The job's status, end state and message from the component's decision.
void applyEndReport(JobOutcome& outcome, const TaskEndReport& report);

// Percent, seconds converted, fps, speed as a multiple of real time and the remaining time.
std::string formatProgressLine(const std::string& label, const JobProgress& progress);

class ConversionReporter {
public:
    virtual ~ConversionReporter() = default;
    virtual void added(int job, const std::string& source, const std::string& output) = 0;
    virtual void progress(const JobProgress& progress) = 0;
    virtual void finished(const JobOutcome& outcome) = 0;
    virtual void allDone(const std::vector<JobOutcome>& outcomes) = 0;
    // A message that is not tied to an event (errors before any job, notices).
    virtual void notice(const std::string& text) = 0;
};

// liveLines: redraw one line per running job in place (for a terminal).
std::unique_ptr<ConversionReporter> makeTextReporter(std::ostream& out, bool liveLines);
std::unique_ptr<ConversionReporter> makeJsonReporter(std::ostream& out);

}  // namespace velmora::cli
