#include "profiles/TaskBuilding.h"

namespace velmora {

TaskList buildTasks(const JobSlotTable& slots, std::string_view outputFolder, ExistingFileRule rule,
                    const FileExists& fileExists) {
    std::vector<int> full;
    std::vector<std::string> sources;
    std::vector<std::string> names;  // each job's name as it stands so far
    for (int i = 0; i < slots.count(); ++i) {
        const JobSlot& slot = slots.slot(i);
        if (slot.state() == kSlotFull) {
            full.push_back(i);
            sources.push_back(slot.input.FileName);
            names.push_back(joinPath(outputFolder, fileNamePart(slot.output.FileName)));
        }
    }

    TaskList list;
    for (std::size_t j = 0; j < full.size(); ++j) {
        std::vector<std::string> taken = sources;
        for (std::size_t other = 0; other < full.size(); ++other) {
            if (other != j) {
                taken.push_back(names[other]);
            }
        }
        const auto finalName = outputNameForStart(names[j], rule, fileExists, taken);
        const JobSlot& slot = slots.slot(full[j]);
        if (!finalName) {
            list.skippedSlots.push_back(full[j]);
            continue;
        }
        names[j] = *finalName;
        TaskSpec task{full[j], slot.input, slot.output};
        // The record carries the same name as the call, so the converter's copy never holds the
        // stale add-time name.
        task.output.FileName = *finalName;
        list.tasks.push_back(std::move(task));
    }
    return list;
}

}  // namespace velmora
