// The filter both open dialogs of the add commands carry: the supported types first, then every
// file, then one entry per family of files.
#pragma once

#include <QString>
#include <span>
#include <string_view>

namespace velmora::app {

struct FileFilterEntry {
    std::string_view description;  // shown as it stands
    std::string_view patterns;     // ";"-separated
};

std::span<const FileFilterEntry> openFileFilterEntries();

// The entries as one Qt filter text ("description (patterns)" joined by ";;"); the patterns are
// given again in Qt's blank-separated form, which the dialogs keep hidden.
QString openFileFilter();

}  // namespace velmora::app
