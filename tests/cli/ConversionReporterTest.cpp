#include "cli/ConversionReporter.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

#include "cli/BatchJobs.h"

namespace velmora::cli {
namespace {

TEST(ProgressLineTest, ShowsPercentSecondsFpsSpeedAndRemainingTime) {
    const struct {
        JobProgress progress;
        const char* expected;
    } rows[] = {
        // 5 of 10 s in 2.5 s: twice real time, 2.5 s to go.
        {{0, 5'000'000, 10'000'000, 125, 50, 2.5},
         "[1]  50%      5.0s    50 fps   2.00x  ETA 00:00:03"},
        // Unknown total: no percent, no remaining time.
        {{1, 1'000'000, -1, 25, 25, 1.0}, "[2]   ?%      1.0s    25 fps   1.00x  ETA --:--:--"},
        // Audio only (fps -1); the output may run past the expected total.
        {{2, 12'000'000, 10'000'000, -1, -1, 4.0},
         "[3] 100%     12.0s     - fps   3.00x  ETA --:--:--"},
        // Nothing elapsed yet: no speed.
        {{0, 0, 10'000'000, 0, 0, 0.0}, "[1]   0%      0.0s     0 fps   0.00x  ETA --:--:--"},
        // The engine has no rate before a second has passed: frames over elapsed time.
        {{0, 2'000'000, 4'000'000, 50, 0, 0.5},
         "[1]  50%      2.0s   100 fps   4.00x  ETA 00:00:01"},
    };
    for (const auto& row : rows) {
        const std::string label = "[" + std::to_string(row.progress.job + 1) + "]";
        EXPECT_EQ(formatProgressLine(label, row.progress), row.expected);
    }
}

TEST(ProgressLineTest, RateComesFromFramesWhileTheEngineHasNone) {
    const struct {
        JobProgress progress;
        int fps;
    } rows[] = {
        {{0, 0, -1, 24, 0, 0.4}, 60},   // first report of a job
        {{0, 0, -1, 24, 30, 0.4}, 30},  // the engine's own rate wins
        {{0, 0, -1, 0, 0, 0.4}, 0},     // no frame written yet
        {{0, 0, -1, 24, 0, 0.0}, 0},    // no time passed
        {{0, 0, -1, -1, -1, 0.4}, -1},  // no video
    };
    for (const auto& row : rows) {
        EXPECT_EQ(framesPerSecond(row.progress), row.fps)
            << row.progress.frame << " frames, engine " << row.progress.fps;
    }
}

TEST(JsonReporterTest, WritesOneObjectPerEventWithJobsCountedFromOne) {
    std::ostringstream out;
    const auto reporter = makeJsonReporter(out);
    reporter->added(0, "in.mkv", "out.avi");
    reporter->progress({0, 5'000'000, 10'000'000, 10, 0, 0.5});
    JobOutcome refused{0, "in.mkv", "", JobStatus::notAdded, "bad \xff name", 0, -1, -1, {}};
    reporter->finished(refused);
    reporter->allDone({refused}, RunTotals{0.25, 0});

    std::istringstream lines(out.str());
    std::vector<nlohmann::json> events;
    for (std::string line; std::getline(lines, line);) {
        events.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(events.size(), 4u);
    for (const nlohmann::json& event : events) {
        EXPECT_EQ(event["schema"], kEventSchemaVersion);
    }
    EXPECT_EQ(events[0]["event"], "added");
    EXPECT_EQ(events[0]["job"], 1);
    EXPECT_EQ(events[1]["event"], "progress");
    EXPECT_DOUBLE_EQ(events[1]["percent"].get<double>(), 50.0);
    EXPECT_DOUBLE_EQ(events[1]["converted_seconds"].get<double>(), 5.0);
    EXPECT_DOUBLE_EQ(events[1]["elapsed_seconds"].get<double>(), 0.5);
    EXPECT_EQ(events[1]["fps"], 20);
    // A job that could not be added says so in its status, in its own event and in the summary
    // alike; invalid UTF-8 does not break JSON.
    EXPECT_EQ(events[2]["event"], "result");
    EXPECT_EQ(events[2]["status"], "not-added");
    EXPECT_FALSE(events[2].contains("size_bytes"));
    EXPECT_FALSE(events[2].contains("output"));
    EXPECT_EQ(events[3]["event"], "all-done");
    EXPECT_DOUBLE_EQ(events[3]["run_seconds"].get<double>(), 0.25);
    EXPECT_DOUBLE_EQ(events[3]["list_time_left_seconds"].get<double>(), 0.0);
    ASSERT_EQ(events[3]["jobs"].size(), 1u);
    nlohmann::json sameJob = events[2];
    sameJob.erase("schema");
    sameJob.erase("event");
    EXPECT_EQ(events[3]["jobs"][0], sameJob);
}

TEST(TextReporterTest, PrintsOneLinePerReportWithoutATerminalAndASummary) {
    std::ostringstream out;
    std::ostringstream err;
    const auto reporter = makeTextReporter(out, err, false);
    reporter->progress({0, 1'000'000, 2'000'000, 25, 25, 1.0});
    reporter->progress({0, 2'000'000, 2'000'000, 50, 25, 2.0});
    reporter->finished({0, "in.mkv", "out.avi", JobStatus::done, "", 2.0, 2'000'000, 2048, {}});
    reporter->allDone({{0, "in.mkv", "out.avi", JobStatus::done, "", 2.0, 2'000'000, 2048, {}}},
                      RunTotals{2.0, 0});
    const std::string text = out.str();
    EXPECT_EQ(text.find('\x1b'), std::string::npos) << "no cursor movement without a terminal";
    EXPECT_NE(text.find("[1]  50%"), std::string::npos);
    EXPECT_NE(text.find("[1] 100%"), std::string::npos);
    EXPECT_NE(text.find("[1] done"), std::string::npos);
    EXPECT_NE(text.find("2.00s"), std::string::npos);
    EXPECT_NE(text.find("2.0 KiB  in.mkv -> out.avi"), std::string::npos);
    EXPECT_NE(text.find("Run time 00:00:02, all jobs ended"), std::string::npos);
    EXPECT_TRUE(err.str().empty());
}

// The time the whole run still needs: in each live line when it is known, in the summary's last
// line, and as fields of the JSON events.
TEST(RunTimeLeftTest, ShownInTheLineTheSummaryAndTheEvents) {
    JobProgress progress{0, 1'000'000, 2'000'000, 25, 25, 1.0};
    EXPECT_EQ(formatProgressLine("[1]", progress).find("all "), std::string::npos)
        << "nothing while it is not known";
    progress.listTimeLeftUs = 61'500'000;
    EXPECT_NE(formatProgressLine("[1]", progress).find("ETA 00:00:01  all 00:01:02"),
              std::string::npos)
        << formatProgressLine("[1]", progress);

    const struct {
        RunTotals totals;
        std::string expected;
    } rows[] = {
        {{3.6, 0}, "Run time 00:00:04, all jobs ended"},
        {{3.4, 90'000'000}, "Run time 00:00:03, the jobs not converted need about 00:01:30 more"},
        {{0, -1}, "Run time 00:00:00, the time the jobs not converted need is not known"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(formatRunTotals(row.totals), row.expected);
    }

    std::ostringstream out;
    const auto reporter = makeJsonReporter(out);
    reporter->progress(progress);
    JobOutcome skipped{2, "in.mkv", "out.avi", JobStatus::done, "already", 0, 2'000'000, 2048, {}};
    skipped.skipped = true;
    reporter->finished(skipped);
    reporter->allDone({skipped}, RunTotals{1.5, -1});
    std::istringstream lines(out.str());
    std::vector<nlohmann::json> events;
    for (std::string line; std::getline(lines, line);) {
        events.push_back(nlohmann::json::parse(line));
    }
    ASSERT_EQ(events.size(), 3u);
    EXPECT_DOUBLE_EQ(events[0]["list_time_left_seconds"].get<double>(), 61.5);
    EXPECT_EQ(events[1]["skipped"], true);
    EXPECT_EQ(events[1]["job"], 3);
    EXPECT_FALSE(events[2].contains("list_time_left_seconds")) << "not known";
    EXPECT_EQ(events[2]["jobs"][0]["skipped"], true);
}

TEST(TextReporterTest, AJobThatEndsDoneEndsItsLineAtAHundredPercent) {
    for (const bool live : {false, true}) {
        std::ostringstream out;
        std::ostringstream err;
        const auto reporter = makeTextReporter(out, err, live);
        // The last report came just before the end, as it does.
        reporter->progress({0, 9'960'000, 10'000'000, 249, 162, 1.5});
        reporter->finished(
            {0, "in.mkv", "out.mkv", JobStatus::done, "", 1.6, 10'070'000, 2048, {}});
        reporter->progress({1, 3'000'000, 10'000'000, 75, 50, 1.5});
        reporter->finished({1,
                            "in.mkv",
                            "cut.mkv",
                            JobStatus::incomplete,
                            "only 3.0 s of 10.0 s",
                            1.6,
                            3'000'000,
                            2048,
                            {}});
        const std::string text = out.str();
        const std::size_t last = text.find("[1] 100%     10.0s   156 fps   6.25x  ETA 00:00:00\n");
        ASSERT_NE(last, std::string::npos) << text;
        EXPECT_NE(text.find("[1] done\n", last), std::string::npos) << text;
        // Only a done job is shown complete.
        EXPECT_EQ(text.find("[2] 100%"), std::string::npos) << text;
        EXPECT_NE(text.find("[2] incomplete: only 3.0 s of 10.0 s\n"), std::string::npos) << text;
    }
}

TEST(TextReporterTest, WarningsAndErrorsGoToTheErrorStream) {
    std::ostringstream out;
    std::ostringstream err;
    const auto reporter = makeTextReporter(out, err, false);
    reporter->notice(NoticeLevel::info, "Sample clip: a.mkv");
    reporter->notice(NoticeLevel::warning, "no media files in d");
    reporter->notice(NoticeLevel::error, "cannot load the media libraries: x");
    EXPECT_EQ(out.str(), "Sample clip: a.mkv\n");
    EXPECT_EQ(err.str(),
              "warning: no media files in d\nerror: cannot load the media libraries: x\n");
}

TEST(ReporterTest, EndStatesGiveStatusAndText) {
    TaskEndReport report;
    report.state = TaskEndState::Incomplete;
    report.convertedUs = 4'890'000;
    report.expectedUs = 10'030'000;
    JobOutcome outcome{0, "in.mkv", "out.avi", JobStatus::notAdded, "", 1.0, 4'890'000, 2048, {}};
    applyEndReport(outcome, report);
    EXPECT_EQ(outcome.status, JobStatus::incomplete);
    EXPECT_EQ(outcome.message, "only 4.9 s of 10.0 s converted");

    std::ostringstream text;
    std::ostringstream err;
    makeTextReporter(text, err, false)->allDone({outcome}, RunTotals{});
    EXPECT_NE(text.str().find("[1] incomplete"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("\n      only 4.9 s of 10.0 s converted\n"), std::string::npos)
        << text.str();

    std::ostringstream json;
    makeJsonReporter(json)->finished(outcome);
    const auto event = nlohmann::json::parse(json.str());
    EXPECT_EQ(event["event"], "result");
    EXPECT_EQ(event["status"], "incomplete");
    EXPECT_EQ(event["end_state"], "incomplete");
    EXPECT_EQ(event["message"], "only 4.9 s of 10.0 s converted");

    const struct {
        TaskEndState state;
        JobStatus status;
        const char* name;
    } rows[] = {
        {TaskEndState::Done, JobStatus::done, "done"},
        {TaskEndState::DoneWithSkippedData, JobStatus::done, "done-with-skipped-data"},
        {TaskEndState::DoneWithDroppedStream, JobStatus::done, "done-with-dropped-stream"},
        {TaskEndState::Failed, JobStatus::failed, "failed"},
        {TaskEndState::Stopped, JobStatus::stopped, "stopped"},
    };
    for (const auto& row : rows) {
        report.state = row.state;
        applyEndReport(outcome, report);
        EXPECT_EQ(outcome.status, row.status) << row.name;
        EXPECT_STREQ(endStateName(row.state), row.name);
    }
    // Only a done state exits 0.
    EXPECT_EQ(exitCodeOf({outcome}, false), 1);
}

}  // namespace
}  // namespace velmora::cli
