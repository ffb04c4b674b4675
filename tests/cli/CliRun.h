// velmora-cli run as a program by the tests: to its end with the output collected, or started
// and left running so that a test can signal it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace velmora::cli::test {

struct CliResult {
    int exitCode = -1;   // -SIGNAL when a signal ended it
    std::string output;  // stdout and stderr together
};

// Runs velmora-cli with the arguments; standard input comes from inputFile (empty: none).
CliResult runCli(const std::vector<std::string>& arguments, const std::string& inputFile = "");

// The same, through a shell command line (arguments as the shell reads them); launcher, when
// given, is the command line's start before velmora-cli ("setpriv --reuid=...").
CliResult runCliLine(const std::string& arguments, const std::string& launcher = "");

// velmora-cli started with both output streams going to a file.
class CliProcess {
public:
    CliProcess(const std::vector<std::string>& arguments, const std::string& outputFile,
               const std::string& inputFile = "");
    ~CliProcess();
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void signal(int number) const;
    // The exit code, or -signal when a signal ended it.
    int wait();
    std::string output() const;

private:
    std::string m_outputFile;
    pid_t m_pid = -1;
};

// The lines of an output.
std::vector<std::string> outputLines(const std::string& output);

}  // namespace velmora::cli::test
