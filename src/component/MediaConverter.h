// The converter component: the one object through which the application and the command line
// drive conversions. It owns an ordered list of tasks (one engine each), fills the engines from
// option records, runs up to n tasks at once and relays their progress and their end as events.
//
// Threads: every operation is called from the main thread. Events come from worker threads in
// thread mode (see the setters for where each one runs). Every wait the component makes on the
// main thread keeps running queued main-thread calls, so handlers marshalled there cannot
// deadlock it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "component/EventRecords.h"
#include "component/MediaComponent.h"
#include "component/OptionRecords.h"
#include "component/TaskEngine.h"
#include "component/TranscoderList.h"

struct AVFormatContext;

namespace velmora {

class TMediaProbe;

// Raised by the guarded operations while a run is in progress.
class ConverterBusyError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class TCustomMediaConverter : public TMediaComponent {
public:
    static constexpr int kMaxFiles = 20;
    static constexpr int kMinProgressIntervalMs = 100;

    // factory: how tasks get their engine; empty means the real engine.
    explicit TCustomMediaConverter(TaskEngineFactory factory = {});
    // Stops every task and waits for it, and for every notice still being delivered.
    ~TCustomMediaConverter() override;

    TCustomMediaConverter(const TCustomMediaConverter&) = delete;
    TCustomMediaConverter& operator=(const TCustomMediaConverter&) = delete;

    // --- properties ---

    static const char* Version() { return "3.3"; }
    bool Preview() const { return m_preview; }
    // Also updates every task already in the list.
    void SetPreview(bool value);
    bool PreviewBitmap() const { return m_previewBitmap; }
    void SetPreviewBitmap(bool value);
    int ProgressInterval() const { return m_progressIntervalMs.load(); }
    // Milliseconds; values below 100 are stored as 100.
    void SetProgressInterval(int intervalMs);
    // Priority given to each worker thread when it is created.
    ::velmora::ThreadPriority ThreadPriority() const { return m_threadPriority; }
    void SetThreadPriority(::velmora::ThreadPriority priority) { m_threadPriority = priority; }
    bool TriggerEventInMainThread() const { return m_triggerEventInMainThread.load(); }
    void SetTriggerEventInMainThread(bool value) { m_triggerEventInMainThread.store(value); }

    // Runs on the worker thread, under the custom-hook lock, with the bitmap locked.
    void SetOnCustomHook(TCustomHookEvent handler);
    // Run on the main thread when TriggerEventInMainThread (the worker waits for them), else on
    // the worker; each under its own lock, since the record is shared per component.
    void SetOnPreviewBitmap(TPreviewBitmapEvent handler);
    void SetOnProgress(TProgressEvent handler);
    // Thread mode: on a short-lived thread of its own, in the order the tasks ended (never on the
    // main thread; marshal yourself). Main-thread mode: on the main thread inside StartTask.
    void SetOnTerminate(TTerminateEvent handler);

    const std::string& LastErrMsg() const { return m_lastErrMsg; }
    int MaxFiles() const { return kMaxFiles; }
    // For the application to open and describe source files; the component does not use it.
    TMediaProbe& MediaProbe() { return *m_mediaProbe; }

    // --- operations (main thread) ---

    bool LoadAVLib(const std::string& folder);
    bool AVLibLoaded() const;

    // Adds a task reading fileName; the task index, or -1 with LastErrMsg().
    int AddTask(const std::string& fileName, const TInputOptions* inputOptions = nullptr);
    // Adds an output to a task; false with LastErrMsg().
    bool SetOutputFile(int taskIndex, const std::string& fileName,
                       const TOutputOptions* outputOptions = nullptr);
    void RemoveTask(int taskIndex);
    void ClearTasks();
    int TasksCount() const { return m_tasks.Count(); }
    AVFormatContext* InputFormatContext(int taskIndex, int fileIndex) const;

    // count <= 0: runs every task on this thread, one after another, and returns after the
    // all-done notice. count > 0: starts up to count tasks on worker threads and returns; each
    // ending task starts the next waiting one.
    void StartTask(int count);
    void PauseTasks();
    void ResumeTasks();
    // No further task starts; running tasks are asked to stop, waiting ones report their end.
    void StopTasks(bool wait);

    // Run state, for tests and diagnostics.
    bool Working() const;
    bool AllDone() const;

private:
    void busyGuard(const char* operation) const;
    void applyOutputRecord(TaskEngine& engine, const TOutputOptions& options);
    // The engines of the list, for walks that may pump main-thread calls.
    std::vector<TaskEngine*> engines() const;

    // Under m_terminateLock. Returns the task to run, or null when none is left.
    ConverterTask* takeNextTaskLocked();
    void startNextTaskLocked();
    void doTerminate(ConverterTask& task);
    void allDoneLocked();
    void deliverTerminate(const TTerminateInfo& info);
    void callTerminateHandler(const TTerminateEvent& handler, const TTerminateInfo& info);

    void doProgress(ConverterTask& task, const ProgressReport& report);
    void doPreviewBitmap(ConverterTask& task, const PreviewFrame& frame);
    void doCustomHook(ConverterTask& task, HookFrame& frame);
    void reportHandlerError(const char* event, const std::string& message);

    void reapNoticesLocked();
    void waitForNotices();
    void releaseGraveyard();

    TaskEngineFactory m_factory;
    std::unique_ptr<TMediaProbe> m_mediaProbe;
    std::string m_lastErrMsg;
    const int m_initialVerbosity = 1;

    bool m_preview = false;
    bool m_previewBitmap = false;
    std::atomic<int> m_progressIntervalMs{500};
    ::velmora::ThreadPriority m_threadPriority = ::velmora::ThreadPriority::normal;
    std::atomic<bool> m_triggerEventInMainThread{true};

    // The handlers are copied out under m_handlerMutex and called outside it, so assigning a
    // handler never waits for an event in progress.
    mutable std::mutex m_handlerMutex;
    TCustomHookEvent m_onCustomHook;
    TPreviewBitmapEvent m_onPreviewBitmap;
    TProgressEvent m_onProgress;
    TTerminateEvent m_onTerminate;

    // The four event locks. Each guards its event record and is held while its handler runs.
    std::mutex m_customHookLock;
    std::mutex m_previewLock;
    std::mutex m_progressLock;
    // Recursive: a task that fails at start gives its notice on the starting thread, which
    // already holds it. Guards the run bookkeeping below and the starting of tasks.
    mutable std::recursive_mutex m_terminateLock;

    THookInfo m_hookInfo;          // guarded by m_customHookLock
    TPreviewInfo m_previewInfo;    // guarded by m_previewLock
    TProgressInfo m_progressInfo;  // guarded by m_progressLock

    // Changed only on the main thread, only while no run is in progress, and under
    // m_terminateLock; read without the lock on the main thread.
    TTranscoderList m_tasks;
    // Main-thread operations that walk the task list and may pump queued main-thread calls
    // (StopTasks, a main-thread run, destruction). A ClearTasks run by such a pump parks the
    // tasks here, and they are freed once the outermost operation returns. Main thread only.
    int m_walkDepth = 0;
    std::vector<std::unique_ptr<ConverterTask>> m_graveyard;

    // Run bookkeeping, guarded by m_terminateLock.
    int m_finishedCount = 0;
    int m_nextTask = -1;
    int m_remaining = 0;
    bool m_allDone = false;
    bool m_threadMode = false;
    int m_codecThreads = 0;  // for each task of the run (CodecThreadsPerTask)
    bool m_working = false;
    bool m_paused = false;
    // Main-thread run in progress: StartTask gives the all-done notice itself once the last task
    // has returned, so that a handler may clear the list without freeing a running engine.
    bool m_inMainRun = false;

    // Termination notices of thread mode, each on its own thread, delivered in the order they
    // were issued. Guarded by m_noticeMutex.
    struct Notice {
        std::thread thread;
        bool done = false;
    };
    std::mutex m_noticeMutex;
    std::condition_variable m_noticeChanged;
    std::vector<std::unique_ptr<Notice>> m_notices;
    std::uint64_t m_noticesIssued = 0;
    std::uint64_t m_noticesDelivered = 0;
    bool m_detached = false;  // the component is being destroyed; no handler is called
};

// The component as the application uses it.
class TMediaConverter final : public TCustomMediaConverter {
public:
    using TCustomMediaConverter::TCustomMediaConverter;
};

}  // namespace velmora
