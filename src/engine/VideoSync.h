// Frame-rate synchronisation of one video output: how many times a picture goes out (0: it is
// dropped, above 1: it is duplicated) given its time and the output's next frame position.
//
// Pure arithmetic, no state of its own; the caller owns the position and the counters.
#pragma once

#include <cstdint>

namespace velmora {

struct VideoSyncResult {
    int64_t frames = 1;          // times the picture is written
    bool positionMoved = false;  // the sync position jumped to the picture's time
    // Frames of a gap beyond maxDuplicates that were not filled: the caller's pictures come
    // that much earlier from now on.
    int64_t framesRemoved = 0;
};

// method: 0 passthrough (the position follows the picture), 1 constant rate (drop and
// duplicate), 2 variable rate (drop only, the position jumps over gaps), negative: automatic,
// which acts as 2 when the output format allows a variable frame rate and as 1 otherwise.
// inputPts: the picture's time in encoder time-base units; pictureFrames: how long the picture
// lasts in the same units (1 at equal rates, 0.4 from 25 to 10 frames per second; 1 when
// unknown); position: the output's next frame number, moved when the method says so.
// maxDuplicates: at most that many copies fill a gap (negative: no limit); the rest of a longer
// gap is removed, not filled. At a constant rate a picture is measured where its last frame slot
// begins, so that a rate change ends with the picture's end and not up to two frames past it.
VideoSyncResult VideoSyncStep(int method, bool variableFrameRate, double inputPts,
                              double pictureFrames, int64_t& position, int64_t maxDuplicates = -1);

}  // namespace velmora
