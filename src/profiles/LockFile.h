// The start-up password lock: the lock file, its scrambled values and the rules that decide
// whether it counts. Shared by the window's password prompt and velmora-cli's lock commands.
//
// The file is an INI text, by default /etc/velmora/Check_PsP (VELMORA_LOCK_FILE overrides):
//
//   [Check_PsP]
//   ps=<scrambled password>
//   master=<scrambled second password>   (optional, set by the administrator)
//
// Its existence switches the lock on. A value is stored scrambled: every byte of the UTF-8 text
// exclusive-or kScramblingKey, written as hexadecimal so that any byte survives a text file. The
// scrambling hides a password from a glance, it is no protection: the file is readable by every
// user who runs the program. No password is built into the program; without "master" only the
// stored password opens the lock.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr const char* kDefaultLockFilePath = "/etc/velmora/Check_PsP";
inline constexpr const char* kLockSection = "Check_PsP";
inline constexpr const char* kLockPasswordKey = "ps";
inline constexpr const char* kLockMasterKey = "master";
inline constexpr unsigned char kScramblingKey = 0x5A;
// A lock file is a few lines; anything bigger is not one (and is never read into memory).
inline constexpr std::size_t kMaxLockFileBytes = 64 * 1024;
// The longest password the lock commands take, in bytes.
inline constexpr std::size_t kMaxPasswordBytes = 256;

// VELMORA_LOCK_FILE when it is set and not empty, else kDefaultLockFilePath.
std::string lockFilePath();

// The stored form of a password: each byte exclusive-or kScramblingKey, in lower-case hex.
std::string scrambledForm(std::string_view password);

// True when entered scrambles to stored. Upper- and lower-case hex digits are both read; a stored
// text that is not hex never matches.
bool matchesScrambled(std::string_view entered, std::string_view stored);

// True when the stored text is in the scrambled form (hex digits, even count; empty counts).
bool isScrambledForm(std::string_view stored);

// The values of a lock file in their stored form.
struct LockRecord {
    std::string password;  // "ps"; empty: none stored, and an empty entry opens the lock
    std::string master;    // "master"; empty: none
};

// True when entered opens the lock: it matches the stored password (an empty or absent one is
// matched by an empty entry only), or a master value is stored and it matches that.
bool passwordAccepted(const LockRecord& record, std::string_view entered);

enum class LockState {
    Off,         // no lock file: the program starts
    On,          // a lock that counts: the password is asked
    Untrusted,   // a file that someone other than the owner may change: ignored, logged
    Unreadable,  // a file that cannot be read or is not a lock file: ignored, logged
};

struct LockCheck {
    LockState state = LockState::Off;
    LockRecord record;    // On only
    std::string problem;  // Untrusted, Unreadable: why; On: a value that is not scrambled
};

// Looks at the lock file. It counts only when it is a regular file owned by trustedOwner (root
// for the program) that nobody else may write, in folders that nobody else may change (a folder
// others may write counts only with its sticky bit set). Never creates anything.
LockCheck checkLockFile(const std::string& path, uid_t trustedOwner = 0);

// The text of a lock file with these values; an empty master is left out.
std::string lockFileText(const LockRecord& record);

// Reads the stored values of an existing lock file, whoever owns it (the lock commands keep the
// value they do not change). Nothing, with the reason in *error, when there is no readable file
// or it is not a lock file (neither empty nor holding the lock's section), so that a lock path
// set by mistake never makes the commands replace or remove some other file.
std::optional<LockRecord> readLockRecord(const std::string& path, std::string* error);

// Writes the lock file in one step (a reader never sees half of it), mode 0644, creating its
// folder with mode 0755 when missing. False, with the reason in *error, when it cannot.
bool writeLockFile(const std::string& path, const LockRecord& record, std::string* error);

}  // namespace velmora
