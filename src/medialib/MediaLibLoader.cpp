#include "medialib/MediaLibLoader.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cstdio>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "medialib/LibraryBindings.h"
#include "medialib/MediaLogger.h"
#include "medialib/SharedObjectDependencies.h"

namespace velmora {

namespace lib {
AVCodecEntries avcodec;
AVDeviceEntries avdevice;
AVFilterEntries avfilter;
AVFormatEntries avformat;
AVUtilEntries avutil;
SwScaleEntries swscale;
CRuntimeEntries libc;
SDLEntries sdl;
SwResampleEntries swresample;
}  // namespace lib

namespace {

class BindError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string formatText(const char* format, const std::string& a, const std::string& b,
                       const std::string& c) {
    const int size = std::snprintf(nullptr, 0, format, a.c_str(), b.c_str(), c.c_str());
    std::string text(static_cast<size_t>(size), '\0');
    std::snprintf(text.data(), text.size() + 1, format, a.c_str(), b.c_str(), c.c_str());
    return text;
}

std::string dlErrorText() {
    const char* text = dlerror();
    return text ? text : "unknown error";
}

template <typename Fn>
void bindEntry(void* module, const std::string& fileName, const char* name, Fn& slot) {
    dlerror();
    void* address = dlsym(module, name);
    if (address == nullptr) {
        throw BindError(formatText("Load function %s@%s error: %s", name, fileName, dlErrorText()));
    }
    slot = reinterpret_cast<Fn>(address);
}

// A library built for another major version has other structure layouts: refuse it.
void checkMajor(const std::string& fileName, unsigned runtimeVersion, unsigned compiledMajor) {
    const unsigned major = runtimeVersion >> 16;
    if (major != compiledMajor) {
        char text[256];
        std::snprintf(text, sizeof text, "Library %s has version %u.%u.%u, expected major %u",
                      fileName.c_str(), major, (runtimeVersion >> 8) & 0xFF, runtimeVersion & 0xFF,
                      compiledMajor);
        throw BindError(text);
    }
}

#define VELMORA_DEFINE_BINDING(bindName, unbindName, table, listMacro) \
    void bindName(const std::string& fileName, void* module) {         \
        lib::table = {};                                               \
        auto bind = [&](auto& slot, const char* name) {                \
            bindEntry(module, fileName, name, slot);                   \
        };                                                             \
        listMacro(VELMORA_BIND_##table)                                \
    }                                                                  \
    void unbindName() {                                                \
        lib::table = {};                                               \
    }

#define VELMORA_BIND_avcodec(name) bind(lib::avcodec.name, #name);
#define VELMORA_BIND_avdevice(name) bind(lib::avdevice.name, #name);
#define VELMORA_BIND_avfilter(name) bind(lib::avfilter.name, #name);
#define VELMORA_BIND_avformat(name) bind(lib::avformat.name, #name);
#define VELMORA_BIND_avutil(name) bind(lib::avutil.name, #name);
#define VELMORA_BIND_swscale(name) bind(lib::swscale.name, #name);
#define VELMORA_BIND_libc(name) bind(lib::libc.name, #name);
#define VELMORA_BIND_sdl(name) bind(lib::sdl.name, #name);
#define VELMORA_BIND_swresample(name) bind(lib::swresample.name, #name);

VELMORA_DEFINE_BINDING(bindAVCodecLists, unbindAVCodec, avcodec, VELMORA_AVCODEC_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindAVDeviceLists, unbindAVDevice, avdevice, VELMORA_AVDEVICE_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindAVFilterLists, unbindAVFilter, avfilter, VELMORA_AVFILTER_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindAVFormatLists, unbindAVFormat, avformat, VELMORA_AVFORMAT_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindAVUtilLists, unbindAVUtil, avutil, VELMORA_AVUTIL_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindSwScaleLists, unbindSwScale, swscale, VELMORA_SWSCALE_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindCRuntime, unbindCRuntime, libc, VELMORA_CRUNTIME_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindSDL, unbindSDL, sdl, VELMORA_SDL_FUNCTIONS)
VELMORA_DEFINE_BINDING(bindSwResampleLists, unbindSwResample, swresample,
                       VELMORA_SWRESAMPLE_FUNCTIONS)

void bindAVCodec(const std::string& fileName, void* module) {
    bindAVCodecLists(fileName, module);
    checkMajor(fileName, lib::avcodec.avcodec_version(), LIBAVCODEC_VERSION_MAJOR);
}
void bindAVDevice(const std::string& fileName, void* module) {
    bindAVDeviceLists(fileName, module);
    checkMajor(fileName, lib::avdevice.avdevice_version(), LIBAVDEVICE_VERSION_MAJOR);
}
void bindAVFilter(const std::string& fileName, void* module) {
    bindAVFilterLists(fileName, module);
    checkMajor(fileName, lib::avfilter.avfilter_version(), LIBAVFILTER_VERSION_MAJOR);
}
void bindAVFormat(const std::string& fileName, void* module) {
    bindAVFormatLists(fileName, module);
    checkMajor(fileName, lib::avformat.avformat_version(), LIBAVFORMAT_VERSION_MAJOR);
}
void bindAVUtil(const std::string& fileName, void* module) {
    bindAVUtilLists(fileName, module);
    checkMajor(fileName, lib::avutil.avutil_version(), LIBAVUTIL_VERSION_MAJOR);
}
void bindSwScale(const std::string& fileName, void* module) {
    bindSwScaleLists(fileName, module);
    checkMajor(fileName, lib::swscale.swscale_version(), LIBSWSCALE_VERSION_MAJOR);
}
void bindSwResample(const std::string& fileName, void* module) {
    bindSwResampleLists(fileName, module);
    checkMajor(fileName, lib::swresample.swresample_version(), LIBSWRESAMPLE_VERSION_MAJOR);
}

constexpr TLibraryItem kCatalogue[kLibraryCount] = {
    {MediaLibrary::avcodec, "avcodec", "avcodec", LIBAVCODEC_VERSION_MAJOR, bindAVCodec,
     unbindAVCodec},
    {MediaLibrary::avdevice, "avdevice", "avdevice", LIBAVDEVICE_VERSION_MAJOR, bindAVDevice,
     unbindAVDevice},
    {MediaLibrary::avfilter, "avfilter", "avfilter", LIBAVFILTER_VERSION_MAJOR, bindAVFilter,
     unbindAVFilter},
    {MediaLibrary::avformat, "avformat", "avformat", LIBAVFORMAT_VERSION_MAJOR, bindAVFormat,
     unbindAVFormat},
    {MediaLibrary::avutil, "avutil", "avutil", LIBAVUTIL_VERSION_MAJOR, bindAVUtil, unbindAVUtil},
    {MediaLibrary::swscale, "swscale", "swscale", LIBSWSCALE_VERSION_MAJOR, bindSwScale,
     unbindSwScale},
    {MediaLibrary::msvcrt, "msvcrt", "c", 6, bindCRuntime, unbindCRuntime},
    {MediaLibrary::SDL, "SDL", "SDL2-2.0", 0, bindSDL, unbindSDL},
    {MediaLibrary::swresample, "swresample", "swresample", LIBSWRESAMPLE_VERSION_MAJOR,
     bindSwResample, unbindSwResample},
};

bool isRegularFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Under the address checker the modules stay mapped: what a library allocated for itself while
// loaded would otherwise lose its only reference and be reported as a leak of the program.
void closeModule(void* module) {
#if defined(__SANITIZE_ADDRESS__)
    (void)module;
#else
    dlclose(module);
#endif
}

void closeModules(std::vector<void*>& modules) {
    for (auto it = modules.rbegin(); it != modules.rend(); ++it) {
        closeModule(*it);
    }
    modules.clear();
}

// The dynamic loader looks a library's dependencies up by name in the system's folders, unless
// a library of that name is loaded already. So before a library of the folder is opened, each
// library of the folder that it needs is opened by its path, its own needs first: the folder's
// libraries then resolve each other, even where the system has no copies or other ones, and
// never end up beside a system copy (two libavutil in one process, one of them without the
// logger's callback).
void openFolderDependencies(const std::string& folder, const std::string& file,
                            std::set<std::string>& visited, std::vector<void*>& opened) {
    for (const std::string& needed : NeededLibraries(folder + file)) {
        const std::string path = folder + needed;
        if (needed.find('/') != std::string::npos || !visited.insert(needed).second ||
            !isRegularFile(path)) {
            continue;
        }
        openFolderDependencies(folder, needed, visited, opened);
        // One that does not open makes the library itself fail below, with the loader's text.
        if (void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            opened.push_back(module);
        }
    }
}

void requireNonEmpty(LibrarySet set) {
    // An empty set is a programming error of the caller.
    assert(set != 0 && "MediaLibLoader: empty library set");
    (void)set;
}

}  // namespace

const TLibraryItem& LibraryItem(MediaLibrary lib) {
    return kCatalogue[static_cast<int>(lib)];
}

TMediaLibLoader& TMediaLibLoader::instance() {
    static TMediaLibLoader loader;
    return loader;
}

TMediaLibLoader::TMediaLibLoader() = default;

void TMediaLibLoader::SetLibraryPath(const std::string& folder) {
    m_libraryPath = folder;
}

std::string TMediaLibLoader::LastError() const {
    return m_lastError;
}

std::string TMediaLibLoader::LibraryFileName(MediaLibrary lib) const {
    const Status& status = m_status[static_cast<int>(lib)];
    if (!status.fileNameOverride.empty()) {
        return status.fileNameOverride;
    }
    const TLibraryItem& item = LibraryItem(lib);
    std::string name = std::string("lib") + item.fileBase + ".so";
    if (item.version >= 0) {
        name += "." + std::to_string(item.version);
    }
    return name;
}

void TMediaLibLoader::SetFileNameOverride(MediaLibrary lib, const std::string& fileName) {
    m_status[static_cast<int>(lib)].fileNameOverride = fileName;
}

bool TMediaLibLoader::LoadLibraries(LibrarySet set) {
    requireNonEmpty(set);
    for (int index = 0; index < kLibraryCount; ++index) {
        const auto lib = static_cast<MediaLibrary>(index);
        if ((set & libraryBit(lib)) != 0 && !LoadOneLibrary(lib)) {
            UnloadLibraries(set);
            return false;
        }
    }
    return true;
}

bool TMediaLibLoader::LibrariesLoaded(LibrarySet set) const {
    requireNonEmpty(set);
    for (int index = 0; index < kLibraryCount; ++index) {
        const auto lib = static_cast<MediaLibrary>(index);
        if ((set & libraryBit(lib)) != 0 && !LibraryLoaded(lib)) {
            return false;
        }
    }
    return true;
}

bool TMediaLibLoader::LibraryLoaded(MediaLibrary lib) const {
    const Status& status = m_status[static_cast<int>(lib)];
    return status.module != nullptr && status.bound;
}

void TMediaLibLoader::UnloadLibraries(LibrarySet set) {
    requireNonEmpty(set);
    for (int index = 0; index < kLibraryCount; ++index) {
        const auto lib = static_cast<MediaLibrary>(index);
        if ((set & libraryBit(lib)) != 0) {
            UnloadOneLibrary(lib);
        }
    }
}

void* TMediaLibLoader::openModule(const std::string& folder, const std::string& file,
                                  std::vector<void*>& dependencies, std::string& error) {
    // A file in the library folder is opened by its path; anything else goes through the
    // system's search (the dynamic loader ignores the current directory, so nothing else to do).
    const std::string path = folder + file;
    const bool inFolder = !folder.empty() && isRegularFile(path);
    if (inFolder) {
        std::set<std::string> visited{file};
        openFolderDependencies(folder, file, visited, dependencies);
    }
    void* module = dlopen(inFolder ? path.c_str() : file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        error = dlErrorText();
        closeModules(dependencies);
    }
    return module;
}

bool TMediaLibLoader::LoadOneLibrary(MediaLibrary lib) {
    Status& status = m_status[static_cast<int>(lib)];
    if (status.module == nullptr) {
        const std::string name = LibraryFileName(lib);
        const size_t slash = name.rfind('/');
        std::string folder = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
        if (folder.empty() && !m_libraryPath.empty()) {
            folder = m_libraryPath;
            if (folder.back() != '/') {
                folder += '/';
            }
        }
        const std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
        std::string error;
        status.module = openModule(folder, file, status.dependencies, error);
        if (status.module == nullptr) {
            m_lastError = formatText("Load library %s error: %s", folder + file, error, "");
            return false;
        }
    }
    if (!status.bound) {
        try {
            LibraryItem(lib).bind(LibraryFileName(lib), status.module);
            status.bound = true;
        } catch (const std::exception& e) {
            // Pointers filled before the failure are cleared too, so nothing half-bound remains.
            LibraryItem(lib).unbind();
            m_lastError = e.what();
        }
    }
    if (!status.bound) {
        UnloadOneLibrary(lib);
        return false;
    }
    afterBound(lib);
    return true;
}

void TMediaLibLoader::afterBound(MediaLibrary lib) {
    if (lib == MediaLibrary::avutil && m_logHook) {
        TMediaLogger::InstallLibraryCallback();
    }
}

void TMediaLibLoader::UnloadOneLibrary(MediaLibrary lib) {
    Status& status = m_status[static_cast<int>(lib)];
    if (status.bound) {
        if (lib == MediaLibrary::avutil && m_logHook) {
            TMediaLogger::RemoveLibraryCallback();
        }
        LibraryItem(lib).unbind();
        status.bound = false;
    }
    if (status.module != nullptr) {
        closeModule(status.module);
        status.module = nullptr;
    }
    closeModules(status.dependencies);
}

std::string TMediaLibLoader::LoadedPath(MediaLibrary lib) const {
    const Status& status = m_status[static_cast<int>(lib)];
    link_map* map = nullptr;
    if (status.module == nullptr || dlinfo(status.module, RTLD_DI_LINKMAP, &map) != 0 ||
        map == nullptr) {
        return {};
    }
    return map->l_name ? map->l_name : "";
}

std::string DefaultLibraryFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return "LibAV";
    }
    return (executable.parent_path() / "LibAV").string();
}

std::mutex& CodecLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace velmora
