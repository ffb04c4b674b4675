// The transcoding engine: one instance converts one task, its input files into its output files.
//
// Settings arrive as name/value option pairs (SetOption); opening an input consumes the pending
// input-side settings, opening an output consumes the output-side ones and creates its streams.
// Start runs the task on the calling thread or on an owned worker thread.
//
// Threads: configuration (SetOption, OpenInput, OpenOutput, Start, Reset) is done by one
// controlling thread (the component's main thread) while no run is in progress. Stop, Pause,
// Resume and the state flags may be used from any thread. Callbacks run on the thread that runs
// the task (the worker in thread mode) and must not call back into the engine, except Stop(false).
#pragma once

#include <any>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/ConvertThread.h"
#include "engine/DamageReport.h"
#include "engine/PauseGate.h"
#include "engine/WrittenOutput.h"

struct AVFormatContext;

namespace velmora {

class Bitmap;
class OptionActions;
struct EngineSettings;
class TranscodeSession;

// One progress report of a running task.
struct ProgressReport {
    int FileIndex = 0;            // input being read; -1 in the final report
    int FrameNumber = -1;         // frames written on the first fed video output; -1: none
    int FPS = -1;                 // frames per second since the start; -1: no video output
    float Quality = -1.0f;        // encoder quantizer of that stream; -1 when copied
    float BitRate = 0.0f;         // kbit/s
    int64_t CurrentSize = 0;      // bytes written to the first output
    int64_t CurrentDuration = 0;  // output time reached, microseconds
    int64_t TotalDuration = -1;   // expected total, microseconds; -1 unknown
};

// A frame offered to the custom hook. The handler may draw on the bitmap; leaving update true
// copies it back into the frame, setting stopHook switches the hook off for the rest of the task.
struct HookFrame {
    Bitmap* bitmap = nullptr;
    int frameNumber = 0;
    int64_t pts = 0;  // microseconds
    bool update = true;
    bool stopHook = false;
};

// A converted frame offered as preview bitmap.
struct PreviewFrame {
    Bitmap* bitmap = nullptr;
    int frameNumber = 0;
    int64_t pts = 0;  // microseconds
};

class TCustomTranscoder {
public:
    using ProgressCallback = std::function<void(TCustomTranscoder&, const ProgressReport&)>;
    using TerminateCallback = std::function<void(TCustomTranscoder&)>;
    using CustomHookCallback = std::function<void(TCustomTranscoder&, HookFrame&)>;
    using PreviewBitmapCallback = std::function<void(TCustomTranscoder&, const PreviewFrame&)>;

    // maxFiles: the number of input slots and of output slots (1..512).
    explicit TCustomTranscoder(int maxFiles = 20);
    virtual ~TCustomTranscoder();

    TCustomTranscoder(const TCustomTranscoder&) = delete;
    TCustomTranscoder& operator=(const TCustomTranscoder&) = delete;

    // --- options and set-up (controlling thread, not while running) ---

    // Applies one option; throws TranscoderException with the option's failure text.
    void SetOption(const std::string& name, const std::string& value);
    // Applies option text (name=value lines). inputPass: every name is applied; otherwise the
    // stream-codec names and the names the component handles itself are skipped.
    void SetOptionText(const std::string& text, bool inputPass);

    // Opens an input with the pending input-side settings. False: LastError() says why.
    bool OpenInput(const std::string& fileName);
    // Creates an output with the pending output-side settings; returns the number of output
    // entries, or -1 with LastError().
    int OpenOutput(const std::string& fileName, bool join);
    // Adds a stream of that type to the last output; throws TranscoderException.
    void NewVideoStream();
    void NewAudioStream();
    void NewSubtitleStream();

    std::string LastError() const;
    int MaxFiles() const { return m_maxFiles; }
    int InputFileCount() const;
    int OutputFileCount() const;
    // The opened input's format context (its duration is read by the application); null when
    // the index is out of range.
    AVFormatContext* InputFormatContext(int fileIndex) const;

    // --- running ---

    // Starts the task once per Reset. threadMode false: runs it to its end on the calling thread
    // and returns false. threadMode true: starts the owned worker thread and returns true.
    // Returns false without doing anything when the task is running or already terminated.
    bool Start(bool threadMode, ThreadPriority priority = ThreadPriority::normal);
    // Asks the running task to stop; with wait, returns after the task has ended (the calling
    // main thread keeps running queued main-thread calls meanwhile).
    void Stop(bool wait);
    // Stop when running; otherwise gives the termination notice of a task never started.
    void StopOrTerminate(bool wait);
    // Pause gate of the worker; no effect in main-thread mode or when not running.
    void Pause();
    void Resume();
    bool Paused() const;
    // Closes everything and restores every setting to its default.
    void Reset();

    bool Running() const { return m_running.load(); }
    bool StopRequested() const { return m_stopRequested.load(); }
    bool Finished() const { return m_finished.load(); }
    bool Terminated() const { return m_terminated.load(); }
    bool Exception() const { return m_exception.load(); }
    std::string ExceptionMessage() const;
    // Damage the last run went past; read once the run has ended.
    DamageReport Damage() const;

    // The outputs of the last run, written into part files beside their final names. They wait
    // for a verdict from the termination callback (which runs before the engine settles them):
    // KeepOutputs puts them under their final names, DiscardOutputs removes them. Outputs the
    // callback leaves waiting are kept when the run did not fail, removed when it did.
    std::vector<WrittenOutput> WrittenOutputs() const;
    // False with *error (may be null) when an output cannot be put in place; the outputs not
    // yet in place are then removed.
    bool KeepOutputs(std::string* error);
    void DiscardOutputs();
    bool JoinMode() const;

    // Expected duration in microseconds; -1 when unknown.
    int64_t TotalDuration() const;
    void SetReportIntervalUs(int64_t intervalUs) { m_reportIntervalUs.store(intervalUs); }
    int64_t ReportIntervalUs() const { return m_reportIntervalUs.load(); }
    // Threads each codec of the next run may use (0, the default, lets the codec library
    // choose: as many as the machine has). A host that runs several tasks at once gives each a
    // share, so the tasks do not pay for threads that only take turns on the same cores. Set
    // after Reset, which restores 0, and not while running.
    void SetCodecThreads(int count);

    // Preview flags; all engines change them under one process-wide lock.
    void SetPreview(bool on);
    void SetPreviewBitmap(bool on);
    bool Preview() const;
    bool PreviewBitmap() const;

    // Callbacks (set while not running).
    ProgressCallback onProgress;
    TerminateCallback onTerminate;
    CustomHookCallback onCustomHook;
    PreviewBitmapCallback onPreviewBitmap;

    // The pending settings (for the component and tests; controlling thread only).
    EngineSettings& Settings() { return *m_settings; }

private:
    friend class TranscodeSession;
    friend class TranscoderActions;

    void runTask();
    void giveTerminationNotice();
    // The default verdict on outputs still waiting after the termination notice.
    void settleOutputs();
    void recordException(const std::string& message);
    void closeTask();
    void joinThreads();
    // Waits until done() (read under m_stateMutex) holds; the main thread keeps running queued
    // main-thread calls meanwhile.
    void waitPumping(const std::function<bool()>& done);

    const int m_maxFiles;
    std::unique_ptr<EngineSettings> m_settings;
    std::unique_ptr<TranscodeSession> m_session;  // inputs, outputs, stream tables
    std::unique_ptr<OptionActions> m_actions;     // what the option table calls back

    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_terminated{false};
    std::atomic<bool> m_exception{false};
    DamageReport m_damage;  // guarded by m_stateMutex
    std::atomic<bool> m_threadMode{false};
    std::atomic<int64_t> m_reportIntervalUs{500000};

    mutable std::mutex m_stateMutex;
    std::string m_exceptionMessage;  // guarded by m_stateMutex

    // Run-finished event: true while no run is in progress. Guarded by m_stateMutex.
    bool m_runIdle = true;
    bool m_noticeIdle = true;  // no termination-notice thread is delivering
    std::condition_variable m_stateChanged;

    PauseGate m_pauseGate;
    TConvertThread m_worker;        // the task's worker thread (joined, never detached)
    TConvertThread m_noticeThread;  // delivers the notice of a task never started
    unsigned m_previewFlags = 0;    // bit 0 preview, bit 1 preview bitmap; global preview lock
};

// The engine as the converter component holds it: the task's index in the component's list and
// a copy of the option record given for each input and output slot. The records are opaque to
// the engine (the component stores its own record types, and a probe per input slot).
class TTranscoder : public TCustomTranscoder {
public:
    explicit TTranscoder(int maxFiles = 20);

    int TaskIndex = -1;
    std::vector<std::any> InputRecords;   // MaxFiles entries
    std::vector<std::any> OutputRecords;  // MaxFiles entries
    std::vector<std::any> InputProbes;    // MaxFiles entries, filled when first needed
};

}  // namespace velmora
