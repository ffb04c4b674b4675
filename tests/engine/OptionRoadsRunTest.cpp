// The engine's options on the roads users take (libx264 into Matroska and MP4, MPEG-4 into
// AVI): each does what it says, checked on the written file.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "ConvertRunFixture.h"
#include "engine/MediaFacts.h"

namespace velmora {
namespace {

using test::MediaFacts;
using test::OptionList;
using test::ReadMediaFacts;
using test::StreamFacts;

// A video encoder and the container it goes into.
struct Road {
    const char* encoder;
    const char* extension;
};
constexpr Road kRoads[] = {{"libx264", "mkv"}, {"libx264", "mp4"}, {"mpeg4", "avi"}};

template <typename T>
T* pluginValue(const char* path, const char* name) {
    void* module = dlopen(path, RTLD_NOW | RTLD_NOLOAD);
    if (module == nullptr) {
        return nullptr;
    }
    T* value = static_cast<T*>(dlsym(module, name));
    dlclose(module);  // only drops the reference taken just now
    return value;
}

class OptionRoadsRunTest : public test::ConvertRunFixture {
protected:
    // The generator's clip in Matroska: H.264 and AAC, whose time stamps are whole milliseconds.
    std::string matroskaClip(const std::string& name, double seconds, int width = 320,
                             int height = 240, bool audio = true) {
        SampleSpec spec;
        spec.container = "matroska";
        spec.videoCodec = "libx264";
        spec.width = width;
        spec.height = height;
        spec.audio = audio;
        spec.durationSeconds = seconds;
        return makeClip(name, spec);
    }

    // Opens the input and the output with the options and runs the task on this thread.
    // Returns the exception text, empty when the run succeeded.
    std::string runEngine(TCustomTranscoder& engine, const std::vector<std::string>& inputs,
                          const std::string& output, const OptionList& options) {
        for (const std::string& input : inputs) {
            if (!engine.OpenInput(input)) {
                return "open input: " + engine.LastError();
            }
        }
        for (const auto& [name, value] : options) {
            engine.SetOption(name, value);
        }
        if (engine.OpenOutput(output, false) <= 0) {
            return "open output: " + engine.LastError();
        }
        engine.Start(false);
        return engine.Exception() ? engine.ExceptionMessage() : std::string();
    }
};

TEST_F(OptionRoadsRunTest, DvTargetsWorkAtTheirDefaults) {
    // Five seconds: the time stamps of the source's audio (whole milliseconds at 44.1 kHz)
    // once let the audio run ahead of its samples and starve the DV muxer before that.
    const std::string source = matroskaClip("source.mkv", 5.0);
    const std::string video = matroskaClip("video.mkv", 2.0, 320, 240, false);
    const std::string tone = wavClip("tone.wav", 2.0);
    const struct {
        const char* target;
        bool lateAudio;  // the audio starts 0.3 s after the pictures
        double seconds;
        double rate;
        int audioStreams;
    } rows[] = {
        {"pal-dv", false, 5.0, 25.0, 1},
        {"ntsc-dv", false, 5.0, 30000.0 / 1001, 1},
        {"pal-dv50", false, 5.0, 25.0, 2},
        {"pal-dv", true, 2.0, 25.0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.target) + (row.lateAudio ? ", late audio" : ""));
        const std::string target = m_dir.file(std::string(row.target) + ".dv");
        const std::vector<std::pair<std::string, OptionList>> inputs =
            row.lateAudio
                ? std::vector<std::pair<std::string, OptionList>>{{video, {}},
                                                                  {tone, {{"itsoffset", "0.3"}}}}
                : std::vector<std::pair<std::string, OptionList>>{{source, {}}};
        ASSERT_EQ(run(inputs, target, {{"target", row.target}}), "");
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* pictures = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(pictures, nullptr);
        EXPECT_NEAR(pictures->packets, row.seconds * row.rate, 1.5);
        EXPECT_EQ(facts.count(AVMEDIA_TYPE_AUDIO), row.audioStreams);
        EXPECT_NEAR(facts.find(AVMEDIA_TYPE_AUDIO)->durationSeconds(), pictures->durationSeconds(),
                    0.05);
    }
}

TEST_F(OptionRoadsRunTest, AudioTimeLineFollowsTheSamplesWithoutSync) {
    // Time stamps stretched by 1 %: without sync the samples are written as they come, and
    // their time stamps say where they are, not where the stretched input would put them.
    const std::string source = wavClip("tone.wav", 4.0);
    const std::string target = m_dir.file("plain.mkv");
    ASSERT_EQ(run({{source, {{"itsscale", "0:1.01"}}}}, target, {{"acodec", "pcm_s16le"}}), "");
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    const StreamFacts* audio = facts.find(AVMEDIA_TYPE_AUDIO);
    ASSERT_NE(audio, nullptr);
    const test::AudioPeaks decoded = test::DecodeAudioPeaks(target);
    const double sampleSeconds = static_cast<double>(decoded.samples) / audio->sampleRate;
    EXPECT_NEAR(sampleSeconds, 4.0, 0.01);
    // Matroska keeps whole milliseconds.
    EXPECT_NEAR(audio->durationSeconds(), sampleSeconds, 0.003);
}

TEST_F(OptionRoadsRunTest, SizeLimitIsKeptAndEndsEveryStreamTogether) {
    const std::string source = matroskaClip("source.mkv", 4.0, 640, 360);
    constexpr int64_t kLimit = 150000;
    for (const Road& road : kRoads) {
        const std::string target = m_dir.file(std::string("limited.") + road.extension);
        SCOPED_TRACE(target);
        TCustomTranscoder engine;
        std::vector<WrittenOutput> written;
        engine.onTerminate = [&](TCustomTranscoder& ended) { written = ended.WrittenOutputs(); };
        ASSERT_EQ(runEngine(engine, {source}, target,
                            {{"vcodec", road.encoder}, {"fs", std::to_string(kLimit)}}),
                  "");
        const auto size = static_cast<int64_t>(std::filesystem::file_size(target));
        EXPECT_LE(size, kLimit);
        EXPECT_GE(size, kLimit * 9 / 10);
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        const StreamFacts* audio = facts.find(AVMEDIA_TYPE_AUDIO);
        ASSERT_TRUE(video != nullptr && audio != nullptr);
        EXPECT_LT(video->endSeconds, 3.5);
        EXPECT_NEAR(video->endSeconds, audio->endSeconds, 0.25);
        // Cut by its limit: the output promises no duration to the check that reads it back.
        ASSERT_EQ(written.size(), 1u);
        for (const WrittenStream& stream : written.front().streams) {
            EXPECT_EQ(stream.expectedEndUs, -1);
        }
    }
}

TEST_F(OptionRoadsRunTest, ShortestEndsWithTheShorterInputBehindALookAhead) {
    const std::string video = matroskaClip("video.mkv", 3.0, 320, 240, false);
    const std::string audio = wavClip("tone.wav", 1.2);
    for (const Road& road : kRoads) {
        const std::string target = m_dir.file(std::string("shortest.") + road.extension);
        SCOPED_TRACE(target);
        ASSERT_EQ(
            run({{video, {}}, {audio, {}}}, target, {{"vcodec", road.encoder}, {"shortest", "1"}}),
            "");
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        EXPECT_NEAR(facts.find(AVMEDIA_TYPE_VIDEO)->endSeconds, 1.2, 0.15);
        EXPECT_NEAR(facts.find(AVMEDIA_TYPE_AUDIO)->endSeconds, 1.2, 0.1);
    }
}

TEST_F(OptionRoadsRunTest, ProgressNeverGoesBack) {
    const std::string source = matroskaClip("source.mkv", 3.0);
    for (const Road& road : kRoads) {
        const std::string target = m_dir.file(std::string("progress.") + road.extension);
        SCOPED_TRACE(target);
        TCustomTranscoder engine;
        std::vector<int64_t> reported;
        engine.onProgress = [&](TCustomTranscoder&, const ProgressReport& report) {
            reported.push_back(report.CurrentDuration);
        };
        engine.SetReportIntervalUs(-1);  // a report after every packet
        ASSERT_EQ(runEngine(engine, {source}, target, {{"vcodec", road.encoder}}), "");
        ASSERT_GT(reported.size(), 20u);
        for (size_t i = 1; i < reported.size(); ++i) {
            ASSERT_GE(reported[i], reported[i - 1]) << "report " << i;
        }
        EXPECT_NEAR(static_cast<double>(reported.back()) / 1e6, 3.0, 0.1);
    }
}

TEST_F(OptionRoadsRunTest, FrameHookIsConfiguredOnceAndReleasedOnce) {
    const std::string source = matroskaClip("source.mkv", 0.5);
    const std::string plugin = VELMORA_ADDING_HOOK;
    const struct {
        const char* name;
        int hooks;
        bool started;
    } rows[] = {{"one hook, run", 1, true}, {"two hooks, run", 2, true}, {"never run", 1, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int configuredBefore = -1;
        int releasedBefore = -1;
        {
            TCustomTranscoder engine;
            for (int i = 0; i < row.hooks; ++i) {
                engine.SetOption("vhook", plugin + "|3");
            }
            int* configured = pluginValue<int>(plugin.c_str(), "hook_configure_calls");
            int* released = pluginValue<int>(plugin.c_str(), "hook_release_calls");
            ASSERT_TRUE(configured != nullptr && released != nullptr);
            // Counted from before the options: each "vhook" has configured its hook by now.
            configuredBefore = *configured - row.hooks;
            releasedBefore = *released;
            if (row.started) {
                ASSERT_EQ(runEngine(engine, {source}, m_dir.file("hooked.avi"),
                                    {{"vcodec", "mpeg4"}, {"an", "1"}}),
                          "");
            }
        }
        EXPECT_EQ(*pluginValue<int>(plugin.c_str(), "hook_configure_calls") - configuredBefore,
                  row.hooks);
        EXPECT_EQ(*pluginValue<int>(plugin.c_str(), "hook_release_calls") - releasedBefore,
                  row.hooks);
    }
}

TEST_F(OptionRoadsRunTest, MonoKeepsItsLevelOnTwoSpeakers) {
    SampleSpec spec;
    spec.container = "wav";
    spec.video = false;
    spec.audioCodec = "pcm_s16le";
    spec.channels = 1;
    spec.durationSeconds = 1.0;
    const std::string source = makeClip("mono.wav", spec);
    const test::AudioPeaks original = test::DecodeAudioPeaks(source);
    ASSERT_EQ(original.peaks.size(), 1u);
    ASSERT_GT(original.peaks[0], 0.1);
    // The PCM copy must be exact; lossy encoders keep the level within a few per cent.
    const struct {
        const char* name;
        double tolerance;
    } rows[] = {
        {"stereo.wav", 0.001}, {"stereo.mkv", 0.05}, {"stereo.mp4", 0.05}, {"stereo.mp3", 0.05}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{source, {}}}, target, {{"ac", "2"}}), "");
        const test::AudioPeaks peaks = test::DecodeAudioPeaks(target);
        ASSERT_EQ(peaks.peaks.size(), 2u);
        for (double peak : peaks.peaks) {
            EXPECT_NEAR(peak / original.peaks[0], 1.0, row.tolerance);
        }
    }
}

TEST_F(OptionRoadsRunTest, RateChangeWritesAsManyFramesAsTheDurationHolds) {
    const std::string source = matroskaClip("source.mkv", 4.0, 320, 240, false);
    const struct {
        Road road;
        int rate;
        long packets;
    } rows[] = {
        {kRoads[0], 10, 40},
        {kRoads[1], 10, 40},
        {kRoads[2], 10, 40},
        // Matroska takes a variable rate: the source's pictures keep their places on the finer
        // grid instead of being doubled.
        {kRoads[0], 50, 100},
        {kRoads[1], 50, 200},
        {kRoads[2], 50, 200},
    };
    for (const auto& row : rows) {
        const std::string target =
            m_dir.file("rate" + std::to_string(row.rate) + "." + row.road.extension);
        SCOPED_TRACE(target);
        ASSERT_EQ(run({{source, {}}}, target,
                      {{"vcodec", row.road.encoder}, {"r", std::to_string(row.rate)}}),
                  "");
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_NEAR(video->packets, row.packets, 1);
        EXPECT_NEAR(video->durationSeconds(), 4.0, 1.0 / row.rate + 0.005);
    }
}

TEST_F(OptionRoadsRunTest, ChosenAspectHoldsForTheSizeWritten) {
    // Profile 15's choices: RealVideo, the source's size, 4:3. Neither RealVideo nor its
    // container can say how to show the picture, so the picture itself takes the shape.
    const std::string source = matroskaClip("wide.mkv", 0.5, 640, 360, false);
    const struct {
        const char* encoder;
        const char* name;
        OptionList extra;
        double tolerance;  // RealVideo's width goes in whole macroblocks
    } rows[] = {
        {"rv10", "aspect.rm", {{"b", "528000"}}, 0.02},
        {"libx264", "aspect.mkv", {}, 0.01},
        {"libx264", "aspect.mp4", {}, 0.01},
        {"mpeg4", "aspect.avi", {}, 0.01},
        {"libx264", "filtered.mkv", {{"vf", "negate"}}, 0.01},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OptionList options = row.extra;
        options.insert(options.end(), {{"vcodec", row.encoder}, {"aspect", "4:3"}});
        const std::string target = m_dir.file(row.name);
        ASSERT_EQ(run({{source, {}}}, target, options), "");
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_NEAR(video->displayAspect(), 4.0 / 3.0, 4.0 / 3.0 * row.tolerance)
            << video->width << "x" << video->height << " sample aspect " << video->sampleAspect.num
            << "/" << video->sampleAspect.den;
    }
}

TEST_F(OptionRoadsRunTest, UnsupportedSampleRateIsNamedInAWarning) {
    const std::string source = wavClip("tone.wav", 0.5);
    captureLog();
    const std::string target = m_dir.file("tone.ac3");
    ASSERT_EQ(run({{source, {}}}, target, {{"ar", "22050"}}), "");
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_TRUE(facts.opened) << facts.error;
    EXPECT_EQ(facts.find(AVMEDIA_TYPE_AUDIO)->sampleRate, 32000);
    EXPECT_EQ(logCount(TLogLevel::llWarning,
                       "Requested sampling rate unsupported using closest supported (32000): ac3 "
                       "cannot take 22050 Hz"),
              1);
}

}  // namespace
}  // namespace velmora
