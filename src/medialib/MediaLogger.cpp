// Placeholder: the full logger is being written. Keeps the loader linkable meanwhile.
#include "medialib/MediaLogger.h"

#include <cstdarg>
#include <cstdio>

namespace velmora {

struct TMediaLogger::State {
    TLogLevel level = TLogLevel::llInfo;
    bool triggerInMain = true;
    TLogEvent onLog;
};

TMediaLogger::TMediaLogger() : m_state(new State) {}
TMediaLogger& TMediaLogger::Logger() {
    static TMediaLogger* logger = new TMediaLogger;
    return *logger;
}
int LibraryLevelOf(TLogLevel level) {
    return (static_cast<int>(level) - 1) * 8;
}
TLogLevel LogLevelOfLibrary(int l) {
    if (l < 0)
        l += 7;
    if (l < -8)
        return TLogLevel::llQuiet;
    if (l < 48)
        return static_cast<TLogLevel>(l / 8 + 1);
    return TLogLevel::llDebug;
}
TLogLevel TMediaLogger::LogLevel() const {
    return m_state->level;
}
void TMediaLogger::SetLogLevel(TLogLevel level) {
    m_state->level = level;
}
void TMediaLogger::SetLogLevelByName(const std::string&) {}
bool TMediaLogger::TriggerEventInMainThread() const {
    return m_state->triggerInMain;
}
void TMediaLogger::SetTriggerEventInMainThread(bool v) {
    m_state->triggerInMain = v;
}
void TMediaLogger::SetOnLog(TLogEvent h) {
    m_state->onLog = std::move(h);
}
bool TMediaLogger::HasOnLog() const {
    return static_cast<bool>(m_state->onLog);
}
void TMediaLogger::Log(const void* sender, TLogLevel level, const std::string& message) {
    if (m_state->onLog)
        m_state->onLog(sender, 0, level, message);
}
void TMediaLogger::LogFmt(const void* sender, TLogLevel level, const char* format, ...) {
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    Log(sender, level, text);
}
void TMediaLogger::InstallLibraryCallback() {}
void TMediaLogger::RemoveLibraryCallback() {}

}  // namespace velmora
