// Building the converter's task list from the stored jobs when the queue starts, as plain data:
// the caller adds each task with its input record and sets its output, in this order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "component/OptionRecords.h"
#include "profiles/FileNames.h"
#include "profiles/JobSlots.h"
#include "profiles/OutputNaming.h"

namespace velmora {

struct TaskSpec {
    int slotIndex = 0;  // the job's slot, which is also its row
    TInputOptions input;
    TOutputOptions output;  // output.FileName is the name to hand to SetOutputFile

    const std::string& inputFileName() const { return input.FileName; }
    const std::string& outputFileName() const { return output.FileName; }
};

struct TaskList {
    std::vector<TaskSpec> tasks;
    // Slots left out because no output name could be found for them.
    std::vector<int> skippedSlots;
};

// One task per full slot in index order. Each output is put in the output folder under the file
// name it got at add time, renamed by the start rule of outputNameForStart with the rest of the
// list in view: every job's source and the final names of the jobs before it are taken, and a
// marked name also avoids the unmarked names of the jobs after it. The output folder is not
// created here.
TaskList buildTasks(const JobSlotTable& slots, std::string_view outputFolder, ExistingFileRule rule,
                    const FileExists& fileExists);

}  // namespace velmora
