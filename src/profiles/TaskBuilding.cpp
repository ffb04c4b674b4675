#include "profiles/TaskBuilding.h"

namespace velmora {

TaskList buildTasks(const JobSlotTable& slots, std::string_view outputFolder, ExistingFileRule rule,
                    const FileExists& fileExists) {
    TaskList list;
    for (int i = 0; i < slots.count(); ++i) {
        const JobSlot& slot = slots.slot(i);
        if (slot.state() != kSlotFull) {
            continue;
        }
        const std::string name = joinPath(outputFolder, fileNamePart(slot.output.FileName));
        const auto finalName = outputNameForStart(name, rule, fileExists);
        if (!finalName) {
            list.skippedSlots.push_back(i);
            continue;
        }
        TaskSpec task{i, slot.input, slot.output};
        // The record carries the same name as the call, so the converter's copy never holds the
        // stale add-time name.
        task.output.FileName = *finalName;
        list.tasks.push_back(std::move(task));
    }
    return list;
}

}  // namespace velmora
