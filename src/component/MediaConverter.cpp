#include "component/MediaConverter.h"

#include <algorithm>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <utility>

#include "component/CodecThreadShare.h"
#include "component/TaskEndSettlement.h"
#include "engine/OptionParser.h"
#include "engine/TranscoderException.h"
#include "medialib/Bitmap.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"
#include "probe/MediaProbe.h"

namespace velmora {
namespace {

// Microseconds as a duration text ("-1.500000") for "ss" and "t".
std::string durationText(std::int64_t us) {
    const bool negative = us < 0;
    // Work in unsigned so the most negative value does not overflow.
    const std::uint64_t magnitude =
        negative ? static_cast<std::uint64_t>(-(us + 1)) + 1 : static_cast<std::uint64_t>(us);
    char text[40];
    std::snprintf(text, sizeof text, "%s%" PRIu64 ".%06" PRIu64, negative ? "-" : "",
                  magnitude / 1000000, magnitude % 1000000);
    return text;
}

// The record time stamp as a UTC date text for option "timestamp", or empty for none.
// timestamp: local date-time in days since 1899-12-30; 0 means now, negative none.
std::string timestampText(double timestamp) {
    if (timestamp < 0.0 || !std::isfinite(timestamp)) {
        return {};
    }
    std::time_t utc = 0;
    if (timestamp == 0.0) {
        utc = std::time(nullptr);
    } else {
        // Spell the local date-time out as fields, then let the C library apply the time zone
        // (including daylight saving) that was in force at that date.
        const auto localSeconds =
            static_cast<std::time_t>(std::llround((timestamp - 25569.0) * 86400.0));
        std::tm fields{};
        if (gmtime_r(&localSeconds, &fields) == nullptr) {
            return {};
        }
        fields.tm_isdst = -1;
        utc = std::mktime(&fields);
    }
    std::tm out{};
    if (gmtime_r(&utc, &out) == nullptr) {
        return {};
    }
    char text[48];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%SZ", &out);
    return text;
}

// Names of ExtOptions lines that give stream defaults and feed the extra streams.
bool isStreamDefaultName(const std::string& name) {
    static const char* const kNames[] = {"acodec", "vcodec", "scodec",   "apre", "vpre",
                                         "spre",   "s",      "vfilters", "vf"};
    for (const char* candidate : kNames) {
        if (name == candidate) {
            return true;
        }
    }
    return false;
}

const char* normText(std::int32_t norm) {
    switch (norm) {
        case 1:
            return "pal";
        case 2:
            return "ntsc";
        default:
            return "auto";
    }
}

}  // namespace

TCustomMediaConverter::TCustomMediaConverter(TaskEngineFactory factory)
    : m_factory(factory ? std::move(factory) : TaskEngineFactory(makeTranscoderTask)),
      m_mediaProbe(std::make_unique<TMediaProbe>()) {}

TCustomMediaConverter::~TCustomMediaConverter() {
    {
        std::lock_guard lock(m_handlerMutex);
        m_onCustomHook = nullptr;
        m_onPreviewBitmap = nullptr;
        m_onProgress = nullptr;
        m_onTerminate = nullptr;
    }
    {
        std::lock_guard lock(m_noticeMutex);
        m_detached = true;
    }
    {
        std::lock_guard lock(m_terminateLock);
        m_remaining = 0;
    }
    // Waiting pumps main-thread calls, which may clear the list: walk a copy.
    ++m_walkDepth;
    for (TaskEngine* engine : engines()) {
        engine->stop(true);
    }
    --m_walkDepth;
    std::vector<std::unique_ptr<ConverterTask>> doomed;
    {
        std::lock_guard lock(m_terminateLock);
        doomed = m_tasks.TakeAll();
    }
    doomed.clear();
    releaseGraveyard();
    waitForNotices();
}

// --- properties ---

void TCustomMediaConverter::SetPreview(bool value) {
    m_preview = value;
    for (const auto& task : m_tasks) {
        task->engine->setPreview(value);
    }
}

void TCustomMediaConverter::SetPreviewBitmap(bool value) {
    m_previewBitmap = value;
    for (const auto& task : m_tasks) {
        task->engine->setPreviewBitmap(value);
    }
}

void TCustomMediaConverter::SetProgressInterval(int intervalMs) {
    m_progressIntervalMs.store(intervalMs < kMinProgressIntervalMs ? kMinProgressIntervalMs
                                                                   : intervalMs);
}

void TCustomMediaConverter::SetOnCustomHook(TCustomHookEvent handler) {
    std::lock_guard lock(m_handlerMutex);
    m_onCustomHook = std::move(handler);
}

void TCustomMediaConverter::SetOnPreviewBitmap(TPreviewBitmapEvent handler) {
    std::lock_guard lock(m_handlerMutex);
    m_onPreviewBitmap = std::move(handler);
}

void TCustomMediaConverter::SetOnProgress(TProgressEvent handler) {
    std::lock_guard lock(m_handlerMutex);
    m_onProgress = std::move(handler);
}

void TCustomMediaConverter::SetOnTerminate(TTerminateEvent handler) {
    std::lock_guard lock(m_handlerMutex);
    m_onTerminate = std::move(handler);
}

bool TCustomMediaConverter::Working() const {
    std::lock_guard lock(m_terminateLock);
    return m_working;
}

bool TCustomMediaConverter::AllDone() const {
    std::lock_guard lock(m_terminateLock);
    return m_allDone;
}

// --- libraries ---

bool TCustomMediaConverter::LoadAVLib(const std::string& folder) {
    auto& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath(folder);
    const bool loaded = loader.LoadLibraries(kConverterSet);
    if (!loaded) {
        m_lastErrMsg = loader.LastError();
    }
    return loaded;
}

bool TCustomMediaConverter::AVLibLoaded() const {
    return TMediaLibLoader::instance().LibrariesLoaded(kConverterSet);
}

// --- building tasks ---

void TCustomMediaConverter::busyGuard(const char* operation) const {
    std::lock_guard lock(m_terminateLock);
    if (m_working) {
        throw ConverterBusyError(std::string("Cannot ") + operation + " while working.");
    }
}

int TCustomMediaConverter::AddTask(const std::string& fileName, const TInputOptions* inputOptions) {
    busyGuard("AddTask");
    auto task = std::make_unique<ConverterTask>();
    try {
        task->engine = m_factory(kMaxFiles);
        TaskEngine& engine = *task->engine;
        engine.reset();
        engine.setOption("v", std::to_string(m_initialVerbosity));
        engine.setPreview(m_preview);
        engine.setPreviewBitmap(m_previewBitmap);
        ConverterTask* raw = task.get();
        engine.setOnPreviewBitmap(
            [this, raw](const PreviewFrame& frame) { doPreviewBitmap(*raw, frame); });

        if (inputOptions != nullptr) {
            TInputOptions record = *inputOptions;
            if (record.FileName.empty()) {
                record.FileName = fileName;
            }
            task->inputs.push_back(record);
            engine.setOptionText(record.ExtOptions, true);
            if (!record.ForceFormat.empty()) {
                engine.setOption("f", record.ForceFormat);
            }
            if (record.StartTime != kNoTime) {
                engine.setOption("ss", durationText(record.StartTime));
            }
            if (record.ProgramID >= 0) {
                engine.setOption("programid", std::to_string(record.ProgramID));
            }
        } else {
            task->inputs.emplace_back();
            task->inputs.back().FileName = fileName;
        }

        if (!engine.openInput(fileName)) {
            m_lastErrMsg = engine.lastError();
            return -1;
        }
        // Describe the opened input; without the libraries (a test engine) there is none.
        auto probe = std::make_unique<TMediaProbe>();
        if (AVFormatContext* context = engine.inputFormatContext(0)) {
            probe->Attach(context);
        }
        task->probes.push_back(std::move(probe));

        engine.setOnProgress(
            [this, raw](const ProgressReport& report) { doProgress(*raw, report); });
        engine.setOnTerminate([this, raw] { doTerminate(*raw); });
    } catch (const TranscoderException& e) {
        m_lastErrMsg = e.what();
        return -1;
    }
    std::lock_guard lock(m_terminateLock);
    task->index = m_tasks.Count();
    m_tasks.Add(std::move(task));
    return m_tasks.Count() - 1;
}

bool TCustomMediaConverter::SetOutputFile(int taskIndex, const std::string& fileName,
                                          const TOutputOptions* outputOptions) {
    busyGuard("SetOutputFile");
    ConverterTask& task = m_tasks.At(taskIndex);
    if (static_cast<int>(task.outputs.size()) >= kMaxFiles) {
        m_lastErrMsg = "max output files " + std::to_string(kMaxFiles) + " reached";
        return false;
    }
    TaskEngine& engine = *task.engine;
    try {
        TOutputOptions record;
        bool join = false;
        // Every stream-default line of ExtOptions in order, and the default of each name (the
        // record's field, else the first such line).
        std::vector<std::pair<std::string, std::string>> entries;
        std::map<std::string, std::string> defaults;
        std::vector<OptionLine> lines;

        if (outputOptions != nullptr) {
            record = *outputOptions;
            if (record.FileName.empty()) {
                record.FileName = fileName;
            }
            defaults = {{"acodec", record.AudioCodec},    {"vcodec", record.VideoCodec},
                        {"scodec", record.SubtitleCodec}, {"apre", record.AudioPreset},
                        {"vpre", record.VideoPreset},     {"spre", record.SubtitlePreset},
                        {"s", record.FrameSize},          {"vf", record.VideoFilters}};
            lines = SplitOptionText(record.ExtOptions);
            for (const OptionLine& line : lines) {
                if (!isStreamDefaultName(line.name) || line.value.empty()) {
                    continue;
                }
                const std::string name = line.name == "vfilters" ? "vf" : line.name;
                if (defaults[name].empty()) {
                    defaults[name] = line.value;
                }
                entries.emplace_back(name, line.value);
            }

            if (record.Target >= 1 && record.Target <= 3) {
                static const char* const kTargets[] = {"vcd", "svcd", "dvd"};
                engine.applyTarget(kTargets[record.Target - 1], normText(record.TargetNorm),
                                   record.TargetDefaultNorm == 1 ? "pal" : "ntsc");
            }
            for (const char* name : {"acodec", "vcodec", "scodec", "apre", "vpre", "spre"}) {
                if (!defaults[name].empty()) {
                    engine.setOption(name, defaults[name]);
                }
            }
            engine.setOptionText(record.ExtOptions, false);
            applyOutputRecord(engine, record);
            for (const char* name : {"s", "vf"}) {
                if (!defaults[name].empty()) {
                    engine.setOption(name, defaults[name]);
                }
            }
            if (record.CustomHook) {
                ConverterTask* raw = &task;
                engine.setOnCustomHook(
                    [this, raw](HookFrame& frame) { doCustomHook(*raw, frame); });
            }
            join = record.Join;
        } else {
            record.FileName = fileName;
        }

        if (engine.openOutput(fileName, join) < 0) {
            m_lastErrMsg = engine.lastError();
            return false;
        }

        // Extra streams: each "new..." line takes the next unused value of each of its names,
        // in the order the lines gave them, and the default once they are used up.
        auto takeValue = [&](const std::string& name) {
            for (auto it = entries.begin(); it != entries.end(); ++it) {
                if (it->first == name) {
                    std::string value = std::move(it->second);
                    entries.erase(it);
                    return value;
                }
            }
            return defaults[name];
        };
        for (const OptionLine& line : lines) {
            std::vector<const char*> names;
            if (line.name == "newaudio") {
                names = {"acodec", "apre"};
            } else if (line.name == "newvideo") {
                names = {"vcodec", "vpre", "s", "vf"};
            } else if (line.name == "newsubtitle") {
                names = {"scodec", "spre"};
            } else {
                continue;
            }
            for (const char* name : names) {
                const std::string value = takeValue(name);
                if (!value.empty()) {
                    engine.setOption(name, value);
                }
            }
            engine.setOption(line.name, line.value);
        }
        task.outputs.push_back(std::move(record));
        return true;
    } catch (const TranscoderException& e) {
        m_lastErrMsg = e.what();
        return false;
    }
}

void TCustomMediaConverter::applyOutputRecord(TaskEngine& engine, const TOutputOptions& r) {
    auto text = [&](const char* name, const std::string& value) {
        if (!value.empty()) {
            engine.setOption(name, value);
        }
    };
    auto positive = [&](const char* name, std::int32_t value) {
        if (value > 0) {
            engine.setOption(name, std::to_string(value));
        }
    };
    auto seconds = [&](const char* name, float value) {
        if (value > 0.0f) {
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
            engine.setOption(name, buffer);
        }
    };
    auto flag = [&](const char* name, bool value) {
        if (value) {
            engine.setOption(name, "1");
        }
    };

    text("f", r.FileFormat);
    positive("packetsize", r.PacketSize);
    positive("muxrate", r.MuxRate);
    seconds("muxdelay", r.MuxDelay);
    seconds("muxpreload", r.MuxPreload);
    flag("an", r.DisableAudio);
    if (r.AudioVolume >= 0) {
        engine.setOption("vol", std::to_string(r.AudioVolume));
    }
    positive("ac", r.AudioChannels);
    positive("ar", r.AudioSampleRate);
    positive("ab", r.AudioBitrate);
    positive("abt", r.AudioBitrateTolerance);
    text("alang", r.AudioLanguage);
    engine.setOption("async", std::to_string(r.AudioSync));
    text("atag", r.AudioTag);
    flag("vn", r.DisableVideo);
    text("r", r.FrameRate);
    text("aspect", r.AspectRatio);
    positive("croptop", r.CropTop);
    positive("cropbottom", r.CropBottom);
    positive("cropleft", r.CropLeft);
    positive("cropright", r.CropRight);
    positive("g", r.GOPSize);
    positive("vb", r.VideoBitrate);
    positive("maxrate", r.MaxRate);
    positive("minrate", r.MinRate);
    positive("bt", r.VideoBitrateTolerance);
    positive("bufsize", r.BufSize);
    engine.setOption("vsync", std::to_string(r.VideoSync));
    text("vtag", r.VideoTag);
    text("vlang", r.VideoLanguage);
    flag("sn", r.DisableSubtitle);
    text("slang", r.SubtitleLanguage);
    flag("isync", r.InputSync);
    flag("copyts", r.CopyTS);
    if (r.StartTime != kNoTime) {
        engine.setOption("ss", durationText(r.StartTime));
    }
    if (r.RecordingTime != kNoTime) {
        engine.setOption("t", durationText(r.RecordingTime));
    }
    text("timestamp", timestampText(r.Metadata.Timestamp));
    const TStreamInfo& m = r.Metadata;
    if (m.Year > 0) {
        engine.setOption("metadata", "year=" + std::to_string(m.Year));
    }
    if (m.Track > 0) {
        engine.setOption("metadata", "track=" + std::to_string(m.Track));
    }
    const std::pair<const char*, const std::string*> strings[] = {
        {"title", &m.Title},     {"author", &m.Author}, {"copyright", &m.Copyright},
        {"comment", &m.Comment}, {"album", &m.Album},   {"genre", &m.Genre}};
    for (const auto& [key, value] : strings) {
        if (!value->empty()) {
            engine.setOption("metadata", std::string(key) + "=" + *value);
        }
    }
}

void TCustomMediaConverter::RemoveTask(int taskIndex) {
    busyGuard("RemoveTask");
    // An idle task has no threads, so it can go under the lock.
    std::lock_guard lock(m_terminateLock);
    m_tasks.Delete(taskIndex);
}

void TCustomMediaConverter::ClearTasks() {
    std::vector<std::unique_ptr<ConverterTask>> doomed;
    {
        std::lock_guard lock(m_terminateLock);
        if (m_working && !m_allDone) {
            throw ConverterBusyError("Cannot ClearTasks while working.");
        }
        doomed = m_tasks.TakeAll();
        m_finishedCount = 0;
        m_nextTask = -1;
        m_remaining = 0;
        m_allDone = false;
        m_threadMode = false;
        m_working = false;
        m_paused = false;
    }
    m_lastErrMsg.clear();
    if (m_walkDepth > 0) {
        // Called from a pump inside StopTasks or a main-thread run: those still hold the tasks.
        for (auto& task : doomed) {
            m_graveyard.push_back(std::move(task));
        }
    }
    doomed.clear();
    std::lock_guard lock(m_noticeMutex);
    reapNoticesLocked();
}

void TCustomMediaConverter::releaseGraveyard() {
    if (m_walkDepth == 0) {
        auto doomed = std::move(m_graveyard);
        m_graveyard.clear();
    }
}

std::vector<TaskEngine*> TCustomMediaConverter::engines() const {
    std::vector<TaskEngine*> result;
    for (const auto& task : m_tasks) {
        result.push_back(task->engine.get());
    }
    return result;
}

AVFormatContext* TCustomMediaConverter::InputFormatContext(int taskIndex, int fileIndex) const {
    return m_tasks.At(taskIndex).engine->inputFormatContext(fileIndex);
}

// --- running ---

ConverterTask* TCustomMediaConverter::takeNextTaskLocked() {
    if (m_remaining <= 0 || m_nextTask < 0 || m_nextTask >= m_tasks.Count()) {
        return nullptr;
    }
    --m_remaining;
    ConverterTask& task = m_tasks.At(m_nextTask++);
    task.engine->setOption("v", std::to_string(m_initialVerbosity));
    task.engine->setReportIntervalUs(std::int64_t{m_progressIntervalMs.load()} * 1000);
    task.engine->setCodecThreads(m_codecThreads);
    return &task;
}

void TCustomMediaConverter::startNextTaskLocked() {
    ConverterTask* task = takeNextTaskLocked();
    if (task == nullptr) {
        return;
    }
    task->engine->start(true, m_threadPriority);
    // A task started while the run is paused joins the pause.
    if (m_paused) {
        task->engine->pause();
    }
}

void TCustomMediaConverter::StartTask(int count) {
    busyGuard("StartTask");
    std::unique_lock lock(m_terminateLock);
    {
        std::lock_guard noticeLock(m_noticeMutex);
        reapNoticesLocked();
    }
    if (m_tasks.Count() == 0) {
        // Nothing to run: stay idle and give no notice.
        return;
    }
    int index = 0;
    for (const auto& task : m_tasks) {
        task->index = index++;
    }
    m_finishedCount = 0;
    m_nextTask = 0;
    m_remaining = m_tasks.Count();
    m_allDone = false;
    m_threadMode = count > 0;
    m_codecThreads =
        m_threadMode ? CodecThreadsPerTask(std::min(count, m_tasks.Count()), AvailableCores()) : 0;
    m_working = true;
    m_paused = false;

    if (m_threadMode) {
        // The lock is held throughout, so tasks that end meanwhile start their successors only
        // after this loop: never more than count run at once.
        while (m_remaining > 0 && count > 0) {
            startNextTaskLocked();
            --count;
        }
        return;
    }

    // Main-thread mode: the lock is released while a task runs, so that notices of tasks
    // stopped meanwhile (given on the engine's own thread) can get it.
    m_inMainRun = true;
    ++m_walkDepth;
    while (ConverterTask* task = takeNextTaskLocked()) {
        lock.unlock();
        task->engine->start(false, m_threadPriority);
        lock.lock();
    }
    m_inMainRun = false;
    if (m_working && !m_allDone && m_finishedCount >= m_tasks.Count()) {
        allDoneLocked();
    }
    --m_walkDepth;
    lock.unlock();
    releaseGraveyard();
}

void TCustomMediaConverter::PauseTasks() {
    {
        std::lock_guard lock(m_terminateLock);
        if (!m_threadMode || !m_working) {
            return;
        }
        m_paused = true;
    }
    for (const auto& task : m_tasks) {
        task->engine->pause();
    }
}

void TCustomMediaConverter::ResumeTasks() {
    {
        std::lock_guard lock(m_terminateLock);
        if (!m_paused) {
            return;
        }
        m_paused = false;
    }
    for (const auto& task : m_tasks) {
        task->engine->resume();
    }
}

void TCustomMediaConverter::StopTasks(bool wait) {
    {
        std::lock_guard lock(m_terminateLock);
        // Idle, or every task already ended: stopping would only mark unstarted tasks as
        // ended, so that a later run could never finish.
        if (!m_working || m_allDone) {
            return;
        }
        m_remaining = 0;
    }
    ++m_walkDepth;
    for (TaskEngine* engine : engines()) {
        engine->stopOrTerminate(wait);
    }
    --m_walkDepth;
    releaseGraveyard();
}

void TCustomMediaConverter::doTerminate(ConverterTask& task) {
    // Outside the terminate lock: reading the outputs back may take a moment, and the main
    // thread must not wait for it. The list does not change while a task ends.
    const TaskEndReport report = settleTaskEnd(*task.engine);
    std::lock_guard lock(m_terminateLock);
    deliverTerminate(terminateInfoOf(task.index, report));
    ++m_finishedCount;
    if (m_remaining < 1) {
        if (m_working && !m_allDone && !m_inMainRun && m_finishedCount >= m_tasks.Count()) {
            allDoneLocked();
        }
    } else if (m_threadMode) {
        startNextTaskLocked();
    }
}

void TCustomMediaConverter::allDoneLocked() {
    // Set before the notice goes out, so that its handler may clear the list at once.
    m_allDone = true;
    TTerminateInfo info{-1, true, false, {}, TaskEndState::Done, {}, {}};
    info.EndReport.state = TaskEndState::Done;
    deliverTerminate(info);
}

void TCustomMediaConverter::deliverTerminate(const TTerminateInfo& info) {
    TTerminateEvent handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_onTerminate;
    }
    if (!handler) {
        return;
    }
    if (!m_threadMode) {
        callTerminateHandler(handler, info);
        return;
    }
    std::lock_guard lock(m_noticeMutex);
    if (m_detached) {
        return;
    }
    reapNoticesLocked();
    auto notice = std::make_unique<Notice>();
    Notice* raw = notice.get();
    const std::uint64_t ticket = m_noticesIssued++;
    raw->thread = std::thread([this, raw, ticket, handler = std::move(handler), info] {
        bool detached = false;
        {
            std::unique_lock noticeLock(m_noticeMutex);
            m_noticeChanged.wait(noticeLock, [&] { return m_noticesDelivered == ticket; });
            detached = m_detached;
        }
        if (!detached) {
            callTerminateHandler(handler, info);
        }
        {
            std::lock_guard noticeLock(m_noticeMutex);
            ++m_noticesDelivered;
            raw->done = true;
            // Notified under the lock: once done is seen the component may go away.
            m_noticeChanged.notify_all();
        }
        // The main thread waits for the notices pumping its queue (waitForNotices).
        WakeMainThread();
    });
    m_notices.push_back(std::move(notice));
}

void TCustomMediaConverter::callTerminateHandler(const TTerminateEvent& handler,
                                                 const TTerminateInfo& info) {
    try {
        handler(*this, info);
    } catch (const std::exception& e) {
        reportHandlerError("OnTerminate", e.what());
    } catch (...) {
        reportHandlerError("OnTerminate", "unknown exception");
    }
}

void TCustomMediaConverter::reapNoticesLocked() {
    for (auto it = m_notices.begin(); it != m_notices.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = m_notices.erase(it);
        } else {
            ++it;
        }
    }
}

void TCustomMediaConverter::waitForNotices() {
    std::unique_lock lock(m_noticeMutex);
    auto allDone = [&] {
        for (const auto& notice : m_notices) {
            if (!notice->done) {
                return false;
            }
        }
        return true;
    };
    while (!allDone()) {
        if (IsMainThread()) {
            // A handler may be waiting for the main thread.
            lock.unlock();
            PumpMessagesFor(std::chrono::milliseconds(20));
            lock.lock();
        } else {
            m_noticeChanged.wait_for(lock, std::chrono::milliseconds(20));
        }
    }
    reapNoticesLocked();
}

// --- events relayed from the engines ---

void TCustomMediaConverter::doProgress(ConverterTask& task, const ProgressReport& report) {
    TProgressEvent handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_onProgress;
    }
    if (!handler) {
        return;
    }
    std::lock_guard lock(m_progressLock);
    m_progressInfo =
        TProgressInfo{task.index,         report.FileIndex,       report.FrameNumber,
                      report.FPS,         report.Quality,         report.BitRate,
                      report.CurrentSize, report.CurrentDuration, report.TotalDuration};
    try {
        if (m_triggerEventInMainThread.load()) {
            RunInMainThread([&] { handler(*this, &m_progressInfo); });
        } else {
            handler(*this, &m_progressInfo);
        }
    } catch (const std::exception& e) {
        reportHandlerError("OnProgress", e.what());
    } catch (...) {
        reportHandlerError("OnProgress", "unknown exception");
    }
}

void TCustomMediaConverter::doPreviewBitmap(ConverterTask& task, const PreviewFrame& frame) {
    TPreviewBitmapEvent handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_onPreviewBitmap;
    }
    if (!handler) {
        return;
    }
    std::lock_guard lock(m_previewLock);
    m_previewInfo = TPreviewInfo{task.index, frame.bitmap, frame.frameNumber, frame.pts};
    try {
        if (m_triggerEventInMainThread.load()) {
            RunInMainThread([&] { handler(*this, m_previewInfo); });
        } else {
            handler(*this, m_previewInfo);
        }
    } catch (const std::exception& e) {
        reportHandlerError("OnPreviewBitmap", e.what());
    } catch (...) {
        reportHandlerError("OnPreviewBitmap", "unknown exception");
    }
}

void TCustomMediaConverter::doCustomHook(ConverterTask& task, HookFrame& frame) {
    TCustomHookEvent handler;
    {
        std::lock_guard lock(m_handlerMutex);
        handler = m_onCustomHook;
    }
    if (!handler) {
        return;
    }
    std::lock_guard lock(m_customHookLock);
    m_hookInfo = THookInfo{task.index, frame.bitmap, frame.frameNumber,
                           frame.pts,  frame.update, frame.stopHook};
    try {
        std::unique_lock<std::mutex> canvas;
        if (frame.bitmap != nullptr) {
            canvas = std::unique_lock(frame.bitmap->lock());
        }
        handler(*this, &m_hookInfo);
    } catch (const std::exception& e) {
        // The frame stays as it was.
        reportHandlerError("OnCustomHook", e.what());
        m_hookInfo.Update = false;
    } catch (...) {
        reportHandlerError("OnCustomHook", "unknown exception");
        m_hookInfo.Update = false;
    }
    frame.update = m_hookInfo.Update;
    frame.stopHook = m_hookInfo.StopHook;
}

void TCustomMediaConverter::reportHandlerError(const char* event, const std::string& message) {
    Logger().Log(this, TLogLevel::llError, std::string("Error occurs ") + event + ": " + message);
}

}  // namespace velmora
