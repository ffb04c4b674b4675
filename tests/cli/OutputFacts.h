// What a written output holds, read back through the media libraries.
#pragma once

#include <string>

namespace velmora::cli::test {

struct OutputFacts {
    bool opened = false;
    std::string error;
    std::string format;  // demuxer short name, first of its list ("mov" for "mov,mp4,...")
    bool hasVideo = false;
    std::string videoCodec;  // codec name ("mpeg4", "h264", ...)
    int width = 0;
    int height = 0;
    double displayAspect = 0;  // width / height on screen (the sample aspect ratio applied)
    bool hasAudio = false;
    std::string audioCodec;
    int channels = 0;
    int sampleRate = 0;
    double durationSeconds = -1;  // container duration, else the longest stream's
};

OutputFacts readOutputFacts(const std::string& path);

// What the engine's encoder choice gives: the named encoder (an empty name: the muxer's default
// for the file name, or for the forced format), its codec name, and the sample rate and channel
// count it takes for a requested one (the nearest it lists; the requested one when it lists none).
std::string expectedCodec(const std::string& encoderName, const std::string& fileName,
                          const std::string& format, bool video);
int expectedSampleRate(const std::string& encoderName, const std::string& fileName,
                       const std::string& format, int requested);
int expectedChannels(const std::string& encoderName, const std::string& fileName,
                     const std::string& format, int requested);

}  // namespace velmora::cli::test
