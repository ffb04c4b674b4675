// Helpers shared by the probe tests: a log recorder, text splitting and small hand-written files.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "medialib/MediaLogger.h"

namespace velmora::test {

// Records every component message delivered by the logger while it lives.
class LogRecorder {
public:
    struct Entry {
        const void* sender;
        TLogLevel level;
        std::string message;
    };

    LogRecorder();
    ~LogRecorder();
    LogRecorder(const LogRecorder&) = delete;
    LogRecorder& operator=(const LogRecorder&) = delete;

    const std::vector<Entry>& entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
    TLogLevel m_savedLevel;
};

// Splits a CR LF text into its lines; fails the test when a line ends otherwise.
std::vector<std::string> splitLines(const std::string& text);

// The first line starting with prefix, or "" when none does.
std::string lineStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// A PCM WAV file (8-bit mono, 8000 Hz) holding dataBytes of samples, with an optional
// LIST/INFO chunk of tags (four-letter RIFF keys). Large sizes are written sparse.
void writeWav(const std::string& path, std::int64_t dataBytes,
              const std::map<std::string, std::string>& infoTags = {});
// The same without tags, exactly totalBytes long (at least 44).
void writeWavOfSize(const std::string& path, std::int64_t totalBytes);

void writeBytes(const std::string& path, const std::string& bytes);

}  // namespace velmora::test
