// Which picture the player shows. The clips carry their frame numbers as a code in the picture
// (25 frames a second, a key frame every 25 frames), so a snapshot tells exactly which frame is
// on screen. Headless with SDL's dummy drivers; CTest runs the same tests again under Xvfb with
// the X11 driver when xvfb-run is installed.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "medialib/Bitmap.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "player/CustomPlayer.h"
#include "player/PlaybackCore.h"
#include "player/PlayerRecorder.h"
#include "player/PlayerSuite.h"
#include "samples/FrameNumberCode.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::Recorder;

constexpr int kFramesPerSecond = 25;
constexpr int kKeyFrameInterval = 25;

std::int64_t frameTime(int frame) {
    return frame * std::int64_t{1000000} / kFramesPerSecond;
}

// A generated clip and where its pictures are: the video may start a little after the file
// (the muxer moves every stream by the audio encoder's priming), and positions count from the
// start of the file.
struct Clip {
    std::string path;
    std::int64_t firstPicture = 0;  // position of frame 0, microseconds

    std::int64_t at(int frame) const { return firstPicture + frameTime(frame); }
};

// Where a file's pictures begin and end, from its packets: positions in microseconds from the
// start of the file.
struct PictureSpan {
    std::int64_t first = 0;
    std::int64_t end = 0;  // the end of the last picture the file holds
};

PictureSpan pictureSpan(const std::string& path) {
    PictureSpan span;
    AVFormatContext* raw = nullptr;
    if (lib::avformat.avformat_open_input(&raw, path.c_str(), nullptr, nullptr) < 0) {
        ADD_FAILURE() << "cannot open " << path;
        return span;
    }
    InputFormatPtr input(raw);
    {
        std::lock_guard lock(CodecLock());
        lib::avformat.avformat_find_stream_info(raw, nullptr);
    }
    const int index =
        lib::avformat.av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0 || raw->streams[index]->start_time == AV_NOPTS_VALUE) {
        ADD_FAILURE() << "no video start in " << path;
        return span;
    }
    const AVStream* stream = raw->streams[index];
    const std::int64_t fileStart = raw->start_time != AV_NOPTS_VALUE ? raw->start_time : 0;
    auto position = [&](std::int64_t time) {
        return lib::avutil.av_rescale_q(time, stream->time_base, AVRational{1, AV_TIME_BASE}) -
               fileStart;
    };
    span.first = position(stream->start_time);
    PacketPtr packet = makePacket();
    while (lib::avformat.av_read_frame(raw, packet.get()) >= 0) {
        if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE) {
            span.end = std::max(span.end, position(packet->pts + packet->duration));
        }
        lib::avcodec.av_packet_unref(packet.get());
    }
    return span;
}

struct Shown {
    int number;        // the frame number the snapshot's code shows; -1 unreadable
    std::int64_t pts;  // what CurrentFrame says the picture's time is
};

Shown shown(TCustomPlayer& player) {
    std::int64_t pts = -1;
    const Bitmap& picture = player.CurrentFrame(pts);
    return {readFrameNumber(picture), pts};
}

class PlayerFrameTest : public test::PlayerSuite {
protected:
    static Clip clip(const std::string& name, double seconds, int width, int height) {
        const std::string path = s_dir->file(name);
        if (!std::filesystem::exists(path)) {
            SampleSpec spec;
            spec.container = "matroska";
            spec.durationSeconds = seconds;
            spec.width = width;
            spec.height = height;
            spec.frameNumberCode = true;
            spec.keyFrameInterval = kKeyFrameInterval;
            std::string error;
            EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        }
        return {path, pictureSpan(path).first};
    }
    // 100 frames: key frames 0, 25, 50, 75.
    static Clip numberedClip() { return clip("numbered.mkv", 4.0, 320, 240); }
};

TEST_F(PlayerFrameTest, SeekWhilePausedShowsTheKeyFrameItLandsOn) {
    const Clip clip = numberedClip();
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(clip.path, 0, true)) << player.LastError();
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
    const struct {
        int flags;
        int position;  // the frame number to seek to
        int frame;     // the key frame the seek lands on
    } rows[] = {
        {1, 50, 50},    // backward, onto a key frame
        {1, 62, 50},    // backward, between key frames
        {0, 25, 25},    //
        {0, 49, 25},    // the key frame before the target
        {0, 97, 75},    // close to the end: the demuxer reaches it at once
        {0, 1000, 75},  // beyond the duration: the duration
        {0, 0, 0},      // the start
        {1, 13, 0},     //
        {0, 76, 75},    //
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << "seek to frame " << row.position << " flags " << row.flags);
        player.Seek(row.flags, true, clip.at(row.position));
        // The wait ends once the sought picture is on screen.
        const Shown now = shown(player);
        EXPECT_EQ(now.number, row.frame);
        EXPECT_EQ(now.pts, clip.at(row.frame));
        // The position reported for it is the snapshot's.
        EXPECT_TRUE(recorder.waitFor([&] { return recorder.lastPosition() == now.pts; }, 2000))
            << "reported " << recorder.lastPosition() << ", shown " << now.pts;
    }
    player.Stop(true);
}

TEST_F(PlayerFrameTest, SeekWhilePlayingReturnsWithTheSoughtPictureOnScreen) {
    const Clip clip = numberedClip();
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    player.SetMute(true);
    const struct {
        int target;
        int frame;  // the key frame the seek lands on
    } rows[] = {{75, 75}, {25, 25}, {98, 75}, {60, 50}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "seek to frame " << row.target);
        ASSERT_TRUE(player.Open(clip.path, 0, false)) << player.LastError();
        player.Seek(0, true, clip.at(row.target));
        const Shown now = shown(player);
        // Playback goes on after the seek, but never from before it.
        EXPECT_GE(now.number, row.frame);
        EXPECT_LT(now.number, row.frame + kKeyFrameInterval);
        EXPECT_EQ(now.pts, clip.at(now.number));
        player.Stop(true);
    }
}

TEST_F(PlayerFrameTest, OpenedPausedShowsTheFirstPictureAndHoldsIt) {
    const Clip clip = numberedClip();
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(clip.path, 0, true)) << player.LastError();
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
    Shown first = shown(player);
    EXPECT_EQ(first.number, 0);
    EXPECT_EQ(first.pts, clip.at(0));
    Recorder::pumpFor(300);
    first = shown(player);
    EXPECT_EQ(first.number, 0) << "a paused player must not move on";
    EXPECT_EQ(first.pts, clip.at(0));
    EXPECT_EQ(recorder.lastPosition(), first.pts);

    player.Resume();
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.lastPosition() >= clip.at(21); }));
    player.Pause();
    Recorder::pumpFor(100);
    const Shown paused = shown(player);
    EXPECT_GT(paused.number, 20);
    EXPECT_EQ(paused.pts, clip.at(paused.number));
    // Positions are reported in steps of more than 10 ms; a frame lasts 40 ms.
    const auto reportedNear = [&](std::int64_t pts) {
        return std::llabs(recorder.lastPosition() - pts) <= 10000;
    };
    EXPECT_TRUE(recorder.waitFor([&] { return reportedNear(paused.pts); }, 2000))
        << "reported " << recorder.lastPosition() << ", shown " << paused.pts;
    Recorder::pumpFor(300);
    const Shown later = shown(player);
    EXPECT_EQ(later.number, paused.number) << "a paused player must not move on";
    EXPECT_TRUE(reportedNear(paused.pts)) << recorder.lastPosition();
    player.Stop(true);
}

TEST_F(PlayerFrameTest, ACutFileEndsAtItsLastRealPosition) {
    // 5 s declared, about 1.25 s of data.
    const Clip full = clip("long.mkv", 5.0, 320, 240);
    const std::string cut = s_dir->file("cut.mkv");
    ASSERT_TRUE(truncateCopy(full.path, cut, 0.25));
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    player.SetMute(true);
    ASSERT_TRUE(player.Open(cut, 0, false)) << player.LastError();
    const std::int64_t duration = player.Duration();
    ASSERT_GT(duration, full.at(120));
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psEnd); }, 10000));
    Recorder::pumpFor(100);
    const std::int64_t realEnd = pictureSpan(cut).end;
    ASSERT_GT(realEnd, full.at(10));
    ASSERT_LT(realEnd, full.at(60));
    // The last picture on screen is one of the file's (late ones may have been dropped).
    EXPECT_LT(shown(player).pts, realEnd);
    const std::vector<std::int64_t> positions = recorder.positionsCopy();
    ASSERT_FALSE(positions.empty());
    EXPECT_NEAR(positions.back(), realEnd, 100000) << "declared duration " << duration;
    for (std::int64_t position : positions) {
        EXPECT_LE(position, realEnd + 100000);
    }
    player.Stop(true);
}

TEST_F(PlayerFrameTest, FileNamesWithAColonAreFiles) {
    // Were such a name taken as a protocol, "pipe:" would read standard input: give it nothing.
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    const test::InFolder inFolder(s_dir->path());
    for (const char* name : {"part1:intro.mkv", "pipe:x.mkv"}) {
        SCOPED_TRACE(name);
        std::filesystem::copy_file(numberedClip().path, name,
                                   std::filesystem::copy_options::overwrite_existing);
        TMediaPlayer player;
        Recorder recorder;
        recorder.attach(player);
        ASSERT_TRUE(player.Open(name, 0, true)) << player.LastError();
        EXPECT_NEAR(player.Duration(), frameTime(100), 100000);
        EXPECT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
        EXPECT_EQ(shown(player).number, 0);
        player.Stop(true);
    }
}

TEST_F(PlayerFrameTest, PictureAndSoundStayTogetherFor10Seconds) {
    const Clip clip = PlayerFrameTest::clip("eleven.mkv", 11.0, 320, 240);
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(clip.path, 0, false)) << player.LastError();
    PlaybackCore* core = player.core();
    ASSERT_TRUE(core->hasAudio() && core->hasVideo());
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.lastPosition() > 200000; }));
    const double start = static_cast<double>(core->startTime()) / 1000000.0;
    // The picture clock against the sound clock, every 20 ms. The sound clock moves in steps of
    // one device buffer, and the synchronisation corrects a difference of a frame's duration.
    std::vector<double> drifts;
    int framesBehind = 0;
    const auto begin = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - begin < std::chrono::seconds(10)) {
        const Shown now = shown(player);
        const double videoClock = core->videoClock();
        drifts.push_back(videoClock - core->audioClock());
        // The snapshot is the picture the clock runs from, never one queued after it.
        if (static_cast<double>(now.pts) / 1000000.0 + start > videoClock + 0.001) {
            ++framesBehind;
        }
        if (now.number >= 0) {
            EXPECT_EQ(now.pts, clip.at(now.number));
        }
        Recorder::pumpFor(20);
    }
    EXPECT_EQ(framesBehind, 0) << "snapshots ahead of the picture on screen";
    // Each stretch of 50 samples (a second on an idle machine) is judged by its median: a
    // sample taken while this thread was held up between reading the two clocks is off.
    constexpr std::size_t kStretch = 50;
    ASSERT_GE(drifts.size(), 2 * kStretch);
    for (std::size_t first = 0; first + kStretch <= drifts.size(); first += kStretch) {
        std::vector<double> stretch(drifts.begin() + first, drifts.begin() + first + kStretch);
        std::nth_element(stretch.begin(), stretch.begin() + kStretch / 2, stretch.end());
        EXPECT_LE(std::abs(stretch[kStretch / 2]), 0.040) << "stretch " << first / kStretch;
    }
    EXPECT_GT(recorder.lastPosition(), 5000000) << "playback stalled";
    player.Stop(true);
}

}  // namespace
}  // namespace velmora
