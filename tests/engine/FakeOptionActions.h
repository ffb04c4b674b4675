// Test doubles for the option table: an OptionActions that records what the table asks of the
// engine, and a capture of the logger's lines.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/OptionParser.h"
#include "medialib/LibraryBindings.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MediaLogger.h"

namespace velmora::test {

class FakeOptionActions : public OptionActions {
public:
    void openInputFile(const std::string& name) override { openedInputs.push_back(name); }
    void openOutputFile(const std::string& name) override { openedOutputs.push_back(name); }
    void newVideoStream() override { ++newVideoStreams; }
    void newAudioStream() override { ++newAudioStreams; }
    void newSubtitleStream() override { ++newSubtitleStreams; }
    int outputCount() const override { return outputs; }
    std::vector<AVRational> inputVideoTimeBases() const override { return videoTimeBases; }

    // Accepts every name except those in refused; with checkGenericCodecOptions only names a
    // plain (codec-less) codec context knows, like the generic option contexts.
    bool setGenericOption(const std::string& name, const std::string& value) override {
        genericCalls.emplace_back(name, value);
        if (refused.contains(name)) {
            return false;
        }
        if (checkGenericCodecOptions) {
            if (!m_generic) {
                m_generic.reset(lib::avcodec.avcodec_alloc_context3(nullptr));
            }
            if (lib::avutil.av_opt_set(m_generic.get(), name.c_str(), value.c_str(), 0) < 0) {
                return false;
            }
        }
        generic[name] = value;
        return true;
    }
    std::optional<std::string> codecOptionValue(AVMediaType kind,
                                                const std::string& name) const override {
        if (name != "b") {
            return std::nullopt;
        }
        const char* own = kind == AVMEDIA_TYPE_AUDIO ? "ab" : "vb";
        for (const char* key : {own, "b"}) {
            if (const auto found = generic.find(key); found != generic.end()) {
                return found->second;
            }
        }
        return std::string("200000");
    }

    int outputs = 0;
    std::vector<AVRational> videoTimeBases;
    std::set<std::string> refused;
    bool checkGenericCodecOptions = false;

    std::vector<std::string> openedInputs;
    std::vector<std::string> openedOutputs;
    int newVideoStreams = 0;
    int newAudioStreams = 0;
    int newSubtitleStreams = 0;
    std::vector<std::pair<std::string, std::string>> genericCalls;
    std::map<std::string, std::string> generic;  // last value per accepted name

private:
    CodecContextPtr m_generic;
};

struct LogLine {
    TLogLevel level;
    std::string text;
    bool operator==(const LogLine&) const = default;
};

// Collects the logger's lines while it exists.
class LogCapture {
public:
    LogCapture() {
        Logger().SetTriggerEventInMainThread(false);
        Logger().SetLogLevel(TLogLevel::llDebug);
        Logger().SetOnLog(
            [this](const void*, std::uint32_t, TLogLevel level, const std::string& message) {
                std::lock_guard lock(m_mutex);
                m_lines.push_back({level, message});
            });
    }
    ~LogCapture() { Logger().SetOnLog(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<LogLine> lines() const {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }
    bool contains(TLogLevel level, const std::string& text) const {
        for (const LogLine& line : lines()) {
            if (line.level == level && line.text == text) {
                return true;
            }
        }
        return false;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<LogLine> m_lines;
};

}  // namespace velmora::test
