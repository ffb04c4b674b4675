// Hosts that drive the player from its own events: a play list that opens the next file from
// the state or position handler, a handler that stops playback. Events on the event thread and
// on the main thread.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "medialib/MainThreadQueue.h"
#include "player/CustomPlayer.h"
#include "player/PlayerRecorder.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using test::Recorder;

class PlayerHandlerTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        test::requireMediaLibraries();
        SetMainThread();
    }
    test::TempDir m_dir;
};

TEST_P(PlayerHandlerTest, HandlersOpenTheNextFileAndStop) {
    constexpr int kOpens = 50;
    SampleSpec spec;
    spec.container = "matroska";
    spec.width = 160;
    spec.height = 120;
    spec.durationSeconds = 0.4;
    const std::string file = m_dir.file("short.mkv");
    std::string error;
    ASSERT_TRUE(makeSampleMedia(spec, file, &error)) << error;

    TMediaPlayer player;
    player.SetMute(true);
    player.SetTriggerEventInMainThread(GetParam());
    std::mutex mutex;
    std::vector<TPlayState> states;  // guarded by mutex
    std::atomic<int> opens{0};
    std::atomic<int> failedOpens{0};
    std::atomic<bool> stopped{false};
    std::atomic<int> handlersRunning{0};
    std::atomic<bool> overlapped{false};
    std::atomic<bool> offTheMainThread{false};
    // Every other file is opened from a state event, the rest from a position event; the last
    // one is stopped from its end.
    auto next = [&](TCustomPlayer* sender, bool fromState) {
        const int made = opens.load();
        if (made >= kOpens || (made % 2 == 1) != fromState) {
            return;
        }
        opens = made + 1;
        if (!sender->Open(file, 0, made % 3 == 0)) {
            ++failedOpens;
        }
        if (made % 3 == 0) {
            sender->Resume();
        }
    };
    player.OnState = [&](TCustomPlayer* sender, TPlayState state) {
        overlapped = overlapped.load() || handlersRunning++ > 0;
        offTheMainThread = offTheMainThread.load() || !IsMainThread();
        {
            std::lock_guard lock(mutex);
            states.push_back(state);
        }
        if (state == TPlayState::psEnd && opens.load() >= kOpens && !stopped.exchange(true)) {
            sender->Stop(true);
        } else if (state != TPlayState::psStop) {
            next(sender, true);
        }
        --handlersRunning;
    };
    player.OnPosition = [&](TCustomPlayer* sender, std::int64_t) {
        overlapped = overlapped.load() || handlersRunning++ > 0;
        offTheMainThread = offTheMainThread.load() || !IsMainThread();
        next(sender, false);
        --handlersRunning;
    };

    opens = 1;
    ASSERT_TRUE(player.Open(file, 0, false)) << player.LastError();
    ASSERT_TRUE(Recorder::waitFor([&] { return stopped.load(); }, 120000))
        << "opens made: " << opens.load();
    // The stop made in the handler is reported once the handler has returned.
    EXPECT_TRUE(Recorder::waitFor([&] {
        std::lock_guard lock(mutex);
        return !states.empty() && states.back() == TPlayState::psStop;
    }));
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(opens.load(), kOpens);
    EXPECT_EQ(failedOpens.load(), 0);
    if (GetParam()) {
        // On the main thread a handler's waits (Open, Stop) run the next file's events nested.
        EXPECT_FALSE(offTheMainThread.load());
    } else {
        EXPECT_FALSE(overlapped.load()) << "two handlers ran at the same time";
    }

    // The player is still usable afterwards.
    ASSERT_TRUE(player.Open(file, 0, true)) << player.LastError();
    player.Stop(true);
}

INSTANTIATE_TEST_SUITE_P(EventThreadAndMainThread, PlayerHandlerTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "OnTheMainThread" : "OnTheEventThread";
                         });

}  // namespace
}  // namespace velmora
