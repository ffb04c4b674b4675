// The text output of a batch: progress lines (redrawn in place on a terminal), one line per
// outcome and a summary.
#include <cstdio>
#include <map>
#include <ostream>

#include "cli/ConversionReporter.h"

namespace velmora::cli {

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

// The last line of a job that ended done: all of it converted, at the whole run's averages.
JobProgress finalProgress(const JobOutcome& outcome, const JobProgress* last) {
    JobProgress progress;
    progress.job = outcome.job;
    if (last != nullptr) {
        progress = *last;
        if (progress.fps >= 0) {
            progress.fps = 0;  // the average over the whole run, from the frames
        }
    }
    if (progress.totalUs <= 0) {
        progress.totalUs = outcome.durationUs > 0 ? outcome.durationUs : progress.convertedUs;
    }
    progress.convertedUs = progress.totalUs;
    progress.listTimeLeftUs = -1;  // the run's estimate goes on in the lines of the others
    if (outcome.elapsedSeconds > 0) {
        progress.elapsedSeconds = outcome.elapsedSeconds;
    }
    return progress;
}

class TextReporter : public ConversionReporter {
public:
    TextReporter(std::ostream& out, std::ostream& err, bool liveLines)
        : m_out(out), m_err(err), m_liveLines(liveLines) {}

    void added(int job, const std::string& source, const std::string& output) override {
        printAbove(m_out, label(job) + " " + source + " -> " + output);
    }

    void progress(const JobProgress& progress) override {
        m_lastProgress[progress.job] = progress;
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
        if (outcome.status == JobStatus::done && !outcome.skipped) {
            const auto last = m_lastProgress.find(outcome.job);
            const JobProgress progress =
                finalProgress(outcome, last == m_lastProgress.end() ? nullptr : &last->second);
            printAbove(m_out, formatProgressLine(label(outcome.job), progress));
        }
        m_lastProgress.erase(outcome.job);
        std::string text = label(outcome.job) + " " + statusName(outcome.status);
        if (!outcome.message.empty()) {
            text += ": " + outcome.message;
        }
        printAbove(m_out, text);
    }

    void allDone(const std::vector<JobOutcome>& outcomes, const RunTotals& totals) override {
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
        m_out << formatRunTotals(totals) << '\n' << std::flush;
    }

    void notice(NoticeLevel level, const std::string& text) override {
        switch (level) {
            case NoticeLevel::info:
                printAbove(m_out, text);
                break;
            case NoticeLevel::warning:
                printAbove(m_err, "warning: " + text);
                break;
            case NoticeLevel::error:
                printAbove(m_err, "error: " + text);
                break;
        }
    }

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
        m_out << std::flush;
    }

    void redraw() {
        clearLive();
        for (const auto& [job, line] : m_live) {
            m_out << line << '\n';
        }
        m_drawnLines = static_cast<int>(m_live.size());
        m_out << std::flush;
    }

    // The live lines stay below everything else: they are taken away, the text is written to
    // its stream, and they are drawn again.
    void printAbove(std::ostream& stream, const std::string& text) {
        clearLive();
        stream << text << '\n' << std::flush;
        if (m_liveLines) {
            redraw();
        }
    }

    std::ostream& m_out;
    std::ostream& m_err;
    bool m_liveLines;
    std::map<int, std::string> m_live;          // running job -> its current line
    std::map<int, JobProgress> m_lastProgress;  // running job -> its latest report
    int m_drawnLines = 0;
};

}  // namespace

std::unique_ptr<ConversionReporter> makeTextReporter(std::ostream& out, std::ostream& err,
                                                     bool liveLines) {
    return std::make_unique<TextReporter>(out, err, liveLines);
}

}  // namespace velmora::cli
