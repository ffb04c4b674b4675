#include "cli/ShardSelection.h"

#include <charconv>
#include <cstdlib>

namespace velmora::cli {

namespace {

constexpr const char* kUsage = "--shard takes I/N (0 <= I < N), /N or nothing";

// A whole number of at most int's range; nothing for anything else (signs, spaces, fractions).
std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, problem] = std::from_chars(text.data(), end, value);
    if (text.empty() || problem != std::errc() || stop != end || value < 0) {
        return std::nullopt;
    }
    return value;
}

// A variable that must hold a whole number; nothing with *error when it is missing or does not.
std::optional<int> numberVariable(const EnvironmentLookup& environment, const char* name,
                                  std::string* error) {
    const std::optional<std::string> value = environment(name);
    if (!value) {
        *error = std::string(name) + " is not set";
        return std::nullopt;
    }
    const std::optional<int> number = wholeNumber(*value);
    if (!number) {
        *error = std::string(name) + "=\"" + *value + "\" is not a whole number";
    }
    return number;
}

// The index within a Slurm array: the task id counted from the array's first id, so that
// --array=1-4 gives 0..3 as --array=0-3 does.
std::optional<int> slurmIndex(const EnvironmentLookup& environment, std::string* error) {
    const std::optional<int> id = numberVariable(environment, "SLURM_ARRAY_TASK_ID", error);
    if (!id) {
        return std::nullopt;
    }
    if (const auto step = environment("SLURM_ARRAY_TASK_STEP"); step && *step != "1") {
        *error = "a Slurm array with a step of " + *step + " does not number its tasks one by " +
                 "one; give --shard I/N";
        return std::nullopt;
    }
    int first = 0;
    if (environment("SLURM_ARRAY_TASK_MIN")) {
        const std::optional<int> min = numberVariable(environment, "SLURM_ARRAY_TASK_MIN", error);
        if (!min) {
            return std::nullopt;
        }
        first = *min;
    }
    return *id - first;
}

}  // namespace

std::optional<std::string> processEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::nullopt : std::optional<std::string>(value);
}

std::optional<Shard> parseShard(std::string_view text, const EnvironmentLookup& environment,
                                std::string* error) {
    const std::size_t slash = text.find('/');
    if (!text.empty() && slash == std::string_view::npos) {
        *error = std::string(kUsage) + ", not \"" + std::string(text) + "\"";
        return std::nullopt;
    }
    const std::string_view indexText = text.empty() ? text : text.substr(0, slash);
    const std::string_view countText = text.empty() ? text : text.substr(slash + 1);

    Shard shard;
    if (countText.empty()) {
        // Nothing given: both from a Slurm array.
        if (!indexText.empty()) {
            *error = std::string(kUsage) + ", not \"" + std::string(text) + "\"";
            return std::nullopt;
        }
        const auto count = numberVariable(environment, "SLURM_ARRAY_TASK_COUNT", error);
        if (!count) {
            *error +=
                " (--shard without N reads a Slurm job array's variables; give --shard "
                "I/N, or /N with JOB_COMPLETION_INDEX)";
            return std::nullopt;
        }
        shard.count = *count;
    } else {
        const std::optional<int> count = wholeNumber(countText);
        if (!count) {
            *error = std::string(kUsage) + ", not \"" + std::string(text) + "\"";
            return std::nullopt;
        }
        shard.count = *count;
    }
    if (shard.count < 1) {
        *error = "--shard: the number of shards must be at least 1";
        return std::nullopt;
    }

    if (!indexText.empty()) {
        const std::optional<int> index = wholeNumber(indexText);
        if (!index) {
            *error = std::string(kUsage) + ", not \"" + std::string(text) + "\"";
            return std::nullopt;
        }
        shard.index = *index;
    } else if (!countText.empty() && environment("JOB_COMPLETION_INDEX")) {
        const auto index = numberVariable(environment, "JOB_COMPLETION_INDEX", error);
        if (!index) {
            return std::nullopt;
        }
        shard.index = *index;
    } else {
        const std::optional<int> index = slurmIndex(environment, error);
        if (!index) {
            if (!countText.empty()) {
                *error +=
                    " (--shard /N reads JOB_COMPLETION_INDEX or a Slurm array's "
                    "SLURM_ARRAY_TASK_ID)";
            }
            return std::nullopt;
        }
        if (const auto slurmCount = environment("SLURM_ARRAY_TASK_COUNT");
            slurmCount && !countText.empty() && wholeNumber(*slurmCount) != shard.count) {
            *error = "--shard " + std::string(text) + " does not match the Slurm array's " +
                     "SLURM_ARRAY_TASK_COUNT=" + *slurmCount;
            return std::nullopt;
        }
        shard.index = *index;
    }
    if (shard.index < 0 || shard.index >= shard.count) {
        *error = "--shard: the index " + std::to_string(shard.index) + " is not within 0.." +
                 std::to_string(shard.count - 1);
        return std::nullopt;
    }
    return shard;
}

}  // namespace velmora::cli
