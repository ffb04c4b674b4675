// The end of one task: its outputs read back and checked, the end state decided, and the outputs
// put where that decision says (under their final names when done, incomplete or stopped;
// removed when failed or unreadable). The component calls it once per task from the engine's
// terminate callback, before anyone is told; velmora-cli's raw task does the same.
#pragma once

#include "component/EventRecords.h"
#include "component/TaskEngine.h"

namespace velmora {

// Runs on the thread giving the engine's termination notice. May take a moment (see
// checkWrittenOutput).
TaskEndReport settleTaskEnd(TaskEngine& engine);

// The termination record of a task that ended as the report says.
TTerminateInfo terminateInfoOf(int taskIndex, const TaskEndReport& report);

}  // namespace velmora
