// What velmora-cli shows while a batch runs: live progress lines on a terminal, one line per
// report otherwise, or one JSON object per event.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velmora::cli {

struct JobProgress {
    int job = 0;
    std::int64_t convertedUs = 0;  // output time reached
    std::int64_t totalUs = -1;     // expected total; -1 when unknown
    int frame = -1;
    int fps = -1;
    double elapsedSeconds = 0;  // wall time since the job started
};

enum class JobStatus { done, failed, stopped, notAdded };

struct JobOutcome {
    int job = 0;
    std::string source;
    std::string output;
    JobStatus status = JobStatus::notAdded;
    std::string message;
    double seconds = 0;            // wall time of the conversion
    std::int64_t durationUs = -1;  // duration of the output file, -1 when unknown
    std::int64_t sizeBytes = -1;   // size of the output file, -1 when missing
};

const char* statusName(JobStatus status);

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
