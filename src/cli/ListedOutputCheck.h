// Whether the output a listed job names is already there and complete, so that a list run again
// (a shard that died, a run stopped half-way) skips what is done and converts the rest. The file
// is read back the way a finished conversion's output is checked: it must open, and its longest
// audio or video stream must reach the media time the job converts.
#pragma once

#include <string>

#include "profiles/JobListFile.h"

namespace velmora::cli {

enum class ListedOutput {
    Missing,     // nothing at the output name
    Complete,    // read back whole: the job is done
    Unverified,  // something is there that cannot be shown to be the whole output
};

struct ListedOutputCheck {
    ListedOutput state = ListedOutput::Missing;
    std::string reason;  // why an output is not verified
};

ListedOutputCheck checkListedOutput(const JobListEntry& job);

}  // namespace velmora::cli
