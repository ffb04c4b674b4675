// `velmora-cli task`: one engine task built from raw option text, for power users: several
// inputs, one output (optionally joining the inputs), options in the engine's name=value syntax.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::cli {

struct TaskOptions {
    std::vector<std::string> inputs;
    std::string inputOptions;  // applied before each input is opened
    std::string output;
    std::string outputOptions;
    bool join = false;
    bool overwrite = true;  // the raw task writes where it is told
    int progressIntervalMs = 500;
    bool json = false;
};

// Returns the exit code as convert does.
int runTaskCommand(const TaskOptions& options, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
