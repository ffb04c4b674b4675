// `velmora-cli run-jobs LIST`: runs the jobs of a job list (planned with `convert --plan`), or of
// one shard of it, writing each job's output under the name the list fixed. A job whose output
// is already there and complete is skipped as done; anything else at that name (the output of a
// run that was stopped or killed) is converted again and replaced. So a shard that died is simply
// run again, and shards never write the same file.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/ShardSelection.h"

namespace velmora::cli {

struct RunJobsOptions {
    std::string listFile;
    std::optional<std::string> shard;  // the --shard text; unset: every job of the list
    int parallel = 1;
    std::string priority = "normal";
    bool json = false;
};

// Exit codes as convert's: 0 every job of the shard done, 1 a job not done (or the list, the
// libraries unusable), 2 a usage error (a bad --shard among them), 130 interrupted.
int runRunJobsCommand(const RunJobsOptions& options, const EnvironmentLookup& environment,
                      std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
