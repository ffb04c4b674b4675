// Makes the benchmark's source clip with the project's sample generator: a moving 1920x1080
// test picture in H.264 and a stereo 44.1 kHz tone in AAC.
//
// Usage: velmora-bench-source OUTPUT [SECONDS]   (container from the extension; default 10 s)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTPUT [SECONDS]\n", argv[0]);
        return 2;
    }
    if (!TMediaLibLoader::instance().LoadLibraries(kConverterSet)) {
        std::fprintf(stderr, "%s\n", TMediaLibLoader::instance().LastError().c_str());
        return 1;
    }
    SampleSpec spec;
    spec.durationSeconds = argc == 3 ? std::atof(argv[2]) : 10.0;
    spec.videoCodec = "libx264";
    spec.width = 1920;
    spec.height = 1080;
    spec.frameRate = AVRational{25, 1};
    spec.videoBitRate = 8000000;
    spec.audioCodec = "aac";
    spec.sampleRate = 44100;
    spec.channels = 2;
    std::string error;
    if (!makeSampleMedia(spec, argv[1], &error)) {
        std::fprintf(stderr, "velmora-bench-source: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
