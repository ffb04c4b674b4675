#include "cli/ExtOptionsCheck.h"

#include "engine/GenericOptions.h"
#include "engine/OptionParser.h"

namespace velmora::cli {

std::vector<std::string> ignoredExtOptions(std::string_view text) {
    std::vector<std::string> ignored;
    GenericOptions libraryOptions;
    for (const OptionLine& line : SplitOptionText(text)) {
        // The table's own names raise their errors when the job is added; the converter applies
        // the stream options ("newaudio", "vpre" ...) itself.
        if (IsEngineOptionName(line.name) || IsSkippedInPass(line.name, OptionPass::Input)) {
            continue;
        }
        if (!libraryOptions.set(line.name, line.value)) {
            ignored.push_back(line.name + "=" + line.value);
        }
    }
    return ignored;
}

}  // namespace velmora::cli
