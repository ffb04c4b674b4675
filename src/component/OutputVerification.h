// Reading a written output back through the probe: can it be opened, and how far does each of
// its streams reach compared with what was expected of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/WrittenOutput.h"

namespace velmora {

struct StreamCoverage {
    int index = 0;  // stream index inside the output
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    std::int64_t expectedEndUs = -1;  // -1: nothing expected
    std::int64_t actualEndUs = -1;    // -1: the file does not tell
};

struct OutputCheck {
    std::string problem;  // set when the output cannot be read back
    std::vector<StreamCoverage> streams;
};

// Opens the output where it was written (its part file) with a probe of its own. A stream's
// reach is what the file states for that stream; where the file only states one duration for
// all streams, the end of what the engine wrote for the stream caps it. May take a moment on a
// large file whose durations must be read from its packets.
OutputCheck checkWrittenOutput(const WrittenOutput& output);

}  // namespace velmora
