// The player against generated clips, headless (SDL's dummy video and audio drivers).
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

#include "medialib/Bitmap.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/PictureConverter.h"
#include "player/CustomPlayer.h"
#include "player/PlaybackCore.h"
#include "player/PlayerRecorder.h"
#include "player/PlayerSuite.h"
#include "samples/SampleMedia.h"
#include "support/BitmapDifference.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

// SDL keeps a few process-wide allocations (hints, driver state) that only SDL_Quit frees; the
// player quits its subsystems, not SDL, so the leak checker is told about them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libSDL2";
}

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

using test::meanDifference;
using test::Recorder;

// The test picture of the generator at frame `index`, converted like a snapshot.
bool referencePicture(int index, PictureConverter& converter) {
    FilterGraphPtr graph(lib::avfilter.avfilter_graph_alloc());
    AVFilterInOut* outputs = nullptr;
    AVFilterInOut* inputs = nullptr;
    AVFilterContext* sink = nullptr;
    if (lib::avfilter.avfilter_graph_create_filter(&sink,
                                                   lib::avfilter.avfilter_get_by_name("buffersink"),
                                                   "out", nullptr, nullptr, graph.get()) < 0) {
        return false;
    }
    outputs = lib::avfilter.avfilter_inout_alloc();
    outputs->name = lib::avutil.av_strdup("out");
    outputs->filter_ctx = sink;
    outputs->pad_idx = 0;
    outputs->next = nullptr;
    const int parsed = lib::avfilter.avfilter_graph_parse_ptr(
        graph.get(), "testsrc2=size=320x240:rate=25,format=pix_fmts=yuv420p", &outputs, &inputs,
        nullptr);
    lib::avfilter.avfilter_inout_free(&outputs);
    lib::avfilter.avfilter_inout_free(&inputs);
    if (parsed < 0 || lib::avfilter.avfilter_graph_config(graph.get(), nullptr) < 0) {
        return false;
    }
    FramePtr frame = makeFrame();
    for (int i = 0; i <= index; ++i) {
        lib::avutil.av_frame_unref(frame.get());
        if (lib::avfilter.av_buffersink_get_frame(sink, frame.get()) < 0) {
            return false;
        }
    }
    return converter.PictureToBitmap(frame.get());
}

class MediaPlayerTest : public test::PlayerSuite {
protected:
    // Clips are made once per test process.
    static std::string clip(const std::string& name, const SampleSpec& spec) {
        const std::string path = s_dir->file(name);
        if (!std::ifstream(path).good()) {
            std::string error;
            EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        }
        return path;
    }
    static std::string videoClip() {
        SampleSpec spec;
        spec.container = "matroska";
        spec.durationSeconds = 3.0;
        spec.videoBitRate = 3000000;
        return clip("av.mkv", spec);
    }
    static std::string audioClip() {
        SampleSpec spec;
        spec.container = "wav";
        spec.video = false;
        spec.audioCodec = "pcm_s16le";
        spec.durationSeconds = 1.0;
        return clip("tone.wav", spec);
    }
};

TEST_F(MediaPlayerTest, OpenedPausedShowsAPictureThenPlaysOnResume) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    std::int64_t openDuration = 0;
    int openWidth = 0;
    player.OnFileOpen = [&](TCustomPlayer*, std::int64_t duration, int width, int, int&, int&) {
        openDuration = duration;
        openWidth = width;
    };
    ASSERT_TRUE(player.Open(videoClip(), 0, true)) << player.LastError();
    EXPECT_NEAR(openDuration, 3000000, 100000);
    EXPECT_EQ(openWidth, 320);
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
    std::int64_t pts = -1;
    ASSERT_TRUE(recorder.waitFor([&] {
        player.CurrentFrame(pts);
        return pts >= 0;
    }));
    const Bitmap& frame = player.CurrentFrame(pts);
    EXPECT_EQ(frame.width(), 320);
    EXPECT_EQ(frame.height(), 240);
    EXPECT_LT(pts, 200000);

    player.Resume();
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psResume); }));
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.lastPosition() > 500000; }));
    player.Stop(true);
    EXPECT_TRUE(recorder.hasState(TPlayState::psStop));
    EXPECT_FALSE(player.IsOpen());
}

TEST_F(MediaPlayerTest, SeekBeyondTheDurationLandsAtTheDuration) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(videoClip(), 0, false)) << player.LastError();
    const std::int64_t duration = player.Duration();
    ASSERT_GT(duration, 0);
    player.Seek(0, true, duration + 5000000);
    EXPECT_EQ(player.core()->seekTarget(), duration + player.core()->startTime());
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psEnd); }, 10000));
    EXPECT_EQ(recorder.lastPosition(), duration);
    player.Stop(true);
}

TEST_F(MediaPlayerTest, ASecondSeekWhileOneIsPendingIsIgnored) {
    TMediaPlayer player;
    // A core that was never started keeps its request pending.
    PlaybackCore core(player, "unused", false);
    EXPECT_TRUE(core.requestSeek(1000000, 0, 0));
    EXPECT_FALSE(core.requestSeek(2000000, 0, 0));
    EXPECT_EQ(core.seekTarget(), 1000000);
    EXPECT_TRUE(core.seekPending());
    EXPECT_FALSE(core.seekDone().isSet());
}

TEST_F(MediaPlayerTest, AudioOnlyFilePlaysToTheEndWithAWaveform) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(audioClip(), 0, false)) << player.LastError();
    ASSERT_NE(player.core(), nullptr);
    EXPECT_FALSE(player.core()->hasVideo());
    EXPECT_EQ(player.core()->audioDisplay(), AudioDisplay::Waveform);
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psEnd); }, 5000));
    EXPECT_EQ(recorder.lastPosition(), player.Duration());
    int width = 0;
    int height = 0;
    const auto pixels = player.core()->visualisationCopy(width, height);
    EXPECT_GT(width, 0);
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), 0xFFFFFFFFu), 0);
    std::int64_t pts = 0;
    EXPECT_TRUE(player.CurrentFrame(pts).empty());
    EXPECT_EQ(pts, -1);
    player.Stop(true);
}

TEST_F(MediaPlayerTest, AudioOnlyFileOpenedPausedReportsThePauseAndPlaysOnResume) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(audioClip(), 0, true)) << player.LastError();
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
    Recorder::pumpFor(200);
    EXPECT_LE(recorder.lastPosition(), 0);
    player.Resume();
    EXPECT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psEnd); }, 5000));
    EXPECT_EQ(recorder.lastPosition(), player.Duration());
    player.Stop(true);
}

TEST_F(MediaPlayerTest, CurrentFrameAfterASeekIsTheTestPictureOfItsTime) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(videoClip(), 0, true)) << player.LastError();
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
    player.Seek(0, true, 1500000);
    std::int64_t pts = -1;
    ASSERT_TRUE(recorder.waitFor([&] {
        player.CurrentFrame(pts);
        return pts >= 1000000;
    }));
    recorder.waitFor([] { return false; }, 200);  // let the picture settle
    const Bitmap& frame = player.CurrentFrame(pts);
    ASSERT_EQ(frame.width(), 320);
    ASSERT_EQ(frame.height(), 240);
    const int index = static_cast<int>(std::lround(pts * 25 / 1e6));
    PictureConverter reference;
    ASSERT_TRUE(referencePicture(index, reference));
    PictureConverter other;
    ASSERT_TRUE(referencePicture(index + 12, other));
    const double same = meanDifference(frame, reference.bitmap());
    const double different = meanDifference(frame, other.bitmap());
    EXPECT_LT(same, 10.0) << "frame " << index;
    EXPECT_GT(different, same * 2) << "frame " << index;
    player.Stop(true);
}

TEST_F(MediaPlayerTest, HookDrawsOnThePictureAndAThrowingHookLeavesItAlone) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    std::atomic<int> calls{0};
    std::atomic<bool> fail{false};
    player.SetHook(true);
    player.OnHook = [&](TCustomPlayer*, Bitmap& bitmap, std::int64_t) {
        ++calls;
        if (fail.load()) {
            throw std::runtime_error("hook failed");
        }
        for (int y = 0; y < bitmap.height(); ++y) {
            std::fill_n(bitmap.row(y), bitmap.width() * 3, 0xFF);
        }
    };
    ASSERT_TRUE(player.Open(videoClip(), 0, true)) << player.LastError();
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
    std::int64_t pts = -1;
    ASSERT_TRUE(recorder.waitFor([&] {
        player.CurrentFrame(pts);
        return pts >= 0;
    }));
    recorder.waitFor([] { return false; }, 100);
    EXPECT_GT(calls.load(), 0);
    const Bitmap& white = player.CurrentFrame(pts);
    EXPECT_GT(white.row(120)[480], 240);

    fail = true;
    player.Seek(0, true, 2000000);
    ASSERT_TRUE(recorder.waitFor([&] {
        player.CurrentFrame(pts);
        return pts >= 1000000;
    }));
    recorder.waitFor([] { return false; }, 200);
    const Bitmap& plain = player.CurrentFrame(pts);
    PictureConverter reference;
    ASSERT_TRUE(referencePicture(static_cast<int>(std::lround(pts * 25 / 1e6)), reference));
    EXPECT_LT(meanDifference(plain, reference.bitmap()), 10.0);
    player.Stop(true);
}

// Counts OnPictureShown calls by where the picture went.
struct ShownCounter {
    std::atomic<int> onWindow{0};
    std::atomic<int> forHost{0};

    void attach(TCustomPlayer& player) {
        player.OnPictureShown = [this](TCustomPlayer*, bool window) {
            ++(window ? onWindow : forHost);
        };
    }
};

TEST_F(MediaPlayerTest, PicturesReachTheHostWhenNoWindowShowsThem) {
    // Offscreen: no SDL window at all; a host window SDL cannot use: the same for the host.
    // The dummy driver cannot take over a foreign window, so the made-up handle always fails; a
    // real X server ends the process on it instead (BadWindow), so that half runs only there.
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const bool dummyVideo = driver != nullptr && std::string_view(driver) == "dummy";
    for (const bool offscreen : {true, false}) {
        if (!offscreen && !dummyVideo) {
            continue;
        }
        SCOPED_TRACE(offscreen ? "offscreen" : "unusable host window");
        TMediaPlayer player;
        Recorder recorder;
        recorder.attach(player);
        ShownCounter shown;
        shown.attach(player);
        player.SetOffscreenDisplay(offscreen);
        ASSERT_TRUE(player.Open(videoClip(), offscreen ? 0 : 0x2a0001, true)) << player.LastError();
        ASSERT_TRUE(recorder.waitFor([&] { return recorder.hasState(TPlayState::psPause); }));
        ASSERT_TRUE(recorder.waitFor([&] { return shown.forHost.load() > 0; }));
        std::int64_t pts = -1;
        const Bitmap& first = player.CurrentFrame(pts);
        EXPECT_EQ(first.width(), 320);
        EXPECT_GE(pts, 0);
        EXPECT_LT(pts, 200000);
        // The host tells of a new size: the paused picture is shown again at that size.
        const int shownBefore = shown.forHost.load();
        player.HostWindowChanged(200, 150);
        EXPECT_TRUE(recorder.waitFor([&] { return shown.forHost.load() > shownBefore; }));
        EXPECT_EQ(player.ScreenWidth(), 200);
        EXPECT_EQ(player.ScreenHeight(), 150);
        player.Resume();
        const int before = shown.forHost.load();
        EXPECT_TRUE(recorder.waitFor([&] { return recorder.lastPosition() > 500000; }));
        EXPECT_GT(shown.forHost.load(), before + 5);
        EXPECT_EQ(shown.onWindow.load(), 0);
        player.Stop(true);
    }
}

TEST_F(MediaPlayerTest, AWindowOfItsOwnShowsThePictures) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ShownCounter shown;
    shown.attach(player);
    ASSERT_TRUE(player.Open(videoClip(), 0, true)) << player.LastError();
    ASSERT_TRUE(recorder.waitFor([&] { return shown.onWindow.load() > 0; }));
    EXPECT_EQ(shown.forHost.load(), 0);
    player.Stop(true);
}

TEST_F(MediaPlayerTest, OffscreenAudioDrawsTheWaveformForTheHost) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ShownCounter shown;
    shown.attach(player);
    player.SetOffscreenDisplay(true);
    player.SetScreenWidth(200);
    player.SetScreenHeight(100);
    ASSERT_TRUE(player.Open(audioClip(), 0, false)) << player.LastError();
    int width = 0;
    int height = 0;
    ASSERT_TRUE(recorder.waitFor([&] {
        const auto pixels = player.CurrentVisualisation(width, height);
        return std::count(pixels.begin(), pixels.end(), 0xFFFFFFFFu) > 0;
    }));
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 100);
    EXPECT_GT(shown.forHost.load(), 0);
    EXPECT_EQ(shown.onWindow.load(), 0);
    player.Stop(true);
    EXPECT_TRUE(player.CurrentVisualisation(width, height).empty());
}

TEST_F(MediaPlayerTest, FilesThatCannotBePlayedFailWithATextAndNothingRuns) {
    const std::string garbage = s_dir->file("garbage.mkv");
    std::ofstream(garbage) << "this is not a media file at all";
    const std::string missing = s_dir->file("missing.mkv");
    for (const std::string& file : {missing, garbage}) {
        TMediaPlayer player;
        EXPECT_FALSE(player.Open(file, 0, false)) << file;
        EXPECT_NE(player.LastError().find(file), std::string::npos) << player.LastError();
        EXPECT_FALSE(player.IsOpen());
        player.Stop(true);  // returns at once
    }
    // Nothing playable once both kinds are disabled.
    TMediaPlayer player;
    player.SetDisableAudio(true);
    player.SetDisableVideo(true);
    EXPECT_FALSE(player.Open(videoClip(), 0, false));
    EXPECT_NE(player.LastError().find("no stream to play"), std::string::npos);
}

TEST_F(MediaPlayerTest, ACutOffFileEndsAndStops) {
    const std::string cut = s_dir->file("cut.mkv");
    ASSERT_TRUE(truncateCopy(videoClip(), cut, 0.4));
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    ASSERT_TRUE(player.Open(cut, 0, false)) << player.LastError();
    EXPECT_TRUE(recorder.waitFor(
        [&] {
            return recorder.hasState(TPlayState::psEnd) || recorder.hasState(TPlayState::psStop);
        },
        6000));
    const auto start = Clock::now();
    player.Stop(true);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(recorder.hasState(TPlayState::psStop));
}

TEST_F(MediaPlayerTest, EventsReachTheMainThreadWhenAsked) {
    TMediaPlayer player;
    std::atomic<int> onMain{0};
    std::atomic<int> offMain{0};
    player.OnState = [&](TCustomPlayer*, TPlayState) { (IsMainThread() ? onMain : offMain)++; };
    ASSERT_TRUE(player.Open(audioClip(), 0, false)) << player.LastError();
    Recorder waiter;
    waiter.waitFor([&] { return onMain.load() > 0; }, 2000);
    player.Stop(true);
    EXPECT_GE(onMain.load(), 2);  // psPlay ... psStop
    EXPECT_EQ(offMain.load(), 0);
}

TEST_F(MediaPlayerTest, OpenAndStopAHundredTimes) {
    TMediaPlayer player;
    Recorder recorder;
    recorder.attach(player);
    const std::string file = videoClip();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(player.Open(file, 0, i % 2 == 0)) << i << ": " << player.LastError();
        if (i % 10 == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        player.Stop(i % 3 != 0);
    }
    player.Stop(true);
    EXPECT_FALSE(player.IsOpen());
}

}  // namespace
}  // namespace velmora
