// The JSON events of a batch, one object per line. docs/velmora-cli-events.md documents them and
// docs/velmora-cli-events.schema.json defines them; a field means the same in every event.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <ostream>

#include "cli/ConversionReporter.h"

namespace velmora::cli {

namespace {

const char* statusToken(JobStatus status) {
    return status == JobStatus::notAdded ? "not-added" : statusName(status);
}

const char* levelToken(NoticeLevel level) {
    switch (level) {
        case NoticeLevel::info:
            return "info";
        case NoticeLevel::warning:
            return "warning";
        case NoticeLevel::error:
            return "error";
    }
    return "info";
}

double seconds(std::int64_t microseconds) {
    return static_cast<double>(microseconds) / 1e6;
}

// What is known of a job at its end; the "result" event and each entry of "all-done".
nlohmann::ordered_json jobRecord(const JobOutcome& outcome) {
    nlohmann::ordered_json record = {{"job", outcome.job + 1},
                                     {"source", outcome.source},
                                     {"status", statusToken(outcome.status)},
                                     {"elapsed_seconds", std::max(0.0, outcome.elapsedSeconds)}};
    if (!outcome.output.empty()) {
        record["output"] = outcome.output;
    }
    if (outcome.endState) {
        record["end_state"] = endStateName(*outcome.endState);
    }
    if (!outcome.message.empty()) {
        record["message"] = outcome.message;
    }
    if (outcome.skipped) {
        record["skipped"] = true;
    }
    if (outcome.durationUs >= 0) {
        record["duration_seconds"] = seconds(outcome.durationUs);
    }
    if (outcome.sizeBytes >= 0) {
        record["size_bytes"] = outcome.sizeBytes;
    }
    return record;
}

class JsonReporter : public ConversionReporter {
public:
    explicit JsonReporter(std::ostream& out) : m_out(out) {}

    void added(int job, const std::string& source, const std::string& output) override {
        emit("added", {{"job", job + 1}, {"source", source}, {"output", output}});
    }

    void progress(const JobProgress& progress) override {
        nlohmann::ordered_json fields = {
            {"job", progress.job + 1},
            {"converted_seconds", seconds(std::max<std::int64_t>(0, progress.convertedUs))},
            {"elapsed_seconds", std::max(0.0, progress.elapsedSeconds)}};
        if (progress.totalUs > 0) {
            fields["total_seconds"] = seconds(progress.totalUs);
            fields["percent"] = std::clamp(static_cast<double>(progress.convertedUs) * 100.0 /
                                               static_cast<double>(progress.totalUs),
                                           0.0, 100.0);
        }
        if (progress.frame >= 0) {
            fields["frame"] = progress.frame;
            fields["fps"] = std::max(0, framesPerSecond(progress));
        }
        if (progress.elapsedSeconds > 0) {
            fields["speed"] = std::max(0.0, speedOf(progress));
        }
        if (progress.listTimeLeftUs >= 0) {
            fields["list_time_left_seconds"] = seconds(progress.listTimeLeftUs);
        }
        emit("progress", fields);
    }

    void finished(const JobOutcome& outcome) override { emit("result", jobRecord(outcome)); }

    void allDone(const std::vector<JobOutcome>& outcomes, const RunTotals& totals) override {
        nlohmann::ordered_json jobs = nlohmann::ordered_json::array();
        for (const JobOutcome& outcome : outcomes) {
            jobs.push_back(jobRecord(outcome));
        }
        nlohmann::ordered_json fields = {{"jobs", jobs},
                                         {"run_seconds", std::max(0.0, totals.elapsedSeconds)}};
        if (totals.timeLeftUs >= 0) {
            fields["list_time_left_seconds"] = seconds(totals.timeLeftUs);
        }
        emit("all-done", fields);
    }

    void notice(NoticeLevel level, const std::string& text) override {
        emit("notice", {{"level", levelToken(level)}, {"message", text}});
    }

private:
    // Every event starts with the schema version and its name.
    void emit(const char* event, const nlohmann::ordered_json& fields) {
        nlohmann::ordered_json line = {{"schema", kEventSchemaVersion}, {"event", event}};
        line.update(fields);
        // Replace invalid UTF-8 in file names rather than throwing.
        m_out << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n'
              << std::flush;
    }

    std::ostream& m_out;
};

}  // namespace

std::unique_ptr<ConversionReporter> makeJsonReporter(std::ostream& out) {
    return std::make_unique<JsonReporter>(out);
}

}  // namespace velmora::cli
