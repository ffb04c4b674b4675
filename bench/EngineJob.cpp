// The engine side of the benchmark: the job of velmora-bench-bare, given to the transcoding
// engine as its options and run to the end on the main thread.
//
// Usage: velmora-bench-engine INPUT OUTPUT CONTAINER VCODEC WIDTH HEIGHT VBITRATE ACODEC ABITRATE
//        [VPRESET [SIZELIMIT]]   (VPRESET "-": none; SIZELIMIT: the "fs" option, bytes)
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "engine/Transcoder.h"
#include "medialib/LibraryBindings.h"
#include "medialib/MainThreadQueue.h"
#include "medialib/MediaLibLoader.h"

int main(int argc, char** argv) {
    using namespace velmora;
    if (argc < 10 || argc > 12) {
        std::fprintf(stderr,
                     "usage: %s INPUT OUTPUT CONTAINER VCODEC WIDTH HEIGHT VBITRATE ACODEC "
                     "ABITRATE [VPRESET [SIZELIMIT]]\n",
                     argv[0]);
        return 2;
    }
    if (!TMediaLibLoader::instance().LoadLibraries(kConverterSet)) {
        std::fprintf(stderr, "%s\n", TMediaLibLoader::instance().LastError().c_str());
        return 1;
    }
    SetMainThread();

    std::vector<std::pair<std::string, std::string>> options = {
        {"f", argv[3]}, {"vcodec", argv[4]}, {"s", std::string(argv[5]) + "x" + argv[6]},
        {"b", argv[7]}, {"acodec", argv[8]}, {"ab", argv[9]},
    };
    if (argc >= 11 && std::string(argv[10]) != "-") {
        options.emplace_back("vpre", argv[10]);
    }
    if (argc == 12) {
        options.emplace_back("fs", argv[11]);
    }

    TCustomTranscoder engine(1);
    try {
        if (!engine.OpenInput(argv[1])) {
            std::fprintf(stderr, "input: %s\n", engine.LastError().c_str());
            return 1;
        }
        // The bare program keeps the input's sample rate and channel count; the engine is told
        // them, since without "ar"/"ac" it would take its own defaults.
        const AVFormatContext* input = engine.InputFormatContext(0);
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVCodecParameters* parameters = input->streams[i]->codecpar;
            if (parameters->codec_type == AVMEDIA_TYPE_AUDIO) {
                options.emplace_back("ar", std::to_string(parameters->sample_rate));
                options.emplace_back("ac", std::to_string(parameters->ch_layout.nb_channels));
                break;
            }
        }
        for (const auto& [name, value] : options) {
            engine.SetOption(name, value);
        }
        if (engine.OpenOutput(argv[2], false) < 0) {
            std::fprintf(stderr, "output: %s\n", engine.LastError().c_str());
            return 1;
        }
        engine.Start(false);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "velmora-bench-engine: %s\n", error.what());
        return 1;
    }
    if (engine.Exception() || !engine.Finished()) {
        std::fprintf(stderr, "velmora-bench-engine: %s\n", engine.ExceptionMessage().c_str());
        return 1;
    }
    return 0;
}
