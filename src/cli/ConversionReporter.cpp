#include "cli/ConversionReporter.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ostream>

#include "component/TaskEndDecision.h"

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

double speedOf(const JobProgress& progress) {
    if (progress.elapsedSeconds <= 0) {
        return 0;
    }
    return static_cast<double>(progress.convertedUs) / 1e6 / progress.elapsedSeconds;
}

}  // namespace

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
    const std::string fps = progress.fps < 0 ? "   -" : std::to_string(progress.fps);
    char line[512];
    std::snprintf(line, sizeof line, "%s %s %8.1fs  %4s fps  %5.2fx  ETA %s", label.c_str(),
                  percent.c_str(), converted, fps.c_str(), speed, eta.c_str());
    return line;
}

namespace {

std::string humanSize(std::int64_t bytes) {
    if (bytes < 0) {
        return "-";
    }
    char text[32];
    if (bytes >= 1 << 20) {
        std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    } else if (bytes >= 1 << 10) {
        std::snprintf(text, sizeof text, "%.1f KiB", static_cast<double>(bytes) / (1 << 10));
    } else {
        std::snprintf(text, sizeof text, "%lld B", static_cast<long long>(bytes));
    }
    return text;
}

std::string humanDuration(std::int64_t durationUs) {
    if (durationUs < 0) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2fs", static_cast<double>(durationUs) / 1e6);
    return text;
}

class TextReporter : public ConversionReporter {
public:
    TextReporter(std::ostream& out, bool liveLines) : m_out(out), m_liveLines(liveLines) {}

    void added(int job, const std::string& source, const std::string& output) override {
        printAbove("[" + std::to_string(job + 1) + "] " + source + " -> " + output);
    }

    void progress(const JobProgress& progress) override {
        const std::string line = formatProgressLine(label(progress.job), progress);
        if (!m_liveLines) {
            m_out << line << '\n' << std::flush;
            return;
        }
        m_live[progress.job] = line;
        redraw();
    }

    void finished(const JobOutcome& outcome) override {
        m_live.erase(outcome.job);
        std::string text = label(outcome.job) + " " + statusName(outcome.status);
        if (!outcome.message.empty()) {
            text += ": " + outcome.message;
        }
        printAbove(text);
    }

    void allDone(const std::vector<JobOutcome>& outcomes) override {
        m_live.clear();
        clearLive();
        m_out << "\nSummary\n";
        for (const JobOutcome& outcome : outcomes) {
            char line[80];
            std::snprintf(line, sizeof line, "  [%d] %-10s %10s %12s  ", outcome.job + 1,
                          statusName(outcome.status), humanDuration(outcome.durationUs).c_str(),
                          humanSize(outcome.sizeBytes).c_str());
            m_out << line << outcome.source << " -> "
                  << (outcome.output.empty() ? "-" : outcome.output) << '\n';
            if (!outcome.message.empty()) {
                m_out << "      " << outcome.message << '\n';
            }
        }
        m_out << std::flush;
    }

    void notice(const std::string& text) override { printAbove(text); }

private:
    static std::string label(int job) { return "[" + std::to_string(job + 1) + "]"; }

    void clearLive() {
        if (!m_liveLines) {
            return;
        }
        for (int i = 0; i < m_drawnLines; ++i) {
            m_out << "\x1b[1A\x1b[2K";
        }
        m_drawnLines = 0;
    }

    void redraw() {
        clearLive();
        for (const auto& [job, line] : m_live) {
            m_out << line << '\n';
        }
        m_drawnLines = static_cast<int>(m_live.size());
        m_out << std::flush;
    }

    void printAbove(const std::string& text) {
        clearLive();
        m_out << text << '\n';
        if (m_liveLines) {
            redraw();
        }
        m_out << std::flush;
    }

    std::ostream& m_out;
    bool m_liveLines;
    std::map<int, std::string> m_live;  // running job -> its current line
    int m_drawnLines = 0;
};

class JsonReporter : public ConversionReporter {
public:
    explicit JsonReporter(std::ostream& out) : m_out(out) {}

    void added(int job, const std::string& source, const std::string& output) override {
        emit({{"event", "added"}, {"job", job + 1}, {"source", source}, {"output", output}});
    }

    void progress(const JobProgress& progress) override {
        nlohmann::json event = {{"event", "progress"},
                                {"job", progress.job + 1},
                                {"seconds", static_cast<double>(progress.convertedUs) / 1e6},
                                {"fps", progress.fps},
                                {"frame", progress.frame}};
        if (progress.totalUs > 0) {
            event["total_seconds"] = static_cast<double>(progress.totalUs) / 1e6;
            event["percent"] = std::min(100.0, static_cast<double>(progress.convertedUs) * 100.0 /
                                                   static_cast<double>(progress.totalUs));
        }
        if (progress.elapsedSeconds > 0) {
            event["speed"] = speedOf(progress);
        }
        emit(event);
    }

    void finished(const JobOutcome& outcome) override {
        const char* name =
            outcome.status == JobStatus::notAdded ? "failed" : statusName(outcome.status);
        emit(describe(outcome, name));
    }

    void allDone(const std::vector<JobOutcome>& outcomes) override {
        nlohmann::json jobs = nlohmann::json::array();
        for (const JobOutcome& outcome : outcomes) {
            jobs.push_back(describe(outcome, statusName(outcome.status)));
        }
        emit({{"event", "all-done"}, {"jobs", jobs}});
    }

    void notice(const std::string& text) override {
        emit({{"event", "notice"}, {"message", text}});
    }

private:
    static nlohmann::json describe(const JobOutcome& outcome, const char* status) {
        nlohmann::json event = {{"event", status},
                                {"job", outcome.job + 1},
                                {"source", outcome.source},
                                {"output", outcome.output},
                                {"status", statusName(outcome.status)},
                                {"seconds", outcome.seconds}};
        if (!outcome.message.empty()) {
            event["message"] = outcome.message;
        }
        if (outcome.endState) {
            event["end_state"] = endStateName(*outcome.endState);
        }
        if (outcome.durationUs >= 0) {
            event["duration"] = static_cast<double>(outcome.durationUs) / 1e6;
        }
        if (outcome.sizeBytes >= 0) {
            event["size"] = outcome.sizeBytes;
        }
        return event;
    }

    void emit(const nlohmann::json& event) {
        // Replace invalid UTF-8 in file names rather than throwing.
        m_out << event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n'
              << std::flush;
    }

    std::ostream& m_out;
};

}  // namespace

std::unique_ptr<ConversionReporter> makeTextReporter(std::ostream& out, bool liveLines) {
    return std::make_unique<TextReporter>(out, liveLines);
}

std::unique_ptr<ConversionReporter> makeJsonReporter(std::ostream& out) {
    return std::make_unique<JsonReporter>(out);
}

}  // namespace velmora::cli
