// The program's settings file system.ini: where it lives, and reading and writing it key by key.
// Nothing is cached: every read opens the file, every write rewrites it, so the window and
// velmora-cli always see what the other last wrote.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// VELMORA_CONFIG_DIR/system.ini when that variable is set; else system.ini next to the executable
// when that folder is writable; else $XDG_CONFIG_HOME/velmora/system.ini ($HOME/.config when
// XDG_CONFIG_HOME is unset).
std::string settingsFilePath();

// $HOME, or the current folder when HOME is unset.
std::string homeFolder();

// The value of key in [section] of an INI text (names compared ignoring ASCII case, blanks around
// names and values trimmed). Nothing when the key is missing, empty or "Error": the settings file
// treats those as absent.
std::optional<std::string> readIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// The INI text with key in [section] set to value: the key's first line in the section is
// replaced, else the key is added at the end of the section, else the section is appended. Every
// other line stays as it was; new lines take the text's line ending.
std::string withIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value);

class SettingsFile {
public:
    explicit SettingsFile(std::string path = settingsFilePath());

    const std::string& path() const { return m_path; }
    bool exists() const;

    // Nothing when the file is missing or unreadable, or the key is absent, empty or "Error".
    std::optional<std::string> read(std::string_view section, std::string_view key) const;

    // Sets one key, creating the file (and its folder) when needed. The file is replaced in one
    // step, so a reader never sees half of it. False, with the reason in *error, when it cannot
    // be written.
    bool write(std::string_view section, std::string_view key, std::string_view value,
               std::string* error = nullptr) const;

private:
    std::string m_path;
};

}  // namespace velmora
