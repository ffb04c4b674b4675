// Collects the logger's events for a test and puts the logger back afterwards.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLogger.h"

namespace velmora::test {

struct LogEntry {
    const void* sender;
    std::uint32_t threadId;
    TLogLevel level;
    std::string message;
    bool onMainThread;
};

class LogCapture {
public:
    LogCapture() {
        Logger().SetLogLevel(TLogLevel::llInfo);
        Logger().SetTriggerEventInMainThread(true);
        Logger().SetOnLog([this](const void* sender, std::uint32_t threadId, TLogLevel level,
                                 const std::string& message) {
            std::lock_guard lock(m_mutex);
            m_entries.push_back({sender, threadId, level, message, IsMainThread()});
        });
    }
    ~LogCapture() {
        Logger().SetOnLog(nullptr);
        Logger().SetLogLevel(TLogLevel::llInfo);
        Logger().SetTriggerEventInMainThread(true);
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogEntry> entries() const {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> texts;
        for (const LogEntry& entry : entries()) {
            texts.push_back(entry.message);
        }
        return texts;
    }
    std::size_t size() const {
        std::lock_guard lock(m_mutex);
        return m_entries.size();
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }
    // Whether some message contains `part`.
    bool contains(const std::string& part) const {
        for (const LogEntry& entry : entries()) {
            if (entry.message.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<LogEntry> m_entries;
};

}  // namespace velmora::test
