#include "FakeEngine.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "engine/TranscoderException.h"
#include "medialib/MainThreadQueue.h"

namespace velmora::test {

using namespace std::chrono_literals;

TaskEngineFactory FakeEngineHub::factory() {
    return [this](int) -> std::unique_ptr<TaskEngine> {
        std::lock_guard lock(m_mutex);
        auto engine = std::make_unique<FakeEngine>(*this, static_cast<int>(m_engines.size()));
        m_engines.push_back(engine.get());
        return engine;
    };
}

FakeEngine& FakeEngineHub::engine(int index) {
    std::lock_guard lock(m_mutex);
    FakeEngine* engine = m_engines.at(static_cast<std::size_t>(index));
    if (engine == nullptr) {
        throw std::logic_error("fake engine " + std::to_string(index) + " was destroyed");
    }
    return *engine;
}

void FakeEngineHub::destroyed(int index) {
    std::lock_guard lock(m_mutex);
    m_engines.at(static_cast<std::size_t>(index)) = nullptr;
}

int FakeEngineHub::engineCount() {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_engines.size());
}

int FakeEngineHub::runningNow() {
    std::lock_guard lock(m_mutex);
    return m_running;
}

int FakeEngineHub::maxRunning() {
    std::lock_guard lock(m_mutex);
    return m_maxRunning;
}

std::vector<int> FakeEngineHub::startOrder() {
    std::lock_guard lock(m_mutex);
    return m_startOrder;
}

void FakeEngineHub::started(int index) {
    std::lock_guard lock(m_mutex);
    m_startOrder.push_back(index);
    m_maxRunning = std::max(m_maxRunning, ++m_running);
}

void FakeEngineHub::ended() {
    std::lock_guard lock(m_mutex);
    --m_running;
}

FakeEngine::~FakeEngine() {
    stop(true);
    if (m_worker.joinable()) {
        m_worker.join();
    }
    if (m_noticeThread.joinable()) {
        m_noticeThread.join();
    }
    m_hub.destroyed(m_index);
}

void FakeEngine::record(std::string call) {
    std::lock_guard lock(m_mutex);
    m_calls.push_back(std::move(call));
}

std::vector<std::string> FakeEngine::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

void FakeEngine::setOption(const std::string& name, const std::string& value) {
    if (name == "fail") {
        throw TranscoderException("Invalid value \"" + value + "\" for option \"fail\"");
    }
    record(name + "=" + value);
}

void FakeEngine::setOptionText(const std::string& text, bool inputPass) {
    if (text.rfind("fail=", 0) == 0) {
        setOption("fail", text.substr(5));
    }
    record(std::string("text:") + (inputPass ? "in:" : "out:") + text);
}

void FakeEngine::applyTarget(const std::string& type, const std::string& norm,
                             const std::string& defaultNorm) {
    record("target=" + type + "/" + norm + "/" + defaultNorm);
}

void FakeEngine::setPreview(bool on) {
    std::lock_guard lock(m_mutex);
    m_preview = on;
}

bool FakeEngine::previewOn() const {
    std::lock_guard lock(m_mutex);
    return m_preview;
}

void FakeEngine::setReportIntervalUs(std::int64_t intervalUs) {
    std::lock_guard lock(m_mutex);
    m_reportIntervalUs = intervalUs;
}

void FakeEngine::setCodecThreads(int count) {
    std::lock_guard lock(m_mutex);
    m_codecThreads = count;
}

int FakeEngine::codecThreads() const {
    std::lock_guard lock(m_mutex);
    return m_codecThreads;
}

std::int64_t FakeEngine::reportIntervalUs() const {
    std::lock_guard lock(m_mutex);
    return m_reportIntervalUs;
}

bool FakeEngine::hasCustomHook() const {
    return static_cast<bool>(m_onCustomHook);
}

HookFrame FakeEngine::offerHookFrame() {
    HookFrame frame;
    frame.frameNumber = 7;
    frame.pts = 280000;
    if (m_onCustomHook) {
        m_onCustomHook(frame);
    }
    return frame;
}

bool FakeEngine::openInput(const std::string& fileName) {
    record("open_input=" + fileName);
    if (fileName == m_hub.failingInput) {
        std::lock_guard lock(m_mutex);
        m_lastError = FakeEngineHub::kOpenError;
        return false;
    }
    return true;
}

int FakeEngine::openOutput(const std::string& fileName, bool join) {
    record("open_output=" + fileName + (join ? " join" : ""));
    std::lock_guard lock(m_mutex);
    return ++m_outputs;
}

std::string FakeEngine::lastError() const {
    std::lock_guard lock(m_mutex);
    return m_lastError;
}

std::string FakeEngine::exceptionMessage() const {
    std::lock_guard lock(m_mutex);
    return m_exceptionMessage;
}

bool FakeEngine::started() const {
    std::lock_guard lock(m_mutex);
    return m_started;
}

bool FakeEngine::paused() const {
    std::lock_guard lock(m_mutex);
    return m_paused;
}

void FakeEngine::finish() {
    std::lock_guard lock(m_mutex);
    m_finishRequested = true;
    m_changed.notify_all();
}

void FakeEngine::fail(const std::string& message) {
    std::lock_guard lock(m_mutex);
    m_exceptionMessage = message;
    m_exception = true;
    m_finishRequested = true;
    m_changed.notify_all();
}

void FakeEngine::start(bool threadMode, ThreadPriority) {
    {
        std::lock_guard lock(m_mutex);
        if (m_running || m_terminated) {
            return;
        }
        m_started = true;
        m_running = true;
        m_idle = false;
        if (!threadMode) {
            m_finishRequested = m_hub.mainRunFinishes;
        }
    }
    m_hub.started(m_index);
    if (!threadMode) {
        runBody();
        return;
    }
    m_worker = std::thread([this] { runBody(); });
}

void FakeEngine::runBody() {
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            // The pause gate: a paused task reports nothing until resumed or stopped.
            m_changed.wait(lock, [&] { return !m_paused || m_stopRequested; });
            if (m_stopRequested || m_finishRequested) {
                break;
            }
        }
        if (m_onProgress) {
            ProgressReport report;
            report.FileIndex = 0;
            report.CurrentDuration = 1000 * m_progressCount.load();
            report.TotalDuration = 5000000;
            m_onProgress(report);
        }
        ++m_progressCount;
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 2ms, [&] { return m_stopRequested || m_finishRequested; });
    }
    {
        std::lock_guard lock(m_mutex);
        m_finished = !m_stopRequested && !m_exception;
    }
    m_hub.ended();
    giveNotice();
    std::lock_guard lock(m_mutex);
    m_idle = true;
    m_changed.notify_all();
}

void FakeEngine::giveNotice() {
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
        m_terminated = true;
    }
    if (m_onTerminate) {
        m_onTerminate();
    }
}

void FakeEngine::waitIdle() {
    for (;;) {
        {
            std::unique_lock lock(m_mutex);
            if (m_idle) {
                return;
            }
            if (!IsMainThread()) {
                m_changed.wait(lock, [&] { return m_idle; });
                return;
            }
        }
        PumpMessagesFor(2ms);
    }
}

void FakeEngine::stop(bool wait) {
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
        m_paused = false;
        m_changed.notify_all();
    }
    if (wait) {
        waitIdle();
    }
}

void FakeEngine::stopOrTerminate(bool wait) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_running) {
            if (m_terminated || !m_idle) {
                return;
            }
            m_idle = false;
            m_noticeThread = std::thread([this] {
                giveNotice();
                std::lock_guard noticeLock(m_mutex);
                m_idle = true;
                m_changed.notify_all();
            });
            // Fall through to the wait below.
        }
    }
    std::unique_lock lock(m_mutex);
    if (m_running) {
        lock.unlock();
        stop(wait);
        return;
    }
    lock.unlock();
    if (wait) {
        waitIdle();
    }
}

void FakeEngine::pause() {
    std::lock_guard lock(m_mutex);
    if (m_running && !m_stopRequested) {
        m_paused = true;
    }
}

void FakeEngine::resume() {
    std::lock_guard lock(m_mutex);
    m_paused = false;
    m_changed.notify_all();
}

}  // namespace velmora::test
