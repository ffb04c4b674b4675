// Join mode: several inputs written one after another into one output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/MediaFacts.h"
#include "engine/Transcoder.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::MediaFacts;
using test::ReadMediaFacts;
using test::StreamFacts;

class JoinTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::requireMediaLibraries();
        SetMainThread();
    }

    std::string makeClip(const std::string& name, SampleSpec spec) {
        const std::string path = m_dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    test::TempDir m_dir;
};

TEST_F(JoinTest, ThreeInputsBecomeOneOutputOfTheSummedDuration) {
    const double seconds[] = {1.0, 0.6, 1.4};
    const struct {
        const char* name;
        bool video;
        const char* container;
        const char* extension;
        bool deinterlaceAndResize;  // the middle file is smaller; its graph is rebuilt
    } rows[] = {
        {"video and audio", true, "matroska", "avi", false},
        {"audio only", false, "wav", "mp3", false},
        {"deinterlaced, sizes differ", true, "matroska", "mkv", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TCustomTranscoder engine;
        for (int i = 0; i < 3; ++i) {
            SampleSpec spec;
            spec.container = row.container;
            spec.video = row.video;
            spec.audioCodec = row.video ? "aac" : "pcm_s16le";
            spec.durationSeconds = seconds[i];
            if (row.deinterlaceAndResize && i == 1) {
                spec.width = 176;
                spec.height = 144;
            }
            const std::string name = std::string(row.extension) + std::to_string(i) +
                                     (row.deinterlaceAndResize ? "d" : "") +
                                     (row.video ? ".mkv" : ".wav");
            ASSERT_TRUE(engine.OpenInput(makeClip(name, spec))) << engine.LastError();
        }
        if (row.video) {
            engine.SetOption("vcodec", "mpeg4");
        }
        if (row.deinterlaceAndResize) {
            engine.SetOption("deinterlace", "1");
        }
        engine.SetOption("acodec", "libmp3lame");
        const std::string target = m_dir.file(std::string("joined.") + row.extension);
        ASSERT_EQ(engine.OpenOutput(target, true), 3) << engine.LastError();
        EXPECT_NEAR(engine.TotalDuration() / 1e6, 3.0, 0.1);

        std::vector<ProgressReport> reports;
        engine.SetReportIntervalUs(0);
        engine.onProgress = [&](TCustomTranscoder&, const ProgressReport& r) {
            reports.push_back(r);
        };
        engine.Start(false);
        EXPECT_FALSE(engine.Exception()) << engine.ExceptionMessage();
        EXPECT_TRUE(engine.Finished());

        // The reports walk through the files in order; the counters go on across the switches.
        ASSERT_GE(reports.size(), 3u);
        int lastFile = 0;
        int lastFrame = -1;
        int64_t lastDuration = 0;
        bool sawEachFile[3] = {};
        for (const ProgressReport& report : reports) {
            EXPECT_EQ(report.TotalDuration, engine.TotalDuration());
            if (report.FileIndex >= 0) {
                EXPECT_GE(report.FileIndex, lastFile);
                lastFile = report.FileIndex;
                sawEachFile[report.FileIndex] = true;
            }
            EXPECT_GE(report.FrameNumber, lastFrame);
            lastFrame = report.FrameNumber;
            // The next file's time stamps follow the previous one: time never falls back by
            // more than the streams' lead over each other.
            EXPECT_GE(report.CurrentDuration, lastDuration - 100000);
            EXPECT_LE(report.CurrentDuration, engine.TotalDuration() + 200000);
            lastDuration = std::max(lastDuration, report.CurrentDuration);
        }
        EXPECT_TRUE(sawEachFile[0] && sawEachFile[1] && sawEachFile[2]);
        EXPECT_EQ(reports.back().FileIndex, -1);
        EXPECT_NEAR(reports.back().CurrentDuration / 1e6, engine.TotalDuration() / 1e6, 0.15);

        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* audio = facts.find(AVMEDIA_TYPE_AUDIO);
        ASSERT_NE(audio, nullptr);
        EXPECT_NEAR(audio->durationSeconds(), engine.TotalDuration() / 1e6, 0.15);
        if (row.video) {
            const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
            ASSERT_NE(video, nullptr);
            EXPECT_NEAR(video->packets, 75, 2);
            EXPECT_EQ(lastFrame, video->packets);
            EXPECT_NEAR(video->durationSeconds(), 3.0, 0.1);
        }
    }
}

}  // namespace
}  // namespace velmora
