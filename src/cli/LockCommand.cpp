#include "cli/LockCommand.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <ostream>

#include "profiles/LockFile.h"

namespace velmora::cli {

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;

bool lockFileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

// The new value, entered twice; nothing (reported) when it cannot be used.
std::optional<std::string> askTwice(const PasswordPrompt& ask, const std::string& what,
                                    std::ostream& err) {
    const auto first = ask("New " + what + ": ");
    const auto second = first ? ask("Repeat the " + what + ": ") : std::nullopt;
    if (!first || !second) {
        err << "velmora-cli lock: no " << what << " was entered; nothing was changed\n";
        return std::nullopt;
    }
    if (*first != *second) {
        err << "velmora-cli lock: the two entries differ; nothing was changed\n";
        return std::nullopt;
    }
    if (first->empty()) {
        err << "velmora-cli lock: an empty " << what
            << " is refused (`velmora-cli lock clear` switches the lock off)\n";
        return std::nullopt;
    }
    if (first->size() > kMaxPasswordBytes) {
        err << "velmora-cli lock: the " << what << " is longer than " << kMaxPasswordBytes
            << " bytes; nothing was changed\n";
        return std::nullopt;
    }
    return first;
}

// The stored values of the lock file, or a fresh record when there is none yet.
std::optional<LockRecord> currentRecord(const std::string& path, std::ostream& err) {
    if (!lockFileExists(path)) {
        return LockRecord{};
    }
    std::string error;
    auto record = readLockRecord(path, &error);
    if (!record) {
        err << "velmora-cli lock: " << error << "; nothing was changed\n";
    }
    return record;
}

int store(const std::string& path, const LockRecord& record, std::ostream& err) {
    std::string error;
    if (!writeLockFile(path, record, &error)) {
        err << "velmora-cli lock: " << error << '\n';
        return kFailed;
    }
    // The window would ignore a lock in a place others may change: say so rather than report a
    // lock that does not hold.
    const LockCheck check = checkLockFile(path);
    if (check.state != LockState::On) {
        err << "velmora-cli lock: written, but the program ignores it: " << check.problem << '\n';
        return kFailed;
    }
    return kDone;
}

int setLock(const LockOptions& options, const std::string& path, const PasswordPrompt& ask,
            std::ostream& out, std::ostream& err) {
    if (options.master && !lockFileExists(path)) {
        err << "velmora-cli lock: there is no lock at " << path
            << " (`velmora-cli lock set` sets the password first)\n";
        return kFailed;
    }
    auto record = currentRecord(path, err);
    if (!record) {
        return kFailed;
    }
    const auto password = askTwice(ask, options.master ? "master password" : "password", err);
    if (!password) {
        return kFailed;
    }
    (options.master ? record->master : record->password) = scrambledForm(*password);
    if (const int code = store(path, *record, err); code != kDone) {
        return code;
    }
    out << (options.master ? "The master password is set: " : "The lock is on: ") << path << '\n';
    return kDone;
}

int clearLock(const LockOptions& options, const std::string& path, std::ostream& out,
              std::ostream& err) {
    if (!lockFileExists(path)) {
        out << "There is no lock: " << path << '\n';
        return kDone;
    }
    if (!options.master) {
        std::string error;
        if (!readLockRecord(path, &error)) {
            err << "velmora-cli lock: " << error << "; nothing was changed\n";
            return kFailed;
        }
        if (::unlink(path.c_str()) != 0) {
            err << "velmora-cli lock: cannot remove " << path << ": " << std::strerror(errno)
                << '\n';
            return kFailed;
        }
        out << "The lock is off: " << path << " removed\n";
        return kDone;
    }
    auto record = currentRecord(path, err);
    if (!record) {
        return kFailed;
    }
    record->master.clear();
    if (const int code = store(path, *record, err); code != kDone) {
        return code;
    }
    out << "The master password is removed: " << path << '\n';
    return kDone;
}

}  // namespace

int runLockCommand(const LockOptions& options, const std::string& lockPath, uid_t effectiveUser,
                   const PasswordPrompt& ask, std::ostream& out, std::ostream& err) {
    if (effectiveUser != 0) {
        err << "velmora-cli lock: only root may change the lock at " << lockPath
            << " (run it with sudo)\n";
        return kFailed;
    }
    return options.action == LockAction::Set ? setLock(options, lockPath, ask, out, err)
                                             : clearLock(options, lockPath, out, err);
}

}  // namespace velmora::cli
