// velmora-cli runs that end early from outside: killed outright, or told to stop by the signals a
// process manager sends. Nothing broken may carry a finished output's name, and what a killed
// run left behind is cleaned up by the next run of that output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "CliRun.h"
#include "OutputFacts.h"
#include "cli/InterruptWatch.h"
#include "engine/OutputPartFile.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

using test::CliProcess;

// Polls until done() holds; false after a minute (a hung run, not a slow machine).
bool waitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::vector<fs::path> partFilesIn(const fs::path& folder) {
    std::vector<fs::path> parts;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".part") {
            parts.push_back(entry.path());
        }
    }
    return parts;
}

class InterruptedRun : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        velmora::test::requireMediaLibraries();
        fs::create_directories(dir.path() / "out");
    }

    void makeSource(double seconds) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        std::string error;
        ASSERT_TRUE(makeSampleMedia(spec, source, &error)) << error;
    }

    std::vector<std::string> convertArguments() const {
        return {"convert", "--json", "-p", "400", "-o", dir.file("out"), source};
    }

    velmora::test::TempDir dir;
    const std::string source = dir.file("long.mkv");
    const std::string target = dir.file("out/long.mkv");
};

TEST(InterruptRule, SignalsWithinTwoSecondsAreOneRequest) {
    EXPECT_FALSE(signalEndsProcess(-1, 5000));    // the first one asks to stop
    EXPECT_FALSE(signalEndsProcess(5000, 5000));  // a group signal arriving with it
    EXPECT_FALSE(signalEndsProcess(5000, 6999));
    EXPECT_TRUE(signalEndsProcess(5000, 7000));  // a second request: quit at once
}

TEST_F(InterruptedRun, KilledRunLeavesNoFinalNameAndItsLeftoverGoesNextTime) {
    makeSource(60.0);
    {
        CliProcess cli(convertArguments(), dir.file("first.log"));
        ASSERT_TRUE(waitFor([&] {
            const auto parts = partFilesIn(dir.path() / "out");
            return !parts.empty() && fs::file_size(parts.front()) > 0;
        })) << cli.output();
        cli.signal(SIGKILL);
        EXPECT_EQ(cli.wait(), -SIGKILL);
    }
    EXPECT_FALSE(fs::exists(target));
    const auto leftovers = partFilesIn(dir.path() / "out");
    ASSERT_EQ(leftovers.size(), 1u);
    EXPECT_TRUE(isPartFileOf(target, leftovers.front().filename().string()));

    // Another writer of the same output, still at work: its part file is locked.
    const std::string live = partFileName(target, 4194000);
    std::ofstream(live) << "being written";
    const int liveFd = ::open(live.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(liveFd, LOCK_EX | LOCK_NB), 0);

    makeSource(1.0);
    CliProcess again(convertArguments(), dir.file("second.log"));
    EXPECT_EQ(again.wait(), 0) << again.output();
    ::close(liveFd);
    EXPECT_FALSE(fs::exists(leftovers.front()));
    EXPECT_TRUE(fs::exists(live));
    const test::OutputFacts facts = test::readOutputFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_NEAR(facts.durationSeconds, 1.0, 0.2);
}

TEST_F(InterruptedRun, TwoTerminationSignalsStopOnceWithSummaryAndPlayableOutput) {
    makeSource(60.0);
    CliProcess cli(convertArguments(), dir.file("run.log"));
    ASSERT_TRUE(waitFor([&] { return cli.output().find("\"progress\"") != std::string::npos; }))
        << cli.output();
    // As timeout(1) or a process manager does: the process and its group, one after the other.
    cli.signal(SIGTERM);
    cli.signal(SIGTERM);
    EXPECT_EQ(cli.wait(), kInterruptedExitCode);

    nlohmann::json last;
    std::istringstream lines(cli.output());
    for (std::string line; std::getline(lines, line);) {
        last = nlohmann::json::parse(line);
    }
    ASSERT_EQ(last["event"], "all-done") << cli.output();
    EXPECT_EQ(last["jobs"][0]["status"], "stopped");
    EXPECT_TRUE(partFilesIn(dir.path() / "out").empty());
    const test::OutputFacts facts = test::readOutputFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_TRUE(facts.hasVideo);
    EXPECT_GT(facts.durationSeconds, 0.0);
    EXPECT_LT(facts.durationSeconds, 60.0);
}

}  // namespace
}  // namespace velmora::cli
