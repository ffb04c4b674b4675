// velmora-cli lock set / lock clear: the administrator's way to switch the window's start-up
// password lock on and off. Only root may run them; the lock file is
// velmora::lockFilePath() (/etc/velmora/Check_PsP unless VELMORA_LOCK_FILE says otherwise).
#pragma once

#include <sys/types.h>

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace velmora::cli {

enum class LockAction { Set, Clear };

struct LockOptions {
    LockAction action = LockAction::Set;
    // Set or clear the master value (a second password that also opens the lock) instead of the
    // password itself.
    bool master = false;
};

// Asks for a password with this prompt; nothing when the input has ended.
using PasswordPrompt = std::function<std::optional<std::string>(const std::string& prompt)>;

// set: asks for the password twice and stores it, switching the lock on (--master: stores the
// master value of an existing lock). clear: removes the lock file (--master: only the master
// value). Returns the exit code: 0 done, 1 refused or failed (nothing changed), with the reason
// on err.
int runLockCommand(const LockOptions& options, const std::string& lockPath, uid_t effectiveUser,
                   const PasswordPrompt& ask, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
