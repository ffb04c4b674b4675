#include "profiles/LockFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "profiles/SettingsFile.h"

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr mode_t kOthersMayWrite = S_IWGRP | S_IWOTH;

int hexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'a' && digit <= 'f') {
        return digit - 'a' + 10;
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

// The scrambled bytes of a stored text; nothing when it is not hex.
std::optional<std::string> scrambledBytes(std::string_view stored) {
    if (stored.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(stored.size() / 2);
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        const int high = hexValue(stored[i]);
        const int low = hexValue(stored[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

std::string scrambled(std::string_view text) {
    std::string bytes(text);
    for (char& byte : bytes) {
        byte = static_cast<char>(static_cast<unsigned char>(byte) ^ kScramblingKey);
    }
    return bytes;
}

std::string errnoText() {
    return std::strerror(errno);
}

std::string ownerText(uid_t owner) {
    return "user " + std::to_string(owner);
}

// Why a folder, or one above it, lets someone other than root or trustedOwner change what it
// holds; empty when none does.
std::string folderChainProblem(fs::path folder, uid_t trustedOwner) {
    while (true) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) {
            return "cannot inspect folder " + folder.string() + ": " + errnoText();
        }
        if (info.st_uid != 0 && info.st_uid != trustedOwner) {
            return "folder " + folder.string() + " belongs to " + ownerText(info.st_uid);
        }
        // A sticky folder lets others add files but not replace this one.
        if ((info.st_mode & kOthersMayWrite) != 0 && (info.st_mode & S_ISVTX) == 0) {
            return "folder " + folder.string() + " may be changed by other users";
        }
        if (!folder.has_parent_path() || folder.parent_path() == folder) {
            return {};
        }
        folder = folder.parent_path();
    }
}

// The problem of a lock file's place and permissions; empty when it counts.
std::string trustProblem(const std::string& path, const struct stat& info, uid_t trustedOwner) {
    if (info.st_uid != trustedOwner) {
        return "it belongs to " + ownerText(info.st_uid) + ", not to " + ownerText(trustedOwner);
    }
    if ((info.st_mode & kOthersMayWrite) != 0) {
        return "other users may write it";
    }
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    if (error) {
        return "cannot resolve its path: " + error.message();
    }
    if (std::string problem = folderChainProblem(real.parent_path(), trustedOwner);
        !problem.empty()) {
        return problem;
    }
    // A link's own folder decides where the link points.
    const fs::path given = fs::absolute(path, error);
    if (!error && given.parent_path() != real.parent_path()) {
        return folderChainProblem(given.parent_path(), trustedOwner);
    }
    return {};
}

std::optional<std::string> readSmallFile(const std::string& path, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read " + path + ": " + errnoText();
        return std::nullopt;
    }
    std::string text(kMaxLockFileBytes + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad()) {
        *error = "cannot read " + path;
        return std::nullopt;
    }
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (text.size() > kMaxLockFileBytes) {
        *error = path + " is too large to be a lock file";
        return std::nullopt;
    }
    return text;
}

std::string lowerCase(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

// An empty file, or one with the lock's section: the lock commands change nothing else.
bool looksLikeALockFile(std::string_view text) {
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return true;
    }
    const std::string section = "[" + std::string(kLockSection) + "]";
    return lowerCase(text).find(lowerCase(section)) != std::string::npos;
}

LockRecord recordOf(std::string_view text) {
    LockRecord record;
    record.password = readIniValue(text, kLockSection, kLockPasswordKey).value_or("");
    record.master = readIniValue(text, kLockSection, kLockMasterKey).value_or("");
    return record;
}

bool fail(std::string* error, std::string message) {
    if (error) {
        *error = std::move(message);
    }
    return false;
}

}  // namespace

std::string lockFilePath() {
    const char* overridden = std::getenv("VELMORA_LOCK_FILE");
    if (overridden != nullptr && *overridden != '\0') {
        return overridden;
    }
    return kDefaultLockFilePath;
}

std::string scrambledForm(std::string_view password) {
    std::string hex;
    hex.reserve(password.size() * 2);
    for (const char byte : scrambled(password)) {
        const auto value = static_cast<unsigned char>(byte);
        hex.push_back(kHexDigits[value >> 4]);
        hex.push_back(kHexDigits[value & 0x0F]);
    }
    return hex;
}

bool isScrambledForm(std::string_view stored) {
    return scrambledBytes(stored).has_value();
}

bool matchesScrambled(std::string_view entered, std::string_view stored) {
    const auto bytes = scrambledBytes(stored);
    return bytes && *bytes == scrambled(entered);
}

bool passwordAccepted(const LockRecord& record, std::string_view entered) {
    if (matchesScrambled(entered, record.password)) {
        return true;
    }
    return !record.master.empty() && matchesScrambled(entered, record.master);
}

LockCheck checkLockFile(const std::string& path, uid_t trustedOwner) {
    LockCheck check;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return check;
        }
        check.state = LockState::Unreadable;
        check.problem = "cannot inspect " + path + ": " + errnoText();
        return check;
    }
    if (!S_ISREG(info.st_mode)) {
        check.state = LockState::Unreadable;
        check.problem = path + " is not a regular file";
        return check;
    }
    if (std::string problem = trustProblem(path, info, trustedOwner); !problem.empty()) {
        check.state = LockState::Untrusted;
        check.problem = path + " does not count as a lock: " + problem;
        return check;
    }
    std::string error;
    const auto text = readSmallFile(path, &error);
    if (!text) {
        check.state = LockState::Unreadable;
        check.problem = error;
        return check;
    }
    check.state = LockState::On;
    check.record = recordOf(*text);
    if (!isScrambledForm(check.record.password)) {
        check.problem = "the password stored in " + path + " is not in the scrambled form";
    } else if (!isScrambledForm(check.record.master)) {
        check.problem = "the master value stored in " + path + " is not in the scrambled form";
    }
    return check;
}

std::string lockFileText(const LockRecord& record) {
    std::string text = "[" + std::string(kLockSection) + "]\n";
    text += std::string(kLockPasswordKey) + "=" + record.password + "\n";
    if (!record.master.empty()) {
        text += std::string(kLockMasterKey) + "=" + record.master + "\n";
    }
    return text;
}

std::optional<LockRecord> readLockRecord(const std::string& path, std::string* error) {
    std::string reason;
    const auto text = readSmallFile(path, &reason);
    if (!text) {
        fail(error, reason);
        return std::nullopt;
    }
    if (!looksLikeALockFile(*text)) {
        fail(error, path + " is not a lock file (it has no [" + kLockSection + "] section)");
        return std::nullopt;
    }
    return recordOf(*text);
}

bool writeLockFile(const std::string& path, const LockRecord& record, std::string* error) {
    const fs::path target(path);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code folderError;
    if (!fs::exists(folder, folderError)) {
        fs::create_directories(folder, folderError);
        if (!folderError) {
            fs::permissions(folder, fs::perms(0755), folderError);
        }
        if (folderError) {
            return fail(error, "cannot create " + folder.string() + ": " + folderError.message());
        }
    }

    // Written beside the file and renamed over it; the mode is set on the descriptor, so the
    // umask cannot take the read right from the users who run the program.
    const fs::path temporary =
        folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()));
    const int fd =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return fail(error, "cannot create " + temporary.string() + ": " + errnoText());
    }
    const std::string text = lockFileText(record);
    bool written = ::fchmod(fd, 0644) == 0;
    std::size_t done = 0;
    while (written && done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        written = count > 0;
        done += written ? static_cast<std::size_t>(count) : 0;
    }
    written = written && ::fsync(fd) == 0;
    const std::string writeError = errnoText();
    ::close(fd);
    if (!written) {
        ::unlink(temporary.c_str());
        return fail(error, "cannot write " + temporary.string() + ": " + writeError);
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const std::string renameError = errnoText();
        ::unlink(temporary.c_str());
        return fail(error, "cannot replace " + path + ": " + renameError);
    }
    return true;
}

}  // namespace velmora
