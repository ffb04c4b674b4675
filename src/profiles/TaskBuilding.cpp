#include "profiles/TaskBuilding.h"

#include "profiles/FileNameIndex.h"

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

    // Earlier jobs have their final names (a skipped job keeps the one it had). A marked name may
    // move, so it also avoids the names of later jobs that cannot (those without the mark). Both
    // sets are kept as the walk goes, so each check is a lookup, however long the list.
    FileNameIndex taken(sources);
    FileNameIndex laterFixed;
    for (const std::string& name : names) {
        if (!carriesNewNameMark(name)) {
            laterFixed.add(name);
        }
    }
    TaskList list;
    for (std::size_t j = 0; j < full.size(); ++j) {
        const bool movable = carriesNewNameMark(names[j]);
        if (!movable) {
            laterFixed.remove(names[j]);
        }
        const auto finalName =
            outputNameForStart(names[j], rule, fileExists, [&](const std::string& path) {
                return taken.contains(path) || (movable && laterFixed.contains(path));
            });
        const JobSlot& slot = slots.slot(full[j]);
        if (!finalName) {
            taken.add(names[j]);
            list.skippedSlots.push_back(full[j]);
            continue;
        }
        names[j] = *finalName;
        taken.add(names[j]);
        TaskSpec task{full[j], slot.input, slot.output};
        // The record carries the same name as the call, so the converter's copy never holds the
        // stale add-time name.
        task.output.FileName = *finalName;
        list.tasks.push_back(std::move(task));
    }
    return list;
}

}  // namespace velmora
