// Which files are sources: the filter of the add commands' open dialogs, and the media files of
// a folder as a dropped folder (and velmora-cli convert DIR) adds them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct SourceFileFilter {
    std::string_view description;  // shown as it stands
    std::string_view patterns;     // ";"-separated, each "*" and "?" wildcards
};

// The filter in its order: the supported types first, then every file, then one entry per family.
std::span<const SourceFileFilter> sourceFileFilters();

// True when a pattern ("*.mkv") matches a file name, letters compared ignoring (ASCII) case.
bool matchesFilePattern(std::string_view fileName, std::string_view pattern);

// True when the file name matches one of the supported types' patterns, ignoring case.
bool isSupportedSourceName(std::string_view fileName);

struct FolderSources {
    std::vector<std::string> files;  // full paths, sorted by file name ignoring letter case
    std::string error;               // why the folder could not be read; empty when it could
};

// The media files directly inside a folder (subfolders are not entered): regular files, or links
// to them, whose names the supported types match, sorted by name (letter case decides only
// between names that are otherwise equal).
FolderSources mediaFilesInFolder(const std::string& folder);

}  // namespace velmora
