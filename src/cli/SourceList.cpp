#include "cli/SourceList.h"

#include <filesystem>
#include <istream>
#include <iterator>

namespace velmora::cli {

namespace {

// The start of a name too long to show whole.
std::string shortened(const std::string& name) {
    constexpr std::size_t kShown = 60;
    return name.size() <= kShown ? name : name.substr(0, kShown) + "...";
}

}  // namespace

std::vector<SourceEntry> readSourceNames(std::istream& in, char separator) {
    std::vector<SourceEntry> entries;
    std::string name;
    bool tooLong = false;
    bool holdsNul = false;
    const auto take = [&] {
        if (separator == '\n' && !tooLong && !name.empty() && name.back() == '\r') {
            name.pop_back();
        }
        if (tooLong) {
            entries.push_back({shortened(name), "the name is longer than " +
                                                    std::to_string(kMaxNameBytes) + " bytes"});
        } else if (holdsNul) {
            entries.push_back({name, "the name holds a NUL byte (-0 reads NUL-separated names)"});
        } else if (!name.empty()) {
            entries.push_back({name, ""});
        }
        name.clear();
        tooLong = false;
        holdsNul = false;
    };
    for (std::istreambuf_iterator<char> it(in), end; it != end; ++it) {
        const char c = *it;
        if (c == separator) {
            take();
        } else if (name.size() >= kMaxNameBytes) {
            tooLong = true;  // the rest of the name is read past, not kept
        } else {
            holdsNul = holdsNul || c == '\0';
            name += c;
        }
    }
    take();
    return entries;
}

SourceNames expandFolders(const std::vector<SourceEntry>& names, FolderWalk walk) {
    SourceNames result;
    for (const SourceEntry& entry : names) {
        std::error_code error;
        if (!entry.refusal.empty() || !std::filesystem::is_directory(entry.name, error)) {
            result.entries.push_back(entry);
            continue;
        }
        const FolderSources folder = mediaFilesInFolder(entry.name, walk);
        if (!folder.error.empty()) {
            result.entries.push_back({entry.name, "cannot read " + folder.error});
            continue;
        }
        for (const std::string& file : folder.files) {
            result.entries.push_back({file, ""});
        }
        for (const std::string& unreadable : folder.unreadableFolders) {
            result.entries.push_back({entry.name, "cannot read " + unreadable});
        }
        if (folder.files.empty() && folder.unreadableFolders.empty()) {
            result.warnings.push_back(
                "no media files in " + entry.name +
                (walk == FolderWalk::TopOnly ? " (-r also takes its subfolders)" : ""));
        }
    }
    return result;
}

}  // namespace velmora::cli
