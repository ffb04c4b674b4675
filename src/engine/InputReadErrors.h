// Tells a read error inside an input from the input's end. Demuxers report damaged data (a
// chunk that points outside the file, a broken header) with the same codes as the end of the
// file, and many of them find their way again on the next read. A failed read is therefore
// tried again: a read error that repeats where the last one was, without a packet in between,
// or too many failures in a row, is the end of the input; failures that a packet follows were
// damaged data skipped.
//
// One per input file; used on the task's thread only.
#pragma once

#include <cstdint>

namespace velmora {

class InputReadErrors {
public:
    // Failed reads in a row after which the input counts as ended, even when each moved on.
    static constexpr int kMaxFailuresInARow = 32;

    enum class Verdict {
        TryAgain,  // read the input again: the demuxer may find its way past the damage
        End,       // the input has ended
    };

    // A read failed; position: the input's byte position after it (-1 when unknown).
    Verdict onFailure(int64_t position);
    // A packet was read; returns the failed reads it follows (damaged places skipped).
    int onPacket();

private:
    int m_failuresInARow = 0;
    int64_t m_lastPosition = -1;
};

}  // namespace velmora
