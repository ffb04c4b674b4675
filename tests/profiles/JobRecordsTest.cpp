#include "profiles/JobRecords.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>

#include "support/TempDir.h"

namespace velmora {
namespace {

FileExists existing(std::set<std::string> files) {
    return [files = std::move(files)](const std::string& path) { return files.contains(path); };
}

TEST(JobRecords, InputOptionsForceMpegForDatSources) {
    const std::pair<const char*, const char*> rows[] = {
        {"/m/clip.dat", "mpeg"}, {"/m/clip.DAT", "mpeg"}, {"/m/clip.Dat", "mpeg"},
        {"/m/clip.mkv", ""},     {"/m/dat", ""},          {"/m/x.dat/clip", ""},
        {"/m/clip.data", ""},
    };
    for (const auto& [source, format] : rows) {
        const TInputOptions input = makeInputOptions(source);
        EXPECT_EQ(input.FileName, source);
        EXPECT_EQ(input.ForceFormat, format) << source;
        EXPECT_EQ(input.StartTime, kNoTime);
    }
}

TEST(OutputNaming, AddTimeSearch) {
    struct Row {
        const char* name;
        std::set<std::string> files;
        ExistingFileRule rule;
        const char* expected;
    };
    const Row rows[] = {
        {"/o/movie.avi", {}, ExistingFileRule::NewName, "/o/movie.avi"},
        {"/o/movie.avi", {"/o/movie.avi"}, ExistingFileRule::NewName, "/o/movie(New_1).avi"},
        {"/o/movie.avi",
         {"/o/movie.avi", "/o/movie(New_1).avi"},
         ExistingFileRule::NewName,
         "/o/movie(New_2).avi"},
        {"/o/movie.avi",
         {"/o/movie.avi", "/o/movie(New_1).avi"},
         ExistingFileRule::Overwrite,
         "/o/movie.avi"},
        // A gap is filled: the smallest free number wins.
        {"/o/movie.avi",
         {"/o/movie.avi", "/o/movie(New_2).avi"},
         ExistingFileRule::NewName,
         "/o/movie(New_1).avi"},
        {"/o/movie", {"/o/movie"}, ExistingFileRule::NewName, "/o/movie(New_1)"},
        {"/o/a.b/movie.psp.mp4",
         {"/o/a.b/movie.psp.mp4"},
         ExistingFileRule::NewName,
         "/o/a.b/movie.psp(New_1).mp4"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(outputNameForAdd(row.name, row.rule, existing(row.files)), row.expected);
    }
}

TEST(OutputNaming, StartTimeSearch) {
    struct Row {
        const char* name;
        std::set<std::string> files;
        ExistingFileRule rule;
        const char* expected;
    };
    const Row rows[] = {
        // The plain name is free again: it is used.
        {"/o/movie(New_2).avi", {}, ExistingFileRule::NewName, "/o/movie.avi"},
        {"/o/movie(New_2).avi",
         {"/o/movie.avi", "/o/movie(New_1).avi"},
         ExistingFileRule::NewName,
         "/o/movie(New_2).avi"},
        {"/o/movie(New_2).avi", {"/o/movie.avi"}, ExistingFileRule::NewName, "/o/movie(New_1).avi"},
        {"/o/movie(New_2).avi", {"/o/movie.avi"}, ExistingFileRule::Overwrite, "/o/movie.avi"},
        // Without the mark the name stays, even over an existing file.
        {"/o/movie.avi", {"/o/movie.avi"}, ExistingFileRule::NewName, "/o/movie.avi"},
        // A mark in a folder name is not the output's.
        {"/o(New_1)/movie.avi", {}, ExistingFileRule::NewName, "/o(New_1)/movie.avi"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(outputNameForStart(row.name, row.rule, existing(row.files)), row.expected);
    }
}

TEST(OutputNaming, RealFiles) {
    test::TempDir dir;
    std::ofstream(dir.file("movie.avi")) << "x";
    std::ofstream(dir.file("movie(New_1).avi")) << "x";
    EXPECT_EQ(outputNameForAdd(dir.file("movie.avi"), ExistingFileRule::NewName, fileExistsOnDisk),
              dir.file("movie(New_2).avi"));
    EXPECT_EQ(outputNameForAdd(dir.file("other.avi"), ExistingFileRule::NewName, fileExistsOnDisk),
              dir.file("other.avi"));
}

TEST(OutputNaming, OtherJobsOfTheListAreTakenUnderEitherRule) {
    struct Row {
        const char* name;
        std::set<std::string> files;
        std::vector<std::string> listed;
        ExistingFileRule rule;
        const char* expected;
    };
    const Row rows[] = {
        {"/o/movie.avi", {}, {"/o/movie.avi"}, ExistingFileRule::NewName, "/o/movie(New_1).avi"},
        {"/o/movie.avi", {}, {"/o/movie.avi"}, ExistingFileRule::Overwrite, "/o/movie(New_1).avi"},
        // Numbering skips names of the list as well as files.
        {"/o/movie.avi",
         {"/o/movie.avi", "/o/movie(New_2).avi"},
         {"/o/movie(New_1).avi"},
         ExistingFileRule::NewName,
         "/o/movie(New_3).avi"},
        // The same file spelt differently is the same name.
        {"/o/./movie.avi",
         {},
         {"/o/x/../movie.avi"},
         ExistingFileRule::Overwrite,
         "/o/./movie(New_1).avi"},
        {"/o/movie.avi",
         {"/o/movie.avi"},
         {"/o/other.avi"},
         ExistingFileRule::Overwrite,
         "/o/movie.avi"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(
            outputNameForAdd(row.name, row.rule, existing(row.files), FileNameIndex(row.listed)),
            row.expected)
            << row.name;
    }
}

TEST(JobRecords, OutputThatWouldOverwriteASourceOfTheListIsRefused) {
    PendingJobOptions pending;
    pending.SourceFile = "/dl/clip.avi";
    pending.OutputFile = "/dl/clip.mkv";
    struct Row {
        const char* what;
        PendingJobOptions pending;
        JobListNames list;
        ExistingFileRule rule;
        std::set<std::string> files;
        JobBuildFailure failure;
        const char* clash;
    };
    PendingJobOptions ownSource = pending;
    ownSource.SourceFile = "/dl/clip.mkv";
    const Row rows[] = {
        {"a later job's source",
         pending,
         {{"/dl/clip.mkv"}, {}},
         ExistingFileRule::Overwrite,
         {"/dl/clip.mkv"},
         JobBuildFailure::OutputIsSource,
         "/dl/clip.mkv"},
        {"its own source",
         ownSource,
         {},
         ExistingFileRule::Overwrite,
         {"/dl/clip.mkv"},
         JobBuildFailure::OutputIsSource,
         "/dl/clip.mkv"},
        {"numbered away from the source",
         ownSource,
         {},
         ExistingFileRule::NewName,
         {"/dl/clip.mkv"},
         JobBuildFailure::None,
         ""},
        {"the source is a listed output",
         pending,
         {{}, {"/dl/clip.avi"}},
         ExistingFileRule::NewName,
         {},
         JobBuildFailure::SourceIsListedOutput,
         "/dl/clip.avi"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const JobBuild build =
            buildOneFileJob(row.pending, row.rule, existing(row.files), row.list);
        EXPECT_EQ(build.failure, row.failure);
        EXPECT_EQ(build.records.has_value(), row.failure == JobBuildFailure::None);
        EXPECT_EQ(build.clash, row.clash);
        if (row.failure == JobBuildFailure::OutputIsSource) {
            EXPECT_EQ(build.message, std::string(kOutputIsSourceMessage) + row.clash);
        }
    }
}

TEST(JobRecords, NoFreeNameRefusesTheJob) {
    PendingJobOptions pending;
    pending.SourceFile = "/m/a.mkv";
    pending.OutputFile = "/o/a.avi";
    const JobBuild job = buildOneFileJob(pending, ExistingFileRule::NewName,
                                         [](const std::string&) { return true; });
    EXPECT_FALSE(job.records.has_value());
    EXPECT_EQ(job.message, std::string(kNoOutputNameMessage) + "/o/a.avi");
    EXPECT_EQ(job.failure, JobBuildFailure::NoFreeName);
}

PendingJobOptions cutJob() {
    PendingJobOptions pending;
    pending.SourceFile = "/m/movie.mkv";
    pending.OutputFile = "/o/movie.psp.mp4";
    pending.CutMode = kCutSelect;
    pending.CutStartMs = 30000;
    pending.CutLengthMs = 10000;
    return pending;
}

TEST(JobRecords, OneFileAddCarriesTheCut) {
    const JobBuild job = buildOneFileJob(cutJob(), ExistingFileRule::NewName, existing({}));
    ASSERT_TRUE(job.records);
    EXPECT_EQ(job.records->input.StartTime, 30'000'000);
    EXPECT_EQ(job.records->output.RecordingTime, 10'000'000);
    EXPECT_EQ(job.records->output.StartTime, kNoTime);
    EXPECT_EQ(job.records->output.FileName, "/o/movie.psp.mp4");
}

TEST(JobRecords, SeveralFilesTakeTheLastExtensionAndNeverCut) {
    const JobBuild job =
        buildSeveralFilesJob(cutJob(), "/m2/other.name.avi", "/o", ExistingFileRule::NewName,
                             existing({"/o/other.name.mp4"}));
    ASSERT_TRUE(job.records);
    EXPECT_EQ(job.records->input.FileName, "/m2/other.name.avi");
    EXPECT_EQ(job.records->input.StartTime, 0);
    EXPECT_EQ(job.records->output.FileName, "/o/other.name(New_1).mp4");
    EXPECT_EQ(job.records->output.StartTime, kNoTime);
    EXPECT_EQ(job.records->output.RecordingTime, kNoTime);

    const JobBuild dat = buildSeveralFilesJob(cutJob(), "/m2/track.DAT", "/o/",
                                              ExistingFileRule::NewName, existing({}));
    ASSERT_TRUE(dat.records);
    EXPECT_EQ(dat.records->input.ForceFormat, "mpeg");
    EXPECT_EQ(dat.records->output.FileName, "/o/track.mp4");
}

TEST(JobRecords, OutputFieldsGivenOnlyWhenSet) {
    struct Row {
        const char* what;
        void (*change)(PendingJobOptions&);
        bool (*check)(const TOutputOptions&);
    };
    const Row rows[] = {
        {"volume 256 is not given", [](PendingJobOptions& p) { p.VolumeText = "256"; },
         [](const TOutputOptions& o) { return o.AudioVolume == -1; }},
        {"volume 0 is given", [](PendingJobOptions& p) { p.VolumeText = "0"; },
         [](const TOutputOptions& o) { return o.AudioVolume == 0; }},
        {"auto sample rate", [](PendingJobOptions& p) { p.SampleRateText = "AUTO"; },
         [](const TOutputOptions& o) { return o.AudioSampleRate == -1; }},
        {"sample rate", [](PendingJobOptions& p) { p.SampleRateText = "22050"; },
         [](const TOutputOptions& o) { return o.AudioSampleRate == 22050; }},
        {"auto audio codec", [](PendingJobOptions& p) { p.AudioCodec = "AUTO"; },
         [](const TOutputOptions& o) { return o.AudioCodec.empty(); }},
        {"audio bit rate -1000", [](PendingJobOptions& p) { p.AudioBitRate = -1000; },
         [](const TOutputOptions& o) { return o.AudioBitrate == -1; }},
        {"audio bit rate -2000", [](PendingJobOptions& p) { p.AudioBitRate = -2000; },
         [](const TOutputOptions& o) { return o.AudioBitrate == -1; }},
        {"video bit rate after a reset", [](PendingJobOptions& p) { p.VideoBitRate = -1; },
         [](const TOutputOptions& o) { return o.VideoBitrate == -1; }},
        {"svcd ntsc",
         [](PendingJobOptions& p) {
             p.DiscTarget = "svcd";
             p.TvNorm = "NTSC";
         },
         [](const TOutputOptions& o) { return o.Target == 2 && o.TargetNorm == 2; }},
        {"filters", [](PendingJobOptions& p) { p.VideoFilters = "hflip,negate"; },
         [](const TOutputOptions& o) { return o.VideoFilters == "hflip,negate"; }},
        {"libx264 preset", [](PendingJobOptions& p) { p.VideoCodec = "libx264"; },
         [](const TOutputOptions& o) {
             return o.VideoCodec == "libx264" && o.VideoPreset == "libx264-default";
         }},
        {"no cut converts all",
         [](PendingJobOptions& p) {
             p.CutMode = kCutNoSelect;
             p.CutLengthMs = 10000;
         },
         [](const TOutputOptions& o) { return o.StartTime == 0 && o.RecordingTime == kNoTime; }},
    };
    for (const Row& row : rows) {
        PendingJobOptions pending;
        row.change(pending);
        EXPECT_TRUE(row.check(makeOutputOptions(pending, AddFlow::OneFile))) << row.what;
    }
}

TEST(JobRecords, FourccSurvivesOnlyForMpeg4InAvi) {
    struct Row {
        const char* codec;
        const char* tag;
        const char* profileExt;
        const char* expected;
    };
    const Row rows[] = {
        {"mpeg4", "DX50", ".avi", "DX50"},   {"mpeg4", "XVID", ".avi", "XVID"},
        {"mpeg4", "XVID", ".mp4", ""},       {"mpeg4", "DX50", ".mkv", ""},
        {"mpeg4", "", ".avi", ""},           {"mpeg4", "FMP4", ".avi", ""},
        {"msmpeg4", "XVID", ".mp4", "XVID"}, {"", "DX50", ".mp4", "DX50"},
    };
    for (const Row& row : rows) {
        PendingJobOptions pending;
        pending.VideoCodec = row.codec;
        pending.VideoTag = row.tag;
        pending.ProfileExt = row.profileExt;
        EXPECT_EQ(makeOutputOptions(pending, AddFlow::OneFile).VideoTag, row.expected)
            << row.codec << " " << row.tag << " " << row.profileExt;
    }
}

TEST(PendingJobOptions, ResetKeepsProfileSourceAndCutMode) {
    PendingJobOptions pending = cutJob();
    pending.ProfileCode = 203;
    pending.VolumeText = "0";
    pending.VideoBitRate = 528000;
    pending.AudioOnly = true;
    pending.VideoTag = "DX50";
    pending.reset();
    PendingJobOptions expected;
    expected.ProfileCode = 203;
    expected.SourceFile = "/m/movie.mkv";
    expected.CutMode = kCutSelect;
    EXPECT_EQ(pending, expected);
    EXPECT_EQ(pending.VolumeText, "256");
    EXPECT_EQ(pending.VideoBitRate, -1);
    EXPECT_EQ(pending.AudioBitRate, -1);
    EXPECT_EQ(pending.CutStartMs, -1);
    EXPECT_EQ(pending.CutLengthMs, -1);
    EXPECT_EQ(pending.OutputFile, "");
}

}  // namespace
}  // namespace velmora
