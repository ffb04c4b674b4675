#include "profiles/SourceFiles.h"

#include <algorithm>
#include <array>
#include <compare>
#include <filesystem>
#include <system_error>

#include "profiles/FileNames.h"

namespace velmora {

namespace {

constexpr std::array kFilters{
    SourceFileFilter{
        "所有支持的文件类型",
        "*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;"
        "*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;"
        "*.SWF;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;"
        "*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;"
        "*.m4v;*.3gpp;*.3gp2;*.qt"},
    SourceFileFilter{"所有的文件 (*.*)", "*.*"},
    SourceFileFilter{"AVI文件 (*.avi)", "*.avi"},
    SourceFileFilter{"MPEG文件 (*.mpg;*.mpeg)", "*.mpg;*.mpeg"},
    SourceFileFilter{"Windows Media文件 (*.wmv;*.asf;*.asx)", "*.wmv;*.asf;*.asx"},
    SourceFileFilter{"Dat文件 (*.dat)", "*.dat"},
    SourceFileFilter{"DVD光盘VOB文件 (*.vob)", "*.vob"},
    SourceFileFilter{"Real类型文件 (*.rm;*.rmvb)", "*.rm;*.rmvb"},
    SourceFileFilter{"MP4类型文件 (*.mp4;*.m4v)", "*.mp4;*.m4v"},
    SourceFileFilter{"手机3GP文件 (*.3gp;*.3gpp)", "*.3gp;*.3gpp"},
    SourceFileFilter{"手机3GPP2文件 (*.3g2;*.3gp2)", "*.3g2;*.3gp2"},
    SourceFileFilter{"Flash文件 (*.swf)", "*.swf"},
    SourceFileFilter{"Quick Time文件 (*.mov;*.qt)", "*.mov;*.qt"},
    SourceFileFilter{"FLV类型文件 (*.flv)", "*.flv"},
    SourceFileFilter{"Raw视频文件 (*.yuv)", "*.yuv"},
    SourceFileFilter{"Raw h261类型文件 (*.h261)", "*.h261"},
    SourceFileFilter{"Raw h264类型文件 (*.h264)", "*.h264"},
    SourceFileFilter{"MJPEG类型文件 (*.mjpeg)", "*.mjpeg"},
    SourceFileFilter{"MKV视频文件 (*.mkv)", "*.mkv"},
    SourceFileFilter{"DV视频文件 (*.dv;*.dif)", "*.dv;*.dif"},
};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::span<const SourceFileFilter> sourceFileFilters() {
    return kFilters;
}

bool matchesFilePattern(std::string_view fileName, std::string_view pattern) {
    // Iterative wildcard match: remember the last "*" and retry from one character further on.
    std::size_t name = 0;
    std::size_t pat = 0;
    std::size_t starPat = std::string_view::npos;
    std::size_t starName = 0;
    while (name < fileName.size()) {
        if (pat < pattern.size() &&
            (pattern[pat] == '?' || lowerAscii(pattern[pat]) == lowerAscii(fileName[name]))) {
            ++name;
            ++pat;
        } else if (pat < pattern.size() && pattern[pat] == '*') {
            starPat = pat++;
            starName = name;
        } else if (starPat != std::string_view::npos) {
            pat = starPat + 1;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (pat < pattern.size() && pattern[pat] == '*') {
        ++pat;
    }
    return pat == pattern.size();
}

bool isSupportedSourceName(std::string_view fileName) {
    std::string_view patterns = kFilters.front().patterns;
    while (!patterns.empty()) {
        const std::size_t end = patterns.find(';');
        if (matchesFilePattern(fileName, patterns.substr(0, end))) {
            return true;
        }
        patterns = end == std::string_view::npos ? std::string_view{} : patterns.substr(end + 1);
    }
    return false;
}

namespace {

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// By name as a person reads it: letter case only decides between otherwise equal names.
bool comesBefore(std::string_view first, std::string_view second) {
    const auto order = std::lexicographical_compare_three_way(
        first.begin(), first.end(), second.begin(), second.end(),
        [](char x, char y) { return lowerAscii(x) <=> lowerAscii(y); });
    return order != 0 ? order < 0 : first < second;
}

// The source files and (when walking) the real subfolders directly inside a folder, in name
// order; nothing, with why in *error, when the folder cannot be read.
std::vector<FolderEntry> readFolder(const std::string& folder, FolderWalk walk,
                                    std::string* error) {
    namespace fs = std::filesystem;
    std::vector<FolderEntry> found;
    std::error_code readError;
    fs::directory_iterator entries(fs::path(folder), readError);
    for (; !readError && entries != fs::directory_iterator(); entries.increment(readError)) {
        const fs::directory_entry& entry = *entries;
        std::string name = entry.path().filename().string();
        std::error_code typeError;
        // A link counts by what it leads to; a name that cannot be looked at is no source.
        if (entry.is_regular_file(typeError) && !typeError) {
            if (isSupportedSourceName(name)) {
                found.push_back({std::move(name), false});
            }
            continue;
        }
        if (walk == FolderWalk::Subfolders && entry.is_directory(typeError) && !typeError &&
            !entry.is_symlink(typeError) && !typeError) {
            found.push_back({std::move(name), true});
        }
    }
    if (readError) {
        *error = folder + ": " + readError.message();
        return {};
    }
    std::ranges::sort(found, [](const FolderEntry& a, const FolderEntry& b) {
        return comesBefore(a.name, b.name);
    });
    return found;
}

// Takes the files of a folder already read and walks into its subfolders, depth first.
void takeEntries(const std::string& folder, const std::vector<FolderEntry>& entries,
                 FolderWalk walk, FolderSources& sources) {
    for (const FolderEntry& entry : entries) {
        std::string path = joinPath(folder, entry.name);
        if (!entry.isFolder) {
            sources.files.push_back(std::move(path));
            continue;
        }
        std::string error;
        const std::vector<FolderEntry> inside = readFolder(path, walk, &error);
        if (!error.empty()) {
            sources.unreadableFolders.push_back(std::move(error));
            continue;
        }
        takeEntries(path, inside, walk, sources);
    }
}

}  // namespace

FolderSources mediaFilesInFolder(const std::string& folder, FolderWalk walk) {
    FolderSources sources;
    const std::vector<FolderEntry> entries = readFolder(folder, walk, &sources.error);
    takeEntries(folder, entries, walk, sources);
    return sources;
}

}  // namespace velmora
