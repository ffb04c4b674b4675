// Every profile, confirmed with the choices its window opens with, down to the records that reach
// the converter.
#include <gtest/gtest.h>

#include <string>

#include "profiles/JobRecords.h"
#include "profiles/OptionSettings.h"
#include "profiles/ProfileCatalogue.h"

namespace velmora {
namespace {

struct Expected {
    int code;
    const char* outputName;  // in /out, for the source /media/in/clip.mkv
    const char* profileExt;
    const char* videoCodec;
    const char* videoTag;   // in PendingJobOptions
    const char* outputTag;  // in the output record
    int videoBitRate;
    const char* frameSize;
    const char* frameRate;
    const char* aspect;
    const char* audioCodec;
    int audioBitRate;
    const char* sampleRate;
    const char* channels;
    const char* outputFormat;
    const char* discTarget;
    const char* tvNorm;
    bool audioOnly;
};

// clang-format off
const Expected kExpected[] = {
    {1, "clip.avi", ".avi", "mpeg4", "DX50", "DX50", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {2, "clip.avi", ".avi", "mpeg4", "DX50", "DX50", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {3, "clip.avi", ".avi", "mpeg4", "DX50", "DX50", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {4, "clip.mp4", ".psp.mp4", "mpeg4", "", "", 512000, "320*240 (PSP所有固件版本适用)", "29.97", "4:3", "libfaac", 128000, "24000", "2", "", "", "", false},
    {5, "clip.mp4", ".psp.mp4", "mpeg4", "", "", 768000, "720*480  (标清SD格式)", "29.97", "4:3", "libfaac", 128000, "48000", "2", "", "", "", false},
    {6, "clip.mp4", ".ipod.mp4", "mpeg4", "", "", 600000, "320*240", "25", "4:3", "libfaac", 128000, "48000", "2", "", "", "", false},
    {7, "clip.mp4", ".ipod.mp4", "mpeg4", "", "", 600000, "320*240", "25", "4:3", "libfaac", 128000, "48000", "2", "", "", "", false},
    {8, "clip.mp4", ".ipod.mp4", "mpeg4", "", "", 600000, "320*240", "25", "4:3", "libfaac", 128000, "48000", "2", "", "", "", false},
    {9, "clip.mp4", ".ipod.mp4", "mpeg4", "", "", 600000, "320*240", "25", "4:3", "libfaac", 128000, "48000", "2", "", "", "", false},
    {10, "clip.mp4", ".mp4", "mpeg4", "", "", 600000, "320*240", "25", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {11, "clip.mp4", ".mp4", "libx264", "", "", 600000, "320*240", "25", "4:3", "libmp3lame", 128000, "48000", "2", "", "", "", false},
    {12, "clip.mp4", ".mp4", "mpeg4", "", "", 600000, "320*240", "25", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {13, "clip.swf", ".swf", "", "", "", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {14, "clip.flv", ".flv", "", "", "", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {15, "clip.rm", ".rm", "rv10", "", "", 528000, "", "", "4:3", "AUTO", -1000, "AUTO", "2", "", "", "", false},
    {16, "clip.mkv", ".mkv", "mpeg4", "", "", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {17, "clip.mov", ".mov", "", "", "", 528000, "320*240", "25.00", "4:3", "libfaac", 128000, "22050", "2", "mov", "", "", false},
    {18, "clip.mpg", ".mpg", "mpeg1video", "", "", 528000, "320*240", "25.00", "4:3", "", 128000, "44100", "2", "", "", "", false},
    {19, "clip_PAL.mpg", ".mpg", "", "", "", -1000, "", "", "", "libmp3lame", -1000, "", "", "", "dvd", "PAL", false},
    {20, "clip_PAL.mpg", ".mpg", "", "", "", -1000, "", "", "", "libmp3lame", -1000, "", "", "", "svcd", "PAL", false},
    {21, "clip_PAL.mpg", ".mpg", "", "", "", -1000, "", "", "", "libmp3lame", -1000, "", "", "", "vcd", "PAL", false},
    {22, "clip.wmv", ".wmv", "wmv2", "", "", 528000, "320*240", "25.00", "4:3", "wmav2", 128000, "48000", "2", "", "", "", false},
    {23, "clip.asf", ".asf", "msmpeg4", "", "", 528000, "320*240", "25.00", "4:3", "wmav2", 128000, "48000", "2", "asf", "", "", false},
    {24, "clip.avi", ".avi", "mjpeg", "", "", 3000000, "320*240", "", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {100, "clip.avi", ".avi", "mpeg4", "DX50", "DX50", 1000000, "", "25.00", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {101, "clip.avi", ".avi", "libx264", "", "", 1600000, "", "", "16:9", "libfaac", 192000, "48000", "2", "", "", "", false},
    {102, "clip.mp4", ".mp4", "mpeg4", "", "", 1000000, "704*480", "25", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {103, "clip.avi", ".avi", "mpeg4", "", "", 1200000, "", "25.00", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {104, "clip.mp4", ".mp4", "mpeg4", "", "", 1200000, "1024*768", "25", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {105, "clip.mp4", ".mp4", "mpeg4", "", "", 1800000, "1920*1080", "29.97", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {106, "clip.mov", ".mov", "", "", "", 1000000, "", "", "16:9", "libfaac", 128000, "22050", "2", "mov", "", "", false},
    {107, "clip.mkv", ".mkv", "mpeg4", "", "", 1200000, "", "", "16:9", "libfaac", 128000, "22050", "2", "", "", "", false},
    {108, "clip.avi", ".avi", "libx264", "", "", 1600000, "", "", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {109, "clip.mp4", ".mp4", "mpeg4", "", "", 1200000, "", "25", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {110, "clip.avi", ".avi", "mpeg4", "XVID", "XVID", 1800000, "1280*1024", "30.00", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {111, "clip.mp4", ".mp4", "libx264", "", "", 1200000, "1024*768", "25", "4:3", "libfaac", 128000, "44100", "2", "", "", "", false},
    {112, "clip.mp4", ".mp4", "mpeg4", "", "", 1200000, "1024*768", "25", "4:3", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {113, "clip.mp4", ".mp4", "libx264", "", "", 1800000, "1920*1080", "30", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {114, "clip.avi", ".avi", "mpeg4", "DX50", "DX50", 1600000, "1920*1080", "29.97", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {115, "clip.avi", ".avi", "mpeg4", "", "", 1600000, "4096*3112", "29.97", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {116, "clip.mp4", ".mp4", "mpeg4", "", "", 1500000, "", "25", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {117, "clip.mkv", ".mkv", "libx264", "", "", 1600000, "1920*1080", "", "16:9", "libfaac", 128000, "22050", "2", "", "", "", false},
    {118, "clip.mp4", ".mp4", "mpeg4", "XVID", "", 1200000, "1024*768", "29.97", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {119, "clip.avi", ".avi", "libxvid", "", "", 1600000, "1280*1024", "29.97", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {200, "clip.mp3", ".mp3", "", "", "", -1000, "", "", "", "libmp3lame", 128000, "48000", "2", "", "", "", true},
    {201, "clip.wma", ".wma", "", "", "", -1000, "", "", "", "wmav2", 128000, "48000", "2", "", "", "", true},
    {202, "clip.wav", ".wav", "", "", "", -1000, "", "", "", "", 128000, "48000", "2", "", "", "", true},
    {203, "clip.m4a", ".m4a", "", "", "", -1000, "", "", "", "libfaac", 128000, "48000", "2", "", "", "", true},
    {204, "clip.ac3", ".ac3", "", "", "", -1000, "", "", "", "ac3", 128000, "48000", "2", "", "", "", true},
    {205, "clip.ogg", ".ogg", "", "", "", -1000, "", "", "", "libvorbis", 128000, "48000", "2", "", "", "", true},
    {206, "clip.mp2", ".mp2", "", "", "", -1000, "", "", "", "", 128000, "44100", "2", "", "", "", true},
    {207, "clip.flac", ".flac", "", "", "", -1000, "", "", "", "flac", 128000, "48000", "2", "", "", "", true},
    {208, "clip.rm", ".rm", "", "", "", -1000, "", "", "", "", 128000, "48000", "2", "", "", "", true},
    {209, "clip.amr", ".amr", "", "", "", -1000, "", "", "", "libopencore_amrnb", 7400, "8000", "1", "", "", "", true},
    {400, "clip.mkv", ".mkv", "mpeg4", "", "", 1200000, "", "", "16:9", "libfaac", 128000, "22050", "2", "", "", "", false},
    {401, "clip.mkv", ".mkv", "mpeg4", "", "", 2000000, "1920*1080", "", "16:9", "libfaac", 128000, "22050", "2", "", "", "", false},
    {402, "clip.mkv", ".mkv", "libx264", "", "", 1200000, "720*480", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {403, "clip.mkv", ".mkv", "mpeg4", "", "", 1600000, "", "", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {404, "clip.mkv", ".mkv", "mpeg4", "", "", 2000000, "1280*720", "", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {405, "clip.mkv", ".mkv", "mpeg4", "", "", 2000000, "1920*1080", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {406, "clip.mkv", ".mkv", "mpeg4", "", "", 2500000, "2560*1600", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {407, "clip.mkv", ".mkv", "mpeg4", "", "", 2500000, "4096*3112", "30.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {408, "clip.mkv", ".mkv", "mpeg4", "", "", 528000, "320*240", "25.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {409, "clip.mkv", ".mkv", "mpeg4", "", "", 2500000, "", "30.00", "4:3", "libmp3lame", 128000, "22050", "2", "", "", "", false},
    {410, "clip.avi", ".avi", "mpeg4", "XVID", "XVID", 1800000, "1280*1024", "30.00", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {411, "clip.avi", ".avi", "libx264", "", "", 2000000, "1600*1200", "30.00", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {412, "clip.vob", ".vob", "", "", "", 1600000, "1280*1024", "29.97", "4:3", "", 128000, "44100", "2", "", "", "", false},
    {413, "clip.mp4", ".mp4", "mpeg4", "", "", 1500000, "", "29.97", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {414, "clip.mp4", ".mp4", "libx264", "", "", 1800000, "1920*1080", "30", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {415, "clip.mp4", ".mp4", "mpeg4", "", "", 1200000, "", "25", "16:9", "libmp3lame", 128000, "44100", "2", "", "", "", false},
    {416, "clip.avi", ".avi", "mpeg4", "DX50", "DX50", 1600000, "1920*1080", "29.97", "16:9", "libfaac", 128000, "44100", "2", "", "", "", false},
    {417, "clip.mov", ".mov", "", "", "", 1000000, "", "", "16:9", "libfaac", 128000, "22050", "2", "mov", "", "", false},
    {418, "clip.wmv", ".wmv", "wmv2", "", "", 1000000, "704*480", "25.00", "4:3", "wmav2", 128000, "44100", "2", "", "", "", false},
    {419, "clip_PAL.mpg", ".mpg", "", "", "", -1000, "", "", "", "libmp3lame", -1000, "", "", "", "vcd", "PAL", false},
    {420, "clip_PAL.mpg", ".mpg", "", "", "", -1000, "", "", "", "libmp3lame", -1000, "", "", "", "dvd", "PAL", false},
};
// clang-format on

int targetOf(std::string_view disc) {
    return disc == "vcd" ? 1 : disc == "svcd" ? 2 : disc == "dvd" ? 3 : 0;
}

TEST(ProfileConfirmation, PreselectedChoicesOfEveryProfile) {
    ASSERT_EQ(std::size(kExpected), static_cast<std::size_t>(kProfileCount));
    for (const Expected& row : kExpected) {
        SCOPED_TRACE(row.code);
        ASSERT_NE(findProfile(row.code), nullptr);
        PendingJobOptions pending;
        pending.ProfileCode = row.code;
        pending.SourceFile = "/media/in/clip.mkv";
        pending.reset();
        const auto state = fillOptionSettings(pending, "/out");
        ASSERT_TRUE(state.has_value());
        const Confirmation confirmation = confirmOptions(shownOptions(*state), pending, "/out");
        ASSERT_TRUE(confirmation.accepted);
        const PendingJobOptions& options = confirmation.options;

        EXPECT_EQ(options.ProfileCode, row.code);
        EXPECT_EQ(options.OutputFile, std::string("/out/") + row.outputName);
        EXPECT_EQ(options.ProfileExt, row.profileExt);
        EXPECT_EQ(options.VideoCodec, row.videoCodec);
        EXPECT_EQ(options.VideoTag, row.videoTag);
        EXPECT_EQ(options.VideoBitRate, row.videoBitRate);
        EXPECT_EQ(options.FrameSizeText, row.frameSize);
        EXPECT_EQ(options.FrameRateText, row.frameRate);
        EXPECT_EQ(options.AspectText, row.aspect);
        EXPECT_EQ(options.AudioCodec, row.audioCodec);
        EXPECT_EQ(options.AudioBitRate, row.audioBitRate);
        EXPECT_EQ(options.SampleRateText, row.sampleRate);
        EXPECT_EQ(options.ChannelsText, row.channels);
        EXPECT_EQ(options.OutputFormat, row.outputFormat);
        EXPECT_EQ(options.DiscTarget, row.discTarget);
        EXPECT_EQ(options.TvNorm, row.tvNorm);
        EXPECT_EQ(options.AudioOnly, row.audioOnly);
        EXPECT_EQ(options.VolumeText, "256");
        EXPECT_EQ(options.VideoFilters, "");
        EXPECT_EQ(options.CutMode, "NoSelect");
        EXPECT_EQ(options.CutStartMs, 0);

        const JobBuild job = buildOneFileJob(options, ExistingFileRule::NewName,
                                             [](const std::string&) { return false; });
        ASSERT_TRUE(job.records.has_value());
        const TInputOptions& input = job.records->input;
        EXPECT_EQ(input.FileName, "/media/in/clip.mkv");
        EXPECT_EQ(input.ForceFormat, "");
        EXPECT_EQ(input.StartTime, 0);

        const TOutputOptions& output = job.records->output;
        EXPECT_EQ(output.FileName, options.OutputFile);
        EXPECT_EQ(output.FileFormat, row.outputFormat);
        EXPECT_EQ(output.VideoCodec, row.videoCodec);
        EXPECT_EQ(output.VideoPreset,
                  std::string(row.videoCodec) == "libx264" ? "libx264-default" : "");
        EXPECT_EQ(output.VideoTag, row.outputTag);
        EXPECT_EQ(output.VideoBitrate, row.videoBitRate == -1000 ? -1 : row.videoBitRate);
        EXPECT_EQ(output.FrameSize, row.frameSize);
        EXPECT_EQ(output.FrameRate, row.frameRate);
        EXPECT_EQ(output.AspectRatio, row.aspect);
        const std::string audioCodec = row.audioCodec;
        EXPECT_EQ(output.AudioCodec, audioCodec == "AUTO" ? "" : audioCodec);
        EXPECT_EQ(output.AudioBitrate, row.audioBitRate == -1000 ? -1 : row.audioBitRate);
        const std::string sampleRate = row.sampleRate;
        EXPECT_EQ(output.AudioSampleRate,
                  sampleRate.empty() || sampleRate == "AUTO" ? -1 : std::stoi(sampleRate));
        const std::string channels = row.channels;
        EXPECT_EQ(output.AudioChannels, channels.empty() ? -1 : std::stoi(channels));
        EXPECT_EQ(output.AudioVolume, -1);
        EXPECT_EQ(output.DisableVideo, row.audioOnly);
        EXPECT_EQ(output.Target, targetOf(row.discTarget));
        EXPECT_EQ(output.TargetNorm, std::string(row.tvNorm) == "PAL" ? 1 : 0);
        EXPECT_EQ(output.StartTime, 0);
        EXPECT_EQ(output.RecordingTime, kNoTime);
        EXPECT_EQ(output.VideoFilters, "");
    }
}

}  // namespace
}  // namespace velmora
