// Job lists across processes: `convert --plan` writes the jobs convert would run, `run-jobs` runs
// them (or a shard of them) to exactly the planned names, skips outputs that read back whole and
// converts again what a stopped or killed run left; and a list spread over four processes by GNU
// parallel, one of them killed half-way and run again, ends with every output once.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#include "CliRun.h"
#include "cli/ListedOutputCheck.h"
#include "medialib/MainThreadQueue.h"
#include "profiles/JobListFile.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class JobListRun : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        velmora::test::requireMediaLibraries();
    }

    // A small clip; short and small so that the suite stays quick.
    std::string makeClip(const std::string& name, double seconds) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        spec.width = 160;
        spec.height = 120;
        const std::string path = dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    velmora::test::TempDir dir;
};

// The JSON events of a run; other lines (none are expected) are left out.
std::vector<nlohmann::json> eventsOf(const std::string& output) {
    std::vector<nlohmann::json> events;
    for (const std::string& line : test::outputLines(output)) {
        if (line.starts_with("{")) {
            events.push_back(nlohmann::json::parse(line));
        }
    }
    return events;
}

std::vector<nlohmann::json> resultsOf(const std::string& output) {
    std::vector<nlohmann::json> results;
    for (const nlohmann::json& event : eventsOf(output)) {
        if (event["event"] == "result") {
            results.push_back(event);
        }
    }
    return results;
}

// The names in a folder, hidden ones (part files) included.
std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::vector<JobListEntry> readList(const std::string& path) {
    const JobListRead read = readJobList(path);
    EXPECT_TRUE(read.jobs) << read.error;
    return read.jobs.value_or(std::vector<JobListEntry>{});
}

TEST_F(JobListRun, AnExistingOutputCountsAsDoneOnlyWhenItReadsBackWhole) {
    const std::string whole = makeClip("whole.mkv", 3.0);
    const std::string part = makeClip("part.mkv", 1.0);
    const std::string garbage = dir.file("garbage.mkv");
    std::ofstream(garbage) << "not a media file";
    fs::create_directory(dir.file("folder.mkv"));

    const struct {
        std::string output;
        std::int64_t sourceUs;
        std::int64_t cutStartUs;
        ListedOutput expected;
        const char* reason;
    } rows[] = {
        {dir.file("missing.mkv"), 3'000'000, kNoTime, ListedOutput::Missing, ""},
        {whole, 3'000'000, kNoTime, ListedOutput::Complete, ""},
        {part, 1'000'000, kNoTime, ListedOutput::Complete, ""},
        {part, 3'000'000, 2'000'000, ListedOutput::Complete, ""},  // the last second of a cut
        {part, 3'000'000, kNoTime, ListedOutput::Unverified, "holds 1.0 s of 3.0 s"},
        {whole, -1, kNoTime, ListedOutput::Unverified, "duration is not known"},
        {garbage, 3'000'000, kNoTime, ListedOutput::Unverified, "cannot be read"},
        {dir.file("folder.mkv"), 3'000'000, kNoTime, ListedOutput::Unverified, "not a regular"},
    };
    for (const auto& row : rows) {
        JobListEntry job;
        job.output.FileName = row.output;
        job.input.StartTime = row.cutStartUs;
        job.origin.source.durationUs = row.sourceUs;
        const ListedOutputCheck check = checkListedOutput(job);
        EXPECT_EQ(check.state, row.expected) << row.output << " " << check.reason;
        EXPECT_NE(check.reason.find(row.reason), std::string::npos) << check.reason;
    }
}

TEST_F(JobListRun, APlannedListRunsToThePlannedNamesAndTakesUpWhereItStopped) {
    const std::string a = makeClip("a.mkv", 2.0);
    const std::string b = makeClip("b.mkv", 2.0);
    const std::string out = dir.file("out");
    const std::string list = dir.file("lists/list.json");

    // The plan names every output (a source given twice gets a numbered name) and converts none.
    test::CliResult plan = test::runCli(
        {"convert", "-o", out, "--set", "frame-size=176*144", "--plan", list, a, b, a});
    ASSERT_EQ(plan.exitCode, 0) << plan.output;
    const std::vector<JobListEntry> jobs = readList(list);
    ASSERT_EQ(jobs.size(), 3u);
    const std::vector<std::string> planned = {jobs[0].output.FileName, jobs[1].output.FileName,
                                              jobs[2].output.FileName};
    EXPECT_EQ(planned[0], (fs::path(out) / "a.mkv").string());
    EXPECT_EQ(planned[1], (fs::path(out) / "b.mkv").string());
    EXPECT_EQ(planned[2], (fs::path(out) / "a(New_1).mkv").string());
    for (const JobListEntry& job : jobs) {
        EXPECT_EQ(job.origin.choices.ProfileCode, 400);
        EXPECT_EQ(job.output.FrameSize, "176*144") << "--set reaches the listed record";
        EXPECT_EQ(job.state, JobState::Ready);
        EXPECT_GT(job.origin.source.durationUs, 0);
    }
    EXPECT_TRUE(!fs::exists(out) || fs::is_empty(out)) << "a plan converts nothing";

    // The whole list, from another working folder: every output under its planned name.
    test::CliResult run = test::runCliLine("run-jobs --json " + list, "cd / &&");
    ASSERT_EQ(run.exitCode, 0) << run.output;
    std::vector<nlohmann::json> results = resultsOf(run.output);
    ASSERT_EQ(results.size(), 3u);
    for (std::size_t k = 0; k < results.size(); ++k) {
        EXPECT_EQ(results[k]["job"], k + 1);
        EXPECT_EQ(results[k]["status"], "done");
        EXPECT_EQ(results[k]["output"], planned[k]);
        EXPECT_FALSE(results[k].contains("skipped"));
    }
    EXPECT_EQ(namesIn(out), (std::set<std::string>{"a.mkv", "b.mkv", "a(New_1).mkv"}));
    const nlohmann::json allDone = eventsOf(run.output).back();
    EXPECT_EQ(allDone["event"], "all-done");
    EXPECT_EQ(allDone["list_time_left_seconds"], 0.0);

    // Run again: nothing left to do.
    const auto firstWrite = fs::last_write_time(planned[1]);
    run = test::runCli({"run-jobs", "--json", list});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const nlohmann::json& result : resultsOf(run.output)) {
        EXPECT_EQ(result["status"], "done");
        EXPECT_EQ(result["skipped"], true) << result.dump();
    }
    EXPECT_EQ(fs::last_write_time(planned[1]), firstWrite);

    // What a stopped run leaves (a short output) and a damaged file are converted again, each
    // by the shard that holds its job; the rest stays.
    fs::copy_file(makeClip("short.mkv", 0.5), planned[0], fs::copy_options::overwrite_existing);
    std::ofstream(planned[1], std::ios::trunc) << "cut off";
    run = test::runCli({"run-jobs", list, "--json", "--shard", "0/2"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    // A skipped job's result comes when the jobs are taken, before any conversion ends.
    results = resultsOf(run.output);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0]["job"], 3);
    EXPECT_EQ(results[0]["skipped"], true);
    EXPECT_EQ(results[1]["job"], 1);
    EXPECT_EQ(results[1]["status"], "done");
    EXPECT_FALSE(results[1].contains("skipped")) << "the short output is replaced";
    std::ifstream damaged(planned[1]);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(damaged), {}), "cut off")
        << "shard 0 of 2 leaves job 2 alone";
    run = test::runCli({"run-jobs", list, "--shard", "1/2"});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    for (const JobListEntry& job : jobs) {
        EXPECT_EQ(checkListedOutput(job).state, ListedOutput::Complete) << job.output.FileName;
    }
    EXPECT_EQ(namesIn(out).size(), 3u) << "no duplicates, no part files";

    // A source that changed since the plan is not converted to the old plan.
    fs::remove(planned[1]);
    std::ofstream(b, std::ios::app) << "more";
    run = test::runCli({"run-jobs", list, "--json"});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    results = resultsOf(run.output);
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[1]["status"], "not-added");
    EXPECT_EQ(results[1]["message"], "the source has changed since the list was planned");
}

// A list not made by a plan may name one output twice; whichever shard holds the later job leaves
// it out, so no two processes write one file.
TEST_F(JobListRun, TheLaterOfTwoJobsWithOneOutputIsLeftOut) {
    const std::string list = dir.file("list.json");
    const test::CliResult plan = test::runCli({"convert", "-o", dir.file("out"), "--plan", list,
                                               makeClip("a.mkv", 1.0), makeClip("b.mkv", 1.0)});
    ASSERT_EQ(plan.exitCode, 0) << plan.output;
    std::vector<JobListEntry> jobs = readList(list);
    ASSERT_EQ(jobs.size(), 2u);
    jobs[1].output.FileName = jobs[0].output.FileName;
    ASSERT_TRUE(writeJobList(list, jobs));
    const test::CliResult run = test::runCli({"run-jobs", list, "--shard", "1/2", "--json"});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    const std::vector<nlohmann::json> results = resultsOf(run.output);
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0]["status"], "not-added");
    EXPECT_EQ(results[0]["message"], "job 1 of the list writes the same output");
    EXPECT_FALSE(fs::exists(jobs[0].output.FileName)) << "shard 1 leaves job 1 to shard 0";
}

TEST_F(JobListRun, RefusesABadListOrShardWithoutTouchingTheList) {
    const std::string list = dir.file("list.json");
    const std::string text = R"({"format": "velmora-job-list", "version": 99, "jobs": []})";
    std::ofstream(list) << text;
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        const char* expected;
    } rows[] = {
        {{"run-jobs", list}, 1, "was written by a newer Velmora; it is left as it is"},
        {{"run-jobs", dir.file("none.json")}, 1, "no job list at"},
        {{"run-jobs", list, "--shard", "2/2"}, 2, "the index 2 is not within 0..1"},
        {{"run-jobs", list, "--shard"}, 2, "SLURM_ARRAY_TASK_COUNT is not set"},
        {{"run-jobs", list, "-j", "0"}, 2, "-j takes a number of at least 1"},
        {{"convert", "--plan", dir.file("missing-folder-file/x.json"), dir.file("none.mkv")},
         1,
         "cannot open the source"},
    };
    for (const auto& row : rows) {
        const test::CliResult result = test::runCli(row.arguments);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.output;
        EXPECT_NE(result.output.find(row.expected), std::string::npos) << result.output;
    }
    std::ifstream in(list);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), text);
}

// A shell command line started in the background.
class ShellProcess {
public:
    explicit ShellProcess(const std::string& command) {
        m_pid = ::fork();
        if (m_pid == 0) {
            ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~ShellProcess() {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            wait();
        }
    }
    ShellProcess(const ShellProcess&) = delete;
    ShellProcess& operator=(const ShellProcess&) = delete;

    int wait() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }

private:
    pid_t m_pid = -1;
};

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Twelve clips planned and run by GNU parallel as four shards. Shard 1 is killed (SIGKILL, as a
// machine that goes down) while it converts its second job, a longer clip, and is then simply run
// again: every output exists once, reads back whole, and no part file is left.
TEST_F(JobListRun, TwelveClipsOnFourShardsByParallelSurviveAKilledShard) {
    if (std::system("command -v parallel >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "GNU parallel is not installed (scripts/install-deps.sh installs it)";
    }
    constexpr int kClips = 12;
    constexpr int kKilledShard = 1;
    constexpr int kLongJob = 5;  // shard 1's second job: long enough to be killed inside
    std::vector<std::string> arguments = {"convert", "-o", dir.file("out"), "--plan",
                                          dir.file("list.json")};
    for (int k = 0; k < kClips; ++k) {
        arguments.push_back(makeClip("clip" + std::to_string(k) + ".mkv", k == kLongJob ? 60 : 1));
    }
    const test::CliResult plan = test::runCli(arguments);
    ASSERT_EQ(plan.exitCode, 0) << plan.output;
    const std::vector<JobListEntry> jobs = readList(dir.file("list.json"));
    ASSERT_EQ(jobs.size(), static_cast<std::size_t>(kClips));

    // Each shard's process id and events go to files of its own, for the test to follow.
    const std::string shardCommand = "echo $$ > " + dir.file("pid.{}") + "; exec " +
                                     VELMORA_CLI_PATH + " run-jobs " + dir.file("list.json") +
                                     " --shard {}/4 --json > " + dir.file("log.{}") + " 2>&1";
    const std::string parallel = "parallel -j4 '" + shardCommand + "' ::: ";
    ShellProcess all(parallel + "0 1 2 3");
    const std::string log = dir.file("log." + std::to_string(kKilledShard));
    const std::string pidFile = dir.file("pid." + std::to_string(kKilledShard));
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    // Killed once its first job has ended and the long one writes its part file.
    const std::string longName = fs::path(jobs[kLongJob].output.FileName).filename().string();
    const auto partFileOfLongJob = [&] {
        if (!fs::exists(dir.file("out"))) {
            return false;
        }
        for (const std::string& name : namesIn(dir.file("out"))) {
            if (name.starts_with("." + longName + ".") && name.ends_with(".part")) {
                return true;
            }
        }
        return false;
    };
    while (!(resultsOf(fileText(log)).size() == 1 && partFileOfLongJob()) &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(resultsOf(fileText(log)).size(), 1u) << fileText(log);
    const pid_t shardPid = std::stoi(fileText(pidFile));
    ASSERT_EQ(::kill(shardPid, SIGKILL), 0);
    EXPECT_NE(all.wait(), 0) << "parallel reports the killed shard";
    EXPECT_EQ(fileText(log).find("all-done"), std::string::npos) << "killed before its end";
    EXPECT_FALSE(fs::exists(jobs[kLongJob].output.FileName));
    EXPECT_TRUE(partFileOfLongJob()) << "the killed writer's part file stays behind";

    ShellProcess again(parallel + std::to_string(kKilledShard));
    ASSERT_EQ(again.wait(), 0) << fileText(log);
    const std::vector<nlohmann::json> rerun = resultsOf(fileText(log));
    ASSERT_EQ(rerun.size(), 3u) << fileText(log);
    for (const nlohmann::json& result : rerun) {
        EXPECT_EQ(result["status"], "done");
        // The job done before the kill is not run again; the killed one is.
        EXPECT_EQ(result.contains("skipped"), result["job"] == kKilledShard + 1) << result.dump();
    }

    std::set<std::string> planned;
    for (const JobListEntry& job : jobs) {
        planned.insert(fs::path(job.output.FileName).filename().string());
        EXPECT_EQ(checkListedOutput(job).state, ListedOutput::Complete) << job.output.FileName;
    }
    EXPECT_EQ(planned.size(), static_cast<std::size_t>(kClips)) << "no two jobs share a name";
    EXPECT_EQ(namesIn(dir.file("out")), planned) << "no duplicates and no part files";
}

}  // namespace
}  // namespace velmora::cli
