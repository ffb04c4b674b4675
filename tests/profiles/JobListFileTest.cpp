// The job-list file: every record field and every profile's job survive a write and a read, paths
// under the list's folder travel with it, and a file that cannot be taken is refused and left
// exactly as it was.
#include "profiles/JobListFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

#include "profiles/JobChoices.h"
#include "profiles/JobRecords.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::string contentsOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A job as velmora-cli and the window's preset add make it: the profile's preselected choices,
// named in the output folder, its source's facts as given.
JobListEntry jobFor(int profileCode, const std::string& source, const std::string& outputFolder) {
    JobChoices choices;
    choices.profileCode = profileCode;
    const ResolvedJob resolved = resolveJob(choices, source, outputFolder, 60'000'000);
    EXPECT_TRUE(resolved.pending) << profileCode << ": " << resolved.error;
    const JobBuild build = buildOneFileJob(*resolved.pending, ExistingFileRule::NewName,
                                           [](const std::string&) { return false; });
    EXPECT_TRUE(build.records) << profileCode << ": " << build.message;
    JobListEntry entry;
    entry.input = build.records->input;
    entry.output = build.records->output;
    entry.origin.choices = *resolved.pending;
    entry.origin.source = {4096 + profileCode, 1'700'000'000'123'456'789, 60'000'000};
    return entry;
}

TEST(JobListFile, EveryProfilesJobComesBackEqual) {
    test::TempDir dir;
    const std::string list = dir.file("list.json");
    std::vector<JobListEntry> jobs;
    for (const TProfileEntry& profile : profileCatalogue()) {
        jobs.push_back(jobFor(profile.Code, dir.file("clips/movie.mkv"), dir.file("out")));
    }
    ASSERT_EQ(jobs.size(), static_cast<std::size_t>(kProfileCount));
    std::string error;
    ASSERT_TRUE(writeJobList(list, jobs, &error)) << error;

    const JobListRead read = readJobList(list);
    ASSERT_TRUE(read.jobs) << read.error;
    ASSERT_EQ(read.jobs->size(), jobs.size());
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        EXPECT_EQ((*read.jobs)[i].input, jobs[i].input) << jobs[i].origin.choices.ProfileCode;
        EXPECT_EQ((*read.jobs)[i].output, jobs[i].output) << jobs[i].origin.choices.ProfileCode;
        EXPECT_EQ((*read.jobs)[i].origin, jobs[i].origin) << jobs[i].origin.choices.ProfileCode;
    }
    // Written a second time, the list reads the same text: nothing drifts on a round trip.
    ASSERT_TRUE(writeJobList(dir.file("again.json"), *read.jobs));
    EXPECT_EQ(contentsOf(dir.file("again.json")), contentsOf(list));
}

TEST(JobListFile, EveryFieldAndStateComesBackEqual) {
    JobListEntry full;
    full.input = {"/media/源 文件.mkv", "mpeg", 1'500'000, 3, "threads=2"};
    TOutputOptions& o = full.output;
    o.FileName = "/out/a.avi";
    o.FileFormat = "avi";
    o.PacketSize = 2324;
    o.MuxRate = 1411200;
    o.MuxDelay = 0.7f;
    o.MuxPreload = 0.44f;
    o.AudioCodec = "mp2";
    o.AudioPreset = "apre";
    o.DisableAudio = true;
    o.AudioVolume = 512;
    o.AudioChannels = 2;
    o.AudioSampleRate = 44100;
    o.AudioBitrate = 224000;
    o.AudioBitrateTolerance = 1000;
    o.AudioLanguage = "eng";
    o.AudioSync = 1;
    o.AudioTag = "0x55";
    o.VideoCodec = "mpeg4";
    o.VideoPreset = "libx264-default";
    o.DisableVideo = true;
    o.FrameRate = "30000/1001";
    o.FrameSize = "320x240";
    o.AspectRatio = "16:9";
    o.CropTop = 2;
    o.CropBottom = 4;
    o.CropLeft = 6;
    o.CropRight = 8;
    o.GOPSize = 250;
    o.VideoBitrate = std::numeric_limits<std::int32_t>::max();
    o.MaxRate = 2'000'000;
    o.MinRate = 10;
    o.VideoBitrateTolerance = 11;
    o.BufSize = std::numeric_limits<std::int32_t>::min();
    o.VideoSync = 2;
    o.VideoTag = "XVID";
    o.VideoFilters = "hflip,vflip";
    o.VideoLanguage = "deu";
    o.SubtitleCodec = "ass";
    o.SubtitlePreset = "spre";
    o.DisableSubtitle = true;
    o.SubtitleLanguage = "Full";
    o.InputSync = true;
    o.CopyTS = true;
    o.StartTime = 0;
    o.RecordingTime = std::numeric_limits<std::int64_t>::max();
    o.Metadata = {45123.987654321, 2010, 7,   "标题 \"quoted\"", "a\\b", "©",
                  "line\nbreak",   "Al", "Ge"};
    o.Target = 3;
    o.TargetNorm = 2;
    o.TargetDefaultNorm = 0;
    o.CustomHook = true;
    o.Join = true;
    o.ExtOptions = "-b 1\n-c 2";
    full.origin.choices.ProfileCode = 209;
    full.origin.choices.CutStartMs = 1234;
    full.origin.choices.CutLengthMs = 5678;
    full.origin.choices.CutMode = kCutSelect;
    full.origin.choices.VideoBitRate = kBitRateNotGiven;
    full.origin.source = {0, -5, 1};
    full.detail = "无法打开";

    std::vector<JobListEntry> jobs;
    for (const JobState state :
         {JobState::Ready, JobState::Converting, JobState::Paused, JobState::Stopped,
          JobState::Done, JobState::Incomplete, JobState::Failed}) {
        JobListEntry entry = full;
        entry.state = state;
        jobs.push_back(entry);
    }
    jobs.push_back(JobListEntry{});  // every default, the unset times among them

    const auto text = encodeJobList(jobs, "/lists");
    ASSERT_TRUE(text);
    const JobListRead read = decodeJobList(*text, "/lists");
    ASSERT_TRUE(read.jobs) << read.error;
    EXPECT_EQ(*read.jobs, jobs);
    // Unset times are written as null, not as the marker's number.
    const auto json = nlohmann::json::parse(*text);
    EXPECT_TRUE(json["jobs"].back()["input"]["StartTime"].is_null());
    EXPECT_EQ(json["jobs"][4]["state"], "done");
}

TEST(JobListFile, PathsUnderTheListsFolderAreRelativeToIt) {
    struct Row {
        const char* path;
        const char* stored;
    };
    const Row rows[] = {
        {"/share/lists/clip.mkv", "clip.mkv"},
        {"/share/lists/in/a b/clip.mkv", "in/a b/clip.mkv"},
        {"/share/lists/in/../clip.mkv", "clip.mkv"},
        {"/share/listsX/clip.mkv", "/share/listsX/clip.mkv"},
        {"/share/clip.mkv", "/share/clip.mkv"},
        {"/share/lists/../other/clip.mkv", "/share/other/clip.mkv"},
        {"", ""},
    };
    for (const Row& row : rows) {
        JobListEntry entry;
        entry.input.FileName = row.path;
        entry.output.FileName = row.path;
        entry.origin.choices.SourceFile = row.path;
        entry.origin.choices.OutputFile = row.path;
        const auto text = encodeJobList({entry}, "/share/lists/");
        ASSERT_TRUE(text);
        const auto json = nlohmann::json::parse(*text)["jobs"][0];
        EXPECT_EQ(json["input"]["FileName"], row.stored) << row.path;
        EXPECT_EQ(json["output"]["FileName"], row.stored) << row.path;
        EXPECT_EQ(json["choices"]["SourceFile"], row.stored) << row.path;
        EXPECT_EQ(json["choices"]["OutputFile"], row.stored) << row.path;
    }
}

TEST(JobListFile, AListMovedWithItsFolderFindsItsFilesThere) {
    test::TempDir dir;
    fs::create_directories(dir.path() / "here");
    fs::create_directories(dir.path() / "mounted/elsewhere");
    JobListEntry entry;
    entry.input.FileName = dir.file("here/clips/a.mkv");
    entry.output.FileName = dir.file("here/out/a.avi");
    entry.origin.choices.SourceFile = "/absolute/stays.mkv";
    ASSERT_TRUE(writeJobList(dir.file("here/list.json"), {entry}));
    // Another machine mounts the shared folder somewhere else.
    fs::copy_file(dir.path() / "here/list.json", dir.path() / "mounted/elsewhere/list.json");

    const JobListRead read = readJobList(dir.file("mounted/elsewhere/list.json"));
    ASSERT_TRUE(read.jobs) << read.error;
    EXPECT_EQ(read.jobs->at(0).input.FileName, dir.file("mounted/elsewhere/clips/a.mkv"));
    EXPECT_EQ(read.jobs->at(0).output.FileName, dir.file("mounted/elsewhere/out/a.avi"));
    EXPECT_EQ(read.jobs->at(0).origin.choices.SourceFile, "/absolute/stays.mkv");
}

TEST(JobListFile, ARefusedFileIsLeftExactlyAsItWas) {
    struct Row {
        const char* what;
        std::string text;
        JobListProblem problem;
    };
    const std::string good = *encodeJobList({JobListEntry{}}, "/");
    const Row rows[] = {
        {"empty", "", JobListProblem::Damaged},
        {"cut short", good.substr(0, good.size() / 2), JobListProblem::Damaged},
        {"not an object", "[1, 2]", JobListProblem::Damaged},
        {"another format", R"({"format": "x", "version": 1, "jobs": []})", JobListProblem::Damaged},
        {"no version", R"({"format": "velmora-job-list", "jobs": []})", JobListProblem::Damaged},
        {"version as text", R"({"format": "velmora-job-list", "version": "1", "jobs": []})",
         JobListProblem::Damaged},
        {"version 0", R"({"format": "velmora-job-list", "version": 0, "jobs": []})",
         JobListProblem::Damaged},
        {"newer", R"({"format": "velmora-job-list", "version": 2, "jobs": []})",
         JobListProblem::Newer},
        {"far newer",
         R"({"format": "velmora-job-list", "version": 18446744073709551615, "jobs": []})",
         JobListProblem::Newer},
        {"jobs not a list", R"({"format": "velmora-job-list", "version": 1, "jobs": {}})",
         JobListProblem::Damaged},
        {"entry not an object", R"({"format": "velmora-job-list", "version": 1, "jobs": [3]})",
         JobListProblem::Damaged},
        {"unknown state",
         R"({"format": "velmora-job-list", "version": 1, "jobs": [{"state": "lost"}]})",
         JobListProblem::Damaged},
        {"text for a number",
         R"({"format": "velmora-job-list", "version": 1,
             "jobs": [{"output": {"AudioBitrate": "128k"}}]})",
         JobListProblem::Damaged},
        {"beyond 32 bits",
         R"({"format": "velmora-job-list", "version": 1,
             "jobs": [{"output": {"VideoBitrate": 4294967296}}]})",
         JobListProblem::Damaged},
        {"number for a flag",
         R"({"format": "velmora-job-list", "version": 1, "jobs": [{"output": {"Join": 1}}]})",
         JobListProblem::Damaged},
        {"metadata not an object",
         R"({"format": "velmora-job-list", "version": 1,
             "jobs": [{"output": {"Metadata": []}}]})",
         JobListProblem::Damaged},
        {"second entry damaged",
         R"({"format": "velmora-job-list", "version": 1,
             "jobs": [{}, {"input": {"StartTime": 1.5}}]})",
         JobListProblem::Damaged},
    };
    test::TempDir dir;
    const std::string path = dir.file("queue.json");
    for (const Row& row : rows) {
        writeText(path, row.text);
        const JobListRead read = readJobList(path);
        EXPECT_FALSE(read.jobs) << row.what;
        EXPECT_EQ(read.problem, row.problem) << row.what;
        EXPECT_NE(read.error.find(path), std::string::npos) << row.what << ": " << read.error;
        const char* lead =
            row.problem == JobListProblem::Newer ? kJobListNewerMessage : kJobListDamagedMessage;
        EXPECT_TRUE(read.error.starts_with(lead)) << row.what << ": " << read.error;
        EXPECT_EQ(contentsOf(path), row.text) << row.what;
    }
    // The reason names the entry and the field.
    writeText(path, R"({"format": "velmora-job-list", "version": 1,
                        "jobs": [{}, {"input": {"StartTime": 1.5}}]})");
    EXPECT_NE(readJobList(path).error.find("jobs[1].input.StartTime"), std::string::npos);
}

TEST(JobListFile, AMissingFileOrAFolderIsNoList) {
    test::TempDir dir;
    EXPECT_EQ(readJobList(dir.file("none.json")).problem, JobListProblem::Missing);
    EXPECT_EQ(readJobList(dir.path().string()).problem, JobListProblem::Unreadable);
}

TEST(JobListFile, WritingReplacesTheFileInOneStep) {
    test::TempDir dir;
    const std::string path = dir.file("state/velmora/queue.json");
    JobListEntry entry;
    entry.input.FileName = "/a.mkv";
    ASSERT_TRUE(writeJobList(path, {entry}));
    ASSERT_TRUE(writeJobList(path, {entry, entry}));
    EXPECT_EQ(readJobList(path).jobs->size(), 2u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path).parent_path()),
                            fs::directory_iterator()),
              1);

    // A folder that cannot be made: refused with a reason, nothing written.
    writeText(dir.file("blocker"), "x");
    std::string error;
    EXPECT_FALSE(writeJobList(dir.file("blocker/queue.json"), {entry}, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(contentsOf(dir.file("blocker")), "x");
}

TEST(JobOrigin, ASourceChangedOrGoneSinceItWasListedIsNamed) {
    test::TempDir dir;
    const std::string source = dir.file("clip.mkv");
    writeText(source, "0123456789");
    const SourceFacts listed = readSourceFacts(source);
    ASSERT_TRUE(listed.known());
    EXPECT_EQ(listed.sizeBytes, 10);
    EXPECT_EQ(sourceChangeReason(source, listed), "");
    // Facts never known are never held against a source.
    EXPECT_EQ(sourceChangeReason(dir.file("never.mkv"), SourceFacts{}), "");

    // Same size, other time.
    fs::last_write_time(source, fs::last_write_time(source) + std::chrono::seconds(5));
    EXPECT_EQ(sourceChangeReason(source, listed), kSourceChangedMessage + source);
    const SourceFacts touched = readSourceFacts(source);
    std::ofstream(source, std::ios::app) << "more";
    fs::last_write_time(source, fs::last_write_time(source) - std::chrono::seconds(5));
    EXPECT_EQ(sourceChangeReason(source, touched), kSourceChangedMessage + source);

    fs::remove(source);
    EXPECT_EQ(sourceChangeReason(source, listed), kSourceVanishedMessage + source);
    fs::create_directory(source);
    EXPECT_EQ(sourceChangeReason(source, listed), kSourceVanishedMessage + source);
}

}  // namespace
}  // namespace velmora
