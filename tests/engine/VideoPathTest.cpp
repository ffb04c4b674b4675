// The video road: frame-rate synchronisation, the statistics lines, the custom hook, preview
// pacing, quality options and frame limits, on generated clips converted end to end.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/MediaFacts.h"
#include "engine/TranscodeSession.h"
#include "engine/Transcoder.h"
#include "engine/VideoSync.h"
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
using Options = std::vector<std::pair<std::string, std::string>>;

TEST(VideoSyncTest, DecidesDropDuplicateAndPositionForEveryMethod) {
    const struct {
        const char* name;
        int method;
        bool variableFrameRate;
        double inputPts;
        int64_t position;
        int64_t frames;
        int64_t positionAfter;
    } rows[] = {
        {"passthrough follows the picture", 0, false, 7.4, 3, 1, 7},
        {"passthrough never drops", 0, false, 1.0, 9, 1, 1},
        {"constant, on time", 1, false, 5.0, 5, 1, 5},
        {"constant, one period late doubles", 1, false, 7.0, 5, 2, 5},
        {"constant, slightly late is not doubled", 1, false, 6.05, 5, 1, 5},
        {"constant, far early drops", 1, false, 3.0, 5, 0, 5},
        {"constant, a little early still goes out", 1, false, 4.0, 5, 1, 5},
        {"variable, 0.7 early drops", 2, false, 4.3, 5, 0, 5},
        {"variable, late moves the position", 2, false, 9.0, 5, 1, 9},
        {"variable, 0.5 late stays", 2, false, 5.5, 5, 1, 5},
        {"auto on a variable-rate format moves", -1, true, 8.0, 5, 1, 8},
        {"auto on a variable-rate format: 0.7 early", -1, true, 4.3, 5, 0, 5},
        {"auto on a constant-rate format duplicates", -1, false, 8.0, 5, 3, 5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        int64_t position = row.position;
        const VideoSyncResult result =
            VideoSyncStep(row.method, row.variableFrameRate, row.inputPts, 1.0, position);
        EXPECT_EQ(result.frames, row.frames);
        EXPECT_EQ(position, row.positionAfter);
        EXPECT_EQ(result.positionMoved, row.position != row.positionAfter);
    }
    int64_t position = 4;
    EXPECT_EQ(VideoSyncStep(1, false, std::nan(""), 1.0, position).frames, 1);
    EXPECT_EQ(position, 4);
}

TEST(VideoSyncTest, DuplicatesAreBoundedAndTheRestOfTheGapIsRemoved) {
    // 250 copies at most (ten seconds at 25 fps); an hour's gap is not filled.
    int64_t position = 10;
    VideoSyncResult result = VideoSyncStep(1, false, 10.0 + 90000.0, 1.0, position, 250);
    EXPECT_EQ(result.frames, 251);
    EXPECT_EQ(result.framesRemoved, 90000 - 1 - 250);
    EXPECT_EQ(position, 10);
    // Within the bound the gap is filled as before.
    result = VideoSyncStep(1, false, 110.0, 1.0, position, 250);
    EXPECT_EQ(result.frames, 100);
    EXPECT_EQ(result.framesRemoved, 0);
    // Variable-rate outputs never fill: the position moves, nothing is removed.
    result = VideoSyncStep(2, false, 90000.0, 1.0, position, 250);
    EXPECT_EQ(result.frames, 1);
    EXPECT_EQ(result.framesRemoved, 0);
    EXPECT_EQ(position, 90000);
}

TEST(VideoStatisticsTest, ParsesQualityDataAndFormatsTheLine) {
    // quality 236 (q 2), picture type P, two error sums.
    std::vector<uint8_t> side = {236, 0, 0, 0, AV_PICTURE_TYPE_P, 2, 0, 0};
    for (uint64_t error : {uint64_t{1000}, uint64_t{1} << 40}) {
        for (int i = 0; i < 8; ++i) {
            side.push_back(static_cast<uint8_t>(error >> (8 * i)));
        }
    }
    VideoPacketStats stats = ParseQualityStats(side.data(), side.size());
    EXPECT_TRUE(stats.known);
    EXPECT_EQ(stats.quality, 236);
    EXPECT_EQ(stats.pictureType, AV_PICTURE_TYPE_P);
    EXPECT_EQ(stats.errorCount, 2);
    EXPECT_EQ(stats.errors[1], uint64_t{1} << 40);
    // The count claims more errors than the data holds: only the whole ones are read.
    side[5] = 200;
    stats = ParseQualityStats(side.data(), side.size());
    EXPECT_EQ(stats.errorCount, 2);
    EXPECT_FALSE(ParseQualityStats(side.data(), 7).known);
    EXPECT_FALSE(ParseQualityStats(nullptr, 0).known);

    VideoStatisticsInput in;
    in.frameNumber = 3;
    in.quality = 236;
    in.withPsnr = true;
    in.lumaError = 0;
    in.width = 16;
    in.height = 16;
    in.frameSize = 1000;
    in.syncPosition = 25;
    in.timeBaseSeconds = 0.04;
    in.videoBytes = 4096;
    in.pictureType = AV_PICTURE_TYPE_I;
    EXPECT_EQ(VideoStatisticsLine(in),
              "frame=     3 q= 2.0 PSNR=  99.99 f_size=   1000 s_size=        4kB time= 1.000 "
              "br=   200.0kbits/s avg_br=    32.8kbits/s type= I\n");
}

class VideoPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::requireMediaLibraries();
        SetMainThread();
    }

    std::string clip(double seconds = 1.0) {
        const std::string path = m_dir.file("source.mkv");
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = seconds;
        spec.audio = false;
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    // Runs a whole task on this thread.
    void convert(TCustomTranscoder& engine, const std::string& input, const std::string& output,
                 const Options& options) {
        ASSERT_TRUE(engine.OpenInput(input)) << engine.LastError();
        for (const auto& [name, value] : options) {
            engine.SetOption(name, value);
        }
        ASSERT_GT(engine.OpenOutput(output, false), 0) << engine.LastError();
        engine.Start(false);
        EXPECT_FALSE(engine.Exception()) << engine.ExceptionMessage();
        EXPECT_TRUE(engine.Finished());
    }

    // The log lines of a run, captured on the logging thread.
    struct LogCapture {
        LogCapture() {
            Logger().SetTriggerEventInMainThread(false);
            Logger().SetLogLevel(TLogLevel::llVerbose);
            Logger().SetOnLog([this](const void*, std::uint32_t, TLogLevel, const std::string& t) {
                std::lock_guard lock(mutex);
                lines.push_back(t);
            });
        }
        ~LogCapture() {
            Logger().SetOnLog(nullptr);
            Logger().SetLogLevel(TLogLevel::llInfo);
            Logger().SetTriggerEventInMainThread(true);
        }
        std::vector<std::string> matching(const std::string& part) {
            std::lock_guard lock(mutex);
            std::vector<std::string> found;
            for (const std::string& line : lines) {
                if (line.find(part) != std::string::npos) {
                    found.push_back(line);
                }
            }
            return found;
        }
        std::mutex mutex;
        std::vector<std::string> lines;
    };

    test::TempDir m_dir;
};

TEST_F(VideoPathTest, DoubledRateCountsOneDuplicatePerFrame) {
    const std::string source = clip(1.0);
    LogCapture log;
    TCustomTranscoder engine;
    const std::string target = m_dir.file("fifty.avi");
    convert(engine, source, target, {{"vcodec", "mpeg4"}, {"r", "50"}, {"vsync", "1"}});
    const auto status = log.matching(" dup=");
    ASSERT_FALSE(status.empty());
    std::smatch match;
    const std::string last = status.back();
    ASSERT_TRUE(std::regex_search(last, match, std::regex(" dup=(\\d+) drop=(\\d+)")));
    const int duplicated = std::stoi(match[1]);
    EXPECT_EQ(std::stoi(match[2]), 0);
    // Every frame after the first two doubles (the first picture sets the pace).
    EXPECT_NEAR(duplicated, 24, 2);
    const MediaFacts facts = ReadMediaFacts(target);
    ASSERT_NE(facts.find(AVMEDIA_TYPE_VIDEO), nullptr);
    EXPECT_EQ(facts.find(AVMEDIA_TYPE_VIDEO)->packets, 25 + duplicated);
}

TEST_F(VideoPathTest, SyncModesAndFrameLimitsDecideThePictureCount) {
    const std::string source = clip(1.0);
    const struct {
        const char* name;
        Options options;
        long packets;
        double seconds;
    } rows[] = {
        // Automatic sync on a variable-rate format moves the position instead of doubling.
        {"auto.mkv", {{"r", "50"}}, 25, 1.0},
        {"auto.avi", {{"r", "50"}}, 49, 1.0},
        {"vfr.avi", {{"r", "50"}, {"vsync", "2"}}, 25, 1.0},
        {"cfr.mkv", {{"r", "50"}, {"vsync", "1"}}, 49, 1.0},
        {"passthrough.mkv", {{"r", "50"}, {"vsync", "0"}}, 25, 1.0},
        {"halved.avi", {{"r", "12.5"}, {"vsync", "1"}}, 13, 1.0},
        {"ten.avi", {{"vframes", "10"}}, 10, 0.4},
        {"tendoubled.avi", {{"vframes", "10"}, {"r", "50"}, {"vsync", "1"}}, 10, 0.2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TCustomTranscoder engine;
        Options options = row.options;
        options.emplace_back("vcodec", "mpeg4");
        const std::string target = m_dir.file(row.name);
        convert(engine, source, target, options);
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_NEAR(video->packets, row.packets, 1);
        EXPECT_NEAR(video->durationSeconds(), row.seconds, 0.15);
    }
}

TEST_F(VideoPathTest, PictureOptionsKeepTheRoadWhole) {
    const std::string source = clip(1.0);
    const struct {
        const char* name;
        Options inputOptions;
        Options options;
        long packets;
        double seconds;
    } rows[] = {
        // Doubled time stamps make a two-second input; the constant rate fills it.
        {"scaled.avi", {{"itsscale", "0:2"}}, {}, 49, 2.0},
        {"deinterlaced.avi", {}, {{"deinterlace", "1"}}, 25, 1.0},
        {"topfirst.avi", {}, {{"deinterlace", "1"}, {"top", "1"}}, 25, 1.0},
        {"sameq.avi", {}, {{"sameq", "1"}}, 25, 1.0},
        {"override.avi", {}, {{"rc_override", "0,10,2/11,20,31"}}, 25, 1.0},
        {"dumped.avi", {{"dump", "1"}, {"hex", "1"}}, {}, 25, 1.0},
        {"copyts.avi", {{"copyts", "1"}}, {}, 25, 1.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TCustomTranscoder engine;
        for (const auto& [name, value] : row.inputOptions) {
            engine.SetOption(name, value);
        }
        Options options = row.options;
        options.emplace_back("vcodec", "mpeg4");
        const std::string target = m_dir.file(row.name);
        convert(engine, source, target, options);
        const MediaFacts facts = ReadMediaFacts(target);
        ASSERT_TRUE(facts.opened) << facts.error;
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_NEAR(video->packets, row.packets, 1);
        EXPECT_NEAR(video->durationSeconds(), row.seconds, 0.15);
    }
}

TEST_F(VideoPathTest, RawPictureOutputHoldsWholePictures) {
    const std::string source = clip(1.0);
    TCustomTranscoder engine;
    const std::string target = m_dir.file("pictures.yuv");
    convert(engine, source, target,
            {{"vcodec", "rawvideo"}, {"s", "160x120"}, {"pix_fmt", "yuv420p"}});
    EXPECT_EQ(std::filesystem::file_size(target), 25u * 160 * 120 * 3 / 2);
}

TEST_F(VideoPathTest, PreviewWindowNeverEndsTheTask) {
    const std::string source = clip(0.5);
    TCustomTranscoder engine;
    engine.SetPreview(true);
    const std::string target = m_dir.file("window.avi");
    convert(engine, source, target, {{"vcodec", "mpeg4"}});
    EXPECT_NEAR(ReadMediaFacts(target).find(AVMEDIA_TYPE_VIDEO)->packets, 13, 1);
}

TEST_F(VideoPathTest, QualityOptionsShowInTheStatisticsFile) {
    const std::string source = clip(1.0);
    const std::regex lineForm(
        "frame= +\\d+ q= +([0-9.]+) PSNR= +[0-9.]+ f_size= +\\d+ s_size= +\\d+kB "
        "time= [0-9.]+ br= +[0-9.]+kbits/s avg_br= +[0-9.]+kbits/s type= ([IPB])");
    const struct {
        const char* name;
        Options options;
        double quantizer;  // 0: any
        bool allIntra;
    } rows[] = {
        {"q2.avi", {{"qscale", "2"}}, 2.0, false},
        {"q31.avi", {{"qscale", "31"}}, 31.0, false},
        {"intra.avi", {{"intra", "1"}, {"qscale", "4"}}, 4.0, true},
        {"plain.avi", {}, 0.0, false},
    };
    int64_t q2Size = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string statistics = m_dir.file(std::string(row.name) + ".log");
        TCustomTranscoder engine;
        Options options = row.options;
        options.emplace_back("vcodec", "mpeg4");
        options.emplace_back("psnr", "1");
        options.emplace_back("vstats_file", statistics);
        const std::string target = m_dir.file(row.name);
        convert(engine, source, target, options);
        engine.Reset();  // closes the statistics file

        std::ifstream in(statistics);
        ASSERT_TRUE(in.good());
        int lines = 0;
        int intraLines = 0;
        for (std::string line; std::getline(in, line); ++lines) {
            std::smatch match;
            ASSERT_TRUE(std::regex_match(line, match, lineForm)) << line;
            if (row.quantizer > 0) {
                EXPECT_DOUBLE_EQ(std::stod(match[1]), row.quantizer) << line;
            }
            intraLines += match[2] == "I" ? 1 : 0;
        }
        const MediaFacts facts = ReadMediaFacts(target);
        const StreamFacts* video = facts.find(AVMEDIA_TYPE_VIDEO);
        ASSERT_NE(video, nullptr);
        EXPECT_EQ(lines, video->packets);
        if (row.allIntra) {
            EXPECT_EQ(intraLines, lines);
            EXPECT_EQ(video->keyPackets, video->packets);
        } else {
            EXPECT_LT(video->keyPackets, video->packets);
        }
        const auto size = static_cast<int64_t>(std::filesystem::file_size(target));
        if (row.quantizer == 2.0) {
            q2Size = size;
        } else if (row.quantizer == 31.0) {
            EXPECT_LT(size * 2, q2Size);  // the coarse quantizer makes a far smaller file
        }
    }
}

TEST_F(VideoPathTest, StatusLineCarriesPsnrAndQuantizerHistogram) {
    const std::string source = clip(1.0);
    LogCapture log;
    TCustomTranscoder engine;
    convert(engine, source, m_dir.file("psnr.avi"),
            {{"vcodec", "mpeg4"}, {"psnr", "1"}, {"qphist", "1"}, {"qscale", "3"}});
    const auto status = log.matching("frame=");
    ASSERT_FALSE(status.empty());
    const std::regex form("L[0-9A-F]{32}PSNR=Y:[0-9.]+ U:[0-9.]+ V:[0-9.]+ \\*:([0-9.]+) size=");
    std::smatch match;
    ASSERT_TRUE(std::regex_search(status.back(), match, form)) << status.back();
    const double psnr = std::stod(match[1]);
    EXPECT_GT(psnr, 25.0);
    EXPECT_LT(psnr, 99.0);
    // Every picture coded with quantizer 3: the histogram has only that bin filled.
    const std::string histogram = status.back().substr(status.back().find('L') + 1, 32);
    EXPECT_EQ(histogram.substr(0, 3), "000");
    EXPECT_NE(histogram[3], '0');
    EXPECT_EQ(histogram.substr(4), std::string(28, '0'));
}

TEST_F(VideoPathTest, StatisticsFileThatCannotBeOpenedIsLoggedOnce) {
    const std::string source = clip(0.5);
    LogCapture log;
    TCustomTranscoder engine;
    const std::string target = m_dir.file("nostats.avi");
    convert(engine, source, target,
            {{"vcodec", "mpeg4"}, {"vstats_file", m_dir.file("missing/folder/stats.log")}});
    EXPECT_EQ(log.matching("fopen fail: ").size(), 1u);
    EXPECT_NEAR(ReadMediaFacts(target).find(AVMEDIA_TYPE_VIDEO)->packets, 13, 1);
}

// Mean of the bitmap's bytes: 255 for a white picture.
double meanLevel(const Bitmap& bitmap) {
    double sum = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        for (int x = 0; x < bitmap.width() * 3; ++x) {
            sum += bitmap.row(y)[x];
        }
    }
    return sum / (static_cast<double>(bitmap.width()) * bitmap.height() * 3);
}

TEST_F(VideoPathTest, HookOutcomesNeverEndTheTask) {
    const std::string source = clip(1.0);
    enum class Act { paint, paintAndThrow, throwOther, stopFirst, resize, paintAndStopFirst };
    const struct {
        const char* name;
        Act act;
        int calls;
        bool pictureWhite;  // the encoded (previewed) first picture
    } rows[] = {
        {"paint.avi", Act::paint, 25, true},
        {"throw.avi", Act::paintAndThrow, 25, false},
        {"other.avi", Act::throwOther, 25, false},
        {"stop.avi", Act::stopFirst, 1, false},
        {"resize.avi", Act::resize, 25, false},
        {"paintstop.avi", Act::paintAndStopFirst, 1, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TCustomTranscoder engine;
        int calls = 0;
        engine.onCustomHook = [&](TCustomTranscoder&, HookFrame& hook) {
            ++calls;
            EXPECT_EQ(hook.frameNumber, calls);
            if (row.act == Act::paint || row.act == Act::paintAndThrow ||
                row.act == Act::paintAndStopFirst) {
                for (int y = 0; y < hook.bitmap->height(); ++y) {
                    std::fill_n(hook.bitmap->row(y), hook.bitmap->width() * 3, 255);
                }
            }
            switch (row.act) {
                case Act::paintAndThrow:
                    throw std::runtime_error("drawing failed");
                case Act::throwOther:
                    throw 42;
                case Act::stopFirst:
                case Act::paintAndStopFirst:
                    hook.stopHook = true;
                    break;
                case Act::resize:
                    hook.bitmap->setSize(7, 5);
                    break;
                default:
                    break;
            }
        };
        std::vector<double> levels;
        engine.SetPreviewBitmap(true);
        engine.onPreviewBitmap = [&](TCustomTranscoder&, const PreviewFrame& frame) {
            levels.push_back(meanLevel(*frame.bitmap));
        };
        convert(engine, source, m_dir.file(row.name), {{"vcodec", "mpeg4"}});
        EXPECT_EQ(calls, row.calls);
        ASSERT_FALSE(levels.empty());
        if (row.pictureWhite) {
            EXPECT_GT(levels.front(), 245.0);
        } else {
            EXPECT_LT(levels.front(), 200.0);
        }
    }
}

TEST_F(VideoPathTest, FrameHookPluginDrawsAndTheCustomHookTakesItsPlace) {
    const std::string source = clip(0.5);
    // Preview levels of the first picture: without hooks, with the plug-in, and with the
    // plug-in plus a custom hook that stops at once (which releases the plug-in too).
    auto firstLevel = [&](const char* name, bool plugin, bool stoppingHook) {
        TCustomTranscoder engine;
        if (plugin) {
            engine.SetOption("vhook", std::string(VELMORA_ADDING_HOOK) + "|20");
        }
        int hookCalls = 0;
        if (stoppingHook) {
            engine.onCustomHook = [&](TCustomTranscoder&, HookFrame& hook) {
                ++hookCalls;
                hook.update = false;
                hook.stopHook = true;
            };
        }
        std::vector<double> levels;
        engine.SetPreviewBitmap(true);
        engine.onPreviewBitmap = [&](TCustomTranscoder&, const PreviewFrame& frame) {
            levels.push_back(meanLevel(*frame.bitmap));
        };
        convert(engine, source, m_dir.file(name), {{"vcodec", "mpeg4"}});
        EXPECT_EQ(hookCalls, stoppingHook ? 1 : 0);
        return levels.empty() ? -1.0 : levels.front();
    };
    const double plain = firstLevel("plain.avi", false, false);
    const double drawn = firstLevel("plugin.avi", true, false);
    const double stopped = firstLevel("stopped.avi", true, true);
    ASSERT_GT(plain, 0.0);
    EXPECT_GT(drawn, plain + 5.0);
    EXPECT_NEAR(stopped, plain, 1.0);
}

TEST_F(VideoPathTest, PreviewBitmapsAreAtLeastATenthOfASecondApart) {
    const std::string source = clip(2.0);
    TCustomTranscoder engine;
    std::vector<std::chrono::steady_clock::time_point> times;
    std::vector<int> frameNumbers;
    engine.SetPreviewBitmap(true);
    engine.onPreviewBitmap = [&](TCustomTranscoder&, const PreviewFrame& frame) {
        times.push_back(std::chrono::steady_clock::now());
        frameNumbers.push_back(frame.frameNumber);
    };
    // Native-rate reading makes the two seconds of input last two seconds.
    engine.SetOption("re", "1");
    convert(engine, source, m_dir.file("paced.avi"), {{"vcodec", "mpeg4"}});
    ASSERT_GE(times.size(), 5u);
    EXPECT_LE(times.size(), 21u);
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], std::chrono::milliseconds(99));
        EXPECT_GT(frameNumbers[i], frameNumbers[i - 1]);
    }
    EXPECT_GE(times.back() - times.front(), std::chrono::milliseconds(1500));
}

}  // namespace
}  // namespace velmora
