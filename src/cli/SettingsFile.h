// The few settings velmora-cli reads from the program's settings file system.ini: where the file
// is, and the output folder it names.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

// VELMORA_CONFIG_DIR/system.ini when that variable is set; else system.ini next to the executable
// when that folder is writable; else $XDG_CONFIG_HOME/velmora/system.ini ($HOME/.config when
// XDG_CONFIG_HOME is unset).
std::string settingsFilePath();

// The value of key in [section] of an INI text (names compared ignoring ASCII case, blanks around
// names and values trimmed). Nothing when the key is missing, empty or "Error": the settings file
// treats those as absent.
std::optional<std::string> readIniValue(std::string_view text, std::string_view section,
                                        std::string_view key);

// [OutPath] OutPath of the settings file, else $HOME/Video_Directory.
std::string defaultOutputFolder();

}  // namespace velmora::cli
