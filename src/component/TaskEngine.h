// The component's view of one task's engine.
//
// TMediaConverter drives every task through this interface: the real implementation forwards to
// TTranscoder (makeTranscoderTask); tests substitute an engine whose run they control, which keeps
// the scheduling tests fast and deterministic.
//
// Threads: the set-up calls (options, opening, callbacks) come from the component's main thread
// while the task is not running. start/stop/pause/resume and the state reads may come from any
// thread. Callbacks run on the thread that runs the task; the terminate callback also runs on the
// engine's own notice thread when a task that never started is stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Transcoder.h"

struct AVFormatContext;

namespace velmora {

class TaskEngine {
public:
    using ProgressCallback = std::function<void(const ProgressReport&)>;
    using TerminateCallback = std::function<void()>;
    using CustomHookCallback = std::function<void(HookFrame&)>;
    using PreviewBitmapCallback = std::function<void(const PreviewFrame&)>;

    virtual ~TaskEngine() = default;

    // --- set-up: main thread, not while running; failures raise TranscoderException ---

    // Restores every option default (only does something once the libraries are loaded).
    virtual void reset() = 0;
    virtual void setOption(const std::string& name, const std::string& value) = 0;
    virtual void setOptionText(const std::string& text, bool inputPass) = 0;
    // Target preset: type "vcd"/"svcd"/"dvd", norm "pal"/"ntsc"/"auto", the norm taken when the
    // automatic choice finds nothing ("pal"/"ntsc").
    virtual void applyTarget(const std::string& type, const std::string& norm,
                             const std::string& defaultNorm) = 0;
    virtual void setPreview(bool on) = 0;
    virtual void setPreviewBitmap(bool on) = 0;
    virtual void setReportIntervalUs(std::int64_t intervalUs) = 0;
    // Threads each codec of the run may use; 0 = automatic (see TCustomTranscoder). Engines
    // that run no codecs ignore it.
    virtual void setCodecThreads(int count) { static_cast<void>(count); }

    // False (or a negative count for outputs) with lastError() on failure.
    virtual bool openInput(const std::string& fileName) = 0;
    virtual int openOutput(const std::string& fileName, bool join) = 0;
    virtual std::string lastError() const = 0;
    virtual AVFormatContext* inputFormatContext(int fileIndex) const = 0;

    // An empty function disconnects.
    virtual void setOnProgress(ProgressCallback callback) = 0;
    virtual void setOnTerminate(TerminateCallback callback) = 0;
    virtual void setOnCustomHook(CustomHookCallback callback) = 0;
    virtual void setOnPreviewBitmap(PreviewBitmapCallback callback) = 0;

    // --- running ---

    // threadMode false: runs the task to its end on the calling thread. True: starts the worker.
    virtual void start(bool threadMode, ThreadPriority priority) = 0;
    virtual void stop(bool wait) = 0;
    virtual void stopOrTerminate(bool wait) = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;

    virtual bool finished() const = 0;
    virtual bool exception() const = 0;
    virtual std::string exceptionMessage() const = 0;
    // Damage the run went past (skipped packets, dropped streams); read once it has ended.
    virtual DamageReport damageReport() const { return {}; }

    // The outputs of the run waiting for their verdict (see TCustomTranscoder::WrittenOutputs):
    // read and decided in the terminate callback, before the engine settles them itself.
    virtual std::vector<WrittenOutput> writtenOutputs() const { return {}; }
    // False with *error when an output cannot be put under its final name.
    virtual bool keepOutputs(std::string* error) {
        static_cast<void>(error);
        return true;
    }
    virtual void discardOutputs() {}
};

using TaskEngineFactory = std::function<std::unique_ptr<TaskEngine>(int maxFiles)>;

// The real engine.
std::unique_ptr<TaskEngine> makeTranscoderTask(int maxFiles);

}  // namespace velmora
