// Run-time loading of the media libraries, the C library and SDL, and binding of their entry
// points into the tables of LibraryBindings.h.
//
// One loader exists per process. Loading runs on the caller's thread (the main thread in the
// programs); the status table is not locked, and once bound the entry points are only read.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace velmora {

// Catalogue index of a library; the order is fixed and library sets are made of these bits.
enum class MediaLibrary : std::uint8_t {
    avcodec = 0,
    avdevice = 1,
    avfilter = 2,
    avformat = 3,
    avutil = 4,
    swscale = 5,
    msvcrt = 6,  // the platform C library
    SDL = 7,
    swresample = 8,
};

constexpr int kLibraryCount = 9;

// Bit i stands for catalogue index i.
using LibrarySet = std::uint16_t;

constexpr LibrarySet libraryBit(MediaLibrary lib) {
    return static_cast<LibrarySet>(1u << static_cast<unsigned>(lib));
}

constexpr LibrarySet kConverterSet =
    libraryBit(MediaLibrary::avcodec) | libraryBit(MediaLibrary::avfilter) |
    libraryBit(MediaLibrary::avformat) | libraryBit(MediaLibrary::avutil) |
    libraryBit(MediaLibrary::swscale) | libraryBit(MediaLibrary::msvcrt) |
    libraryBit(MediaLibrary::swresample);
constexpr LibrarySet kPlayerSet = kConverterSet | libraryBit(MediaLibrary::SDL);

// One row of the library catalogue.
struct TLibraryItem {
    MediaLibrary index;
    const char* name;      // catalogue name ("avcodec", "msvcrt", "SDL")
    const char* fileBase;  // file name stem: "lib" + fileBase + ".so." + version
    int version;           // major version in the file name; -1: none
    void (*bind)(const std::string& fileName, void* module);  // throws on a missing symbol
    void (*unbind)();
};

class TMediaLibLoader {
public:
    static TMediaLibLoader& instance();

    TMediaLibLoader(const TMediaLibLoader&) = delete;
    TMediaLibLoader& operator=(const TMediaLibLoader&) = delete;

    void SetLibraryPath(const std::string& folder);
    const std::string& LibraryPath() const { return m_libraryPath; }
    std::string LastError() const;

    std::string LibraryFileName(MediaLibrary lib) const;
    // Replaces the formed file name of one library; empty restores the default.
    void SetFileNameOverride(MediaLibrary lib, const std::string& fileName);

    // Opens and binds every library of the set in index order. On the first failure the
    // whole set is unloaded and LastError() tells why.
    bool LoadLibraries(LibrarySet set);
    bool LibrariesLoaded(LibrarySet set) const;
    bool LibraryLoaded(MediaLibrary lib) const;
    void UnloadLibraries(LibrarySet set);

    bool LoadOneLibrary(MediaLibrary lib);
    void UnloadOneLibrary(MediaLibrary lib);

    // The path a loaded library was opened from (dlinfo), for diagnostics.
    std::string LoadedPath(MediaLibrary lib) const;

    // Whether the logger's library callback is installed once avutil is bound.
    void SetLogHook(bool enabled) { m_logHook = enabled; }

private:
    TMediaLibLoader();

    struct Status {
        std::string fileNameOverride;
        void* module = nullptr;
        // Libraries of the folder that the module needs, opened before it (closed after it).
        std::vector<void*> dependencies;
        bool bound = false;
    };

    void* openModule(const std::string& folder, const std::string& file,
                     std::vector<void*>& dependencies, std::string& error);
    void afterBound(MediaLibrary lib);

    Status m_status[kLibraryCount];
    std::string m_libraryPath;
    std::string m_lastError;
    bool m_logHook = true;
};

const TLibraryItem& LibraryItem(MediaLibrary lib);

// The folder "LibAV" next to the running executable.
std::string DefaultLibraryFolder();

// Process-wide lock held around opening and closing codecs and around reading an input's stream
// information (which opens decoders inside the library). It guards nothing else.
std::mutex& CodecLock();

}  // namespace velmora
