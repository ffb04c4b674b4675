// The process-wide logger: the media libraries' log output, assembled into whole lines per
// thread, and the components' own messages, delivered through one OnLog event.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>

namespace velmora {

enum class TLogLevel : int {
    llQuiet = 0,
    llPanic = 1,
    llFatal = 2,
    llError = 3,
    llWarning = 4,
    llInfo = 5,
    llVerbose = 6,
    llDebug = 7,
};

// (value - 1) * 8: llQuiet -> -8, llInfo -> 32, llDebug -> 48.
int LibraryLevelOf(TLogLevel level);
// The library's numeric level mapped back: -8 -> llQuiet, 0..7 -> llPanic, ..., >= 48 -> llDebug.
TLogLevel LogLevelOfLibrary(int libraryLevel);

// Sender, calling thread's id, level, message.
using TLogEvent = std::function<void(const void* sender, std::uint32_t threadId, TLogLevel level,
                                     const std::string& message)>;

// Thread rules. Every member may be called from any thread. With TriggerEventInMainThread (the
// default) OnLog runs on the main thread: a logging call made on another thread posts the event
// to the main-thread queue (PostToMainThread) and returns; the main thread delivers the events in
// order when it pumps (PumpMessages). Logging therefore never blocks on the main thread, even
// when that thread is itself running a conversion or waiting on the codec lock.
// No lock of the logger is held while OnLog runs, so a handler may log again.
class TMediaLogger {
public:
    // The single instance, created on first use.
    static TMediaLogger& Logger();

    TMediaLogger(const TMediaLogger&) = delete;
    TMediaLogger& operator=(const TMediaLogger&) = delete;

    TLogLevel LogLevel() const;
    // Stores the level and pushes it into the library so it does not format dropped messages.
    void SetLogLevel(TLogLevel level);
    // "quiet" ... "debug" (any case) or a decimal library level; throws std::invalid_argument
    // for a text that is neither.
    void SetLogLevelByName(const std::string& text);

    bool TriggerEventInMainThread() const;
    void SetTriggerEventInMainThread(bool value);

    void SetOnLog(TLogEvent handler);
    bool HasOnLog() const;

    // A component's message; delivered when level <= LogLevel(), or when it is llVerbose and
    // the logger is not quiet. A quiet logger delivers nothing. Dropped without formatting when
    // no OnLog handler is set.
    void Log(const void* sender, TLogLevel level, const std::string& message);
    // The same, formatted only when it will be delivered.
    void LogFmt(const void* sender, TLogLevel level, const char* format, ...)
        __attribute__((format(printf, 4, 5)));

    // Called by the loader once avutil is bound / before it is unbound. Installing pushes the
    // logger's level into the library; removing puts the library's own callback back.
    static void InstallLibraryCallback();
    static void RemoveLibraryCallback();

private:
    TMediaLogger();

    static void pushLevel(TLogLevel level);
    // Whether a component message at `level` is delivered; fills the handler and the
    // delivery mode taken under one lock.
    bool acceptsComponentLevel(TLogLevel level, TLogEvent* handler, bool* inMain) const;
    static void raise(const TLogEvent& handler, bool inMain, const void* sender,
                      std::uint32_t threadId, TLogLevel level, const std::string& message);
    void deliverFromLibrary(std::uint32_t threadId, int libraryLevel, const std::string& line);
    // Installed with av_log_set_callback; runs on any thread that uses the libraries.
    static void libraryCallback(void* context, int level, const char* format, va_list args);

    struct State;
    State* m_state;  // process lifetime; never freed so late library callbacks stay safe
};

// Shorthand for TMediaLogger::Logger().
inline TMediaLogger& Logger() {
    return TMediaLogger::Logger();
}

}  // namespace velmora
