#include "cli/LibsCommand.h"

#include <cstdio>
#include <ostream>

#include "medialib/LibraryBindings.h"
#include "medialib/MediaLibLoader.h"

namespace velmora::cli {

namespace {

unsigned runtimeVersion(MediaLibrary lib) {
    switch (lib) {
        case MediaLibrary::avcodec:
            return lib::avcodec.avcodec_version();
        case MediaLibrary::avfilter:
            return lib::avfilter.avfilter_version();
        case MediaLibrary::avformat:
            return lib::avformat.avformat_version();
        case MediaLibrary::avutil:
            return lib::avutil.avutil_version();
        case MediaLibrary::swscale:
            return lib::swscale.swscale_version();
        case MediaLibrary::swresample:
            return lib::swresample.swresample_version();
        default:
            return 0;
    }
}

std::string versionText(MediaLibrary lib) {
    if (lib == MediaLibrary::SDL) {
        SDL_version version{};
        lib::sdl.SDL_GetVersion(&version);
        return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
               std::to_string(version.patch);
    }
    const unsigned version = runtimeVersion(lib);
    if (version == 0) {
        return "-";
    }
    return std::to_string(version >> 16) + "." + std::to_string((version >> 8) & 0xFF) + "." +
           std::to_string(version & 0xFF);
}

bool loadSet(const char* label, LibrarySet set, std::ostream& err) {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    if (loader.LoadLibraries(set)) {
        return true;
    }
    err << label << ": " << loader.LastError() << '\n';
    return false;
}

}  // namespace

int runLibsCommand(std::ostream& out, std::ostream& err) {
    TMediaLibLoader& loader = TMediaLibLoader::instance();
    loader.SetLibraryPath(DefaultLibraryFolder());
    const bool converterLoaded = loadSet("converter set", kConverterSet, err);
    const bool playerLoaded = loadSet("player set", kPlayerSet, err);
    for (int index = 0; index < kLibraryCount; ++index) {
        const auto lib = static_cast<MediaLibrary>(index);
        char line[512];
        if ((kPlayerSet & libraryBit(lib)) == 0) {
            std::snprintf(line, sizeof line, "%-11s %-10s never loaded (%s is in no library set)",
                          LibraryItem(lib).name, "-", loader.LibraryFileName(lib).c_str());
        } else if (loader.LibraryLoaded(lib)) {
            std::snprintf(line, sizeof line, "%-11s %-10s %s", LibraryItem(lib).name,
                          versionText(lib).c_str(), loader.LoadedPath(lib).c_str());
        } else {
            std::snprintf(line, sizeof line, "%-11s %-10s not loaded (%s)", LibraryItem(lib).name,
                          "-", loader.LibraryFileName(lib).c_str());
        }
        out << line << '\n';
    }
    return converterLoaded && playerLoaded ? 0 : 1;
}

}  // namespace velmora::cli
