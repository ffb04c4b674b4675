// Loads the converter library set from a library folder the way the programs do and reports, one
// fact per line on standard output, where each library came from and what the libraries log:
//   loaded <catalogue name> <path>     for each library of the set
//   mapped <path>                      for each media library in the process
//   log <level> <message>              for each line the logger delivered
//   error <text>                       when the set does not load
// Standard error is left to the libraries: a line there is one that bypassed the logger.
//
// Usage: velmora_library_folder_check [--folder FOLDER] MEDIA_FILE
//        (without --folder: the "LibAV" folder next to this program)
//        velmora_library_folder_check --try-system NAME...
//        (opens each library by name through the system's search only and prints
//        "system <name> usable" or "system <name> unusable")
#include <dlfcn.h>
#include <link.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "medialib/LibraryBindings.h"
#include "medialib/LibraryHandles.h"
#include "medialib/MediaLibLoader.h"
#include "medialib/MediaLogger.h"

namespace {

using namespace velmora;

bool isMediaLibrary(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    for (const char* prefix : {"libav", "libsw", "libpostproc"}) {
        if (name.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

int printMapped(dl_phdr_info* info, size_t, void*) {
    if (info->dlpi_name != nullptr && isMediaLibrary(info->dlpi_name)) {
        std::printf("mapped %s\n", info->dlpi_name);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--try-system") == 0) {
        for (int i = 2; i < argc; ++i) {
            void* module = dlopen(argv[i], RTLD_NOW | RTLD_LOCAL);
            std::printf("system %s %s\n", argv[i], module != nullptr ? "usable" : "unusable");
        }
        return 0;
    }
    std::string folder = DefaultLibraryFolder();
    std::string media;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--folder") == 0 && i + 1 < argc) {
            folder = argv[++i];
        } else {
            media = argv[i];
        }
    }
    Logger().SetTriggerEventInMainThread(false);
    Logger().SetOnLog([](const void*, std::uint32_t, TLogLevel level, const std::string& message) {
        std::printf("log %d %s\n", static_cast<int>(level), message.c_str());
    });
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath(folder);
    if (!loader.LoadLibraries(kConverterSet)) {
        std::printf("error %s\n", loader.LastError().c_str());
        return 1;
    }
    Logger().SetLogLevel(TLogLevel::llInfo);
    for (int index = 0; index < kLibraryCount; ++index) {
        const auto lib = static_cast<MediaLibrary>(index);
        if ((kConverterSet & libraryBit(lib)) != 0) {
            std::printf("loaded %s %s\n", LibraryItem(lib).name, loader.LoadedPath(lib).c_str());
        }
    }
    dl_iterate_phdr(printMapped, nullptr);
    if (!media.empty()) {
        // A file the demuxer complains about: its complaint must reach the logger.
        AVFormatContext* context = nullptr;
        if (lib::avformat.avformat_open_input(&context, media.c_str(), nullptr, nullptr) >= 0) {
            lib::avformat.avformat_close_input(&context);
        }
    }
    std::fflush(stdout);
    return 0;
}
