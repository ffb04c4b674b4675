// What a converted file holds, read back through the media libraries: container, streams with
// their codecs and formats, packet counts and durations.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/avutil.h>
#include <libavutil/rational.h>
}

namespace velmora::test {

struct StreamFacts {
    AVMediaType type = AVMEDIA_TYPE_UNKNOWN;
    std::string codec;  // codec name ("mpeg4", "mp3", ...)
    int width = 0;
    int height = 0;
    int channels = 0;
    int sampleRate = 0;
    int64_t bitRate = 0;
    long packets = 0;
    long keyPackets = 0;
    double firstSeconds = 0.0;   // first time stamp
    double endSeconds = 0.0;     // end of the last packet
    double packetSeconds = 0.0;  // the packets' durations added up
    AVRational sampleAspect{0, 1};
    double durationSeconds() const { return endSeconds - firstSeconds; }
    // Width / height on screen: the sample aspect ratio (square when unknown) times the size.
    double displayAspect() const;
};

struct MediaFacts {
    bool opened = false;
    std::string error;
    std::string format;  // demuxer short name
    std::vector<StreamFacts> streams;
    // The first stream of that type, or null.
    const StreamFacts* find(AVMediaType type) const;
    int count(AVMediaType type) const;
};

// Opens the file and reads every packet.
MediaFacts ReadMediaFacts(const std::string& path);

// The first audio stream decoded: samples per channel and the peak of each channel (full scale
// is 1.0). Empty peaks when the file has no audio or it cannot be decoded.
struct AudioPeaks {
    int64_t samples = 0;
    std::vector<double> peaks;
};
AudioPeaks DecodeAudioPeaks(const std::string& path);

}  // namespace velmora::test
