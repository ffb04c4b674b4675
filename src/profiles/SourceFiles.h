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

// How far a folder is walked: its own files only, or its subfolders too.
enum class FolderWalk { TopOnly, Subfolders };

struct FolderSources {
    std::vector<std::string> files;  // full paths, in the order described below
    std::string error;               // why the folder could not be read; empty when it could
    // Subfolders met on a walk that could not be read, each as "FOLDER: why"; the files they
    // hold are missing from files.
    std::vector<std::string> unreadableFolders;
};

// The media files inside a folder: regular files, or links to them, whose names the supported
// types match, sorted by name (letter case decides only between names that are otherwise equal).
// TopOnly takes the files directly inside. Subfolders walks depth first: the entries of each
// folder in that name order, a subfolder entered where its name falls. Links to folders are not
// entered, so a walk never runs in a circle.
FolderSources mediaFilesInFolder(const std::string& folder, FolderWalk walk = FolderWalk::TopOnly);

}  // namespace velmora
