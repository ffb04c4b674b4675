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
        // Earlier jobs have their final names. A marked name may move, so it also avoids the
        // names of later jobs that cannot (those without the mark).
        std::vector<std::string> taken = sources;
        taken.insert(taken.end(), names.begin(), names.begin() + static_cast<std::ptrdiff_t>(j));
        if (carriesNewNameMark(names[j])) {
            for (std::size_t later = j + 1; later < full.size(); ++later) {
                if (!carriesNewNameMark(names[later])) {
                    taken.push_back(names[later]);
                }
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
