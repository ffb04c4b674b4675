// --shard: the text forms, the batch systems' variables, and the refusals of bad values.
#include <gtest/gtest.h>

#include <map>

#include "cli/ShardSelection.h"

namespace velmora::cli {
namespace {

using Variables = std::map<std::string, std::string>;

EnvironmentLookup lookupIn(const Variables& variables) {
    return [&variables](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional(found->second);
    };
}

TEST(ShardSelection, ReadsTheTextAndTheBatchSystemsVariables) {
    const Variables slurm{{"SLURM_ARRAY_TASK_ID", "2"}, {"SLURM_ARRAY_TASK_COUNT", "4"}};
    const Variables slurmFromOne{{"SLURM_ARRAY_TASK_ID", "4"},
                                 {"SLURM_ARRAY_TASK_MIN", "1"},
                                 {"SLURM_ARRAY_TASK_COUNT", "4"},
                                 {"SLURM_ARRAY_TASK_STEP", "1"}};
    const Variables kubernetes{{"JOB_COMPLETION_INDEX", "3"}};
    const Variables both{{"JOB_COMPLETION_INDEX", "1"}, {"SLURM_ARRAY_TASK_ID", "2"}};
    const struct {
        const char* text;
        Variables variables;
        Shard expected;
    } rows[] = {
        {"0/1", {}, {0, 1}},        {"3/4", slurm, {3, 4}},  // given in full, the variables do not
                                                             // count
        {"", slurm, {2, 4}},        {"/", slurm, {2, 4}},   {"/4", slurm, {2, 4}},
        {"", slurmFromOne, {3, 4}},                        // --array=1-4 numbers its tasks from 1
        {"/5", kubernetes, {3, 5}}, {"/4", both, {1, 4}},  // an indexed Job's own index first
    };
    for (const auto& row : rows) {
        std::string error;
        const auto shard = parseShard(row.text, lookupIn(row.variables), &error);
        ASSERT_TRUE(shard) << row.text << ": " << error;
        EXPECT_EQ(*shard, row.expected) << row.text;
    }
}

TEST(ShardSelection, RefusesBadValuesWithTheReason) {
    const Variables slurm{{"SLURM_ARRAY_TASK_ID", "2"}, {"SLURM_ARRAY_TASK_COUNT", "4"}};
    const struct {
        const char* text;
        Variables variables;
        const char* reason;  // part of the error
    } rows[] = {
        {"4/4", {}, "the index 4 is not within 0..3"},
        {"1/0", {}, "at least 1"},
        {"-1/4", {}, "not \"-1/4\""},
        {"1/4x", {}, "not \"1/4x\""},
        {"1", {}, "not \"1\""},
        {" 1/4", {}, "not \" 1/4\""},
        {"1/99999999999", {}, "not \"1/99999999999\""},
        {"", {}, "SLURM_ARRAY_TASK_COUNT is not set"},
        {"/4", {}, "SLURM_ARRAY_TASK_ID is not set (--shard /N reads JOB_COMPLETION_INDEX"},
        {"/4", {{"JOB_COMPLETION_INDEX", "x"}}, "JOB_COMPLETION_INDEX=\"x\" is not a whole number"},
        {"/4", {{"JOB_COMPLETION_INDEX", "4"}}, "the index 4 is not within 0..3"},
        {"/3", slurm, "does not match the Slurm array's SLURM_ARRAY_TASK_COUNT=4"},
        {"",
         {{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_COUNT", "four"}},
         "SLURM_ARRAY_TASK_COUNT=\"four\" is not a whole number"},
        {"",
         {{"SLURM_ARRAY_TASK_ID", "3"},
          {"SLURM_ARRAY_TASK_COUNT", "2"},
          {"SLURM_ARRAY_TASK_STEP", "2"}},
         "a step of 2"},
        {"",
         {{"SLURM_ARRAY_TASK_ID", "0"},
          {"SLURM_ARRAY_TASK_MIN", "1"},
          {"SLURM_ARRAY_TASK_COUNT", "2"}},
         "the index -1 is not within 0..1"},
    };
    for (const auto& row : rows) {
        std::string error;
        EXPECT_FALSE(parseShard(row.text, lookupIn(row.variables), &error)) << row.text;
        EXPECT_NE(error.find(row.reason), std::string::npos) << row.text << ": " << error;
    }
}

TEST(ShardSelection, EveryJobBelongsToExactlyOneShard) {
    for (int count = 1; count <= 5; ++count) {
        for (int job = 0; job < 12; ++job) {
            int owners = 0;
            for (int index = 0; index < count; ++index) {
                owners += Shard{index, count}.holds(job) ? 1 : 0;
            }
            EXPECT_EQ(owners, 1) << "job " << job << " of " << count << " shards";
            EXPECT_TRUE((Shard{job % count, count}.holds(job)));
        }
    }
}

}  // namespace
}  // namespace velmora::cli
