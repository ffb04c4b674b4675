// The JSON events against their documented schema (docs/velmora-cli-events.schema.json): the
// checker itself, every kind of event the reporter writes, and every line of real runs that end
// in each outcome.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "CliRun.h"
#include "SchemaCheck.h"
#include "cli/ConversionReporter.h"
#include "cli/InterruptWatch.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

nlohmann::json documentedSchema() {
    std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/docs/velmora-cli-events.schema.json");
    return nlohmann::json::parse(in);
}

std::string joined(const std::vector<std::string>& faults) {
    std::string text;
    for (const std::string& fault : faults) {
        text += fault + "\n";
    }
    return text;
}

// Every line of an output checked; the events parsed.
std::vector<nlohmann::json> checkedEvents(const std::string& output) {
    const test::SchemaCheck schema(documentedSchema());
    std::vector<nlohmann::json> events;
    for (const std::string& line : test::outputLines(output)) {
        const nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
        EXPECT_FALSE(event.is_discarded()) << "not JSON: " << line;
        const auto faults = schema.faults(event);
        EXPECT_TRUE(faults.empty()) << line << "\n" << joined(faults);
        events.push_back(event);
    }
    return events;
}

TEST(EventSchema, CheckerRefusesWhatTheSchemaDoesNotAllow) {
    const test::SchemaCheck schema(documentedSchema());
    EXPECT_EQ(documentedSchema()["$defs"]["schema"]["const"], kEventSchemaVersion);
    const nlohmann::json good = nlohmann::json::parse(
        R"({"schema":1,"event":"result","job":2,"source":"a.mkv","status":"failed",)"
        R"("end_state":"failed","message":"x","elapsed_seconds":0.5})");
    EXPECT_TRUE(schema.faults(good).empty()) << joined(schema.faults(good));

    const struct {
        const char* change;  // a JSON merge patch of the good event
        const char* fault;
    } rows[] = {
        {R"({"schema":2})", "not the const 1"},
        {R"({"event":"failed"})", "matches 0 of the oneOf"},
        {R"({"status":"not added"})", "is not one of"},
        {R"({"job":0})", "below the minimum"},
        {R"({"job":"2"})", "is not of type"},
        {R"({"source":null})", "the field \"source\" is missing"},
        {R"({"seconds":1.0})", "the field \"seconds\" is not in the schema"},
        {R"({"size_bytes":-1})", "below the minimum"},
    };
    for (const auto& row : rows) {
        nlohmann::json bad = good;
        bad.merge_patch(nlohmann::json::parse(row.change));
        const std::string faults = joined(schema.faults(bad));
        EXPECT_NE(faults.find(row.fault), std::string::npos) << row.change << "\n" << faults;
    }
}

TEST(EventSchema, EveryEventTheReporterWritesMeetsIt) {
    std::ostringstream out;
    const auto reporter = makeJsonReporter(out);
    reporter->notice(NoticeLevel::info, "Sample clip: a.mkv");
    reporter->notice(NoticeLevel::warning, "no media files in d");
    reporter->notice(NoticeLevel::error, "cannot load the media libraries");
    reporter->added(0, "a.mkv", "out/a.avi");
    reporter->progress({0, 0, -1, -1, -1, 0.0});                   // nothing known yet
    reporter->progress({0, 12'000'000, 10'000'000, 300, 0, 2.0});  // past the expected end
    reporter->progress({0, 5'000'000, 10'000'000, -1, -1, 1.0});   // audio only
    reporter->progress({0, 5'000'000, 10'000'000, -1, -1, 1.0, 7'000'000});  // the run's time left
    std::vector<JobOutcome> outcomes;
    const TaskEndState states[] = {TaskEndState::Done,
                                   TaskEndState::DoneWithSkippedData,
                                   TaskEndState::DoneWithDroppedStream,
                                   TaskEndState::Incomplete,
                                   TaskEndState::Failed,
                                   TaskEndState::Stopped};
    for (const TaskEndState state : states) {
        JobOutcome outcome{static_cast<int>(outcomes.size()),
                           "a.mkv",
                           "out/a.avi",
                           JobStatus::done,
                           "",
                           1.5,
                           2'000'000,
                           2048,
                           {}};
        TaskEndReport report;
        report.state = state;
        report.convertedUs = 1'000'000;
        report.expectedUs = 2'000'000;
        applyEndReport(outcome, report);
        reporter->finished(outcome);
        outcomes.push_back(outcome);
    }
    const JobOutcome refused{6, "b.mkv", "", JobStatus::notAdded, "cannot open", 0, -1, -1, {}};
    reporter->finished(refused);
    outcomes.push_back(refused);
    JobOutcome skipped = outcomes.front();
    skipped.job = 7;
    skipped.skipped = true;  // a listed job whose output was already complete
    reporter->finished(skipped);
    outcomes.push_back(skipped);
    reporter->allDone(outcomes, RunTotals{3.0, 0});
    reporter->allDone({}, RunTotals{});

    const std::vector<nlohmann::json> events = checkedEvents(out.str());
    EXPECT_EQ(events.size(), 3u + 1u + 4u + 8u + 2u);
}

// A run that ends in every outcome: done, failed, not added, incomplete, stopped while it runs
// and stopped before it started, with a warning about the command line.
TEST(EventSchema, EveryLineOfARunWithEachOutcomeMeetsIt) {
    SetMainThread();
    velmora::test::requireMediaLibraries();
    velmora::test::TempDir dir;
    SampleSpec spec;
    spec.container = "matroska";
    std::string error;
    spec.durationSeconds = 1.0;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("good.mkv"), &error)) << error;
    spec.durationSeconds = 4.0;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("whole.mkv"), &error)) << error;
    // Cut to its header: it opens, but nothing can be converted.
    ASSERT_TRUE(truncateCopy(dir.file("whole.mkv"), dir.file("header.mkv"), 0.02));
    // The header still promises 4 s; half of the file is gone.
    ASSERT_TRUE(truncateCopy(dir.file("whole.mkv"), dir.file("half.mkv"), 0.5));
    spec.durationSeconds = 60.0;
    ASSERT_TRUE(makeSampleMedia(spec, dir.file("long.mkv"), &error)) << error;

    test::CliProcess cli(
        {"convert", "--json", "-p", "1", "-o", dir.file("out"), "--ext-options", "frobnicate=1",
         dir.file("good.mkv"), dir.file("header.mkv"), dir.file("missing.mkv"),
         dir.file("half.mkv"), dir.file("long.mkv"), dir.file("long.mkv")},
        dir.file("run.log"));
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (cli.output().find(R"("event":"progress","job":5,)") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    cli.signal(SIGINT);
    EXPECT_EQ(cli.wait(), kInterruptedExitCode) << cli.output();

    const std::vector<nlohmann::json> events = checkedEvents(cli.output());
    ASSERT_FALSE(events.empty());
    const nlohmann::json& summary = events.back();
    ASSERT_EQ(summary["event"], "all-done") << cli.output();
    std::vector<std::string> statuses;
    for (const nlohmann::json& job : summary["jobs"]) {
        statuses.push_back(job["status"]);
    }
    EXPECT_EQ(statuses, (std::vector<std::string>{"done", "failed", "not-added", "incomplete",
                                                  "stopped", "stopped"}))
        << cli.output();

    // Each job's own result says what the summary says about it.
    std::map<int, nlohmann::json> results;
    bool warned = false;
    for (nlohmann::json event : events) {
        if (event["event"] == "notice" && event["level"] == "warning") {
            warned = event["message"].get<std::string>().find("frobnicate=1") != std::string::npos;
        }
        if (event["event"] == "result") {
            event.erase("schema");
            event.erase("event");
            results[event["job"].get<int>()] = event;
        }
    }
    EXPECT_TRUE(warned) << cli.output();
    ASSERT_EQ(results.size(), summary["jobs"].size());
    for (const nlohmann::json& job : summary["jobs"]) {
        EXPECT_EQ(results[job["job"].get<int>()], job);
    }

    // The job stopped while running keeps its part; the one that never started has no file.
    const nlohmann::json& running = summary["jobs"][4];
    ASSERT_TRUE(running.contains("size_bytes")) << running;
    EXPECT_EQ(fs::file_size(running["output"].get<std::string>()),
              running["size_bytes"].get<std::uintmax_t>());
    const nlohmann::json& waiting = summary["jobs"][5];
    EXPECT_FALSE(waiting.contains("size_bytes")) << waiting;
    EXPECT_FALSE(waiting.contains("duration_seconds")) << waiting;
    EXPECT_EQ(waiting["elapsed_seconds"], 0.0) << waiting;
    EXPECT_FALSE(fs::exists(waiting["output"].get<std::string>())) << waiting;

    // The raw task writes the same events.
    const test::CliResult task = test::runCli(
        {"task", "--json", "-i", dir.file("good.mkv"), "-o", dir.file("out/task.mkv")});
    EXPECT_EQ(task.exitCode, 0) << task.output;
    const std::vector<nlohmann::json> taskEvents = checkedEvents(task.output);
    ASSERT_FALSE(taskEvents.empty());
    EXPECT_EQ(taskEvents.back()["jobs"][0]["status"], "done");
}

}  // namespace
}  // namespace velmora::cli
