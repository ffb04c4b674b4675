// What a run wrote, for the check that decides how the task ended: each output's part file and
// final name, and for each of its streams what was written and what was expected of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "medialib/LibraryBindings.h"

namespace velmora {

struct WrittenStream {
    int index = 0;  // stream index inside the output file
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    // Where the stream should end on the output's time line, in microseconds: the end of the
    // input stream it comes from, less the start, capped by a recording time or frame limit.
    // -1 when nothing can be expected (unknown source duration, a run ended by its size limit).
    std::int64_t expectedEndUs = -1;
    // The end of the last packet handed to the muxer, microseconds; -1 when none was written.
    std::int64_t writtenEndUs = -1;
    std::int64_t packetsWritten = 0;
};

struct WrittenOutput {
    std::string finalName;
    // Where it is until it is kept; empty for an output written in place (a device, a pipe, a
    // protocol address, a muxer that writes its own files).
    std::string partName;
    std::vector<WrittenStream> streams;
};

}  // namespace velmora
