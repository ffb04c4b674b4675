// How tasks on the real engine end: outputs read back in many containers, incomplete results
// told as such, limits asked for not mistaken for missing data, failures leaving no file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "component/MediaConverter.h"
#include "component/OutputVerification.h"
#include "component/TaskEndDecision.h"
#include "engine/Transcoder.h"
#include "medialib/MainThreadQueue.h"
#include "probe/MediaProbe.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kSecond = 1'000'000;

class EndStateIntegration : public ::testing::Test {
protected:
    void SetUp() override {
        SetMainThread();
        test::requireMediaLibraries();
        fs::create_directories(dir.path() / "out");
    }

    std::string makeClip(const std::string& name, SampleSpec spec) {
        const std::string path = dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    SampleSpec smallSpec(double seconds) const {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        spec.width = 160;
        spec.height = 120;
        return spec;
    }

    std::set<std::string> outFolder() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path() / "out")) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    // One task in main-thread mode; its termination record.
    TTerminateInfo convertOne(const std::string& source, TInputOptions input, TOutputOptions output,
                              const std::string& target) {
        TMediaConverter converter;
        TTerminateInfo ended;
        ended.TaskIndex = -2;
        converter.SetOnTerminate([&](TCustomMediaConverter&, const TTerminateInfo& info) {
            if (info.TaskIndex == 0) {
                ended = info;
            }
        });
        const int task = converter.AddTask(source, &input);
        EXPECT_EQ(task, 0) << converter.LastErrMsg();
        EXPECT_TRUE(converter.SetOutputFile(task, target, &output)) << converter.LastErrMsg();
        converter.StartTask(0);
        converter.ClearTasks();
        return ended;
    }

    test::TempDir dir;
};

TEST_F(EndStateIntegration, OutputsAreReadBackStreamByStreamInEveryContainer) {
    const struct {
        const char* file;
        const char* container;
        const char* videoCodec;  // empty: audio only
        const char* audioCodec;
    } rows[] = {
        {"c.mkv", "matroska", "mpeg4", "aac"},
        {"c.mp4", "mp4", "mpeg4", "aac"},
        {"c.avi", "avi", "mpeg4", "libmp3lame"},
        {"c.ts", "mpegts", "mpeg2video", "mp2"},
        {"c.flv", "flv", "flv", "libmp3lame"},
        {"c.mpg", "mpeg", "mpeg1video", "mp2"},
        {"c.mp3", "mp3", "", "libmp3lame"},
        {"c.aac", "adts", "", "aac"},
        {"c.ac3", "ac3", "", "ac3"},
        {"c.ogg", "ogg", "", "libvorbis"},
        {"c.wav", "wav", "", "pcm_s16le"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        SampleSpec spec = smallSpec(4.0);
        spec.container = row.container;
        spec.video = *row.videoCodec != '\0';
        if (spec.video) {
            spec.videoCodec = row.videoCodec;
        }
        spec.audioCodec = row.audioCodec;
        const std::string path = makeClip(row.file, spec);

        // The record the engine would leave, expecting 4 s of every stream.
        WrittenOutput written;
        written.finalName = path;
        {
            TMediaProbe probe;
            ASSERT_TRUE(probe.Open(path)) << probe.LastError();
            for (unsigned i = 0; i < probe.FormatContext()->nb_streams; ++i) {
                WrittenStream stream;
                stream.index = static_cast<int>(i);
                stream.type = probe.FormatContext()->streams[i]->codecpar->codec_type;
                stream.expectedEndUs = 4 * kSecond;
                written.streams.push_back(stream);
            }
        }
        ASSERT_EQ(written.streams.size(), spec.video ? 2u : 1u);
        const OutputCheck check = checkWrittenOutput(written);
        ASSERT_EQ(check.problem, "");
        for (const StreamCoverage& stream : check.streams) {
            // Reaches are ends on the file's time line: a muxer's start delay (MPEG program
            // streams start near 0.5 s) adds to them.
            EXPECT_GT(static_cast<double>(stream.actualEndUs) / kSecond, 3.8) << stream.type;
            EXPECT_LT(static_cast<double>(stream.actualEndUs) / kSecond, 4.7) << stream.type;
        }
        TaskEndFacts facts;
        facts.finished = true;
        facts.streams = check.streams;
        EXPECT_EQ(decideTaskEnd(facts).state, TaskEndState::Done);

        // Each stream is held to its own promise: audio expected to run twice as long.
        for (WrittenStream& stream : written.streams) {
            if (stream.type == AVMEDIA_TYPE_AUDIO) {
                stream.expectedEndUs = 8 * kSecond;
            }
        }
        facts.streams = checkWrittenOutput(written).streams;
        const TaskEndReport report = decideTaskEnd(facts);
        EXPECT_EQ(report.state, TaskEndState::Incomplete);
        EXPECT_EQ(report.shortStream, spec.video ? TaskEndReport::ShortStream::Audio
                                                 : TaskEndReport::ShortStream::Every);
    }
}

TEST_F(EndStateIntegration, UnreadableOutputIsReportedNotCounted) {
    const std::string garbage = dir.file("garbage.mkv");
    std::ofstream(garbage) << "not a media file at all";
    WrittenOutput written;
    written.finalName = dir.file("out/final.mkv");
    written.partName = garbage;
    written.streams = {{0, AVMEDIA_TYPE_VIDEO, 4 * kSecond, 4 * kSecond, 100}};
    const OutputCheck check = checkWrittenOutput(written);
    EXPECT_NE(check.problem.find("final.mkv' cannot be read back"), std::string::npos)
        << check.problem;
}

TEST_F(EndStateIntegration, TruncatedSourceEndsIncompleteWithItsOutputKept) {
    const std::string whole = makeClip("whole.mkv", smallSpec(4.0));
    const std::string cut = dir.file("cut.mkv");
    ASSERT_TRUE(truncateCopy(whole, cut, 0.5));
    TOutputOptions output;
    output.VideoCodec = "mpeg4";
    const std::string target = dir.file("out/cut.avi");
    const TTerminateInfo info = convertOne(cut, {}, output, target);

    EXPECT_EQ(info.EndState, TaskEndState::Incomplete);
    EXPECT_FALSE(info.Finished);
    EXPECT_FALSE(info.Exception);
    EXPECT_EQ(info.EndStateText.rfind("只转换了 ", 0), 0u) << info.EndStateText;
    EXPECT_NE(info.EndStateText.find("源文件应有 4.0 秒"), std::string::npos) << info.EndStateText;
    EXPECT_LT(info.EndReport.convertedUs, 3 * kSecond);
    // An incomplete result is still a closed, playable file under its final name.
    EXPECT_EQ(outFolder(), std::set<std::string>{"cut.avi"});
    TMediaProbe probe;
    EXPECT_TRUE(probe.Open(target)) << probe.LastError();
}

TEST_F(EndStateIntegration, LimitsAskedForAreNotMissingData) {
    const std::string source = makeClip("source.mkv", smallSpec(4.0));
    // A source whose audio stops after 1 s while its picture runs 4 s.
    SampleSpec pictureOnly = smallSpec(4.0);
    pictureOnly.audio = false;
    SampleSpec toneOnly = smallSpec(1.0);
    toneOnly.video = false;
    const std::string uneven = dir.file("uneven.mkv");
    {
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(makeClip("picture.mkv", pictureOnly)));
        ASSERT_TRUE(engine.OpenInput(makeClip("tone.mkv", toneOnly)));
        for (const char* map : {"0:0", "1:0"}) {
            engine.SetOption("map", map);
        }
        engine.SetOption("vcodec", "copy");
        engine.SetOption("acodec", "copy");
        ASSERT_GT(engine.OpenOutput(uneven, false), 0) << engine.LastError();
        engine.Start(false);
        ASSERT_FALSE(engine.Exception()) << engine.ExceptionMessage();
    }

    struct Row {
        const char* what;
        std::string source;
        std::int64_t cutStartUs;
        std::int64_t lengthUs;
        const char* extOptions;
    };
    const Row rows[] = {
        {"whole source", source, kNoTime, kNoTime, ""},
        {"cut range", source, kSecond, 1'500'000, ""},
        {"frame limit", source, kNoTime, kNoTime, "vframes=25"},
        {"size limit", source, kNoTime, kNoTime, "fs=20000"},
        {"streams of different lengths", uneven, kNoTime, kNoTime, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TInputOptions input;
        input.StartTime = row.cutStartUs;
        TOutputOptions output;
        output.VideoCodec = "mpeg4";
        output.AudioCodec = "libmp3lame";
        output.RecordingTime = row.lengthUs;
        output.ExtOptions = row.extOptions;
        const std::string target = dir.file("out/limited.avi");
        const TTerminateInfo info = convertOne(row.source, input, output, target);
        EXPECT_EQ(info.EndState, TaskEndState::Done) << info.EndStateText;
        EXPECT_TRUE(info.Finished);
        EXPECT_TRUE(fs::exists(target));
    }
}

TEST_F(EndStateIntegration, FailedTaskLeavesNothingUnderAnyName) {
    const std::string source = makeClip("source.mkv", smallSpec(4.0));
    TOutputOptions output;
    output.VideoCodec = "mpeg4";
    output.VideoBitrate = 2'000'000;
    const std::string target = dir.file("out/full-disk.avi");

    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const sighandler_t previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64 * 1024;  // the disk is full after 64 KiB
    ::setrlimit(RLIMIT_FSIZE, &small);
    const TTerminateInfo info = convertOne(source, {}, output, target);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);

    EXPECT_EQ(info.EndState, TaskEndState::Failed);
    EXPECT_TRUE(info.Exception);
    EXPECT_FALSE(info.Finished);
    EXPECT_FALSE(info.ExceptionMsg.empty());
    EXPECT_EQ(info.EndStateText, "转换失败：" + info.ExceptionMsg);
    EXPECT_TRUE(outFolder().empty());
}

}  // namespace
}  // namespace velmora
