// The sources a convert command names: files, folders (their media files, by the open-file
// filter's patterns) and "-" (names read from standard input).
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "profiles/SourceFiles.h"

namespace velmora::cli {

// Longer names are no path on Linux; they are refused rather than kept in memory.
inline constexpr std::size_t kMaxNameBytes = 4096;

// One job to add, in the order given: a source file, or a name that gives no job and why.
struct SourceEntry {
    std::string name;
    std::string refusal;  // empty: a source to add
};

struct SourceNames {
    std::vector<SourceEntry> entries;
    std::vector<std::string> warnings;  // folders that hold no media file
};

// Names separated by separator ('\n' or '\0'). Empty names are skipped; with '\n' a CR ending a
// line goes too (lists written on Windows). A name longer than kMaxNameBytes, or one holding a
// NUL byte, comes back refused.
std::vector<SourceEntry> readSourceNames(std::istream& in, char separator);

// Each folder replaced by its media files (walked as given; a folder that cannot be read, and a
// subfolder that cannot, are refused entries), every other entry kept as it stands.
SourceNames expandFolders(const std::vector<SourceEntry>& names, FolderWalk walk);

}  // namespace velmora::cli
