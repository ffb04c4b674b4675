#include "cli/ConversionReporter.h"

#include <cmath>
#include <cstdio>

#include "component/TaskEndDecision.h"
#include "profiles/ListTimeLeft.h"

namespace velmora::cli {

const char* statusName(JobStatus status) {
    switch (status) {
        case JobStatus::done:
            return "done";
        case JobStatus::incomplete:
            return "incomplete";
        case JobStatus::failed:
            return "failed";
        case JobStatus::stopped:
            return "stopped";
        case JobStatus::notAdded:
            return "not added";
    }
    return "unknown";
}

const char* endStateName(TaskEndState state) {
    switch (state) {
        case TaskEndState::Done:
            return "done";
        case TaskEndState::DoneWithSkippedData:
            return "done-with-skipped-data";
        case TaskEndState::DoneWithDroppedStream:
            return "done-with-dropped-stream";
        case TaskEndState::Incomplete:
            return "incomplete";
        case TaskEndState::Failed:
            return "failed";
        case TaskEndState::Stopped:
            return "stopped";
    }
    return "unknown";
}

void applyEndReport(JobOutcome& outcome, const TaskEndReport& report) {
    outcome.endState = report.state;
    switch (report.state) {
        case TaskEndState::Incomplete:
            outcome.status = JobStatus::incomplete;
            break;
        case TaskEndState::Failed:
            outcome.status = JobStatus::failed;
            break;
        case TaskEndState::Stopped:
            outcome.status = JobStatus::stopped;
            break;
        default:
            outcome.status = JobStatus::done;
            break;
    }
    // A stopped job needs no words; the others say what their state means.
    outcome.message =
        report.state == TaskEndState::Stopped ? std::string() : endStateTextEnglish(report);
}

namespace {

std::string formatClock(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) {
        return "--:--:--";
    }
    const long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", whole / 3600, (whole / 60) % 60,
                  whole % 60);
    return text;
}

}  // namespace

int framesPerSecond(const JobProgress& progress) {
    if (progress.fps != 0 || progress.frame <= 0 || progress.elapsedSeconds <= 0) {
        return progress.fps;
    }
    return static_cast<int>(std::lround(progress.frame / progress.elapsedSeconds));
}

double speedOf(const JobProgress& progress) {
    if (progress.elapsedSeconds <= 0) {
        return 0;
    }
    return static_cast<double>(progress.convertedUs) / 1e6 / progress.elapsedSeconds;
}

std::string formatProgressLine(const std::string& label, const JobProgress& progress) {
    const double converted = static_cast<double>(progress.convertedUs) / 1e6;
    const double speed = speedOf(progress);
    std::string percent = "  ?%";
    std::string eta = "--:--:--";
    if (progress.totalUs > 0) {
        const double share = std::min(
            1.0, static_cast<double>(progress.convertedUs) / static_cast<double>(progress.totalUs));
        char text[16];
        std::snprintf(text, sizeof text, "%3d%%", static_cast<int>(share * 100));
        percent = text;
        if (speed > 0) {
            eta = formatClock(static_cast<double>(progress.totalUs - progress.convertedUs) / 1e6 /
                              speed);
        }
    }
    // An audio-only job has no frame rate to show.
    const int rate = framesPerSecond(progress);
    const std::string fps = rate < 0 ? "   -" : std::to_string(rate);
    char line[512];
    std::snprintf(line, sizeof line, "%s %s %8.1fs  %4s fps  %5.2fx  ETA %s", label.c_str(),
                  percent.c_str(), converted, fps.c_str(), speed, eta.c_str());
    std::string text = line;
    if (progress.listTimeLeftUs >= 0) {
        text += "  all " + timeLeftText(progress.listTimeLeftUs);
    }
    return text;
}

std::string formatRunTotals(const RunTotals& totals) {
    // The run time to the nearest second; the time left is rounded up as everywhere.
    const std::int64_t runUs = std::llround(std::max(0.0, totals.elapsedSeconds)) * 1'000'000;
    std::string text = "Run time " + timeLeftText(runUs);
    if (totals.timeLeftUs == 0) {
        return text + ", all jobs ended";
    }
    if (totals.timeLeftUs < 0) {
        return text + ", the time the jobs not converted need is not known";
    }
    return text + ", the jobs not converted need about " + timeLeftText(totals.timeLeftUs) +
           " more";
}

}  // namespace velmora::cli
