// A stand-in engine whose runs the test controls: a task in thread mode runs until the test
// finishes it or it is stopped, reports progress every few milliseconds while not paused, and
// gives its termination notice the way the real engine does.
#pragma once

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "component/TaskEngine.h"

namespace velmora::test {

class FakeEngine;

// Shared by the test and every fake it creates; tasks are numbered in creation order.
class FakeEngineHub {
public:
    TaskEngineFactory factory();

    // Throws std::logic_error once that engine's task has been freed.
    FakeEngine& engine(int index);
    int engineCount();
    int runningNow();
    int maxRunning();
    // Indexes of the engines that have started, in start order.
    std::vector<int> startOrder();

    // Inputs with this name fail to open with kOpenError.
    std::string failingInput = "missing.avi";
    static constexpr const char* kOpenError = "missing.avi: No such file or directory";
    // Main-thread runs: how the synchronous run ends.
    bool mainRunFinishes = true;

private:
    friend class FakeEngine;
    void started(int index);
    void ended();
    void destroyed(int index);

    std::mutex m_mutex;
    std::vector<FakeEngine*> m_engines;  // guarded by m_mutex
    std::vector<int> m_startOrder;       // guarded by m_mutex
    int m_running = 0;                   // guarded by m_mutex
    int m_maxRunning = 0;                // guarded by m_mutex
};

class FakeEngine final : public TaskEngine {
public:
    FakeEngine(FakeEngineHub& hub, int index) : m_hub(hub), m_index(index) {}
    ~FakeEngine() override;

    // Lets a thread-mode run end by itself (finished true).
    void finish();
    // As finish, but the run ends with an error.
    void fail(const std::string& message);
    bool started() const;
    bool paused() const;
    int progressCount() const { return m_progressCount.load(); }
    // Every set-up call in order: "name=value", "text:<pass>:<text>", "target=...",
    // "open_input=...", "open_output=...".
    std::vector<std::string> calls() const;
    bool previewOn() const;
    std::int64_t reportIntervalUs() const;
    int codecThreads() const;
    bool hasCustomHook() const;
    // Runs the custom hook as the engine would for one frame.
    HookFrame offerHookFrame();

    void reset() override { record("reset"); }
    void setOption(const std::string& name, const std::string& value) override;
    void setOptionText(const std::string& text, bool inputPass) override;
    void applyTarget(const std::string& type, const std::string& norm,
                     const std::string& defaultNorm) override;
    void setPreview(bool on) override;
    void setPreviewBitmap(bool) override {}
    void setReportIntervalUs(std::int64_t intervalUs) override;
    void setCodecThreads(int count) override;
    bool openInput(const std::string& fileName) override;
    int openOutput(const std::string& fileName, bool join) override;
    std::string lastError() const override;
    AVFormatContext* inputFormatContext(int) const override { return nullptr; }
    void setOnProgress(ProgressCallback callback) override { m_onProgress = std::move(callback); }
    void setOnTerminate(TerminateCallback callback) override {
        m_onTerminate = std::move(callback);
    }
    void setOnCustomHook(CustomHookCallback callback) override {
        m_onCustomHook = std::move(callback);
    }
    void setOnPreviewBitmap(PreviewBitmapCallback callback) override {
        m_onPreviewBitmap = std::move(callback);
    }

    void start(bool threadMode, ThreadPriority priority) override;
    void stop(bool wait) override;
    void stopOrTerminate(bool wait) override;
    void pause() override;
    void resume() override;
    bool finished() const override { return m_finished.load(); }
    bool exception() const override { return m_exception.load(); }
    std::string exceptionMessage() const override;

private:
    void record(std::string call);
    void runBody();
    void giveNotice();
    void waitIdle();

    FakeEngineHub& m_hub;
    const int m_index;

    ProgressCallback m_onProgress;
    TerminateCallback m_onTerminate;
    CustomHookCallback m_onCustomHook;
    PreviewBitmapCallback m_onPreviewBitmap;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_calls;     // guarded by m_mutex
    std::string m_lastError;              // guarded by m_mutex
    std::string m_exceptionMessage;       // guarded by m_mutex
    bool m_preview = false;               // guarded by m_mutex
    std::int64_t m_reportIntervalUs = 0;  // guarded by m_mutex
    int m_codecThreads = -1;              // -1: never set; guarded by m_mutex
    int m_outputs = 0;                    // guarded by m_mutex
    bool m_started = false;               // guarded by m_mutex
    bool m_running = false;               // guarded by m_mutex
    bool m_terminated = false;            // guarded by m_mutex
    bool m_stopRequested = false;         // guarded by m_mutex
    bool m_finishRequested = false;       // guarded by m_mutex
    bool m_paused = false;                // guarded by m_mutex
    bool m_idle = true;                   // no run and no notice in progress; guarded by m_mutex

    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_exception{false};
    std::atomic<int> m_progressCount{0};
    std::thread m_worker;
    std::thread m_noticeThread;
};

}  // namespace velmora::test
