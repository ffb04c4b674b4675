// velmora-cli lock set / lock clear: who may run them, the two entries, what they write, and the
// program itself reading the password from piped input.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/LockCommand.h"
#include "profiles/LockFile.h"
#include "support/TempDir.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

struct LockRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    int prompts = 0;
};

// Runs the command as root with these answers to its prompts (nothing: the input has ended).
LockRun runLock(LockAction action, bool master, const std::string& path,
                std::deque<std::optional<std::string>> answers, uid_t user = 0) {
    LockRun run;
    std::ostringstream out;
    std::ostringstream err;
    const PasswordPrompt ask = [&](const std::string&) -> std::optional<std::string> {
        ++run.prompts;
        if (answers.empty()) {
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    };
    run.exitCode = runLockCommand({action, master}, path, user, ask, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

LockCheck lockAt(const std::string& path) {
    return checkLockFile(path, ::geteuid());
}

struct RefusalRow {
    const char* name;
    std::deque<std::optional<std::string>> answers;
    const char* reason;
};

TEST(LockCommand, SetRefusesWhatIsNoUsablePasswordAndWritesNothing) {
    const RefusalRow rows[] = {
        {"entries differ", {"abc", "abd"}, "differ"},
        {"empty", {"", ""}, "empty"},
        {"input ended", {std::nullopt}, "no password"},
        {"input ended after one", {"abc", std::nullopt}, "no password"},
        {"too long",
         {std::string(kMaxPasswordBytes + 1, 'a'), std::string(kMaxPasswordBytes + 1, 'a')},
         "longer than"},
    };
    for (const RefusalRow& row : rows) {
        test::TempDir dir;
        const std::string path = dir.file("velmora/Check_PsP");
        const LockRun run = runLock(LockAction::Set, false, path, row.answers);
        EXPECT_EQ(run.exitCode, 1) << row.name;
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << row.name << ": " << run.err;
        EXPECT_FALSE(fs::exists(path)) << row.name;
    }
}

TEST(LockCommand, OnlyRootMayChangeTheLock) {
    test::TempDir dir;
    const std::string path = dir.file("Check_PsP");
    for (const LockAction action : {LockAction::Set, LockAction::Clear}) {
        const LockRun run = runLock(action, false, path, {"abc", "abc"}, 1000);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.prompts, 0);
        EXPECT_NE(run.err.find("only root"), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(path));
}

TEST(LockCommand, SetSwitchesTheLockOnAndMasterAddsASecondPassword) {
    test::TempDir dir;
    const std::string path = dir.file("velmora/Check_PsP");

    // A master value needs a lock to belong to.
    LockRun run = runLock(LockAction::Set, true, path, {"admin", "admin"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(fs::exists(path));

    run = runLock(LockAction::Set, false, path, {"Secret-1", "Secret-1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("The lock is on"), std::string::npos);
    EXPECT_EQ(run.prompts, 2);
    LockCheck check = lockAt(path);
    ASSERT_EQ(check.state, LockState::On) << check.problem;
    EXPECT_TRUE(passwordAccepted(check.record, "Secret-1"));
    EXPECT_FALSE(passwordAccepted(check.record, ""));

    run = runLock(LockAction::Set, true, path, {"admin", "admin"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    check = lockAt(path);
    EXPECT_TRUE(passwordAccepted(check.record, "Secret-1"));
    EXPECT_TRUE(passwordAccepted(check.record, "admin"));

    // A new password keeps the master value.
    run = runLock(LockAction::Set, false, path, {"Secret-2", "Secret-2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    check = lockAt(path);
    EXPECT_FALSE(passwordAccepted(check.record, "Secret-1"));
    EXPECT_TRUE(passwordAccepted(check.record, "Secret-2"));
    EXPECT_TRUE(passwordAccepted(check.record, "admin"));
}

TEST(LockCommand, ClearRemovesTheLockOrOnlyItsMaster) {
    test::TempDir dir;
    const std::string path = dir.file("Check_PsP");
    ASSERT_EQ(runLock(LockAction::Set, false, path, {"pw", "pw"}).exitCode, 0);
    ASSERT_EQ(runLock(LockAction::Set, true, path, {"admin", "admin"}).exitCode, 0);

    LockRun run = runLock(LockAction::Clear, true, path, {});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    LockCheck check = lockAt(path);
    EXPECT_TRUE(passwordAccepted(check.record, "pw"));
    EXPECT_FALSE(passwordAccepted(check.record, "admin"));

    run = runLock(LockAction::Clear, false, path, {});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(lockAt(path).state, LockState::Off);
    run = runLock(LockAction::Clear, false, path, {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("There is no lock"), std::string::npos);
}

TEST(LockCommand, AnotherFileAtTheLockPathIsNeitherReplacedNorRemoved) {
    test::TempDir dir;
    const std::string path = dir.file("passwd");
    std::ofstream(path) << "root:x:0:0:root:/root:/bin/bash\n";
    for (const bool master : {false, true}) {
        LockRun run = runLock(LockAction::Set, master, path, {"pw", "pw"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("is not a lock file"), std::string::npos) << run.err;
        run = runLock(LockAction::Clear, master, path, {});
        EXPECT_EQ(run.exitCode, 1);
    }
    std::ifstream file(path);
    std::string line;
    std::getline(file, line);
    EXPECT_EQ(line, "root:x:0:0:root:/root:/bin/bash");

    // An empty file is taken as a lock without a password.
    std::ofstream(dir.file("empty"));
    EXPECT_EQ(runLock(LockAction::Set, false, dir.file("empty"), {"pw", "pw"}).exitCode, 0);
}

TEST(LockCommand, ALockThatTheProgramWouldIgnoreIsNotReportedAsSet) {
    test::TempDir dir;
    fs::create_directories(dir.file("open"));
    ::chmod(dir.file("open").c_str(), 0777);
    const LockRun run = runLock(LockAction::Set, false, dir.file("open/Check_PsP"), {"pw", "pw"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("ignores it"), std::string::npos) << run.err;
}

// The real program: the password comes twice from the piped input, never from the arguments.
TEST(CommandLineLock, SetAndClearThroughTheProgram) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "the lock commands need root";
    }
    test::TempDir dir;
    const std::string path = dir.file("etc/Check_PsP");
    const std::string program =
        "VELMORA_LOCK_FILE='" + path + "' " + std::string(VELMORA_CLI_PATH) + " lock ";
    const auto run = [](const std::string& command, const std::string& input) {
        FILE* pipe = ::popen((command + " >/dev/null 2>&1").c_str(), "w");
        if (pipe == nullptr) {
            return -1;
        }
        std::fputs(input.c_str(), pipe);
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run(program + "set", "one\ntwo\n"), 1);
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(run(program + "set", "open sesame\r\nopen sesame\n"), 0);
    const LockCheck check = checkLockFile(path, 0);
    ASSERT_EQ(check.state, LockState::On) << check.problem;
    EXPECT_TRUE(passwordAccepted(check.record, "open sesame"));
    EXPECT_EQ(run(program + "clear", ""), 0);
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(run(program + "set --bogus", ""), 2);
}

}  // namespace
}  // namespace velmora::cli
