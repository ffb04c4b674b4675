#include "probe/ProbeTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velmora::test {

LogRecorder::LogRecorder() : m_savedLevel(Logger().LogLevel()) {
    Logger().SetTriggerEventInMainThread(false);
    Logger().SetLogLevel(TLogLevel::llDebug);
    Logger().SetOnLog(
        [this](const void* sender, std::uint32_t, TLogLevel level, const std::string& message) {
            m_entries.push_back({sender, level, message});
        });
}

LogRecorder::~LogRecorder() {
    Logger().SetOnLog(nullptr);
    Logger().SetLogLevel(m_savedLevel);
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "text does not end with CR LF: " << text.substr(start);
            lines.push_back(text.substr(start));
            break;
        }
        const std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break: " << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

std::string lineStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& line : lines) {
        if (line.rfind(prefix, 0) == 0) {
            return line;
        }
    }
    return {};
}

namespace {

void put32(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}
void put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

}  // namespace

void writeWav(const std::string& path, std::int64_t dataBytes,
              const std::map<std::string, std::string>& infoTags) {
    std::string info;
    if (!infoTags.empty()) {
        std::string entries;
        for (const auto& [key, value] : infoTags) {
            std::string text = value + '\0';
            if (text.size() % 2 != 0) {
                text += '\0';
            }
            entries += key.substr(0, 4);
            put32(entries, static_cast<std::uint32_t>(text.size()));
            entries += text;
        }
        info = "LIST";
        put32(info, static_cast<std::uint32_t>(entries.size() + 4));
        info += "INFO" + entries;
    }
    const std::int64_t totalBytes = 44 + static_cast<std::int64_t>(info.size()) + dataBytes;

    std::string header = "RIFF";
    put32(header, static_cast<std::uint32_t>(totalBytes - 8));
    header += "WAVEfmt ";
    put32(header, 16);
    put16(header, 1);     // PCM
    put16(header, 1);     // mono
    put32(header, 8000);  // samples per second
    put32(header, 8000);  // bytes per second
    put16(header, 1);     // block align
    put16(header, 8);     // bits per sample
    header += info;
    header += "data";
    put32(header, static_cast<std::uint32_t>(dataBytes));

    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(header.data(), static_cast<std::streamsize>(header.size()));
        // A little real silence, the rest (if any) left as a hole.
        const std::string silence(static_cast<size_t>(std::min<std::int64_t>(dataBytes, 65536)),
                                  static_cast<char>(0x80));
        out.write(silence.data(), static_cast<std::streamsize>(silence.size()));
        ASSERT_TRUE(out.good()) << path;
    }
    std::filesystem::resize_file(path, static_cast<std::uintmax_t>(totalBytes));
}

void writeWavOfSize(const std::string& path, std::int64_t totalBytes) {
    writeWav(path, totalBytes - 44);
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

}  // namespace velmora::test
