#include "component/CodecThreadShare.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(CodecThreadShare, EachTaskGetsAnEqualShareOfAtLeastOneThread) {
    const struct {
        int tasksAtOnce;
        int cores;
        int threads;
    } cases[] = {{1, 2, 0}, {0, 2, 0}, {2, 2, 1}, {3, 2, 1}, {2, 8, 4}, {3, 8, 2}, {2, 0, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(CodecThreadsPerTask(c.tasksAtOnce, c.cores), c.threads)
            << c.tasksAtOnce << " at once on " << c.cores << " cores";
    }
    EXPECT_GE(AvailableCores(), 1);
}

}  // namespace
}  // namespace velmora
