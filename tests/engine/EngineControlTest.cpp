// Run control of the engine: pause gate, worker priorities, start refusals, the termination
// notice of tasks that never ran, Reset.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "engine/ConvertThread.h"
#include "engine/EngineSettings.h"
#include "engine/PauseGate.h"
#include "engine/Transcoder.h"
#include "medialib/MainThreadQueue.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

using namespace std::chrono_literals;

TEST(EnginePauseGateTest, PassBlocksWhilePausedUntilResumedOrReleased) {
    for (const bool release : {false, true}) {
        SCOPED_TRACE(release ? "release" : "resume");
        PauseGate gate;
        gate.pass();  // open: returns at once
        gate.pause();
        EXPECT_TRUE(gate.paused());
        std::atomic<bool> passed{false};
        std::thread passer([&] {
            gate.pass();
            passed = true;
        });
        std::this_thread::sleep_for(50ms);
        EXPECT_FALSE(passed.load());
        if (release) {
            gate.release();
        } else {
            gate.resume();
        }
        passer.join();
        EXPECT_TRUE(passed.load());
        EXPECT_FALSE(gate.paused());
    }
}

TEST(EnginePauseGateTest, ReleasedGateIgnoresPauseUntilRearmed) {
    PauseGate gate;
    gate.release();
    gate.pause();
    EXPECT_FALSE(gate.paused());
    gate.pass();
    gate.rearm();
    gate.pause();
    EXPECT_TRUE(gate.paused());
}

TEST(EngineThreadPriorityTest, NiceValuesPerPriority) {
    const struct {
        ThreadPriority priority;
        int nice;
    } rows[] = {{ThreadPriority::lowest, 10}, {ThreadPriority::lower, 5},
                {ThreadPriority::normal, 0},  {ThreadPriority::higher, 0},
                {ThreadPriority::highest, 0}, {ThreadPriority::timeCritical, 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(NiceValueOf(row.priority), row.nice);
    }
}

TEST(EngineThreadPriorityTest, WorkerRunsAtItsPriority) {
    const struct {
        ThreadPriority priority;
        int nice;
    } rows[] = {{ThreadPriority::lowest, 10}, {ThreadPriority::lower, 5}};
    for (const auto& row : rows) {
        int seen = -100;
        TConvertThread thread(row.priority, [&] {
            seen = getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
        });
        thread.join();
        EXPECT_EQ(seen, row.nice);
    }
    int policy = -1;
    TConvertThread idle(ThreadPriority::idle, [&] {
        sched_param parameters{};
        pthread_getschedparam(pthread_self(), &policy, &parameters);
    });
    idle.join();
    EXPECT_EQ(policy, SCHED_IDLE);
}

class EngineControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::requireMediaLibraries();
        SetMainThread();
    }
    test::TempDir m_dir;
};

TEST_F(EngineControlTest, StartWithoutFilesEndsAtOnceWithTheReason) {
    const struct {
        bool withInput;
        const char* message;
    } rows[] = {{false, "At least one output file must be specified"},
                {true, "At least one output file must be specified"}};
    for (const auto& row : rows) {
        TCustomTranscoder engine;
        if (row.withInput) {
            SampleSpec spec;
            spec.container = "wav";
            spec.video = false;
            spec.audioCodec = "pcm_s16le";
            spec.durationSeconds = 0.2;
            const std::string source = m_dir.file("in.wav");
            ASSERT_TRUE(makeSampleMedia(spec, source, nullptr));
            ASSERT_TRUE(engine.OpenInput(source)) << engine.LastError();
        }
        int notices = 0;
        engine.onTerminate = [&](TCustomTranscoder& e) {
            ++notices;
            EXPECT_FALSE(e.Running());
        };
        EXPECT_FALSE(engine.Start(true));
        EXPECT_EQ(notices, 1);
        EXPECT_TRUE(engine.Exception());
        EXPECT_EQ(engine.ExceptionMessage(), row.message);
        EXPECT_FALSE(engine.Finished());
        EXPECT_TRUE(engine.Terminated());
        // A terminated task does not start again before Reset.
        EXPECT_FALSE(engine.Start(true));
        EXPECT_EQ(notices, 1);
    }
}

TEST_F(EngineControlTest, OutputWithoutInputIsRefusedAtStart) {
    TCustomTranscoder engine;
    engine.SetOption("f", "wav");
    ASSERT_GT(engine.OpenOutput(m_dir.file("lonely.wav"), false), 0) << engine.LastError();
    engine.Start(false);
    EXPECT_EQ(engine.ExceptionMessage(), "At least one input file must be specified");
    // The output that never received data is removed when the task closes.
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("lonely.wav")));
}

TEST_F(EngineControlTest, StopOrTerminateOfANeverStartedTaskGivesOneNotice) {
    TCustomTranscoder engine;
    std::promise<std::thread::id> noticeThread;
    int notices = 0;
    engine.onTerminate = [&](TCustomTranscoder& e) {
        ++notices;
        EXPECT_FALSE(e.Finished());
        EXPECT_FALSE(e.Exception());
        noticeThread.set_value(std::this_thread::get_id());
    };
    engine.StopOrTerminate(true);
    EXPECT_EQ(notices, 1);
    EXPECT_TRUE(engine.Terminated());
    EXPECT_NE(noticeThread.get_future().get(), std::this_thread::get_id());
    engine.StopOrTerminate(true);
    EXPECT_EQ(notices, 1);
    // Reset makes the task usable again.
    engine.Reset();
    EXPECT_FALSE(engine.Terminated());
    EXPECT_EQ(engine.TotalDuration(), -1);
    EXPECT_EQ(engine.Settings().audioVolume, 256);
}

TEST_F(EngineControlTest, StopWithoutRunReturnsAtOnce) {
    TCustomTranscoder engine;
    const auto start = std::chrono::steady_clock::now();
    engine.Stop(true);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    EXPECT_FALSE(engine.Terminated());
}

TEST_F(EngineControlTest, StopKeepsTheMainThreadQueueRunning) {
    // The progress callback waits for the main thread; Stop(true) on the main thread must keep
    // serving it or both would wait forever.
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 10.0;
    const std::string source = m_dir.file("long.mkv");
    ASSERT_TRUE(makeSampleMedia(spec, source, nullptr));
    TCustomTranscoder engine;
    std::atomic<int> onMain{0};
    engine.onProgress = [&](TCustomTranscoder&, const ProgressReport&) {
        RunInMainThread([&] { ++onMain; });
    };
    engine.SetReportIntervalUs(1000);
    ASSERT_TRUE(engine.OpenInput(source));
    engine.SetOption("vcodec", "mpeg4");
    ASSERT_GT(engine.OpenOutput(m_dir.file("out.mkv"), false), 0) << engine.LastError();
    ASSERT_TRUE(engine.Start(true, ThreadPriority::normal));
    std::this_thread::sleep_for(200ms);  // the worker is now blocked on the main thread
    engine.Stop(true);
    EXPECT_GT(onMain.load(), 0);
    EXPECT_FALSE(engine.Running());
    EXPECT_FALSE(engine.Finished());
}

TEST_F(EngineControlTest, TotalDurationFromInputsAndRecordingTime) {
    SampleSpec spec;
    spec.container = "wav";
    spec.video = false;
    spec.audioCodec = "pcm_s16le";
    spec.durationSeconds = 1.5;
    const std::string source = m_dir.file("dur.wav");
    ASSERT_TRUE(makeSampleMedia(spec, source, nullptr));
    TCustomTranscoder engine;
    EXPECT_EQ(engine.TotalDuration(), -1);
    ASSERT_TRUE(engine.OpenInput(source));
    EXPECT_NEAR(engine.TotalDuration() / 1e6, 1.5, 0.01);
    engine.SetOption("t", "0.5");
    EXPECT_EQ(engine.TotalDuration(), 500000);
}

TEST_F(EngineControlTest, DestroyingARunningTaskStopsItAndGivesTheNoticeOnItsThread) {
    SampleSpec spec;
    spec.container = "matroska";
    spec.durationSeconds = 10.0;
    const std::string source = m_dir.file("long.mkv");
    ASSERT_TRUE(makeSampleMedia(spec, source, nullptr));
    std::atomic<int> notices{0};
    std::atomic<bool> onWorker{false};
    std::atomic<bool> finished{true};
    const std::string target = m_dir.file("destroyed.mkv");
    {
        TTranscoder engine;
        EXPECT_EQ(engine.InputRecords.size(), 20u);
        const auto caller = std::this_thread::get_id();
        engine.onTerminate = [&](TCustomTranscoder& e) {
            ++notices;
            onWorker = std::this_thread::get_id() != caller;
            finished = e.Finished();
        };
        ASSERT_TRUE(engine.OpenInput(source));
        engine.SetOption("vcodec", "mpeg4");
        ASSERT_GT(engine.OpenOutput(target, false), 0);
        ASSERT_TRUE(engine.Start(true, ThreadPriority::idle));
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_EQ(notices.load(), 1);
    EXPECT_TRUE(onWorker.load());
    EXPECT_FALSE(finished.load());
    EXPECT_TRUE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace velmora
