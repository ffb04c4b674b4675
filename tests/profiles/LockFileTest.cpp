// The start-up lock file: the scrambled form, which entries open the lock, when a lock file
// counts, and writing it for the administrator's commands.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "profiles/LockFile.h"
#include "support/TempDir.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;

void writeText(const std::string& path, const std::string& text, mode_t mode = 0644) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
    ::chmod(path.c_str(), mode);
}

std::string lockText(const std::string& password, const std::string& master = {}) {
    return lockFileText({scrambledForm(password), master.empty() ? "" : scrambledForm(master)});
}

TEST(LockFile, ScrambledFormIsHexOfTheBytesWithTheKey) {
    EXPECT_EQ(scrambledForm(""), "");
    EXPECT_EQ(scrambledForm("abc"), "3b3839");
    // Bytes that would break a text line ('P' scrambles to a line feed) survive as hex.
    EXPECT_EQ(scrambledForm("P="), "0a67");
    EXPECT_TRUE(matchesScrambled("abc", "3B3839"));
    EXPECT_TRUE(matchesScrambled("密码", scrambledForm("密码")));
    EXPECT_FALSE(matchesScrambled("abc", "3b383"));  // odd count
    EXPECT_FALSE(matchesScrambled("abc", "abc"));    // stored in plain text
    EXPECT_FALSE(matchesScrambled("", "zz"));
    EXPECT_FALSE(isScrambledForm("3g"));
    EXPECT_TRUE(isScrambledForm(""));
}

struct AcceptRow {
    const char* name;
    LockRecord record;
    const char* entered;
    bool accepted;
};

TEST(LockFile, WhichEntriesOpenTheLock) {
    const std::string secret = scrambledForm("Secret-1");
    const std::string master = scrambledForm("admin");
    const AcceptRow rows[] = {
        {"stored password", {secret, ""}, "Secret-1", true},
        {"wrong password", {secret, ""}, "secret-1", false},
        {"a prefix of it", {secret, ""}, "Secret", false},
        {"empty entry against a password", {secret, ""}, "", false},
        {"no stored password, empty entry", {"", ""}, "", true},
        {"no stored password, any entry", {"", ""}, "x", false},
        {"master value", {secret, master}, "admin", true},
        {"stored password with a master set", {secret, master}, "Secret-1", true},
        {"neither", {secret, master}, "Admin", false},
        {"broken stored password, master", {"not hex", master}, "admin", true},
        {"broken stored password, its text", {"not hex", ""}, "not hex", false},
        {"empty entry never matches an absent master", {secret, ""}, "", false},
    };
    for (const AcceptRow& row : rows) {
        EXPECT_EQ(passwordAccepted(row.record, row.entered), row.accepted) << row.name;
    }
}

TEST(LockFile, NoFileMeansNoLock) {
    test::TempDir dir;
    EXPECT_EQ(checkLockFile(dir.file("Check_PsP"), ::geteuid()).state, LockState::Off);
    EXPECT_EQ(checkLockFile(dir.file("missing/Check_PsP"), ::geteuid()).state, LockState::Off);
    writeText(dir.file("plain"), "x");
    EXPECT_EQ(checkLockFile(dir.file("plain/Check_PsP"), ::geteuid()).state, LockState::Off);
}

TEST(LockFile, AFileOfTheOwnerThatNobodyElseMayWriteCounts) {
    test::TempDir dir;
    const std::string path = dir.file("etc/Check_PsP");
    writeText(path, lockText("Secret-1", "admin"));
    const LockCheck check = checkLockFile(path, ::geteuid());
    ASSERT_EQ(check.state, LockState::On) << check.problem;
    EXPECT_TRUE(check.problem.empty());
    EXPECT_TRUE(passwordAccepted(check.record, "Secret-1"));
    EXPECT_TRUE(passwordAccepted(check.record, "admin"));

    // Present without a "ps" value: the lock is on and an empty entry opens it.
    writeText(path, "[Check_PsP]\n");
    const LockCheck empty = checkLockFile(path, ::geteuid());
    ASSERT_EQ(empty.state, LockState::On);
    EXPECT_TRUE(passwordAccepted(empty.record, ""));
}

struct TrustRow {
    const char* name;
    mode_t fileMode;
    mode_t folderMode;
    LockState state;
};

TEST(LockFile, AFileOthersMayChangeDoesNotCount) {
    const TrustRow rows[] = {
        {"0644 in a private folder", 0644, 0755, LockState::On},
        {"0600", 0600, 0755, LockState::On},
        {"group may write", 0664, 0755, LockState::Untrusted},
        {"everyone may write", 0666, 0755, LockState::Untrusted},
        {"folder everyone may write", 0644, 0777, LockState::Untrusted},
        {"folder the group may write", 0644, 0775, LockState::Untrusted},
        {"sticky folder everyone may write", 0644, 01777, LockState::On},
    };
    for (const TrustRow& row : rows) {
        test::TempDir dir;
        const std::string folder = dir.file("etc");
        const std::string path = folder + "/Check_PsP";
        writeText(path, lockText("x"), row.fileMode);
        ::chmod(folder.c_str(), row.folderMode);
        const LockCheck check = checkLockFile(path, ::geteuid());
        EXPECT_EQ(check.state, row.state) << row.name << ": " << check.problem;
        if (row.state == LockState::Untrusted) {
            EXPECT_NE(check.problem.find("does not count"), std::string::npos) << check.problem;
        }
    }
}

TEST(LockFile, ALinkInAFolderOthersMayChangeDoesNotCount) {
    test::TempDir dir;
    const std::string target = dir.file("etc/Check_PsP");
    writeText(target, lockText("x"));
    fs::create_directories(dir.file("open"));
    ::chmod(dir.file("open").c_str(), 0777);
    fs::create_symlink(target, dir.file("open/Check_PsP"));
    EXPECT_EQ(checkLockFile(dir.file("open/Check_PsP"), ::geteuid()).state, LockState::Untrusted);
    fs::create_symlink(target, dir.file("link"));
    EXPECT_EQ(checkLockFile(dir.file("link"), ::geteuid()).state, LockState::On);
}

TEST(LockFile, AFileOfAnotherUserDoesNotCount) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a file to another user needs root";
    }
    test::TempDir dir;
    const std::string path = dir.file("Check_PsP");
    writeText(path, lockText("x"));
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
    const LockCheck check = checkLockFile(path, 0);
    EXPECT_EQ(check.state, LockState::Untrusted);
    EXPECT_NE(check.problem.find("user 65534"), std::string::npos) << check.problem;
    // The same file checked for that user, as a test running unprivileged would.
    EXPECT_EQ(checkLockFile(path, 65534).state, LockState::On);
}

TEST(LockFile, WhatIsNoLockFileIsIgnoredWithoutBeingRead) {
    test::TempDir dir;
    fs::create_directories(dir.file("folder"));
    EXPECT_EQ(checkLockFile(dir.file("folder"), ::geteuid()).state, LockState::Unreadable);
    // A pipe would block a reader for ever.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0644), 0);
    EXPECT_EQ(checkLockFile(dir.file("pipe"), ::geteuid()).state, LockState::Unreadable);
    writeText(dir.file("big"), "[Check_PsP]\nps=" + std::string(kMaxLockFileBytes, 'a') + "\n");
    const LockCheck big = checkLockFile(dir.file("big"), ::geteuid());
    EXPECT_EQ(big.state, LockState::Unreadable);
    EXPECT_NE(big.problem.find("too large"), std::string::npos) << big.problem;
}

TEST(LockFile, AStoredValueNotInTheScrambledFormIsReported) {
    test::TempDir dir;
    const std::string path = dir.file("Check_PsP");
    writeText(path, "[Check_PsP]\nps=plain text\nmaster=" + scrambledForm("admin") + "\n");
    const LockCheck check = checkLockFile(path, ::geteuid());
    ASSERT_EQ(check.state, LockState::On);
    EXPECT_NE(check.problem.find("scrambled form"), std::string::npos);
    EXPECT_FALSE(passwordAccepted(check.record, "plain text"));
    EXPECT_TRUE(passwordAccepted(check.record, "admin"));
}

TEST(LockFile, WrittenInOneStepReadableByEveryone) {
    test::TempDir dir;
    const std::string path = dir.file("etc/velmora/Check_PsP");
    const mode_t previousMask = ::umask(077);
    std::string error;
    const bool written = writeLockFile(path, {scrambledForm("P=;[x]\n"), ""}, &error);
    ::umask(previousMask);
    ASSERT_TRUE(written) << error;

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    ASSERT_EQ(::stat(dir.file("etc/velmora").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0755u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.file("etc/velmora")), {}), 1);

    const LockCheck check = checkLockFile(path, ::geteuid());
    ASSERT_EQ(check.state, LockState::On) << check.problem;
    EXPECT_TRUE(passwordAccepted(check.record, "P=;[x]\n"));

    ASSERT_TRUE(writeLockFile(path, {scrambledForm("new"), scrambledForm("admin")}, &error));
    const auto record = readLockRecord(path, &error);
    ASSERT_TRUE(record) << error;
    EXPECT_EQ(record->password, scrambledForm("new"));
    EXPECT_EQ(record->master, scrambledForm("admin"));
    EXPECT_FALSE(readLockRecord(dir.file("missing"), &error));
    EXPECT_FALSE(error.empty());
}

TEST(LockFile, PathComesFromTheEnvironmentWhenSet) {
    ::setenv("VELMORA_LOCK_FILE", "/tmp/elsewhere/Check_PsP", 1);
    EXPECT_EQ(lockFilePath(), "/tmp/elsewhere/Check_PsP");
    ::setenv("VELMORA_LOCK_FILE", "", 1);
    EXPECT_EQ(lockFilePath(), kDefaultLockFilePath);
    ::unsetenv("VELMORA_LOCK_FILE");
    EXPECT_EQ(lockFilePath(), "/etc/velmora/Check_PsP");
}

}  // namespace
}  // namespace velmora
