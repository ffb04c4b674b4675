// The convert command's choices: --set and --cut parsing, list-entry matching, the resolution
// into PendingJobOptions and the exit codes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/BatchJobs.h"
#include "cli/ChoiceParsing.h"
#include "profiles/JobChoices.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

struct SettingRow {
    const char* text;
    bool valid;
    OptionKind kind;
    const char* entry;
};

TEST(JobChoices, ParsesOptionSettings) {
    const SettingRow rows[] = {
        {"video-encoder=MPEG4视频压缩器", true, OptionKind::VideoEncoder, "MPEG4视频压缩器"},
        {"channels=单声道", true, OptionKind::Channels, "单声道"},
        {"scaling=", true, OptionKind::ScalingMode, ""},
        {"frame-size=320*240=x", true, OptionKind::FrameSize, "320*240=x"},
        {"volume", false, OptionKind::VideoEncoder, ""},
        {"Volume=无声音", false, OptionKind::VideoEncoder, ""},
        {"bitrate=128", false, OptionKind::VideoEncoder, ""},
    };
    for (const SettingRow& row : rows) {
        std::string error;
        const auto setting = parseOptionSetting(row.text, &error);
        ASSERT_EQ(setting.has_value(), row.valid) << row.text;
        if (row.valid) {
            EXPECT_EQ(setting->kind, row.kind) << row.text;
            EXPECT_EQ(setting->entry, row.entry) << row.text;
        } else {
            EXPECT_FALSE(error.empty()) << row.text;
        }
    }
}

TEST(JobChoices, ListNamesRoundTrip) {
    for (std::size_t i = 0; i < kOptionKindCount; ++i) {
        const auto kind = static_cast<OptionKind>(i);
        EXPECT_EQ(optionKindNamed(optionListName(kind)), kind);
    }
}

struct CutRow {
    const char* text;
    bool valid;
    CutTimeText start;
    CutTimeText stop;
};

TEST(JobChoices, ParsesCutRanges) {
    const CutRow rows[] = {
        {"00:00:30-00:00:40", true, {"00", "00", "30"}, {"00", "00", "40"}},
        {"1:02:03-2:00:00", true, {"1", "02", "03"}, {"2", "00", "00"}},
        {"30-90", true, {"0", "0", "30"}, {"0", "0", "90"}},
        {"01:30-02:00", true, {"0", "01", "30"}, {"0", "02", "00"}},
        {"00:00:60-00:01:00", false, {}, {}},
        {"00:60:00-01:00:00", false, {}, {}},
        {"00:00:10", false, {}, {}},
        {"00:00:10-", false, {}, {}},
        {"-00:00:10", false, {}, {}},
        {"1:2:3:4-5", false, {}, {}},
        {"a:00:10-00:00:20", false, {}, {}},
        {"00:00:10-00:00:20-00:00:30", false, {}, {}},
        {"9999999999:00:00-0", false, {}, {}},
    };
    for (const CutRow& row : rows) {
        std::string error;
        const auto range = parseCutRange(row.text, &error);
        ASSERT_EQ(range.has_value(), row.valid) << row.text;
        if (!row.valid) {
            EXPECT_FALSE(error.empty()) << row.text;
            continue;
        }
        EXPECT_EQ(range->start.hours, row.start.hours) << row.text;
        EXPECT_EQ(range->start.minutes, row.start.minutes) << row.text;
        EXPECT_EQ(range->start.seconds, row.start.seconds) << row.text;
        EXPECT_EQ(range->stop.hours, row.stop.hours) << row.text;
        EXPECT_EQ(range->stop.minutes, row.stop.minutes) << row.text;
        EXPECT_EQ(range->stop.seconds, row.stop.seconds) << row.text;
    }
}

TEST(JobChoices, MatchesEntriesExactlyOrByLeadingWord) {
    static constexpr std::string_view kEntries[] = {
        "320*240 (PSP所有固件版本适用)", "1000 kbps(很高质量)", "12", "12.2", "无", "64 a", "64 b"};
    const OptionList list{"T", kEntries};
    const OptionListState state{&list, 0};
    EXPECT_EQ(findListEntry(state, "320*240 (PSP所有固件版本适用)"), 0);
    EXPECT_EQ(findListEntry(state, "320*240"), 0);
    EXPECT_EQ(findListEntry(state, "1000"), 1);
    EXPECT_EQ(findListEntry(state, "12"), 2);  // exact wins over "12.2"'s word
    EXPECT_EQ(findListEntry(state, "12.2"), 3);
    EXPECT_EQ(findListEntry(state, "64"), -1);  // two entries start with it
    EXPECT_EQ(findListEntry(state, "320"), -1);
    EXPECT_EQ(findListEntry(state, ""), -1);
}

TEST(JobChoices, RefusedSettingListsTheValidEntries) {
    JobChoices choices;
    choices.profileCode = 4;
    choices.settings.push_back({OptionKind::FrameSize, "999*999"});
    const std::string error = validateSettings(choices);
    EXPECT_NE(error.find("\"999*999\" is not an entry of the frame-size list of profile 4"),
              std::string::npos)
        << error;
    EXPECT_NE(error.find("\n  320*240 (PSP所有固件版本适用)"), std::string::npos) << error;
    EXPECT_NE(error.find("\n  720*480  (PSP 3.4或更高固件版本适用)"), std::string::npos) << error;

    choices.settings = {{OptionKind::FrameSize, "368*208"}};
    EXPECT_EQ(validateSettings(choices), "");

    choices.profileCode = 99;
    choices.settings.clear();
    EXPECT_NE(validateSettings(choices).find("unknown profile 99"), std::string::npos);
}

TEST(JobChoices, ResolvesPreselectedChoicesOfTheDefaultProfile) {
    JobChoices choices;
    const ResolvedJob job = resolveJob(choices, "/src/movie.avi", "/out", 60'000'000);
    ASSERT_TRUE(job.pending) << job.error;
    EXPECT_EQ(job.pending->ProfileCode, 400);
    EXPECT_EQ(job.pending->OutputFile, "/out/movie.mkv");
    EXPECT_EQ(job.pending->CutMode, kCutNoSelect);
    EXPECT_EQ(job.pending->CutStartMs, 0);
    EXPECT_EQ(job.pending->VideoFilters, "");
}

TEST(JobChoices, ResolvesSettingsEffectsAndCut) {
    JobChoices choices;
    choices.profileCode = 4;
    choices.settings = {{OptionKind::FrameSize, "368*208"},
                        {OptionKind::Channels, "单声道"},
                        {OptionKind::VideoEncoder, "H264/AVC高清视频压缩器"}};
    choices.flipHorizontal = true;
    choices.negative = true;
    std::string error;
    choices.cut = parseCutRange("00:00:30-00:00:40", &error);
    const ResolvedJob job = resolveJob(choices, "/src/clip.mkv", "/out", 60'000'000);
    ASSERT_TRUE(job.pending) << job.error;
    EXPECT_EQ(job.pending->OutputFile, "/out/clip.mp4");
    EXPECT_EQ(job.pending->ProfileExt, ".psp.mp4");
    EXPECT_EQ(job.pending->VideoCodec, "libx264");
    EXPECT_EQ(job.pending->FrameSizeText, "368*208 (PSP 2.0或更高固件版本适用)");
    EXPECT_EQ(job.pending->ChannelsText, "1");
    EXPECT_EQ(job.pending->VideoFilters, "hflip,negate");
    EXPECT_EQ(job.pending->CutMode, kCutSelect);
    EXPECT_EQ(job.pending->CutStartMs, 30'000);
    EXPECT_EQ(job.pending->CutLengthMs, 10'000);
}

TEST(JobChoices, RefusesCutsTheSourceCannotHold) {
    struct Row {
        const char* cut;
        std::int64_t durationUs;
        const char* message;  // empty: accepted
    };
    const Row rows[] = {
        {"00:00:30-00:00:40", 60'000'000, ""},
        {"00:00:30-00:01:01", 60'000'000, "ends after the end of the source (60 s)"},
        {"00:00:40-00:00:30", 60'000'000, "must start before it ends"},
        {"00:00:30-00:00:30", 60'000'000, "must start before it ends"},
        {"00:00:30-05:00:00", -1, ""},  // no known length: only the order is checked
    };
    for (const Row& row : rows) {
        JobChoices choices;
        std::string error;
        choices.cut = parseCutRange(row.cut, &error);
        ASSERT_TRUE(choices.cut) << error;
        const ResolvedJob job = resolveJob(choices, "/src/a.mkv", "/out", row.durationUs);
        if (*row.message == '\0') {
            EXPECT_TRUE(job.pending) << row.cut << ": " << job.error;
        } else {
            EXPECT_FALSE(job.pending) << row.cut;
            EXPECT_NE(job.error.find(row.message), std::string::npos) << job.error;
        }
    }
}

TEST(JobChoices, AudioProfileResolvesWithoutVideo) {
    JobChoices choices;
    choices.profileCode = 200;
    const ResolvedJob job = resolveJob(choices, "/src/a.mkv", "/out", 10'000'000);
    ASSERT_TRUE(job.pending) << job.error;
    EXPECT_TRUE(job.pending->AudioOnly);
    EXPECT_EQ(job.pending->OutputFile, "/out/a.mp3");
}

TEST(BatchRules, ExitCodes) {
    const auto outcome = [](JobStatus status) {
        JobOutcome o;
        o.status = status;
        return o;
    };
    EXPECT_EQ(exitCodeOf({}, false), 0);
    EXPECT_EQ(exitCodeOf({outcome(JobStatus::done), outcome(JobStatus::done)}, false), 0);
    EXPECT_EQ(exitCodeOf({outcome(JobStatus::done), outcome(JobStatus::notAdded)}, false), 1);
    EXPECT_EQ(exitCodeOf({outcome(JobStatus::failed)}, false), 1);
    EXPECT_EQ(exitCodeOf({outcome(JobStatus::stopped)}, false), 1);
    EXPECT_EQ(exitCodeOf({outcome(JobStatus::done)}, true), 130);
}

TEST(BatchRules, PriorityNames) {
    EXPECT_EQ(priorityNamed("idle"), ThreadPriority::idle);
    EXPECT_EQ(priorityNamed("lowest"), ThreadPriority::lowest);
    EXPECT_EQ(priorityNamed("lower"), ThreadPriority::lower);
    EXPECT_EQ(priorityNamed("normal"), ThreadPriority::normal);
    EXPECT_FALSE(priorityNamed("higher"));
    EXPECT_FALSE(priorityNamed("Normal"));
}

TEST(BatchRules, OutputFolderIsCreatedOrRefusedClearly) {
    velmora::test::TempDir dir;
    EXPECT_EQ(prepareOutputFolder(dir.file("a/b/c")), "");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/c")));
    std::ofstream(dir.file("plain")) << "x";
    EXPECT_NE(prepareOutputFolder(dir.file("plain")).find("is not a folder"), std::string::npos);
    EXPECT_NE(prepareOutputFolder(dir.file("plain/sub")).find("cannot create"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
