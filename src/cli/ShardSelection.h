// Which jobs of a job list one process runs when the list is spread over many: job k (from 0)
// belongs to shard k mod N. The shard is given as "I/N", or with I omitted taken from the
// environment of the batch systems that start one process per index: a Kubernetes indexed Job
// (JOB_COMPLETION_INDEX) or a Slurm job array (SLURM_ARRAY_TASK_ID, less SLURM_ARRAY_TASK_MIN,
// and SLURM_ARRAY_TASK_COUNT).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::cli {

struct Shard {
    int index = 0;  // 0 <= index < count
    int count = 1;

    bool holds(int job) const { return job % count == index; }
    bool operator==(const Shard&) const = default;
};

// The value of an environment variable; nothing when it is unset.
using EnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> processEnvironment(const char* name);

// The shard of a --shard text: "I/N"; "/N" (I from JOB_COMPLETION_INDEX, else from the Slurm
// array); "" or "/" (I and N from the Slurm array). Nothing, with the reason in *error, for a
// malformed text, a count below 1, an index outside 0..N-1, or a variable that is missing, not a
// whole number or at odds with the count given.
std::optional<Shard> parseShard(std::string_view text, const EnvironmentLookup& environment,
                                std::string* error);

}  // namespace velmora::cli
