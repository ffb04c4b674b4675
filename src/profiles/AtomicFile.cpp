#include "profiles/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace velmora {

namespace {

namespace fs = std::filesystem;

bool fail(std::string* error, std::string message) {
    if (error) {
        *error = std::move(message);
    }
    return false;
}

std::string systemError() {
    return std::strerror(errno);
}

// Unique within the process (a counter) and between processes (the process id), so writers of the
// same file never share a temporary file.
std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

bool writeAll(int descriptor, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(descriptor, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// The rename itself is made durable by flushing the folder; a failure here is not worth failing
// the write for, since the new file is already in place.
void syncFolder(const fs::path& folder) {
    const int descriptor =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        ::fsync(descriptor);
        ::close(descriptor);
    }
}

}  // namespace

bool replaceFileAtomically(const std::string& path, std::string_view text, std::string* error) {
    const fs::path target(path);
    if (target.has_parent_path()) {
        std::error_code folderError;
        fs::create_directories(target.parent_path(), folderError);
        if (folderError) {
            return fail(error, "cannot create " + target.parent_path().string() + ": " +
                                   folderError.message());
        }
    }
    const std::string temporary = temporaryNameFor(path);
    // 0666 before the umask, as any newly created file.
    const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        return fail(error, "cannot write " + temporary + ": " + systemError());
    }
    const bool written = writeAll(descriptor, text) && ::fsync(descriptor) == 0;
    const std::string writeError = written ? std::string() : systemError();
    ::close(descriptor);
    if (!written) {
        ::unlink(temporary.c_str());
        return fail(error, "cannot write " + temporary + ": " + writeError);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string renameError = systemError();
        ::unlink(temporary.c_str());
        return fail(error, "cannot replace " + path + ": " + renameError);
    }
    syncFolder(target.parent_path());
    return true;
}

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream contents;
    contents << file.rdbuf();
    if (file.bad()) {
        return std::nullopt;
    }
    return contents.str();
}

}  // namespace velmora
