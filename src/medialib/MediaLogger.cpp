#include "medialib/MediaLogger.h"
#include "medialib/TextFormat.h"

#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cassert>
#include <cctype>
#include <charconv>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "medialib/LibraryBindings.h"
#include "medialib/MainThreadQueue.h"

namespace velmora {

namespace {

// Library log threshold as a library level; messages above it are dropped in the callback
// before they are formatted. Written by SetLogLevel, read by the callback on any thread.
std::atomic<int> g_threshold{AV_LOG_INFO};

// Text of the calling thread that did not end with a line feed yet. Held per thread, so lines
// of different threads never mix, and it goes away with its thread (a list keyed by thread id
// would grow with every thread and could hand a dead thread's text to a new one with the same id).
thread_local std::string t_pendingText;

constexpr std::size_t kLibraryMessageSize = 2048;

std::uint32_t currentThreadId() {
    return static_cast<std::uint32_t>(::gettid());
}

struct LevelName {
    const char* name;
    int libraryLevel;
};

constexpr LevelName kLevelNames[] = {
    {"quiet", AV_LOG_QUIET},     {"panic", AV_LOG_PANIC},     {"fatal", AV_LOG_FATAL},
    {"error", AV_LOG_ERROR},     {"warning", AV_LOG_WARNING}, {"info", AV_LOG_INFO},
    {"verbose", AV_LOG_VERBOSE}, {"debug", AV_LOG_DEBUG},
};

bool equalsIgnoringCase(const std::string& a, const char* b) {
    std::size_t i = 0;
    for (; i < a.size() && b[i] != '\0'; ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return i == a.size() && b[i] == '\0';
}

}  // namespace

// Everything here is guarded by mutex. The handler is copied out under the lock and called
// without it, so a handler may log again and a waiting delivery never holds the lock.
struct TMediaLogger::State {
    mutable std::mutex mutex;
    TLogLevel level = TLogLevel::llInfo;
    bool triggerInMain = true;
    TLogEvent onLog;
};

TMediaLogger::TMediaLogger() : m_state(new State) {
    m_state->level = LogLevelOfLibrary(g_threshold.load());
}

TMediaLogger& TMediaLogger::Logger() {
    // Never destroyed: library threads may still log while the process exits.
    static TMediaLogger* logger = new TMediaLogger;
    return *logger;
}

int LibraryLevelOf(TLogLevel level) {
    return (static_cast<int>(level) - 1) * 8;
}

TLogLevel LogLevelOfLibrary(int libraryLevel) {
    int level = libraryLevel;
    if (level < 0) {
        level += 7;
    }
    if (level < -8) {
        return TLogLevel::llQuiet;
    }
    if (level < AV_LOG_DEBUG) {
        // Floor division: -1 (quiet + 7) must give 0, not 1.
        const int step = level >= 0 ? level / 8 : -((-level + 7) / 8);
        return static_cast<TLogLevel>(step + 1);
    }
    return TLogLevel::llDebug;
}

TLogLevel TMediaLogger::LogLevel() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->level;
}

void TMediaLogger::SetLogLevel(TLogLevel level) {
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->level == level) {
            return;
        }
        m_state->level = level;
    }
    pushLevel(level);
}

void TMediaLogger::pushLevel(TLogLevel level) {
    const int threshold = LibraryLevelOf(level);
    g_threshold.store(threshold);
    if (lib::avutil.av_log_set_level != nullptr) {
        lib::avutil.av_log_set_level(threshold);
    }
}

void TMediaLogger::SetLogLevelByName(const std::string& text) {
    const std::string name = Trimmed(text);
    for (const LevelName& row : kLevelNames) {
        if (equalsIgnoringCase(name, row.name)) {
            SetLogLevel(LogLevelOfLibrary(row.libraryLevel));
            return;
        }
    }
    // A decimal library level; an optional '+' is accepted like a sign.
    const char* first = name.data();
    const char* last = name.data() + name.size();
    if (first != last && *first == '+') {
        ++first;
    }
    int libraryLevel = 0;
    const auto [end, error] = std::from_chars(first, last, libraryLevel);
    if (first == last || error != std::errc() || end != last) {
        throw std::invalid_argument("'" + text + "' is not a valid log level");
    }
    SetLogLevel(LogLevelOfLibrary(libraryLevel));
}

bool TMediaLogger::TriggerEventInMainThread() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->triggerInMain;
}

void TMediaLogger::SetTriggerEventInMainThread(bool value) {
    std::lock_guard lock(m_state->mutex);
    m_state->triggerInMain = value;
}

void TMediaLogger::SetOnLog(TLogEvent handler) {
    std::lock_guard lock(m_state->mutex);
    m_state->onLog = std::move(handler);
}

bool TMediaLogger::HasOnLog() const {
    std::lock_guard lock(m_state->mutex);
    return static_cast<bool>(m_state->onLog);
}

bool TMediaLogger::acceptsComponentLevel(TLogLevel level, TLogEvent* handler, bool* inMain) const {
    std::lock_guard lock(m_state->mutex);
    if (!m_state->onLog) {
        return false;
    }
    const TLogLevel current = m_state->level;
    // Verbose status lines get through whenever the logger is not quiet.
    const bool wanted =
        current != TLogLevel::llQuiet && (level <= current || level == TLogLevel::llVerbose);
    if (!wanted) {
        return false;
    }
    *handler = m_state->onLog;
    *inMain = m_state->triggerInMain;
    return true;
}

void TMediaLogger::Log(const void* sender, TLogLevel level, const std::string& message) {
    TLogEvent handler;
    bool inMain = false;
    if (acceptsComponentLevel(level, &handler, &inMain)) {
        raise(handler, inMain, sender, currentThreadId(), level, message);
    }
}

void TMediaLogger::LogFmt(const void* sender, TLogLevel level, const char* format, ...) {
    TLogEvent handler;
    bool inMain = false;
    if (!acceptsComponentLevel(level, &handler, &inMain)) {
        return;
    }
    va_list args;
    va_start(args, format);
    const std::string message = VFormatText(format, args);
    va_end(args);
    raise(handler, inMain, sender, currentThreadId(), level, message);
}

void TMediaLogger::raise(const TLogEvent& handler, bool inMain, const void* sender,
                         std::uint32_t threadId, TLogLevel level, const std::string& message) {
    // Each call carries its own event data, so concurrent deliveries never see each other's.
    if (inMain && !IsMainThread()) {
        // Posted, not waited for: a codec's own threads log while the thread that drives the
        // codec may be the main thread itself, or may hold the codec lock the main thread wants.
        PostToMainThread([=] { handler(sender, threadId, level, message); });
    } else {
        handler(sender, threadId, level, message);
    }
}

void TMediaLogger::deliverFromLibrary(std::uint32_t threadId, int libraryLevel,
                                      const std::string& line) {
    TLogEvent handler;
    bool inMain = false;
    {
        std::lock_guard lock(m_state->mutex);
        if (!m_state->onLog) {
            return;
        }
        handler = m_state->onLog;
        inMain = m_state->triggerInMain;
    }
    raise(handler, inMain, this, threadId, LogLevelOfLibrary(libraryLevel), line);
}

void TMediaLogger::libraryCallback(void* context, int level, const char* format, va_list args) {
    // The high byte of a non-negative level may carry a colour tint; only the low byte is the
    // level.
    if (level >= 0) {
        level &= 0xFF;
    }
    if (g_threshold.load() < level) {
        return;
    }
    char prefix[256] = "";
    if (context != nullptr) {
        const AVClass* avClass = *static_cast<const AVClass* const*>(context);
        if (avClass != nullptr) {
            const char* name =
                avClass->item_name != nullptr ? avClass->item_name(context) : avClass->class_name;
            std::snprintf(prefix, sizeof prefix, "[%s @ %p]", name != nullptr ? name : "", context);
        }
    }
    // Longer messages are cut at the buffer's end. The cut keeps a closing line feed, so a long
    // line does not swallow the next message into itself.
    char text[kLibraryMessageSize] = {};
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(text, sizeof text, format, args);
    bool cutLineEnd = false;
    if (length >= static_cast<int>(sizeof text)) {
        const std::string full = VFormatText(format, copy);
        cutLineEnd = !full.empty() && full.back() == '\n' && text[sizeof text - 2] != '\n';
    }
    va_end(copy);

    std::string& pending = t_pendingText;
    if (pending.empty()) {
        pending = prefix;
    }
    pending += text;
    if (cutLineEnd) {
        pending += '\n';
    }
    std::size_t lineEnd;
    while ((lineEnd = pending.find('\n')) != std::string::npos) {
        const std::string line = pending.substr(0, lineEnd);
        pending.erase(0, lineEnd + 1);
        Logger().deliverFromLibrary(currentThreadId(), level, line);
    }
}

void TMediaLogger::InstallLibraryCallback() {
    assert(lib::avutil.av_log_set_callback != nullptr && lib::avutil.av_log_set_level != nullptr &&
           "MediaLogger: library log entry points are not bound");
    lib::avutil.av_log_set_callback(&TMediaLogger::libraryCallback);
    pushLevel(Logger().LogLevel());
}

void TMediaLogger::RemoveLibraryCallback() {
    if (lib::avutil.av_log_set_callback != nullptr &&
        lib::avutil.av_log_default_callback != nullptr) {
        lib::avutil.av_log_set_callback(lib::avutil.av_log_default_callback);
    }
}

}  // namespace velmora
