#include "cli/SettingsFile.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profiles/FileNames.h"

namespace velmora::cli {

namespace {

constexpr const char* kFileName = "system.ini";

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

std::string homeFolder() {
    const std::string home = environment("HOME");
    return home.empty() ? std::filesystem::current_path().string() : home;
}

}  // namespace

std::string settingsFilePath() {
    if (const std::string dir = environment("VELMORA_CONFIG_DIR"); !dir.empty()) {
        return joinPath(dir, kFileName);
    }
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
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
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    bool inSection = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trim(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.empty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        equalsIgnoringCase(trim(line.substr(1, close - 1)), section);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos ||
            !equalsIgnoringCase(trim(line.substr(0, equals)), key)) {
            continue;
        }
        const std::string_view value = trim(line.substr(equals + 1));
        if (value.empty() || value == "Error") {
            return std::nullopt;
        }
        return std::string(value);
    }
    return std::nullopt;
}

std::string defaultOutputFolder() {
    std::ifstream file(settingsFilePath(), std::ios::binary);
    if (file) {
        std::ostringstream contents;
        contents << file.rdbuf();
        if (auto folder = readIniValue(contents.str(), "OutPath", "OutPath")) {
            return *folder;
        }
    }
    return joinPath(homeFolder(), "Video_Directory");
}

}  // namespace velmora::cli
