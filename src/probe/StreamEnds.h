// How far each stream of a file opened by a probe reaches: what a written output really holds,
// for the check that decides whether a conversion is complete.
#pragma once

#include <cstdint>
#include <vector>

#include "probe/MediaProbe.h"

namespace velmora {

// Bound on reading a file's packets to find where its streams end.
inline constexpr int kStreamScanLimitMs = 10000;

// One entry per stream of the probe's open file: where the stream ends, in microseconds on the
// file's time line, or -1 when the file does not tell. The end its headers state is taken; when
// the library could only guess durations from the bit rate, the packets are read to the end of
// the file instead (within kStreamScanLimitMs; past that every scanned entry stays -1). Moves
// the file's read position. Empty when nothing is open.
std::vector<std::int64_t> MeasureStreamEndsUs(TCustomMediaProbe& probe);

}  // namespace velmora
