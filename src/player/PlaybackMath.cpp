#include "player/PlaybackMath.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace velmora::playback {

Rect displayRect(float aspectSetting, double sampleAspect, int pictureWidth, int pictureHeight,
                 int windowWidth, int windowHeight) {
    double aspect = 0.0;
    if (aspectSetting > 0.0f) {
        aspect = aspectSetting;
    } else if (aspectSetting < 0.0f && windowWidth > 0 && windowHeight > 0) {
        aspect = static_cast<double>(windowWidth) / windowHeight;
    } else {
        const double sar = sampleAspect > 0.0 ? sampleAspect : 1.0;
        aspect = pictureHeight > 0 ? sar * pictureWidth / pictureHeight : 1.0;
    }
    if (aspect <= 0.0) {
        aspect = 1.0;
    }
    int height = windowHeight;
    int width = static_cast<int>(std::lround(height * aspect)) & ~1;
    if (width > windowWidth) {
        width = windowWidth;
        height = static_cast<int>(std::lround(width / aspect)) & ~1;
    }
    Rect rect;
    rect.x = (windowWidth - width) / 2;
    rect.y = (windowHeight - height) / 2;
    rect.width = std::max(width, 1);
    rect.height = std::max(height, 1);
    return rect;
}

double syncedDelay(double delay, double diff, bool videoIsSlave) {
    if (!videoIsSlave) {
        return delay;
    }
    const double threshold = std::max(0.01, delay);
    if (std::fabs(diff) < 10.0) {
        if (diff <= -threshold) {
            return 0.0;
        }
        if (diff >= threshold) {
            return 2.0 * delay;
        }
    }
    return delay;
}

int synchronizedAudioSize(AudioDriftState& state, int size, double diff, int sampleRate,
                          int frameBytes) {
    if (std::fabs(diff) >= 10.0) {
        // Too far apart to be drift: start averaging again.
        state.sum = 0.0;
        state.count = 0;
        return size;
    }
    state.sum = diff + state.coefficient * state.sum;
    if (state.count < 20) {
        ++state.count;
        return size;
    }
    const double average = state.sum * (1.0 - state.coefficient);
    if (std::fabs(average) < state.threshold || frameBytes <= 0) {
        return size;
    }
    int wanted = size + static_cast<int>(std::lround(diff * sampleRate)) * frameBytes;
    const int frames = size / frameBytes;
    const int minSize = ((frames * 90) / 100) * frameBytes;
    const int maxSize = ((frames * 110) / 100) * frameBytes;
    return std::clamp(wanted, minSize, maxSize);
}

void seekWindow(std::int64_t target, std::int64_t increment, std::int64_t& minTs,
                std::int64_t& maxTs) {
    minTs = increment > 0 ? target - increment + 2 : std::numeric_limits<std::int64_t>::min();
    maxTs = increment < 0 ? target - increment - 2 : std::numeric_limits<std::int64_t>::max();
}

}  // namespace velmora::playback
