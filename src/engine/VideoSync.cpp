#include "engine/VideoSync.h"

#include <cmath>

namespace velmora {

VideoSyncResult VideoSyncStep(int method, bool variableFrameRate, double inputPts,
                              double pictureFrames, int64_t& position) {
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
        result.frames = std::llrint(toLastSlot);
    }
    return result;
}

}  // namespace velmora
