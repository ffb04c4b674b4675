// Integration tests of the engine: generated clips converted end to end and read back.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/EngineSettings.h"
#include "engine/MediaFacts.h"
#include "engine/Transcoder.h"
#include "engine/TranscoderException.h"
#include "medialib/Bitmap.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLogger.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::MediaFacts;
using test::ReadMediaFacts;
using test::StreamFacts;

class TranscodeTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::requireMediaLibraries();
        SetMainThread();
    }

    // A clip made by the sample generator in the test's temp folder.
    std::string makeClip(const std::string& name, const SampleSpec& spec) {
        const std::string path = m_dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    std::string mkvClip(double seconds = 2.0) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        spec.videoCodec = "libx264";
        spec.audioCodec = "aac";
        return makeClip("source.mkv", spec);
    }

    std::string audioClip(int channels = 2, double seconds = 2.0) {
        SampleSpec spec;
        spec.container = "wav";
        spec.video = false;
        spec.audioCodec = "pcm_s16le";
        spec.channels = channels;
        spec.durationSeconds = seconds;
        return makeClip(channels == 1 ? "mono.wav" : "stereo.wav", spec);
    }

    // Runs a whole task on this thread with the options given before and after the input.
    void convert(TCustomTranscoder& engine, const std::string& input,
                 const std::vector<std::pair<std::string, std::string>>& inputOptions,
                 const std::string& output,
                 const std::vector<std::pair<std::string, std::string>>& outputOptions) {
        for (const auto& [name, value] : inputOptions) {
            engine.SetOption(name, value);
        }
        ASSERT_TRUE(engine.OpenInput(input)) << engine.LastError();
        for (const auto& [name, value] : outputOptions) {
            engine.SetOption(name, value);
        }
        ASSERT_GT(engine.OpenOutput(output, false), 0) << engine.LastError();
        engine.Start(false);
        EXPECT_FALSE(engine.Exception()) << engine.ExceptionMessage();
        EXPECT_TRUE(engine.Finished());
        EXPECT_TRUE(engine.Terminated());
    }

    test::TempDir m_dir;
};

TEST_F(TranscodeTest, MatroskaToAviWithNewSizeAndRate) {
    const std::string source = mkvClip(2.0);
    const double sourceAudioSeconds =
        ReadMediaFacts(source).find(AVMEDIA_TYPE_AUDIO)->durationSeconds();
    const std::string target = m_dir.file("out.avi");
    TCustomTranscoder engine;
    std::vector<ProgressReport> reports;
    int notices = 0;
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport& r) { reports.push_back(r); };
    engine.onTerminate = [&](TCustomTranscoder&) { ++notices; };
    engine.SetReportIntervalUs(0);
    convert(engine, source, {}, target,
            {{"vcodec", "mpeg4"},
             {"acodec", "libmp3lame"},
             {"s", "160x120"},
             {"r", "15"},
             {"ar", "22050"},
             {"ab", "64000"}});
    EXPECT_EQ(notices, 1);

    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_EQ(facts.format, "avi");
    const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
    const StreamFacts* audio = facts.find(AVMEDIA_TYPE_AUDIO);
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(video->codec, "mpeg4");
    EXPECT_EQ(video->width, 160);
    EXPECT_EQ(video->height, 120);
    EXPECT_NEAR(video->packets, 30, 1);
    EXPECT_EQ(audio->codec, "mp3");
    EXPECT_EQ(audio->sampleRate, 22050);
    EXPECT_EQ(audio->bitRate, 64000);
    // The encoder's delay and last-frame padding: within two frames of 1152 samples.
    EXPECT_NEAR(audio->durationSeconds(), sourceAudioSeconds, 2 * 1152.0 / 22050);

    ASSERT_FALSE(reports.empty());
    const ProgressReport& last = reports.back();
    EXPECT_EQ(last.FileIndex, -1);
    EXPECT_NEAR(last.FrameNumber, 30, 1);
    EXPECT_GT(last.CurrentSize, 0);
    EXPECT_EQ(last.CurrentSize, static_cast<int64_t>(std::filesystem::file_size(target)));
    EXPECT_NEAR(last.CurrentDuration / 1e6, 2.0, 0.15);
    EXPECT_NEAR(last.TotalDuration / 1e6, 2.0, 0.1);
    EXPECT_GT(last.BitRate, 0.0f);
    EXPECT_GT(last.Quality, 0.0f);
    for (size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_GE(reports[i].FileIndex, 0);
        EXPECT_GE(reports[i].FrameNumber, 1);
    }
}

struct AudioCase {
    const char* file;
    std::vector<std::pair<std::string, std::string>> options;
    const char* codec;
    int sampleRate;
    int channels;
};

TEST_F(TranscodeTest, AudioOnlyToEachAudioFormat) {
    const std::string source = audioClip(2, 2.0);
    const std::vector<AudioCase> cases = {
        {"out.mp3", {{"acodec", "libmp3lame"}}, "mp3", 44100, 2},
        {"out.wav", {}, "pcm_s16le", 44100, 2},
        {"out.flac", {{"acodec", "flac"}}, "flac", 44100, 2},
        {"out.aac", {{"acodec", "aac"}}, "aac", 44100, 2},
        {"out.ac3", {{"acodec", "ac3"}, {"ar", "48000"}}, "ac3", 48000, 2},
        {"out.ogg", {{"acodec", "libvorbis"}}, "vorbis", 44100, 2},
        {"out.amr",
         {{"acodec", "libopencore_amrnb"}, {"ar", "8000"}, {"ac", "1"}, {"ab", "12200"}},
         "amr_nb",
         8000,
         1},
    };
    for (const AudioCase& c : cases) {
        SCOPED_TRACE(c.file);
        TCustomTranscoder engine;
        const std::string target = m_dir.file(c.file);
        convert(engine, source, {}, target, c.options);
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        ASSERT_EQ(facts.streams.size(), 1u);
        const StreamFacts& audio = facts.streams[0];
        EXPECT_EQ(audio.codec, c.codec);
        EXPECT_EQ(audio.sampleRate, c.sampleRate);
        EXPECT_EQ(audio.channels, c.channels);
        // Within one encoder frame (plus the encoder's own padding).
        EXPECT_NEAR(audio.durationSeconds(), 2.0, 0.1);
    }
}

TEST_F(TranscodeTest, StreamCopyMatroskaToMp4) {
    const std::string source = mkvClip(2.0);
    const MediaFacts input = ReadMediaFacts(source);
    const std::string target = m_dir.file("copy.mp4");
    TCustomTranscoder engine;
    convert(engine, source, {}, target, {{"vcodec", "copy"}, {"acodec", "copy"}});
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_EQ(facts.format, "mov,mp4,m4a,3gp,3g2,mj2");
    const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
    const StreamFacts* audio = facts.find(AVMEDIA_TYPE_AUDIO);
    ASSERT_NE(video, nullptr);
    ASSERT_NE(audio, nullptr);
    EXPECT_EQ(video->codec, "h264");
    EXPECT_EQ(audio->codec, "aac");
    EXPECT_EQ(video->packets, input.find(AVMEDIA_TYPE_VIDEO)->packets);
    EXPECT_EQ(audio->packets, input.find(AVMEDIA_TYPE_AUDIO)->packets);
    EXPECT_EQ(video->width, 320);
}

TEST_F(TranscodeTest, RecordingTimeAndStartTimeCut) {
    const std::string source = mkvClip(3.0);
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> before;
        std::vector<std::pair<std::string, std::string>> after;
        double seconds;
    };
    const std::vector<Case> cases = {
        {"t1.avi", {}, {{"t", "1"}}, 1.0},
        {"ss1.avi", {{"ss", "1"}}, {}, 2.0},
        {"ss1t1.avi", {{"ss", "1"}}, {{"t", "1.5"}}, 1.5},
        {"outss.avi", {}, {{"ss", "2"}}, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCustomTranscoder engine;
        const std::string target = m_dir.file(c.name);
        auto after = c.after;
        after.emplace_back("vcodec", "mpeg4");
        after.emplace_back("acodec", "libmp3lame");
        convert(engine, source, c.before, target, after);
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_NEAR(video->packets, c.seconds * 25, 1.5);
        const StreamFacts* audio = facts.find(AVMEDIA_TYPE_AUDIO);
        ASSERT_NE(audio, nullptr);
        EXPECT_NEAR(audio->durationSeconds(), c.seconds, 0.1);
        EXPECT_LT(audio->firstSeconds, 0.1);
    }
}

TEST_F(TranscodeTest, VideoFrameLimitStopsTheOutput) {
    const std::string source = mkvClip(2.0);
    TCustomTranscoder engine;
    const std::string target = m_dir.file("ten.avi");
    convert(engine, source, {}, target, {{"vcodec", "mpeg4"}, {"an", "1"}, {"vframes", "10"}});
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_EQ(facts.count(AVMEDIA_TYPE_AUDIO), 0);
    ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
    EXPECT_EQ(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 10);
}

TEST_F(TranscodeTest, MonoBecomesStereo) {
    const std::string source = audioClip(1, 1.0);
    TCustomTranscoder engine;
    const std::string target = m_dir.file("stereo.mp3");
    convert(engine, source, {}, target, {{"acodec", "libmp3lame"}, {"ac", "2"}});
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    ASSERT_NE(facts.find(AVMEDIA_TYPE_AUDIO), nullptr);
    EXPECT_EQ(facts.find(AVMEDIA_TYPE_AUDIO)->channels, 2);
    EXPECT_NEAR(facts.find(AVMEDIA_TYPE_AUDIO)->durationSeconds(), 1.0, 0.1);
}

TEST_F(TranscodeTest, DoubledFrameRateDuplicatesEveryFrame) {
    const std::string source = mkvClip(2.0);
    TCustomTranscoder engine;
    const std::string target = m_dir.file("fifty.avi");
    convert(engine, source, {}, target,
            {{"vcodec", "mpeg4"}, {"an", "1"}, {"r", "50"}, {"vsync", "1"}});
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
    EXPECT_NEAR(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 100, 2);
}

TEST_F(TranscodeTest, PictureFiltersAndCropScale) {
    const std::string source = mkvClip(1.0);
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> options;
        int width;
        int height;
    };
    const std::vector<Case> cases = {
        {"flip.avi", {{"vf", "hflip,vflip,negate"}}, 320, 240},
        {"flipscaled.avi", {{"vf", "hflip"}, {"s", "176x144"}}, 176, 144},
        {"crop.avi", {{"croptop", "40"}, {"cropleft", "32"}}, 288, 200},
        {"cropfilter.avi", {{"croptop", "40"}, {"vf", "negate"}}, 320, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCustomTranscoder engine;
        auto options = c.options;
        options.emplace_back("vcodec", "mpeg4");
        options.emplace_back("an", "1");
        const std::string target = m_dir.file(c.name);
        convert(engine, source, {}, target, options);
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(video->width, c.width);
        EXPECT_EQ(video->height, c.height);
        EXPECT_NEAR(video->packets, 25, 1);
    }
}

TEST_F(TranscodeTest, StopDuringThreadedRunLeavesPlayableOutput) {
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 20.0;
    spec.videoCodec = "mpeg4";
    spec.width = 640;
    spec.height = 480;
    const std::string source = makeClip("long.mkv", spec);
    TCustomTranscoder engine;
    std::atomic<int> reports{0};
    std::atomic<int> notices{0};
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport&) { ++reports; };
    engine.onTerminate = [&](TCustomTranscoder&) { ++notices; };
    engine.SetReportIntervalUs(50000);
    ASSERT_TRUE(engine.OpenInput(source)) << engine.LastError();
    engine.SetOption("vcodec", "libx264");
    engine.SetOption("acodec", "libmp3lame");
    const std::string target = m_dir.file("stopped.avi");
    ASSERT_GT(engine.OpenOutput(target, false), 0) << engine.LastError();
    ASSERT_TRUE(engine.Start(true, ThreadPriority::lower));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (reports.load() < 2 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(engine.Running());
    engine.Stop(true);
    EXPECT_FALSE(engine.Running());
    EXPECT_TRUE(engine.Terminated());
    EXPECT_FALSE(engine.Finished());
    EXPECT_FALSE(engine.Exception()) << engine.ExceptionMessage();
    EXPECT_EQ(notices.load(), 1);
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
    EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 0);
    EXPECT_LT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 500);
}

TEST_F(TranscodeTest, PausedRunWaitsAndStopEndsIt) {
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 10.0;
    const std::string source = makeClip("pause.mkv", spec);
    TCustomTranscoder engine;
    std::atomic<int> reports{0};
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport&) { ++reports; };
    engine.SetReportIntervalUs(20000);
    ASSERT_TRUE(engine.OpenInput(source));
    engine.SetOption("vcodec", "libx264");
    ASSERT_GT(engine.OpenOutput(m_dir.file("paused.mkv"), false), 0) << engine.LastError();
    ASSERT_TRUE(engine.Start(true));
    while (reports.load() < 1 && engine.Running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    engine.Pause();
    EXPECT_TRUE(engine.Paused());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int whilePaused = reports.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_LE(reports.load(), whilePaused + 1);
    EXPECT_TRUE(engine.Running());
    engine.Stop(true);
    EXPECT_FALSE(engine.Finished());
    EXPECT_TRUE(engine.Terminated());
}

TEST_F(TranscodeTest, UnwritableOutputFolderFailsCleanly) {
    const std::string source = audioClip(2, 1.0);
    // A folder path below a regular file can never be created or written, even by root.
    const std::string blocker = m_dir.file("blocker");
    std::ofstream(blocker) << "x";
    TCustomTranscoder engine;
    std::string noticeMessage;
    engine.onTerminate = [&](TCustomTranscoder& e) { noticeMessage = e.ExceptionMessage(); };
    ASSERT_TRUE(engine.OpenInput(source));
    EXPECT_EQ(engine.OpenOutput(blocker + "/out.mp3", false), -1);
    EXPECT_NE(engine.LastError().find(blocker + "/out.mp3"), std::string::npos)
        << engine.LastError();
    EXPECT_FALSE(engine.Start(false));
    EXPECT_TRUE(engine.Exception());
    EXPECT_FALSE(engine.Finished());
    EXPECT_EQ(noticeMessage, "At least one output file must be specified");
}

TEST_F(TranscodeTest, SourceIsNeverAnOutput) {
    const std::string source = audioClip(2, 1.0);
    const auto sizeBefore = std::filesystem::file_size(source);
    TCustomTranscoder engine;
    ASSERT_TRUE(engine.OpenInput(source));
    EXPECT_EQ(engine.OpenOutput(source, false), -1);
    EXPECT_NE(engine.LastError().find("same as input"), std::string::npos) << engine.LastError();
    EXPECT_EQ(std::filesystem::file_size(source), sizeBefore);
}

TEST_F(TranscodeTest, TruncatedInputConvertsWhatIsThere) {
    const std::string whole = mkvClip(2.0);
    const std::string cut = m_dir.file("cut.mkv");
    ASSERT_TRUE(truncateCopy(whole, cut, 0.6));
    TCustomTranscoder engine;
    const std::string target = m_dir.file("fromcut.avi");
    convert(engine, cut, {}, target, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}});
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
    EXPECT_GT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 10);
    EXPECT_LT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 50);
}

TEST_F(TranscodeTest, EmptyRunIsAnErrorAndLeavesNoFile) {
    // A start beyond the end of the input: nothing reaches the output.
    const std::string source = audioClip(2, 1.0);
    TCustomTranscoder engine;
    ASSERT_TRUE(engine.OpenInput(source));
    engine.SetOption("ss", "5");
    const std::string target = m_dir.file("nothing.mp3");
    engine.SetOption("acodec", "libmp3lame");
    ASSERT_GT(engine.OpenOutput(target, false), 0);
    engine.Start(false);
    EXPECT_TRUE(engine.Exception());
    EXPECT_FALSE(engine.Finished());
    EXPECT_FALSE(engine.ExceptionMessage().empty());
}

TEST_F(TranscodeTest, WriteFailureEndsWithException) {
    // /dev/full accepts the open and refuses every write, as a full disk does.
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    const std::string source = audioClip(2, 2.0);
    TCustomTranscoder engine;
    ASSERT_TRUE(engine.OpenInput(source));
    engine.SetOption("f", "wav");
    ASSERT_GT(engine.OpenOutput("/dev/full", false), 0) << engine.LastError();
    engine.Start(false);
    EXPECT_TRUE(engine.Exception());
    EXPECT_FALSE(engine.Finished());
    EXPECT_FALSE(engine.ExceptionMessage().empty());
    EXPECT_TRUE(std::filesystem::exists("/dev/full"));
}

TEST_F(TranscodeTest, JoinedInputsFollowOneAnother) {
    SampleSpec first;
    first.container = "matroska";
    first.durationSeconds = 1.0;
    SampleSpec second = first;
    second.width = 176;  // a different picture size: the second file is scaled to the first
    second.height = 144;
    second.durationSeconds = 1.5;
    const std::string a = makeClip("a.mkv", first);
    const std::string b = makeClip("b.mkv", second);
    const std::string c = makeClip("c.mkv", first);
    for (const bool filters : {false, true}) {
        SCOPED_TRACE(filters ? "with filters" : "without filters");
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(a));
        ASSERT_TRUE(engine.OpenInput(b));
        ASSERT_TRUE(engine.OpenInput(c));
        engine.SetOption("vcodec", "mpeg4");
        engine.SetOption("acodec", "libmp3lame");
        engine.SetOption("s", "320x240");
        if (filters) {
            engine.SetOption("vf", "hflip");
        }
        const std::string target = m_dir.file(filters ? "joined-f.avi" : "joined.avi");
        ASSERT_EQ(engine.OpenOutput(target, true), 3) << engine.LastError();
        EXPECT_TRUE(engine.JoinMode());
        EXPECT_NEAR(engine.TotalDuration() / 1e6, 3.5, 0.1);
        EXPECT_EQ(engine.OpenOutput(m_dir.file("second.avi"), false), -1);
        EXPECT_EQ(engine.LastError(), "Cannot join more than one output file.");
        engine.Start(false);
        EXPECT_FALSE(engine.Exception()) << engine.ExceptionMessage();
        EXPECT_TRUE(engine.Finished());
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        ASSERT_EQ(facts.streams.size(), 2u);
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(video->width, 320);
        EXPECT_NEAR(video->packets, 3.5 * 25, 3);
        EXPECT_NEAR(facts.find(AVMEDIA_TYPE_AUDIO)->durationSeconds(), 3.5, 0.2);
    }
}

TEST_F(TranscodeTest, CustomHookAndPreviewBitmap) {
    const std::string source = mkvClip(1.0);
    struct Case {
        const char* name;
        bool throws;
        int stopAfter;  // 0: never
        int expectedCalls;
    };
    const std::vector<Case> cases = {
        {"every.avi", false, 0, 25},
        {"stop3.avi", false, 3, 3},
        {"throws.avi", true, 0, 25},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCustomTranscoder engine;
        int calls = 0;
        int lastFrameNumber = 0;
        engine.onCustomHook = [&](TCustomTranscoder&, HookFrame& hook) {
            ++calls;
            lastFrameNumber = hook.frameNumber;
            EXPECT_EQ(hook.bitmap->width(), 320);
            EXPECT_TRUE(hook.update);
            if (c.throws) {
                throw std::runtime_error("hook failed");
            }
            hook.stopHook = c.stopAfter != 0 && calls >= c.stopAfter;
        };
        int previews = 0;
        engine.SetPreviewBitmap(true);
        engine.onPreviewBitmap = [&](TCustomTranscoder&, const PreviewFrame& frame) {
            ++previews;
            EXPECT_EQ(frame.bitmap->width(), 160);
            EXPECT_EQ(frame.bitmap->height(), 120);
        };
        convert(engine, source, {}, m_dir.file(c.name),
                {{"vcodec", "mpeg4"}, {"an", "1"}, {"s", "160x120"}});
        EXPECT_EQ(calls, c.expectedCalls);
        EXPECT_EQ(lastFrameNumber, c.expectedCalls);
        EXPECT_GE(previews, 1);
    }
}

TEST_F(TranscodeTest, StreamCopyRefusals) {
    const std::string source = mkvClip(1.0);
    const struct {
        const char* option;
        const char* value;
        bool preview;
        const char* message;
    } rows[] = {
        {"vcodec", "copy", true,
         "-vcodec copy and PostHooks are incompatible (frames are not decoded)"},
        {"acodec", "copy", false,
         "-acodec copy and -vol are incompatible (frames are not decoded)"},
    };
    for (const auto& row : rows) {
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(source));
        engine.SetPreview(row.preview);
        engine.SetOption(row.option, row.value);
        if (!row.preview) {
            engine.SetOption("vol", "512");
            engine.SetOption("vn", "1");
        }
        const std::string target = m_dir.file(std::string("refused-") + row.option + ".mkv");
        ASSERT_GT(engine.OpenOutput(target, false), 0) << engine.LastError();
        engine.Start(false);
        EXPECT_TRUE(engine.Exception());
        EXPECT_EQ(engine.ExceptionMessage(), row.message);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

TEST_F(TranscodeTest, VolumeScalesSamples) {
    SampleSpec spec;
    spec.container = "wav";
    spec.video = false;
    spec.audioCodec = "pcm_s16le";
    spec.durationSeconds = 0.5;
    const std::string source = makeClip("tone.wav", spec);
    auto peak = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
        // The samples follow the "data" chunk header.
        const std::string text(bytes.begin(), bytes.end());
        const size_t data = text.find("data");
        int best = 0;
        for (size_t i = data + 8; data != std::string::npos && i + 1 < bytes.size(); i += 2) {
            const int16_t v = static_cast<int16_t>((static_cast<uint8_t>(bytes[i + 1]) << 8) |
                                                   static_cast<uint8_t>(bytes[i]));
            best = std::max(best, std::abs(static_cast<int>(v)));
        }
        return best;
    };
    TCustomTranscoder engine;
    const std::string target = m_dir.file("half.wav");
    convert(engine, source, {}, target, {{"vol", "128"}});
    const int before = peak(source);
    ASSERT_GT(before, 1000);
    EXPECT_NEAR(peak(target), before / 2, 2);
}

TEST_F(TranscodeTest, RunLogsMappingStatusAndSizeLines) {
    std::mutex mutex;
    std::vector<std::pair<TLogLevel, std::string>> lines;
    // Delivered on the logging thread: a codec's own thread logging through the main thread
    // while the main thread waits for that codec would never finish.
    Logger().SetTriggerEventInMainThread(false);
    Logger().SetLogLevel(TLogLevel::llVerbose);
    Logger().SetOnLog([&](const void*, std::uint32_t, TLogLevel level, const std::string& text) {
        std::lock_guard lock(mutex);
        lines.emplace_back(level, text);
    });
    const std::string source = mkvClip(1.0);
    TCustomTranscoder engine;
    convert(engine, source, {}, m_dir.file("logged.avi"),
            {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}});
    Logger().SetOnLog(nullptr);
    Logger().SetLogLevel(TLogLevel::llInfo);
    Logger().SetTriggerEventInMainThread(true);

    auto has = [&](TLogLevel level, const std::string& start) {
        return std::any_of(lines.begin(), lines.end(), [&](const auto& line) {
            return line.first == level && line.second.rfind(start, 0) == 0;
        });
    };
    EXPECT_TRUE(has(TLogLevel::llInfo, "Stream mapping:"));
    EXPECT_TRUE(has(TLogLevel::llInfo, "  Stream #0.0 -> #0.0 (video)"));
    EXPECT_TRUE(has(TLogLevel::llInfo, "  Stream #0.1 -> #0.1 (audio)"));
    EXPECT_TRUE(has(TLogLevel::llVerbose, "frame=   25 fps="));
    EXPECT_TRUE(has(TLogLevel::llVerbose, "video:"));
}

TEST_F(TranscodeTest, StartOfRunFailures) {
    const std::string source = mkvClip(0.5);
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> options;
        const char* message;
    } rows[] = {
        {"count.avi",
         {{"map", "0:0"}},
         "Number of stream maps must match number of output streams"},
        {"missing.avi", {{"an", "1"}, {"map", "0:5"}}, "Could not find input stream #0.5"},
        {"mismatch.avi",
         {{"an", "1"}, {"map", "0:1"}},
         "Codec type mismatch for mapping #0.1 (audio) -> #0.0 (video)"},
        {"badencoder.avi",
         {{"vcodec", "mpeg1video"}, {"an", "1"}, {"s", "4800x4800"}},
         "Error while opening encoder for output stream #0.0 (video) - maybe incorrect parameters "
         "such as bit_rate, rate, width or height. Please check error log message to find out "
         "more detail information."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(source));
        for (const auto& [name, value] : row.options) {
            engine.SetOption(name, value);
        }
        const std::string target = m_dir.file(row.name);
        ASSERT_GT(engine.OpenOutput(target, false), 0) << engine.LastError();
        engine.Start(false);
        EXPECT_TRUE(engine.Exception());
        EXPECT_FALSE(engine.Finished());
        EXPECT_EQ(engine.ExceptionMessage(), row.message);
        EXPECT_FALSE(std::filesystem::exists(target));
    }
}

TEST_F(TranscodeTest, OutputCreationFailuresReturnMinusOne) {
    const std::string source = mkvClip(0.5);
    const struct {
        std::vector<std::pair<std::string, std::string>> options;
        const char* file;
        const char* message;
    } rows[] = {
        {{{"vcodec", "nope"}}, "a.avi", "new_video_stream fail: Unknown encoder 'nope'"},
        {{{"f", "nope"}},
         "b.avi",
         "Requested output format 'nope' is not a suitable output format"},
        {{}, "c.unknownextension", "Unable to find a suitable output format for '"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        TCustomTranscoder engine;
        ASSERT_TRUE(engine.OpenInput(source));
        for (const auto& [name, value] : row.options) {
            engine.SetOption(name, value);
        }
        EXPECT_EQ(engine.OpenOutput(m_dir.file(row.file), false), -1);
        EXPECT_EQ(engine.LastError().rfind(row.message, 0), 0u) << engine.LastError();
        EXPECT_EQ(engine.OutputFileCount(), 0);
    }
}

TEST_F(TranscodeTest, TwoOutputsWithMetadata) {
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 1.0;
    spec.metadata = {{"title", "Source title"}, {"artist", "Someone"}};
    const std::string source = makeClip("tagged.mkv", spec);
    TCustomTranscoder engine;
    std::vector<ProgressReport> reports;
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport& r) { reports.push_back(r); };
    ASSERT_TRUE(engine.OpenInput(source));
    engine.SetOption("vcodec", "mpeg4");
    engine.SetOption("acodec", "libmp3lame");
    engine.SetOption("metadata", "title=Converted");
    const std::string first = m_dir.file("first.mkv");
    ASSERT_EQ(engine.OpenOutput(first, false), 1) << engine.LastError();
    engine.SetOption("vn", "1");
    engine.SetOption("acodec", "flac");
    engine.SetOption("map_meta_data", "1:0");
    const std::string second = m_dir.file("second.flac");
    ASSERT_EQ(engine.OpenOutput(second, false), 2) << engine.LastError();
    engine.Start(false);
    ASSERT_FALSE(engine.Exception()) << engine.ExceptionMessage();

    const MediaFacts one = ReadMediaFacts(first);
    const MediaFacts two = ReadMediaFacts(second);
    ASSERT_TRUE(one.opened && two.opened);
    EXPECT_EQ(one.streams.size(), 2u);
    ASSERT_EQ(two.streams.size(), 1u);
    EXPECT_EQ(two.streams[0].codec, "flac");
    EXPECT_NEAR(two.streams[0].durationSeconds(), 1.0, 0.1);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().CurrentSize, static_cast<int64_t>(std::filesystem::file_size(first)));

    auto title = [](const std::string& path) {
        AVFormatContext* raw = nullptr;
        std::string value;
        if (lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) == 0) {
            const AVDictionaryEntry* entry =
                lib::avutil.av_dict_get(raw->metadata, "title", nullptr, 0);
            value = entry != nullptr ? entry->value : "";
            lib::avformat.avformat_close_input(&raw);
        }
        return value;
    };
    EXPECT_EQ(title(first), "Converted");
    EXPECT_EQ(title(second), "Source title");
}

TEST_F(TranscodeTest, SizeLimitEndsTheRun) {
    const std::string source = mkvClip(3.0);
    TCustomTranscoder engine;
    const std::string target = m_dir.file("limited.avi");
    convert(engine, source, {}, target, {{"vcodec", "mpeg4"}, {"an", "1"}, {"fs", "30000"}});
    const auto size = std::filesystem::file_size(target);
    // Within the limit, short of it by less than a picture or two.
    EXPECT_LE(size, 30000u);
    EXPECT_GT(size, 15000u);
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened);
    EXPECT_LT(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 75);
}

TEST_F(TranscodeTest, TwoPassWritesThenReadsTheLog) {
    const std::string source = mkvClip(1.0);
    const std::string prefix = m_dir.file("stats");
    for (const char* pass : {"1", "2"}) {
        SCOPED_TRACE(pass);
        TCustomTranscoder engine;
        const std::string target = m_dir.file(std::string("pass") + pass + ".avi");
        convert(engine, source, {}, target,
                {{"vcodec", "mpeg4"},
                 {"an", "1"},
                 {"pass", pass},
                 {"passlogfile", prefix},
                 {"b", "300000"}});
        ASSERT_TRUE(std::filesystem::exists(prefix + "-0.log"));
        EXPECT_GT(std::filesystem::file_size(prefix + "-0.log"), 0u);
        EXPECT_EQ(ReadMediaFacts(target).find(AVMEDIA_TYPE_VIDEO)->packets, 25);
    }
}

TEST_F(TranscodeTest, ProgressIsThrottledToTheInterval) {
    // "re" reads at the native rate, so a 1.5-second clip takes 1.5 seconds.
    const std::string source = mkvClip(1.5);
    TCustomTranscoder engine;
    std::vector<ProgressReport> reports;
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport& r) { reports.push_back(r); };
    engine.SetReportIntervalUs(300000);
    convert(engine, source, {{"re", "1"}}, m_dir.file("paced.avi"),
            {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}});
    ASSERT_GE(reports.size(), 2u);
    EXPECT_EQ(reports.back().FileIndex, -1);
    const size_t periodic = reports.size() - 1;
    EXPECT_GE(periodic, 3u);
    EXPECT_LE(periodic, 5u);
    for (size_t i = 1; i < periodic; ++i) {
        EXPECT_GE(reports[i].CurrentDuration, reports[i - 1].CurrentDuration);
    }
    EXPECT_GE(reports[periodic - 1].FPS, 10);
}

}  // namespace
}  // namespace velmora
