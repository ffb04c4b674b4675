// Where a stream's content ends as its file states it, read from the headers without touching
// any packet. The engine uses it for what a source promises, the converter's check for what a
// written output holds.
#pragma once

#include <cstdint>

#include "medialib/LibraryBindings.h"

namespace velmora {

// "HH:MM:SS.fffffffff" (the per-track "DURATION" tag Matroska files carry) in microseconds;
// -1 for any other text.
std::int64_t ParseDurationTagUs(const char* text);

// The end of a stream of context on its file's time line, in microseconds: its start plus its
// own duration, else its "DURATION" tag; -1 when the file states neither. An AVI video stream
// promises the frame count of its header when that is longer than what the file still holds.
std::int64_t StatedStreamEndUs(const AVFormatContext* context, const AVStream* stream);

// The container's start plus its duration, in microseconds; -1 when unknown.
std::int64_t StatedContainerEndUs(const AVFormatContext* context);

// True when the library only guessed the durations from the bit rate, so they promise nothing.
bool DurationsAreEstimated(const AVFormatContext* context);

}  // namespace velmora
