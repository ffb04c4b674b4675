#include "engine/VideoSync.h"

#include <algorithm>
#include <cmath>

namespace velmora {

VideoSyncResult VideoSyncStep(int method, bool variableFrameRate, double inputPts,
                              double pictureFrames, int64_t& position, int64_t maxDuplicates) {
    VideoSyncResult result;
    if (!std::isfinite(inputPts)) {
        return result;  // a picture without a usable time goes out once, where it stands
    }
    if (method == 0) {
        result.positionMoved = position != std::llrint(inputPts);
        position = std::llrint(inputPts);
        return result;
    }
    const double delta = inputPts - static_cast<double>(position);
    if (method == 2 || (method < 0 && variableFrameRate)) {
        if (delta <= -0.6) {
            result.frames = 0;
        } else if (delta > 0.6) {
            position = std::llrint(inputPts);
            result.positionMoved = true;
        }
        return result;
    }
    const double length = std::isfinite(pictureFrames) && pictureFrames > 0.0 ? pictureFrames : 1.0;
    const double toLastSlot = delta + length - 1.0;
    if (toLastSlot < -1.1) {
        result.frames = 0;
    } else if (toLastSlot > 1.1) {
        // Never more than +-2^62 frames: keeps the conversion defined for absurd times.
        result.frames = std::llrint(std::min(toLastSlot, 4.6e18));
        if (maxDuplicates >= 0 && result.frames - 1 > maxDuplicates) {
            result.framesRemoved = result.frames - 1 - maxDuplicates;
            result.frames = maxDuplicates + 1;
        }
    }
    return result;
}

}  // namespace velmora
