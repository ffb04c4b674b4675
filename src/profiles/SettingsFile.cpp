#include "profiles/SettingsFile.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "profiles/AtomicFile.h"
#include "profiles/FileNames.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr const char* kFileName = "system.ini";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string_view trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The lines of a text without their line ends; a final line end gives no empty last line.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

// The section a line opens, or nothing when it is not a section line.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trim(line);
    if (!line.starts_with('[')) {
        return std::nullopt;
    }
    // A broken section line still ends the section before it; it matches no name.
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos) {
        return std::string_view{};
    }
    return trim(line.substr(1, close - 1));
}

bool isKeyLine(std::string_view line, std::string_view key) {
    line = trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') {
        return false;
    }
    const std::size_t equals = line.find('=');
    return equals != std::string_view::npos &&
           equalsIgnoringCase(trim(line.substr(0, equals)), key);
}

}  // namespace

std::string homeFolder() {
    const std::string home = environment("HOME");
    if (!home.empty()) {
        return home;
    }
    std::error_code error;
    return fs::current_path(error).string();
}

std::string settingsFilePath() {
    if (const std::string dir = environment("VELMORA_CONFIG_DIR"); !dir.empty()) {
        return joinPath(dir, kFileName);
    }
    std::error_code error;
    const auto executable = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const std::string dir = executable.parent_path().string();
        if (::access(dir.c_str(), W_OK) == 0) {
            return joinPath(dir, kFileName);
        }
    }
    std::string config = environment("XDG_CONFIG_HOME");
    if (config.empty()) {
        config = joinPath(homeFolder(), ".config");
    }
    return joinPath(joinPath(config, "velmora"), kFileName);
}

std::optional<std::string> readIniValue(std::string_view text, std::string_view section,
                                        std::string_view key) {
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    bool inSection = false;
    for (const std::string_view line : splitLines(text)) {
        if (const auto name = sectionOf(line)) {
            inSection = equalsIgnoringCase(*name, section);
            continue;
        }
        if (!inSection || !isKeyLine(line, key)) {
            continue;
        }
        const std::string_view value = trim(line.substr(line.find('=') + 1));
        if (value.empty() || value == "Error") {
            return std::nullopt;
        }
        return std::string(value);
    }
    return std::nullopt;
}

std::string withIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value) {
    const std::string newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::string prefix;
    if (text.starts_with(kByteOrderMark)) {
        prefix = kByteOrderMark;
        text.remove_prefix(kByteOrderMark.size());
    }
    const std::string keyLine = std::string(key) + "=" + std::string(value);
    std::vector<std::string> lines;
    for (const std::string_view line : splitLines(text)) {
        lines.emplace_back(line);
    }

    bool inSection = false;
    std::optional<std::size_t> lastLineOfSection;
    bool written = false;
    for (std::size_t i = 0; i < lines.size() && !written; ++i) {
        if (const auto name = sectionOf(lines[i])) {
            inSection = equalsIgnoringCase(*name, section);
            if (inSection) {
                lastLineOfSection = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (isKeyLine(lines[i], key)) {
            lines[i] = keyLine;
            written = true;
        } else if (!trim(lines[i]).empty()) {
            lastLineOfSection = i;
        }
    }
    if (!written && lastLineOfSection) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(*lastLineOfSection + 1), keyLine);
    } else if (!written) {
        if (!lines.empty() && !trim(lines.back()).empty()) {
            lines.emplace_back();
        }
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(keyLine);
    }

    std::string result = prefix;
    for (const std::string& line : lines) {
        result += line;
        result += newline;
    }
    return result;
}

SettingsFile::SettingsFile(std::string path) : m_path(std::move(path)) {}

bool SettingsFile::exists() const {
    std::error_code error;
    return fs::is_regular_file(fs::path(m_path), error);
}

std::optional<std::string> SettingsFile::read(std::string_view section,
                                              std::string_view key) const {
    const auto text = readWholeFile(m_path);
    if (!text) {
        return std::nullopt;
    }
    return readIniValue(*text, section, key);
}

bool SettingsFile::write(std::string_view section, std::string_view key, std::string_view value,
                         std::string* error) const {
    // Written beside the file and renamed over it: a crash never leaves a half-written file.
    const std::string text = withIniValue(readWholeFile(m_path).value_or(""), section, key, value);
    return replaceFileAtomically(m_path, text, error);
}

}  // namespace velmora
