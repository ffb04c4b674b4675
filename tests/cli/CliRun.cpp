#include "CliRun.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

namespace velmora::cli::test {

namespace {

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& arguments, const std::string& outputFile,
                       const std::string& inputFile)
    : m_outputFile(outputFile) {
    std::vector<std::string> all{VELMORA_CLI_PATH};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : all) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(
        &actions, STDIN_FILENO, inputFile.empty() ? "/dev/null" : inputFile.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    EXPECT_EQ(posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
}

CliProcess::~CliProcess() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        wait();
    }
}

void CliProcess::signal(int number) const {
    ::kill(m_pid, number);
}

int CliProcess::wait() {
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
    return exitCodeOf(status);
}

std::string CliProcess::output() const {
    std::ifstream in(m_outputFile);
    return {std::istreambuf_iterator<char>(in), {}};
}

CliResult runCli(const std::vector<std::string>& arguments, const std::string& inputFile) {
    char outputName[] = "/tmp/velmora-cli-test-XXXXXX";
    const int fd = ::mkstemp(outputName);
    if (fd < 0) {
        ADD_FAILURE() << "cannot make a file for the output";
        return {};
    }
    ::close(fd);
    CliResult result;
    {
        CliProcess process(arguments, outputName, inputFile);
        result.exitCode = process.wait();
        result.output = process.output();
    }
    ::unlink(outputName);
    return result;
}

CliResult runCliLine(const std::string& arguments, const std::string& launcher) {
    const std::string command =
        launcher + (launcher.empty() ? "" : " ") + VELMORA_CLI_PATH + " " + arguments + " 2>&1";
    CliResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    std::array<char, 4096> buffer{};
    std::size_t read = 0;
    while ((read = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        result.output.append(buffer.data(), read);
    }
    result.exitCode = exitCodeOf(::pclose(pipe));
    return result;
}

std::vector<std::string> outputLines(const std::string& output) {
    std::vector<std::string> lines;
    std::istringstream stream(output);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace velmora::cli::test
