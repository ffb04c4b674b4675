#include "engine/VideoSync.h"

#include <cmath>

namespace velmora {

VideoSyncResult VideoSyncStep(int method, bool variableFrameRate, double inputPts,
                              int64_t& position) {
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
    if (delta < -1.1) {
        result.frames = 0;
    } else if (method == 2 || (method < 0 && variableFrameRate)) {
        if (delta <= -0.6) {
            result.frames = 0;
        } else if (delta > 0.6) {
            position = std::llrint(inputPts);
            result.positionMoved = true;
        }
    } else if (delta > 1.1) {
        result.frames = std::llrint(delta);
    }
    return result;
}

}  // namespace velmora
