#include "profiles/FileNameIndex.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string_view>
#include <system_error>

namespace velmora {

namespace {

// A change made right after a folder was looked at may carry the same time stamp as the state
// that was seen: the kernel stamps with a clock that lags by up to a tick, and some file systems
// keep whole (FAT: even) seconds. A folder whose times are this close to the clock is not
// trusted to show the next change. Time stamps without nanoseconds are taken as coarse ones.
constexpr std::chrono::milliseconds kFineStampMargin{100};
constexpr std::chrono::milliseconds kCoarseStampMargin{3000};

// An absolute name without empty, "." or ".." parts and without a closing "/" is its own
// normal form, so it needs no path built.
bool isPlainAbsolute(std::string_view name) {
    if (name.empty() || name.front() != '/' || name.back() == '/') {
        return false;
    }
    std::size_t start = 1;
    while (start <= name.size()) {
        std::size_t end = name.find('/', start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        const std::string_view part = name.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// The name made absolute against the current folder (left relative when that is unknown) and
// normalised by its text: "x/.." drops x even when x is a linked folder.
std::string normalText(const std::string& name) {
    if (isPlainAbsolute(name)) {
        return name;
    }
    const std::filesystem::path path(name);
    if (!path.empty() && !path.is_absolute()) {
        std::error_code error;
        const std::filesystem::path current = std::filesystem::current_path(error);
        if (!error) {
            return (current / path).lexically_normal().native();
        }
    }
    return path.lexically_normal().native();
}

// The folder whose entry the normal name is; empty for the empty name, which leads nowhere.
std::string folderOf(const std::string& normal) {
    std::string_view text = normal;
    while (text.size() > 1 && text.back() == '/') {
        text.remove_suffix(1);
    }
    if (text.empty() || text == "/") {
        return std::string(text);
    }
    const std::size_t slash = text.rfind('/');
    if (slash == std::string_view::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : std::string(text.substr(0, slash));
}

bool sameTime(const std::timespec& a, const std::timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::chrono::system_clock::time_point timePointOf(const std::timespec& stamp) {
    return std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(
            std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec)));
}

// True when a change after `now` cannot carry the stamps the folder has now.
bool settledBefore(const std::timespec& modified, const std::timespec& changed,
                   std::chrono::system_clock::time_point now) {
    const bool coarse = modified.tv_nsec == 0 && changed.tv_nsec == 0;
    const auto margin = coarse ? kCoarseStampMargin : kFineStampMargin;
    return timePointOf(modified) + margin < now && timePointOf(changed) + margin < now;
}

}  // namespace

std::size_t FileNameIndex::IdentityHash::operator()(const Identity& identity) const {
    return std::hash<std::uint64_t>{}(identity.inode * 31 + identity.device);
}

FileNameIndex::FileNameIndex(std::initializer_list<std::string> names) {
    for (const std::string& name : names) {
        add(name);
    }
}

FileNameIndex::FileNameIndex(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        add(name);
    }
}

std::optional<FileNameIndex::Identity> FileNameIndex::identityOf(const std::string& normal) {
    struct stat facts {};
    if (normal.empty() || ::stat(normal.c_str(), &facts) != 0) {
        return std::nullopt;
    }
    return Identity{facts.st_dev, facts.st_ino};
}

FileNameIndex::FolderState FileNameIndex::folderStateOf(const std::string& folder) {
    struct stat facts {};
    FolderState state;
    if (::stat(folder.c_str(), &facts) == 0) {
        state.exists = true;
        state.identity = {facts.st_dev, facts.st_ino};
        state.modified = facts.st_mtim;
        state.changed = facts.st_ctim;
    }
    return state;
}

void FileNameIndex::setIdentity(Listed& listed, std::optional<Identity> identity) const {
    if (listed.identity == identity) {
        return;
    }
    if (listed.identity) {
        if (auto found = m_identities.find(*listed.identity); --found->second == 0) {
            m_identities.erase(found);
        }
    }
    if (identity) {
        ++m_identities[*identity];
    }
    listed.identity = identity;
}

void FileNameIndex::add(const std::string& name) {
    ++m_size;
    const std::string normal = normalText(name);
    Listed& listed = m_names[normal];
    if (++listed.count > 1 || normal.empty()) {
        return;
    }
    Folder& folder = m_folders[folderOf(normal)];
    folder.names.insert(normal);
    // A folder not looked at yet is looked through, this name included, at the first lookup
    // that needs the disk; otherwise the name is looked at once, now.
    if (folder.seen) {
        setIdentity(listed, identityOf(normal));
    }
}

bool FileNameIndex::remove(const std::string& name) {
    const std::string normal = normalText(name);
    const auto found = m_names.find(normal);
    if (found == m_names.end()) {
        return false;
    }
    --m_size;
    if (--found->second.count > 0) {
        return true;
    }
    setIdentity(found->second, std::nullopt);
    m_names.erase(found);
    if (!normal.empty()) {
        const auto folder = m_folders.find(folderOf(normal));
        folder->second.names.erase(normal);
        if (folder->second.names.empty()) {
            m_folders.erase(folder);
        }
    }
    return true;
}

void FileNameIndex::refresh() const {
    const auto now = std::chrono::system_clock::now();
    for (auto& [text, folder] : m_folders) {
        const FolderState state = folderStateOf(text);
        const bool unchanged = folder.seen && folder.seen->exists == state.exists &&
                               folder.seen->identity == state.identity &&
                               sameTime(folder.seen->modified, state.modified) &&
                               sameTime(folder.seen->changed, state.changed);
        if (folder.settled && unchanged) {
            continue;
        }
        for (const std::string& normal : folder.names) {
            setIdentity(m_names.at(normal), identityOf(normal));
        }
        folder.seen = state;
        // A missing folder shows its creation as a change of existence.
        folder.settled = !state.exists || settledBefore(state.modified, state.changed, now);
    }
}

bool FileNameIndex::contains(const std::string& name) const {
    const std::string normal = normalText(name);
    if (m_names.contains(normal)) {
        return true;
    }
    // Different texts may still lead to one file. The normal form is looked up: "x/.." in the
    // text would leave a linked folder x upwards.
    const auto identity = identityOf(normal);
    if (!identity) {
        return false;
    }
    refresh();
    return m_identities.contains(*identity);
}

}  // namespace velmora
