#include "engine/OutputPartFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <thread>

namespace velmora {

namespace {

namespace fs = std::filesystem;

// Leaves room for "." + "." + a process id + ".part" within a 255-byte file name.
constexpr std::size_t kMaxPartBaseBytes = 232;
constexpr int kCreateAttempts = 5;

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Cut to at most kMaxPartBaseBytes without splitting a UTF-8 character.
std::string shortenedBase(const std::string& base) {
    if (base.size() <= kMaxPartBaseBytes) {
        return base;
    }
    std::size_t end = kMaxPartBaseBytes;
    while (end > 0 && (static_cast<unsigned char>(base[end]) & 0xC0) == 0x80) {
        --end;
    }
    return base.substr(0, end);
}

std::string errorText(int code) {
    return std::generic_category().message(code);
}

bool sameInode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A part file whose writer is gone has a free lock. It is removed while locked, and only when
// the name still refers to the file that was locked.
bool removeIfAbandoned(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    bool removed = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        struct stat opened {};
        struct stat named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
            sameInode(opened, named) && S_ISREG(named.st_mode)) {
            removed = ::unlink(path.c_str()) == 0;
        }
    }
    ::close(fd);
    return removed;
}

// "proto:" before any "/" names a library protocol rather than a file.
bool hasProtocolPrefix(const std::string& name) {
    const std::size_t colon = name.find(':');
    if (colon == std::string::npos || colon < 2) {
        return false;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        const char c = name[i];
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

std::string cannotOpen(const std::string& fileName, const std::string& why) {
    return "Cannot open output file '" + fileName + "': " + why;
}

}  // namespace

std::string partFileName(const std::string& finalName, pid_t pid) {
    return folderOf(finalName) + "." + shortenedBase(baseOf(finalName)) + "." +
           std::to_string(pid) + ".part";
}

bool isPartFileOf(const std::string& finalName, const std::string& candidateFileName) {
    const std::string prefix = "." + shortenedBase(baseOf(finalName)) + ".";
    const std::string suffix = ".part";
    if (candidateFileName.size() <= prefix.size() + suffix.size() ||
        candidateFileName.compare(0, prefix.size(), prefix) != 0 ||
        candidateFileName.compare(candidateFileName.size() - suffix.size(), suffix.size(),
                                  suffix) != 0) {
        return false;
    }
    for (std::size_t i = prefix.size(); i < candidateFileName.size() - suffix.size(); ++i) {
        if (candidateFileName[i] < '0' || candidateFileName[i] > '9') {
            return false;
        }
    }
    return true;
}

int removeStalePartFiles(const std::string& finalName) {
    const std::string folder = folderOf(finalName);
    std::error_code error;
    fs::directory_iterator entries(folder.empty() ? fs::path(".") : fs::path(folder), error);
    if (error) {
        return 0;
    }
    int removed = 0;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (isPartFileOf(finalName, name) && removeIfAbandoned(folder + name)) {
            ++removed;
        }
    }
    return removed;
}

bool writesThroughPartFile(const std::string& fileName) {
    if (fileName.empty() || fileName == "-" || hasProtocolPrefix(fileName)) {
        return false;
    }
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0) {
        return S_ISREG(info.st_mode);
    }
    return true;
}

std::string outputLocationProblem(const std::string& fileName) {
    std::error_code error;
    if (!hasProtocolPrefix(fileName) && fs::is_directory(fileName, error)) {
        return cannotOpen(fileName, errorText(EISDIR));
    }
    if (!writesThroughPartFile(fileName)) {
        return {};
    }
    // The nearest folder that exists must be a folder we may write into.
    fs::path folder = fs::path(fileName).parent_path();
    while (!folder.empty() && !fs::exists(fs::symlink_status(folder, error))) {
        const fs::path parent = folder.parent_path();
        if (parent == folder) {
            break;
        }
        folder = parent;
    }
    if (folder.empty()) {
        folder = ".";
    }
    if (!fs::is_directory(folder, error)) {
        return cannotOpen(fileName, errorText(ENOTDIR));
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return cannotOpen(fileName, errorText(errno));
    }
    return {};
}

std::unique_ptr<OutputPartFile> OutputPartFile::create(const std::string& finalName,
                                                       std::string* error) {
    std::string target = finalName;
    std::error_code ignored;
    if (fs::is_symlink(target, ignored)) {
        // Writing to a link updates the file it points to, as writing in place would.
        const fs::path resolved = fs::canonical(target, ignored);
        if (!ignored) {
            target = resolved.string();
        }
    }
    removeStalePartFiles(target);
    const std::string path = partFileName(target, ::getpid());

    // A file being replaced keeps its permissions.
    mode_t mode = 0;
    struct stat existing {};
    const bool keepMode = ::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (keepMode) {
        mode = existing.st_mode & 07777;
    }

    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) {
            const int code = errno;
            if (code == EEXIST && attempt > 0) {
                // Another process's clean-up may still be removing a file it locked briefly.
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
                continue;
            }
            if (error != nullptr) {
                *error = code == EEXIST
                             ? "Output file '" + finalName +
                                   "' is being written by another conversion of this program"
                             : cannotOpen(finalName, errorText(code));
            }
            return nullptr;
        }
        // The lock is taken right after creation; a clean-up in another process that locked the
        // new file in between has removed it, which the name check below notices.
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
            ::lstat(path.c_str(), &named) == 0 && sameInode(opened, named)) {
            if (keepMode) {
                static_cast<void>(::fchmod(fd, mode));
            }
            return std::unique_ptr<OutputPartFile>(new OutputPartFile(target, path, fd));
        }
        ::close(fd);
    }
    if (error != nullptr) {
        *error = cannotOpen(finalName, "its temporary file could not be locked");
    }
    return nullptr;
}

OutputPartFile::OutputPartFile(std::string finalName, std::string path, int fd)
    : m_finalName(std::move(finalName)), m_path(std::move(path)), m_fd(fd) {}

OutputPartFile::~OutputPartFile() {
    discard();
}

std::int64_t OutputPartFile::size() const {
    struct stat info {};
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool OutputPartFile::keep(std::string* error) {
    if (m_fd < 0) {
        return true;
    }
    // On disk before it carries the final name: a crash afterwards never leaves an empty file
    // under that name.
    if (::fsync(m_fd) != 0 && errno != EINVAL) {
        if (error != nullptr) {
            *error = "Error writing output file '" + m_finalName + "': " + errorText(errno);
        }
        return false;
    }
    if (::rename(m_path.c_str(), m_finalName.c_str()) != 0) {
        if (error != nullptr) {
            *error = "Cannot put output file '" + m_finalName + "' in place: " + errorText(errno);
        }
        return false;
    }
    const std::string folder = folderOf(m_finalName);
    const int folderFd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        static_cast<void>(::fsync(folderFd));
        ::close(folderFd);
    }
    release();
    return true;
}

void OutputPartFile::discard() {
    if (m_fd < 0) {
        return;
    }
    // Removed while still locked, so no clean-up of another process can race with it.
    static_cast<void>(::unlink(m_path.c_str()));
    release();
}

void OutputPartFile::release() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace velmora
