// A fixture for tests that run whole conversions on the test's thread: generated clips in a
// temp folder, options before and after the input, log lines captured at every level.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/Transcoder.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLogger.h"
#include "samples/SampleMedia.h"
#include "support/MediaLibraries.h"
#include "support/TempDir.h"

namespace velmora::test {

using OptionList = std::vector<std::pair<std::string, std::string>>;

class ConvertRunFixture : public ::testing::Test {
protected:
    void SetUp() override {
        requireMediaLibraries();
        SetMainThread();
    }

    void TearDown() override { stopCapturingLog(); }

    std::string makeClip(const std::string& name, const SampleSpec& spec) {
        const std::string path = m_dir.file(name);
        std::string error;
        EXPECT_TRUE(makeSampleMedia(spec, path, &error)) << error;
        return path;
    }

    // A stereo 16-bit tone at 44100 Hz in a WAV file.
    std::string wavClip(const std::string& name, double seconds) {
        SampleSpec spec;
        spec.container = "wav";
        spec.video = false;
        spec.audioCodec = "pcm_s16le";
        spec.durationSeconds = seconds;
        return makeClip(name, spec);
    }

    // Opens every input with the options given before it, then the output, then runs the task.
    // Returns the exception text, empty when the run succeeded.
    std::string run(const std::vector<std::pair<std::string, OptionList>>& inputs,
                    const std::string& output, const OptionList& outputOptions) {
        TCustomTranscoder engine;
        for (const auto& [input, options] : inputs) {
            for (const auto& [name, value] : options) {
                engine.SetOption(name, value);
            }
            if (!engine.OpenInput(input)) {
                return "open input: " + engine.LastError();
            }
        }
        for (const auto& [name, value] : outputOptions) {
            try {
                engine.SetOption(name, value);
            } catch (const std::exception& e) {
                return std::string("option: ") + e.what();
            }
        }
        if (engine.OpenOutput(output, false) <= 0) {
            return "open output: " + engine.LastError();
        }
        engine.Start(false);
        if (engine.Exception()) {
            return engine.ExceptionMessage();
        }
        EXPECT_TRUE(engine.Finished());
        return {};
    }

    void captureLog() {
        Logger().SetTriggerEventInMainThread(false);
        Logger().SetLogLevel(TLogLevel::llDebug);
        Logger().SetOnLog(
            [this](const void*, std::uint32_t, TLogLevel level, const std::string& text) {
                std::lock_guard lock(m_logMutex);
                m_log.emplace_back(level, text);
            });
        m_capturing = true;
    }

    void stopCapturingLog() {
        if (!m_capturing) {
            return;
        }
        Logger().SetOnLog(nullptr);
        Logger().SetLogLevel(TLogLevel::llInfo);
        Logger().SetTriggerEventInMainThread(true);
        m_capturing = false;
    }

    // Captured lines at that level starting with the text.
    int logCount(TLogLevel level, const std::string& start) {
        std::lock_guard lock(m_logMutex);
        return static_cast<int>(std::count_if(m_log.begin(), m_log.end(), [&](const auto& line) {
            return line.first == level && line.second.rfind(start, 0) == 0;
        }));
    }

    void clearLog() {
        std::lock_guard lock(m_logMutex);
        m_log.clear();
    }

    TempDir m_dir;

private:
    std::mutex m_logMutex;
    std::vector<std::pair<TLogLevel, std::string>> m_log;
    bool m_capturing = false;
};

// The 16-bit samples of a WAV file (all channels interleaved), read after its "data" header.
inline std::vector<int16_t> WavSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<int16_t> samples;
    const size_t data = bytes.find("data");
    if (data == std::string::npos) {
        return samples;
    }
    for (size_t i = data + 8; i + 1 < bytes.size(); i += 2) {
        samples.push_back(static_cast<int16_t>((static_cast<uint8_t>(bytes[i + 1]) << 8) |
                                               static_cast<uint8_t>(bytes[i])));
    }
    return samples;
}

}  // namespace velmora::test
