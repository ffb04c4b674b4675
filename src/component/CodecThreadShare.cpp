#include "component/CodecThreadShare.h"

#include <sched.h>

#include <algorithm>
#include <thread>

namespace velmora {

int CodecThreadsPerTask(int tasksAtOnce, int cores) {
    if (tasksAtOnce <= 1 || cores <= 0) {
        return 0;
    }
    return std::max(1, cores / tasksAtOnce);
}

int AvailableCores() {
    // The affinity mask, as the codec library counts them: a process limited to some cores
    // should not share out the others.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0) {
        return std::max(1, CPU_COUNT(&set));
    }
    return std::max(1U, std::thread::hardware_concurrency());
}

}  // namespace velmora
