// The arithmetic of the playback core, kept free of threads and library state so it can be
// checked on its own: display geometry, frame delays, audio drift correction, seek windows.
#pragma once

#include <cstdint>

namespace velmora::playback {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where a picture goes inside a window of windowWidth x windowHeight.
// aspectSetting > 0 forces that ratio; < 0 stretches to the window; 0 uses the picture's own
// shape (sampleAspect <= 0 counts as square pixels). The result is centred, even-sized.
Rect displayRect(float aspectSetting, double sampleAspect, int pictureWidth, int pictureHeight,
                 int windowWidth, int windowHeight);

// The delay before the next picture, given the nominal delay and the video clock's distance from
// the master clock (diff = video - master). Video behind by more than the delay is shown at once;
// ahead by more, it waits twice as long. Differences of 10 s or more are not corrected.
double syncedDelay(double delay, double diff, bool videoIsSlave);

// The audio drift average of the synchroniser.
struct AudioDriftState {
    double sum = 0.0;
    int count = 0;
    double coefficient = 0.0;  // exp(ln(0.01) / 20)
    double threshold = 0.0;    // seconds
};

// New buffer size in bytes for `size` bytes of decoded audio that are `diff` seconds ahead (+)
// of or behind (-) the master clock; bounded to 90..110 % of the size in whole sample frames.
int synchronizedAudioSize(AudioDriftState& state, int size, double diff, int sampleRate,
                          int frameBytes);

// The seek window for a target: [min, max] that avformat_seek_file is asked for.
void seekWindow(std::int64_t target, std::int64_t increment, std::int64_t& minTs,
                std::int64_t& maxTs);

}  // namespace velmora::playback
