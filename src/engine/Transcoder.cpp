#include "engine/Transcoder.h"

#include <algorithm>
#include <chrono>
#include <exception>

#include "engine/EngineSettings.h"
#include "engine/OptionParser.h"
#include "engine/TranscodeSession.h"
#include "engine/TranscoderException.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"

namespace velmora {

namespace {

// Guards the preview flags of every engine.
std::mutex& previewLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

// What the option table calls back into: stream creation, the opened inputs and the generic
// option store of this engine.
class TranscoderActions : public OptionActions {
public:
    explicit TranscoderActions(TCustomTranscoder& owner) : m_owner(owner) {}

    void openInputFile(const std::string& name) override {
        if (!m_owner.OpenInput(name)) {
            throw TranscoderException(m_owner.LastError());
        }
    }
    void openOutputFile(const std::string& name) override {
        if (m_owner.OpenOutput(name, false) < 0) {
            throw TranscoderException(m_owner.LastError());
        }
    }
    void newVideoStream() override { m_owner.NewVideoStream(); }
    void newAudioStream() override { m_owner.NewAudioStream(); }
    void newSubtitleStream() override { m_owner.NewSubtitleStream(); }
    int outputCount() const override { return m_owner.OutputFileCount(); }

    std::vector<AVRational> inputVideoTimeBases() const override {
        std::vector<AVRational> bases;
        for (const InputFile& file : m_owner.m_session->inputs()) {
            for (unsigned i = 0; i < file.context->nb_streams; ++i) {
                const AVStream* stream = file.context->streams[i];
                if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) {
                    continue;
                }
                const AVRational rate = stream->r_frame_rate;
                bases.push_back(rate.num > 0 && rate.den > 0 ? av_inv_q(rate) : stream->time_base);
            }
        }
        return bases;
    }

    bool setGenericOption(const std::string& name, const std::string& value) override {
        return m_owner.m_session->genericOptions().set(name, value);
    }
    std::optional<std::string> codecOptionValue(AVMediaType kind,
                                                const std::string& name) const override {
        return m_owner.m_session->genericOptions().codecValue(kind, name);
    }
    const void* logSender() const override { return &m_owner; }

private:
    TCustomTranscoder& m_owner;
};

TCustomTranscoder::TCustomTranscoder(int maxFiles)
    : m_maxFiles(std::clamp(maxFiles, 1, 512)),
      m_settings(std::make_unique<EngineSettings>()),
      m_session(std::make_unique<TranscodeSession>(*this)),
      m_actions(std::make_unique<TranscoderActions>(*this)) {}

namespace {

bool librariesLoaded() {
    return TMediaLibLoader::instance().LibraryLoaded(MediaLibrary::avformat) &&
           TMediaLibLoader::instance().LibraryLoaded(MediaLibrary::avcodec);
}

}  // namespace

TCustomTranscoder::~TCustomTranscoder() {
    Stop(true);
    joinThreads();
    if (librariesLoaded()) {
        closeTask();
    } else {
        // Nothing can be freed once the libraries are gone; leaking beats calling into them.
        static_cast<void>(m_session.release());
    }
}

void TCustomTranscoder::SetOption(const std::string& name, const std::string& value) {
    SetEngineOption(*m_settings, *m_actions, name, value);
}

void TCustomTranscoder::SetOptionText(const std::string& text, bool inputPass) {
    ApplyOptionText(*m_settings, *m_actions, text,
                    inputPass ? OptionPass::Input : OptionPass::Output);
}

bool TCustomTranscoder::OpenInput(const std::string& fileName) {
    if (InputFileCount() >= m_maxFiles) {
        m_session->setLastError(FormatText("max input files %d reached", m_maxFiles));
        return false;
    }
    try {
        return m_session->openInput(fileName, *m_settings);
    } catch (const TranscoderException& error) {
        m_session->setLastError(error.what());
        return false;
    }
}

int TCustomTranscoder::OpenOutput(const std::string& fileName, bool join) {
    if (OutputFileCount() >= m_maxFiles) {
        m_session->setLastError(FormatText("max output files %d reached", m_maxFiles));
        return -1;
    }
    try {
        return m_session->openOutput(fileName, join, *m_settings);
    } catch (const TranscoderException& error) {
        m_session->setLastError(error.what());
        return -1;
    }
}

void TCustomTranscoder::NewVideoStream() {
    m_session->newStream(AVMEDIA_TYPE_VIDEO, *m_settings);
}

void TCustomTranscoder::NewAudioStream() {
    m_session->newStream(AVMEDIA_TYPE_AUDIO, *m_settings);
}

void TCustomTranscoder::NewSubtitleStream() {
    m_session->newStream(AVMEDIA_TYPE_SUBTITLE, *m_settings);
}

std::string TCustomTranscoder::LastError() const {
    return m_session->lastError();
}

int TCustomTranscoder::InputFileCount() const {
    return static_cast<int>(m_session->inputs().size());
}

int TCustomTranscoder::OutputFileCount() const {
    return static_cast<int>(m_session->outputs().size());
}

AVFormatContext* TCustomTranscoder::InputFormatContext(int fileIndex) const {
    const auto& inputs = m_session->inputs();
    if (fileIndex < 0 || fileIndex >= static_cast<int>(inputs.size())) {
        return nullptr;
    }
    return inputs[fileIndex].context.get();
}

bool TCustomTranscoder::JoinMode() const {
    return m_session->joinMode();
}

int64_t TCustomTranscoder::TotalDuration() const {
    return m_settings->totalDurationUs;
}

std::string TCustomTranscoder::ExceptionMessage() const {
    std::lock_guard lock(m_stateMutex);
    return m_exceptionMessage;
}

DamageReport TCustomTranscoder::Damage() const {
    std::lock_guard lock(m_stateMutex);
    return m_damage;
}

std::vector<WrittenOutput> TCustomTranscoder::WrittenOutputs() const {
    return m_session->writtenOutputs();
}

bool TCustomTranscoder::KeepOutputs(std::string* error) {
    std::string text;
    if (m_session->keepOutputs(&text)) {
        return true;
    }
    m_session->discardOutputs();
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

void TCustomTranscoder::DiscardOutputs() {
    m_session->discardOutputs();
}

void TCustomTranscoder::settleOutputs() {
    if (!m_session->hasOutputsWaiting()) {
        return;
    }
    if (m_exception.load()) {
        DiscardOutputs();
        return;
    }
    std::string error;
    if (!KeepOutputs(&error)) {
        recordException(error);
    }
}

void TCustomTranscoder::recordException(const std::string& message) {
    Logger().Log(this, TLogLevel::llQuiet, message);
    {
        std::lock_guard lock(m_stateMutex);
        m_exceptionMessage = message;
    }
    m_exception.store(true);
}

bool TCustomTranscoder::Start(bool threadMode, ThreadPriority priority) {
    if (m_running.load() || m_terminated.load()) {
        return false;
    }
    joinThreads();
    const char* missing = nullptr;
    if (m_session->outputs().empty()) {
        missing = "At least one output file must be specified";
    } else if (m_session->inputs().empty()) {
        missing = "At least one input file must be specified";
    }
    if (missing != nullptr) {
        closeTask();
        recordException(missing);
        giveTerminationNotice();
        return false;
    }
    m_running.store(true);
    m_stopRequested.store(false);
    m_finished.store(false);
    m_terminated.store(false);
    m_pauseGate.rearm();
    m_threadMode.store(threadMode);
    if (!threadMode) {
        runTask();
        return false;
    }
    {
        // The run-finished event is reset before the thread exists, so a Stop(true) right
        // after Start waits for this run.
        std::lock_guard lock(m_stateMutex);
        m_runIdle = false;
    }
    m_worker = TConvertThread(priority, [this] {
        runTask();
        {
            std::lock_guard lock(m_stateMutex);
            m_runIdle = true;
        }
        m_stateChanged.notify_all();
        // A main-thread Stop(true) waits pumping the main-thread queue.
        WakeMainThread();
    });
    return true;
}

void TCustomTranscoder::runTask() {
    m_finished.store(false);
    {
        std::lock_guard lock(m_stateMutex);
        m_damage = DamageReport{};
    }
    try {
        m_session->transcode(*m_settings);
        m_finished.store(!m_stopRequested.load());
    } catch (const std::exception& error) {
        // Library and memory failures end the task like the engine's own errors.
        recordException(error.what());
    }
    {
        // Taken before the task is closed, which forgets it.
        std::lock_guard lock(m_stateMutex);
        m_damage = m_session->damage();
    }
    try {
        m_session->closeCodecs();
    } catch (const std::exception& error) {
        recordException(error.what());
    }
    try {
        closeTask();
    } catch (const std::exception& error) {
        recordException(error.what());
    }
    try {
        giveTerminationNotice();
    } catch (const std::exception& error) {
        recordException(error.what());
    }
    try {
        settleOutputs();
    } catch (const std::exception& error) {
        recordException(error.what());
        m_session->discardOutputs();
    }
}

void TCustomTranscoder::giveTerminationNotice() {
    m_running.store(false);
    m_terminated.store(true);
    if (onTerminate) {
        onTerminate(*this);
    }
}

void TCustomTranscoder::closeTask() {
    if (!librariesLoaded()) {
        return;
    }
    m_session->closeCodecs();
    m_session->close();
}

void TCustomTranscoder::waitPumping(const std::function<bool()>& done) {
    while (true) {
        {
            std::unique_lock lock(m_stateMutex);
            if (done()) {
                return;
            }
            if (!IsMainThread()) {
                m_stateChanged.wait(lock, done);
                return;
            }
        }
        // The worker may be waiting for the main thread (progress marshalled to it).
        PumpMessagesFor(std::chrono::milliseconds(20));
    }
}

void TCustomTranscoder::joinThreads() {
    if (m_worker.joinable() && !m_worker.isCurrentThread()) {
        waitPumping([this] { return m_runIdle; });
        m_worker.join();
    }
    if (m_noticeThread.joinable() && !m_noticeThread.isCurrentThread()) {
        waitPumping([this] { return m_noticeIdle; });
        m_noticeThread.join();
    }
}

void TCustomTranscoder::Stop(bool wait) {
    m_stopRequested.store(true);
    // A paused task must see the request.
    m_pauseGate.release();
    if (!wait || !m_worker.joinable() || m_worker.isCurrentThread()) {
        return;
    }
    waitPumping([this] { return m_runIdle; });
    m_worker.join();
}

void TCustomTranscoder::StopOrTerminate(bool wait) {
    if (m_running.load()) {
        Stop(wait);
        return;
    }
    if (m_terminated.load()) {
        return;
    }
    bool start = false;
    {
        std::lock_guard lock(m_stateMutex);
        if (m_noticeIdle && !m_noticeThread.joinable()) {
            m_noticeIdle = false;
            start = true;
        }
    }
    if (start) {
        m_noticeThread = TConvertThread(ThreadPriority::normal, [this] {
            try {
                giveTerminationNotice();
            } catch (const std::exception& error) {
                recordException(error.what());
            }
            {
                std::lock_guard lock(m_stateMutex);
                m_noticeIdle = true;
            }
            m_stateChanged.notify_all();
            WakeMainThread();
        });
    }
    if (wait && !m_noticeThread.isCurrentThread()) {
        waitPumping([this] { return m_noticeIdle; });
    }
}

void TCustomTranscoder::Pause() {
    if (m_running.load() && m_threadMode.load()) {
        m_pauseGate.pause();
    }
}

void TCustomTranscoder::Resume() {
    m_pauseGate.resume();
}

bool TCustomTranscoder::Paused() const {
    return m_pauseGate.paused();
}

void TCustomTranscoder::Reset() {
    if (m_running.load()) {
        Stop(true);
    }
    joinThreads();
    if (librariesLoaded()) {
        closeTask();
        m_session->genericOptions().clear();
    }
    m_settings->reset();
    m_running.store(false);
    m_stopRequested.store(false);
    m_finished.store(false);
    m_terminated.store(false);
    m_exception.store(false);
    std::lock_guard lock(m_stateMutex);
    m_exceptionMessage.clear();
    m_damage = DamageReport{};
    m_session->setLastError("");
}

void TCustomTranscoder::SetCodecThreads(int count) {
    m_settings->codecThreads = std::max(0, count);
}

void TCustomTranscoder::SetPreview(bool on) {
    std::lock_guard lock(previewLock());
    m_previewFlags = on ? (m_previewFlags | 1u) : (m_previewFlags & ~1u);
}

void TCustomTranscoder::SetPreviewBitmap(bool on) {
    std::lock_guard lock(previewLock());
    m_previewFlags = on ? (m_previewFlags | 2u) : (m_previewFlags & ~2u);
}

bool TCustomTranscoder::Preview() const {
    std::lock_guard lock(previewLock());
    return (m_previewFlags & 1u) != 0;
}

bool TCustomTranscoder::PreviewBitmap() const {
    std::lock_guard lock(previewLock());
    return (m_previewFlags & 2u) != 0;
}

TTranscoder::TTranscoder(int maxFiles)
    : TCustomTranscoder(maxFiles),
      InputRecords(MaxFiles()),
      OutputRecords(MaxFiles()),
      InputProbes(MaxFiles()) {}

}  // namespace velmora
