// Job creation and batch runs over real (short) sample media: output naming, bad sources, the
// cut range, parallel runs and an interrupted run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "OutputFacts.h"
#include "SilentReporter.h"
#include "cli/BatchJobs.h"
#include "cli/ChoiceParsing.h"
#include "cli/InterruptWatch.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

class BatchJobsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        velmora::test::requireMediaLibraries();
        fs::create_directories(outFolder());
    }

    std::string makeClip(const std::string& name, double seconds = 2.0) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        const std::string path = dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    std::string outFolder() const { return dir.file("out"); }

    std::vector<std::string> outputsWritten() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(outFolder())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    velmora::test::TempDir dir;
    test::SilentReporter reporter;
};

TEST_F(BatchJobsTest, NamesOutputsAroundExistingFilesAndEachOther) {
    const std::string source = makeClip("movie.mkv");
    fs::create_directories(dir.file("other"));
    const std::string twin = dir.file("other/movie.mkv");
    fs::copy_file(source, twin);
    std::ofstream(dir.file("out/movie.avi")) << "old";
    std::ofstream(dir.file("out/movie(New_1).avi")) << "old";
    JobChoices avi;
    avi.profileCode = 1;

    {
        BatchJobs batch(reporter);
        ASSERT_TRUE(batch.loadLibraries());
        ASSERT_TRUE(batch.addFile(source, avi, outFolder(), ExistingFileRule::NewName));
        EXPECT_EQ(batch.outcomes()[0].output, dir.file("out/movie(New_2).avi"));
    }
    // A job that never ran leaves no file behind.
    EXPECT_FALSE(fs::exists(dir.file("out/movie(New_2).avi")));

    BatchJobs overwriting(reporter);
    ASSERT_TRUE(overwriting.addFile(source, avi, outFolder(), ExistingFileRule::Overwrite));
    EXPECT_EQ(overwriting.outcomes()[0].output, dir.file("out/movie.avi"));
    // A second source with the same name never gets the first one's output, even when
    // overwriting.
    ASSERT_TRUE(overwriting.addFile(twin, avi, outFolder(), ExistingFileRule::Overwrite));
    EXPECT_EQ(overwriting.outcomes()[1].output, dir.file("out/movie(New_2).avi"));
}

TEST_F(BatchJobsTest, AddingAJobTouchesNoFile) {
    const std::string source = makeClip("movie.mkv");
    std::ofstream(dir.file("out/movie.avi")) << "an earlier conversion";
    JobChoices avi;
    avi.profileCode = 1;
    {
        BatchJobs batch(reporter);
        ASSERT_TRUE(batch.loadLibraries());
        ASSERT_TRUE(batch.addFile(source, avi, outFolder(), ExistingFileRule::Overwrite));
        EXPECT_EQ(batch.outcomes()[0].output, dir.file("out/movie.avi"));
        EXPECT_EQ(outputsWritten(), std::vector<std::string>{"movie.avi"});
        std::ifstream in(dir.file("out/movie.avi"));
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an earlier conversion");
    }
    std::ifstream in(dir.file("out/movie.avi"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "an earlier conversion");
}

TEST_F(BatchJobsTest, RefusesToOverwriteTheSource) {
    const std::string source = makeClip("out/clip.mkv");
    JobChoices mkv;  // profile 400 writes .mkv into the source's own folder
    BatchJobs batch(reporter);
    ASSERT_TRUE(batch.loadLibraries());
    EXPECT_FALSE(batch.addFile(source, mkv, outFolder(), ExistingFileRule::Overwrite));
    EXPECT_NE(batch.outcomes()[0].message.find("would overwrite its source"), std::string::npos);
    ASSERT_TRUE(batch.addFile(source, mkv, outFolder(), ExistingFileRule::NewName));
    EXPECT_EQ(batch.outcomes()[1].output, dir.file("out/clip(New_1).mkv"));
}

TEST_F(BatchJobsTest, BadSourcesAreNotAddedAndWriteNothing) {
    const std::string good = makeClip("good.mkv");
    std::ofstream(dir.file("empty.mkv")).flush();
    {
        std::ofstream random(dir.file("random.avi"), std::ios::binary);
        std::uint32_t state = 12345;
        for (int i = 0; i < 65536; ++i) {
            state = state * 1664525u + 1013904223u;
            random.put(static_cast<char>(state >> 24));
        }
    }
    fs::create_directories(dir.file("folder.mkv"));
    fs::copy_file(good, dir.file("locked.mkv"));
    fs::permissions(dir.file("locked.mkv"), fs::perms::none);
    const bool lockedIsUnreadable = ::access(dir.file("locked.mkv").c_str(), R_OK) != 0;

    const char* names[] = {"missing.mkv", "folder.mkv", "empty.mkv", "random.avi", "locked.mkv"};
    BatchJobs batch(reporter);
    ASSERT_TRUE(batch.loadLibraries());
    for (const char* name : names) {
        if (std::string(name) == "locked.mkv" && !lockedIsUnreadable) {
            continue;  // running with rights that read any file
        }
        EXPECT_FALSE(
            batch.addFile(dir.file(name), JobChoices{}, outFolder(), ExistingFileRule::NewName))
            << name;
        const JobOutcome& outcome = batch.outcomes().back();
        EXPECT_EQ(outcome.status, JobStatus::notAdded) << name;
        // The probe's own text follows ours.
        EXPECT_GT(outcome.message.size(), std::string("cannot open the source: ").size()) << name;
        EXPECT_EQ(outcome.message.rfind("cannot open the source: ", 0), 0u) << outcome.message;
    }
    EXPECT_EQ(batch.run(RunSettings{}, nullptr), kExitJobFailed);
    EXPECT_TRUE(outputsWritten().empty());
}

TEST_F(BatchJobsTest, RunsJobsInParallelAndCutsTheSource) {
    const std::string first = makeClip("first.mkv");
    const std::string second = makeClip("second.mkv");
    JobChoices whole;
    whole.profileCode = 1;
    JobChoices cut = whole;
    std::string error;
    cut.cut = parseCutRange("00:00:00-00:00:01", &error);

    BatchJobs batch(reporter);
    ASSERT_TRUE(batch.loadLibraries());
    ASSERT_TRUE(batch.addFile(first, whole, outFolder(), ExistingFileRule::NewName));
    ASSERT_TRUE(batch.addFile(second, cut, outFolder(), ExistingFileRule::NewName));
    RunSettings settings;
    settings.parallel = 2;
    settings.progressIntervalMs = 100;
    EXPECT_EQ(batch.run(settings, nullptr), kExitAllDone);
    EXPECT_EQ(reporter.allDoneCount, 1);

    const auto& outcomes = batch.outcomes();
    ASSERT_EQ(outcomes.size(), 2u);
    for (const JobOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.status, JobStatus::done) << outcome.message;
        EXPECT_GT(outcome.sizeBytes, 0);
    }
    EXPECT_NEAR(static_cast<double>(outcomes[0].durationUs) / 1e6, 2.0, 0.2);
    EXPECT_NEAR(static_cast<double>(outcomes[1].durationUs) / 1e6, 1.0, 0.2);
}

TEST_F(BatchJobsTest, InterruptStopsTheRunAndLeavesPlayableOutputs) {
    const std::string source = makeClip("long.mkv", 30.0);
    JobChoices h264;
    h264.profileCode = 414;
    BatchJobs batch(reporter);
    ASSERT_TRUE(batch.loadLibraries());
    ASSERT_TRUE(batch.addFile(source, h264, outFolder(), ExistingFileRule::NewName));
    ASSERT_TRUE(batch.addFile(source, h264, outFolder(), ExistingFileRule::NewName));

    // Interrupted once the first job has reported progress, as a user would press Ctrl-C.
    RunSettings settings;
    settings.progressIntervalMs = 100;
    EXPECT_EQ(batch.run(settings, [this] { return reporter.progressCount > 0; }),
              kInterruptedExitCode);
    ASSERT_EQ(reporter.notices.size(), 1u);
    // The running job stops with its output closed; the waiting one never starts.
    EXPECT_EQ(batch.outcomes()[0].status, JobStatus::stopped);
    EXPECT_EQ(batch.outcomes()[1].status, JobStatus::stopped);
    const test::OutputFacts facts = test::readOutputFacts(batch.outcomes()[0].output);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_TRUE(facts.hasVideo);
    EXPECT_LT(facts.durationSeconds, 30.0);
}

}  // namespace
}  // namespace velmora::cli
