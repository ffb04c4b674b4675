#include "profiles/OptionSettings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace velmora {
namespace {

using ::testing::ElementsAre;

PendingJobOptions pendingFor(int code, const std::string& source = "/media/in/clip.mkv") {
    PendingJobOptions pending;
    pending.ProfileCode = code;
    pending.SourceFile = source;
    return pending;
}

OptionSettingsState filled(int code) {
    PendingJobOptions pending = pendingFor(code);
    auto state = fillOptionSettings(pending, "/out");
    EXPECT_TRUE(state.has_value());
    return *state;
}

std::vector<std::string> shownEntries(const OptionListState& list) {
    return {list.entries().begin(), list.entries().end()};
}

TEST(FillStep, OutputNameTagAndFormat) {
    struct Row {
        int code;
        const char* source;
        const char* folder;
        const char* outputFile;
        const char* profileExt;
        const char* outputFormat;
        const char* discKind;
        const char* mediaMode;
    };
    const Row rows[] = {
        {4, "/d/a/clip.rmvb", "/e/out", "/e/out/clip.mp4", ".psp.mp4", "", "", "Vedio"},
        {203, "/d/a/clip.rmvb", "/e/out", "/e/out/clip.m4a", ".m4a", "", "", "Music"},
        {1, "/d/a/clip", "/e/out/", "/e/out/clip.avi", ".avi", "", "", "Vedio"},
        {17, "/d/a/my.clip.wmv", "/e/out", "/e/out/my.clip.mov", ".mov", "mov", "", "Vedio"},
        {106, "/d/a/x.avi", "/e", "/e/x.mov", ".mov", "mov", "", "Vedio"},
        {19, "/d/a/x.avi", "/e", "/e/x.mpg", ".mpg", "", "dvd", "Vedio"},
        {20, "/d/a/x.avi", "/e", "/e/x.mpg", ".mpg", "", "svcd", "Vedio"},
        {419, "/d/a/x.avi", "/e", "/e/x.mpg", ".mpg", "", "vcd", "Vedio"},
        {209, "/d/a/x.avi", "/e", "/e/x.amr", ".amr", "", "", "Music"},
        // A several-files add may show the windows before any source was chosen.
        {400, "", "/e", "/e/.mkv", ".mkv", "", "", "Vedio"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        PendingJobOptions pending = pendingFor(row.code, row.source);
        pending.OutputFormat = "asf";  // left from an earlier job
        pending.TvNorm = "PAL";
        const auto state = fillOptionSettings(pending, row.folder);
        ASSERT_TRUE(state.has_value());
        EXPECT_EQ(pending.OutputFile, row.outputFile);
        EXPECT_EQ(pending.ProfileExt, row.profileExt);
        EXPECT_EQ(pending.OutputFormat, row.outputFormat);
        EXPECT_EQ(pending.TvNorm, "");
        EXPECT_EQ(state->DiscKind, row.discKind);
        EXPECT_EQ(state->MediaMode, row.mediaMode);
    }
}

TEST(FillStep, UnknownCodeFillsNothing) {
    PendingJobOptions pending = pendingFor(50);
    const PendingJobOptions before = pending;
    EXPECT_FALSE(fillOptionSettings(pending, "/out").has_value());
    EXPECT_EQ(pending, before);
}

TEST(FillStep, ProfileOneOpensWithItsPreselections) {
    const auto shown = shownOptions(filled(1));
    EXPECT_THAT(shown.texts, ElementsAre("Divx 5 视频压缩器", "528 kbps(中等质量)", "320*240",
                                         "25.00", "MP3音频编码器", "128", "44100",
                                         "普通视频4:3模式", "音量保持不变", "立体声"));
}

TEST(FillStep, AmrProfileOffersOnlyItsAudioChoices) {
    const OptionSettingsState state = filled(209);
    EXPECT_THAT(shownEntries(state.list(OptionKind::Channels)), ElementsAre("单声道"));
    const OptionListState& bitRates = state.list(OptionKind::AudioBitRate);
    EXPECT_EQ(bitRates.entries().front(), "4.75");
    EXPECT_EQ(bitRates.entries().back(), "12.2");
    EXPECT_EQ(bitRates.selectedText(), "7.4");
    EXPECT_THAT(shownEntries(state.list(OptionKind::SampleRate)), ElementsAre("8000"));
    EXPECT_THAT(shownEntries(state.list(OptionKind::VideoEncoder)), ElementsAre("该格式无视频"));
    for (OptionKind kind : {OptionKind::VideoBitRate, OptionKind::FrameSize, OptionKind::FrameRate,
                            OptionKind::ScalingMode}) {
        EXPECT_THAT(shownEntries(state.list(kind)), ElementsAre("无"));
    }
}

TEST(FillStep, AnnotatedFrameSizeIsPreselectedWithItsBlanks) {
    EXPECT_EQ(filled(5).list(OptionKind::FrameSize).selectedText(), "720*480  (标清SD格式)");
}

TEST(EncoderChange, BitRateListFollowsTheEncoderOnComputerProfiles) {
    OptionSettingsState state = filled(1);
    state.list(OptionKind::VideoBitRate).select("1200 kbps(很高质量)");
    ASSERT_TRUE(state.pickVideoEncoder("Mjpeg 视频压缩器"));
    const OptionListState& bitRate = state.list(OptionKind::VideoBitRate);
    EXPECT_EQ(bitRate.entries().size(), 15u);
    EXPECT_EQ(bitRate.selectedText(), "3000 kbps(高质量)");

    ASSERT_TRUE(state.pickVideoEncoder("Divx 5 视频压缩器"));
    EXPECT_EQ(state.list(OptionKind::VideoBitRate).entries().size(), 8u);
    EXPECT_EQ(state.list(OptionKind::VideoBitRate).selectedText(), "528 kbps(中等质量)");
}

TEST(EncoderChange, MjpegProfileKeepsItsList) {
    OptionSettingsState state = filled(24);
    state.list(OptionKind::VideoBitRate).select("9000 kbps(极高质量)");
    ASSERT_TRUE(state.pickVideoEncoder("Mjpeg 视频压缩器"));
    EXPECT_EQ(state.list(OptionKind::VideoBitRate).selectedText(), "9000 kbps(极高质量)");
}

TEST(EncoderChange, ReplacedSizeListIsNotRestored) {
    OptionSettingsState state = filled(100);
    ASSERT_TRUE(state.pickVideoEncoder("Divx 视频压缩器"));
    EXPECT_THAT(shownEntries(state.list(OptionKind::FrameSize)),
                ElementsAre("128*96", "176*144", "352*288", "704*576"));
    EXPECT_EQ(state.list(OptionKind::FrameSize).selectedText(), "176*144");
    ASSERT_TRUE(state.pickVideoEncoder("H264/AVC高清视频压缩器"));
    EXPECT_THAT(shownEntries(state.list(OptionKind::FrameSize)),
                ElementsAre("128*96", "176*144", "352*288", "704*576"));
}

TEST(EncoderChange, AnEncoderTheProfileDoesNotOfferIsRefused) {
    OptionSettingsState state = filled(100);
    EXPECT_FALSE(state.pickVideoEncoder("Mjpeg 视频压缩器"));
    EXPECT_EQ(state.list(OptionKind::VideoEncoder).selectedText(), "Divx 5 视频压缩器");
    EXPECT_EQ(state.list(OptionKind::FrameSize).entries().size(), 25u);
}

TEST(DurationProbe, SplitsIntoTwoDigitEdits) {
    struct Row {
        std::int64_t durationUs;
        const char* seconds;
        const char* h;
        const char* m;
        const char* s;
    };
    const Row rows[] = {
        {3'725'000'000, "3725", "01", "02", "05"},
        {3'725'999'999, "3725", "01", "02", "05"},
        {0, "0", "00", "00", "00"},
        {59'000'000, "59", "00", "00", "59"},
        {360'000'000'000, "360000", "100", "00", "00"},
    };
    for (const Row& row : rows) {
        const auto split = splitDuration(row.durationUs);
        ASSERT_TRUE(split.has_value());
        EXPECT_EQ(split->SourceSeconds, row.seconds);
        EXPECT_EQ(split->stop.hours, row.h);
        EXPECT_EQ(split->stop.minutes, row.m);
        EXPECT_EQ(split->stop.seconds, row.s);
    }
    EXPECT_FALSE(splitDuration(-1).has_value());
    EXPECT_FALSE(splitDuration(std::numeric_limits<std::int64_t>::min()).has_value());
}

// The shown state of a profile with one text changed.
ShownOptions shownWith(int code, OptionKind kind, const char* text) {
    ShownOptions shown = shownOptions(filled(code));
    shown.texts[indexOf(kind)] = text;
    return shown;
}

PendingJobOptions confirmed(const ShownOptions& shown, int code = 1) {
    const Confirmation result = confirmOptions(shown, pendingFor(code), "/out");
    EXPECT_TRUE(result.accepted) << result.message;
    return result.options;
}

TEST(Confirmation, VolumeEntries) {
    const auto entries = findOptionList("VOL1")->entries;
    const std::vector<std::string> expected = {
        "0",   "26",  "51",  "77",   "102",  "128",  "154",  "179", "205", "230",
        "256", "282", "307", "333",  "358",  "384",  "410",  "435", "461", "486",
        "512", "640", "768", "1024", "1280", "1536", "1792", "2048"};
    ASSERT_EQ(entries.size(), expected.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(std::string(entries[i]));
        const std::string volume =
            confirmed(shownWith(1, OptionKind::Volume, entries[i].data())).VolumeText;
        EXPECT_EQ(volume, expected[i]);
        // The percentage steps are 256 scaled and rounded.
        if (i >= 1 && i <= 19) {
            const int percent = (static_cast<int>(i) - 10) * 10;
            EXPECT_EQ(std::stoi(volume), std::lround(256.0 * (100 + percent) / 100));
        }
    }
}

TEST(Confirmation, AudioBitRates) {
    const std::pair<const char*, int> rows[] = {
        {"4.75", 4750},  {"5.15", 5150}, {"5.9", 5900},   {"6.7", 6700},
        {"7.4", 7400},   {"7.95", 7950}, {"10.2", 10200}, {"12.2", 12200},
        {"128", 128000}, {"16", 16000},  {"320", 320000}, {"自动音频比特率", -1000},
    };
    for (const auto& [text, value] : rows) {
        EXPECT_EQ(confirmed(shownWith(209, OptionKind::AudioBitRate, text), 209).AudioBitRate,
                  value)
            << text;
    }
}

TEST(Confirmation, VideoBitRatesFramesAndAspect) {
    EXPECT_EQ(
        confirmed(shownWith(5, OptionKind::VideoBitRate, "1000 kbps (很高质量)")).VideoBitRate,
        1'000'000);
    EXPECT_EQ(
        confirmed(shownWith(24, OptionKind::VideoBitRate, "9000 kbps(极高质量)")).VideoBitRate,
        9'000'000);
    EXPECT_EQ(confirmed(shownWith(1, OptionKind::VideoBitRate, "无")).VideoBitRate, -1000);
    EXPECT_EQ(
        confirmed(shownWith(4, OptionKind::FrameSize, "480*272  (PSP 3.03或更高固件版本适用)"))
            .FrameSizeText,
        "480*272  (PSP 3.03或更高固件版本适用)");
    EXPECT_EQ(confirmed(shownWith(1, OptionKind::FrameSize, "保持原分辨率")).FrameSizeText, "");
    EXPECT_EQ(confirmed(shownWith(1, OptionKind::FrameRate, "保持原帧速率")).FrameRateText, "");
    EXPECT_EQ(confirmed(shownWith(1, OptionKind::FrameRate, "29.97")).FrameRateText, "29.97");
    EXPECT_EQ(confirmed(shownWith(1, OptionKind::ScalingMode, "宽屏视频16:9模式")).AspectText,
              "16:9");
    EXPECT_EQ(confirmed(shownWith(15, OptionKind::SampleRate, "自动音频采样率")).SampleRateText,
              "AUTO");
    EXPECT_EQ(confirmed(shownWith(1, OptionKind::Channels, "单声道")).ChannelsText, "1");
}

TEST(Confirmation, EncoderEntries) {
    struct Row {
        int code;
        OptionKind kind;
        const char* entry;
        const char* videoCodec;
        const char* videoTag;
        const char* audioCodec;
        const char* outputFormat;
    };
    const Row rows[] = {
        {1, OptionKind::VideoEncoder, "XviD 视频压缩器1", "mpeg4", "XVID", "libmp3lame", ""},
        {1, OptionKind::VideoEncoder, "XviD 视频压缩器2", "libxvid", "", "libmp3lame", ""},
        {1, OptionKind::VideoEncoder, "Divx 视频压缩器", "msmpeg4", "", "libmp3lame", ""},
        {1, OptionKind::VideoEncoder, "H264/AVC高清视频压缩器", "libx264", "", "libmp3lame", ""},
        {15, OptionKind::VideoEncoder, "RM视频压缩器2", "rv20", "", "AUTO", ""},
        {23, OptionKind::AudioEncoder, "ASF音频编码器2", "msmpeg4", "", "wmav1", "asf"},
        {1, OptionKind::AudioEncoder, "Flac音频编码器", "mpeg4", "DX50", "flac", ""},
        {1, OptionKind::AudioEncoder, "AAC音频编码器", "mpeg4", "DX50", "libfaac", ""},
        {1, OptionKind::AudioEncoder, "AC3音频编码器", "mpeg4", "DX50", "ac3", ""},
        {205, OptionKind::AudioEncoder, "OGG音频编码器", "", "", "libvorbis", ""},
        {206, OptionKind::AudioEncoder, "MP2音频编码器", "", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.entry);
        const PendingJobOptions options = confirmed(shownWith(row.code, row.kind, row.entry));
        EXPECT_EQ(options.VideoCodec, row.videoCodec);
        EXPECT_EQ(options.VideoTag, row.videoTag);
        EXPECT_EQ(options.AudioCodec, row.audioCodec);
        EXPECT_EQ(options.OutputFormat, row.outputFormat);
    }
}

TEST(Confirmation, VobEntriesKeepTheCodecsAsTheyWere) {
    PendingJobOptions pending = pendingFor(412);
    pending.VideoCodec = "mpeg2video";
    pending.AudioCodec = "mp2";
    const Confirmation result = confirmOptions(shownOptions(filled(412)), pending, "/out");
    EXPECT_EQ(result.options.VideoCodec, "mpeg2video");
    EXPECT_EQ(result.options.AudioCodec, "mp2");
}

TEST(Confirmation, DiscEncoderResetsTheVideoAndAudioChoices) {
    PendingJobOptions pending = pendingFor(19, "/media/in/clip.avi");
    const auto state = fillOptionSettings(pending, "/out");
    ShownOptions shown = shownOptions(*state);
    shown.texts[indexOf(OptionKind::VideoEncoder)] = "NTSC_DVD视频压缩器";
    shown.texts[indexOf(OptionKind::Volume)] = "音量增加70%";
    shown.negative = true;
    const Confirmation result = confirmOptions(shown, pending, "/out");
    ASSERT_TRUE(result.accepted);
    const PendingJobOptions& options = result.options;
    EXPECT_EQ(options.DiscTarget, "dvd");
    EXPECT_EQ(options.TvNorm, "NTSC");
    EXPECT_EQ(options.OutputFile, "/out/clip_NTSC.mpg");
    EXPECT_EQ(options.VideoBitRate, -1000);
    EXPECT_EQ(options.AudioBitRate, -1000);
    EXPECT_EQ(options.FrameSizeText, "");
    EXPECT_EQ(options.FrameRateText, "");
    EXPECT_EQ(options.AspectText, "");
    EXPECT_EQ(options.ChannelsText, "");
    EXPECT_EQ(options.SampleRateText, "");
    EXPECT_EQ(options.VideoCodec, "");
    EXPECT_EQ(options.AudioCodec, "libmp3lame");
    EXPECT_EQ(options.VolumeText, "435");
    EXPECT_EQ(options.VideoFilters, "negate");
}

TEST(Confirmation, PictureFilters) {
    struct Row {
        bool h, v, n;
        const char* filters;
    };
    const Row rows[] = {
        {false, false, false, ""},           {true, false, false, "hflip"},
        {false, true, false, "vflip"},       {false, false, true, "negate"},
        {false, true, true, "vflip,negate"}, {true, true, true, "hflip,vflip,negate"},
    };
    for (const Row& row : rows) {
        ShownOptions shown = shownOptions(filled(1));
        shown.flipHorizontal = row.h;
        shown.flipVertical = row.v;
        shown.negative = row.n;
        EXPECT_EQ(confirmed(shown).VideoFilters, row.filters);
    }
}

ShownOptions withCut(int code, CutTimeText start, CutTimeText stop, std::string seconds) {
    ShownOptions shown = shownOptions(filled(code));
    shown.cutEnabled = true;
    shown.cutStart = std::move(start);
    shown.cutStop = std::move(stop);
    shown.SourceSeconds = std::move(seconds);
    return shown;
}

TEST(Confirmation, CutRange) {
    struct Row {
        CutTimeText start;
        CutTimeText stop;
        const char* sourceSeconds;
        const char* message;  // empty when accepted
        std::int64_t startMs;
        std::int64_t lengthMs;
    };
    const Row rows[] = {
        {{"00", "01", "00"}, {"00", "02", "00"}, "3725", "", 60000, 60000},
        {{"", "", ""}, {"01", "02", "05"}, "3725", "", 0, 3725000},
        {{"00", "00", "00"}, {"01", "02", "06"}, "3725", kCutStopBeyondLengthMessage, 0, 0},
        {{"00", "02", "00"}, {"00", "02", "00"}, "3725", kCutStartNotBeforeStopMessage, 0, 0},
        {{"00", "03", "00"}, {"00", "02", "00"}, "3725", kCutStartNotBeforeStopMessage, 0, 0},
        // A failed duration probe leaves the stop edits empty: they read as zero.
        {{"", "", ""}, {"", "", ""}, "3725", kCutStartNotBeforeStopMessage, 0, 0},
        {{"00", "00", "3a"}, {"00", "02", "00"}, "3725", kDigitsOnlyMessage, 0, 0},
        // Without a known length only the order is checked.
        {{"00", "00", "30"}, {"09", "00", "00"}, "", "", 30000, 32370000},
        {{"99999999999999999999", "", ""}, {"1", "", ""}, "", kCutStartNotBeforeStopMessage, 0, 0},
        {{"", "", ""}, {"99999999999999999999", "", ""}, "3725", kCutStopBeyondLengthMessage, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.stop.hours + ":" + row.stop.minutes + ":" + row.stop.seconds);
        PendingJobOptions pending = pendingFor(1);
        pending.CutMode = kCutNoSelect;
        const Confirmation result =
            confirmOptions(withCut(1, row.start, row.stop, row.sourceSeconds), pending, "/out");
        EXPECT_EQ(result.message, row.message);
        EXPECT_EQ(result.accepted, std::string(row.message).empty());
        if (result.accepted) {
            EXPECT_EQ(result.options.CutMode, kCutSelect);
            EXPECT_EQ(result.options.CutStartMs, row.startMs);
            EXPECT_EQ(result.options.CutLengthMs, row.lengthMs);
        } else {
            // The fields before the cut range are written; the cut fields are not.
            EXPECT_EQ(result.options.ChannelsText, "2");
            EXPECT_EQ(result.options.CutMode, kCutNoSelect);
            EXPECT_EQ(result.options.CutStartMs, -1);
        }
    }
}

TEST(Confirmation, WithoutCutTheWholeSourceIsConverted) {
    PendingJobOptions pending = pendingFor(1);
    pending.CutMode = kCutSelect;
    pending.CutLengthMs = 5000;
    const Confirmation result = confirmOptions(shownOptions(filled(1)), pending, "/out");
    ASSERT_TRUE(result.accepted);
    EXPECT_EQ(result.options.CutMode, kCutNoSelect);
    EXPECT_EQ(result.options.CutStartMs, 0);
}

TEST(Confirmation, ConfirmingAgainAfterARejectedCutGivesTheSameRecord) {
    PendingJobOptions pending = pendingFor(420, "/media/in/clip.vob");
    const auto state = fillOptionSettings(pending, "/out");
    ShownOptions shown = shownOptions(*state);
    shown.flipVertical = true;
    shown.negative = true;
    shown.cutEnabled = true;
    shown.cutStop = {"02", "00", "00"};
    shown.SourceSeconds = "3725";

    const Confirmation rejected = confirmOptions(shown, pending, "/out");
    ASSERT_FALSE(rejected.accepted);
    EXPECT_EQ(rejected.options.OutputFile, "/out/clip_PAL.mpg");

    shown.cutStop = {"00", "10", "00"};
    const Confirmation accepted = confirmOptions(shown, rejected.options, "/out");
    ASSERT_TRUE(accepted.accepted);
    EXPECT_EQ(accepted.options.VideoFilters, "vflip,negate");
    EXPECT_EQ(accepted.options.OutputFile, "/out/clip_PAL.mpg");
    EXPECT_EQ(accepted.options.CutLengthMs, 600000);
}

}  // namespace
}  // namespace velmora
