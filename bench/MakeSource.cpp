// Makes the benchmarks' source clips with the project's sample generator: by default a moving
// 1920x1080 test picture in H.264 and a stereo 44.1 kHz tone in AAC.
//
// Usage: velmora-bench-source OUTPUT [SECONDS [KIND]]   (container from the extension;
//        default 10 s). KIND "wav": a stereo 44.1 kHz 16-bit PCM tone only; KIND WIDTHxHEIGHT:
//        the H.264 + AAC clip at that picture size (1 Mbit/s).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "medialib/MediaLibLoader.h"
#include "samples/SampleMedia.h"

namespace {

// False when the kind names nothing this program makes.
bool applyKind(const std::string& kind, velmora::SampleSpec& spec) {
    if (kind == "wav") {
        spec.video = false;
        spec.audioCodec = "pcm_s16le";
        return true;
    }
    int width = 0;
    int height = 0;
    if (std::sscanf(kind.c_str(), "%dx%d", &width, &height) != 2 || width < 16 || height < 16) {
        return false;
    }
    spec.width = width;
    spec.height = height;
    spec.videoBitRate = 1000000;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s OUTPUT [SECONDS [wav|WIDTHxHEIGHT]]\n", argv[0]);
        return 2;
    }
    if (!TMediaLibLoader::instance().LoadLibraries(kConverterSet)) {
        std::fprintf(stderr, "%s\n", TMediaLibLoader::instance().LastError().c_str());
        return 1;
    }
    SampleSpec spec;
    spec.durationSeconds = argc >= 3 ? std::atof(argv[2]) : 10.0;
    spec.videoCodec = "libx264";
    spec.width = 1920;
    spec.height = 1080;
    spec.frameRate = AVRational{25, 1};
    spec.videoBitRate = 8000000;
    spec.audioCodec = "aac";
    spec.sampleRate = 44100;
    spec.channels = 2;
    if (argc == 4 && !applyKind(argv[3], spec)) {
        std::fprintf(stderr, "velmora-bench-source: unknown kind %s\n", argv[3]);
        return 2;
    }
    std::string error;
    if (!makeSampleMedia(spec, argv[1], &error)) {
        std::fprintf(stderr, "velmora-bench-source: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
