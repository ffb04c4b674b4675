// TaskEngine over the real engine.
#include "component/TaskEngine.h"
#include "medialib/MediaLibLoader.h"

namespace velmora {
namespace {

// The target preset with the component's default norm. Engines without ApplyTarget only offer
// the option table's "target", whose default norm is "ntsc".
template <typename Engine>
void applyTargetPreset(Engine& engine, const std::string& value, const std::string& defaultNorm) {
    if constexpr (requires { engine.ApplyTarget(value, defaultNorm); }) {
        engine.ApplyTarget(value, defaultNorm);
    } else {
        engine.SetOption("target", value);
    }
}

class TranscoderTask final : public TaskEngine {
public:
    explicit TranscoderTask(int maxFiles) : m_engine(maxFiles) {}

    void reset() override {
        if (TMediaLibLoader::instance().LibrariesLoaded(kConverterSet)) {
            m_engine.Reset();
        }
    }
    void setOption(const std::string& name, const std::string& value) override {
        m_engine.SetOption(name, value);
    }
    void setOptionText(const std::string& text, bool inputPass) override {
        m_engine.SetOptionText(text, inputPass);
    }
    void applyTarget(const std::string& type, const std::string& norm,
                     const std::string& defaultNorm) override {
        applyTargetPreset(m_engine, norm == "auto" ? type : norm + "-" + type, defaultNorm);
    }
    void setPreview(bool on) override { m_engine.SetPreview(on); }
    void setPreviewBitmap(bool on) override { m_engine.SetPreviewBitmap(on); }
    void setReportIntervalUs(std::int64_t intervalUs) override {
        m_engine.SetReportIntervalUs(intervalUs);
    }
    void setCodecThreads(int count) override { m_engine.SetCodecThreads(count); }

    bool openInput(const std::string& fileName) override { return m_engine.OpenInput(fileName); }
    int openOutput(const std::string& fileName, bool join) override {
        return m_engine.OpenOutput(fileName, join);
    }
    std::string lastError() const override { return m_engine.LastError(); }
    AVFormatContext* inputFormatContext(int fileIndex) const override {
        return m_engine.InputFormatContext(fileIndex);
    }

    void setOnProgress(ProgressCallback callback) override {
        if (!callback) {
            m_engine.onProgress = nullptr;
            return;
        }
        m_engine.onProgress = [cb = std::move(callback)](
                                  TCustomTranscoder&, const ProgressReport& report) { cb(report); };
    }
    void setOnTerminate(TerminateCallback callback) override {
        if (!callback) {
            m_engine.onTerminate = nullptr;
            return;
        }
        m_engine.onTerminate = [cb = std::move(callback)](TCustomTranscoder&) { cb(); };
    }
    void setOnCustomHook(CustomHookCallback callback) override {
        if (!callback) {
            m_engine.onCustomHook = nullptr;
            return;
        }
        m_engine.onCustomHook = [cb = std::move(callback)](TCustomTranscoder&, HookFrame& frame) {
            cb(frame);
        };
    }
    void setOnPreviewBitmap(PreviewBitmapCallback callback) override {
        if (!callback) {
            m_engine.onPreviewBitmap = nullptr;
            return;
        }
        m_engine.onPreviewBitmap = [cb = std::move(callback)](TCustomTranscoder&,
                                                              const PreviewFrame& frame) {
            cb(frame);
        };
    }

    void start(bool threadMode, ThreadPriority priority) override {
        m_engine.Start(threadMode, priority);
    }
    void stop(bool wait) override { m_engine.Stop(wait); }
    void stopOrTerminate(bool wait) override { m_engine.StopOrTerminate(wait); }
    void pause() override { m_engine.Pause(); }
    void resume() override { m_engine.Resume(); }

    bool finished() const override { return m_engine.Finished(); }
    bool exception() const override { return m_engine.Exception(); }
    std::string exceptionMessage() const override { return m_engine.ExceptionMessage(); }
    DamageReport damageReport() const override { return m_engine.Damage(); }
    std::vector<WrittenOutput> writtenOutputs() const override { return m_engine.WrittenOutputs(); }
    bool keepOutputs(std::string* error) override { return m_engine.KeepOutputs(error); }
    void discardOutputs() override { m_engine.DiscardOutputs(); }

private:
    TTranscoder m_engine;
};

}  // namespace

std::unique_ptr<TaskEngine> makeTranscoderTask(int maxFiles) {
    return std::make_unique<TranscoderTask>(maxFiles);
}

}  // namespace velmora
