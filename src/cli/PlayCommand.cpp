#include "cli/PlayCommand.h"

#include <chrono>
#include <cstdio>
#include <ostream>

#include "medialib/Bitmap.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "player/CustomPlayer.h"

namespace velmora::cli {

namespace {

std::string seconds(std::int64_t microseconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(microseconds) / 1000000.0);
    return text;
}

}  // namespace

int runPlayCommand(const PlayOptions& options, std::ostream& out, std::ostream& err) {
    SetMainThread();
    TMediaPlayer player;
    if (!player.LoadLibraries(DefaultLibraryFolder())) {
        err << "error: " << player.LastError() << '\n';
        return 1;
    }
    bool finished = false;
    player.SetMute(options.mute);
    // Events arrive on this thread while it pumps the main-thread queue below.
    player.OnFileOpen = [&](TCustomPlayer*, std::int64_t duration, int width, int height, int&,
                            int&) {
        out << "open duration=" << (duration < 0 ? std::string("unknown") : seconds(duration))
            << " frame=" << width << "x" << height << '\n';
    };
    player.OnState = [&](TCustomPlayer*, TPlayState state) {
        out << "state " << PlayStateName(state) << '\n';
        if (state == TPlayState::psEnd || state == TPlayState::psStop) {
            finished = true;
        }
    };
    player.OnPosition = [&](TCustomPlayer*, std::int64_t pts) {
        out << "position " << seconds(pts) << '\n';
    };
    if (!player.Open(options.file, 0, options.paused)) {
        err << "error: " << player.LastError() << '\n';
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto pumpFor = [](double secondsToPump) {
        const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(secondsToPump));
        while (Clock::now() < until) {
            PumpMessagesFor(std::chrono::milliseconds(10));
        }
    };
    int exitCode = 0;
    if (options.seekSeconds) {
        player.Seek(0, true, static_cast<std::int64_t>(*options.seekSeconds * 1000000.0));
    }
    if (!options.snapshotPath.empty()) {
        // Give the event loop the time to put the (sought) picture on screen.
        std::int64_t pts = -1;
        const auto deadline = Clock::now() + std::chrono::seconds(3);
        const Bitmap* bitmap = &player.CurrentFrame(pts);
        while (pts < 0 && Clock::now() < deadline) {
            pumpFor(0.02);
            bitmap = &player.CurrentFrame(pts);
        }
        pumpFor(0.1);
        bitmap = &player.CurrentFrame(pts);
        if (bitmap->empty() || pts < 0) {
            err << "error: no picture to save\n";
            exitCode = 1;
        } else if (!bitmap->saveBmp(options.snapshotPath)) {
            err << "error: cannot write " << options.snapshotPath << '\n';
            exitCode = 1;
        } else {
            out << "snapshot " << options.snapshotPath << " " << bitmap->width() << "x"
                << bitmap->height() << " pts=" << seconds(pts) << '\n';
        }
    }
    const auto start = Clock::now();
    while (!finished) {
        if (options.forSeconds &&
            std::chrono::duration<double>(Clock::now() - start).count() >= *options.forSeconds) {
            break;
        }
        PumpMessagesFor(std::chrono::milliseconds(20));
    }
    player.Stop(true);
    if (!player.LastError().empty() && exitCode == 0) {
        err << "error: " << player.LastError() << '\n';
        exitCode = 1;
    }
    return exitCode;
}

}  // namespace velmora::cli
